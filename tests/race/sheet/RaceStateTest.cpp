#include "race/DayCsv.h"
#include "race/OpenRace.h"
#include "race/RaceState.h"
#include "race/sheet/SheetFixtures.h"
#include "text/Errors.h"

#include <gtest/gtest.h>

#include <functional>
#include <string_view>

using namespace Qt::StringLiterals;

namespace {

// A store of two races: the mile example with a third horse and its payouts,
// and a straight-course race.
struct TStoreFixture : ::testing::Test {
  static constexpr char StraightKey[] = "2014052604021001";

  void SetUp() override {
    Settings.Distance = 2;
    Settings.UseTG = true;
    Store.CornerNames = DefaultCornerNames();
    const QByteArray mileRace = RaceBuilder(MileKey)
                                    .SetRaceName(u"目黒記念")
                                    .SetCorner(0, 3, "(*1,3)-2")
                                    .SetCorner(1, 4, "1,2,3")
                                    .Line();
    QByteArray mileLine = MileLine();
    mileLine[23] = '3';
    mileLine += "30000000000000000010101010000";
    Store.Races.append(
        {mileRace, mileLine, {Uma(MileKey, 1, 1, 944), Uma(MileKey, 2, 2, 945), Uma(MileKey, 3, 3, 950)}});
    const QByteArray straightRace = RaceBuilder(StraightKey).SetDistance(1000).SetTrackCode(10).Line();
    Store.Races.append({straightRace,
                        PositionLine(StraightKey, 1000, "10", {{"10", "0000", "0000", "0000", "0000"}}),
                        {Uma(StraightKey, 1, 1, 560)}});
    Store.PayLines = {PayBuilder(MileKey).Line()};
    Store.RaceSummaries = {QByteArray(MileKey) + "=old", QByteArray(StraightKey) + "=old"};
  }

  TSettings Settings;
  TDayStore Store;
};

TEST_F(TStoreFixture, OpensTheMileRace) {
  const TRaceState race(Store, Store.Races[0].RaceLine, Settings);
  EXPECT_EQ(race.RaceKey, QByteArray(MileKey));
  EXPECT_EQ(race.N, 3);
  EXPECT_FALSE(race.Straight);
  EXPECT_TRUE(race.ConvertedTimeEnabled());
  EXPECT_TRUE(race.ExportEnabled());
  // The name keeps its padding to 60 bytes; the four kanji take 8.
  EXPECT_EQ(race.Caption(), QStringLiteral("東京11Ｒ (5/26)  目黒記念") + QString(52, u' '));
  EXPECT_EQ(race.Tabs, (QStringList{QStringLiteral("３コーナー"), QStringLiteral("４コーナー")}));
  EXPECT_EQ(ThirdCornerTab(race.Tabs), 0);
  EXPECT_EQ(race.InfoText, QStringLiteral("   (*1,3)-2"));
  EXPECT_TRUE(race.PayoutLine.startsWith(QStringLiteral("　単勝３番")));
  EXPECT_FALSE(race.Ticker.On());
  Settings.Pay = true;
  EXPECT_EQ(TRaceState(Store, Store.Races[0].RaceLine, Settings).Ticker.Text(), race.PayoutLine);
  EXPECT_EQ(race.Sheet.Cell(TRaceSheet::ConvertedColumn, 2), QStringLiteral("939"));
  EXPECT_EQ(race.Sheet.Cell(TRaceSheet::SpeedColumn, 2), QStringLiteral("1023"));
  EXPECT_EQ(race.Runners, Store.Races[0].Runners);
}

TEST_F(TStoreFixture, StraightCourseStillFillsTheSheet) {
  const TRaceState race(Store, Store.Races[1].RaceLine, Settings);
  EXPECT_TRUE(race.Straight);
  EXPECT_FALSE(race.ConvertedTimeEnabled());
  EXPECT_FALSE(race.ExportEnabled());
  EXPECT_TRUE(race.ExportShown());
  EXPECT_TRUE(race.Tabs.isEmpty());
  EXPECT_EQ(ThirdCornerTab(race.Tabs), -1);
  EXPECT_EQ(race.Sheet.Cell(TRaceSheet::ConvertedColumn, 1), QStringLiteral("560"));
  EXPECT_TRUE(race.PayoutLine.isEmpty());
}

// The day's spreadsheet: feed text that a spreadsheet would run, or a terminal
// obey, reaches it as plain text; numbers stay numbers.
TEST_F(TStoreFixture, DayCsvGuardsNamesAndKeepsNumbers) {
  using namespace std::literals;
  const struct {
    std::u16string_view Name;
    const char* Field;
  } cases[] = {{u"=HYPERLINK(\"http://x\",\"y\")"sv, R"x("'=HYPERLINK(""http://x"",""y"")")x"},
               {u"+1+1"sv, "'+1+1"},
               {u"-A"sv, "'-A"},
               {u"@SUM(A1)"sv, "'@SUM(A1)"},
               {u"\t=1"sv, "'=1"},
               {u"ア\0イ\x1b[2Jウ"sv, "アイ[2Jウ"},
               {u"テスト-1"sv, "テスト-1"}};
  for (const auto& c : cases) {
    Store.Races[0].Runners[0] = RunnerBuilder(MileKey, 1, 1).SetTime(944).SetHorseName(c.Name).Line();
    const QList<QByteArray> lines = DayCsvText(Store, "20140526", Settings).split('\n');
    ASSERT_GT(lines.size(), 3);
    EXPECT_TRUE(lines[1].startsWith("R" + QByteArray(MileKey) + ",") &&
                lines[1].contains("," + QByteArray(c.Field) + ","))
        << lines[1].constData();
    // Horse 2's added time is a number.
    EXPECT_TRUE(lines[2].endsWith(",-6\r")) << lines[2].constData();
  }
}

// Rows in the results list's order: meetings as their races first stand in the
// store (東京 before 新潟 here, against the key order), each by race number,
// the first line of a race only. A horse that did not run has no figures.
TEST_F(TStoreFixture, DayCsvRowsFollowTheListAndLeaveTheScratchedBlank) {
  constexpr char MileFirst[] = "2014052605021001";
  Store.Races[0].Runners[2] = RunnerBuilder(MileKey, 3, 0).SetAbnormality(1).Line();
  const TRaceEntry duplicate = Store.Races[1];
  Store.Races.append(duplicate);
  Store.Races.append({RaceBuilder(MileFirst).SetRaceName(u"").SetCondition(5).SetDistance(1000).Line(),
                      PositionLine(MileFirst, 1000, "10", {{"10", "0000", "0000", "0000", "0000"}}),
                      {Uma(MileFirst, 1, 1, 570)}});
  const QList<QStringList> rows = DayCsvRows(Store, "20140526", Settings);
  ASSERT_EQ(rows.size(), 5);
  const QStringList header = DayCsvHeader();
  for (const QStringList& row : rows) ASSERT_EQ(row.size(), header.size());
  const auto at = [&](int row, const char16_t* column) {
    return rows[row].value(header.indexOf(QString::fromUtf16(column)));
  };
  const char* keys[] = {MileFirst, MileKey, MileKey, MileKey, StraightKey};
  for (int row = 0; row < 5; ++row) EXPECT_EQ(rows[row][0], u'R' + QString::fromLatin1(keys[row])) << row;
  // Race columns: the full name, or the list's label when there is none.
  EXPECT_EQ(QStringList({at(0, u"日付"), at(0, u"場"), at(0, u"R"), at(0, u"レース名"), at(0, u"芝ダ"),
                         at(0, u"距離"), at(0, u"クラス")}),
            QStringList({u"2014-05-26"_s, u"東京"_s, u"1"_s, u"３歳上"_s, u"芝"_s, u"1000"_s, u"500万下"_s}));
  EXPECT_EQ(at(1, u"レース名"), u"目黒記念"_s);
  // Horse 1 on the rail throughout: a number for no time added, not a blank.
  EXPECT_EQ(QStringList({at(1, u"枠"), at(1, u"着順"), at(1, u"状態"), at(1, u"走破"), at(1, u"走破(秒)"),
                         at(1, u"ロス(m)"), at(1, u"付加タイム(0.1秒)")}),
            QStringList({u"1"_s, u"1"_s, QString(), u"1.34.4"_s, u"94.4"_s, u"0"_s, u"0"_s}));
  EXPECT_EQ(at(2, u"実走(秒)"), u"93.9"_s);
  // Two lanes lost at the ３コーナー and three at the ４コーナー, 2 m each.
  EXPECT_EQ(at(2, u"ロス(m)"), u"10"_s);
  EXPECT_EQ(at(2, u"付加タイム(0.1秒)"), u"-6"_s);
  // Horse 3, scratched: its mark, and nothing where the sheet shows 0.00.0.
  EXPECT_EQ(at(3, u"状態"), u"消"_s);
  for (const char16_t* empty :
       {u"着順", u"走破", u"走破(秒)", u"実走", u"実走(秒)", u"m/min", u"ロス(m)", u"付加タイム(0.1秒)"})
    EXPECT_TRUE(at(3, empty).isEmpty()) << QString::fromUtf16(empty).toStdString();
  // The straight course: the converted time as for any race, no ground lost, no added time.
  EXPECT_EQ(at(4, u"実走"), u"0.56.0"_s);
  EXPECT_EQ(at(4, u"ロス(m)"), u"0"_s);
  EXPECT_TRUE(at(4, u"付加タイム(0.1秒)").isEmpty());
}

TEST_F(TStoreFixture, EditsStayInTheWorkingCopy) {
  TRaceState race(Store, Store.Races[0].RaceLine, Settings);
  const QByteArray before = Store.Races[0].PositionLine;
  // Horse 1 five lanes out at the 4th corner.
  race.PositionLine.replace(24 + 2 + 4 * 5, 4, "0205");
  race.FillSheet();
  EXPECT_EQ(race.Sheet.Cell(TRaceSheet::ConvertedColumn, 1), QStringLiteral("939"));
  EXPECT_EQ(Store.Races[0].PositionLine, before);
  EXPECT_EQ(race.Entry().PositionLine, race.PositionLine);
  EXPECT_EQ(race.Entry().Runners, Store.Races[0].Runners);
}

// The open race's commands run without a window or a timer: tabs, blink steps, export.
TEST_F(TStoreFixture, OpenRaceCommandsRunWithoutAWindow) {
  TOpenRace mile(Store, Store.Races[0].RaceLine, Settings);
  QStringList heard;
  QObject::connect(&mile, &TOpenRace::SectionShown, [&] { heard.append(QStringLiteral("section")); });
  QObject::connect(&mile, &TOpenRace::BlinkRunning, [&](bool running) {
    heard.append(running ? QStringLiteral("blink") : QStringLiteral("still"));
  });
  EXPECT_EQ(mile.InitialTab(), 0);
  EXPECT_EQ(mile.InfoText(), QStringLiteral("   (*1,3)-2"));
  EXPECT_EQ(mile.DrawnCaption(QStringLiteral("３コーナー")), QStringLiteral("３コーナー"));

  // Horse 1's marker blinks three times, then the blink ends by itself.
  mile.PressSheet(TRaceSheet::NameColumn, 1);
  ASSERT_EQ(heard, QStringList{QStringLiteral("blink")});
  QList<bool> shown;
  for (int step = 0; step < 6; ++step) {
    mile.BlinkStep();
    shown.append(mile.Diagram().Markers[0].Visible);
  }
  EXPECT_EQ(shown, (QList<bool>{false, true, false, true, false, true}));
  EXPECT_EQ(heard.last(), QStringLiteral("still"));

  heard.clear();
  mile.ShowSection(QStringLiteral("Ｇ前"));  // no corner: nothing changes
  EXPECT_TRUE(heard.isEmpty());
  mile.ShowSection(QStringLiteral("４コーナー"));
  EXPECT_EQ(heard, (QStringList{QStringLiteral("still"), QStringLiteral("section")}));
  EXPECT_EQ(mile.InfoText(), QStringLiteral("   1,2,3"));
  EXPECT_TRUE(mile.DrawnCaption(QStringLiteral("３コーナー")).isEmpty());

  TOpenRace straight(Store, Store.Races[1].RaceLine, Settings);
  EXPECT_EQ(straight.InitialTab(), -1);
  EXPECT_THROW(straight.Export(Settings), TDataError);
}

// A horse's tooltip: the sheet's figures, where the diagram shows it, the ground lost.
TEST_F(TStoreFixture, HorseTipsFollowTheShownCornerAndTheEdits) {
  Store.Races[0].Runners[2] = RunnerBuilder(MileKey, 3, 0).SetAbnormality(1).Line();
  TOpenRace mile(Store, Store.Races[0].RaceLine, Settings);
  const QString two = u"2番 テストホース\n走破 1.34.5　実走 1.33.9\n1023 m/min\n"_s;
  const struct {
    std::function<void()> Step;
    int Horse;
    QString Tip;
  } cases[] = {
      {[] {}, 2, two + u"３コーナー 3列目・内から3頭目\n外を回ったロス 10m"_s},
      // Scratched, yet placed by the line, whose block is cut short: no loss measured.
      {[] {}, 3,
       u"3番 テストホース\n走破 ―　実走 ―\n― m/min\n３コーナー 10列目・内から10頭目\n外を回ったロス 0m"_s},
      {[&] { mile.ShowSection(u"４コーナー"_s); }, 2,
       two + u"４コーナー 2列目・内から4頭目\n外を回ったロス 10m"_s},
      {[&] { mile.MoveOut(1); }, 1,
       u"1番 テストホース\n走破 1.34.4　実走 1.34.3\n1019 m/min\n４コーナー 1列目・内から2頭目\n外を回ったロス 2m"_s},
  };
  for (const auto& c : cases) {
    c.Step();
    EXPECT_EQ(mile.HorseTip(c.Horse), c.Tip) << c.Tip.toStdString();
  }
  EXPECT_EQ(mile.SheetRowTip(2), mile.HorseTip(2));
  for (int row : {-1, 0, 4, TRaceSheet::RowCount}) EXPECT_TRUE(mile.SheetRowTip(row).isEmpty()) << row;
  EXPECT_TRUE(mile.HorseTip(0).isEmpty());
  EXPECT_TRUE(mile.HorseTip(4).isEmpty());

  // A straight course: no corner, no ground lost.
  const TOpenRace straight(Store, Store.Races[1].RaceLine, Settings);
  EXPECT_EQ(straight.HorseTip(1), u"1番 テストホース\n走破 0.56.0　実走 0.56.0\n1072 m/min"_s);
}

TEST_F(TStoreFixture, RacesThatCannotBeOpened) {
  EXPECT_THROW(TRaceState(Store, MakeRaceLine("2014052605021001"), Settings), TDataError);
  Store.Races[0].PositionLine.clear();
  EXPECT_THROW(TRaceState(Store, Store.Races[0].RaceLine, Settings), TDataError);
  Store.Races[0].PositionLine = QByteArray(MileKey) + "1600";
  EXPECT_THROW(TRaceState(Store, Store.Races[0].RaceLine, Settings), TDataError);
}

}  // namespace
