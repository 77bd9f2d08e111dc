#include "records/RaceRecord.h"

#include "support/RecordLines.h"
#include "text/Cp932.h"
#include "text/Errors.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QByteArray RaceWith(const std::function<void(TRecordBuilder&)>& change) {
  TRecordBuilder builder = RaceBuilder();
  change(builder);
  return builder.Line();
}

TEST(RaceRecordTest, ValidLineReadsItsFields) {
  const QByteArray line =
      RaceBuilder("2024052605021011").SetRaceName(u"東京優駿").SetWeather(2).SetDistance(2400).Line();
  TRaceRecord race;
  EXPECT_TRUE(race.LoadRecord(line));
  EXPECT_EQ(race.RaceDate(line), "20240526");
  EXPECT_EQ(race.MeetingKey(line), "20240526050210");
  EXPECT_EQ(race.RaceKey(line), "2024052605021011");
  EXPECT_EQ(race.TrackDistance(line), u"芝2400"_s);
  EXPECT_EQ(race.RaceName(line), u"東京優駿"_s + QString(52, u' '));
  EXPECT_EQ(race.WeatherCode(line), "2");
}

struct TTrackCase {
  int Track;
  int Turf;
  int Dirt;
  const char16_t* Type;
  const char16_t* Going;
};

class RaceTrackTest : public testing::TestWithParam<TTrackCase> {};

TEST_P(RaceTrackTest, TypeAndGoing) {
  const TTrackCase& c = GetParam();
  const QByteArray line = RaceWith([&](TRecordBuilder& b) {
    b.SetTrackCode(c.Track).SetTurfGoing(c.Turf).SetDirtGoing(c.Dirt).SetDistance(1200);
  });
  TRaceRecord race;
  EXPECT_EQ(race.TrackDistance(line), QString::fromUtf16(c.Type) + u"1200"_s);
  EXPECT_EQ(race.GoingLabel(line), QString::fromUtf16(c.Going));
}

// The type turns dirt at 23 and steeplechase above 50; the going reads the dirt code only for 23..49.
INSTANTIATE_TEST_SUITE_P(
    Boundaries, RaceTrackTest,
    testing::Values(TTrackCase{0, 1, 2, u"芝", u"良"}, TTrackCase{22, 1, 3, u"芝", u"良"},
                    TTrackCase{23, 1, 3, u"ダ", u"重"}, TTrackCase{49, 1, 4, u"ダ", u"不"},
                    TTrackCase{50, 2, 4, u"ダ", u"稍"}, TTrackCase{51, 3, 1, u"障", u"重"},
                    TTrackCase{59, 4, 0, u"障", u"不"}, TTrackCase{11, 0, 1, u"芝", u""},
                    TTrackCase{24, 1, 0, u"ダ", u""}, TTrackCase{11, 5, 1, u"芝", u""},
                    TTrackCase{11, 9, 1, u"芝", u""}));

struct TClassCase {
  char Grade;
  int Condition;
  const char16_t* Label;
  const char* Key = "2014052605021011";
};

class RaceClassTest : public testing::TestWithParam<TClassCase> {};

TEST_P(RaceClassTest, Label) {
  const TClassCase& c = GetParam();
  const QByteArray line =
      RaceWith([&](TRecordBuilder& b) { b.SetRaceKey(c.Key).SetGrade(c.Grade).SetCondition(c.Condition); });
  EXPECT_EQ(TRaceRecord().ClassLabel(line), QString::fromUtf16(c.Label));
}

// The classes by wins from the first of June 2019; the other codes keep their names.
INSTANTIATE_TEST_SUITE_P(Codes, RaceClassTest,
                         testing::Values(TClassCase{'A', 999, u"（ＧⅠ）"}, TClassCase{'B', 0, u"（ＧⅡ）"},
                                         TClassCase{'C', 16, u"（ＧⅢ）"}, TClassCase{'F', 999, u"(ＪＧⅠ)"},
                                         TClassCase{'G', 999, u"(ＪＧⅡ)"}, TClassCase{'H', 999, u"(ＪＧⅢ)"},
                                         TClassCase{'a', 0, u""}, TClassCase{'D', 999, u"オープン"},
                                         TClassCase{'E', 5, u" 500万下"}, TClassCase{' ', 0, u""},
                                         TClassCase{' ', 701, u"新馬"}, TClassCase{' ', 702, u"未出走"},
                                         TClassCase{' ', 703, u"未勝利"}, TClassCase{' ', 1, u" 100万下"},
                                         TClassCase{' ', 9, u" 900万下"}, TClassCase{' ', 10, u"1000万下"},
                                         TClassCase{' ', 16, u"1600万下"}, TClassCase{' ', 704, u"70400万下"},
                                         TClassCase{' ', 5, u" 500万下", "2019052605021011"},
                                         TClassCase{' ', 5, u"1勝クラス", "2019060103010101"},
                                         TClassCase{'E', 10, u"2勝クラス", "2019060103010101"},
                                         TClassCase{' ', 16, u"3勝クラス", "2024051205020811"},
                                         TClassCase{'C', 16, u"（ＧⅢ）", "2024051205020811"},
                                         TClassCase{' ', 9, u" 900万下", "2024051205020811"},
                                         TClassCase{' ', 703, u"未勝利", "2024051205020811"}));

struct TRaceLabelCase {
  const char16_t* ShortName;
  int RaceType;
  const char16_t* Label;
};

class RaceLabelTest : public testing::TestWithParam<TRaceLabelCase> {};

TEST_P(RaceLabelTest, Label) {
  const TRaceLabelCase& c = GetParam();
  const QByteArray line =
      RaceWith([&](TRecordBuilder& b) { b.SetShortName(c.ShortName).SetRaceType(c.RaceType); });
  EXPECT_EQ(TRaceRecord().RaceLabel(line), QString::fromUtf16(c.Label));
}

INSTANTIATE_TEST_SUITE_P(
    Codes, RaceLabelTest,
    testing::Values(TRaceLabelCase{u"      ", 13, u"３歳上"}, TRaceLabelCase{u"　　　", 13, u"３歳上"},
                    TRaceLabelCase{u" 　  ", 18, u"３歳上"}, TRaceLabelCase{u"", 23, u"３歳上"},
                    TRaceLabelCase{u"", 11, u"２歳"}, TRaceLabelCase{u"", 21, u"２歳"},
                    TRaceLabelCase{u"", 12, u"３歳"}, TRaceLabelCase{u"", 22, u"３歳"},
                    TRaceLabelCase{u"", 14, u"４歳上"}, TRaceLabelCase{u"", 19, u"４歳上"},
                    TRaceLabelCase{u"", 24, u"４歳上"}, TRaceLabelCase{u"", 0, u""},
                    TRaceLabelCase{u"", 15, u""}, TRaceLabelCase{u"ダ杯", 13, u"ダ杯"},
                    TRaceLabelCase{u"　ＯＰ", 13, u"ＯＰ"}, TRaceLabelCase{u"新 馬", 0, u"新馬"}));

// Code fields convert strictly; the error reaches the caller, and only the
// operations that read the field raise it.
TEST(RaceRecordTest, MalformedCodeFieldsThrow) {
  struct TCase {
    int Offset;
    const char* Bytes;
    bool Track, Going, RaceLabel, ClassLabel;
  };
  const TCase cases[] = {
      {705, "  ", true, true, false, false},  // track code
      {705, "1a", true, true, false, false},
      {888, " ", false, true, false, false},   // turf going, read even for a turf race's dirt counterpart
      {889, "x", false, true, false, false},   // dirt going of a turf race
      {616, "  ", false, false, true, false},  // race type, short name blank
      {634, "   ", false, false, false, true},
      {634, "1 0", false, false, false, true},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Offset);
    const QByteArray line =
        RaceWith([&](TRecordBuilder& b) { b.SetShortName(u"").SetBytes(c.Offset, c.Bytes); });
    TRaceRecord race;
    ASSERT_TRUE(race.LoadRecord(line));
    if (c.Track)
      EXPECT_THROW(race.TrackDistance(line), TConvertError);
    else
      EXPECT_NO_THROW(race.TrackDistance(line));
    if (c.Going)
      EXPECT_THROW(race.GoingLabel(line), TConvertError);
    else
      EXPECT_NO_THROW(race.GoingLabel(line));
    if (c.RaceLabel)
      EXPECT_THROW(race.RaceLabel(line), TConvertError);
    else
      EXPECT_NO_THROW(race.RaceLabel(line));
    if (c.ClassLabel)
      EXPECT_THROW(race.ClassLabel(line), TConvertError);
    else
      EXPECT_NO_THROW(race.ClassLabel(line));
  }
  // A short name or a grade decides the label before the code is read.
  TRaceRecord race;
  EXPECT_EQ(race.RaceLabel(RaceWith([](TRecordBuilder& b) { b.SetShortName(u"ＯＰ").SetBytes(616, "  "); })),
            u"ＯＰ"_s);
  EXPECT_EQ(race.ClassLabel(RaceWith([](TRecordBuilder& b) { b.SetGrade('A').SetBytes(634, "   "); })),
            u"（ＧⅠ）"_s);
}

TEST(RaceRecordTest, CornerOrderTakesTheLastMatchingBlock) {
  const QByteArray orders[] = {"1,2,3", "(*1,2)3", "1-2-3", "3=2,1"};
  struct TCase {
    const char* Numbers;  // corner number byte of blocks 0..3
    int Corner;
    int Block;  // -1: none
  };
  const TCase cases[] = {
      {"1234", 3, 2}, {"1234", 1, 0},  {"1234", 4, 3},  {"1234", 0, -1},
      {"3434", 3, 2}, {"3344", 4, 3},  {"    ", 1, -1}, {"x3  ", 0, 3},  // non-digits count as corner 0
      {"x3  ", 3, 1}, {"0000", 5, -1},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.Numbers << " corner " << c.Corner);
    TRecordBuilder builder = RaceBuilder();
    for (int block = 0; block < 4; ++block) {
      builder.SetCorner(block, 0, orders[block]).SetBytes(981 + 72 * block, QByteArray(1, c.Numbers[block]));
    }
    const QByteArray order = TRaceRecord().CornerOrder(builder.Line(), c.Corner);
    if (c.Block < 0) {
      EXPECT_EQ(order, QByteArray());
    } else {
      EXPECT_EQ(order, orders[c.Block].leftJustified(70, ' '));
    }
  }
}

TEST(RaceRecordTest, DateListKeepsFirstAppearanceAndEndsEachLineWithCrLf) {
  const QByteArray a = MakeRaceLine("2024051205020801");
  const QByteArray b = MakeRaceLine("2024051209030401");
  const QByteArray c = MakeRaceLine("2024051205020802");
  const QByteArray d = MakeRaceLine("2024051105020701");
  const TByteLines lines = {a, b, c, d};
  TRaceRecord race;
  EXPECT_EQ(race.DateList(lines), "20240512\r\n20240511\r\n");
  EXPECT_EQ(race.DateList({}), QByteArray());
  // An invalid line adds one empty key.
  EXPECT_EQ(race.DateList({a, "RA", "bad", a}), "20240512\r\n\r\n");
}

}  // namespace
