#pragma once

#include "fuzz/FuzzSupport.h"
#include "records/PayRecord.h"
#include "records/RaceRecord.h"
#include "records/RecordBuilder.h"
#include "records/RunnerRecord.h"
#include "text/Errors.h"

#include <functional>

// Runs one accessor call; a conversion error is an allowed answer to a bad
// code field, anything else thrown escapes to the caller.
inline bool Converts(const std::function<void()>& call) {
  try {
    call();
    return true;
  } catch (const TConvertError&) {
    return false;
  }
}

inline void CheckRaceAccessors(TFailures& f, const QByteArray& line) {
  TRaceRecord race;
  const bool valid = race.LoadRecord(line);
  const auto width = [&](const QByteArray& value, qsizetype size, const char* name) {
    f.Expect(value.size() == (valid ? size : 0),
             QStringLiteral("%1 is %2 bytes").arg(QLatin1StringView(name)).arg(value.size()));
  };
  width(race.RaceDate(line), 8, "RaceDate");
  width(race.MeetingKey(line), 14, "MeetingKey");
  width(race.RaceKey(line), 16, "RaceKey");
  f.Expect(race.WeatherCode(line).size() == 1, QStringLiteral("WeatherCode is not one byte"));
  for (int corner = 0; corner <= 9; ++corner) {
    const QByteArray order = race.CornerOrder(line, corner);
    f.Expect(order.isEmpty() || order.size() == 70,
             QStringLiteral("CornerOrder is %1 bytes").arg(order.size()));
  }
  const QString name = race.RaceName(line);
  f.Expect(valid || name.isEmpty(), QStringLiteral("a refused line has a race name"));
  bool converted = true;
  converted &= Converts([&] { race.TrackDistance(line); });
  converted &= Converts([&] { race.RaceLabel(line); });
  converted &= Converts([&] { race.ClassLabel(line); });
  converted &= Converts([&] { race.GoingLabel(line); });
  f.Expect(valid || converted, QStringLiteral("a refused race line threw a conversion error"));
  const TByteLines lines{line, line};
  const QByteArray dates = race.DateList(lines);
  // A refused line lists as an empty date, once.
  f.Expect(dates == race.RaceDate(line) + "\r\n",
           QStringLiteral("DateList of a repeated line: %1").arg(Shown(dates)));
}

inline void CheckHorseAccessors(TFailures& f, const QByteArray& line) {
  TRunnerRecord uma;
  const bool valid = uma.LoadRecord(line);
  const auto width = [&](const QByteArray& value, qsizetype size, const char* name) {
    f.Expect(value.size() == size,
             QStringLiteral("%1 is %2 bytes").arg(QLatin1StringView(name)).arg(value.size()));
  };
  width(uma.RaceKey(line), valid ? 16 : 0, "RaceKey");
  width(uma.FrameNumber(line), 1, "FrameNumber");
  width(uma.HorseNumber(line), 2, "HorseNumber");
  width(uma.JockeyName(line), valid ? 8 : 0, "JockeyName");
  if (!valid) {
    f.Expect(uma.FrameNumber(line) == "0" && uma.HorseNumber(line) == "00",
             QStringLiteral("a refused horse line lacks its defaults"));
  }
  uma.HorseName(line);
  uma.ArrivalOrder(line);
  uma.FinalPlace(line);
  bool converted = true;
  converted &= Converts([&] { uma.AbnormalMark(line); });
  converted &= Converts([&] { uma.RunTime(line); });
  f.Expect(valid || converted, QStringLiteral("a refused horse line threw a conversion error"));
  TByteLines lines{line, line};
  Converts([&] { uma.SortByArrival(lines); });
  f.Expect(lines.size() <= 2, QStringLiteral("SortByArrival made lines"));
  for (const QByteArray& sorted : lines)
    f.Expect(sorted == line, QStringLiteral("SortByArrival changed a line"));
}

inline void CheckPayAccessors(TFailures& f, const QByteArray& line) {
  TPayRecord pay;
  const bool valid = pay.LoadPayRecord(line);
  const QByteArray key = pay.PayRaceKey(line);
  f.Expect(key.size() == (valid ? 16 : 0), QStringLiteral("PayRaceKey is %1 bytes").arg(key.size()));
  if (valid)
    f.Expect(pay.FindPayLine({line}, key) == line,
             QStringLiteral("FindPayLine does not find the line by its own key"));
  for (TBetType bet : AllBetTypes) {
    const QString text = pay.PayoutText(line, bet);
    f.Expect(valid || text.isEmpty(), QStringLiteral("a refused payout line has a payout text"));
  }
  // "3=000000150,5=000000200": a horse number without leading zeros, "=", the 9 stored bytes.
  const QByteArray places = pay.PlacePayouts(line);
  if (places.isEmpty()) return;
  for (const QByteArray& item : places.split(',')) {
    const qsizetype eq = item.indexOf('=');
    const QByteArray number = item.left(eq);
    const bool shaped = eq > 0 && AllDigits(number) && !number.startsWith('0') && item.size() - eq - 1 == 9;
    if (!shaped) {
      // The payout bytes are stored as delivered and may hold a comma; then the
      // item split above is not the record's, so only the count is checked.
      f.Expect(line.contains(','),
               QStringLiteral("PlacePayouts item %1 in %2").arg(Shown(item), Shown(places)));
      break;
    }
  }
}

// Input: a kind byte, then either a whole line of any bytes, or patches
// (offset, length, bytes) over a valid race, horse or payout line.
inline TFailures CheckRecords(QByteArrayView data) {
  TFailures f;
  TFuzzInput in(data);
  const quint8 kind = in.Byte();
  QByteArray line;
  if (kind % 4 == 0) {
    line = in.Rest().toByteArray();
  } else {
    TRecordBuilder record = kind % 4 == 1   ? TRecordBuilder::Race('7')
                            : kind % 4 == 2 ? TRecordBuilder::Horse('7')
                                            : TRecordBuilder::Pay('1');
    record.SetRaceKey(2024, 512, 5, 2, 8, 11);
    line = record.Line();
    while (!in.AtEnd()) {
      const qsizetype offset = in.Word() % line.size();
      const QByteArrayView bytes = in.Take(in.Byte() % 80);
      line.replace(offset, std::min(bytes.size(), line.size() - offset),
                   bytes.first(std::min(bytes.size(), line.size() - offset)));
    }
    // A high kind byte also tries the line one byte short or long.
    if (kind >= 0xF0) line.chop(1);
    if (kind >= 0xF8) line.append("  ");
  }
  CheckRaceAccessors(f, line);
  CheckHorseAccessors(f, line);
  CheckPayAccessors(f, line);
  return f;
}
