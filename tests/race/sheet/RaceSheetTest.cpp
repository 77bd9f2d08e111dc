#include "race/RaceSheet.h"
#include "race/sheet/SheetFixtures.h"
#include "records/PayRecord.h"
#include "text/Errors.h"

#include <gtest/gtest.h>

namespace {

TEST(RaceSheetTest, FillsTheMileExample) {
  const TByteLines list{MileLine(), Uma(MileKey, 1, 1, 944), Uma(MileKey, 2, 2, 945)};
  TRaceSheet sheet;
  sheet.HighlightHorse = "02";
  sheet.FillSheet(list.mid(1), list[0], 2);

  const struct {
    int Row;
    const char16_t* Cells[6];
  } rows[] = {{0, {u"順", u"番", u"馬　　名", u"走破", u"実走", u"m/min"}},
              {1, {u"1", u"01", u"テストホース", u"944", u"944", u"1017"}},
              {2, {u"2", u"02", u"テストホース", u"945", u"939", u"1023"}}};
  for (const auto& row : rows)
    for (int column = 0; column < 6; ++column) {
      QString expected = QString::fromUtf16(row.Cells[column]);
      // The name cell keeps the record's padding.
      if (row.Row > 0 && column == TRaceSheet::NameColumn)
        EXPECT_TRUE(sheet.Cell(column, row.Row).startsWith(expected)) << row.Row;
      else
        EXPECT_EQ(sheet.Cell(column, row.Row), expected) << row.Row << "," << column;
    }
  EXPECT_EQ(sheet.ConvRanking, (QStringList{QStringLiteral("        939"), QStringLiteral("        944")}));
  EXPECT_EQ(sheet.HighlightHorse, "00");
  EXPECT_TRUE(sheet.Cell(0, 3).isEmpty());
}

TEST(RaceSheetTest, MarksUntimedAndDuplicatedTimes) {
  // Equal converted times rank once; a horse without a time is 0 and unranked.
  const TByteLines list{MileLine(), Uma(MileKey, 1, 1, 944),
                        RunnerBuilder(MileKey, 2, 0).SetAbnormality(1).SetFinalPlace(0).SetTime(0).Line(),
                        Uma(MileKey, 3, 12, 944)};
  TRaceSheet sheet;
  sheet.FillSheet(list.mid(1), list[0], 3);
  EXPECT_EQ(sheet.Cell(TRaceSheet::PlaceColumn, 2), QStringLiteral("消"));
  EXPECT_EQ(sheet.Cell(TRaceSheet::ConvertedColumn, 2), QStringLiteral("0"));
  EXPECT_EQ(sheet.Cell(TRaceSheet::SpeedColumn, 2), QStringLiteral("0"));
  EXPECT_EQ(sheet.Cell(TRaceSheet::PlaceColumn, 3), QStringLiteral("12"));
  EXPECT_EQ(sheet.ConvRanking, QStringList{QStringLiteral("        944")});
}

TEST(RaceSheetTest, HorsesBeyondTheEighteenthRowAreLeftOut) {
  TByteLines list{MileLine()};
  for (int n = 1; n <= 20; ++n) list.append(Uma(MileKey, n, n, 900 + n));
  TRaceSheet sheet;
  sheet.FillSheet(list.mid(1), list[0], 2);
  EXPECT_EQ(sheet.Cell(TRaceSheet::NumberColumn, 18), QStringLiteral("18"));
  EXPECT_EQ(sheet.ConvRanking.size(), 18);
}

TEST(RaceSheetTest, FillSheetUsesTheGivenPositionLine) {
  // The line given decides the lost ground.
  TRaceSheet sheet;
  sheet.FillSheet({Uma(MileKey, 2, 1, 945)}, MileLine(), 3);
  // 1600 + 2*3 + 3*3 = 1615 m.
  EXPECT_EQ(sheet.Cell(TRaceSheet::ConvertedColumn, 1), QStringLiteral("936"));
}

TEST(RaceSheetTest, AddedTimeLine) {
  const QByteArray blank(5, ' ');
  const TByteLines mile{Uma(MileKey, 1, 1, 944), Uma(MileKey, 2, 2, 945)};
  EXPECT_EQ(AddedTimeLine(MileLine(), mile, 2), blank + "   -6" + blank.repeated(16));

  // Horses 1, 2 and 5 only; horse 5 has no block and no time counts nothing.
  const TByteLines sparse{Uma(MileKey, 5, 3, 950), Uma(MileKey, 2, 2, 945), Uma(MileKey, 1, 1, 0)};
  const QByteArray line = AddedTimeLine(MileLine(), sparse, 2);
  EXPECT_EQ(line.size(), 90);
  EXPECT_EQ(line, blank + "   -6" + blank.repeated(16));

  // The later of two lines with one horse number fills the field; numbers past 18 have none.
  const TByteLines doubled{Uma(MileKey, 2, 2, 0), Uma(MileKey, 2, 2, 945), Uma(MileKey, 19, 3, 950)};
  EXPECT_EQ(AddedTimeLine(MileLine(), doubled, 3).mid(5, 5), "   -9");

  EXPECT_THROW(AddedTimeLine(QByteArray(), {Uma(MileKey, 1, 1, 944)}, 2), TConvertError);
}

TEST(RaceSheetTest, SectionTabsInRaceOrder) {
  const QByteArray empty4 = "0000";
  const struct {
    const char* Name;
    QByteArray Line;
    const char* Hex;
    QStringList Tabs;
  } cases[] = {
      {"mile", MileLine(), "003", {QStringLiteral("３コーナー"), QStringLiteral("４コーナー")}},
      {"all four corners at 1800 m",
       PositionLine(MileKey, 1800, "11", {{"10", "0000", "0102", "0201", "0000", "0101", "0101", "0000"}}),
       "01B",
       {QStringLiteral("１コーナー"), QStringLiteral("２コーナー"), QStringLiteral("３コーナー"),
        QStringLiteral("４コーナー")}},
      // 1200 m: the entries a 1st corner would have are straights and never looked at.
      {"sprint",
       PositionLine(MileKey, 1200, "11", {{"10", "0101", "0000", "0203", "0000"}}),
       "001",
       {QStringLiteral("４コーナー")}},
      {"no entries",
       PositionLine(MileKey, 2400, "24",
                    {{"10", "0000", "0000", "0000", "0000", "0000", "0000", "0000", "0000", "0000", "0000",
                      "0000", "0000", "0000"}}),
       "000",
       {}},
      // A 13-section race: the 1st corner of the second lap is section 6.
      {"marathon",
       PositionLine(MileKey, 2400, "11",
                    {{"10", "0000", "0000", "0000", "0000", "0000", "0000", "0000", "0101", "0000", "0000",
                      "0101", "0101", "0000"}}),
       "013",
       {QStringLiteral("１コーナー"), QStringLiteral("３コーナー"), QStringLiteral("４コーナー")}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SectionPresenceHex(c.Line), QByteArray(c.Hex)) << c.Name;
    QStringList tabs;
    AddSectionTabs(tabs, DefaultCornerNames(), SectionPresenceHex(c.Line));
    EXPECT_EQ(tabs, c.Tabs) << c.Name;
  }
}

TEST(RaceSheetTest, AddSectionTabsTakesLabelsByBit) {
  QStringList tabs{QStringLiteral("既存")};
  AddSectionTabs(tabs, DefaultCornerNames(), "801");
  EXPECT_EQ(tabs,
            (QStringList{QStringLiteral("既存"), QStringLiteral("Ｓ前(1)"), QStringLiteral("４コーナー")}));
  // A short label list gives no tab for the bits it has no label for.
  QStringList few;
  AddSectionTabs(few, {QStringLiteral("a"), QStringLiteral("b")}, "FFF");
  EXPECT_EQ(few, (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
}

TEST(RaceSheetTest, RaceTitle) {
  const struct {
    const char* Key;
    const char16_t* Title;
  } cases[] = {{"2014052605021011", u"東京11Ｒ (5/26)"},
               {"2024120710040301", u"小倉1Ｒ (12/7)"},
               {"2024010199040312", u"12Ｒ (1/1)"}};
  for (const auto& c : cases) EXPECT_EQ(RaceTitle(c.Key), QString::fromUtf16(c.Title)) << c.Key;
}

TEST(RaceSheetTest, InfoPanelTextCutsAtThreeBlanks) {
  const struct {
    QByteArray Order;
    const char* Text;
  } cases[] = {{"(*1,3)-2=5,4" + QByteArray(58, ' '), "   (*1,3)-2=5,4"},
               {"1,2  3   4,5", "   1,2  3"},
               {QByteArray(), "   "},
               {"1-2-3", "   1-2-3"}};
  for (const auto& c : cases)
    EXPECT_EQ(InfoPanelText(c.Order), QString::fromLatin1(c.Text)) << c.Order.data();
}

TEST(RaceSheetTest, PayoutLineInFullWidthDigits) {
  TPayRecord pay;
  const TByteLines payLines{PayBuilder(MileKey).SetPayEntry(TBetType::Win, 0, {9}, 100, 1).Line(),
                            PayBuilder(MileKey).Line(), PayBuilder("2014052605021012").Line()};
  const QString line = BuildPayoutLine(pay, payLines, MileKey);
  EXPECT_TRUE(line.startsWith(
      QStringLiteral("　単勝３番￥４５０（２人気）　複勝３番￥１５０（２人気）５番￥２００（３人気）"
                     "７番￥３１０（６人気）　枠連２－３￥９８０（４人気）")))
      << line.toStdString();
  EXPECT_TRUE(line.endsWith(QStringLiteral("　三連単３→５→７￥１２３４０（１２人気）")))
      << line.toStdString();
  EXPECT_EQ(line.count(u'　'), 8);
  for (QChar c : line) EXPECT_FALSE(c >= u'0' && c <= u'9');

  EXPECT_TRUE(BuildPayoutLine(pay, payLines, "2014052605021001").isEmpty());
  // Bet types without entries add nothing, not even their blank.
  const QString winOnly = BuildPayoutLine(
      pay, {EmptyPayBuilder(MileKey).SetPayEntry(TBetType::Win, 0, {1}, 100, 1).Line()}, MileKey);
  EXPECT_EQ(winOnly, QStringLiteral("　単勝１番￥１００（１人気）"));
}

TEST(RaceSheetTest, StraightCourseNotice) {
  const QString crlf = QStringLiteral("\r\n");
  EXPECT_EQ(StraightCourseNotice(), crlf.repeated(7) + QStringLiteral("直線コースの競走では、") + crlf +
                                        crlf + QStringLiteral("展開データが提供されていないため") + crlf +
                                        crlf + QStringLiteral("展開の図式化処理はおこなえません") + crlf +
                                        crlf + QStringLiteral("なお、それに伴い「実走タイム」換算と") + crlf +
                                        crlf + QStringLiteral("「補正タイム出力」も無効となっております") +
                                        crlf + u' ');
}

}  // namespace
