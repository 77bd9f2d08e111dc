#include "TextTable.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

struct TWidthCase {
  const char16_t* Text;
  int Width;
};

class DisplayWidthTest : public testing::TestWithParam<TWidthCase> {};

TEST_P(DisplayWidthTest, CountsTerminalColumns) {
  EXPECT_EQ(DisplayWidth(QString::fromUtf16(GetParam().Text)), GetParam().Width);
}

INSTANTIATE_TEST_SUITE_P(Texts, DisplayWidthTest,
                         testing::Values(TWidthCase{u"", 0}, TWidthCase{u"1R 芝1600", 9},
                                         TWidthCase{u"ｻﾗ系3歳", 7},        // half-width katakana are narrow
                                         TWidthCase{u"３歳　未勝利", 12},  // full-width digit and blank
                                         TWidthCase{u"（ＧⅠ）", 7},  // Ⅰ is narrow outside East Asian fonts
                                         TWidthCase{u"￥１３０", 8}, TWidthCase{u"逃げOUT*", 8},
                                         TWidthCase{u"𠮷野家", 6}));  // a character beyond the BMP

TEST(TextTableTest, AlignsColumnsByDisplayWidth) {
  TTextTable table;
  table.SetAlign(2, TColumnAlign::Right);
  table.AddRow({u"番"_s, u"馬名"_s, u"走破"_s});
  table.AddRow({u"4"_s, u"カゼキング"_s, u"1.21.2"_s});
  table.AddRow({u"12"_s, u"ｱｵ"_s, u"59.9"_s});
  const QStringList lines = table.Render(u"  "_s).split(u'\n', Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), 3);
  // Every row ends at the same column, and the names all start at the same column.
  for (const QString& line : lines)
    EXPECT_EQ(DisplayWidth(line), 2 + 2 + 2 + 10 + 2 + 6) << line.toStdString();
  EXPECT_EQ(lines[0], u"  番  馬名          走破"_s);
  EXPECT_EQ(lines[1], u"  4   カゼキング  1.21.2"_s);
  EXPECT_EQ(lines[2], u"  12  ｱｵ            59.9"_s);
}

TEST(TextTableTest, DropsTrailingBlanksAndKeepsLongCellsWhole) {
  TTextTable table;
  table.AddRow({u"長い見出しの列"_s, QString()});
  table.AddRow({u"a"_s, u"b"_s});
  EXPECT_EQ(table.Render(), u"長い見出しの列\na               b\n"_s);
  EXPECT_EQ(PadToWidth(u"長すぎる"_s, 4), u"長すぎる"_s);
  EXPECT_EQ(PadToWidth(u"芝"_s, 4, TColumnAlign::Right), u"  芝"_s);
  // Control characters from the feed never reach the terminal.
  TTextTable feed;
  feed.AddRow({QString::fromUtf16(u"ア\x1b[2Jイ\0ウ\r", 9), u"x"_s});
  EXPECT_EQ(feed.Render(), u"ア[2Jイウ  x\n"_s);
}

}  // namespace
