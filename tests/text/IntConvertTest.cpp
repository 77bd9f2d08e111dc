#include "text/Errors.h"
#include "text/IntConvert.h"

#include <gtest/gtest.h>

namespace {

struct TGood {
  const char* Text;
  int Value;
};

class StrToIntGoodTest : public testing::TestWithParam<TGood> {};

TEST_P(StrToIntGoodTest, Converts) {
  EXPECT_EQ(StrToInt(QByteArrayView(GetParam().Text)), GetParam().Value);
  EXPECT_EQ(StrToInt(QString::fromLatin1(GetParam().Text)), GetParam().Value);
}

INSTANTIATE_TEST_SUITE_P(Table, StrToIntGoodTest,
                         testing::Values(TGood{"0", 0}, TGood{"0007", 7}, TGood{"+12", 12},
                                         TGood{"-504", -504}, TGood{"2147483647", 2147483647},
                                         TGood{"-2147483648", -2147483647 - 1},
                                         TGood{"000000000000000000012", 12}));

class StrToIntBadTest : public testing::TestWithParam<const char*> {};

TEST_P(StrToIntBadTest, ThrowsNamingTheText) {
  const char* text = GetParam();
  try {
    StrToInt(QByteArrayView(text));
    FAIL() << "no error for '" << text << "'";
  } catch (const TConvertError& e) {
    EXPECT_TRUE(e.Message().contains(QString::fromLatin1(text))) << e.what();
  }
  EXPECT_THROW(StrToInt(QString::fromLatin1(text)), TConvertError);
}

INSTANTIATE_TEST_SUITE_P(Table, StrToIntBadTest,
                         testing::Values("", " ", "  ", " 1", "1 ", "-", "+", "1-", "12a", "0x1A",
                                         "1.0", "2147483648", "-2147483649",
                                         "99999999999999999999"));

TEST(StrToIntTest, NonAsciiTextIsRefused) {
  EXPECT_THROW(StrToInt(QStringView(u"１２")), TConvertError);
  EXPECT_THROW(StrToInt(QByteArrayView("\x82\x50")), TConvertError);
}

TEST(LenientReadTest, DigitsAndBlanks) {
  EXPECT_EQ(DigitOrZero('3'), 3);
  EXPECT_EQ(DigitOrZero(' '), 0);
  EXPECT_EQ(DigitOrZero('a'), 0);
  EXPECT_EQ(DigitOrZero('\0'), 0);
  EXPECT_EQ(StrToIntOrZero("000000450"), 450);
  EXPECT_EQ(StrToIntOrZero("         "), 0);
  EXPECT_EQ(StrToIntOrZero(""), 0);
  EXPECT_EQ(StrToIntOrZero("12 "), 0);
}

}  // namespace
