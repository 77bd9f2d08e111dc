#pragma once

#include "records/RecordLayout.h"
#include "text/LineFile.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <array>

// Accessor of the payout record "HR" (719 bytes with its CR LF). Its number
// fields are read leniently: a blank field counts as 0 and its entry is skipped.
class TPayRecord {
public:
  static constexpr int RecordLength = 719;

  bool LoadPayRecord(const QByteArray& line);
  QByteArray PayRaceKey(const QByteArray& line);
  // The last line of the list whose race key is the key; empty when none.
  QByteArray FindPayLine(const TByteLines& lines, const QByteArray& raceKey);
  // Title, then every paid entry ("単勝3番￥450（2人気）"). The title is written
  // when the first entry's number is neither zeros nor blank; entries with a
  // zero or blank number are skipped.
  QString PayoutText(const QByteArray& line, TBetType betType);
  // "3=000000150,5=000000200": horse number without leading zeros, "=", the stored field.
  QByteArray PlacePayouts(const QByteArray& line);

private:
  QByteArrayView Field(int offset, int width) const;

  std::array<char, RecordLength> FBuffer{};
};
