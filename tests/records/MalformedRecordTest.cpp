#include "records/PayRecord.h"
#include "records/RaceRecord.h"
#include "records/RunnerRecord.h"

#include "support/RecordLines.h"
#include "text/Errors.h"

#include <gtest/gtest.h>

#include <random>

namespace {

// Lines of every length near the record lengths, with the right record type and
// otherwise random bytes: each operation gives a result or a TConvertError,
// and (in the sanitizer build) never reads outside its buffer.
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

template <typename TCall>
void ResultOrConvertError(TCall call) {
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
    accepted += race.LoadRecord(line) + uma.LoadRecord(line) + pay.LoadPayRecord(line);
    race.RaceDate(line);
    race.MeetingKey(line);
    race.RaceKey(line);
    race.RaceName(line);
    race.WeatherCode(line);
    ResultOrConvertError([&] { race.TrackDistance(line); });
    ResultOrConvertError([&] { race.RaceLabel(line); });
    ResultOrConvertError([&] { race.ClassLabel(line); });
    ResultOrConvertError([&] { race.GoingLabel(line); });
    for (int corner = -1; corner <= 5; ++corner) race.CornerOrder(line, corner);
    uma.RaceKey(line);
    uma.FrameNumber(line);
    uma.HorseNumber(line);
    uma.HorseName(line);
    uma.JockeyName(line);
    uma.ArrivalOrder(line);
    uma.FinalPlace(line);
    ResultOrConvertError([&] { uma.AbnormalMark(line); });
    ResultOrConvertError([&] { uma.RunTime(line); });
    pay.PayRaceKey(line);
    pay.PlacePayouts(line);
    for (const TBetType betType : AllBetTypes) pay.PayoutText(line, betType);
  }
  // The random lines of the exact lengths, and the three altered valid ones, were accepted.
  EXPECT_EQ(accepted, 3 * 20 + 3);
  TByteLines sorted = lines;
  uma.SortByArrival(sorted);
  EXPECT_LE(sorted.size(), 20 + 1);
  race.DateList(lines);
  race.MeetingList(lines);
  race.RacesOfDate(lines, "20240512");
  race.RacesOfMeeting(lines, {});
  pay.FindPayLine(lines, {});
}

}  // namespace
