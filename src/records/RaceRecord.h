#pragma once

#include "text/LineFile.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <array>

// Accessor of the race record "RA" (1272 bytes with its CR LF). Every operation
// validates the line it is given and loads it into the buffer; an invalid line
// gives the operation's default and leaves the buffer as it was. Numeric code
// fields of a valid line convert strictly and throw TConvertError.
class TRaceRecord {
public:
  static constexpr int RecordLength = 1272;
  // Race date from which ClassLabel names the classes 500万下, 1000万下 and
  // 1600万下 as 1勝クラス, 2勝クラス and 3勝クラス.
  static constexpr char WinClassesSince[] = "20190601";

  bool LoadRecord(const QByteArray& line);

  QByteArray RaceDate(const QByteArray& line);    // yyyymmdd
  QByteArray MeetingKey(const QByteArray& line);  // 14 characters
  QByteArray RaceKey(const QByteArray& line);     // 16 characters
  QString TrackDistance(const QByteArray& line);  // "芝1600"
  // Track codes above 50: the windows do not open these races.
  bool IsSteeplechase(const QByteArray& line) { return TrackDistance(line).startsWith(u'障'); }
  QString RaceLabel(const QByteArray& line);
  QString ClassLabel(const QByteArray& line);
  QString RaceName(const QByteArray& line);        // 60 bytes decoded, padding kept
  QByteArray WeatherCode(const QByteArray& line);  // default "0"
  QString GoingLabel(const QByteArray& line);
  QByteArray CornerOrder(const QByteArray& line, int corner);  // 70 bytes, untrimmed

  // The distinct race dates of the lines, in order of first appearance,
  // joined as lines each followed by CR LF.
  QByteArray DateList(const TByteLines& lines);

private:
  QByteArrayView Field(int offset, int width) const;

  std::array<char, RecordLength> FBuffer{};
};
