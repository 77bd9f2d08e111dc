#pragma once

// Valid record lines with sensible defaults, for tests of every folder. The
// *Builder functions return the builder so a test can change more fields.

#include "records/RecordBuilder.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

// The last of the lines (position lines, say) that begins with the race key;
// empty when none does.
inline QByteArray LineOfRace(const QList<QByteArray>& lines, QByteArrayView raceKey) {
  for (qsizetype i = lines.size() - 1; i >= 0; --i) {
    if (lines[i].startsWith(raceKey)) return lines[i];
  }
  return {};
}

// A line written with spaces between its fields for the reader; the spaces go.
inline QByteArray Unspaced(const char* spaced) {
  return QByteArray(spaced).replace(" ", "");
}

inline constexpr char DefaultRaceKey[] = "2024051205020811";  // 東京 2回8日目 11R, 2024-05-12

// A 1600 m turf race, 16 runners, fine and good going, no corner blocks.
inline TRecordBuilder RaceBuilder(QByteArrayView raceKey = DefaultRaceKey) {
  return TRecordBuilder::Race('7')
      .SetRaceKey(raceKey)
      .SetRaceName(u"テストステークス")
      .SetGrade(' ')
      .SetRaceType(13)
      .SetCondition(16)
      .SetDistance(1600)
      .SetTrackCode(11)
      .SetHorseCount(16)
      .SetWeather(1)
      .SetTurfGoing(1)
      .SetDirtGoing(0);
}

inline QByteArray MakeRaceLine(QByteArrayView raceKey = DefaultRaceKey) {
  return RaceBuilder(raceKey).Line();
}

// Horse `horseNumber` finishing `arrival`-th (0: did not arrive), a tenth of a
// second behind per place after 1.34.5.
inline TRecordBuilder RunnerBuilder(QByteArrayView raceKey = DefaultRaceKey, int horseNumber = 1,
                                    int arrival = 1) {
  return TRecordBuilder::Horse('7')
      .SetRaceKey(raceKey)
      .SetFrame((horseNumber + 1) / 2 > 8 ? 8 : (horseNumber + 1) / 2)
      .SetHorseNumber(horseNumber)
      .SetHorseName(u"テストホース")
      .SetJockey(u"騎手")
      .SetAbnormality(0)
      .SetArrival(arrival)
      .SetFinalPlace(arrival)
      .SetTime(arrival > 0 ? 945 + arrival - 1 : 0);
}

inline QByteArray MakeRunnerLine(QByteArrayView raceKey = DefaultRaceKey, int horseNumber = 1,
                                 int arrival = 1) {
  return RunnerBuilder(raceKey, horseNumber, arrival).Line();
}

// A payout record whose every entry is zeros (nothing paid).
inline TRecordBuilder EmptyPayBuilder(QByteArrayView raceKey = DefaultRaceKey) {
  TRecordBuilder builder = TRecordBuilder::Pay('1');
  builder.SetRaceKey(raceKey);
  for (const TBetType betType : AllBetTypes) {
    const TPayBlock block = PayBlock(betType);
    builder.SetBytes(block.Offset, QByteArray(block.Count * block.EntryLength(), '0'));
  }
  return builder;
}

// Horses 3, 5, 7 first to third (frames 2, 3, 4).
inline TRecordBuilder PayBuilder(QByteArrayView raceKey = DefaultRaceKey) {
  return EmptyPayBuilder(raceKey)
      .SetPayEntry(TBetType::Win, 0, {3}, 450, 2)
      .SetPayEntry(TBetType::Place, 0, {3}, 150, 2)
      .SetPayEntry(TBetType::Place, 1, {5}, 200, 3)
      .SetPayEntry(TBetType::Place, 2, {7}, 310, 6)
      .SetPayEntry(TBetType::BracketQuinella, 0, {2, 3}, 980, 4)
      .SetPayEntry(TBetType::Quinella, 0, {3, 5}, 1230, 5)
      .SetPayEntry(TBetType::QuinellaPlace, 0, {3, 5}, 480, 5)
      .SetPayEntry(TBetType::QuinellaPlace, 1, {3, 7}, 720, 9)
      .SetPayEntry(TBetType::QuinellaPlace, 2, {5, 7}, 950, 12)
      .SetPayEntry(TBetType::Exacta, 0, {3, 5}, 2150, 8)
      .SetPayEntry(TBetType::Trio, 0, {3, 5, 7}, 4560, 15)
      .SetPayEntry(TBetType::Trifecta, 0, {3, 5, 7}, 12340, 12);
}

inline QByteArray MakePayLine(QByteArrayView raceKey = DefaultRaceKey) {
  return PayBuilder(raceKey).Line();
}
