#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// The bytes of a text written with "⏎" for CR LF, in the program's code page:
// ansi(u"Slon⏎Žirafa⏎") is "Slon\r\nŽirafa\r\n" in Windows-1250.
QByteArray ansi(const QString &text);

// A program folder of its own for one test: a temporary folder that is the
// working directory while the object lives.
class TestFolder
{
public:
    TestFolder();
    ~TestFolder();
    TestFolder(const TestFolder &) = delete;
    TestFolder &operator=(const TestFolder &) = delete;

    QString path() const { return m_dir.path(); }
    QString absolute(const QString &relative) const;
    // Writes a file (and its folders) with exactly these bytes.
    void write(const QString &relative, const QByteArray &bytes) const;
    void mkdir(const QString &relative) const;
    // The bytes of a file; a null array when it does not exist.
    QByteArray read(const QString &relative) const;
    bool exists(const QString &relative) const;
    // Every file below the folder with its bytes, for "nothing else changed".
    QMap<QString, QByteArray> snapshot() const;

    // A working program folder: "pozadi.bmp", "chichotek.cfg" with six "1"
    // lines, and "DataBase" with an empty "seznam.dat".
    void makeProgramFolder() const;
    // A complete library with the given jokes; `written` of them have text.
    void makeLibrary(const QString &name, const QStringList &jokes, int written = -1) const;

private:
    QTemporaryDir m_dir;
    QString m_previous;
};

// A valid icon file: one 32 × 32 image in 16 colours (766 bytes).
QByteArray sampleIcon();
