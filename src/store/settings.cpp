#include "settings.h"

#include "files.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>

namespace store {

DbPath settingsFile()
{
    return DbPath::programFile(QStringLiteral("chichotek.cfg"));
}

DbPath backgroundFile()
{
    return DbPath::programFile(QStringLiteral("pozadi.bmp"));
}

bool settingsLineIsOff(const QStringList &lines, int flag)
{
    return flag < lines.size() && lines[flag] == u"0";
}

QStringList settingsLines(const SettingsFlags &flags)
{
    QStringList lines;
    for (bool on : flags)
        lines.append(on ? QStringLiteral("1") : QStringLiteral("0"));
    return lines;
}

std::optional<QImage> readBackground(QString *error)
{
    const DbPath path = backgroundFile();
    const std::optional<QByteArray> bytes = readBytes(path, kPictureLimit, error);
    if (!bytes)
        return std::nullopt;
    QBuffer buffer;
    buffer.setData(*bytes);
    buffer.open(QIODevice::ReadOnly);
    // Only the built-in bitmap reader: letting Qt look for other readers
    // loads every image plug-in, which costs more than the whole picture.
    QImageReader reader(&buffer, "BMP");
    reader.setAutoDetectImageFormat(false);
    QImage image = reader.read();
    if (image.isNull()) {
        if (error)
            *error = QStringLiteral("Soubor „%1“ není platný obrázek BMP.").arg(path.display());
        return std::nullopt;
    }
    return image;
}

bool writeBackground(const QImage &picture, const QColor &backdrop, QString *error)
{
    QImage flat(picture.size(), QImage::Format_RGB32);
    flat.fill(backdrop);
    {
        QPainter painter(&flat);
        painter.drawImage(0, 0, picture);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!flat.save(&buffer, "BMP")) {
        if (error)
            *error = QStringLiteral("Obrázek nelze převést do formátu BMP.");
        return false;
    }
    return writeBytes(backgroundFile(), bytes, error);
}

} // namespace store
