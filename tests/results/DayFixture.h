#pragma once

// Day stores for the results list tests: race lines by race key and surface,
// and race summaries assembled from place entries.

#include "store/DayStore.h"
#include "support/RecordLines.h"
#include "text/Cp932.h"

#include <QByteArray>
#include <QString>

#include <algorithm>

inline constexpr int TurfTrack = 11;
inline constexpr int DirtTrack = 23;
inline constexpr int SteepleTrack = 51;

inline QByteArray Key(const char* date, int venue, int raceNumber, int meeting = 1, int day = 1) {
  return QByteArray(date) + QByteArray::number(venue).rightJustified(2, '0') +
         QByteArray::number(meeting).rightJustified(2, '0') + QByteArray::number(day).rightJustified(2, '0') +
         QByteArray::number(raceNumber).rightJustified(2, '0');
}

inline QByteArray RaceLine(const QByteArray& key, int trackCode = TurfTrack, int weather = 1) {
  return RaceBuilder(key).SetTrackCode(trackCode).SetWeather(weather).Line();
}

struct TPlace {
  int Frame = 1;
  int Horse = 1;
  const char* Corner3 = "0101";
  const char* Corner4 = "0101";
  int Payout = 0;
  QString Jockey = QStringLiteral("騎手");
};

// One 28-byte place entry; the jockey is padded with spaces to 8 bytes.
inline QByteArray PlaceBytes(const TPlace& p) {
  QByteArray jockey = EncodeCp932(p.Jockey);
  jockey = jockey.leftJustified(8, ' ', true);
  return QByteArray::number(p.Frame) + QByteArray::number(p.Horse).rightJustified(2, '0') + p.Corner3 +
         p.Corner4 + QByteArray::number(p.Payout).rightJustified(9, '0') + jockey;
}

inline QByteArray SummaryLine(const QByteArray& key, const TPlace& first, const TPlace& second,
                              const TPlace& third) {
  return key + '=' + PlaceBytes(first) + PlaceBytes(second) + PlaceBytes(third);
}

// Adds a race and, unless summary is empty, its summary line; keeps RaceDates
// ascending as the day store does.
inline void AddRace(TDayStore& store, const QByteArray& line, const QByteArray& summary = {}) {
  store.Races.append({line, {}, {}});
  const QByteArray date = line.mid(11, 8);
  if (!store.RaceDates.contains(date))
    store.RaceDates.insert(std::lower_bound(store.RaceDates.cbegin(), store.RaceDates.cend(), date), date);
  if (!summary.isEmpty()) store.RaceSummaries.append(summary);
}

inline void AddRace(TDayStore& store, const QByteArray& key, int trackCode, const TPlace& first,
                    const TPlace& second, const TPlace& third) {
  AddRace(store, RaceLine(key, trackCode), SummaryLine(key, first, second, third));
}
