#include "text/Cp932.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

struct TMapping {
  const char* Name;
  QString Text;
  QByteArray Bytes;
};

class Cp932MappingTest : public testing::TestWithParam<TMapping> {};

TEST_P(Cp932MappingTest, EncodesAndDecodes) {
  const TMapping& m = GetParam();
  EXPECT_EQ(EncodeCp932(m.Text), m.Bytes) << m.Name;
  EXPECT_EQ(DecodeCp932(m.Bytes), m.Text) << m.Name;
}

INSTANTIATE_TEST_SUITE_P(
    Table, Cp932MappingTest,
    testing::Values(TMapping{"circled one", QString(QChar(0x2460)), QByteArray("\x87\x40")},
                    TMapping{"roman one", QString(QChar(0x2160)), QByteArray("\x87\x54")},
                    TMapping{"fullwidth minus", QString(QChar(0xFF0D)), QByteArray("\x81\x7c")},
                    TMapping{"fullwidth tilde", QString(QChar(0xFF5E)), QByteArray("\x81\x60")},
                    TMapping{"fullwidth yen", QString(QChar(0xFFE5)), QByteArray("\x81\x8f")},
                    TMapping{"ideographic space", QString(QChar(0x3000)), QByteArray("\x81\x40")},
                    TMapping{"backslash", u"\\"_s, QByteArray("\\")},
                    TMapping{"tilde", u"~"_s, QByteArray("~")},
                    TMapping{"control 1A", QString(QChar(0x1a)), QByteArray("\x1a")},
                    TMapping{"control 1C", QString(QChar(0x1c)), QByteArray("\x1c")},
                    TMapping{"control 7F", QString(QChar(0x7f)), QByteArray("\x7f")},
                    TMapping{"katakana", QStringLiteral(u"ウマ"), QByteArray("\x83\x45\x83\x7d")},
                    TMapping{"half-width katakana", QString(QChar(0xFF71)), QByteArray("\xb1")}),
    [](const testing::TestParamInfo<TMapping>& info) { return "case" + std::to_string(info.index); });

TEST(Cp932Test, EveryAsciiByteMapsToItself) {
  QByteArray all;
  for (int b = 0; b < 128; ++b) all.append(char(b));
  const QString text = DecodeCp932(all);
  ASSERT_EQ(text.size(), 128);
  for (int b = 0; b < 128; ++b) EXPECT_EQ(text.at(b).unicode(), b) << b;
  EXPECT_EQ(EncodeCp932(text), all);
}

TEST(Cp932Test, LengthCountsEncodedBytes) {
  EXPECT_EQ(Cp932Length(QStringLiteral(u"芝1600")), 6);
  EXPECT_EQ(Cp932Length(QStringLiteral(u"　　　")), 6);
  EXPECT_EQ(Cp932Length(QString()), 0);
}

TEST(Cp932Test, FieldCutInsideACharacterKeepsItsWholeCharacters) {
  // A fixed-width field may end inside a double-byte character; what comes before survives.
  const QString text = DecodeCp932(QByteArray("AB\x83"));
  EXPECT_TRUE(text.startsWith(u"AB"_s));
  EXPECT_LE(text.size(), 3);
}

}  // namespace
