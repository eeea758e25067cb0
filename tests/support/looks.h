#pragma once

#include <QFont>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>
#include <QTextListFormat>

#include <string>
#include <vector>

// What a document looks like, paragraph by paragraph and run by run, as
// lines that name every property shown: for comparing two documents that
// must look alike (a file read, and the same written and read again).

// What a paragraph looks like, as a line that names every property.
inline std::string paragraphLook(const QTextBlock &b, qreal indentWidth)
{
    const QTextBlockFormat f = b.blockFormat();
    std::string s = "\"" + b.text().left(20).toStdString() + "\"";
    const auto px = [](qreal v) { return QString::number(v, 'f', 3).toStdString(); };
    // Right is right whether or not it follows the writing direction.
    s += " align " +
         std::to_string(int(f.alignment() & Qt::AlignHorizontal_Mask & ~Qt::AlignAbsolute));
    s += " left " + px(f.leftMargin() + f.indent() * indentWidth);
    s += " right " + px(f.rightMargin()) + " first " + px(f.textIndent());
    s += " before " + px(f.topMargin()) + " after " + px(f.bottomMargin());
    s += " line " + std::to_string(f.lineHeightType()) + "/" + px(f.lineHeight());
    if (const QTextList *list = b.textList()) {
        const QTextListFormat lf = list->format();
        s += " list " + std::to_string(lf.style()) + "@" + std::to_string(lf.indent()) + " \"" +
             lf.numberPrefix().toStdString() + "|" + lf.numberSuffix().toStdString() + "\" " +
             list->itemText(b).toStdString();
    }
    return s;
}

// What a character looks like.
inline std::string characterLook(const QTextCharFormat &f, const QFont &base)
{
    const QFont font = f.font().resolve(base);
    std::string s = font.family().toStdString() + " " + std::to_string(font.pointSizeF());
    s += font.bold() ? " B" : "";
    s += font.italic() ? " I" : "";
    s += font.underline() ? " U" : "";
    s += font.strikeOut() ? " S" : "";
    if (f.foreground().style() != Qt::NoBrush)
        s += " fg " + f.foreground().color().name().toStdString();
    if (f.background().style() != Qt::NoBrush && f.background().color().alpha() > 0)
        s += " bg " + f.background().color().name().toStdString();
    s += " v" + std::to_string(f.verticalAlignment());
    if (f.isAnchor())
        s += " a " + f.anchorHref().toStdString();
    return s;
}

// Every paragraph and every run of characters, in order.
inline std::vector<std::string> looks(const QTextDocument &doc)
{
    std::vector<std::string> out;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        out.push_back(paragraphLook(b, doc.indentWidth()));
        std::string run;
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const std::string look = characterLook(it.fragment().charFormat(), doc.defaultFont());
            if (look != run)
                out.push_back("  " + look);
            run = look;
        }
    }
    return out;
}
