#include "settings/SettingsModel.h"

#include "settings/BandRules.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace {

QStringList Panels(const TSettingsModel& model) {
  QStringList texts;
  for (int bar = 1; bar <= TSettingsModel::BarCount; ++bar) texts.append(model.ValueText(bar));
  return texts;
}

std::vector<int> Positions(const TSettingsModel& model) {
  std::vector<int> positions;
  for (int bar = 1; bar <= TSettingsModel::BarCount; ++bar) positions.push_back(model.Bar(bar).Position);
  return positions;
}

// A model opened once with the default settings.
TSettingsModel OpenedWithDefaults() {
  TSettingsModel model;
  model.Open(TSettings{});
  return model;
}

TEST(SettingsModelTest, FirstOpeningWithDefaults) {
  const TSettingsModel model = OpenedWithDefaults();
  EXPECT_EQ(Panels(model),
            (QStringList{u"（先頭に固定）"_qs, u"1～2馬身差"_qs, u"3～5馬身差"_qs, u"6～8馬身差"_qs,
                         u"9馬身差以上"_qs, u"（最内に固定）"_qs, u"3頭目"_qs, u"4頭目より外"_qs}));
  EXPECT_EQ(Positions(model), (std::vector<int>{1, 3, 6, 9, 9, 1, 3, 4}));
  // Highlighted ranges: the rows or lanes each band or class covers.
  const std::pair<int, int> ranges[] = {{1, 1}, {2, 3}, {4, 6}, {7, 9}, {9, 15}, {3, 3}, {4, 7}};
  const int bars[] = {1, 2, 3, 4, 5, 7, 8};
  for (int i = 0; i < 7; ++i) {
    EXPECT_EQ(std::make_pair(model.Bar(bars[i]).SelStart, model.Bar(bars[i]).SelEnd), ranges[i]) << bars[i];
  }
  EXPECT_FALSE(model.Bar(1).Enabled);
  EXPECT_FALSE(model.Bar(6).Enabled);
}

// A loaded value equal to the bar's initial position runs no rule, so its text
// stays empty at the first opening.
TEST(SettingsModelTest, FirstOpeningLeavesUnchangedBarsWithoutText) {
  TSettings settings;
  settings.Soto = 6;
  settings.Osoto = 7;
  TSettingsModel model;
  model.Open(settings);
  EXPECT_EQ(model.ValueText(7), QString());
  EXPECT_EQ(model.ValueText(8), QString());
  EXPECT_EQ(model.Bar(7).SelStart, 6);
  EXPECT_EQ(model.Bar(7).SelEnd, 6);
  model.MoveBar(7, 5);
  EXPECT_EQ(model.ValueText(7), u"5～6頭目"_qs);
}

struct TMove {
  int Bar;
  int To;
};

struct TMoveCase {
  const char* What;
  std::vector<TMove> Moves;
  std::vector<int> Positions;  // bars 1..8 afterwards
  int TextBar;
  const char16_t* Text;
};

class SliderMoveTest : public testing::TestWithParam<TMoveCase> {};

TEST_P(SliderMoveTest, Rules) {
  const TMoveCase& c = GetParam();
  TSettingsModel model = OpenedWithDefaults();
  for (const TMove& move : c.Moves) model.MoveBar(move.Bar, move.To);
  EXPECT_EQ(Positions(model), c.Positions) << c.What;
  EXPECT_EQ(model.ValueText(c.TextBar), QString::fromUtf16(c.Text)) << c.What;
  EXPECT_TRUE(model.TakeOkFocusRequest()) << c.What;
  EXPECT_FALSE(model.TakeOkFocusRequest()) << c.What;
}

INSTANTIATE_TEST_SUITE_P(
    EdgeCases, SliderMoveTest,
    testing::Values(
        TMoveCase{"bar 2 to 2", {{2, 2}}, {1, 2, 6, 9, 9, 1, 3, 4}, 2, u"1馬身差"},
        TMoveCase{"bar 2 to 2 widens bar 3", {{2, 2}}, {1, 2, 6, 9, 9, 1, 3, 4}, 3, u"2～5馬身差"},
        TMoveCase{"bar 2 back to 3", {{2, 2}, {2, 3}}, {1, 3, 6, 9, 9, 1, 3, 4}, 2, u"1～2馬身差"},
        TMoveCase{"bar 3 below bar 2", {{3, 2}}, {1, 3, 4, 9, 9, 1, 3, 4}, 3, u"3馬身差"},
        TMoveCase{"bar 2 above bar 3", {{2, 10}}, {1, 5, 6, 9, 9, 1, 3, 4}, 2, u"1～4馬身差"},
        TMoveCase{"bar 2 onto bar 1", {{2, 1}}, {1, 2, 6, 9, 9, 1, 3, 4}, 2, u"1馬身差"},
        TMoveCase{"bar 3 above bar 4", {{3, 12}}, {1, 3, 8, 9, 9, 1, 3, 4}, 4, u"8馬身差"},
        TMoveCase{"bar 4 below bar 3", {{4, 2}}, {1, 3, 6, 7, 7, 1, 3, 4}, 5, u"7馬身差以上"},
        TMoveCase{"bar 4 to the top", {{4, 20}}, {1, 3, 6, 15, 15, 1, 3, 4}, 4, u"6～14馬身差"},
        TMoveCase{"bar 5 moves bar 4", {{5, 12}}, {1, 3, 6, 12, 12, 1, 3, 4}, 5, u"12馬身差以上"},
        TMoveCase{"bar 5 onto bar 3", {{5, 6}}, {1, 3, 6, 7, 7, 1, 3, 4}, 4, u"6馬身差"},
        TMoveCase{"bar 5 below bar 3", {{5, 2}}, {1, 3, 6, 7, 7, 1, 3, 4}, 5, u"7馬身差以上"},
        TMoveCase{"bar 7 below 3", {{7, 1}}, {1, 3, 6, 9, 9, 1, 3, 4}, 7, u"3頭目"},
        TMoveCase{"bar 7 to 6 pushes bar 8", {{7, 6}}, {1, 3, 6, 9, 9, 1, 6, 7}, 8, u"7頭目より外"},
        TMoveCase{"bar 7 above 6", {{7, 7}}, {1, 3, 6, 9, 9, 1, 6, 7}, 7, u"6頭目"},
        TMoveCase{"bar 8 widens bar 7", {{8, 7}}, {1, 3, 6, 9, 9, 1, 3, 7}, 7, u"3～6頭目"},
        TMoveCase{"bar 8 stops against bar 7", {{7, 5}, {8, 2}}, {1, 3, 6, 9, 9, 1, 5, 6}, 7, u"5頭目"}));

TEST(SettingsModelTest, FixedBarsIgnoreMoves) {
  TSettingsModel model = OpenedWithDefaults();
  model.MoveBar(1, 2);
  model.MoveBar(6, 3);
  EXPECT_EQ(model.Bar(1).Position, 1);
  EXPECT_EQ(model.Bar(6).Position, 1);
}

TEST(SettingsModelTest, OkWritesBackAndCancelLeavesTheFields) {
  TSettings settings;
  settings.TargetDir = u"/data/out"_qs;
  TSettingsModel model;
  model.Open(settings);
  // Every field of the dialog changed.
  const auto edit = [&model] {
    model.MoveBar(2, 4);
    model.MoveBar(5, 12);
    model.MoveBar(7, 4);
    model.SetUseTG(true);
    model.SetPay(true);
    model.SetLoss(TLossOption::ThreeMetres);
    model.SetColours(TColourOption::Eight);
    model.SetFolder(u"/data/other"_qs);
  };
  edit();
  EXPECT_TRUE(model.FolderGroupEnabled());

  // Cancel: nothing is written; the next opening shows the fields again.
  const TSettings unchanged = settings;
  model.Open(settings);
  EXPECT_EQ(settings, unchanged);
  EXPECT_EQ(Positions(model), (std::vector<int>{1, 3, 6, 9, 9, 1, 3, 4}));
  EXPECT_EQ(model.ValueText(2), u"1～2馬身差"_qs);
  EXPECT_FALSE(model.FolderGroupEnabled());
  EXPECT_EQ(model.Folder(), u"/data/out"_qs);

  edit();
  settings.Saiuti = 2;
  model.Accept(settings);
  TSettings expected;
  expected.TargetDir = u"/data/other"_qs;
  expected.Distance = 3;
  expected.Display = true;
  expected.UseTG = true;
  expected.Pay = true;
  expected.Senkou = 4;
  expected.Tyuudan = 12;
  expected.Soto = 4;
  expected.Osoto = 5;
  expected.Saiuti = 2;  // not edited by the dialog
  EXPECT_EQ(settings, expected);
}

TEST(SettingsModelTest, UnknownDistanceSelectsNeitherOptionAndIsKept) {
  TSettings settings;
  settings.Distance = 5;
  TSettingsModel model;
  model.Open(settings);
  EXPECT_EQ(model.Loss(), TLossOption::None);
  model.Accept(settings);
  EXPECT_EQ(settings.Distance, 5);

  // Later openings keep what the option group showed last.
  model.SetLoss(TLossOption::TwoMetres);
  model.Open(settings);
  EXPECT_EQ(model.Loss(), TLossOption::TwoMetres);
}

TEST(SettingsModelTest, OpeningClampsValuesFromTheSettingsFile) {
  TSettings settings;
  settings.Nige = 1;
  settings.Senkou = 0;
  settings.Koui = 30;
  settings.Tyuudan = 30;
  settings.Soto = 1;
  settings.Osoto = 1;
  TSettingsModel model;
  model.Open(settings);
  const std::vector<int> positions = Positions(model);
  EXPECT_LT(positions[0], positions[1]);
  EXPECT_LT(positions[1], positions[2]);
  EXPECT_LT(positions[2], positions[3]);
  EXPECT_LE(positions[3], 15);
  EXPECT_EQ(positions[3], positions[4]);
  EXPECT_GE(positions[6], 3);
  EXPECT_LT(positions[6], positions[7]);
  EXPECT_LE(positions[7], 7);
}

TEST(BandRulesTest, BandsAndLanesWithDefaults) {
  const TSettings settings;
  const struct {
    int Row;
    TBand Band;
    const char16_t* Label;
  } rows[] = {{0, TBand::None, u""},        {1, TBand::Nige, u"逃げ"},    {2, TBand::Senkou, u"先行"},
              {3, TBand::Senkou, u"先行"},  {4, TBand::Koui, u"好位"},    {6, TBand::Koui, u"好位"},
              {7, TBand::Tyuudan, u"中団"}, {9, TBand::Tyuudan, u"中団"}, {10, TBand::Kouhou, u"後方"},
              {99, TBand::Kouhou, u"後方"}};
  for (const auto& r : rows) {
    EXPECT_EQ(BandOfRow(r.Row, settings), r.Band) << r.Row;
    EXPECT_EQ(BandLabel(BandOfRow(r.Row, settings)), QString::fromUtf16(r.Label)) << r.Row;
  }
  const struct {
    int Lane;
    TLaneClass Class;
    const char* Text;
  } lanes[] = {{0, {TLaneMark::None, false}, ""},  {1, {TLaneMark::In, false}, "IN"},
               {2, {TLaneMark::None, false}, ""},  {3, {TLaneMark::Out, false}, "OUT"},
               {4, {TLaneMark::Out, true}, "OUT"}, {5, {TLaneMark::Out, true}, "OUT"}};
  for (const auto& l : lanes) {
    EXPECT_EQ(LaneClassOf(l.Lane, settings), l.Class) << l.Lane;
    EXPECT_EQ(LaneMarkText(LaneClassOf(l.Lane, settings).Mark), QString::fromLatin1(l.Text)) << l.Lane;
  }
}

TEST(BandRulesTest, ColoursAndOtherLimits) {
  EXPECT_EQ(BandColour(TBand::Nige), (TRgb{255, 159, 159}));
  EXPECT_EQ(BandColour(TBand::Senkou), (TRgb{255, 207, 159}));
  EXPECT_EQ(BandColour(TBand::Koui), (TRgb{255, 255, 159}));
  EXPECT_EQ(BandColour(TBand::Tyuudan), (TRgb{207, 255, 159}));
  EXPECT_EQ(BandColour(TBand::Kouhou), (TRgb{159, 255, 207}));
  EXPECT_EQ(TSettingsModel::CaptionColour(3), BandColour(TBand::Koui));

  TSettings settings;
  settings.Nige = 2;
  settings.Senkou = 4;
  settings.Koui = 5;
  settings.Tyuudan = 15;
  settings.Soto = 5;
  settings.Osoto = 7;
  EXPECT_EQ(BandOfRow(2, settings), TBand::Nige);
  EXPECT_EQ(BandOfRow(5, settings), TBand::Koui);
  EXPECT_EQ(BandOfRow(15, settings), TBand::Tyuudan);
  EXPECT_EQ(BandOfRow(16, settings), TBand::Kouhou);
  EXPECT_EQ(LaneClassOf(4, settings), (TLaneClass{TLaneMark::None, false}));
  EXPECT_EQ(LaneClassOf(6, settings), (TLaneClass{TLaneMark::Out, false}));
  EXPECT_EQ(LaneClassOf(7, settings), (TLaneClass{TLaneMark::Out, true}));
}

}  // namespace
