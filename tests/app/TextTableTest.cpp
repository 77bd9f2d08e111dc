#include "TextTable.h"

#include <gtest/gtest.h>

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
  table.AddRow({QStringLiteral("番"), QStringLiteral("馬名"), QStringLiteral("走破")});
  table.AddRow({QStringLiteral("4"), QStringLiteral("カゼキング"), QStringLiteral("1.21.2")});
  table.AddRow({QStringLiteral("12"), QStringLiteral("ｱｵ"), QStringLiteral("59.9")});
  const QStringList lines = table.Render(QStringLiteral("  ")).split(u'\n', Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), 3);
  // Every row ends at the same column, and the names all start at the same column.
  for (const QString& line : lines)
    EXPECT_EQ(DisplayWidth(line), 2 + 2 + 2 + 10 + 2 + 6) << line.toStdString();
  EXPECT_EQ(lines[0], QStringLiteral("  番  馬名          走破"));
  EXPECT_EQ(lines[1], QStringLiteral("  4   カゼキング  1.21.2"));
  EXPECT_EQ(lines[2], QStringLiteral("  12  ｱｵ            59.9"));
}

TEST(TextTableTest, DropsTrailingBlanksAndKeepsLongCellsWhole) {
  TTextTable table;
  table.AddRow({QStringLiteral("長い見出しの列"), QString()});
  table.AddRow({QStringLiteral("a"), QStringLiteral("b")});
  EXPECT_EQ(table.Render(), QStringLiteral("長い見出しの列\na               b\n"));
  EXPECT_EQ(PadToWidth(QStringLiteral("長すぎる"), 4), QStringLiteral("長すぎる"));
  EXPECT_EQ(PadToWidth(QStringLiteral("芝"), 4, TColumnAlign::Right), QStringLiteral("  芝"));
  // Control characters from the feed never reach the terminal.
  TTextTable feed;
  feed.AddRow({QString::fromUtf16(u"ア\x1b[2Jイ\0ウ\r", 9), QStringLiteral("x")});
  EXPECT_EQ(feed.Render(), QStringLiteral("ア[2Jイウ  x\n"));
}

}  // namespace
