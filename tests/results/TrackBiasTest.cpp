#include "results/TrackBias.h"

#include "DayFixture.h"

#include <gtest/gtest.h>

namespace {

constexpr char Day[] = "20240512";

// Every runner's row and lane at the third and fourth corner.
struct TSpot {
  int Row3, Lane3, Row4, Lane4;
};

QByteArray Two(int value) {
  return QByteArray::number(value).rightJustified(2, '0');
}

// A 1200 m position line (four sections); the corners are sections 3 and 2
// from the goal, the second and third entries of each block.
QByteArray PositionLineOf(const QByteArray& key, int trackCode, const QList<TSpot>& spots) {
  QByteArray line = key + "1200" + Two(trackCode) + Two(int(spots.size()));
  for (const TSpot& s : spots)
    line += "10" + Two(s.Row3 + 1) + Two(s.Lane3) + Two(s.Row3) + Two(s.Lane3) + Two(s.Row4) + Two(s.Lane4) +
            Two(s.Row4) + Two(s.Lane4);
  return line;
}

// A race of ten runners in single file at lane 2, rows 1 to 10 at both
// corners, but for the horses moved by `moves`; the first three finishers are
// the horses `placed`.
void AddRaceOfTen(TDayStore& store, int venue, int raceNumber, int trackCode,
                  const std::array<int, 3>& placed, const QList<std::pair<int, TSpot>>& moves = {},
                  const char* date = Day, int runners = 10) {
  const QByteArray key = Key(date, venue, raceNumber);
  QList<TSpot> spots;
  for (int n = 1; n <= runners; ++n) spots.append({n, 2, n, 2});
  for (const auto& [horse, spot] : moves) spots[horse - 1] = spot;
  const QByteArray positionLine = PositionLineOf(key, trackCode, spots);
  QByteArray value;
  for (int p = 0; p < 3; ++p) {
    const TSpot& s = spots[placed[p] - 1];
    value += "1" + Two(placed[p]) + Two(s.Row3) + Two(s.Lane3) + Two(s.Row4) + Two(s.Lane4) +
             QByteArray(9, '0') + QByteArray(8, ' ');
  }
  store.Races.append({RaceLine(key, trackCode), positionLine, {}});
  store.RaceSummaries.append(key + '=' + value);
}

TEST(TrackBiasTest, CraftedDays) {
  const TSettings
      settings;  // 逃げ row 1, 先行 to 3, 好位 to 6, 中団 to 9; IN lane 1, OUT from 3, wide from 4
  struct TCase {
    const char* Name;
    std::function<void(TDayStore&)> Fill;
    int Races;
    QString Verdict;
    std::array<int, BandCount> PlacedBands4;
    std::array<int, LaneGroupCount> PlacedLanes4;
  };
  const TCase cases[] = {
      {"every winner led at the fourth corner",
       [](TDayStore& s) {
         for (int r = 1; r <= 3; ++r) AddRaceOfTen(s, 5, r, TurfTrack, {1, 5, 6});
       },
       3,
       QStringLiteral("前有利"),
       {3, 0, 6, 0, 0},
       {0, 9, 0, 0}},
      {"every winner came from the wide outside",
       [](TDayStore& s) {
         for (int r = 1; r <= 3; ++r) AddRaceOfTen(s, 5, r, TurfTrack, {8, 5, 6}, {{8, {8, 5, 8, 5}}});
       },
       3,
       QStringLiteral("差し有利・外有利"),
       {0, 0, 6, 3, 0},
       {0, 6, 0, 3}},
      {"a single race",
       [](TDayStore& s) {
         AddRaceOfTen(s, 5, 1, TurfTrack, {1, 2, 3});
       },
       1,
       QStringLiteral("データ不足"),
       {1, 2, 0, 0, 0},
       {0, 3, 0, 0}},
      {"placed horses run where the field runs",
       [](TDayStore& s) {
         AddRaceOfTen(s, 5, 1, TurfTrack, {5, 2, 8});
         AddRaceOfTen(s, 5, 2, TurfTrack, {6, 9, 3});
         AddRaceOfTen(s, 5, 3, TurfTrack, {4, 1, 10});
       },
       3,
       QStringLiteral("フラット"),
       {1, 2, 3, 2, 1},
       {0, 9, 0, 0}},
  };
  for (const TCase& c : cases) {
    TDayStore store;
    c.Fill(store);
    // Left out: a steeplechase, the straight course, and another day.
    AddRaceOfTen(store, 5, 9, SteepleTrack, {1, 2, 3});
    AddRaceOfTen(store, 4, 1, 10, {1, 2, 3});
    AddRaceOfTen(store, 5, 1, TurfTrack, {1, 2, 3}, {}, "20240511");
    const QList<TBiasGroup> groups = DayBias(store, Day, settings);
    ASSERT_EQ(groups.size(), 1) << c.Name;
    const TBiasGroup& g = groups.first();
    EXPECT_EQ(g.Venue, QStringLiteral("東京")) << c.Name;
    EXPECT_TRUE(g.Turf) << c.Name;
    EXPECT_EQ(g.Races, c.Races) << c.Name;
    EXPECT_EQ(g.Verdict, c.Verdict) << c.Name;
    EXPECT_EQ(g.Corners[Corner4].Placed.Bands, c.PlacedBands4) << c.Name;
    EXPECT_EQ(g.Corners[Corner4].Placed.Lanes, c.PlacedLanes4) << c.Name;
    const std::array<int, BandCount> field{c.Races, 2 * c.Races, 3 * c.Races, 3 * c.Races, c.Races};
    EXPECT_EQ(g.Corners[Corner4].Field.Bands, field) << c.Name;
    EXPECT_EQ(g.Corners[Corner4].Field.Horses, 10 * c.Races) << c.Name;
  }
}

// Placed horses 10 of 24 weights in front, the field 17 of 30 horses: exactly
// 15 points behind, which the verdict counts.
TEST(TrackBiasTest, ExactlyTheMarginCounts) {
  TDayStore store;
  const TSpot second{2, 2, 2, 2};
  const TSpot third{3, 2, 3, 2};
  AddRaceOfTen(store, 5, 1, TurfTrack, {1, 2, 3}, {{6, second}, {7, second}, {8, second}}, Day, 8);
  AddRaceOfTen(store, 5, 2, TurfTrack, {1, 5, 2}, {{7, third}, {8, third}}, Day, 8);
  AddRaceOfTen(store, 5, 3, TurfTrack, {5, 6, 7}, {}, Day, 7);
  AddRaceOfTen(store, 5, 4, TurfTrack, {5, 6, 7}, {}, Day, 7);
  const QList<TBiasGroup> groups = DayBias(store, Day, TSettings());
  ASSERT_EQ(groups.size(), 1);
  EXPECT_EQ(groups[0].Corners[Corner4].Field.Horses, 30);
  EXPECT_EQ(groups[0].Verdict, QStringLiteral("差し有利"));
}

// Venues keep the order they first appear in, turf before dirt; a correction
// that reaches the summary moves the counts.
TEST(TrackBiasTest, GroupsAndCorrections) {
  TDayStore store;
  AddRaceOfTen(store, 6, 1, DirtTrack, {1, 2, 3});
  AddRaceOfTen(store, 5, 1, DirtTrack, {1, 2, 3});
  AddRaceOfTen(store, 6, 2, TurfTrack, {1, 2, 3});
  const TSettings settings;
  QStringList seen;
  for (const TBiasGroup& g : DayBias(store, Day, settings)) seen.append(g.Venue + g.SurfaceLabel());
  EXPECT_EQ(seen, (QStringList{QStringLiteral("中山芝"), QStringLiteral("中山ダート"),
                               QStringLiteral("東京ダート")}));

  // The winner of 中山 1R corrected to the rail at the fourth corner.
  store.RaceSummaries[0].replace(17 + 9, 2, "01");
  const TBiasGroup dirt = DayBias(store, Day, settings)[1];
  EXPECT_EQ(dirt.Corners[Corner4].Placed.Lanes[int(TLaneGroup::In)], 1);
  EXPECT_EQ(dirt.Corners[Corner3].Placed.Lanes[int(TLaneGroup::In)], 0);
}

}  // namespace
