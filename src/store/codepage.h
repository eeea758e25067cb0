#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// The 8-bit code page of the program's files: Windows-1250.
//
// The five byte values that Windows-1250 leaves undefined (0x81, 0x83, 0x88,
// 0x90, 0x98) decode to the C1 control characters of the same value and encode
// back to the same byte, as the home platform does, so no byte is ever lost on
// a read-write round trip.
namespace store {

QString decode1250(QByteArrayView bytes);

// Characters that have no byte in the code page become '?'; `ok` (when given)
// tells whether every character could be represented.
QByteArray encode1250(QStringView text, bool *ok = nullptr);

// The byte of one character, or -1 when the code page has none.
int encode1250Char(char16_t c);

bool isRepresentable1250(QStringView text);

// Code page 852 (DOS Latin 2), in which Windows in Czech writes the names of
// the files it puts into a zip file (the OEM code page of the system). Only
// decoded: the program never writes it.
QString decode852(QByteArrayView bytes);

} // namespace store
