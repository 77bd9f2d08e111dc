#include "race/RaceMath.h"

#include "position/PositionLine.h"

#include "text/Errors.h"
#include "text/IntConvert.h"

#include <algorithm>
#include <cmath>
#include <limits>

QByteArrayView Cut(QByteArrayView line, qsizetype offset, qsizetype length) {
  if (offset >= line.size()) return {};
  return line.sliced(offset, std::min(length, line.size() - offset));
}

int RoundHalfAway(double x) {
  // Held to what an int holds, so an outlandish figure cannot wrap.
  if (std::isnan(x)) return 0;
  const double rounded = std::round(x);
  if (rounded >= double(std::numeric_limits<int>::max())) return std::numeric_limits<int>::max();
  if (rounded <= double(std::numeric_limits<int>::min())) return std::numeric_limits<int>::min();
  return static_cast<int>(rounded);
}

int RaceSectionCount(int distance) {
  return TPositionLine::SectionCount(distance);
}

int LineDistance(QByteArrayView positionLine) {
  return TPositionLine(positionLine).Distance();
}

int LineHorseCount(QByteArrayView positionLine) {
  return TPositionLine(positionLine).HorseCount();
}

qint64 CorrectedDistance(QByteArrayView positionLine, int n, int lossPerLane) {
  const TPositionLine line(positionLine);
  const int distance = line.Distance();
  const int sections = line.SectionCount();
  // A horse whose block the line does not hold whole runs the bare distance, as
  // does every horse of a straight course, which has no corners.
  if (n < 1 || positionLine.size() < TPositionLine::HeaderLength + n * line.BlockLength() ||
      line.IsStraight())
    return distance;
  qint64 loss = 0;
  // Only the corners cost ground; every third section from the start is a straight.
  for (int i = 1; i < sections; ++i) {
    if (i % 3 == 0) continue;
    const int lane = line.Lane(n, sections - i);
    if (lane > 1) loss += qint64(lane - 1) * lossPerLane;
  }
  return qint64(distance) + loss;
}

int ConvertedTime(int distance, double speed) {
  if (!(speed > 0)) return 0;
  const double metresPerTenth = (speed / 600.0) * 1000.0;
  return RoundHalfAway((static_cast<double>(distance) * 1000.0) / metresPerTenth);
}

double RaceSpeed(qint64 distance, int tenths) {
  if (tenths <= 0) return 0.0;
  return (static_cast<double>(distance) / tenths) * 600.0;
}

QString FormatTime(int tenths) {
  return QStringLiteral("%1.%2.%3")
      .arg(tenths / 600)
      .arg((tenths % 600) / 10, 2, 10, QLatin1Char('0'))
      .arg(tenths % 10);
}

TRgb FrameColour(QByteArrayView positionLine, int n) {
  constexpr TRgb aqua = NamedColour::Cyan;
  switch (TPositionLine(positionLine).FrameDigit(n)) {
    case '1':
      return {255, 255, 255};
    case '2':
      return {0, 0, 0};
    case '3':
      return {198, 0, 0};
    case '4':
      return {0, 0, 255};
    case '5':
      return {255, 255, 0};
    case '6':
      return {34, 119, 34};
    case '7':
      return {255, 55, 0};
    case '8':
      return {243, 35, 157};
    default:
      return aqua;
  }
}

QByteArray HexToBits(QByteArrayView hex) {
  if (hex.isEmpty()) return {};
  quint64 value = 0;
  for (char c : hex) {
    int digit;
    if (c >= '0' && c <= '9')
      digit = c - '0';
    else if (c >= 'A' && c <= 'F')
      digit = c - 'A' + 10;
    else if (c >= 'a' && c <= 'f')
      digit = c - 'a' + 10;
    else
      throw TConvertError(QStringLiteral("'%1' は正しい16進数ではありません").arg(QString::fromLatin1(hex)));
    value = value * 16 + static_cast<quint64>(digit);
    if (value > 0xFFFFFFFFull)
      throw TConvertError(QStringLiteral("'%1' は正しい16進数ではありません").arg(QString::fromLatin1(hex)));
  }
  const qsizetype width = 4 * hex.size();
  if (width < 2 || width > 32) throw TConvertError(QStringLiteral("第二パラメータが範囲外です。"));
  QByteArray bits(width, '0');
  for (qsizetype i = 0; i < width; ++i)
    if (value & (quint64{1} << (width - 1 - i))) bits[i] = '1';
  return bits;
}
