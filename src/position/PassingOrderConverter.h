#pragma once

#include "text/LineFile.h"

#include <QByteArray>
#include <QByteArrayView>

// Turns the corner passing orders of race records into position lines.
//
// A position line is the race key (16), distance (4), track code (2) and
// number of horses (2) as the record has them, then one block per horse: two
// frame characters and one 4-digit entry (row, lane) per section, sections in
// order from the start. Row text is one corner's passing order as rows, one
// per line; a row holds horse tokens ("A" = horse 1 .. "R" = horse 18),
// several of them separated by "," when abreast, rail first.
class TPassingOrderConverter {
public:
  // Position lines, each followed by CR LF, of the records of data kind "6" or
  // "7", in record order. A distance, horse count or corner number that is not
  // an integer throws TConvertError and nothing is returned.
  static QByteArray ConvertRaces(const TByteLines& records);
  static QByteArray ConvertRace(QByteArrayView record);

  // The passing order (70 characters, blank padded) as rows, each followed by CR LF.
  static QByteArray ParsePassingOrder(QByteArrayView order);
  // Row (1-based) and lane of a horse token in row text; 0 when it is absent.
  static int RowOf(QByteArrayView rowText, QByteArrayView token);
  static int LaneOf(QByteArrayView rowText, QByteArrayView token);
  // Frame of horse n in a field of `horses`; -1 when n is beyond the field.
  static int FrameOf(int horses, int n);

  // Sections of a race of this many metres: 4, 7 or 13.
  static int SectionCount(int distance);
  // The token of horse n, 0 for horses that have none (beyond 18).
  static char HorseToken(int n);
};
