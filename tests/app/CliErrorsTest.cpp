#include "CliEndToEnd.h"

#include "text/LineFile.h"

#include <QMap>

using namespace Qt::StringLiterals;

namespace {

struct TErrorCase {
  const char* Name;
  QStringList Args;
  int ExitCode;
  const char* Message;
};

class CliErrorTest : public CliEndToEndTest, public testing::WithParamInterface<TErrorCase> {};

TEST_P(CliErrorTest, ExitsWithCodeAndMessage) {
  QStringList args = GetParam().Args;
  args.replaceInStrings(u"@missing"_s, Dir->filePath(u"no-such-folder"_s));
  const TRun run = RunCli(Start, args);
  EXPECT_EQ(run.ExitCode, GetParam().ExitCode) << run.Err.toStdString();
  EXPECT_TRUE(run.Err.contains(QString::fromUtf8(GetParam().Message))) << run.Err.toStdString();
  EXPECT_TRUE(run.Out.isEmpty()) << run.Out.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliErrorTest,
    testing::Values(
        TErrorCase{"UnknownCommand", {u"bogus"_s}, 1, "不明なコマンドです: bogus"},
        TErrorCase{"UnknownMode", {u"day"_s, u"--mode"_s, u"5c"_s}, 1, "--mode は"},
        TErrorCase{"ThresholdOutOfRange",
                   {u"day"_s, u"--mode"_s, u"jockey"_s, u"--threshold"_s, u"6"_s},
                   1,
                   "1 から 5 まで"},
        TErrorCase{"BadDate", {u"day"_s, u"2024-05-12"_s}, 1, "YYYYMMDD"},
        TErrorCase{"UnknownDate", {u"day"_s, u"20990101"_s}, 1, "20990101 の成績はありません"},
        TErrorCase{"UnknownRace", {u"race"_s, u"2024051205020613"_s}, 1, "はデータにありません"},
        TErrorCase{"ShortRaceKey", {u"race"_s, u"202405"_s}, 1, "16桁"},
        TErrorCase{"FullWidthRaceKey", {u"race"_s, u"２０２４０５１２０５０２０６１１"_s}, 1, "16桁"},
        TErrorCase{"RaceKeyAfterAnotherLetter", {u"race"_s, u"X2024051205020611"_s}, 1, "16桁"},
        TErrorCase{"ExportWithoutRace", {u"export"_s}, 1, "どちらか一方"},
        TErrorCase{"BadNow", {u"download"_s, u"--now"_s, u"tomorrow"_s}, 1, "--now"},
        TErrorCase{"BadFromDate", {u"days"_s, u"--from"_s, u"2024"_s}, 1, "YYYYMMDD"},
        TErrorCase{"UnknownHorse", {u"horse"_s, u"ゼッタイナイナマエ"_s}, 1, "アーカイブにありません"},
        TErrorCase{"ImportWithoutFeed", {u"import"_s, u"@missing"_s}, 2, "配信データのフォルダ"},
        TErrorCase{
            "MissingTargetFolder", {u"export"_s, u"--all"_s, u"--target"_s, u"@missing"_s}, 2, "FT2024"}),
    [](const testing::TestParamInfo<TErrorCase>& info) { return std::string(info.param.Name); });

// Two earlier weeks imported beside the downloaded one: every reading command
// reaches them, a second import changes nothing, and the copy restores.
TEST_F(CliEndToEndTest, DamagedDataFileIsAConversionError) {
  QTemporaryDir copy;
  CopyTree(Start, copy.path());
  const QString runnerFile = QDir(copy.path()).filePath(u"Data/UmaData.dat"_s);
  TByteLines lines = ReadLines(runnerFile);
  for (QByteArray& line : lines) line.replace(28, 2, "X1");  // horse numbers
  WriteLines(runnerFile, lines);
  const QMap<QString, QByteArray> before = Snapshot(copy.path());
  for (const QStringList& args : {QStringList{u"day"_s}, QStringList{u"race"_s, SundayMain}}) {
    const TRun run = RunCli(copy.path(), args);
    EXPECT_EQ(run.ExitCode, 2) << args.join(u' ').toStdString() << run.Err.toStdString();
    EXPECT_TRUE(run.Err.contains(u"X1"_s)) << run.Err.toStdString();
  }
  EXPECT_EQ(Snapshot(copy.path()), before);
}

TEST_F(CliEndToEndTest, HelpExplainsEveryCommandAndRecordsStillWorks) {
  const TRun help = RunCli(Start, {u"--help"_s});
  EXPECT_EQ(help.ExitCode, 0);
  for (const char* command :
       {"demo-feed", "download", "days", "day [", "race RACEKEY", "export", "--json", "終了コード"})
    EXPECT_TRUE(help.Out.contains(QString::fromUtf8(command))) << command;
  const TRun records = RunCli(Start, {u"records"_s, DataFile("RaceData.dat")});
  EXPECT_EQ(records.ExitCode, 0) << records.Err.toStdString();
  EXPECT_TRUE(records.Out.contains(u"2024年5月12日"_s));
}

}  // namespace
