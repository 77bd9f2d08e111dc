#include "settings/BandRules.h"
#include "settings/Settings.h"
#include "text/LineFile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct TRun {
  int ExitCode = -1;
  QString Out;
  QString Err;
};

TRun RunCli(const QString& appDir, const QStringList& args) {
  QProcess process;
  QStringList all{QStringLiteral("--app-dir"), appDir};
  all += args;
  process.start(QStringLiteral(RAVEK_CLI_PATH), all);
  process.waitForFinished(120000);
  TRun run;
  run.ExitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  run.Out = QString::fromUtf8(process.readAllStandardOutput());
  run.Err = QString::fromUtf8(process.readAllStandardError());
  return run;
}

QJsonObject JsonObjectOf(const TRun& run) {
  QJsonParseError error;
  const QJsonDocument document = QJsonDocument::fromJson(run.Out.toUtf8(), &error);
  EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
  return document.object();
}

// Every file below dir, by relative path, with a hash of its bytes.
QMap<QString, QByteArray> Snapshot(const QString& dir) {
  QMap<QString, QByteArray> files;
  QDirIterator it(dir, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString path = it.next();
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    files.insert(QDir(dir).relativeFilePath(path),
                 QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1));
  }
  return files;
}

void CopyTree(const QString& from, const QString& to) {
  QDirIterator it(from, QDir::Files, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString path = it.next();
    const QString target = QDir(to).filePath(QDir(from).relativeFilePath(path));
    QDir().mkpath(QFileInfo(target).path());
    ASSERT_TRUE(QFile::copy(path, target)) << target.toStdString();
  }
}

const QString SundayMain = QStringLiteral("2024051205020611");  // 東京 11R on Sunday 12 May 2024

// One start directory for the suite: the demo week of 12 May 2024 written by
// demo-feed and downloaded on Monday morning.
class CliEndToEndTest : public testing::Test {
protected:
  static void SetUpTestSuite() {
    Dir = new QTemporaryDir;
    Start = Dir->filePath(QStringLiteral("start"));
    QDir().mkpath(Start);
    DemoFeed = RunCli(
        Start, {QStringLiteral("demo-feed"), Dir->filePath(QStringLiteral("feed")), QStringLiteral("--end"),
                QStringLiteral("20240512"), QStringLiteral("--seed"), QStringLiteral("3")});
    Download = RunCli(
        Start, {QStringLiteral("download"), QStringLiteral("--feed"), Dir->filePath(QStringLiteral("feed")),
                QStringLiteral("--now"), QStringLiteral("2024-05-13 10:00")});
  }
  static void TearDownTestSuite() {
    delete Dir;
    Dir = nullptr;
  }

  static QString DataFile(const char* name) {
    return QDir(Start).filePath(QStringLiteral("Data/") + QString::fromLatin1(name));
  }

  static inline QTemporaryDir* Dir = nullptr;
  static inline QString Start;
  static inline TRun DemoFeed;
  static inline TRun Download;
};

TEST_F(CliEndToEndTest, DemoFeedWritesTheRacingDaysOfTheWeek) {
  ASSERT_EQ(DemoFeed.ExitCode, 0) << DemoFeed.Err.toStdString();
  const QDir feed(Dir->filePath(QStringLiteral("feed/0B12")));
  for (const char* day : {"20240505.txt", "20240511.txt", "20240512.txt"})
    EXPECT_TRUE(feed.exists(QString::fromLatin1(day))) << day;
  EXPECT_EQ(feed.entryList(QDir::Files).size(), 3);
  EXPECT_TRUE(DemoFeed.Out.contains(QStringLiteral("2024/05/11")));
}

TEST_F(CliEndToEndTest, DownloadFilesTheDaysAndReportsAsItGoes) {
  ASSERT_EQ(Download.ExitCode, 0) << Download.Err.toStdString();
  // At 10:00 seven days are asked for: the 5th is outside them.
  EXPECT_TRUE(Download.Out.contains(QStringLiteral("7日分を要求し、2日分を取得しました。")))
      << Download.Out.toStdString();
  EXPECT_TRUE(Download.Out.contains(QStringLiteral("成績のある日: 2024/05/11 2024/05/12")));
  const qsizetype start = Download.Err.indexOf(QStringLiteral("ダウンロードを開始します"));
  const qsizetype sunday = Download.Err.indexOf(QStringLiteral("2024/05/12の成績をダウンロードしました"));
  const qsizetype saturday = Download.Err.indexOf(QStringLiteral("2024/05/11の成績をダウンロードしました"));
  const qsizetype filing = Download.Err.indexOf(QStringLiteral("登録処理実行中・・・"));
  EXPECT_TRUE(start >= 0 && start < sunday && sunday < saturday && saturday < filing)
      << Download.Err.toStdString();
  EXPECT_TRUE(Download.Err.contains(QStringLiteral("読み込み完了")));
  EXPECT_TRUE(Download.Err.contains(QStringLiteral("JVRTOpenエラー:-1")));  // Monday, no racing
  for (const char* name : {"RaceData.dat", "UmaData.dat", "PayData.dat", "Position.dat"})
    EXPECT_TRUE(QFile::exists(DataFile(name))) << name;
  const TByteLines races = ReadLines(DataFile("RaceData.dat"));
  ASSERT_EQ(races.size(), 72);
  // From the feed given, not the demo feed of the start directory.
  QFile feedDay(Dir->filePath(QStringLiteral("feed/0B12/20240512.txt")));
  ASSERT_TRUE(feedDay.open(QIODevice::ReadOnly));
  EXPECT_TRUE(feedDay.readAll().contains(races.first()));
  EXPECT_FALSE(QDir(Start).exists(QStringLiteral("DemoFeed")));
  // The settings file is read, never written.
  EXPECT_FALSE(QFile::exists(QDir(Start).filePath(QStringLiteral("RAVEK.INI"))));
}

TEST_F(CliEndToEndTest, DownloadBeforeNineThirtySixAsksEightDays) {
  QTemporaryDir other;
  const TRun run = RunCli(other.path(), {QStringLiteral("download"), QStringLiteral("--feed"),
                                         Dir->filePath(QStringLiteral("feed")), QStringLiteral("--now"),
                                         QStringLiteral("2024-05-13 09:35")});
  ASSERT_EQ(run.ExitCode, 0) << run.Err.toStdString();
  EXPECT_TRUE(run.Out.contains(QStringLiteral("8日分を要求し、2日分を取得しました。")))
      << run.Out.toStdString();
}

TEST_F(CliEndToEndTest, DownloadDuringMaintenanceShowsTheTextAndKeepsTheFiles) {
  QTemporaryDir copy;
  CopyTree(Start, copy.path());
  const QString feed = QDir(copy.path()).filePath(QStringLiteral("feed"));
  CopyTree(Dir->filePath(QStringLiteral("feed")), feed);
  QFile flag(QDir(feed).filePath(QStringLiteral("MAINTENANCE")));
  ASSERT_TRUE(flag.open(QIODevice::WriteOnly));
  flag.close();
  const QString data = QDir(copy.path()).filePath(QStringLiteral("Data"));
  QMap<QString, QByteArray> before = Snapshot(data);
  before.remove(QStringLiteral("Position.bak"));

  const TRun run = RunCli(copy.path(), {QStringLiteral("download"), QStringLiteral("--feed"), feed,
                                        QStringLiteral("--now"), QStringLiteral("2024-05-13 10:00")});
  // Days the service could not open are failed days: not a success.
  ASSERT_EQ(run.ExitCode, 2) << run.Err.toStdString();
  EXPECT_TRUE(run.Err.contains(QStringLiteral("サーバーメンテナンス中"))) << run.Err.toStdString();
  EXPECT_TRUE(run.Err.contains(QStringLiteral("JVRTOpenエラー:-504")));
  EXPECT_TRUE(run.Out.contains(QStringLiteral("7日分を要求し、0日分を取得しました。")))
      << run.Out.toStdString();
  EXPECT_TRUE(run.Out.contains(QStringLiteral("データファイルは書き換えていません")));
  // The store is reloaded from the files kept.
  EXPECT_TRUE(run.Out.contains(QStringLiteral("成績のある日: 2024/05/11 2024/05/12")));
  QMap<QString, QByteArray> after = Snapshot(data);
  after.remove(QStringLiteral("Position.bak"));
  EXPECT_EQ(after, before);
}

TEST_F(CliEndToEndTest, DaysListsBothDaysWithTheirVenues) {
  const TRun run = RunCli(Start, {QStringLiteral("days"), QStringLiteral("--json")});
  ASSERT_EQ(run.ExitCode, 0) << run.Err.toStdString();
  const QJsonArray days = QJsonDocument::fromJson(run.Out.toUtf8()).array();
  ASSERT_EQ(days.size(), 2);
  EXPECT_EQ(days[0][QStringLiteral("date")].toString(), QStringLiteral("20240511"));
  EXPECT_EQ(days[1][QStringLiteral("caption")].toString(), QStringLiteral("2024年5月12日 成績"));
  int races = 0;
  for (const QJsonValue venue : days[1][QStringLiteral("venues")].toArray())
    races += venue[QStringLiteral("races")].toInt();
  EXPECT_EQ(races, 36);
  const TRun text = RunCli(Start, {QStringLiteral("days")});
  EXPECT_TRUE(text.Out.contains(QStringLiteral("2024年5月11日 成績"))) << text.Out.toStdString();
  EXPECT_TRUE(text.Out.contains(QStringLiteral("東京2回6日目")));
}

// Each mode shows the finishers in its own way; the corner modes must read their own corner.
struct TModeCase {
  const char* Mode;
  const char* FinisherPattern;
};

class CliDayModeTest : public CliEndToEndTest, public testing::WithParamInterface<TModeCase> {};

TEST_P(CliDayModeTest, ShowsTheLatestDayInTheMode) {
  const QString mode = QString::fromLatin1(GetParam().Mode);
  const TRun run =
      RunCli(Start, {QStringLiteral("day"), QStringLiteral("--mode"), mode, QStringLiteral("--json")});
  ASSERT_EQ(run.ExitCode, 0) << run.Err.toStdString();
  const QJsonObject day = JsonObjectOf(run);
  EXPECT_EQ(day[QStringLiteral("date")].toString(), QStringLiteral("20240512"));
  EXPECT_TRUE(day[QStringLiteral("previousEnabled")].toBool());
  EXPECT_FALSE(day[QStringLiteral("nextEnabled")].toBool());
  const QJsonArray venues = day[QStringLiteral("venues")].toArray();
  ASSERT_EQ(venues.size(), 3);
  EXPECT_EQ(venues[0][QStringLiteral("title")].toString(), QStringLiteral("東京2回6日目"));

  const TSettings defaults;
  const QRegularExpression pattern(QString::fromUtf8(GetParam().FinisherPattern));
  const TRun text = RunCli(Start, {QStringLiteral("day"), QStringLiteral("--mode"), mode});
  ASSERT_EQ(text.ExitCode, 0);
  int finishers = 0;
  int steeplechases = 0;
  for (const QJsonValue venue : venues) {
    const QJsonArray races = venue[QStringLiteral("races")].toArray();
    ASSERT_EQ(races.size(), 12);
    for (const QJsonValue race : races) {
      // Steeplechases are always greyed out and show no finishers.
      const bool steeplechase = race[QStringLiteral("track")].toString().startsWith(u'障');
      steeplechases += steeplechase ? 1 : 0;
      EXPECT_EQ(race[QStringLiteral("greyed")].toBool(), steeplechase);
      for (const QJsonValue finisher : race[QStringLiteral("finishers")].toArray()) {
        ++finishers;
        const QString shown = finisher[QStringLiteral("text")].toString();
        if (mode == u"3c" || mode == u"4c") {
          const QString entry =
              finisher[mode == u"3c" ? QStringLiteral("corner3") : QStringLiteral("corner4")].toString();
          const int row = entry.left(2).toInt();
          const int lane = entry.mid(2, 2).toInt();
          EXPECT_EQ(finisher[QStringLiteral("band")].toString(), BandLabel(BandOfRow(row, defaults)))
              << entry.toStdString();
          EXPECT_EQ(shown, LaneMarkText(LaneClassOf(lane, defaults).Mark));
        }
        if (mode == u"jockey") {
          // At the first press every placed jockey has been placed at least once.
          QString jockey = finisher[QStringLiteral("jockey")].toString();
          jockey.remove(u' ').remove(u'　');
          EXPECT_FALSE(shown.isEmpty());
          EXPECT_TRUE(jockey.startsWith(shown)) << jockey.toStdString();
        }
      }
    }
  }
  EXPECT_EQ(finishers, 3 * (36 - steeplechases));
  // The text grid: one line per race, three finishers each in the mode's form.
  int raceLines = 0;
  for (const QString& line : text.Out.split(u'\n')) {
    if (!QRegularExpression(QStringLiteral("^\\s+\\d+R\\s")).match(line).hasMatch()) continue;
    ++raceLines;
    const QStringList cells = line.split(QRegularExpression(QStringLiteral("\\s{2,}")), Qt::SkipEmptyParts);
    if (line.contains(QStringLiteral("障"))) {
      EXPECT_TRUE(line.endsWith(QStringLiteral("（対象外）"))) << line.toStdString();
      continue;
    }
    ASSERT_GE(cells.size(), 3);
    for (qsizetype k = cells.size() - 3; k < cells.size(); ++k)
      EXPECT_TRUE(pattern.match(cells[k]).hasMatch()) << line.toStdString();
  }
  EXPECT_EQ(raceLines, 36);
}

INSTANTIATE_TEST_SUITE_P(Modes, CliDayModeTest,
                         testing::Values(TModeCase{"start", "^[1-8]枠\\d\\d\\((灰|白|紫)\\)$"},
                                         TModeCase{"3c", "^((逃げ|先行|好位|中団|後方)(IN|OUT\\*?)?|-)$"},
                                         TModeCase{"4c", "^((逃げ|先行|好位|中団|後方)(IN|OUT\\*?)?|-)$"},
                                         TModeCase{"jockey", "^(\\S+ )?(\\d+円|-)$"}));

TEST_F(CliEndToEndTest, DayOfAnEarlierDateAndTheSurfaceFilter) {
  const TRun run =
      RunCli(Start, {QStringLiteral("day"), QStringLiteral("20240511"), QStringLiteral("--filter"),
                     QStringLiteral("turf"), QStringLiteral("--json")});
  ASSERT_EQ(run.ExitCode, 0) << run.Err.toStdString();
  const QJsonObject day = JsonObjectOf(run);
  EXPECT_EQ(day[QStringLiteral("caption")].toString(), QStringLiteral("2024年5月11日 成績"));
  EXPECT_FALSE(day[QStringLiteral("previousEnabled")].toBool());
  EXPECT_TRUE(day[QStringLiteral("nextEnabled")].toBool());
  int dirt = 0;
  for (const QJsonValue venue : day[QStringLiteral("venues")].toArray()) {
    for (const QJsonValue race : venue[QStringLiteral("races")].toArray()) {
      const bool isTurf = race[QStringLiteral("track")].toString().startsWith(u'芝');
      dirt += isTurf ? 0 : 1;
      EXPECT_EQ(race[QStringLiteral("greyed")].toBool(), !isTurf);
      EXPECT_EQ(race[QStringLiteral("finishers")].toArray().size(), isTurf ? 3 : 0);
    }
  }
  EXPECT_GT(dirt, 0);
}

TEST_F(CliEndToEndTest, RaceShowsSheetPositionsTabsAndPayouts) {
  const TRun run = RunCli(Start, {QStringLiteral("race"), SundayMain, QStringLiteral("--json")});
  ASSERT_EQ(run.ExitCode, 0) << run.Err.toStdString();
  const QJsonObject race = JsonObjectOf(run);
  EXPECT_TRUE(race[QStringLiteral("title")].toString().startsWith(QStringLiteral("東京11Ｒ (5/12)  ")));
  const QJsonArray header = race[QStringLiteral("sheet")][QStringLiteral("header")].toArray();
  ASSERT_EQ(header.size(), 6);
  EXPECT_EQ(header[3].toString(), QStringLiteral("走破"));
  const QJsonArray rows = race[QStringLiteral("sheet")][QStringLiteral("rows")].toArray();
  const QJsonArray positions = race[QStringLiteral("positions")].toArray();
  ASSERT_GE(rows.size(), 5);
  ASSERT_EQ(positions.size(), rows.size());
  const QRegularExpression time(QStringLiteral("^\\d\\.\\d\\d\\.\\d$"));
  for (const QJsonValue row : rows) {
    EXPECT_TRUE(time.match(row[3].toString()).hasMatch()) << row[3].toString().toStdString();
    EXPECT_TRUE(time.match(row[4].toString()).hasMatch());
    // Running wide only ever costs time.
    EXPECT_LE(row[4].toString(), row[3].toString());
  }
  EXPECT_EQ(rows[0][0].toString(), QStringLiteral("1"));
  const QJsonArray tabs = race[QStringLiteral("tabs")].toArray();
  EXPECT_TRUE(tabs.contains(QStringLiteral("３コーナー")));
  EXPECT_EQ(race[QStringLiteral("initialTab")].toString(), QStringLiteral("３コーナー"));
  for (const QJsonValue horse : positions) {
    const QJsonObject sections = horse[QStringLiteral("sections")].toObject();
    EXPECT_EQ(sections.size(), tabs.size());
    const QJsonValue third = sections[QStringLiteral("３コーナー")];
    if (third.isObject()) {
      EXPECT_GE(third[QStringLiteral("lane")].toInt(), 1);
    }
  }
  EXPECT_TRUE(race[QStringLiteral("payoutLine")].toString().contains(QStringLiteral("単勝")));

  const TRun text = RunCli(Start, {QStringLiteral("race"), SundayMain});
  ASSERT_EQ(text.ExitCode, 0);
  for (const char* part :
       {"順", "番", "馬　　名", "走破", "実走", "m/min", "位置取り", "タブ: ", "払戻: 単勝"})
    EXPECT_TRUE(text.Out.contains(QString::fromUtf8(part))) << part;
  // The first horse of the sheet and its row and lane in the third corner, as the JSON has them.
  const QJsonObject first = positions[0].toObject();
  const QJsonValue spot = first[QStringLiteral("sections")][QStringLiteral("３コーナー")];
  const QString spotText = spot.isObject() ? QStringLiteral("%1-%2")
                                                 .arg(spot[QStringLiteral("row")].toInt())
                                                 .arg(spot[QStringLiteral("lane")].toInt())
                                           : QStringLiteral("-");
  EXPECT_TRUE(QRegularExpression(
                  QStringLiteral("\\b%1  %2\\s+%3\\b")
                      .arg(first[QStringLiteral("number")].toInt())
                      .arg(first[QStringLiteral("name")].toString(), QRegularExpression::escape(spotText)))
                  .match(text.Out)
                  .hasMatch())
      << text.Out.toStdString();
}

TEST_F(CliEndToEndTest, SteeplechaseCannotBeOpenedOrExported) {
  const QJsonObject day = JsonObjectOf(RunCli(Start, {QStringLiteral("day"), QStringLiteral("--json")}));
  QString key;
  for (const QJsonValue venue : day[QStringLiteral("venues")].toArray())
    for (const QJsonValue race : venue[QStringLiteral("races")].toArray())
      if (key.isEmpty() && race[QStringLiteral("track")].toString().startsWith(u'障'))
        key = race[QStringLiteral("raceKey")].toString();
  ASSERT_FALSE(key.isEmpty()) << "the demo day has no steeplechase";
  for (const QStringList& args :
       {QStringList{QStringLiteral("race"), key}, QStringList{QStringLiteral("export"), key}}) {
    const TRun run = RunCli(Start, args);
    EXPECT_EQ(run.ExitCode, 1) << args.join(u' ').toStdString();
    EXPECT_TRUE(run.Err.contains(QStringLiteral("当プログラムは障害戦に対応していません")))
        << run.Err.toStdString();
  }
}

TEST_F(CliEndToEndTest, StraightCourseShowsConvertedTimesButIsNotExported) {
  const QJsonObject day = JsonObjectOf(RunCli(Start, {QStringLiteral("day"), QStringLiteral("--json")}));
  QString key;
  for (const QJsonValue venue : day[QStringLiteral("venues")].toArray())
    for (const QJsonValue race : venue[QStringLiteral("races")].toArray())
      if (key.isEmpty() && race[QStringLiteral("track")].toString() == u"芝1000" &&
          race[QStringLiteral("raceKey")].toString().mid(8, 2) == u"04")
        key = race[QStringLiteral("raceKey")].toString();
  ASSERT_FALSE(key.isEmpty()) << "the demo day has no race on the straight course";

  const QJsonObject race =
      JsonObjectOf(RunCli(Start, {QStringLiteral("race"), key, QStringLiteral("--json")}));
  EXPECT_TRUE(race[QStringLiteral("straight")].toBool());
  EXPECT_TRUE(race[QStringLiteral("tabs")].toArray().isEmpty());
  const QJsonArray rows = race[QStringLiteral("sheet")][QStringLiteral("rows")].toArray();
  ASSERT_FALSE(rows.isEmpty());
  // No corners, no ground lost: the converted time is the finishing time.
  for (const QJsonValue row : rows) {
    EXPECT_FALSE(row[3].toString().isEmpty());
    EXPECT_EQ(row[4].toString(), row[3].toString());
  }
  EXPECT_TRUE(
      RunCli(Start, {QStringLiteral("race"), key}).Out.contains(QStringLiteral("直線コースの競走では、")));
  const TRun exported = RunCli(Start, {QStringLiteral("export"), key});
  EXPECT_EQ(exported.ExitCode, 1);
  EXPECT_TRUE(exported.Err.contains(QStringLiteral("直線コース"))) << exported.Err.toStdString();
}

TEST_F(CliEndToEndTest, ShowingCommandsLeaveEveryFileAsItWas) {
  const QMap<QString, QByteArray> before = Snapshot(Start);
  ASSERT_FALSE(before.isEmpty());
  for (const QStringList& args :
       {QStringList{QStringLiteral("days")}, QStringList{QStringLiteral("day")},
        QStringList{QStringLiteral("day"), QStringLiteral("--mode"), QStringLiteral("jockey")},
        QStringList{QStringLiteral("race"), SundayMain},
        QStringList{QStringLiteral("race"), SundayMain, QStringLiteral("--json")}}) {
    EXPECT_EQ(RunCli(Start, args).ExitCode, 0) << args.join(u' ').toStdString();
    EXPECT_EQ(Snapshot(Start), before) << args.join(u' ').toStdString();
  }
  // Nor do they make a data folder where there is none.
  QTemporaryDir empty;
  EXPECT_EQ(RunCli(empty.path(), {QStringLiteral("day")}).ExitCode, 1);
  EXPECT_TRUE(QDir(empty.path()).isEmpty());
}

TEST_F(CliEndToEndTest, ExportOneRaceOverwritesAndExportAllFillsOnlyBlankLines) {
  QTemporaryDir copy;
  CopyTree(Start, copy.path());
  const QString target = QDir(copy.path()).filePath(QStringLiteral("out"));
  QDir().mkpath(target);
  const QString file = QDir(target).filePath(QStringLiteral("FT202425.dat"));  // 東京, meeting 2
  const qsizetype line = (6 - 1) * 12 + (11 - 1);
  const QByteArray blank(90, ' ');

  TRun run = RunCli(copy.path(), {QStringLiteral("export"), SundayMain, QStringLiteral("--target"), target});
  ASSERT_EQ(run.ExitCode, 0) << run.Err.toStdString();
  TByteLines lines = ReadLines(file);
  ASSERT_EQ(lines.size(), 96);
  const QByteArray written = lines[line];
  EXPECT_EQ(written.size(), 90);
  EXPECT_NE(written, blank);  // some horse lost ground at a corner
  for (qsizetype k = 0; k < lines.size(); ++k) {
    if (k != line) {
      EXPECT_EQ(lines[k], blank) << k;
    }
  }

  // A hand-made line stays through the export of all races, which fills the rest.
  const QByteArray marker = QByteArray(85, ' ') + "  -99";
  lines[line] = marker;
  WriteLines(file, lines);
  run = RunCli(copy.path(),
               {QStringLiteral("export"), QStringLiteral("--all"), QStringLiteral("--target"), target});
  ASSERT_EQ(run.ExitCode, 0) << run.Err.toStdString();
  lines = ReadLines(file);
  EXPECT_EQ(lines[line], marker);
  EXPECT_NE(lines[line - 1], blank);      // 10R of the same day
  EXPECT_NE(lines[(5 - 1) * 12], blank);  // 1R of Saturday
  EXPECT_EQ(QDir(target).entryList(QDir::Files).size(), 3);

  // The race window's button rewrites its race every time.
  run = RunCli(copy.path(), {QStringLiteral("export"), SundayMain, QStringLiteral("--target"), target});
  ASSERT_EQ(run.ExitCode, 0);
  EXPECT_EQ(ReadLines(file)[line], written);
}

TEST_F(CliEndToEndTest, ExportGoesToTheSettingsTargetByDefault) {
  QTemporaryDir copy;
  CopyTree(Start, copy.path());
  const QString fuka = QDir(copy.path()).filePath(QStringLiteral("FUKA_TIME"));
  ASSERT_TRUE(QDir().mkpath(fuka));
  QFile ini(QDir(copy.path()).filePath(QStringLiteral("RAVEK.INI")));
  ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
  ini.write("[Folder]\r\nTarget=" + fuka.toUtf8() + "\r\n");
  ini.close();
  const QByteArray iniBefore = ReadLines(ini.fileName()).join('\n');
  const TRun run = RunCli(copy.path(), {QStringLiteral("export"), SundayMain});
  ASSERT_EQ(run.ExitCode, 0) << run.Err.toStdString();
  EXPECT_TRUE(QFile::exists(QDir(fuka).filePath(QStringLiteral("2024/FT202425.dat"))));
  EXPECT_EQ(ReadLines(ini.fileName()).join('\n'), iniBefore);
}

struct TErrorCase {
  const char* Name;
  QStringList Args;
  int ExitCode;
  const char* Message;
};

class CliErrorTest : public CliEndToEndTest, public testing::WithParamInterface<TErrorCase> {};

TEST_P(CliErrorTest, ExitsWithCodeAndMessage) {
  QStringList args = GetParam().Args;
  args.replaceInStrings(QStringLiteral("@missing"), Dir->filePath(QStringLiteral("no-such-folder")));
  const TRun run = RunCli(Start, args);
  EXPECT_EQ(run.ExitCode, GetParam().ExitCode) << run.Err.toStdString();
  EXPECT_TRUE(run.Err.contains(QString::fromUtf8(GetParam().Message))) << run.Err.toStdString();
  EXPECT_TRUE(run.Out.isEmpty()) << run.Out.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliErrorTest,
    testing::Values(
        TErrorCase{"UnknownCommand", {QStringLiteral("bogus")}, 1, "不明なコマンドです: bogus"},
        TErrorCase{"UnknownMode",
                   {QStringLiteral("day"), QStringLiteral("--mode"), QStringLiteral("5c")},
                   1,
                   "--mode は"},
        TErrorCase{"ThresholdOutOfRange",
                   {QStringLiteral("day"), QStringLiteral("--mode"), QStringLiteral("jockey"),
                    QStringLiteral("--threshold"), QStringLiteral("6")},
                   1,
                   "1 から 5 まで"},
        TErrorCase{"BadDate", {QStringLiteral("day"), QStringLiteral("2024-05-12")}, 1, "YYYYMMDD"},
        TErrorCase{"UnknownDate",
                   {QStringLiteral("day"), QStringLiteral("20990101")},
                   1,
                   "20990101 の成績はありません"},
        TErrorCase{"UnknownRace",
                   {QStringLiteral("race"), QStringLiteral("2024051205020613")},
                   1,
                   "はデータにありません"},
        TErrorCase{"ShortRaceKey", {QStringLiteral("race"), QStringLiteral("202405")}, 1, "16桁"},
        TErrorCase{"ExportWithoutRace", {QStringLiteral("export")}, 1, "どちらか一方"},
        TErrorCase{"BadNow",
                   {QStringLiteral("download"), QStringLiteral("--now"), QStringLiteral("tomorrow")},
                   1,
                   "--now"},
        TErrorCase{"MissingTargetFolder",
                   {QStringLiteral("export"), QStringLiteral("--all"), QStringLiteral("--target"),
                    QStringLiteral("@missing")},
                   2,
                   "FT2024"}),
    [](const testing::TestParamInfo<TErrorCase>& info) { return std::string(info.param.Name); });

TEST_F(CliEndToEndTest, DamagedDataFileIsAConversionError) {
  QTemporaryDir copy;
  CopyTree(Start, copy.path());
  const QString uma = QDir(copy.path()).filePath(QStringLiteral("Data/UmaData.dat"));
  TByteLines lines = ReadLines(uma);
  for (QByteArray& line : lines) line.replace(28, 2, "X1");  // horse numbers
  WriteLines(uma, lines);
  const QMap<QString, QByteArray> before = Snapshot(copy.path());
  for (const QStringList& args :
       {QStringList{QStringLiteral("day")}, QStringList{QStringLiteral("race"), SundayMain}}) {
    const TRun run = RunCli(copy.path(), args);
    EXPECT_EQ(run.ExitCode, 2) << args.join(u' ').toStdString() << run.Err.toStdString();
    EXPECT_TRUE(run.Err.contains(QStringLiteral("X1"))) << run.Err.toStdString();
  }
  EXPECT_EQ(Snapshot(copy.path()), before);
}

TEST_F(CliEndToEndTest, HelpExplainsEveryCommandAndRecordsStillWorks) {
  const TRun help = RunCli(Start, {QStringLiteral("--help")});
  EXPECT_EQ(help.ExitCode, 0);
  for (const char* command :
       {"demo-feed", "download", "days", "day [", "race RACEKEY", "export", "--json", "終了コード"})
    EXPECT_TRUE(help.Out.contains(QString::fromUtf8(command))) << command;
  const TRun records = RunCli(Start, {QStringLiteral("records"), DataFile("RaceData.dat")});
  EXPECT_EQ(records.ExitCode, 0) << records.Err.toStdString();
  EXPECT_TRUE(records.Out.contains(QStringLiteral("2024年5月12日")));
}

}  // namespace
