#pragma once

#include <QByteArray>
#include <QByteArrayView>

// One race's position line read field by field. The line is
//
//   race key (16) | distance (4) | track code (2) | horses (2)
//   then per horse: frame digit, '0', and one entry "rrll" (row, lane) per
//   section, sections in order from the start
//
// The view holds no copy: it reads the bytes it is given, and SetEntry writes
// into the caller's own line.
class TPositionLine {
public:
  static constexpr qsizetype HeaderLength = 24;
  static constexpr qsizetype EntryLength = 4;

  explicit TPositionLine(QByteArrayView line) : FLine(line) {}

  // Sections of a race of this many metres: 4 up to 1400, 7 up to 2000, else 13.
  static int SectionCount(int distance);

  bool HasHeader() const { return FLine.size() >= HeaderLength; }
  QByteArrayView RaceKey() const { return Field(0, 16); }
  QByteArrayView VenueCode() const { return Field(8, 2); }
  QByteArrayView TrackCodeText() const { return Field(20, 2); }
  // The header's numbers; a field that is not an integer throws TConvertError.
  int Distance() const;
  int TrackCode() const;
  int HorseCount() const;
  int SectionCount() const { return SectionCount(Distance()); }
  // The straight 1000 m course has track code 10.
  bool IsStraight() const { return TrackCodeText() == QByteArrayView("10"); }

  // Bytes of one horse's block: frame digit, '0', the entries.
  qsizetype BlockLength() const { return 2 + EntryLength * SectionCount(); }
  // The frame digit of horse n, '\0' when the line has no block for it.
  char FrameDigit(int n) const;
  // Offset of horse n's entry at section g counted back from the goal (1 =
  // the last section), or -1 when n or g lie outside the race or the line is
  // cut short before the entry ends.
  qsizetype EntryOffset(int n, int g) const;
  // The entry, empty when EntryOffset is -1.
  QByteArrayView Entry(int n, int g) const;
  // Row and lane of the entry; 0 for an entry the line does not hold.
  int Row(int n, int g) const;
  int Lane(int n, int g) const;

  // Writes an entry of four digits into line; false when the line has no such entry.
  static bool SetEntry(QByteArray& line, int n, int g, QByteArrayView entry);

private:
  QByteArrayView Field(qsizetype offset, qsizetype length) const;

  QByteArrayView FLine;
};
