#pragma once

#include "text/LineFile.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <array>

// Accessor of the horse-race record "SE" (555 bytes with its CR LF), by the same
// validation rules as TRaceRecord.
class TRunnerRecord {
public:
  static constexpr int RecordLength = 555;

  bool LoadRecord(const QByteArray& line);

  QByteArray RaceKey(const QByteArray& line);
  QByteArray FrameNumber(const QByteArray& line);  // default "0"
  QByteArray HorseNumber(const QByteArray& line);  // default "00"
  QString HorseName(const QByteArray& line);       // 36 bytes decoded
  QByteArray JockeyName(const QByteArray& line);   // the 8 record bytes, padding kept
  QString AbnormalMark(const QByteArray& line);    // "消", "外", "止", "失", "再" or empty
  QByteArray ArrivalOrder(const QByteArray& line);
  QByteArray FinalPlace(const QByteArray& line);
  int RunTime(const QByteArray& line);  // tenths of a second, default 0

  // Reorders a race's SE lines by arrival, "00" last; other orders are dropped.
  void SortByArrival(TByteLines& lines);

private:
  QByteArrayView Field(int offset, int width) const;

  std::array<char, RecordLength> FBuffer{};
};
