#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// Code page 932 (Shift-JIS as Windows writes it). Records, data files and the
// settings file stay bytes; these are the only places where bytes become
// display text and back. Bytes 0x00-0x7F always map to U+0000-U+007F.

QString DecodeCp932(QByteArrayView bytes);
QByteArray EncodeCp932(QStringView text);

// Byte length of a text once encoded, as the fixed-width layouts count it.
qsizetype Cp932Length(QStringView text);
