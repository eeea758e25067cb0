// Reading on a thread of its own: the document and every sink come out as
// when the file is read on the calling thread, and the sink is only ever told
// things on the calling thread.

#include "store/rtfreadahead.h"
#include "store/rtfreader.h"
#include "store/rtftext.h"
#include "support/corpus.h"

#include <QByteArray>
#include <QDir>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

// Reads everything ahead while it lives, whatever its size.
class AllAhead
{
public:
    explicit AllAhead(qsizetype from = 0) : m_before(store::readAheadFrom())
    {
        store::setReadAheadFrom(from);
    }
    ~AllAhead() { store::setReadAheadFrom(m_before); }
    AllAhead(const AllAhead &) = delete;
    AllAhead &operator=(const AllAhead &) = delete;

private:
    qsizetype m_before;
};

QString htmlOf(QByteArrayView rtf, bool ahead)
{
    const AllAhead setting(ahead ? 0 : qsizetype(1) << 40);
    QTextDocument doc;
    EXPECT_TRUE(store::readRtf(rtf, &doc));
    return doc.toHtml();
}

// Every kind of paragraph the reader knows, many times over, with more
// character formats than a sink keeps at once (32), so that formats come
// back after they were dropped, and lists that go on across many batches.
QByteArray longFile()
{
    QByteArray out = "{\\rtf1\\ansi\\ansicpg1250\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset238 Arial;}"
                     "{\\f1\\fnil\\fcharset2 Symbol;}{\\f2\\froman Times New Roman;}}"
                     "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green0\\blue128;}"
                     "{\\*\\listtable{\\list\\listtemplateid1{\\listlevel\\levelnfc0\\levelstartat1"
                     "{\\leveltext\\'02\\'00.;}{\\levelnumbers\\'01;}\\fi-360\\li720}\\listid1}}"
                     "{\\*\\listoverridetable{\\listoverride\\listid1\\listoverridecount0\\ls1}}"
                     "\\viewkind4\\uc1\\pard\\f0\\fs20 ";
    for (int i = 0; i < 3000; ++i) {
        const QByteArray n = QByteArray::number(i);
        switch (i % 6) {
        case 0:
            out += "\\pard\\qc\\b\\fs" + QByteArray::number(16 + i % 40) + " Nadpis " + n +
                   "\\b0\\fs20\\par\r\n";
            break;
        case 1:
            out +=
                "\\pard P\\'f8\\'ed\\'9ael\\'ee \\cf1 \\'9elu\\'9eou\\'e8k\\'fd\\cf0  k\\'f9\\'f2 "
                "\\i " +
                n + "\\i0\\line dal\\'9a\\'ed \\u8230? \\f2 jin\\'e9\\f0 .\\par\r\n";
            break;
        case 2:
            out +=
                "\\pard{\\pntext\\f1\\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnf1\\pnindent0{\\pntxtb\\'b7}}"
                "\\fi-200\\li200 bod " +
                n + "\\par\r\n{\\pntext\\f1\\'b7\\tab}dal\\'9a\\'ed\\par\r\n";
            break;
        case 3:
            out += "\\pard{\\listtext " + n + ".\\tab}\\ls1\\ilvl0\\fi-360\\li720 polo\\'9eka " +
                   n + "\\par\r\n";
            break;
        case 4:
            out += "\\pard\\trowd\\cellx1000\\cellx2000 A" + n + "\\cell B\\cell\\row\r\n";
            break;
        default:
            out +=
                "\\pard\\sb120\\sa60\\sl-300\\tx720\\tqr\\tx2880 \\ul podtr\\'9eeno\\ulnone\\tab "
                "\\super 2\\nosupersub\\tab\\strike " +
                n + "\\strike0\\par\r\n";
            break;
        }
    }
    out += "}\r\n";
    return out;
}

TEST(ReadAhead, GivesTheSameDocumentAsReadingOnTheCallingThread)
{
    const QByteArray rtf = longFile();
    const QString inline_ = htmlOf(rtf, false);
    EXPECT_GT(inline_.size(), rtf.size()) << "the long file did not read";
    EXPECT_EQ(htmlOf(rtf, true).toStdString(), inline_.toStdString());

    // And every file of the corpus.
    for (const std::string &name : corpus::names()) {
        const QByteArray file = corpus::read(QString::fromStdString(name) + QStringLiteral(".rtf"));
        EXPECT_EQ(htmlOf(file, true).toStdString(), htmlOf(file, false).toStdString()) << name;
    }
}

// What a sink is told, and on which thread.
class Notes final : public store::RtfSink
{
public:
    void text(const QString &text, const store::RtfCharFormat &format) override
    {
        note("T" + QString::number(format.id) + format.family + QString::number(format.points) +
             (format.bold ? u'b' : u'-') + format.foreground.name() + u':' + text);
    }
    void newParagraph() override { note(QStringLiteral("P")); }
    void paragraphFormat(const store::RtfParagraphFormat &format,
                         const store::RtfCharFormat &mark) override
    {
        note("F" + QString::number(int(format.align)) + u',' + QString::number(format.li) + u',' +
             QString::number(format.list) + u',' + QString::number(format.tabs.size()) + u'/' +
             QString::number(mark.id) + QString::number(mark.points));
    }

    QStringList said;
    std::vector<std::thread::id> threads;

private:
    void note(const QString &what)
    {
        said << what;
        threads.push_back(std::this_thread::get_id());
    }
};

TEST(ReadAhead, TellsTheSinkTheSameThingsOnTheCallingThread)
{
    const QByteArray rtf = longFile();
    Notes here, ahead;
    ASSERT_TRUE(store::readRtf(rtf, here));
    {
        const AllAhead setting;
        ASSERT_TRUE(store::readRtfAhead(rtf, ahead));
    }
    ASSERT_GT(here.said.size(), 10000) << "few steps: the batches were not many";
    EXPECT_EQ(ahead.said, here.said);
    for (const std::thread::id id : ahead.threads)
        ASSERT_EQ(id, std::this_thread::get_id());

    // Not RTF: nothing told, either way.
    Notes none;
    const AllAhead setting;
    EXPECT_FALSE(store::readRtfAhead("plain text, not RTF", none));
    EXPECT_TRUE(none.said.isEmpty());
}

} // namespace
