#pragma once

#include <QByteArrayView>
#include <QStringView>

// Strict decimal conversion: an optional sign and ASCII digits, nothing else
// (no blanks, not empty, must fit 32 bits). Anything else throws TConvertError
// naming the text.
int StrToInt(QByteArrayView text);
int StrToInt(QStringView text);

// Lenient reads, for the few fields the data service may leave blank.
// A byte that is not an ASCII digit reads as 0 (corner numbers).
int DigitOrZero(char byte);
// A field that does not convert strictly reads as 0 (payout number fields).
int StrToIntOrZero(QByteArrayView text);
