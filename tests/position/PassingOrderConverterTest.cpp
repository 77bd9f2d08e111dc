#include "position/PassingOrderConverter.h"

#include "records/RecordBuilder.h"
#include "support/RecordLines.h"
#include "text/Errors.h"

#include <cstring>

#include <gtest/gtest.h>

namespace {

struct TCorner {
  int Number;
  const char* Order;
};

// A race record with four corner blocks; unused blocks carry corner number 0.
QByteArray RaceRecord(const char* key, int distance, int horses, std::initializer_list<TCorner> corners,
                      char dataKind = '7') {
  TRecordBuilder builder = TRecordBuilder::Race(dataKind);
  builder.SetRaceKey(QByteArrayView(key)).SetDistance(distance).SetTrackCode(17).SetHorseCount(horses);
  int block = 0;
  for (const TCorner& corner : corners) builder.SetCorner(block++, corner.Number, corner.Order);
  for (; block < 4; ++block) builder.SetCorner(block, 0, "");
  return builder.Line();
}

QByteArray Rows(std::initializer_list<const char*> rows) {
  QByteArray text;
  for (const char* row : rows) text.append(row).append("\r\n");
  return text;
}

// Row and lane of horse n, as ConvertRace would write them.
std::pair<int, int> Place(const QByteArray& rows, int n) {
  const char token = TPassingOrderConverter::HorseToken(n);
  return {TPassingOrderConverter::RowOf(rows, QByteArrayView(&token, 1)),
          TPassingOrderConverter::LaneOf(rows, QByteArrayView(&token, 1))};
}

TEST(PassingOrderConverterTest, WorkedExampleRows) {
  EXPECT_EQ(TPassingOrderConverter::ParsePassingOrder("(*1,3)-2=5,4"),
            Rows({"A,C", "", "B", "", "", "", "", "E", "D"}));
  EXPECT_EQ(TPassingOrderConverter::ParsePassingOrder("1,3-2,5=4"),
            Rows({"A", "C", "", "B", "E", "", "", "", "", "D"}));
}

TEST(PassingOrderConverterTest, WorkedExampleLine) {
  const QByteArray record = RaceRecord("2014010506010111", 1200, 5, {{3, "(*1,3)-2=5,4"}, {4, "1,3-2,5=4"}});
  const QByteArray expected = QByteArrayLiteral("201401050601011112001705") +
                              Unspaced("10 0000 0101 0101 0000") + Unspaced("20 0000 0301 0401 0000") +
                              Unspaced("30 0000 0102 0201 0000") + Unspaced("40 0000 0901 1001 0000") +
                              Unspaced("50 0000 0801 0501 0000");
  const QByteArray line = TPassingOrderConverter::ConvertRace(record);
  EXPECT_EQ(line, expected);
  EXPECT_EQ(line.size(), 114);
  EXPECT_EQ(TPassingOrderConverter::ConvertRaces({record}), expected + "\r\n");
}

TEST(PassingOrderConverterTest, SectionCountByDistance) {
  const struct {
    int Distance;
    int Sections;
  } cases[] = {{1000, 4}, {1400, 4}, {1401, 7}, {2000, 7}, {2001, 13}, {3600, 13}};
  for (const auto& c : cases) {
    const QByteArray line =
        TPassingOrderConverter::ConvertRace(RaceRecord("2024051205020811", c.Distance, 2, {}));
    EXPECT_EQ(line.size(), 24 + 2 * (2 + 4 * c.Sections)) << c.Distance;
  }
}

// Corners land on their sections: 3 and 4 always, 1 and 2 only where the race has them.
TEST(PassingOrderConverterTest, CornerSections) {
  const struct {
    int Distance;
    int Corner;
    int Index;  // section index from the start, -1: no section
  } cases[] = {{1600, 1, 1},  {1600, 2, 2},  {1600, 3, 4},  {1600, 4, 5}, {2400, 1, 7},
               {2400, 2, 8},  {2400, 3, 10}, {2400, 4, 11}, {1200, 3, 1}, {1200, 4, 2},
               {1200, 1, -1}, {1200, 2, -1}, {1200, 5, -1}, {1200, 0, -1}};
  for (const auto& c : cases) {
    const QByteArray line =
        TPassingOrderConverter::ConvertRace(RaceRecord("2024051205020811", c.Distance, 1, {{c.Corner, "1"}}));
    const int sections = TPassingOrderConverter::SectionCount(c.Distance);
    ASSERT_EQ(line.size(), 24 + 2 + 4 * sections);
    for (int i = 0; i < sections; ++i) {
      EXPECT_EQ(line.mid(26 + 4 * i, 4), i == c.Index ? "0101" : "0000")
          << c.Distance << " corner " << c.Corner << " index " << i;
    }
  }
}

TEST(PassingOrderConverterTest, LaterCornerEntryOfSameNumberReplaces) {
  const QByteArray line =
      TPassingOrderConverter::ConvertRace(RaceRecord("2024051205020811", 1200, 2, {{3, "1,2"}, {3, "2"}}));
  // Horse 1 is absent from the later entry, so it has no position there.
  EXPECT_EQ(line.mid(24), Unspaced("10 0000 0000 0000 0000 20 0000 0101 0000 0000"));
}

struct TNotationCase {
  const char* Order;
  int Horse;
  int Row;
  int Lane;
};

class NotationTest : public testing::TestWithParam<TNotationCase> {};

TEST_P(NotationTest, RowAndLane) {
  const TNotationCase& c = GetParam();
  const QByteArray rows = TPassingOrderConverter::ParsePassingOrder(c.Order);
  EXPECT_EQ(Place(rows, c.Horse), std::make_pair(c.Row, c.Lane)) << c.Order << " horse " << c.Horse << "\n"
                                                                 << rows.constData();
}

INSTANTIATE_TEST_SUITE_P(
    Separators, NotationTest,
    testing::Values(TNotationCase{"1-2", 2, 3, 1}, TNotationCase{"1=2", 2, 6, 1},
                    TNotationCase{"(1,2)-(3,4)", 3, 3, 1}, TNotationCase{"(1,2)-(3,4)", 4, 3, 2},
                    TNotationCase{"(1,2)=(3,4)", 4, 6, 2}, TNotationCase{"(1,2)(3,4)", 3, 2, 1},
                    TNotationCase{"1(2,3)", 1, 1, 1}, TNotationCase{"1(2,3)", 3, 2, 2},
                    TNotationCase{"(2,3)1", 1, 2, 1}, TNotationCase{"1,(2,3)", 2, 3, 1},
                    TNotationCase{"(1,2),3", 3, 3, 1}, TNotationCase{"1.2,3", 2, 2, 1},
                    TNotationCase{"1.2,3", 3, 3, 1}, TNotationCase{"1,2   9", 2, 2, 1},
                    TNotationCase{"1,2   9", 9, 0, 0}, TNotationCase{"1 , 2", 2, 2, 1},
                    TNotationCase{"(*1,3)-2", 3, 1, 2}, TNotationCase{"10,11-12", 11, 2, 1},
                    TNotationCase{"18=(17,16)", 16, 6, 2}));

INSTANTIATE_TEST_SUITE_P(
    Malformed, NotationTest,
    testing::Values(
        // The last appearance counts; ",(" after ")" leaves two empty rows.
        TNotationCase{"1,2,1", 1, 3, 1}, TNotationCase{"(1,2),(3,1)", 1, 4, 2},
        // Unbalanced parentheses only shape rows; a "(" after the first
        // character breaks before every "(" of its row.
        TNotationCase{"(1,2-3", 2, 1, 2}, TNotationCase{"(1,2-3", 3, 3, 1}, TNotationCase{"1,2)-3", 2, 2, 0},
        TNotationCase{"1,2)-3", 3, 4, 1}, TNotationCase{"((1,2", 2, 3, 2},
        // A number above 18 is no horse: it keeps its place and moves nobody.
        TNotationCase{"19", 1, 0, 0}, TNotationCase{"19", 9, 0, 0}, TNotationCase{"1,19,2", 1, 1, 1},
        TNotationCase{"1,19,2", 2, 3, 1}, TNotationCase{"(19,3)-118", 3, 1, 2},
        TNotationCase{"(19,3)-118", 1, 0, 0}, TNotationCase{"(3,019)", 3, 1, 1},
        // Other characters stay in the row; the horse keeps its row, not its lane.
        TNotationCase{"1,2x", 2, 2, 0}, TNotationCase{"   1,2", 1, 0, 0}, TNotationCase{"", 1, 0, 0}));

TEST(PassingOrderConverterTest, RowAndLaneOfAbsentToken) {
  EXPECT_EQ(TPassingOrderConverter::RowOf(Rows({"A,C", "B"}), "D"), 0);
  EXPECT_EQ(TPassingOrderConverter::LaneOf(Rows({"A,C", "B"}), "D"), 0);
  // The row is found by the token itself; its item may differ in case.
  EXPECT_EQ(TPassingOrderConverter::LaneOf(Rows({"a,A"}), "A"), 1);
  EXPECT_EQ(TPassingOrderConverter::RowOf(Rows({"a,C"}), "A"), 0);
}

TEST(PassingOrderConverterTest, FrameOf) {
  const struct {
    int Horses;
    std::vector<int> Frames;  // horses 1 .. Horses
  } cases[] = {
      {5, {1, 2, 3, 4, 5}},
      {9, {1, 2, 3, 4, 5, 6, 7, 8, 8}},
      {16, {1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7, 8, 8}},
      {17, {1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7, 8, 8, 8}},
      {18, {1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7, 7, 8, 8, 8}},
      {24, {1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7, 8, 8, 9, 9, 9, 10, 10, 10, 11, 11}},
  };
  for (const auto& c : cases) {
    for (int n = 1; n <= c.Horses; ++n) {
      EXPECT_EQ(TPassingOrderConverter::FrameOf(c.Horses, n), c.Frames[n - 1])
          << c.Horses << " horses, horse " << n;
    }
    EXPECT_EQ(TPassingOrderConverter::FrameOf(c.Horses, c.Horses + 1), -1);
  }
}

TEST(PassingOrderConverterTest, FramesOutsideEightAreWrittenAsZero) {
  const QByteArray line = TPassingOrderConverter::ConvertRace(RaceRecord("2024051205020811", 1200, 24, {}));
  const int block = 18;
  EXPECT_EQ(line.mid(24 + 15 * block, 2), "80");
  EXPECT_EQ(line.mid(24 + 16 * block, 2), "00");
  EXPECT_EQ(line.mid(24 + 23 * block, 2), "00");
}

TEST(PassingOrderConverterTest, HeaderOnlyLineForNoHorses) {
  EXPECT_EQ(TPassingOrderConverter::ConvertRace(RaceRecord("2024051205020811", 1600, 0, {{3, "1-2"}})),
            Unspaced("2024051205020811160017 00"));
}

// Rows beyond two digits keep the line's shape: they are written as 99.
TEST(PassingOrderConverterTest, RowBeyondTwoDigitsIsCapped) {
  const QByteArray order = "1" + QByteArray(20, '=') + "2";  // horse 2 in row 101
  const QByteArray line =
      TPassingOrderConverter::ConvertRace(RaceRecord("2024051205020811", 1200, 2, {{3, order.constData()}}));
  ASSERT_EQ(line.size(), 24 + 2 * 18);
  EXPECT_EQ(line.mid(24 + 18 + 2 + 4, 4), "9901");
}

TEST(PassingOrderConverterTest, HorsesBeyondEighteenHaveNoPosition) {
  // "S" would be the token of horse 19 if horses beyond 18 had one.
  const QByteArray line =
      TPassingOrderConverter::ConvertRace(RaceRecord("2024051205020811", 1200, 19, {{3, "S,1"}}));
  EXPECT_EQ(line.mid(24 + 18 * 18 + 2 + 4, 4), "0000");
  EXPECT_EQ(line.mid(24 + 2 + 4, 4), "0201");
}

TEST(PassingOrderConverterTest, ConvertRacesSkipsOtherDataKinds) {
  const QByteArray kept = RaceRecord("2024051205020801", 1200, 1, {{3, "1"}}, '6');
  const QByteArray skipped = RaceRecord("2024051205020802", 1200, 1, {{3, "1"}}, '5');
  const QByteArray text = TPassingOrderConverter::ConvertRaces({skipped, kept, "RA"});
  EXPECT_EQ(text, TPassingOrderConverter::ConvertRace(kept) + "\r\n");
  EXPECT_EQ(TPassingOrderConverter::ConvertRaces({skipped}), "");
  EXPECT_EQ(TPassingOrderConverter::ConvertRaces({}), "");
}

TEST(PassingOrderConverterTest, NonIntegerFieldsStopTheRun) {
  const QByteArray good = RaceRecord("2024051205020801", 1200, 1, {{3, "1"}});
  QByteArray blankCorner = good;
  blankCorner[981 + 72 * 2] = ' ';
  QByteArray badDistance = good;
  badDistance[698] = 'x';
  QByteArray badHorses = good;
  badHorses.replace(881, 2, "  ");
  const QByteArray cutShort = good.left(900);
  for (const QByteArray& bad : {blankCorner, badDistance, badHorses, cutShort}) {
    try {
      TPassingOrderConverter::ConvertRaces({good, bad});
      ADD_FAILURE() << "no error for " << bad.mid(697, 4).constData();
    } catch (const TConvertError& error) {
      EXPECT_TRUE(error.Message().contains(u"2024051205020801"_qs)) << error.what();
    }
  }
}

TEST(PassingOrderConverterTest, CopiedHeaderFieldsMustBeDigits) {
  // These fields are copied into the line, which must stay digits only even
  // where an integer reading would accept the text.
  const QByteArray good = RaceRecord("2024051205020801", 1200, 1, {{3, "1"}});
  const struct {
    int Offset;
    const char* Bytes;
  } cases[] = {{697, "+900"}, {881, "-1"}, {881, "+8"}, {705, "-3"}, {705, "1 "}, {705, "AB"}};
  for (const auto& c : cases) {
    QByteArray bad = good;
    bad.replace(c.Offset, qsizetype(strlen(c.Bytes)), c.Bytes);
    EXPECT_THROW(TPassingOrderConverter::ConvertRace(bad), TConvertError) << c.Bytes;
  }
  EXPECT_NO_THROW(TPassingOrderConverter::ConvertRace(good));
}

}  // namespace
