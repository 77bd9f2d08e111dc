#include "demo/RunningModel.h"

#include "position/PassingOrderConverter.h"

#include <gtest/gtest.h>

namespace {

// Row and lane the converter reads for horse n from a passing order.
std::pair<int, int> Converted(const QByteArray& order, int n) {
  const QByteArray rows = TPassingOrderConverter::ParsePassingOrder(order.leftJustified(70, ' '));
  const QByteArray token(1, TPassingOrderConverter::HorseToken(n));
  return {TPassingOrderConverter::RowOf(rows, token), TPassingOrderConverter::LaneOf(rows, token)};
}

struct TWriteCase {
  const char* Name;
  QList<TCornerHorse> Horses;
  QByteArray Text;
};

class WritePassingOrderTest : public testing::TestWithParam<TWriteCase> {};

TEST_P(WritePassingOrderTest, WritesTheNotation) {
  const TPassingOrder order = WritePassingOrder(GetParam().Horses);
  EXPECT_EQ(order.Text, GetParam().Text) << GetParam().Name;
  for (qsizetype i = 0; i < order.Numbers.size(); ++i) {
    const auto [row, lane] = Converted(order.Text, order.Numbers[i]);
    EXPECT_EQ(row, order.Rows[i]) << GetParam().Name << " horse " << order.Numbers[i];
    EXPECT_EQ(lane, order.Lanes[i]) << GetParam().Name << " horse " << order.Numbers[i];
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, WritePassingOrderTest,
    testing::Values(
        TWriteCase{"single file by the gap", {{1, 0, 0}, {2, 1.5, 0}, {3, 4.0, 0}, {4, 9.5, 0}}, "1,2-3=4"},
        TWriteCase{"abreast within a length, rail first, leader starred",
                   {{3, 0.4, -1}, {1, 0, 0.5}, {2, 2.5, 0}},
                   "(3,*1)-2"},
        TWriteCase{"a one-row step beside a group has no sign",
                   {{1, 0, 0}, {2, 1.2, 0}, {3, 1.5, 1}, {4, 2.9, 0}, {5, 3.2, 1}, {6, 4.4, 0}},
                   "1(2,3)(4,5)6"},
        TWriteCase{"steps beside groups",
                   {{5, 0, 0}, {6, 0.5, 1}, {7, 3, 0}, {8, 3.2, 1}, {9, 9, 0}},
                   "(*5,6)-(7,8)=9"},
        TWriteCase{"no star on a single leader", {{10, 0, 0}, {12, 1.1, 1}, {11, 1.5, 0}}, "10(11,12)"},
        TWriteCase{"at most three abreast",
                   {{1, 0, 0}, {2, 0.1, 1}, {3, 0.2, 2}, {4, 0.3, 3}, {5, 0.4, 4}},
                   "(*1,2,3)(4,5)"},
        TWriteCase{"two-digit numbers", {{18, 0, 0}, {1, 1.1, 0}, {11, 6.5, 0}}, "18,1=11"}));

// The notation the model writes must say what the model meant, for any field.
TEST(RunningModelTest, EveryWrittenOrderConvertsToTheModelsRowsAndLanes) {
  TDemoRandom random(7);
  for (int trial = 0; trial < 300; ++trial) {
    QList<TCornerHorse> field;
    const int n = random.Between(1, 18);
    for (int i = 1; i <= n; ++i) field.append({i, random.Uniform() * 25.0, random.Normal()});
    const TPassingOrder order = WritePassingOrder(field);
    ASSERT_LE(order.Text.size(), 70) << order.Text.constData();
    ASSERT_EQ(order.Numbers.size(), n);
    for (qsizetype k = 0; k < order.Numbers.size(); ++k) {
      const auto [row, lane] = Converted(order.Text, order.Numbers[k]);
      ASSERT_EQ(row, order.Rows[k]) << order.Text.constData();
      ASSERT_EQ(lane, order.Lanes[k]) << order.Text.constData();
    }
  }
}

TEST(RunningModelTest, RacesAreConsistent) {
  TRacePlan plan;
  TDayConditions good;
  int deadHeats = 0, scratchings = 0, stops = 0;
  for (int trial = 0; trial < 400; ++trial) {
    plan.Horses = 5 + trial % 14;
    plan.Corners = trial % 2 ? QList<int>{3, 4} : QList<int>{1, 2, 3, 4};
    TDemoRandom field(trial + 1000);
    QList<double> abilities;
    for (int i = 0; i < plan.Horses; ++i) abilities.append(field.Normal());
    TDemoRandom random(trial + 1);
    const TRaceRun run = RunRace(plan, good, abilities, random);
    ASSERT_EQ(run.Horses.size(), plan.Horses);
    ASSERT_EQ(run.Orders.size(), plan.Corners.size());
    deadHeats += run.DeadHeat;
    // The population moves its winners up by the finish decided beforehand.
    TDemoRandom again(trial + 1);
    const TRaceRun decided = DecideFinish(plan, abilities, again);
    for (int i = 0; i < plan.Horses; ++i) {
      EXPECT_EQ(decided.Horses[i].Arrival, run.Horses[i].Arrival) << trial;
      EXPECT_EQ(decided.Horses[i].Abnormality, run.Horses[i].Abnormality) << trial;
      EXPECT_EQ(run.Horses[i].Ability, abilities[i]);
    }
    QList<const THorseRun*> arrived;
    for (const THorseRun& h : run.Horses) {
      const bool scratched = h.Abnormality == 1 || h.Abnormality == 2;
      scratchings += scratched;
      stops += h.Abnormality == 4;
      EXPECT_EQ(h.Arrival > 0, h.Abnormality == 0);
      EXPECT_EQ(h.Time > 0, h.Abnormality == 0);
      for (int c = 0; c < plan.Corners.size(); ++c) {
        const int listed = static_cast<int>(run.Orders[c].Numbers.count(h.Number));
        if (scratched) {
          EXPECT_EQ(listed, 0);
        }
        if (h.Abnormality == 0) {
          EXPECT_EQ(listed, 1) << "a finisher is at every corner once";
        }
        EXPECT_LE(listed, 1);
        EXPECT_EQ(h.Rows[c] > 0, listed == 1);
      }
      if (h.Arrival > 0) arrived.append(&h);
    }
    std::stable_sort(arrived.begin(), arrived.end(),
                     [](const THorseRun* a, const THorseRun* b) { return a->Arrival < b->Arrival; });
    for (qsizetype i = 0; i < arrived.size(); ++i) {
      if (i == 0) {
        EXPECT_EQ(arrived[i]->Arrival, 1);
        continue;
      }
      const THorseRun* a = arrived[i - 1];
      const THorseRun* b = arrived[i];
      if (b->Arrival == a->Arrival) {
        EXPECT_EQ(b->Time, a->Time) << "a dead heat shares its time";
      } else {
        EXPECT_EQ(b->Arrival, static_cast<int>(i) + 1) << "places after a dead heat skip";
        EXPECT_GE(b->Time, a->Time);
      }
    }
  }
  // The rare events happen, and rarely.
  EXPECT_GT(deadHeats, 0);
  EXPECT_LT(deadHeats, 40);
  EXPECT_GT(scratchings, 20);
  EXPECT_GT(stops, 0);
}

struct TPaceCase {
  TSurface Surface;
  int Distance;
  int TrackCode;
  int Low, High;  // winning time range, tenths
};

TEST(RunningModelTest, TypicalTimesAreRealistic) {
  const TPaceCase cases[] = {
      {TSurface::Turf, 1600, 11, 930, 960},   {TSurface::Turf, 1200, 17, 675, 700},
      {TSurface::Turf, 1000, 10, 545, 565},   {TSurface::Turf, 2400, 11, 1440, 1480},
      {TSurface::Dirt, 1800, 24, 1105, 1135}, {TSurface::Steeple, 3000, 51, 2000, 2100},
  };
  TDayConditions good;
  for (const TPaceCase& c : cases) {
    TRacePlan plan;
    plan.Surface = c.Surface;
    plan.Distance = c.Distance;
    plan.TrackCode = c.TrackCode;
    plan.Condition = 5;
    const int t = TypicalTime(plan, good);
    EXPECT_GE(t, c.Low) << c.Distance;
    EXPECT_LE(t, c.High) << c.Distance;
  }
  TRacePlan mile;
  mile.Surface = TSurface::Turf;
  mile.Distance = 1600;
  TDayConditions heavy;
  heavy.TurfGoing = 4;
  EXPECT_GT(TypicalTime(mile, heavy), TypicalTime(mile, good)) << "heavy turf is slower";
}

}  // namespace
