#include "records/PayRecord.h"
#include "records/RaceRecord.h"
#include "records/RunnerRecord.h"

#include "support/RecordLines.h"
#include "text/Errors.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

// Lines of every length near the record lengths, with the right record type and
// otherwise random bytes: each operation gives a field of its width, its
// default for a refused line, or a TConvertError, and (in the sanitizer build)
// never reads outside its buffer.
TByteLines MalformedLines() {
  std::mt19937 random(20240512);
  std::uniform_int_distribution<int> byte(0, 255);
  const auto noise = [&](int size) {
    QByteArray bytes(size, '\0');
    for (char& c : bytes) c = char(byte(random));
    return bytes;
  };
  TByteLines lines = {{}, "R", "RA", "SE", "HR", QByteArray(1270, '\0'), QByteArray(553, '\xff')};
  for (const auto& [type, length] : {std::pair{"RA", 1270}, std::pair{"SE", 553}, std::pair{"HR", 717}}) {
    for (int size = length - 3; size <= length + 3; ++size) {
      for (int round = 0; round < 20; ++round) lines.append(type + noise(size - 2));
    }
  }
  // Valid lines with a digit or sign where blanks belong, and the reverse.
  lines.append(MakeRaceLine().replace(' ', '-'));
  lines.append(MakeUmaLine().replace('0', ' '));
  lines.append(MakePayLine().replace('0', '+'));
  return lines;
}

// A refused line gives the operation's default without throwing; an accepted
// one gives a result or a TConvertError, and nothing else.
template <typename TCall>
void ResultOrConvertError(bool accepted, TCall call) {
  if (!accepted) {
    EXPECT_NO_THROW(call());
    return;
  }
  try {
    call();
  } catch (const TConvertError&) {
  }
}

TEST(MalformedRecordTest, EveryOperationGivesAResultOrAConvertError) {
  const TByteLines lines = MalformedLines();
  TRaceRecord race;
  TRunnerRecord uma;
  TPayRecord pay;
  int accepted = 0;
  for (const QByteArray& line : lines) {
    const bool isRace = race.LoadRecord(line);
    const bool isRunner = uma.LoadRecord(line);
    const bool isPay = pay.LoadPayRecord(line);
    accepted += isRace + isRunner + isPay;
    SCOPED_TRACE(line.left(2).toStdString() + " of " + std::to_string(line.size()) + " bytes");
    // Keys are the field's width, or empty for a refused line.
    const QByteArray key = race.RaceKey(line);
    EXPECT_EQ(key.size(), isRace ? 16 : 0);
    EXPECT_EQ(race.RaceDate(line), key.left(8));
    EXPECT_EQ(race.MeetingKey(line), key.left(14));
    // A repeated line lists its date once; a refused one lists the empty date.
    EXPECT_EQ(race.DateList({line, line}), race.RaceDate(line) + "\r\n");
    EXPECT_EQ(race.WeatherCode(line).size(), 1);
    EXPECT_TRUE(isRace || race.RaceName(line).isEmpty());
    ResultOrConvertError(isRace, [&] { EXPECT_EQ(race.TrackDistance(line).isEmpty(), !isRace); });
    ResultOrConvertError(isRace, [&] { EXPECT_TRUE(isRace || race.RaceLabel(line).isEmpty()); });
    ResultOrConvertError(isRace, [&] { EXPECT_TRUE(isRace || race.ClassLabel(line).isEmpty()); });
    ResultOrConvertError(isRace, [&] { EXPECT_TRUE(isRace || race.GoingLabel(line).isEmpty()); });
    for (int corner = -1; corner <= 5; ++corner)
      EXPECT_TRUE(isRace || race.CornerOrder(line, corner).isEmpty());
    EXPECT_EQ(uma.RaceKey(line).size(), isRunner ? 16 : 0);
    EXPECT_EQ(uma.FrameNumber(line).size(), 1);
    EXPECT_EQ(uma.HorseNumber(line).size(), 2);
    EXPECT_EQ(uma.HorseName(line).isEmpty(), !isRunner);
    EXPECT_EQ(uma.JockeyName(line).isEmpty(), !isRunner);
    EXPECT_EQ(uma.ArrivalOrder(line).size(), isRunner ? 2 : 0);
    EXPECT_EQ(uma.FinalPlace(line).size(), isRunner ? 2 : 0);
    ResultOrConvertError(isRunner, [&] { EXPECT_TRUE(isRunner || uma.AbnormalMark(line).isEmpty()); });
    ResultOrConvertError(isRunner, [&] { EXPECT_TRUE(isRunner || uma.RunTime(line) == 0); });
    EXPECT_EQ(pay.PayRaceKey(line).size(), isPay ? 16 : 0);
    EXPECT_TRUE(isPay || pay.PlacePayouts(line).isEmpty());
    for (const TBetType betType : AllBetTypes) EXPECT_TRUE(isPay || pay.PayoutText(line, betType).isEmpty());
  }
  // The random lines of the exact lengths, and the three altered valid ones, were accepted.
  EXPECT_EQ(accepted, 3 * 20 + 3);
  TByteLines sorted = lines;
  uma.SortByArrival(sorted);
  EXPECT_LE(sorted.size(), 20 + 1);
  for (const QByteArray& line : sorted) EXPECT_TRUE(uma.LoadRecord(line));
  // Refused lines have the empty key; an accepted one is found by its own.
  const QByteArray refused = pay.FindPayLine(lines, {});
  EXPECT_TRUE(lines.contains(refused) && pay.PayRaceKey(refused).isEmpty());
  EXPECT_EQ(pay.FindPayLine(lines, pay.PayRaceKey(lines.last())), lines.last());
}

}  // namespace
