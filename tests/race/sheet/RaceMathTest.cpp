#include "race/RaceMath.h"
#include "support/RecordLines.h"
#include "text/Errors.h"

#include <gtest/gtest.h>

namespace {

// Key, "1600", track "11", two horses of seven sections each.
const QByteArray MileLine = Unspaced("2014052605021011 1600 11 02") +
                            Unspaced("10 0000000000000000 010101010000") +
                            Unspaced("20 0000000000000000 030302040000");

TEST(RaceMathTest, RoundHalfAway) {
  const struct {
    double X;
    int Expected;
  } cases[] = {{2.5, 3}, {-2.5, -3}, {2.4999, 2}, {-2.4999, -2}, {0.5, 1}, {938.6, 939}, {0.0, 0}};
  for (const auto& c : cases) EXPECT_EQ(RoundHalfAway(c.X), c.Expected) << c.X;
}

TEST(RaceMathTest, CorrectedDistanceCountsCornerLanesOnly) {
  EXPECT_EQ(CorrectedDistance(MileLine, 1, 2), 1600);
  EXPECT_EQ(CorrectedDistance(MileLine, 2, 2), 1610);
  EXPECT_EQ(CorrectedDistance(MileLine, 2, 3), 1615);
  // No block for horse 3: the race distance.
  EXPECT_EQ(CorrectedDistance(MileLine, 3, 2), 1600);
  EXPECT_EQ(CorrectedDistance(MileLine.left(MileLine.size() - 1), 2, 2), 1600);
  // A straight course has no corners, whatever its blocks hold.
  EXPECT_EQ(CorrectedDistance(QByteArray(MileLine).replace(20, 2, "10"), 2, 2), 1600);

  // Thirteen sections: lanes count at both laps' corners, never on the straights.
  QByteArray marathon = Unspaced("2014052605021011 2400 11 01 10");
  const char* entries[13] = {"0109", "0102", "0103", "0109", "0104", "0105", "0109",
                             "0106", "0107", "0109", "0108", "0100", "0109"};
  for (const char* e : entries) marathon += e;
  // Lanes 2..8 at the corners: 1+2+3+4+5+6+7 lanes lost, lane 00 adds nothing.
  EXPECT_EQ(CorrectedDistance(marathon, 1, 2), 2400 + 28 * 2);
}

TEST(RaceMathTest, ConvertedTimeOfTheMileExample) {
  const double speed2 = RaceSpeed(1610, 945);
  EXPECT_NEAR(speed2, 1022.2222, 1e-3);
  EXPECT_EQ(ConvertedTime(1600, speed2), 939);
  EXPECT_EQ(ConvertedTime(1600, RaceSpeed(1600, 944)), 944);
  EXPECT_EQ(ConvertedTime(1600, 0.0), 0);
  EXPECT_EQ(ConvertedTime(1600, -3.0), 0);
  EXPECT_EQ(RaceSpeed(1600, 0), 0.0);
}

TEST(RaceMathTest, FormatTime) {
  const struct {
    int Tenths;
    const char16_t* Expected;
  } cases[] = {{945, u"1.34.5"}, {583, u"0.58.3"},  {0, u"0.00.0"},
               {600, u"1.00.0"}, {1209, u"2.00.9"}, {939, u"1.33.9"}};
  for (const auto& c : cases) EXPECT_EQ(FormatTime(c.Tenths), QString::fromUtf16(c.Expected)) << c.Tenths;
}

TEST(RaceMathTest, FrameColourByFrameDigit) {
  // 1200 m: blocks of 18 characters, frame digits at offsets 24 and 42.
  QByteArray line = QByteArrayLiteral("201405260502101112001102");
  line += "60" + QByteArray(16, '0') + "50" + QByteArray(16, '0');
  EXPECT_EQ(FrameColour(line, 1), (TRgb{34, 119, 34}));
  EXPECT_EQ(FrameColour(line, 2), (TRgb{255, 255, 0}));
  EXPECT_EQ(FrameColour(line, 3), (TRgb{0, 255, 255}));
  EXPECT_EQ(FrameColour(QByteArray(), 1), (TRgb{0, 255, 255}));

  const struct {
    char Digit;
    TRgb Colour;
  } table[] = {{'1', {255, 255, 255}}, {'2', {0, 0, 0}},     {'3', {198, 0, 0}},  {'4', {0, 0, 255}},
               {'5', {255, 255, 0}},   {'6', {34, 119, 34}}, {'7', {255, 55, 0}}, {'8', {243, 35, 157}},
               {'0', {0, 255, 255}},   {'9', {0, 255, 255}}};
  for (const auto& c : table) {
    QByteArray one = MileLine;
    one[24] = c.Digit;
    EXPECT_EQ(FrameColour(one, 1), c.Colour) << c.Digit;
  }
}

TEST(RaceMathTest, HexToBits) {
  EXPECT_EQ(HexToBits("01B"), QByteArray("000000011011"));
  EXPECT_EQ(HexToBits("003"), QByteArray("000000000011"));
  EXPECT_EQ(HexToBits("F"), QByteArray("1111"));
  EXPECT_EQ(HexToBits("ffffffff"), QByteArray(32, '1'));
  EXPECT_EQ(HexToBits(""), QByteArray());
  try {
    HexToBits("000000001");
    FAIL() << "36 bits accepted";
  } catch (const TConvertError& e) {
    EXPECT_EQ(e.Message(), QStringLiteral("第二パラメータが範囲外です。"));
  }
  EXPECT_THROW(HexToBits("0G1"), TConvertError);
  EXPECT_THROW(HexToBits(" 1"), TConvertError);
}

}  // namespace
