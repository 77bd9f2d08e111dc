#include "race/RaceGrid.h"
#include "race/RaceSheet.h"
#include "race/sheet/SheetFixtures.h"
#include "text/Errors.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <vector>

namespace {

constexpr TRgb Yellow{255, 255, 0};

// A sheet filled from SE lines whose placings and numbers are chosen by the test.
TRaceSheet SheetOf(const TByteLines& list, int lossPerLane = 2) {
  TRaceSheet sheet;
  sheet.FillSheet(list.mid(1), list[0], lossPerLane);
  return sheet;
}

TEST(RaceGridTest, PlacingColours) {
  // Rows 1..7: placings 3, 1, 2, "中", 7, 6, 7, then an empty row 8.
  QByteArray line = PositionLine(MileKey, 1200, "11", {});
  TByteLines list{line};
  const int places[] = {3, 1, 2, 0, 7, 6, 7};
  for (int i = 0; i < 7; ++i) {
    TRecordBuilder uma = RunnerBuilder(MileKey, i + 1, places[i]).SetFinalPlace(places[i]);
    if (places[i] == 0) uma.SetAbnormality(4);
    list.append(uma.Line());
  }
  const TRaceSheet sheet = SheetOf(list);
  const struct {
    int Row;
    std::optional<TRgb> Background;
  } cases[] = {{1, Yellow},       {4, TRgb{192, 192, 192}}, {5, TRgb{0, 255, 0}},
               {6, std::nullopt}, {7, std::nullopt},        {8, std::nullopt}};
  for (const auto& c : cases) {
    const TCellLook look = RaceCellLook(sheet, line, 0, c.Row);
    EXPECT_EQ(look.Background, c.Background) << c.Row;
    EXPECT_EQ(look.Align, TCellAlign::Right);
    EXPECT_EQ(look.TextColour, TCellTextColour::ButtonText);
  }
  EXPECT_EQ(RaceCellLook(sheet, line, 0, 4).Text, QStringLiteral("止"));
}

TEST(RaceGridTest, NumberCellTakesTheFrameColour) {
  // 1200 m: blocks of 18, frame digits at characters 25 and 43.
  const QByteArray line = PositionLine(
      MileKey, 1200, "11", {{"60", "0000", "0101", "0101", "0000"}, {"50", "0000", "0202", "0201", "0000"}});
  ASSERT_EQ(line[24], '6');
  ASSERT_EQ(line[42], '5');
  const TRaceSheet sheet =
      SheetOf({line, Uma(MileKey, 1, 1, 700), Uma(MileKey, 2, 2, 701), Uma(MileKey, 3, 3, 702)});
  const struct {
    int Row;
    const char* Text;
    TRgb Background;
    TCellTextColour TextColour;
  } cases[] = {{1, "1", {34, 119, 34}, TCellTextColour::White},
               {2, "2", Yellow, TCellTextColour::ButtonText},
               {3, "3", {0, 255, 255}, TCellTextColour::White}};
  for (const auto& c : cases) {
    const TCellLook look = RaceCellLook(sheet, line, 1, c.Row);
    EXPECT_EQ(look.Text, QString::fromLatin1(c.Text));
    EXPECT_EQ(look.Background, c.Background) << c.Row;
    EXPECT_EQ(look.TextColour, c.TextColour) << c.Row;
  }
  // An empty row: no text, the grid's colour.
  const TCellLook empty = RaceCellLook(sheet, line, 1, 4);
  EXPECT_TRUE(empty.Text.isEmpty());
  EXPECT_FALSE(empty.Background.has_value());
}

TEST(RaceGridTest, ThreeBestConvertedTimesByValue) {
  // Straight lines (no lanes): converted time equals the finishing time.
  const QByteArray line = PositionLine(MileKey, 1200, "11", {});
  const TRaceSheet sheet =
      SheetOf({line, Uma(MileKey, 1, 1, 950), Uma(MileKey, 2, 2, 951), Uma(MileKey, 3, 3, 951),
               Uma(MileKey, 4, 4, 960), Uma(MileKey, 5, 5, 961), Uma(MileKey, 6, 0, 0)});
  ASSERT_EQ(sheet.ConvRanking.size(), 4);
  const struct {
    int Row;
    std::optional<TRgb> Background;
    const char* Text;
  } cases[] = {{1, TRgb{255, 0, 0}, "1.35.0"},   {2, Yellow, "1.35.1"},       {3, Yellow, "1.35.1"},
               {4, TRgb{0, 255, 255}, "1.36.0"}, {5, std::nullopt, "1.36.1"}, {6, std::nullopt, "0.00.0"}};
  for (const auto& c : cases) {
    const TCellLook look = RaceCellLook(sheet, line, 4, c.Row);
    EXPECT_EQ(look.Background, c.Background) << c.Row;
    EXPECT_EQ(look.Text, QString::fromLatin1(c.Text)) << c.Row;
  }
  EXPECT_EQ(RaceCellLook(sheet, line, 3, 1).Text, QStringLiteral("1.35.0"));
  EXPECT_EQ(RaceCellLook(sheet, line, 5, 1).Text, sheet.Cell(5, 1));
  EXPECT_TRUE(RaceCellLook(sheet, line, 4, 7).Text.isEmpty());
}

TEST(RaceGridTest, FewerThanThreeRankedTimes) {
  const QByteArray line = PositionLine(MileKey, 1200, "11", {});
  const TRaceSheet sheet = SheetOf({line, Uma(MileKey, 1, 1, 950), Uma(MileKey, 2, 0, 0)});
  EXPECT_EQ(RaceCellLook(sheet, line, 4, 1).Background, (TRgb{255, 0, 0}));
  EXPECT_FALSE(RaceCellLook(sheet, line, 4, 2).Background.has_value());
}

TEST(RaceGridTest, HeaderAndHighlightOutline) {
  const QByteArray line = PositionLine(MileKey, 1200, "11", {});
  TByteLines list{line};
  for (int n = 1; n <= 8; ++n) list.append(Uma(MileKey, n, n, 700 + n));
  TRaceSheet sheet = SheetOf(list);
  for (int column = 0; column < 6; ++column) {
    const TCellLook header = RaceCellLook(sheet, line, column, 0);
    EXPECT_EQ(header.Background, HeaderColour);
    EXPECT_EQ(header.Align, TCellAlign::Centre);
  }
  sheet.HighlightHorse = "07";
  std::set<int> outlined;
  for (int row = 1; row < TRaceSheet::RowCount; ++row)
    if (RaceCellLook(sheet, line, 2, row).Outline) outlined.insert(row);
  EXPECT_EQ(outlined, std::set<int>{7});
  EXPECT_FALSE(RaceCellLook(sheet, line, 1, 7).Outline);
  sheet.HighlightHorse = "00";
  for (int row = 1; row < TRaceSheet::RowCount; ++row)
    EXPECT_FALSE(RaceCellLook(sheet, line, 2, row).Outline);
}

TEST(RaceGridTest, ValueColumnFollowsTheButton) {
  EXPECT_EQ(ValueColumn(TValueButton::RunTime), 3);
  EXPECT_EQ(ValueColumn(TValueButton::Converted), 4);
  EXPECT_EQ(ValueColumn(TValueButton::Speed), 5);
}

TEST(RaceGridTest, StraightCourseShowsConvertedTimeAsAnyCourse) {
  for (const char* track : {"10", "11"}) {
    const QByteArray line = PositionLine(MileKey, 1000, track, {});
    const TRaceSheet sheet = SheetOf({line, Uma(MileKey, 1, 1, 560)});
    const TCellLook look = RaceCellLook(sheet, line, TRaceSheet::ConvertedColumn, 1);
    EXPECT_EQ(look.Text, QStringLiteral("0.56.0")) << track;
    EXPECT_TRUE(look.Background.has_value()) << track;
    EXPECT_EQ(RaceCellLook(sheet, line, TRaceSheet::RunTimeColumn, 1).Text, QStringLiteral("0.56.0"));
  }
}

TEST(RaceGridTest, CellGeometryIsRightExclusive) {
  using namespace SheetGeometry;
  EXPECT_EQ(Width(), 203);
  EXPECT_EQ(CellRect(2, 1, 5), (TCellRect{42, 21, 162, 41}));
  EXPECT_EQ(CellRect(5, 18, 5), (TCellRect{163, 378, 203, 398}));
  EXPECT_TRUE(CellRect(4, 1, 5).IsEmpty());
  const struct {
    int X, Y, ValueColumn, Column, Row;
  } hits[] = {{0, 0, 3, 0, 0},    {19, 19, 3, 0, 0},   {20, 5, 3, -1, -1},   {21, 5, 3, 1, 0},
              {5, 20, 3, -1, -1}, {5, 21, 3, 0, 1},    {202, 397, 4, 4, 18}, {202, 398, 4, -1, -1},
              {170, 30, 5, 5, 1}, {203, 30, 5, -1, -1}};
  for (const auto& h : hits) {
    const TCellHit hit = CellAt(h.X, h.Y, h.ValueColumn);
    EXPECT_EQ(hit.Column, h.Column) << h.X << "," << h.Y;
    EXPECT_EQ(hit.Row, h.Row) << h.X << "," << h.Y;
  }
}

struct TBlinkFixture : ::testing::Test {
  void SetUp() override {
    const QByteArray line = PositionLine(MileKey, 1200, "11", {});
    Sheet = SheetOf({line, Uma(MileKey, 4, 1, 700), Uma(MileKey, 9, 2, 701)});
    Visible = {{4, true}, {9, true}};
  }
  std::optional<TMarkerBlink::TShow> Press(int column, int row) {
    return Blink.Press(Sheet, column, row, [&](int horse) { return Visible[horse]; });
  }
  // One tick, applied to the markers.
  void Tick() {
    if (const auto show = Blink.Tick(Visible[Blink.Horse()])) Visible[show->Horse] = show->Visible;
  }
  TRaceSheet Sheet;
  std::map<int, bool> Visible;
  TMarkerBlink Blink;
};

TEST_F(TBlinkFixture, HidesAndShowsThreeTimes) {
  EXPECT_FALSE(Press(1, 1).has_value());
  ASSERT_TRUE(Blink.Running());
  EXPECT_EQ(Blink.Horse(), 4);
  std::vector<bool> seen;
  for (int tick = 0; tick < 6; ++tick) {
    Tick();
    seen.push_back(Visible[4]);
  }
  EXPECT_EQ(seen, (std::vector<bool>{false, true, false, true, false, true}));
  EXPECT_FALSE(Blink.Running());
  Tick();
  EXPECT_TRUE(Visible[4]);
}

TEST_F(TBlinkFixture, PressesThatStartNoBlink) {
  const struct { int Column, Row; } cases[] = {{1, 0}, {0, 3}, {3, 1}, {4, 2}, {2, -1}, {2, 19}};
  for (const auto& c : cases) {
    Press(c.Column, c.Row);
    EXPECT_FALSE(Blink.Running()) << c.Column << "," << c.Row;
  }
  Visible[9] = false;
  Press(2, 2);
  EXPECT_FALSE(Blink.Running());
}

TEST_F(TBlinkFixture, PressDuringABlink) {
  Press(0, 1);
  Tick();
  ASSERT_FALSE(Visible[4]);
  // The new horse takes over at once; the interrupted marker is shown again.
  const auto restore = Press(2, 2);
  ASSERT_TRUE(restore.has_value());
  EXPECT_EQ(restore->Horse, 4);
  EXPECT_TRUE(restore->Visible);
  Visible[4] = true;
  EXPECT_EQ(Blink.Horse(), 9);
  EXPECT_EQ(Blink.Counter(), 2);
  for (int tick = 0; tick < 6; ++tick) Tick();
  EXPECT_TRUE(Visible[4] && Visible[9]);
  EXPECT_FALSE(Blink.Running());

  // A press on a horse whose marker is hidden ends the blink without showing it.
  Press(0, 1);
  Tick();
  Visible[9] = false;
  const auto back = Press(1, 2);
  ASSERT_TRUE(back.has_value());
  Visible[back->Horse] = back->Visible;
  EXPECT_FALSE(Blink.Running());
  Tick();
  EXPECT_TRUE(Visible[4]);
  EXPECT_FALSE(Visible[9]);
}

TEST(PayoutTickerTest, RotatesWholeCharacters) {
  TPayoutTicker ticker;
  const QString line = QStringLiteral("　単勝３番￥４５０");
  ticker.SetOn(true, line);
  ticker.Tick();
  EXPECT_EQ(ticker.Text(), QStringLiteral("単勝３番￥４５０　"));
  for (qsizetype i = 1; i < line.size(); ++i) ticker.Tick();
  EXPECT_EQ(ticker.Text(), line);

  // A character outside the basic plane moves as one.
  const QString wide = QStringLiteral("𠮷野家");
  ticker.SetOn(true, wide);
  ticker.Tick();
  EXPECT_EQ(ticker.Text(), QStringLiteral("野家𠮷"));
  ticker.Tick();
  ticker.Tick();
  EXPECT_EQ(ticker.Text(), wide);

  ticker.SetOn(false, line);
  ticker.Tick();
  EXPECT_FALSE(ticker.On());
  EXPECT_TRUE(ticker.Text().isEmpty());
  ticker.SetOn(true, QString());
  ticker.Tick();
  EXPECT_TRUE(ticker.Text().isEmpty());
}

}  // namespace
