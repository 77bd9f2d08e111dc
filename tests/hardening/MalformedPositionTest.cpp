// Damaged position files and passing orders.

#include "MalformedCases.h"

#include <tuple>

namespace hardening {
namespace {

// A download over a Position.dat whose tail `damage` spoils: the file as found
// is kept aside, and the rewritten file holds every complete record.
TMalformedCase DamagedPositionTailCase(const char* name, QByteArray (*damage)(const QByteArray&)) {
  return {name,
          [damage](const TCaseDir& dir) {
            const QString path = dir.Data(u"Position.dat"_s);
            WriteBytes(path, damage(FileBytes(path)));
          },
          Download,
          0,
          "Position.damaged",
          [](const TCaseDir& dir, const TRun&, const TFiles& before) {
            EXPECT_EQ(FileBytes(dir.Data(u"Position.damaged"_s)), before.value(u"Data/Position.dat"_s));
            TPositionLoad load;
            const TByteLines now = PositionLines(dir.Data(u"Position.dat"_s), &load);
            EXPECT_FALSE(load.Damaged);
            TPositionLoad damagedLoad;
            const TByteLines complete = PositionLines(dir.Data(u"Position.damaged"_s), &damagedLoad);
            EXPECT_TRUE(damagedLoad.Damaged);
            for (const QByteArray& line : complete)
              EXPECT_TRUE(now.contains(line)) << line.left(16).constData();
            // A race whose record was cut is converted again from the feed.
            EXPECT_EQ(now.size(), 72);
          }};
}

// A Position.dat left with its first `kept` races of the 72 that Position.bak holds.
TMalformedCase ShortPositionFileCase(const char* name, int kept) {
  return {name,
          [kept](const TCaseDir& dir) {
            const TByteLines lines = PositionLines(dir.Data(u"Position.dat"_s));
            ASSERT_EQ(lines.size(), 72);
            TPositionFile::SavePositions(lines, dir.Data(u"Position.bak"_s));
            if (kept == 0)
              WriteBytes(dir.Data(u"Position.dat"_s), QByteArray());
            else
              TPositionFile::SavePositions(lines.first(kept), dir.Data(u"Position.dat"_s));
          },
          Download,
          0,
          "Position.bak から補いました",
          [](const TCaseDir& dir, const TRun&, const TFiles& before) {
            EXPECT_EQ(FileBytes(dir.Data(u"Position.bak"_s)), before.value(u"Data/Position.bak"_s));
            EXPECT_EQ(FileBytes(dir.Data(u"Position.dat"_s)), before.value(u"Data/Position.bak"_s));
          }};
}

// A Position.dat of two weeks: the stored week and the same races a year earlier.
TByteLines TwoWeeksOfPositions(const TCaseDir& dir) {
  TByteLines lines = PositionLines(dir.Data(u"Position.dat"_s));
  const qsizetype week = lines.size();
  for (qsizetype i = 0; i < week; ++i) lines.append("2023" + lines[i].mid(4));
  std::sort(lines.begin(), lines.end());
  return lines;
}

// The byte offset of record `index` of a position file.
qsizetype RecordOffset(const TByteLines& lines, qsizetype index) {
  qsizetype at = 0;
  for (qsizetype i = 0; i < index; ++i) at += 4 + (lines[i].size() + 1) / 2;
  return at;
}

// Two weeks stored, one changed byte in the third record's length: a
// download keeps every race but that one, which the backup supplies when it
// reads whole; the backup is never refreshed from the damaged file.
TMalformedCase ChangedPositionByteCase(const char* name, bool backupWhole) {
  return {name,
          [backupWhole](const TCaseDir& dir) {
            const TByteLines lines = TwoWeeksOfPositions(dir);
            ASSERT_EQ(lines.size(), 144);
            TPositionFile::SavePositions(lines, dir.Data(u"Position.dat"_s));
            if (backupWhole) TPositionFile::SavePositions(lines, dir.Data(u"Position.bak"_s));
            WriteBytes(dir.At(u"lost.txt"_s), lines[2]);
            QByteArray bytes = FileBytes(dir.Data(u"Position.dat"_s));
            bytes[RecordOffset(lines, 2) + 2] = '\x40';
            WriteBytes(dir.Data(u"Position.dat"_s), bytes);
          },
          Download,
          0,
          "",
          [backupWhole](const TCaseDir& dir, const TRun& run, const TFiles& before) {
            const TByteLines lines = PositionLines(dir.Data(u"Position.dat"_s));
            const QByteArray lost = FileBytes(dir.At(u"lost.txt"_s));
            EXPECT_EQ(lines.size(), backupWhole ? 144 : 143);
            EXPECT_EQ(lines.contains(lost), backupWhole);
            // Where and how much: the offset of the third record and one race.
            EXPECT_TRUE(run.Err.contains(u"およそ 1 レース分"_s)) << run.Err.toStdString();
            EXPECT_EQ(FileBytes(dir.Data(u"Position.damaged"_s)), before.value(u"Data/Position.dat"_s));
            // Never refreshed from the damaged file (and not made from it).
            EXPECT_EQ(QFileInfo::exists(dir.Data(u"Position.bak"_s)),
                      before.contains(u"Data/Position.bak"_s));
            if (before.contains(u"Data/Position.bak"_s)) {
              EXPECT_EQ(FileBytes(dir.Data(u"Position.bak"_s)), before.value(u"Data/Position.bak"_s));
            }
            if (backupWhole) {
              EXPECT_TRUE(run.Err.contains(u"Position.bak から補いました"_s)) << run.Err.toStdString();
            }
          }};
}

const TMalformedCase PositionFileCases[] = {
    DamagedPositionTailCase("TruncatedPositionFileIsKeptAsideAndRewrittenWhole",
                            [](const QByteArray& bytes) { return bytes.left(bytes.size() - 7); }),
    DamagedPositionTailCase("PositionFileEndingInsideALengthFieldIsKeptAside",
                            [](const QByteArray& bytes) { return bytes + QByteArray("\x10\x00", 2); }),
    DamagedPositionTailCase(
        "PositionRecordWithANegativeLengthIsKeptAside",
        [](const QByteArray& bytes) { return bytes + QByteArray("\xff\xff\xff\xff\x12\x34", 6); }),
    DamagedPositionTailCase(
        "PositionRecordLongerThanTheFileIsKeptAside",
        [](const QByteArray& bytes) { return bytes + QByteArray("\xff\xff\xff\x7f\x12\x34", 6); }),
    {"TruncatedPositionFileIsOnlyReadByTheShowingCommands",
     [](const TCaseDir& dir) {
       const QByteArray bytes = FileBytes(dir.Data(u"Position.dat"_s));
       WriteBytes(dir.Data(u"Position.dat"_s), bytes.left(bytes.size() - 7));
     },
     Command({u"race"_s, SundayMain}), 0, "",
     [](const TCaseDir& dir, const TRun& run, const TFiles& before) {
       EXPECT_TRUE(run.Out.contains(u"東京11Ｒ"_s)) << run.Out.toStdString();
       ExpectUnchanged(dir, before);
     }},
    {"StoredPositionLineWithAHexLetterIsDamageConvertedAgain",
     [](const TCaseDir& dir) {
       const QString path = dir.Data(u"Position.dat"_s);
       TByteLines lines = PositionLines(path);
       for (QByteArray& line : lines) {
         if (line.startsWith(SundayMain.toLatin1())) line[line.size() - 3] = 'A';
       }
       TPositionFile::SavePositions(lines, path);
     },
     Download, 0, "2024051205020611",
     [](const TCaseDir& dir, const TRun& run, const TFiles& before) {
       // The record is kept aside and dropped; the download of its day converts the race again.
       EXPECT_TRUE(run.Err.contains(u"Position.damaged"_s)) << run.Err.toStdString();
       EXPECT_EQ(FileBytes(dir.Data(u"Position.damaged"_s)), before.value(u"Data/Position.dat"_s));
       TPositionLoad load;
       const TByteLines now = PositionLines(dir.Data(u"Position.dat"_s), &load);
       EXPECT_FALSE(load.Damaged);
       EXPECT_EQ(now.size(), 72);
       const QByteArray line = LineOfRace(now, SundayMain.toLatin1());
       EXPECT_TRUE(!line.isEmpty() && AllDigits(line)) << line.constData();
     }},
    {"PositionLineWithALetterInItsHeaderCostsTheRaceItsPositions",
     [](const TCaseDir& dir) {
       const QString path = dir.Data(u"Position.dat"_s);
       TByteLines lines = PositionLines(path);
       for (QByteArray& line : lines) {
         if (line.startsWith(SundayMain.toLatin1())) line[21] = 'A';  // the horse count
       }
       TPositionFile::SavePositions(lines, path);
     },
     Command({u"race"_s, SundayMain}), 2, "展開データがない",
     [](const TCaseDir& dir, const TRun& run, const TFiles& before) {
       EXPECT_TRUE(run.Out.isEmpty()) << run.Out.toStdString();
       ExpectUnchanged(dir, before);
     }},
    {"HorseNumberAboveEighteenInAPassingOrderMovesNoRunner",
     [](const TCaseDir& dir) {
       QDir(dir.Data()).removeRecursively();
       WriteFeedDay(dir.Feed, "20240512", OneRaceDay(RaceWithOrder("1,2,(3,19),4"), SixteenRunners()));
     },
     Download, 0, "",
     [](const TCaseDir& dir, const TRun&, const TFiles&) {
       const TByteLines lines = PositionLines(dir.Data(u"Position.dat"_s));
       ASSERT_EQ(lines.size(), 1);
       const TPositionLine line(lines.first());
       const int corner = 3;  // the section of the ３コーナー
       // "," before "(" and after ")" leaves an empty row each.
       const QList<std::tuple<int, int, int>> places{{1, 1, 1}, {3, 4, 1}, {4, 6, 1}, {9, 0, 0}};
       for (const auto& [horse, row, lane] : places) {
         EXPECT_EQ(line.Row(horse, corner), row) << "horse " << horse;
         EXPECT_EQ(line.Lane(horse, corner), lane) << "horse " << horse;
       }
     }},
    {"PassingOrderBeyondNinetyNineRowsIsCappedInShape",
     [](const TCaseDir& dir) {
       QDir(dir.Data()).removeRecursively();
       WriteFeedDay(dir.Feed, "20240512",
                    OneRaceDay(RaceWithOrder("1==2==3==4==5==6==7==8==9==10==11==12==13==14==15==16"),
                               SixteenRunners()));
       // The same race passing in a plain order, for the shape of its line.
       WriteFeedDay(dir.At(u"plain"_s), "20240512",
                    OneRaceDay(RaceWithOrder("1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16"), SixteenRunners()));
     },
     Download, 0, "",
     [](const TCaseDir& dir, const TRun&, const TFiles&) {
       const TByteLines lines = PositionLines(dir.Data(u"Position.dat"_s));
       ASSERT_EQ(lines.size(), 1);
       const QByteArray line = lines.first();
       EXPECT_TRUE(AllDigits(line)) << line.constData();
       QTemporaryDir plainStart;
       const TRun plain = RunCli(plainStart.path(), DownloadArgs(dir.At(u"plain"_s)));
       ASSERT_EQ(plain.ExitCode, 0) << plain.Err.toStdString();
       const TByteLines plainLines = PositionLines(QDir(plainStart.path()).filePath(u"Data/Position.dat"_s));
       ASSERT_EQ(plainLines.size(), 1);
       EXPECT_EQ(line.size(), plainLines.first().size());
       // Horse 11 onwards would stand on row 101 and beyond.
       int deepest = 0;
       for (int n = 1; n <= 16; ++n) {
         for (int g = 1; g <= 12; ++g) {
           const qsizetype at = TPositionLine(line).EntryOffset(n, g);
           if (at >= 0) deepest = std::max(deepest, line.mid(at, 2).toInt());
         }
       }
       EXPECT_EQ(deepest, 99);
     }},
    ShortPositionFileCase("EmptyPositionFileTakesItsRacesBackFromTheBackup", 0),
    ShortPositionFileCase("ShortPositionFileTakesItsRacesBackFromTheBackup", 36),
    ChangedPositionByteCase("ChangedLengthByteLosesOneRaceOnly", false),
    ChangedPositionByteCase("ChangedLengthByteTakesTheLostRaceFromTheBackup", true),
};

INSTANTIATE_TEST_SUITE_P(PositionFile, MalformedDataTest, testing::ValuesIn(PositionFileCases), CaseName);

}  // namespace
}  // namespace hardening
