#include "results/ResultsCells.h"

#include "DayFixture.h"
#include "text/Errors.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

constexpr TCellRect CellAt{26, 21, 301, 41};  // column 1, row 1
constexpr TRgb White{255, 255, 255};
constexpr TRgb Silver{192, 192, 192};
const TPaintColour Grey = TPaintColour::Theme(TPaintColour::TRole::GreyText);
const TPaintColour BlackText = TPaintColour::Of({0, 0, 0});

class ResultsCellsTest : public testing::Test {
protected:
  // Row 1 (2R) of one venue: turf, dirt and steeplechase races at 中山 in rows 0..2,
  // whose finishers are given per test.
  void Show(const TPlace& a = {}, const TPlace& b = {}, const TPlace& c = {}) {
    AddRace(Store, Key("20140309", 6, 1), TurfTrack, a, b, c);
    AddRace(Store, Key("20140309", 6, 2), DirtTrack, a, b, c);
    AddRace(Store, Key("20140309", 6, 3), SteepleTrack, a, b, c);
    AddRace(Store, RaceLine(Key("20140309", 6, 4), TurfTrack, 3));  // no summary
    List.Open();
  }
  TCellPaint Draw(int row) { return Cells.DrawCell(1, row, CellAt, false, false); }

  TDayStore Store;
  TSettings Settings;
  TResultsList List{Store, Settings};
  TResultsCells Cells{List};
};

TEST(RaceBoxTest, SevenBoxesEachOnePixelNarrowerThanItsSubColumn) {
  const int lefts[] = {0, 49, 93, 162, 181, 210, 239};
  const int rights[] = {49, 93, 162, 181, 210, 239, 268};
  for (int k = 0; k < 7; ++k) {
    EXPECT_EQ(TResultsCells::RaceBox(CellAt, k), (TCellRect{26 + lefts[k], 21, 26 + rights[k], 40})) << k;
  }
}

struct TFilterCase {
  TSurfaceFilter Filter;
  int Row;  // 0 turf, 1 dirt, 2 steeplechase
  TPaintColour Surface;
  bool Greyed;
};

class FilterTest : public ResultsCellsTest, public testing::WithParamInterface<TFilterCase> {};

TEST_P(FilterTest, GreysOutTheOtherSurface) {
  const TFilterCase c = GetParam();
  Show();
  List.Modes().SetFilter(c.Filter);
  const TCellPaint paint = Draw(c.Row);
  EXPECT_EQ(paint.Background, TPaintColour::Theme(TPaintColour::TRole::Grid));
  EXPECT_EQ(paint.Greyed, c.Greyed);
  ASSERT_EQ(paint.Boxes.size(), c.Greyed ? 4 : 7);
  EXPECT_EQ(paint.Boxes[0].TextColour, c.Surface);
  EXPECT_TRUE(paint.Boxes[0].Bold);
  for (int k = 1; k < 4; ++k) EXPECT_EQ(paint.Boxes[k].TextColour, c.Greyed ? Grey : BlackText) << k;
  EXPECT_TRUE(paint.Boxes[1].Bold);
  EXPECT_FALSE(paint.Boxes[3].Bold);
  EXPECT_EQ(paint.Boxes[3].Align, TTextAlign::Centre);
}

const TPaintColour Turf = TPaintColour::Of({0, 128, 0});
const TPaintColour Dirt = TPaintColour::Of({128, 0, 0});

INSTANTIATE_TEST_SUITE_P(Table, FilterTest,
                         testing::Values(TFilterCase{TSurfaceFilter::All, 0, Turf, false},
                                         TFilterCase{TSurfaceFilter::All, 1, Dirt, false},
                                         TFilterCase{TSurfaceFilter::All, 2, Grey, true},
                                         TFilterCase{TSurfaceFilter::Turf, 0, Turf, false},
                                         TFilterCase{TSurfaceFilter::Turf, 1, Grey, true},
                                         TFilterCase{TSurfaceFilter::Turf, 2, Grey, true},
                                         TFilterCase{TSurfaceFilter::Dirt, 0, Grey, true},
                                         TFilterCase{TSurfaceFilter::Dirt, 1, Dirt, false},
                                         TFilterCase{TSurfaceFilter::Dirt, 2, Grey, true}));

TEST_F(ResultsCellsTest, RaceTextsAndAnEmptyCell) {
  Show();
  const TCellPaint race = Draw(0);
  EXPECT_EQ(race.Boxes[0].Text, QStringLiteral("芝1600"));
  EXPECT_EQ(race.Boxes[1].Text, QStringLiteral("３歳上"));
  EXPECT_EQ(race.Boxes[2].Text, QStringLiteral("1600万下"));
  EXPECT_EQ(race.Boxes[3].Text, QStringLiteral("良"));

  const TCellPaint empty = Draw(7);
  EXPECT_TRUE(empty.Greyed);
  ASSERT_EQ(empty.Boxes.size(), 4);
  for (const TCellBox& box : empty.Boxes) EXPECT_TRUE(box.Text.isEmpty());
  EXPECT_FALSE(empty.Boxes[3].Fill.has_value());
  EXPECT_TRUE(empty.Lines.isEmpty());
  EXPECT_TRUE(Cells.DrawCell(1, 7, CellAt, false, true).Lines.isEmpty());  // focused, but no text
}

TEST_F(ResultsCellsTest, WeatherAboveTwoGetsACyanGoingBox) {
  for (int weather : {1, 2, 3, 6}) {
    const QByteArray key = Key("20140309", 6, weather);
    AddRace(Store, RaceLine(key, TurfTrack, weather));
    AddRace(Store, RaceLine(Key("20140309", 6, 6 + weather), DirtTrack, weather));
  }
  // A blank weather byte paints like fine weather instead of failing the paint.
  AddRace(Store, RaceBuilder(Key("20140309", 6, 11)).SetBytes(RaField::Weather, " ").Line());
  List.Open();
  EXPECT_FALSE(Draw(10).Boxes[3].Fill.has_value());
  List.Modes().SetFilter(TSurfaceFilter::Turf);  // greyed races keep the weather mark
  for (int weather : {1, 2, 3, 6}) {
    for (int row : {weather - 1, 6 + weather - 1}) {
      const TCellPaint paint = Draw(row);
      ASSERT_EQ(paint.Boxes.size(), 4);
      if (weather > 2) {
        EXPECT_EQ(paint.Boxes[3].Fill, TPaintColour::Of({0, 255, 255})) << weather;
      } else {
        EXPECT_FALSE(paint.Boxes[3].Fill.has_value()) << weather;
      }
    }
  }
}

struct TFrameCase {
  bool EightColours;
  int Frame;
  TRgb Fill;
  bool SilverBorder;
};

class FrameTest : public ResultsCellsTest, public testing::WithParamInterface<TFrameCase> {};

TEST_P(FrameTest, FillsTheFinisherBoxWithTheFrameColour) {
  const TFrameCase c = GetParam();
  Settings.Display = c.EightColours;
  Show({.Frame = 1}, {.Frame = c.Frame}, {.Frame = 1});
  const TCellPaint paint = Draw(0);
  ASSERT_EQ(paint.Boxes.size(), 7);
  const TCellBox& box = paint.Boxes[5];
  EXPECT_EQ(box.Rect, TResultsCells::RaceBox(CellAt, 5));
  EXPECT_EQ(box.Fill, TPaintColour::Of(c.Fill));
  EXPECT_EQ(box.Border.has_value(), c.SilverBorder);
  if (c.SilverBorder) {
    EXPECT_EQ(*box.Border, Silver);
  }
  EXPECT_TRUE(box.Text.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, FrameTest,
    testing::Values(TFrameCase{true, 1, White, true}, TFrameCase{true, 2, {0, 0, 0}, false},
                    TFrameCase{true, 5, {255, 255, 0}, false}, TFrameCase{true, 7, {255, 112, 0}, false},
                    TFrameCase{true, 8, {255, 48, 160}, false}, TFrameCase{true, 9, {0, 255, 255}, false},
                    TFrameCase{false, 1, Silver, true}, TFrameCase{false, 2, Silver, true},
                    TFrameCase{false, 4, White, true}, TFrameCase{false, 6, White, true},
                    TFrameCase{false, 7, {255, 0, 255}, false}, TFrameCase{false, 8, {255, 0, 255}, false},
                    TFrameCase{false, 0, {0, 255, 255}, true}, TFrameCase{false, 9, {0, 255, 255}, false}));

struct TCornerCase {
  const char* Entry;
  TRgb Fill;
  const char* Text;
  bool Bold;
};

class CornerTest : public ResultsCellsTest, public testing::WithParamInterface<TCornerCase> {};

TEST_P(CornerTest, BandColourAndLaneMarkWithTheDefaultLimits) {
  const TCornerCase c = GetParam();
  // The corner not shown carries a different entry, so the wrong bytes would show.
  Show({}, {.Corner3 = c.Entry, .Corner4 = "1005"}, {});
  List.Modes().PressCorner3();
  TCellBox box = Draw(0).Boxes[5];
  EXPECT_EQ(box.Fill, TPaintColour::Of(c.Fill));
  EXPECT_EQ(box.Text, QString::fromLatin1(c.Text));
  EXPECT_EQ(box.Bold, c.Bold);
  EXPECT_EQ(box.TextColour, BlackText);
  EXPECT_EQ(box.PointSize, 9);
  EXPECT_FALSE(box.Border.has_value());

  Store.RaceSummaries.clear();
  List.Modes().PressCorner4();
  AddRace(Store, RaceLine(Key("20140309", 6, 1)),
          SummaryLine(Key("20140309", 6, 1), {}, {.Corner3 = "1005", .Corner4 = c.Entry}, {}));
  box = Draw(0).Boxes[5];
  EXPECT_EQ(box.Fill, TPaintColour::Of(c.Fill));
  EXPECT_EQ(box.Text, QString::fromLatin1(c.Text));
}

INSTANTIATE_TEST_SUITE_P(Table, CornerTest,
                         testing::Values(TCornerCase{"0101", {255, 159, 159}, "IN", false},
                                         TCornerCase{"0202", {255, 207, 159}, "", false},
                                         TCornerCase{"0403", {255, 255, 159}, "OUT", false},
                                         TCornerCase{"0704", {207, 255, 159}, "OUT", true},
                                         TCornerCase{"1005", {159, 255, 207}, "OUT", true},
                                         TCornerCase{"0000", White, "", false}));

TEST_F(ResultsCellsTest, JockeyModeShowsPayoutsAndFrequentJockeys) {
  const TPlace once{.Payout = 0, .Jockey = QStringLiteral("一回　")};
  const TPlace twice{.Payout = 150, .Jockey = QStringLiteral("二回騎手")};
  const TPlace third{.Payout = 499, .Jockey = QStringLiteral("Ａ Ｂ")};
  AddRace(Store, Key("20140309", 6, 1), TurfTrack, once, twice, third);
  AddRace(Store, Key("20140309", 6, 2), TurfTrack, {.Payout = 1, .Jockey = QStringLiteral("Ａ Ｂ")}, twice,
          {.Payout = 500});
  List.Open();
  List.Modes().PressJockey();
  List.Modes().PressJockey();
  ASSERT_EQ(List.Modes().JockeyThreshold(), 2);

  const TCellPaint paint = Draw(0);
  ASSERT_EQ(paint.Boxes.size(), 7);
  EXPECT_EQ(paint.Boxes[4].Fill, TPaintColour::Of(White));
  EXPECT_EQ(paint.Boxes[4].Border, (TRgb{128, 128, 128}));
  EXPECT_EQ(paint.Boxes[4].Text, QString());  // one finish: no name
  EXPECT_EQ(paint.Boxes[5].Fill, TPaintColour::Of({105, 193, 90}));
  EXPECT_FALSE(paint.Boxes[5].Border.has_value());
  EXPECT_EQ(paint.Boxes[5].Text, QStringLiteral("二回騎"));  // first three characters
  EXPECT_EQ(paint.Boxes[6].Fill, TPaintColour::Of({193, 136, 90}));
  EXPECT_EQ(paint.Boxes[6].Text, QStringLiteral("ＡＢ"));  // spaces removed
  for (int k = 4; k < 7; ++k) {
    EXPECT_EQ(paint.Boxes[k].PointSize, 7);
    EXPECT_FALSE(paint.Boxes[k].Bold);
    EXPECT_EQ(paint.Boxes[k].Align, TTextAlign::Centre);
  }
  const TCellPaint second = Draw(1);
  EXPECT_EQ(second.Boxes[4].Fill, TPaintColour::Of({90, 155, 193}));
  EXPECT_EQ(second.Boxes[6].Fill, TPaintColour::Of({193, 90, 172}));
}

TEST(PayoutColourTest, Bands) {
  const struct {
    int Payout;
    TRgb Colour;
  } cases[] = {{0, White},
               {1, {90, 155, 193}},
               {149, {90, 155, 193}},
               {150, {105, 193, 90}},
               {199, {105, 193, 90}},
               {200, {193, 187, 90}},
               {299, {193, 187, 90}},
               {300, {193, 136, 90}},
               {499, {193, 136, 90}},
               {500, {193, 90, 172}},
               {999999999, {193, 90, 172}}};
  for (const auto& c : cases) EXPECT_EQ(TResultsCells::PayoutColour(c.Payout), c.Colour) << c.Payout;
}

TEST_F(ResultsCellsTest, SummaryReplacedAfterShowDayShowsAtTheNextDraw) {
  Show({.Frame = 3}, {}, {});
  Settings.Display = true;
  EXPECT_EQ(Draw(0).Boxes[4].Fill, TPaintColour::Of({255, 0, 0}));
  Store.RaceSummaries[0] = SummaryLine(Key("20140309", 6, 1), {.Frame = 4}, {}, {});
  EXPECT_EQ(Draw(0).Boxes[4].Fill, TPaintColour::Of({0, 0, 255}));
  Store.RaceSummaries[0].chop(1);  // no longer 84 bytes: no finishers
  EXPECT_EQ(Draw(0).Boxes.size(), 4);
}

TEST_F(ResultsCellsTest, NonDigitSummaryFieldsRaiseConversionErrors) {
  Show();
  Store.RaceSummaries[0][17] = 'x';  // frame of the first place
  EXPECT_THROW(Draw(0), TConvertError);
  List.Modes().PressCorner3();
  Store.RaceSummaries[0][17] = '1';
  Store.RaceSummaries[0][17 + 4] = ' ';  // row at ３コーナー
  EXPECT_THROW(Draw(0), TConvertError);
}

TEST_F(ResultsCellsTest, LabelColumnAndFocusOutline) {
  Show();
  const TCellRect label{0, 21, 25, 41};
  const TCellPaint fixed = Cells.DrawCell(0, 1, label, true, false);
  EXPECT_EQ(fixed.Background, TPaintColour::Of({166, 202, 240}));
  ASSERT_EQ(fixed.Boxes.size(), 1);
  EXPECT_EQ(fixed.Boxes[0].Text, QStringLiteral(" 2R"));
  EXPECT_EQ(fixed.Boxes[0].Align, TTextAlign::Right);
  EXPECT_EQ(fixed.Boxes[0].TextRect(), (TCellRect{2, 23, 23, 39}));
  EXPECT_EQ(fixed.Boxes[0].TextColour, TPaintColour::Theme(TPaintColour::TRole::ButtonText));
  ASSERT_EQ(fixed.Lines.size(), 1);
  EXPECT_EQ(fixed.Lines[0].Points, (QList<QPoint>{{0, 40}, {0, 21}, {25, 21}}));
  EXPECT_EQ(fixed.Lines[0].Colour, TPaintColour::Theme(TPaintColour::TRole::ButtonHighlight));

  const TCellPaint focused = Cells.DrawCell(1, 1, CellAt, false, true);
  ASSERT_EQ(focused.Lines.size(), 1);
  EXPECT_EQ(focused.Lines[0].Points, (QList<QPoint>{{26, 40}, {26, 21}, {300, 21}, {300, 40}, {26, 40}}));
  EXPECT_EQ(focused.Lines[0].Colour, TPaintColour::Of({255, 0, 0}));
  EXPECT_TRUE(Draw(1).Lines.isEmpty());
}

TEST_F(ResultsCellsTest, JockeyNamesForTheStatusBar) {
  Show({.Jockey = QStringLiteral("武　豊")}, {.Jockey = QStringLiteral("Ｍ.デム")},
       {.Jockey = QStringLiteral("A B")});
  EXPECT_EQ(Cells.JockeyStatus(1, 0), std::nullopt);  // only in jockey mode
  List.Modes().PressJockey();
  EXPECT_EQ(Cells.JockeyStatus(1, 0), QStringLiteral("武豊  Ｍ.デム  AB  "));
  EXPECT_EQ(Cells.JockeyStatus(0, 0), QString());     // clears
  EXPECT_EQ(Cells.JockeyStatus(1, 3), std::nullopt);  // race without summary
  EXPECT_EQ(Cells.JockeyStatus(1, 8), std::nullopt);  // empty cell
}

TEST_F(ResultsCellsTest, DoubleClickDecisions) {
  Show();
  EXPECT_EQ(Cells.DoubleClick(1, 8).Action, TDoubleClickAction::Nothing);
  EXPECT_EQ(Cells.DoubleClick(0, 0).Action, TDoubleClickAction::Nothing);
  EXPECT_EQ(Cells.DoubleClick(1, 2).Action, TDoubleClickAction::Sorry);
  for (int row : {0, 1}) {
    const TDoubleClickDecision open = Cells.DoubleClick(1, row);
    EXPECT_EQ(open.Action, TDoubleClickAction::OpenRace);
    EXPECT_EQ(open.RaceLine, List.Cell(1, row));
  }
}

// The finisher box under the pointer names its horse as the box shows it.
TEST_F(ResultsCellsTest, FinisherTipsFollowTheMode) {
  Show({.Frame = 7, .Horse = 12, .Corner3 = "0403", .Corner4 = "1005", .Payout = 150, .Jockey = u"武　豊"_s},
       {.Frame = 2, .Horse = 3, .Corner3 = "0000", .Corner4 = "0101"}, {});
  Store.Races[0].Runners = {
      RunnerBuilder(Key("20140309", 6, 1), 12, 1).SetHorseName(u"サンプルホース").Line()};
  const struct {
    void (*Press)(TDisplayModes&);
    int Place;
    QString Tip;
  } cases[] = {
      {[](TDisplayModes& m) { (void)m.PressStart(); }, 0, u"1着 12番 サンプルホース\n7枠"_s},
      {[](TDisplayModes& m) { m.PressCorner3(); }, 0,
       u"1着 12番 サンプルホース\n7枠\n３コーナー 好位 4列目・内から3頭目 OUT"_s},
      {[](TDisplayModes& m) { m.PressCorner4(); }, 0,
       u"1着 12番 サンプルホース\n7枠\n４コーナー 後方 10列目・内から5頭目 OUT（太字）"_s},
      {[](TDisplayModes& m) { m.PressCorner4(); }, 1,
       u"2着 3番\n2枠\n４コーナー 逃げ 1列目・内から1頭目 IN"_s},
      {[](TDisplayModes& m) { m.PressCorner3(); }, 1, u"2着 3番\n2枠\n３コーナー 位置なし"_s},
      {[](TDisplayModes& m) { m.PressJockey(); }, 0,
       u"1着 12番 サンプルホース\n7枠\n複勝 150円\n騎手 武豊"_s},
      {[](TDisplayModes& m) { m.PressJockey(); }, 1, u"2着 3番\n2枠\n複勝 払戻なし\n騎手 騎手"_s},
  };
  for (const auto& c : cases) {
    c.Press(List.Modes());
    EXPECT_EQ(Cells.FinisherTip(1, 0, c.Place), c.Tip) << c.Tip.toStdString();
  }
  // No box, no tip: the label column, an empty cell, a race without a summary, a greyed race.
  EXPECT_TRUE(Cells.FinisherTip(0, 0, 0).isEmpty());
  EXPECT_TRUE(Cells.FinisherTip(1, 8, 0).isEmpty());
  EXPECT_TRUE(Cells.FinisherTip(1, 3, 0).isEmpty());
  EXPECT_TRUE(Cells.FinisherTip(1, 2, 0).isEmpty());
  List.Modes().SetFilter(TSurfaceFilter::Dirt);
  EXPECT_TRUE(Cells.FinisherTip(1, 0, 0).isEmpty());
  EXPECT_FALSE(Cells.FinisherTip(1, 1, 0).isEmpty());

  // Boxes 4 to 6 only, each from its own left edge to one pixel before the next.
  const int x = TResultsCells::RaceBox(CellAt, 4).Left;
  EXPECT_EQ(TResultsCells::FinisherBoxAt(CellAt, x - 1, 30), -1);
  EXPECT_EQ(TResultsCells::FinisherBoxAt(CellAt, x, 30), 4);
  EXPECT_EQ(TResultsCells::FinisherBoxAt(CellAt, x + 29, 30), 5);
  EXPECT_EQ(TResultsCells::FinisherBoxAt(CellAt, x + 86, 39), 6);
  EXPECT_EQ(TResultsCells::FinisherBoxAt(CellAt, x + 87, 30), -1);
  EXPECT_EQ(TResultsCells::FinisherBoxAt(CellAt, x, 40), -1);
}

// Each mode button's tip explains the boxes under the settings as they stand.
TEST(DisplayModesTest, ButtonTipsExplainTheColours) {
  TSettings settings;
  TDisplayModes modes(settings);
  const auto has = [&](TDisplayMode mode, const QString& part) { return modes.Tip(mode).contains(part); };
  EXPECT_TRUE(has(TDisplayMode::Corner3, u"３コーナー位置取り"_s));
  for (const QString& part :
       {u"#ff9f9f\" align=\"center\">&nbsp;逃げ&nbsp;</td><td>先頭"_s, u"先行&nbsp;</td><td>1～2馬身差"_s,
        u"中団&nbsp;</td><td>6～8馬身差"_s,
        u"#9fffcf\" align=\"center\">&nbsp;後方&nbsp;</td><td>9馬身差以上"_s, u"IN</td><td>最内"_s,
        u">OUT</td><td>3頭目<"_s, u"<b>OUT</b></td><td>4頭目より外"_s})
    EXPECT_TRUE(has(TDisplayMode::Corner4, part)) << part.toStdString();
  settings.Senkou = 4;
  settings.Soto = 4;
  settings.Osoto = 6;
  EXPECT_TRUE(has(TDisplayMode::Corner3, u"先行&nbsp;</td><td>1～3馬身差"_s));
  EXPECT_TRUE(has(TDisplayMode::Corner3, u"好位&nbsp;</td><td>4～5馬身差"_s));
  EXPECT_TRUE(has(TDisplayMode::Corner3, u">OUT</td><td>4～5頭目<"_s));
  EXPECT_TRUE(has(TDisplayMode::Corner3, u"<b>OUT</b></td><td>6頭目より外"_s));
  settings.Osoto = 3;  // a settings file with the bold limit inside the first OUT lane
  EXPECT_FALSE(has(TDisplayMode::Corner3, u">OUT</td>"_s));
  EXPECT_TRUE(has(TDisplayMode::Corner3, u"<b>OUT</b></td><td>4頭目より外"_s));

  settings.Display = true;
  EXPECT_TRUE(has(TDisplayMode::Start, u"３色表示に切り替え"_s));
  EXPECT_TRUE(has(TDisplayMode::Start, u"#ff7000"_s));
  settings.Display = false;
  EXPECT_TRUE(has(TDisplayMode::Start, u"#ff00ff\" align=\"center\">&nbsp;7・8枠"_s));
  EXPECT_FALSE(has(TDisplayMode::Start, u"#ff7000"_s));

  EXPECT_TRUE(
      has(TDisplayMode::Jockey, u"#5a9bc1\" align=\"center\">&nbsp;　　&nbsp;</td><td>複勝 150円未満"_s));
  EXPECT_TRUE(has(TDisplayMode::Jockey, u"この日1回以上"_s));
  modes.PressJockey();
  modes.PressJockey();
  EXPECT_TRUE(has(TDisplayMode::Jockey, u"騎手2回以上"_s));
  EXPECT_TRUE(has(TDisplayMode::Jockey, u"この日2回以上"_s));
}

TEST(DisplayModesTest, JockeyPressedSixTimesThenACorner) {
  TSettings settings;
  TDisplayModes modes(settings);
  EXPECT_EQ(modes.JockeyCaption(), QStringLiteral("騎手"));
  EXPECT_EQ(modes.Hint(TDisplayMode::Jockey), QStringLiteral("騎手名表示"));
  const char16_t* captions[] = {u"騎手1", u"騎手2", u"騎手3", u"騎手4", u"騎手5", u"騎手1"};
  for (const char16_t* caption : captions) {
    modes.PressJockey();
    EXPECT_EQ(modes.Mode(), TDisplayMode::Jockey);
    EXPECT_EQ(modes.JockeyCaption(), QString::fromUtf16(caption));
    EXPECT_EQ(modes.Hint(TDisplayMode::Jockey), QString::fromUtf16(caption) + QStringLiteral("回以上"));
  }
  modes.PressJockey();
  modes.PressCorner3();
  EXPECT_EQ(modes.Mode(), TDisplayMode::Corner3);
  EXPECT_EQ(modes.JockeyCaption(), QStringLiteral("騎手"));
  EXPECT_EQ(modes.Hint(TDisplayMode::Jockey), QStringLiteral("騎手名表示"));
  modes.PressJockey();  // from another mode: back to 1
  EXPECT_EQ(modes.JockeyCaption(), QStringLiteral("騎手1"));
}

TEST(DisplayModesTest, StartPressedWhileDownSwitchesTheFrameColours) {
  TSettings settings;
  settings.Display = true;
  TDisplayModes modes(settings);
  EXPECT_EQ(modes.Hint(TDisplayMode::Start), QStringLiteral("３色表示に切り替え"));
  EXPECT_TRUE(modes.PressStart());
  settings.Display = false;  // as the session switches them
  EXPECT_EQ(modes.Hint(TDisplayMode::Start), QStringLiteral("８色表示に切り替え"));
  modes.PressCorner4();
  EXPECT_EQ(modes.Hint(TDisplayMode::Start), QStringLiteral("枠順表示"));
  EXPECT_FALSE(modes.PressStart());  // only selects the mode
  EXPECT_EQ(modes.Mode(), TDisplayMode::Start);
  EXPECT_TRUE(modes.PressStart());
}

}  // namespace
