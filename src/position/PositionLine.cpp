#include "position/PositionLine.h"

#include "text/IntConvert.h"

#include <algorithm>

int TPositionLine::SectionCount(int distance) {
  return distance > 2000 ? 13 : distance > 1400 ? 7 : 4;
}

QByteArrayView TPositionLine::Field(qsizetype offset, qsizetype length) const {
  if (offset >= FLine.size()) return {};
  return FLine.sliced(offset, std::min(length, FLine.size() - offset));
}

int TPositionLine::Distance() const {
  return StrToInt(Field(16, 4));
}

int TPositionLine::TrackCode() const {
  return StrToInt(Field(20, 2));
}

int TPositionLine::HorseCount() const {
  return StrToInt(Field(22, 2));
}

char TPositionLine::FrameDigit(int n) const {
  if (n < 1 || !HasHeader()) return '\0';
  const qsizetype at = HeaderLength + qsizetype(n - 1) * BlockLength();
  return at < FLine.size() ? FLine[at] : '\0';
}

qsizetype TPositionLine::EntryOffset(int n, int g) const {
  if (!HasHeader() || n < 1 || g < 1) return -1;
  const int sections = SectionCount();
  if (n > HorseCount() || g > sections) return -1;
  const qsizetype at =
      HeaderLength + qsizetype(n - 1) * (2 + EntryLength * sections) + 2 + EntryLength * (sections - g);
  return at + EntryLength <= FLine.size() ? at : -1;
}

QByteArrayView TPositionLine::Entry(int n, int g) const {
  const qsizetype at = EntryOffset(n, g);
  return at < 0 ? QByteArrayView() : FLine.sliced(at, EntryLength);
}

int TPositionLine::Row(int n, int g) const {
  const QByteArrayView entry = Entry(n, g);
  return entry.isEmpty() ? 0 : StrToInt(entry.first(2));
}

int TPositionLine::Lane(int n, int g) const {
  const QByteArrayView entry = Entry(n, g);
  return entry.isEmpty() ? 0 : StrToInt(entry.sliced(2, 2));
}

bool TPositionLine::SetEntry(QByteArray& line, int n, int g, QByteArrayView entry) {
  const qsizetype at = TPositionLine(line).EntryOffset(n, g);
  if (at < 0 || entry.size() != EntryLength) return false;
  line.replace(at, EntryLength, entry.toByteArray());
  return true;
}
