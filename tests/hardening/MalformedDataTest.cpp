// Damaged settings, export folders and start directories; a full disk.

#include "MalformedCases.h"

#include <QStorageInfo>

namespace hardening {
namespace {

// Settings with this Distance, written as the settings file would hold it.
void WriteDistance(const TCaseDir& dir, const char* distance) {
  WriteBytes(dir.At(u"RAVEK.INI"_s), QByteArray("[Constant]\r\nDistance=") + distance + "\r\n");
}

const TMalformedCase Cases[] = {
    {"GarbageSettingsFileGivesDefaultsAndIsKept",
     [](const TCaseDir& dir) {
       static const char head[] = "\xff\xfe\x00[Folder\r\nTarget\r\n=\r\n[Constant]\r\nDistance=abc\r\n";
       QByteArray garbage(head, sizeof head - 1);
       for (int i = 0; i < 256; ++i) garbage.append(char(i * 37));
       garbage.append(EncodeCp932(u"[Position]\r\nX=１２\r\n[Folder]\r\nTarget"_s));
       WriteBytes(dir.At(u"RAVEK.INI"_s), garbage);
     },
     Command({u"export"_s, u"--all"_s}), 0, "",
     [](const TCaseDir& dir, const TRun&, const TFiles& before) {
       EXPECT_EQ(FileBytes(dir.At(u"RAVEK.INI"_s)), before.value(u"RAVEK.INI"_s));
       // The default folder is the data directory.
       const TByteLines lines = ReadLines(dir.Data(SundayMainExport));
       ASSERT_GT(lines.size(), SundayMainExportLine);
       EXPECT_EQ(lines[SundayMainExportLine].size(), ExportLineLength);
       EXPECT_NE(lines[SundayMainExportLine], QByteArray(ExportLineLength, ' '));
     }},
    {"ExportFileWithShortAndNonAsciiLinesKeepsThemAndWritesTheRace",
     [](const TCaseDir& dir) {
       TByteLines lines{QByteArray("short"), EncodeCp932(u"東京　メモ"_s), QByteArray(),
                        QByteArray("\x01\x02\xff")};
       while (lines.size() < SundayMainExportLine) lines.append(QByteArray(ExportLineLength, ' '));
       lines.append(QByteArray("x"));  // the race's own line, cut short
       WriteLines(dir.Data(SundayMainExport), lines);
     },
     Command({u"export"_s, SundayMain}), 0, "",
     [](const TCaseDir& dir, const TRun&, const TFiles& before) {
       const TByteLines old = SplitLines(before.value(u"Data/"_s + SundayMainExport));
       const TByteLines now = ReadLines(dir.Data(SundayMainExport));
       ASSERT_GT(now.size(), SundayMainExportLine);
       for (int i = 0; i < SundayMainExportLine; ++i) EXPECT_EQ(now[i], old[i]) << "line " << i;
       EXPECT_EQ(now[SundayMainExportLine].size(), ExportLineLength);
       EXPECT_NE(now[SundayMainExportLine], QByteArray(ExportLineLength, ' '));
     }},
    {"ExportFolderUnderARegularFileIsAFileError",
     [](const TCaseDir& dir) { WriteBytes(dir.At(u"blocker"_s), "not a folder"); },
     [](const TCaseDir& dir) {
       return QStringList{u"export"_s, SundayMain, u"--target"_s, dir.At(u"blocker/out"_s)};
     },
     2, "blocker",
     [](const TCaseDir& dir, const TRun&, const TFiles& before) { ExpectUnchanged(dir, before); }},
    {"ExportYearFolderUnderARegularFileCannotBeCreated",
     [](const TCaseDir& dir) { WriteBytes(dir.At(u"FUKA_TIME"_s), "not a folder"); },
     [](const TCaseDir& dir) {
       return QStringList{u"export"_s, u"--all"_s, u"--target"_s, dir.At(u"FUKA_TIME"_s)};
     },
     2, "FUKA_TIME/2024」を作成できません",
     [](const TCaseDir& dir, const TRun&, const TFiles& before) { ExpectUnchanged(dir, before); }},
    {"ExportAllWithoutOneRacesPositionsWritesEveryOtherRace",
     [](const TCaseDir& dir) {
       for (const QString& name : {u"Position.dat"_s, u"Position.bak"_s}) {
         if (!QFileInfo::exists(dir.Data(name))) continue;
         TByteLines lines = PositionLines(dir.Data(name));
         lines.removeIf([](const QByteArray& line) { return line.startsWith(SundayMain.toLatin1()); });
         TPositionFile::SavePositions(lines, dir.Data(name));
       }
     },
     Command({u"export"_s, u"--all"_s}), 2, "レース 2024051205020611: ",
     [](const TCaseDir& dir, const TRun& run, const TFiles&) {
       const TByteLines lines = ReadLines(dir.Data(SundayMainExport));
       ASSERT_GT(lines.size(), SundayMainExportLine);
       EXPECT_EQ(lines[SundayMainExportLine], QByteArray(ExportLineLength, ' '));
       EXPECT_NE(lines[SundayMainExportLine - 1], QByteArray(ExportLineLength, ' '));
       // Every line counted holds values.
       int filled = 0;
       for (const QString& name : QDir(dir.Data()).entryList({u"FT*.dat"_s}))
         for (const QByteArray& line : ReadLines(dir.Data(name)))
           if (line != QByteArray(ExportLineLength, ' ')) ++filled;
       EXPECT_TRUE(run.Out.startsWith(QString::number(filled) + u" レース"_s)) << run.Out.toStdString();
     }},
    {"ExportFileThatIsAFolderIsAFileError",
     [](const TCaseDir& dir) { QDir().mkpath(dir.At(u"out/"_s + SundayMainExport)); },
     [](const TCaseDir& dir) {
       return QStringList{u"export"_s, SundayMain, u"--target"_s, dir.At(u"out"_s)};
     },
     2, "FT202425.dat",
     [](const TCaseDir& dir, const TRun&, const TFiles& before) { ExpectUnchanged(dir, before); }},
    // Outside the dialog's 2 or 3 the loss per lane reads as its default.
    {"HugeDistanceGivesNoNegativeSpeed", [](const TCaseDir& dir) { WriteDistance(dir, "2147483647"); },
     Command({u"race"_s, SundayMain, u"--json"_s}), 0, "",
     [](const TCaseDir&, const TRun& run, const TFiles&) {
       EXPECT_TRUE(run.Out.contains(u"\"lossPerLane\": 2,"_s)) << run.Out.toStdString();
       EXPECT_FALSE(run.Out.contains(u"\"-"_s)) << run.Out.toStdString();
     }},
    {"NegativeDistanceExportsWithTheDefault", [](const TCaseDir& dir) { WriteDistance(dir, "-466"); },
     Command({u"export"_s, u"--all"_s}), 0, "",
     [](const TCaseDir& dir, const TRun&, const TFiles&) {
       // No line of a meeting file grows past its fields.
       for (const QString& name : QDir(dir.Data()).entryList({u"FT*.dat"_s}))
         for (const QByteArray& line : ReadLines(dir.Data(name))) EXPECT_EQ(line.size(), ExportLineLength);
     }},
    {"StartDirectoryThatIsNotThere", [](const TCaseDir& dir) { QDir(dir.Start).removeRecursively(); },
     Download, 1, "開始フォルダ",
     [](const TCaseDir& dir, const TRun& run, const TFiles&) {
       EXPECT_FALSE(QFileInfo::exists(dir.Start));
       EXPECT_FALSE(run.Err.contains(u"Position.dat"_s)) << run.Err.toStdString();
     }},
    {"RelativeTargetIsTakenInTheDataDirectory",
     [](const TCaseDir& dir) {
       WriteBytes(dir.At(u"RAVEK.INI"_s), "[Folder]\r\nTarget=out\r\n");
       QDir().mkpath(dir.Data(u"out"_s));
     },
     Command({u"export"_s, SundayMain}), 0, "",
     [](const TCaseDir& dir, const TRun&, const TFiles&) {
       EXPECT_TRUE(QFileInfo::exists(dir.Data(u"out/"_s + SundayMainExport)));
     }},
    {"ExportAllCountsOnlyTheLinesItWrote",
     [](const TCaseDir& dir) {
       const TRun first = RunCli(dir.Start, {u"export"_s, u"--all"_s});
       ASSERT_EQ(first.ExitCode, 0) << first.Err.toStdString();
       WriteBytes(dir.At(u"first.txt"_s), first.Out.toUtf8());
     },
     Command({u"export"_s, u"--all"_s}), 0, "",
     [](const TCaseDir& dir, const TRun& run, const TFiles& before) {
       EXPECT_TRUE(run.Out.startsWith(u"0 レース"_s)) << run.Out.toStdString();
       // The first run counted the lines it filled: every one is there, not blank.
       const QString first = QString::fromUtf8(before.value(u"first.txt"_s));
       const int written = first.left(first.indexOf(u' ')).toInt();
       int filled = 0;
       for (const QString& name : QDir(dir.Data()).entryList({u"FT*.dat"_s}))
         for (const QByteArray& line : ReadLines(dir.Data(name)))
           if (line != QByteArray(ExportLineLength, ' ')) ++filled;
       EXPECT_EQ(filled, written) << first.toStdString();
       ExpectUnchanged(dir, before);
     }},
    {"DataDirectoryThatCannotBeCreatedFallsBackToTheStartDirectory",
     [](const TCaseDir& dir) {
       QDir(dir.Data()).removeRecursively();
       WriteBytes(dir.At(u"Data"_s), "a file in the way");
     },
     Download, 0, "Cannot create Directory",
     [](const TCaseDir& dir, const TRun&, const TFiles& before) {
       EXPECT_EQ(FileBytes(dir.At(u"Data"_s)), before.value(u"Data"_s));
       for (const char* name : {"RaceData.dat", "UmaData.dat", "PayData.dat", "Position.dat"})
         EXPECT_TRUE(QFileInfo(dir.At(QString::fromLatin1(name))).isFile()) << name;
       EXPECT_EQ(ReadLines(dir.At(u"RaceData.dat"_s)).size(), 72);
     }},
};

TEST_P(MalformedDataTest, EndsAsItShouldAndKeepsTheFiles) {
  const TMalformedCase& c = GetParam();
  ASSERT_NE(Base, nullptr);
  QTemporaryDir temp;
  const TCaseDir dir{temp.filePath(u"start"_s), temp.filePath(u"start/feed"_s)};
  CopyTree(Base->filePath(u"start"_s), dir.Start);
  c.Prepare(dir);
  if (HasFatalFailure()) return;
  const TFiles before = Snapshot(dir.Start);

  const TRun run = RunCli(dir.Start, c.Args(dir));
  ASSERT_NE(run.ExitCode, -1) << "crashed: " << run.Err.toStdString();
  EXPECT_EQ(run.ExitCode, c.ExitCode) << run.Err.toStdString();
  // A case with nothing in particular to say must not report an error either.
  if (*c.Message) {
    EXPECT_TRUE(run.Err.contains(QString::fromUtf8(c.Message))) << run.Err.toStdString();
  } else {
    EXPECT_FALSE(run.Err.contains(u"ravek-cli: "_s)) << run.Err.toStdString();
  }
  c.Check(dir, run, before);
}

// A download on a disk with a few KiB free: it stops with an error before any
// record file in place has changed, and leaves nothing of the new set behind.
TEST_F(MalformedDataTest, FullDiskLeavesTheRecordFilesAsTheyWere) {
  ASSERT_NE(Base, nullptr);
  QTemporaryDir temp;
  const QString start = temp.filePath(u"start"_s);
  QDir().mkpath(start);
  const TSmallDisk disk(start, u"1m"_s);
  if (!disk.Mounted()) GTEST_SKIP() << "no small tmpfs can be mounted here";

  const TCaseDir dir{start, Base->filePath(u"start/feed"_s)};
  for (const char* name : {"RaceData.dat", "UmaData.dat", "PayData.dat", "Position.dat"})
    WriteBytes(dir.Data(QString::fromLatin1(name)),
               FileBytes(Base->filePath(u"start/Data/"_s + QString::fromLatin1(name))));
  const qint64 free = QStorageInfo(start).bytesAvailable() - 16 * 1024;
  ASSERT_GT(free, 0);
  WriteBytes(dir.At(u"filler"_s), QByteArray(free, 'x'));
  const TFiles before = Snapshot(dir.Data());
  ASSERT_EQ(before.value(u"UmaData.dat"_s).size(),
            QFileInfo(Base->filePath(u"start/Data/UmaData.dat"_s)).size());

  const TRun download = RunCli(start, Download(dir));
  EXPECT_EQ(download.ExitCode, 2) << download.Err.toStdString();
  const TFiles after = Snapshot(dir.Data());
  for (const QString& name : {u"RaceData.dat"_s, u"UmaData.dat"_s, u"PayData.dat"_s})
    EXPECT_EQ(after.value(name), before.value(name)) << name.toStdString();
  for (const QString& name : after.keys())
    EXPECT_TRUE(before.contains(name) || name == u"Position.bak"_s) << name.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Cases, MalformedDataTest, testing::ValuesIn(Cases), CaseName);

}  // namespace
}  // namespace hardening
