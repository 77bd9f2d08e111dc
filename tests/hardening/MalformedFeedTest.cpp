// Damaged feed days and record files.

#include "MalformedCases.h"

namespace hardening {
namespace {

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

const TMalformedCase FeedCases[] = {
    {"RaceDataLinesOfTheWrongLengthAreIgnored",
     [](const TCaseDir& dir) {
       // The day as it shows before the damage.
       WriteBytes(dir.At(u"day-before.txt"_s), RunCli(dir.Start, {u"day"_s, u"20240512"_s}).Out.toUtf8());
       const QString path = dir.Data(u"RaceData.dat"_s);
       TByteLines lines = ReadLines(path);
       const QByteArray first = lines.first();
       lines.append(first.left(first.size() / 2));
       lines.append(first + "0123456789");
       lines.append(first.left(RaField::CornerOrder + 3));
       lines.append(QByteArray("RA"));
       lines.append(QByteArray());
       WriteLines(path, lines);
     },
     Command({u"day"_s, u"20240512"_s}), 0, "",
     [](const TCaseDir& dir, const TRun& run, const TFiles& before) {
       EXPECT_TRUE(run.Out.contains(u"2024年5月12日 成績"_s)) << run.Out.toStdString();
       EXPECT_EQ(run.Out, QString::fromUtf8(before.value(u"day-before.txt"_s)));
       ExpectUnchanged(dir, before);
     }},
    {"NonDigitHorseNumberAmongTheFirstThreeIsAConversionError",
     [](const TCaseDir& dir) {
       const QString path = dir.Data(u"UmaData.dat"_s);
       TByteLines lines = ReadLines(path);
       // The winner of the Sunday main race.
       for (QByteArray& line : lines) {
         if (line.mid(11, 16) == SundayMain.toLatin1() && line.mid(SeField::Arrival, 2) == "01")
           line.replace(SeField::HorseNumber, 2, "1X");
       }
       WriteLines(path, lines);
     },
     Command({u"days"_s}), 2, "UmaData.dat のレース 2024051205020611 の出走馬を読めません: '1X'",
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
    {"MixedRecordFilesAreRefusedByTheReadingCommands", LeaveMixedSet, Command({u"day"_s, u"20240512"_s}), 2,
     "新しいもの: RaceData.dat。前のもの: UmaData.dat, PayData.dat。",
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
     [](const TCaseDir& dir) { QFile::remove(dir.Data(u"PayData.dat"_s)); }, Command({u"race"_s, SundayMain}),
     0, "PayData.dat がありません",
     [](const TCaseDir& dir, const TRun& run, const TFiles& before) {
       EXPECT_TRUE(run.Out.contains(u"払戻: なし"_s)) << run.Out.toStdString();
       ExpectUnchanged(dir, before);
     }},
    {"EmptyHorseFileIsNamedOnStandardError",
     [](const TCaseDir& dir) { WriteBytes(dir.Data(u"UmaData.dat"_s), QByteArray()); },
     Command({u"day"_s, u"20240512"_s}), 0, "UmaData.dat に出走馬の記録がないレースが 72 あります",
     [](const TCaseDir& dir, const TRun& run, const TFiles& before) {
       EXPECT_TRUE(run.Err.contains(u"UmaData.dat が空です"_s)) << run.Err.toStdString();
       ExpectUnchanged(dir, before);
     }},
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
    {"DownloadFromAFeedFolderThatIsNotThere", [](const TCaseDir& dir) { QDir(dir.Feed).removeRecursively(); },
     Download, 1, "配信フォルダ",
     [](const TCaseDir& dir, const TRun&, const TFiles& before) { ExpectUnchanged(dir, before); }},
};

INSTANTIATE_TEST_SUITE_P(Feed, MalformedDataTest, testing::ValuesIn(FeedCases), CaseName);

}  // namespace
}  // namespace hardening
