#pragma once

#include "paint/Rgb.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The figures of the race sheet. Times are tenths of a second, distances metres,
// speeds metres per minute. Position lines are the converter's digit lines:
// key (16), distance (4), track code (2), number of horses (2), then one block
// of 2 + 4 * sections characters per horse number.

// Nearest integer, halves away from zero (2.5 -> 3, -2.5 -> -3).
int RoundHalfAway(double x);

// The part of a line from offset, at most length bytes; empty past the end.
QByteArrayView Cut(QByteArrayView line, qsizetype offset, qsizetype length);

// 4 sections up to 1400 m, 7 up to 2000 m, 13 beyond.
int RaceSectionCount(int distance);

// Official distance of a position line (characters 17-20, strict).
int LineDistance(QByteArrayView positionLine);
// Number of horses of a position line (characters 23-24, strict).
int LineHorseCount(QByteArrayView positionLine);

// Race distance plus (lane - 1) * lossPerLane for every corner section of horse
// n's block; the race distance alone when that block is incomplete or the course
// is straight. Counted in 64 bits: the loss per lane comes from the settings
// file as it stands.
qint64 CorrectedDistance(QByteArrayView positionLine, int n, int lossPerLane);

// Time needed for distance at speed; 0 when the speed is not positive.
int ConvertedTime(int distance, double speed);

// Metres per minute over distance in time tenths; 0 for a time of 0 or less.
double RaceSpeed(qint64 distance, int tenths);

// "m.ss.t": 945 -> "1.34.5".
QString FormatTime(int tenths);

// Colour of horse n's frame digit; aqua for any other digit or a short line.
// The race window's own scheme: it differs on purpose from the results list's
// eight- and three-colour tables (ResultsCells), whose shades suit its boxes.
TRgb FrameColour(QByteArrayView positionLine, int n);

// "01B" -> "000000011011". Throws TConvertError for a non-hexadecimal text or
// more than 32 bits.
QByteArray HexToBits(QByteArrayView hex);
