#pragma once

#include <QByteArrayView>
#include <QString>

// The one rule for a record line (without its CR LF) that the program files
// and reads back: a kept record type ("RA6"/"RA7", "SE6"/"SE7", "HR1"), its
// exact length in bytes, and a race key of 16 ASCII digits. Returns why the
// line breaks it (Japanese, for a message); empty when it is sound.
QString RecordLineFault(QByteArrayView line);

// The race key of a line as far as it can be shown in a message: the 16
// bytes when they are ASCII digits, else empty.
QByteArrayView ShownRaceKey(QByteArrayView line);

// For a line that keeps the record rule: the first field the program reads as
// a number that holds anything but ASCII digits, as a message naming the
// field and its bytes; empty when all of them are digits.
QString RecordFieldFault(QByteArrayView line);
