#include "records/RunnerRecord.h"

#include "support/RecordLines.h"
#include "text/Cp932.h"
#include "text/Errors.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

TEST(RunnerRecordTest, ValidLineReadsItsFields) {
  const QByteArray line = RunnerBuilder("2024052605021011", 12, 3)
                              .SetFrame(6)
                              .SetHorseName(u"ドウデュース")
                              .SetJockey(u"武豊")
                              .SetFinalPlace(2)
                              .Line();
  TRunnerRecord runner;
  EXPECT_TRUE(runner.LoadRecord(line));
  EXPECT_EQ(runner.RaceKey(line), "2024052605021011");
  EXPECT_EQ(runner.FrameNumber(line), "6");
  EXPECT_EQ(runner.HorseNumber(line), "12");
  EXPECT_EQ(runner.HorseName(line), u"ドウデュース"_s + QString(24, u' '));
  // The record bytes themselves, padding kept.
  EXPECT_EQ(runner.JockeyName(line), EncodeCp932(u"武豊") + "    ");
  EXPECT_EQ(runner.ArrivalOrder(line), "03");
  EXPECT_EQ(runner.FinalPlace(line), "02");
}

TEST(RunnerRecordTest, AbnormalMarks) {
  const char16_t* marks[] = {u"", u"消", u"外", u"外", u"止", u"失", u"再", u"", u"", u""};
  for (int code = 0; code <= 9; ++code) {
    const QByteArray line = RunnerBuilder().SetAbnormality(code).Line();
    EXPECT_EQ(TRunnerRecord().AbnormalMark(line), QString::fromUtf16(marks[code])) << code;
  }
  EXPECT_THROW(TRunnerRecord().AbnormalMark(RunnerBuilder().SetBytes(331, " ").Line()), TConvertError);
}

TEST(RunnerRecordTest, RunTime) {
  struct TCase {
    const char* Stored;
    int Tenths;
  };
  for (const TCase& c : {TCase{"1345", 945}, TCase{"2000", 1200}, TCase{"0000", 0}, TCase{"0599", 599},
                         TCase{"0580", 580}, TCase{"3012", 1812}}) {
    EXPECT_EQ(TRunnerRecord().RunTime(RunnerBuilder().SetBytes(338, c.Stored).Line()), c.Tenths) << c.Stored;
  }
  for (const char* bad : {"    ", "1 34", "13.4", "１"}) {
    const QByteArray line = RunnerBuilder().SetBytes(338, QByteArray(bad).leftJustified(4, ' ', true)).Line();
    EXPECT_THROW(TRunnerRecord().RunTime(line), TConvertError) << bad;
  }
}

TEST(RunnerRecordTest, SortByArrivalPutsNonArrivalsLastAndDropsTheRest) {
  const auto horse = [](int number, const char* arrival) {
    return RunnerBuilder(DefaultRaceKey, number, 1).SetBytes(332, arrival).Line();
  };
  struct TCase {
    std::vector<std::pair<int, const char*>> Input;  // horse number, arrival
    std::vector<int> Sorted;                         // horse numbers
  };
  const TCase cases[] = {
      {{{1, "03"}, {2, "01"}, {3, "00"}, {4, "02"}, {5, "00"}}, {2, 4, 1, 3, 5}},
      {{{1, "19"}, {2, "01"}, {3, "  "}, {4, "1 "}, {5, "18"}, {6, "99"}}, {2, 5}},
      {{{1, "02"}, {2, "02"}, {3, "01"}}, {3, 1, 2}},  // a dead heat keeps its order
      {{}, {}},
  };
  for (const TCase& c : cases) {
    TByteLines lines;
    for (const auto& [number, arrival] : c.Input) lines.append(horse(number, arrival));
    lines.append("SE not a record");
    TRunnerRecord runner;
    runner.SortByArrival(lines);
    std::vector<int> numbers;
    for (const QByteArray& line : lines) numbers.push_back(runner.HorseNumber(line).toInt());
    EXPECT_EQ(numbers, c.Sorted);
  }
}

}  // namespace
