#include "results/ResultsList.h"

#include "DayFixture.h"
#include "text/Errors.h"

#include <gtest/gtest.h>

namespace {

class ResultsListTest : public testing::Test {
protected:
  TDayStore Store;
  TSettings Settings;
  TResultsList List{Store, Settings};
};

TEST_F(ResultsListTest, OpensOnTheLatestDateAndStepsBackToTheFirst) {
  for (const char* date : {"20140316", "20140308", "20140309"}) AddRace(Store, RaceLine(Key(date, 6, 1)));
  List.Open();
  EXPECT_EQ(Store.RaceDates, (TByteLines{"20140308", "20140309", "20140316"}));
  EXPECT_EQ(List.Caption(), QStringLiteral("2014年3月16日 成績"));
  EXPECT_TRUE(List.PreviousEnabled());
  EXPECT_FALSE(List.NextEnabled());

  List.PreviousDay();
  EXPECT_EQ(List.Caption(), QStringLiteral("2014年3月9日 成績"));
  EXPECT_TRUE(List.PreviousEnabled());
  EXPECT_TRUE(List.NextEnabled());

  List.PreviousDay();
  EXPECT_EQ(List.Caption(), QStringLiteral("2014年3月8日 成績"));
  EXPECT_EQ(List.DayIndex(), 0);
  EXPECT_FALSE(List.PreviousEnabled());
  EXPECT_TRUE(List.NextEnabled());

  List.PreviousDay();  // disabled: stays
  EXPECT_EQ(List.DayIndex(), 0);
  List.NextDay();
  EXPECT_EQ(List.Caption(), QStringLiteral("2014年3月9日 成績"));
}

TEST_F(ResultsListTest, SingleDateDisablesBothButtons) {
  AddRace(Store, RaceLine(Key("20141225", 5, 1)));
  List.Open();
  EXPECT_EQ(List.Caption(), QStringLiteral("2014年12月25日 成績"));
  EXPECT_FALSE(List.PreviousEnabled());
  EXPECT_FALSE(List.NextEnabled());
}

TEST_F(ResultsListTest, EmptyStoreOpensAnEmptyListThatCannotMove) {
  List.Open();
  EXPECT_FALSE(List.PreviousEnabled());
  EXPECT_FALSE(List.NextEnabled());
  EXPECT_EQ(List.VenueCount(), 0);
  EXPECT_EQ(List.ColumnCount(), 2);
  EXPECT_TRUE(List.Cell(1, 0).isEmpty());
  EXPECT_EQ(List.Cell(0, 11), QByteArray("12R"));
  EXPECT_FALSE(List.Layout().Titles[0].Visible);
  EXPECT_EQ(List.Layout().Client, QSize(304, 337));
  List.NextDay();
  List.PreviousDay();
  EXPECT_EQ(List.DayIndex(), -1);
}

TEST_F(ResultsListTest, RacesStandInTheRowsOfTheirNumbers) {
  for (int r : {1, 2, 3, 4, 5, 6, 7, 8, 9, 12}) AddRace(Store, RaceLine(Key("20140309", 6, r)));
  for (int r : {4, 1}) AddRace(Store, RaceLine(Key("20140309", 9, r)));
  // A repeated race keeps its first line, the one its summary and horses belong to.
  AddRace(Store, RaceLine(Key("20140309", 9, 4), DirtTrack));
  List.Open();
  ASSERT_EQ(List.VenueCount(), 2);
  for (int row = 0; row < 12; ++row) {
    const QByteArray nakayama = List.Cell(1, row);
    if (row == 9 || row == 10) {
      EXPECT_TRUE(nakayama.isEmpty()) << row;
    } else {
      EXPECT_EQ(nakayama, RaceLine(Key("20140309", 6, row == 11 ? 12 : row + 1))) << row;
    }
    const QByteArray hanshin = List.Cell(2, row);
    if (row == 0 || row == 3) {
      EXPECT_EQ(hanshin, RaceLine(Key("20140309", 9, row + 1))) << row;
    } else {
      EXPECT_TRUE(hanshin.isEmpty()) << row;
    }
  }
  const char* labels[] = {" 1R", " 2R", " 3R", " 4R", " 5R", " 6R", " 7R", " 8R", " 9R", "10R", "11R", "12R"};
  for (int row = 0; row < 12; ++row) EXPECT_EQ(List.Cell(0, row), QByteArray(labels[row]));
}

TEST_F(ResultsListTest, VenuesInOrderOfFirstAppearanceWithTheirTitles) {
  AddRace(Store, RaceLine(Key("20140309", 9, 1, 1, 6)));  // 阪神 first, whatever the codes
  AddRace(Store, RaceLine(Key("20140309", 6, 1, 2, 4)));
  AddRace(Store, RaceLine(Key("20140308", 5, 1)));  // another day: not shown
  AddRace(Store, RaceLine(Key("20140309", 9, 2, 1, 6)));
  List.ShowDay(1);  // the dates in order: 20140308, 20140309
  EXPECT_EQ(List.Caption(), QStringLiteral("2014年3月9日 成績"));
  EXPECT_EQ(List.Venues(), (TByteLines{"20140309090106", "20140309060204"}));
  const TResultsLayout& layout = List.Layout();
  EXPECT_FALSE(layout.ModesBelowTopBand);
  EXPECT_EQ(layout.ModePanelPos, QPoint(308, 0));
  EXPECT_EQ(layout.Titles[0].Rect, QRect(25, 32, 120, 20));
  EXPECT_EQ(layout.Titles[0].Text, QStringLiteral("阪神1回6日目"));
  EXPECT_EQ(layout.Titles[1].Rect, QRect(300, 32, 120, 20));
  EXPECT_EQ(layout.Titles[1].Text, QStringLiteral("中山2回4日目"));
  EXPECT_TRUE(layout.Titles[1].Visible);
  EXPECT_EQ(layout.Titles[2].Rect.left(), 575);
  EXPECT_FALSE(layout.Titles[2].Visible);
  EXPECT_EQ(List.Cell(1, 1), RaceLine(Key("20140309", 9, 2, 1, 6)));
}

struct TLayoutCase {
  int Venues;
  QSize Client;
  int GridTop;
  int GridWidth;
  int ModeButton0;
};

class LayoutTest : public testing::TestWithParam<TLayoutCase> {};

TEST_P(LayoutTest, SizesTheGridAndWindow) {
  const TLayoutCase c = GetParam();
  QList<QString> titles;
  for (int v = 0; v < c.Venues; ++v) titles.append(QString::number(v));
  const TResultsLayout layout = LayoutFor(titles);
  EXPECT_EQ(layout.Client, c.Client);
  EXPECT_EQ(layout.Grid, QRect(0, c.GridTop, c.GridWidth, 252));
  EXPECT_EQ(layout.ColumnCount, 1 + c.Venues);
  EXPECT_EQ(layout.ModeButtonX[0], c.ModeButton0);
  ASSERT_EQ(layout.Titles.size(), std::max(3, c.Venues));
  for (int v = 0; v < layout.Titles.size(); ++v) {
    EXPECT_EQ(layout.Titles[v].Visible, v < c.Venues) << v;
    EXPECT_EQ(layout.Titles[v].Rect.left(), 25 + 275 * v) << v;
    EXPECT_EQ(layout.Titles[v].Rect.top(), c.GridTop - 23) << v;
  }
}

INSTANTIATE_TEST_SUITE_P(Table, LayoutTest,
                         testing::Values(TLayoutCase{1, {304, 337}, 83, 302, 45},
                                         TLayoutCase{2, {580, 309}, 55, 578, 0},
                                         TLayoutCase{3, {856, 309}, 55, 854, 0},
                                         TLayoutCase{4, {1132, 309}, 55, 1130, 0}));

TEST_F(ResultsListTest, ThreeVenuesThenOneShrinksTheWindow) {
  for (int venue : {5, 8, 10}) AddRace(Store, RaceLine(Key("20141101", venue, 11)));
  AddRace(Store, RaceLine(Key("20141102", 5, 11)));
  List.Open();
  List.PreviousDay();
  ASSERT_EQ(List.VenueCount(), 3);
  EXPECT_TRUE(List.Layout().Titles[2].Visible);
  EXPECT_EQ(List.Layout().Titles[2].Text, QStringLiteral("小倉1回1日目"));
  EXPECT_FALSE(List.Cell(3, 10).isEmpty());

  List.NextDay();
  const TResultsLayout& layout = List.Layout();
  EXPECT_EQ(List.VenueCount(), 1);
  EXPECT_EQ(List.ColumnCount(), 2);
  EXPECT_TRUE(layout.ModesBelowTopBand);
  EXPECT_EQ(layout.ModePanelPos, QPoint(0, 28));
  EXPECT_EQ(layout.ModeButtonX, (std::array<int, 4>{45, 109, 173, 237}));
  EXPECT_EQ(layout.Titles[0].Rect, QRect(25, 60, 120, 20));
  EXPECT_FALSE(layout.Titles[1].Visible);
  EXPECT_FALSE(layout.Titles[2].Visible);
  EXPECT_EQ(layout.Client, QSize(304, 337));
  EXPECT_TRUE(List.Cell(3, 10).isEmpty());
  EXPECT_EQ(List.Cell(1, 10), RaceLine(Key("20141102", 5, 11)));
}

TEST_F(ResultsListTest, CountsEveryTopThreeFinishOfTheDay) {
  const TPlace take{.Jockey = QStringLiteral("武豊")};
  const TPlace other{.Jockey = QStringLiteral("ルメール")};
  const TPlace third{.Jockey = QStringLiteral("横山典")};
  AddRace(Store, Key("20140309", 6, 1), TurfTrack, take, other, third);
  AddRace(Store, Key("20140309", 9, 5), DirtTrack, other, third, take);
  AddRace(Store, Key("20140309", 9, 8), SteepleTrack, third, other, take);
  // Not 84 bytes: counts nothing.
  AddRace(Store, RaceLine(Key("20140309", 6, 2)),
          SummaryLine(Key("20140309", 6, 2), take, take, take).chopped(1));
  AddRace(Store, Key("20140308", 6, 1), TurfTrack, take, take, take);  // another day
  List.Open();
  EXPECT_EQ(List.JockeyCount(QStringLiteral("武豊    ")), 3);
  EXPECT_EQ(List.JockeyCount(QStringLiteral("ルメール")), 3);
  EXPECT_EQ(List.JockeyCount(QStringLiteral("横山典  ")), 3);
  EXPECT_EQ(List.JockeyCount(QStringLiteral("武豊")), std::nullopt);  // padding is part of the name
  EXPECT_EQ(List.JockeyCountLines(), (QStringList{QStringLiteral("武豊    =3"), QStringLiteral("ルメール=3"),
                                                  QStringLiteral("横山典  =3")}));

  List.PreviousDay();
  EXPECT_EQ(List.JockeyCountLines(), QStringList{QStringLiteral("武豊    =3")});
}

TEST_F(ResultsListTest, LoadSummaryAcceptsExactly84Bytes) {
  const QByteArray key = Key("20140309", 6, 1);
  const QByteArray good = SummaryLine(key, {.Frame = 3}, {}, {}).mid(17);
  ASSERT_EQ(good.size(), 84);
  EXPECT_TRUE(List.LoadSummary(good));
  EXPECT_EQ(List.PlaceEntry(0).Frame, '3');
  for (const QByteArray& bad : {good.chopped(1), good + ' ', QByteArray(), good + "\r\n"}) {
    EXPECT_FALSE(List.LoadSummary(bad)) << bad.size();
    EXPECT_EQ(List.SummaryBuffer(), good);
  }
  // Four full-width characters are 8 bytes in code page 932, not 4 characters.
  const QByteArray wide = SummaryLine(key, {.Jockey = QStringLiteral("ａｂｃｄ")}, {}, {}).mid(17);
  EXPECT_TRUE(List.LoadSummary(wide));
  EXPECT_EQ(DecodeCp932(List.PlaceEntry(0).Jockey), QStringLiteral("ａｂｃｄ"));
}

TEST_F(ResultsListTest, SummaryLookupMatchesTheWholeRaceKey) {
  const QByteArray key = Key("20140309", 6, 1);
  Store.RaceSummaries = {"=" + PlaceBytes({}), key.left(15) + "=x", key + "=first", key + "=second"};
  EXPECT_EQ(List.SummaryOf(key), QByteArray("first"));
  EXPECT_TRUE(List.SummaryOf(QByteArray()).isEmpty());
  EXPECT_TRUE(List.SummaryOf(Key("20140309", 6, 2)).isEmpty());
}

struct TTitleCase {
  const char* Key;
  const char16_t* Title;
};

class MeetingTitleTest : public testing::TestWithParam<TTitleCase> {};

TEST_P(MeetingTitleTest, NamesTheMeeting) {
  EXPECT_EQ(TResultsList::MeetingTitle(GetParam().Key), QString::fromUtf16(GetParam().Title));
}

INSTANTIATE_TEST_SUITE_P(Table, MeetingTitleTest,
                         testing::Values(TTitleCase{"20140309050105", u"東京1回5日目"},
                                         TTitleCase{"20140309011012", u"札幌10回12日目"},
                                         TTitleCase{"20140309110302", u"3回2日目"},
                                         TTitleCase{"20140309000302", u"3回2日目"},
                                         TTitleCase{"2014030905010", u""},
                                         TTitleCase{"201403090501051", u""}));

TEST_F(ResultsListTest, NonDigitsRaiseAConversionErrorAndKeepTheDayShown) {
  EXPECT_THROW(TResultsList::MeetingTitle("201403090A0105"), TConvertError);
  AddRace(Store, RaceLine(Key("20140309", 6, 1)));
  List.Open();
  Store.RaceDates.append("2014AB10");
  EXPECT_THROW(List.ShowDay(1), TConvertError);
  EXPECT_EQ(List.DayIndex(), 0);
  EXPECT_EQ(List.Caption(), QStringLiteral("2014年3月9日 成績"));
  EXPECT_EQ(List.Cell(1, 0), RaceLine(Key("20140309", 6, 1)));
}

}  // namespace
