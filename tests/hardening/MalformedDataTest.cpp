// Damaged and hostile input through the whole program: each case prepares a
// start directory, runs one command and checks the exit code, the message and
// what the files hold afterwards.

#include "CliHarness.h"
#include "support/RecordLines.h"

#include "position/PositionFile.h"
#include "position/PositionLine.h"
#include "records/RecordLayout.h"
#include "store/DayStoreLoader.h"
#include "text/Cp932.h"
#include "text/LineFile.h"

#include <QProcess>
#include <QSet>
#include <QStorageInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <functional>
#include <tuple>

using namespace Qt::StringLiterals;

namespace hardening {
namespace {

const QString Now = QStringLiteral("2024-05-13 10:00");
const QString SundayMain = QStringLiteral("2024051205020611");  // 東京 11R on Sunday 12 May 2024
// The meeting file of 東京 2回 2024 and the line of its 6th day's 11R.
const QString SundayMainExport = QStringLiteral("FT202425.dat");
constexpr int SundayMainExportLine = 5 * 12 + 10;
constexpr int ExportLineLength = 90;

struct TCaseDir {
  QString Start;
  QString Feed;
  QString Data(const QString& name = {}) const {
    return QDir(Start).filePath(QStringLiteral("Data/") + name);
  }
  QString At(const QString& relative) const { return QDir(Start).filePath(relative); }
};

// A one-race feed day: the default race of the record helpers with sixteen
// runners and its payout, the race record first.
QByteArray OneRaceDay(const QByteArray& raceLine, const QList<QByteArray>& horseLines) {
  QByteArray day = raceLine + "\r\n";
  for (const QByteArray& horse : horseLines) day += horse + "\r\n";
  day += PayBuilder().Line() + "\r\n";
  return day;
}

// The default race passing its third and fourth corners in `order`.
QByteArray RaceWithOrder(QByteArrayView order) {
  return RaceBuilder()
      .SetCorner(0, 3, order)
      .SetCorner(1, 4, order)
      .SetCorner(2, 0, "")
      .SetCorner(3, 0, "")
      .Line();
}

QList<QByteArray> SixteenRunners() {
  QList<QByteArray> horses;
  for (int n = 1; n <= 16; ++n) horses.append(MakeUmaLine(DefaultRaceKey, n, n));
  return horses;
}

// Replaces the whole feed by one day's file.
void WriteFeedDay(const QString& feed, const char* day, const QByteArray& bytes) {
  QDir(feed).removeRecursively();
  WriteBytes(QDir(feed).filePath(QStringLiteral("0B12/") + QString::fromLatin1(day) + QStringLiteral(".txt")),
             bytes);
}

QStringList Download(const TCaseDir& dir) {
  return {QStringLiteral("download"), QStringLiteral("--feed"), dir.Feed, QStringLiteral("--now"), Now};
}

TByteLines PositionLines(const QString& path, TPositionLoad* load = nullptr) {
  TByteLines lines;
  const TPositionLoad result = TPositionFile::LoadPositions(lines, path);
  if (load != nullptr) *load = result;
  return lines;
}

bool AllDigits(const QByteArray& line) {
  return std::all_of(line.cbegin(), line.cend(), [](char c) { return c >= '0' && c <= '9'; });
}

// Files of the data directory that a download rewrites on every run.
QMap<QString, QByteArray> DataFilesOf(const QString& dataDir) {
  QMap<QString, QByteArray> files = Snapshot(dataDir);
  files.remove(QStringLiteral("Position.bak"));
  return files;
}

using TFiles = QMap<QString, QByteArray>;

struct TMalformedCase;
void PrintTo(const TMalformedCase& c, std::ostream* os);

struct TMalformedCase {
  const char* Name;
  // Damages the copy of the downloaded start directory (or builds its own).
  std::function<void(const TCaseDir&)> Prepare;
  std::function<QStringList(const TCaseDir&)> Args;
  int ExitCode;
  const char* Message;  // part of standard error; empty when nothing in particular is said
  // The start directory afterwards; `before` is every file under it before the run.
  std::function<void(const TCaseDir&, const TRun&, const TFiles& before)> Check;
};

// The case's name in test output.
void PrintTo(const TMalformedCase& c, std::ostream* os) {
  *os << c.Name;
}

// Every file but the backup that start-up makes, which must be a copy of Position.dat.
void ExpectUnchanged(const TCaseDir& dir, const TFiles& before) {
  TFiles after = Snapshot(dir.Start);
  if (!before.contains(u"Data/Position.bak"_s) && after.contains(u"Data/Position.bak"_s)) {
    EXPECT_EQ(after.take(u"Data/Position.bak"_s), before.value(u"Data/Position.dat"_s));
  }
  EXPECT_TRUE(after == before) << ChangedFiles(before, after).join(u", ").toStdString();
}

// The data files but the backup, which every start-up refreshes.
void ExpectDataFilesUnchanged(const TCaseDir& dir, const TFiles& before) {
  TFiles dataBefore;
  for (auto it = before.cbegin(); it != before.cend(); ++it) {
    if (it.key().startsWith(u"Data/") && it.key() != u"Data/Position.bak")
      dataBefore.insert(it.key().mid(5), it.value());
  }
  const TFiles dataAfter = DataFilesOf(dir.Data());
  EXPECT_TRUE(dataAfter == dataBefore) << ChangedFiles(dataBefore, dataAfter).join(u", ").toStdString();
}

// The read-only commands on what a damaged directory still holds.
QStringList Days(const TCaseDir&) {
  return {QStringLiteral("days")};
}

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

// The Sunday feed file, and the lines of one date in a data file.
QString SundayFeed(const TCaseDir& dir) {
  return QDir(dir.Feed).filePath(u"0B12/20240512.txt"_s);
}

TByteLines LinesOfDate(const TByteLines& lines, QByteArrayView date) {
  TByteLines found;
  for (const QByteArray& line : lines)
    if (line.mid(KeyField::RaceKey, 8) == date) found.append(line);
  return found;
}

// What a failed Sunday leaves: its stored records in place, and files that load.
void ExpectSundayKept(const TCaseDir& dir, const TRun& run, const TFiles& before) {
  EXPECT_TRUE(run.Err.contains(u"2024/05/12"_s)) << run.Err.toStdString();
  for (const QString& name : {u"RaceData.dat"_s, u"UmaData.dat"_s}) {
    EXPECT_EQ(LinesOfDate(ReadLines(dir.Data(name)), "20240512"),
              LinesOfDate(SplitLines(before.value(u"Data/"_s + name)), "20240512"))
        << name.toStdString();
  }
  const TRun days = RunCli(dir.Start, {u"days"_s});
  EXPECT_EQ(days.ExitCode, 0) << days.Err.toStdString();
  EXPECT_TRUE(days.Out.contains(u"20240512"_s)) << days.Out.toStdString();
}

// The Sunday feed with the main race's first record of the type changed by
// `damage`: a record the program could not read back fails the day, which
// keeps what it had, and Saturday is filed.
TMalformedCase UnfileableRecordCase(const char* name, QByteArray (*damage)(const QByteArray&),
                                    const char* type = "RA", const char* message = "2024/05/12") {
  return {
      name,
      [damage, type](const TCaseDir& dir) {
        TByteLines lines = SplitLines(FileBytes(SundayFeed(dir)));
        bool found = false;
        for (QByteArray& line : lines) {
          if (!found && line.startsWith(type) && line.mid(KeyField::RaceKey, 16) == SundayMain.toLatin1()) {
            line = damage(line);
            found = true;
          }
        }
        ASSERT_TRUE(found);
        WriteBytes(SundayFeed(dir), JoinLines(lines));
      },
      Download,
      2,
      message,
      [](const TCaseDir& dir, const TRun& run, const TFiles& before) {
        ExpectSundayKept(dir, run, before);
        EXPECT_TRUE(run.Out.contains(u"1日分を取得しました"_s)) << run.Out.toStdString();
      }};
}

// The bytes of one field replaced.
template <int Offset, const char* Bytes>
QByteArray WithField(const QByteArray& line) {
  return QByteArray(line).replace(Offset, qsizetype(qstrlen(Bytes)), Bytes);
}
constexpr char AB[] = "AB";
constexpr char ABCD[] = "ABCD";
constexpr char ZZ[] = "ZZ";

// The record files as a download left them when it stopped between two of
// them: the marker names the new set, of which RaceData.dat alone is in place.
void LeaveMixedSet(const TCaseDir& dir) {
  QByteArray marker;
  for (const char* name : {"RaceData.dat", "UmaData.dat", "PayData.dat"}) {
    const QByteArray bytes = FileBytes(dir.Data(QString::fromLatin1(name)));
    const QByteArray other = bytes + "RA";
    const bool replaced = qstrcmp(name, "RaceData.dat") == 0;
    marker += QByteArray(name) + ' ' + BytesDigest(replaced ? other : bytes) + ' ' +
              BytesDigest(replaced ? bytes : other) + "\r\n";
  }
  WriteBytes(dir.Data(u"DataFiles.pending"_s), marker);
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

// Settings with this Distance, written as the settings file would hold it.
void WriteDistance(const TCaseDir& dir, const char* distance) {
  WriteBytes(dir.At(u"RAVEK.INI"_s), QByteArray("[Constant]\r\nDistance=") + distance + "\r\n");
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

const TMalformedCase Cases[] = {
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
       const QByteArray bytes = FileBytes(dir.Data(QStringLiteral("Position.dat")));
       WriteBytes(dir.Data(QStringLiteral("Position.dat")), bytes.left(bytes.size() - 7));
     },
     [](const TCaseDir&) {
       return QStringList{QStringLiteral("race"), SundayMain};
     },
     0, "",
     [](const TCaseDir& dir, const TRun& run, const TFiles& before) {
       EXPECT_TRUE(run.Out.contains(QStringLiteral("東京11Ｒ"))) << run.Out.toStdString();
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
     [](const TCaseDir&) {
       return QStringList{u"race"_s, SundayMain};
     },
     2, "展開データがない",
     [](const TCaseDir& dir, const TRun& run, const TFiles& before) {
       EXPECT_TRUE(run.Out.isEmpty()) << run.Out.toStdString();
       ExpectUnchanged(dir, before);
     }},
    {"GarbageSettingsFileGivesDefaultsAndIsKept",
     [](const TCaseDir& dir) {
       static const char head[] = "\xff\xfe\x00[Folder\r\nTarget\r\n=\r\n[Constant]\r\nDistance=abc\r\n";
       QByteArray garbage(head, sizeof head - 1);
       for (int i = 0; i < 256; ++i) garbage.append(char(i * 37));
       garbage.append(EncodeCp932(u"[Position]\r\nX=１２\r\n[Folder]\r\nTarget"_s));
       WriteBytes(dir.At(QStringLiteral("RAVEK.INI")), garbage);
     },
     [](const TCaseDir&) {
       return QStringList{QStringLiteral("export"), QStringLiteral("--all")};
     },
     0, "",
     [](const TCaseDir& dir, const TRun&, const TFiles& before) {
       EXPECT_EQ(FileBytes(dir.At(QStringLiteral("RAVEK.INI"))), before.value(QStringLiteral("RAVEK.INI")));
       // The default folder is the data directory.
       const TByteLines lines = ReadLines(dir.Data(SundayMainExport));
       ASSERT_GT(lines.size(), SundayMainExportLine);
       EXPECT_EQ(lines[SundayMainExportLine].size(), ExportLineLength);
       EXPECT_NE(lines[SundayMainExportLine], QByteArray(ExportLineLength, ' '));
     }},
    {"RaceDataLinesOfTheWrongLengthAreIgnored",
     [](const TCaseDir& dir) {
       // The day as it shows before the damage.
       WriteBytes(dir.At(u"day-before.txt"_s), RunCli(dir.Start, {u"day"_s, u"20240512"_s}).Out.toUtf8());
       const QString path = dir.Data(QStringLiteral("RaceData.dat"));
       TByteLines lines = ReadLines(path);
       const QByteArray first = lines.first();
       lines.append(first.left(first.size() / 2));
       lines.append(first + "0123456789");
       lines.append(first.left(RaField::CornerOrder + 3));
       lines.append(QByteArray("RA"));
       lines.append(QByteArray());
       WriteLines(path, lines);
     },
     [](const TCaseDir&) {
       return QStringList{QStringLiteral("day"), QStringLiteral("20240512")};
     },
     0, "",
     [](const TCaseDir& dir, const TRun& run, const TFiles& before) {
       EXPECT_TRUE(run.Out.contains(QStringLiteral("2024年5月12日 成績"))) << run.Out.toStdString();
       EXPECT_EQ(run.Out, QString::fromUtf8(before.value(u"day-before.txt"_s)));
       ExpectUnchanged(dir, before);
     }},
    {"NonDigitHorseNumberAmongTheFirstThreeIsAConversionError",
     [](const TCaseDir& dir) {
       const QString path = dir.Data(QStringLiteral("UmaData.dat"));
       TByteLines lines = ReadLines(path);
       // The winner of the Sunday main race.
       for (QByteArray& line : lines) {
         if (line.mid(11, 16) == SundayMain.toLatin1() && line.mid(SeField::Arrival, 2) == "01")
           line.replace(SeField::HorseNumber, 2, "1X");
       }
       WriteLines(path, lines);
     },
     Days, 2, "UmaData.dat のレース 2024051205020611 の出走馬を読めません: '1X'",
     [](const TCaseDir& dir, const TRun& run, const TFiles& before) {
       EXPECT_TRUE(run.Out.isEmpty()) << run.Out.toStdString();
       ExpectUnchanged(dir, before);
     }},
    {"NonDigitHorseNumberInTheFeedFailsItsDayOnly",
     [](const TCaseDir& dir) {
       QList<QByteArray> horses = SixteenRunners();
       horses[0].replace(SeField::HorseNumber, 2, " A");
       WriteFeedDay(dir.Feed, "20240512", OneRaceDay(RaceWithOrder("1,2,3"), horses));
     },
     Download, 2, "2024/05/12: SE の記録の馬番が数字ではありません: ' A'（レース 2024051205020811）",
     ExpectSundayKept},
    {"HorseNumberAboveEighteenInAPassingOrderMovesNoRunner",
     [](const TCaseDir& dir) {
       QDir(dir.Data()).removeRecursively();
       WriteFeedDay(dir.Feed, "20240512", OneRaceDay(RaceWithOrder("1,2,(3,19),4"), SixteenRunners()));
     },
     Download, 0, "",
     [](const TCaseDir& dir, const TRun&, const TFiles&) {
       const TByteLines lines = PositionLines(dir.Data(QStringLiteral("Position.dat")));
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
       WriteFeedDay(dir.At(QStringLiteral("plain")), "20240512",
                    OneRaceDay(RaceWithOrder("1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16"), SixteenRunners()));
     },
     Download, 0, "",
     [](const TCaseDir& dir, const TRun&, const TFiles&) {
       const TByteLines lines = PositionLines(dir.Data(QStringLiteral("Position.dat")));
       ASSERT_EQ(lines.size(), 1);
       const QByteArray line = lines.first();
       EXPECT_TRUE(AllDigits(line)) << line.constData();
       QTemporaryDir plainStart;
       const TRun plain =
           RunCli(plainStart.path(), {QStringLiteral("download"), QStringLiteral("--feed"),
                                      dir.At(QStringLiteral("plain")), QStringLiteral("--now"), Now});
       ASSERT_EQ(plain.ExitCode, 0) << plain.Err.toStdString();
       const TByteLines plainLines =
           PositionLines(QDir(plainStart.path()).filePath(QStringLiteral("Data/Position.dat")));
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
    {"ExportFileWithShortAndNonAsciiLinesKeepsThemAndWritesTheRace",
     [](const TCaseDir& dir) {
       TByteLines lines{QByteArray("short"), EncodeCp932(u"東京　メモ"_s), QByteArray(),
                        QByteArray("\x01\x02\xff")};
       while (lines.size() < SundayMainExportLine) lines.append(QByteArray(ExportLineLength, ' '));
       lines.append(QByteArray("x"));  // the race's own line, cut short
       WriteLines(dir.Data(SundayMainExport), lines);
     },
     [](const TCaseDir&) {
       return QStringList{QStringLiteral("export"), SundayMain};
     },
     0, "",
     [](const TCaseDir& dir, const TRun&, const TFiles& before) {
       const TByteLines old = SplitLines(before.value(QStringLiteral("Data/") + SundayMainExport));
       const TByteLines now = ReadLines(dir.Data(SundayMainExport));
       ASSERT_GT(now.size(), SundayMainExportLine);
       for (int i = 0; i < SundayMainExportLine; ++i) EXPECT_EQ(now[i], old[i]) << "line " << i;
       EXPECT_EQ(now[SundayMainExportLine].size(), ExportLineLength);
       EXPECT_NE(now[SundayMainExportLine], QByteArray(ExportLineLength, ' '));
     }},
    {"ExportFolderUnderARegularFileIsAFileError",
     [](const TCaseDir& dir) { WriteBytes(dir.At(QStringLiteral("blocker")), "not a folder"); },
     [](const TCaseDir& dir) {
       return QStringList{QStringLiteral("export"), SundayMain, QStringLiteral("--target"),
                          dir.At(QStringLiteral("blocker/out"))};
     },
     2, "blocker",
     [](const TCaseDir& dir, const TRun&, const TFiles& before) { ExpectUnchanged(dir, before); }},
    {"ExportYearFolderUnderARegularFileCannotBeCreated",
     [](const TCaseDir& dir) { WriteBytes(dir.At(QStringLiteral("FUKA_TIME")), "not a folder"); },
     [](const TCaseDir& dir) {
       return QStringList{QStringLiteral("export"), QStringLiteral("--all"), QStringLiteral("--target"),
                          dir.At(QStringLiteral("FUKA_TIME"))};
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
     [](const TCaseDir&) {
       return QStringList{u"export"_s, u"--all"_s};
     },
     2, "レース 2024051205020611: ",
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
     [](const TCaseDir& dir) { QDir().mkpath(dir.At(QStringLiteral("out/") + SundayMainExport)); },
     [](const TCaseDir& dir) {
       return QStringList{QStringLiteral("export"), SundayMain, QStringLiteral("--target"),
                          dir.At(QStringLiteral("out"))};
     },
     2, "FT202425.dat",
     [](const TCaseDir& dir, const TRun&, const TFiles& before) { ExpectUnchanged(dir, before); }},
    // A record cut short cannot be read back: the day keeps what was stored for it.
    {"FeedDayCutInTheMiddleOfItsLastPayoutKeepsTheStoredDay",
     [](const TCaseDir& dir) {
       const QString day = QDir(dir.Feed).filePath(u"0B12/20240512.txt"_s);
       const QByteArray bytes = FileBytes(day);
       ASSERT_EQ(bytes.mid(bytes.lastIndexOf("\r\n", bytes.size() - 3) + 2, 2), "HR");
       WriteBytes(day, bytes.left(bytes.size() - 300));
     },
     Download, 2, "HR の記録が",
     [](const TCaseDir& dir, const TRun& run, const TFiles& before) {
       ExpectSundayKept(dir, run, before);
       ExpectDataFilesUnchanged(dir, before);
       // The race whose payout was cut still opens.
       const QByteArray cut = SplitLines(before.value(u"feed/0B12/20240512.txt"_s)).last();
       const TRun race = RunCli(dir.Start, {u"race"_s, QString::fromLatin1(cut.mid(KeyField::RaceKey, 16))});
       EXPECT_EQ(race.ExitCode, 0) << race.Err.toStdString();
     }},
    {"FeedDayCutInTheMiddleOfARaceRecordKeepsTheStoredDayNamingTheRace",
     [](const TCaseDir& dir) {
       const QString day = QDir(dir.Feed).filePath(u"0B12/20240512.txt"_s);
       const QByteArray bytes = FileBytes(day);
       const qsizetype lastRace = bytes.lastIndexOf("\nRA6") + 1;
       ASSERT_GT(lastRace, 0);
       WriteBytes(day, bytes.left(lastRace + 500));
     },
     Download, 2, "2024/05/12: RA の記録が",
     [](const TCaseDir& dir, const TRun& run, const TFiles& before) {
       const QByteArray cut = before.value(u"feed/0B12/20240512.txt"_s);
       const QByteArray key = cut.mid(cut.lastIndexOf("\nRA6") + 1 + KeyField::RaceKey, 16);
       EXPECT_TRUE(run.Err.contains(QString::fromLatin1(key))) << run.Err.toStdString();
       ExpectDataFilesUnchanged(dir, before);
     }},
    UnfileableRecordCase("RaceRecordOneByteShortFailsTheDay",
                         [](const QByteArray& line) { return line.chopped(1); }),
    UnfileableRecordCase("RaceRecordOneByteLongFailsTheDay",
                         [](const QByteArray& line) { return line + ' '; }),
    UnfileableRecordCase("RaceRecordOfAMegabyteFailsTheDay",
                         [](const QByteArray& line) { return line + QByteArray(1 << 20, '7'); }),
    UnfileableRecordCase("RaceKeyWithALetterFailsTheDay",
                         [](const QByteArray& line) {
                           QByteArray damaged = line;
                           damaged[KeyField::RaceKey + 15] = 'A';
                           return damaged;
                         }),
    UnfileableRecordCase("RaceKeyWithAFullWidthDigitFailsTheDay",
                         [](const QByteArray& line) {
                           QByteArray damaged = line;
                           damaged.replace(KeyField::RaceKey + 15, 1, EncodeCp932(u"１"_s));
                           return damaged;
                         }),
    UnfileableRecordCase("HorseNumberThatIsNoNumberFailsItsDayOnly", WithField<SeField::HorseNumber, AB>,
                         "SE",
                         "2024/05/12: SE の記録の馬番が数字ではありません: 'AB'（レース 2024051205020611）"),
    UnfileableRecordCase(
        "DistanceThatIsNoNumberFailsItsDayOnly", WithField<RaField::Distance, ABCD>, "RA",
        "2024/05/12: RA の記録の距離が数字ではありません: 'ABCD'（レース 2024051205020611）"),
    UnfileableRecordCase("TrackCodeThatIsNoNumberFailsItsDayOnly", WithField<RaField::TrackCode, ZZ>, "RA",
                         "RA の記録のトラックコードが数字ではありません: 'ZZ'（レース 2024051205020611）"),
    UnfileableRecordCase("HorseCountThatIsNoNumberFailsItsDayOnly", WithField<RaField::HorseCount, AB>, "RA",
                         "RA の記録の頭数が数字ではありません: 'AB'（レース 2024051205020611）"),
    {"MixedRecordFilesAreRefusedByTheReadingCommands", LeaveMixedSet,
     [](const TCaseDir&) {
       return QStringList{u"day"_s, u"20240512"_s};
     },
     2, "新しいもの: RaceData.dat。前のもの: UmaData.dat, PayData.dat。",
     [](const TCaseDir& dir, const TRun& run, const TFiles& before) {
       EXPECT_TRUE(run.Out.isEmpty()) << run.Out.toStdString();
       ExpectUnchanged(dir, before);
       // The next download names it at start and puts one whole set in place.
       const TRun download = RunCli(dir.Start, Download(dir));
       EXPECT_EQ(download.ExitCode, 0) << download.Err.toStdString();
       EXPECT_TRUE(download.Err.contains(u"データファイルの組が食い違っています"_s))
           << download.Err.toStdString();
       EXPECT_FALSE(QFileInfo::exists(dir.Data(u"DataFiles.pending"_s)));
       EXPECT_EQ(RunCli(dir.Start, {u"day"_s, u"20240512"_s}).ExitCode, 0);
     }},
    {"MissingPayoutFileShowsTheRacesWithoutPayouts",
     [](const TCaseDir& dir) { QFile::remove(dir.Data(u"PayData.dat"_s)); },
     [](const TCaseDir&) {
       return QStringList{u"race"_s, SundayMain};
     },
     0, "PayData.dat がありません",
     [](const TCaseDir& dir, const TRun& run, const TFiles& before) {
       EXPECT_TRUE(run.Out.contains(u"払戻: なし"_s)) << run.Out.toStdString();
       ExpectUnchanged(dir, before);
     }},
    {"EmptyHorseFileIsNamedOnStandardError",
     [](const TCaseDir& dir) { WriteBytes(dir.Data(u"UmaData.dat"_s), QByteArray()); },
     [](const TCaseDir&) {
       return QStringList{u"day"_s, u"20240512"_s};
     },
     0, "UmaData.dat に出走馬の記録がないレースが 72 あります",
     [](const TCaseDir& dir, const TRun& run, const TFiles& before) {
       EXPECT_TRUE(run.Err.contains(u"UmaData.dat が空です"_s)) << run.Err.toStdString();
       ExpectUnchanged(dir, before);
     }},
    ShortPositionFileCase("EmptyPositionFileTakesItsRacesBackFromTheBackup", 0),
    ShortPositionFileCase("ShortPositionFileTakesItsRacesBackFromTheBackup", 36),
    {"FeedDayWithCarriageReturnsOnlyFilesEveryRecord",
     [](const TCaseDir& dir) {
       QByteArray bytes = FileBytes(SundayFeed(dir));
       bytes.replace("\r\n", "\r");
       WriteBytes(SundayFeed(dir), bytes);
     },
     Download, 0, "",
     [](const TCaseDir& dir, const TRun&, const TFiles& before) { ExpectDataFilesUnchanged(dir, before); }},
    {"DayTheLinkCannotReadKeepsItsStoredResults",
     [](const TCaseDir& dir) {
       // A folder in place of the day's file: it is there, and cannot be read.
       QFile::remove(SundayFeed(dir));
       QDir().mkpath(SundayFeed(dir));
     },
     Download, 2, "JVReadエラー-402",
     [](const TCaseDir& dir, const TRun& run, const TFiles& before) {
       ExpectSundayKept(dir, run, before);
       EXPECT_TRUE(run.Out.contains(u"1日分を取得しました"_s)) << run.Out.toStdString();
     }},
    {"RaceAndHorseRecordsDeliveredTwiceGiveOneOfEach",
     [](const TCaseDir& dir) {
       // The whole day delivered twice, then a corrected record of the main race.
       const QByteArray day = FileBytes(SundayFeed(dir));
       QByteArray corrected;
       for (const QByteArray& line : SplitLines(day))
         if (line.startsWith("RA") && line.mid(KeyField::RaceKey, 16) == SundayMain.toLatin1())
           corrected = line;
       ASSERT_FALSE(corrected.isEmpty());
       corrected.replace(RaField::RaceName, 4, "XXXX");
       WriteBytes(SundayFeed(dir), day + day + corrected + "\r\n");
     },
     Download, 0, "",
     [](const TCaseDir& dir, const TRun&, const TFiles& before) {
       const TByteLines races = ReadLines(dir.Data(u"RaceData.dat"_s));
       QSet<QByteArray> keys;
       for (const QByteArray& line : races) EXPECT_FALSE(keys.contains(line.mid(KeyField::RaceKey, 16)));
       for (const QByteArray& line : races) keys.insert(line.mid(KeyField::RaceKey, 16));
       EXPECT_EQ(races.size(), SplitLines(before.value(u"Data/RaceData.dat"_s)).size());
       QSet<QByteArray> horses;
       for (const QByteArray& line : ReadLines(dir.Data(u"UmaData.dat"_s))) {
         const QByteArray horse = line.mid(KeyField::RaceKey, 16) + line.mid(SeField::HorseNumber, 2);
         EXPECT_FALSE(horses.contains(horse)) << horse.constData();
         horses.insert(horse);
       }
       EXPECT_EQ(ReadLines(dir.Data(u"UmaData.dat"_s)), SplitLines(before.value(u"Data/UmaData.dat"_s)));
       // The race shows the corrected record with its sixteen runners, once each.
       const TRun race = RunCli(dir.Start, {u"race"_s, SundayMain, u"--json"_s});
       ASSERT_EQ(race.ExitCode, 0) << race.Err.toStdString();
       EXPECT_TRUE(race.Out.contains(u"XXXX"_s));
       const TRun exported = RunCli(dir.Start, {u"export"_s, SundayMain});
       ASSERT_EQ(exported.ExitCode, 0) << exported.Err.toStdString();
       const TByteLines lines = ReadLines(dir.Data(SundayMainExport));
       ASSERT_GT(lines.size(), SundayMainExportLine);
       EXPECT_NE(lines[SundayMainExportLine], QByteArray(ExportLineLength, ' '));
     }},
    {"RepeatedDownloadKeepsOnePayoutLinePerRace", [](const TCaseDir&) {}, Download, 0, "",
     [](const TCaseDir& dir, const TRun&, const TFiles& before) { ExpectDataFilesUnchanged(dir, before); }},
    ChangedPositionByteCase("ChangedLengthByteLosesOneRaceOnly", false),
    ChangedPositionByteCase("ChangedLengthByteTakesTheLostRaceFromTheBackup", true),
    // Outside the dialog's 2 or 3 the loss per lane reads as its default.
    {"HugeDistanceGivesNoNegativeSpeed", [](const TCaseDir& dir) { WriteDistance(dir, "2147483647"); },
     [](const TCaseDir&) {
       return QStringList{u"race"_s, SundayMain, u"--json"_s};
     },
     0, "",
     [](const TCaseDir&, const TRun& run, const TFiles&) {
       EXPECT_TRUE(run.Out.contains(u"\"lossPerLane\": 2,"_s)) << run.Out.toStdString();
       EXPECT_FALSE(run.Out.contains(u"\"-"_s)) << run.Out.toStdString();
     }},
    {"NegativeDistanceExportsWithTheDefault", [](const TCaseDir& dir) { WriteDistance(dir, "-466"); },
     [](const TCaseDir&) {
       return QStringList{u"export"_s, u"--all"_s};
     },
     0, "",
     [](const TCaseDir& dir, const TRun&, const TFiles&) {
       // No line of a meeting file grows past its fields.
       for (const QString& name : QDir(dir.Data()).entryList({u"FT*.dat"_s}))
         for (const QByteArray& line : ReadLines(dir.Data(name))) EXPECT_EQ(line.size(), ExportLineLength);
     }},
    {"DownloadFromAFeedFolderThatIsNotThere", [](const TCaseDir& dir) { QDir(dir.Feed).removeRecursively(); },
     Download, 1, "配信フォルダ",
     [](const TCaseDir& dir, const TRun&, const TFiles& before) { ExpectUnchanged(dir, before); }},
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
     [](const TCaseDir&) {
       return QStringList{u"export"_s, SundayMain};
     },
     0, "",
     [](const TCaseDir& dir, const TRun&, const TFiles&) {
       EXPECT_TRUE(QFileInfo::exists(dir.Data(u"out/"_s + SundayMainExport)));
     }},
    {"ExportAllCountsOnlyTheLinesItWrote",
     [](const TCaseDir& dir) {
       const TRun first = RunCli(dir.Start, {u"export"_s, u"--all"_s});
       ASSERT_EQ(first.ExitCode, 0) << first.Err.toStdString();
       WriteBytes(dir.At(u"first.txt"_s), first.Out.toUtf8());
     },
     [](const TCaseDir&) {
       return QStringList{u"export"_s, u"--all"_s};
     },
     0, "",
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
       WriteBytes(dir.At(QStringLiteral("Data")), "a file in the way");
     },
     Download, 0, "Cannot create Directory",
     [](const TCaseDir& dir, const TRun&, const TFiles& before) {
       EXPECT_EQ(FileBytes(dir.At(QStringLiteral("Data"))), before.value(QStringLiteral("Data")));
       for (const char* name : {"RaceData.dat", "UmaData.dat", "PayData.dat", "Position.dat"})
         EXPECT_TRUE(QFileInfo(dir.At(QString::fromLatin1(name))).isFile()) << name;
       EXPECT_EQ(ReadLines(dir.At(QStringLiteral("RaceData.dat"))).size(), 72);
     }},
};

// One start directory for the whole table: the demo week of 12 May 2024,
// downloaded on Monday morning; every case works on its own copy.
class MalformedDataTest : public testing::TestWithParam<TMalformedCase> {
protected:
  static void SetUpTestSuite() {
    Base = new QTemporaryDir;
    const QString start = Base->filePath(QStringLiteral("start"));
    QDir().mkpath(start);
    const TRun feed =
        RunCli(start, {QStringLiteral("demo-feed"), QDir(start).filePath(QStringLiteral("feed")),
                       QStringLiteral("--end"), QStringLiteral("20240512"), QStringLiteral("--seed"),
                       QStringLiteral("3")});
    ASSERT_EQ(feed.ExitCode, 0) << feed.Err.toStdString();
    const TRun download =
        RunCli(start, {QStringLiteral("download"), QStringLiteral("--feed"),
                       QDir(start).filePath(QStringLiteral("feed")), QStringLiteral("--now"), Now});
    ASSERT_EQ(download.ExitCode, 0) << download.Err.toStdString();
  }
  static void TearDownTestSuite() {
    delete Base;
    Base = nullptr;
  }

  static inline QTemporaryDir* Base = nullptr;
};

TEST_P(MalformedDataTest, EndsAsItShouldAndKeepsTheFiles) {
  const TMalformedCase& c = GetParam();
  ASSERT_NE(Base, nullptr);
  QTemporaryDir temp;
  const TCaseDir dir{temp.filePath(QStringLiteral("start")), temp.filePath(QStringLiteral("start/feed"))};
  CopyTree(Base->filePath(QStringLiteral("start")), dir.Start);
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
  const auto run = [](const QStringList& args) {
    QProcess process;
    process.start(args.first(), args.mid(1));
    return process.waitForFinished() && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
  };
  if (!run({u"mount"_s, u"-t"_s, u"tmpfs"_s, u"-o"_s, u"size=1m"_s, u"tmpfs"_s, start}))
    GTEST_SKIP() << "no small tmpfs can be mounted here";
  struct TUnmount {
    std::function<void()> Do;
    ~TUnmount() { Do(); }
  } unmount{[&] { run({u"umount"_s, start}); }};

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

INSTANTIATE_TEST_SUITE_P(Cases, MalformedDataTest, testing::ValuesIn(Cases),
                         [](const testing::TestParamInfo<TMalformedCase>& info) {
                           return std::string(info.param.Name);
                         });

}  // namespace
}  // namespace hardening
