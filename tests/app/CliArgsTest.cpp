#include "CliArgs.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QStringList Split(const char* text) {
  return QString::fromUtf8(text).split(u' ', Qt::SkipEmptyParts);
}

TEST(CliArgsTest, ReadsGlobalOptionCommandValuesAndFlags) {
  const TCliArgs args =
      ParseCliArgs(Split("--app-dir start day 20240512 --mode=3c --filter turf --json"), u"/home/user"_s);
  EXPECT_EQ(args.AppDir, u"/home/user/start"_s);
  EXPECT_EQ(args.Command, u"day"_s);
  EXPECT_EQ(args.Positional, QStringList{u"20240512"_s});
  EXPECT_EQ(args.Value(u"--mode"_s), u"3c"_s);
  EXPECT_EQ(args.Value(u"--filter"_s), u"turf"_s);
  EXPECT_TRUE(args.Flags.contains(u"--json"_s));
  EXPECT_FALSE(args.Help);

  const TCliArgs defaults = ParseCliArgs(Split("days"), u"/data/../srv"_s);
  EXPECT_EQ(defaults.AppDir, u"/srv"_s);
  EXPECT_TRUE(ParseCliArgs(Split("race --help"), u"/"_s).Help);
  EXPECT_TRUE(ParseCliArgs(Split("help"), u"/"_s).Help);
}

struct TBadCase {
  const char* Args;
  const char* MessagePart;
};

class CliArgsRejectTest : public testing::TestWithParam<TBadCase> {};

TEST_P(CliArgsRejectTest, ThrowsUsageErrorNamingTheProblem) {
  try {
    ParseCliArgs(Split(GetParam().Args), u"/"_s);
    FAIL() << "accepted: " << GetParam().Args;
  } catch (const TCliError& error) {
    EXPECT_TRUE(error.Usage());
    EXPECT_TRUE(error.Message().contains(QString::fromUtf8(GetParam().MessagePart)))
        << error.Message().toStdString();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Lines, CliArgsRejectTest,
    testing::Values(TBadCase{"", "コマンドを指定"}, TBadCase{"--app-dir", "--app-dir の値がありません"},
                    TBadCase{"frobnicate", "不明なコマンドです: frobnicate"},
                    TBadCase{"--json days", "コマンドより前"},
                    TBadCase{"day --bogus", "day コマンドにはないオプションです: --bogus"},
                    TBadCase{"race --mode 3c 2024051205020611", "race コマンドにはないオプション"},
                    TBadCase{"day --mode", "--mode の値がありません"}, TBadCase{"race", "引数が足りません"},
                    TBadCase{"day 20240511 20240512", "引数が多すぎます: 20240512"},
                    TBadCase{"download extra", "引数が多すぎます"},
                    TBadCase{"days --json=1", "値を取りません"}, TBadCase{"demo-feed", "引数が足りません"}));

TEST(CliArgsTest, CountsMustBeWholeNumbersInRange) {
  EXPECT_EQ(ParseCount(u"--days"_s, u"8"_s, 1, 100), 8);
  for (const char* bad : {"0", "101", "8x", " 8", "", "-1", "99999999999"}) {
    EXPECT_THROW(ParseCount(u"--days"_s, QString::fromLatin1(bad), 1, 100), TCliError) << bad;
  }
}

}  // namespace
