#include "CliEndToEnd.h"

#include "settings/BandRules.h"
#include "settings/Settings.h"
#include "text/LineFile.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

TEST_F(CliEndToEndTest, DemoFeedWritesTheRacingDaysOfTheWeek) {
  ASSERT_EQ(DemoFeed.ExitCode, 0) << DemoFeed.Err.toStdString();
  const QDir feed(Dir->filePath(u"feed/0B12"_s));
  for (const char* day : {"20240505.txt", "20240511.txt", "20240512.txt"})
    EXPECT_TRUE(feed.exists(QString::fromLatin1(day))) << day;
  EXPECT_EQ(feed.entryList(QDir::Files).size(), 3);
  EXPECT_TRUE(DemoFeed.Out.contains(u"2024/05/11"_s));
}

TEST_F(CliEndToEndTest, DownloadFilesTheDaysAndReportsAsItGoes) {
  ASSERT_EQ(Download.ExitCode, 0) << Download.Err.toStdString();
  // At 10:00 seven days are asked for: the 5th is outside them.
  EXPECT_TRUE(Download.Out.contains(u"7日分を要求し、2日分を取得しました。"_s)) << Download.Out.toStdString();
  EXPECT_TRUE(Download.Out.contains(u"成績のある日: 2024/05/11 2024/05/12"_s));
  // One line a day, today first; a day without racing is no error. The link's
  // own status lines are left to --verbose.
  EXPECT_TRUE(Download.Err.contains(
      u"\n2024/05/13(月) 開催なし\n2024/05/12(日) 36レース\n2024/05/11(土) 36レース\n2024/05/10(金) 開催なし\n"_s))
      << Download.Err.toStdString();
  for (const char* status : {"JVClose", "JVRTOpen", "エラー", "読み込み完了"})
    EXPECT_FALSE(Download.Err.contains(QString::fromUtf8(status))) << status;
  for (const char* name : {"RaceData.dat", "UmaData.dat", "PayData.dat", "Position.dat"})
    EXPECT_TRUE(QFile::exists(DataFile(name))) << name;
  const TByteLines races = ReadLines(DataFile("RaceData.dat"));
  ASSERT_EQ(races.size(), 72);
  // From the feed given, not the demo feed of the start directory.
  QFile feedDay(Dir->filePath(u"feed/0B12/20240512.txt"_s));
  ASSERT_TRUE(feedDay.open(QIODevice::ReadOnly));
  EXPECT_TRUE(feedDay.readAll().contains(races.first()));
  EXPECT_FALSE(QDir(Start).exists(u"DemoFeed"_s));
  // The settings file is read, never written.
  EXPECT_FALSE(QFile::exists(QDir(Start).filePath(u"RAVEK.INI"_s)));
}

TEST_F(CliEndToEndTest, DownloadBeforeNineThirtySixAsksEightDays) {
  QTemporaryDir other;
  const TRun run =
      RunCli(other.path(), DownloadArgs(Dir->filePath(u"feed"_s), u"2024-05-13 09:35"_s) << u"--verbose"_s);
  ASSERT_EQ(run.ExitCode, 0) << run.Err.toStdString();
  EXPECT_TRUE(run.Out.contains(u"8日分を要求し、2日分を取得しました。"_s)) << run.Out.toStdString();
  // Verbose: the panel's texts and the link's status lines as the status bar shows them, in order.
  qsizetype at = 0;
  for (const char* line :
       {"  JVClose正常終了:0", "ダウンロードを開始します", "  JVRTOpenエラー:-1", "2024/05/13(月) 開催なし",
        "2024/05/12の成績をダウンロードしました", "  読み込み完了", "2024/05/12(日) 36レース",
        "2024/05/06(月) 開催なし", "登録処理実行中・・・"}) {
    at = run.Err.indexOf(QString::fromUtf8(line) + u'\n', at);
    EXPECT_GE(at, 0) << line << "\n" << run.Err.toStdString();
  }
}

TEST_F(CliEndToEndTest, DownloadDuringMaintenanceShowsTheTextAndKeepsTheFiles) {
  QTemporaryDir copy;
  CopyTree(Start, copy.path());
  const QString feed = QDir(copy.path()).filePath(u"feed"_s);
  CopyTree(Dir->filePath(u"feed"_s), feed);
  QFile flag(QDir(feed).filePath(u"MAINTENANCE"_s));
  ASSERT_TRUE(flag.open(QIODevice::WriteOnly));
  flag.close();
  const QString data = QDir(copy.path()).filePath(u"Data"_s);
  QMap<QString, QByteArray> before = Snapshot(data);
  before.remove(u"Position.bak"_s);

  const TRun run = RunCli(copy.path(), DownloadArgs(feed));
  // Days the service could not open are failed days: not a success.
  ASSERT_EQ(run.ExitCode, 2) << run.Err.toStdString();
  EXPECT_EQ(run.Err.count(u"サーバーメンテナンス中"_s), 1) << run.Err.toStdString();
  EXPECT_TRUE(run.Err.contains(u"JVRTOpenエラー:-504"_s));
  EXPECT_TRUE(run.Out.contains(u"7日分を要求し、0日分を取得しました。"_s)) << run.Out.toStdString();
  EXPECT_TRUE(run.Out.contains(u"データファイルは書き換えていません"_s));
  // The store is reloaded from the files kept.
  EXPECT_TRUE(run.Out.contains(u"成績のある日: 2024/05/11 2024/05/12"_s));
  QMap<QString, QByteArray> after = Snapshot(data);
  after.remove(u"Position.bak"_s);
  EXPECT_EQ(after, before);
}

TEST_F(CliEndToEndTest, DaysListsBothDaysWithTheirVenues) {
  const TRun run = RunCli(Start, {u"days"_s, u"--json"_s});
  ASSERT_EQ(run.ExitCode, 0) << run.Err.toStdString();
  const QJsonArray days = QJsonDocument::fromJson(run.Out.toUtf8()).array();
  ASSERT_EQ(days.size(), 2);
  EXPECT_EQ(days[0][u"date"_s].toString(), u"20240511"_s);
  EXPECT_EQ(days[1][u"caption"_s].toString(), u"2024年5月12日 成績"_s);
  int races = 0;
  for (const QJsonValue venue : days[1][u"venues"_s].toArray()) races += venue[u"races"_s].toInt();
  EXPECT_EQ(races, 36);
  const TRun text = RunCli(Start, {u"days"_s});
  EXPECT_TRUE(text.Out.contains(u"2024年5月11日 成績"_s)) << text.Out.toStdString();
  EXPECT_TRUE(text.Out.contains(u"東京2回6日目"_s));
}

// Each mode shows the finishers in its own way; the corner modes must read their own corner.
struct TModeCase {
  const char* Mode;
  const char* FinisherPattern;
};

class CliDayModeTest : public CliEndToEndTest, public testing::WithParamInterface<TModeCase> {};

TEST_P(CliDayModeTest, ShowsTheLatestDayInTheMode) {
  const QString mode = QString::fromLatin1(GetParam().Mode);
  const TRun run = RunCli(Start, {u"day"_s, u"--mode"_s, mode, u"--json"_s});
  ASSERT_EQ(run.ExitCode, 0) << run.Err.toStdString();
  const QJsonObject day = JsonObjectOf(run);
  EXPECT_EQ(day[u"date"_s].toString(), u"20240512"_s);
  EXPECT_TRUE(day[u"previousEnabled"_s].toBool());
  EXPECT_FALSE(day[u"nextEnabled"_s].toBool());
  const QJsonArray venues = day[u"venues"_s].toArray();
  ASSERT_EQ(venues.size(), 3);
  EXPECT_EQ(venues[0][u"title"_s].toString(), u"東京2回6日目"_s);

  const TSettings defaults;
  const QRegularExpression pattern(QString::fromUtf8(GetParam().FinisherPattern));
  const TRun text = RunCli(Start, {u"day"_s, u"--mode"_s, mode});
  ASSERT_EQ(text.ExitCode, 0);
  int finishers = 0;
  int steeplechases = 0;
  for (const QJsonValue venue : venues) {
    const QJsonArray races = venue[u"races"_s].toArray();
    ASSERT_EQ(races.size(), 12);
    for (const QJsonValue race : races) {
      // Steeplechases are always greyed out and show no finishers.
      const bool steeplechase = race[u"track"_s].toString().startsWith(u'障');
      steeplechases += steeplechase ? 1 : 0;
      EXPECT_EQ(race[u"greyed"_s].toBool(), steeplechase);
      for (const QJsonValue finisher : race[u"finishers"_s].toArray()) {
        ++finishers;
        const QString shown = finisher[u"text"_s].toString();
        if (mode == u"3c" || mode == u"4c") {
          const QString entry = finisher[mode == u"3c" ? u"corner3"_s : u"corner4"_s].toString();
          const int row = entry.left(2).toInt();
          const int lane = entry.mid(2, 2).toInt();
          EXPECT_EQ(finisher[u"band"_s].toString(), BandLabel(BandOfRow(row, defaults)))
              << entry.toStdString();
          EXPECT_EQ(shown, LaneMarkText(LaneClassOf(lane, defaults).Mark));
        }
        if (mode == u"jockey") {
          // At the first press every placed jockey has been placed at least once.
          QString jockey = finisher[u"jockey"_s].toString();
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
    if (!QRegularExpression(u"^\\s+\\d+R\\s"_s).match(line).hasMatch()) continue;
    ++raceLines;
    const QStringList cells = line.split(QRegularExpression(u"\\s{2,}"_s), Qt::SkipEmptyParts);
    if (line.contains(u"障"_s)) {
      EXPECT_TRUE(line.endsWith(u"（対象外）"_s)) << line.toStdString();
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
  const TRun run = RunCli(Start, {u"day"_s, u"20240511"_s, u"--filter"_s, u"turf"_s, u"--json"_s});
  ASSERT_EQ(run.ExitCode, 0) << run.Err.toStdString();
  const QJsonObject day = JsonObjectOf(run);
  EXPECT_EQ(day[u"caption"_s].toString(), u"2024年5月11日 成績"_s);
  EXPECT_FALSE(day[u"previousEnabled"_s].toBool());
  EXPECT_TRUE(day[u"nextEnabled"_s].toBool());
  int dirt = 0;
  for (const QJsonValue venue : day[u"venues"_s].toArray()) {
    for (const QJsonValue race : venue[u"races"_s].toArray()) {
      const bool isTurf = race[u"track"_s].toString().startsWith(u'芝');
      dirt += isTurf ? 0 : 1;
      EXPECT_EQ(race[u"greyed"_s].toBool(), !isTurf);
      EXPECT_EQ(race[u"finishers"_s].toArray().size(), isTurf ? 3 : 0);
    }
  }
  EXPECT_GT(dirt, 0);
}

TEST_F(CliEndToEndTest, RaceShowsSheetPositionsTabsAndPayouts) {
  const TRun run = RunCli(Start, {u"race"_s, SundayMain, u"--json"_s});
  ASSERT_EQ(run.ExitCode, 0) << run.Err.toStdString();
  const QJsonObject race = JsonObjectOf(run);
  EXPECT_TRUE(race[u"title"_s].toString().startsWith(u"東京11Ｒ (5/12)  "_s));
  const QJsonArray header = race[u"sheet"_s][u"header"_s].toArray();
  ASSERT_EQ(header.size(), 6);
  EXPECT_EQ(header[3].toString(), u"走破"_s);
  const QJsonArray rows = race[u"sheet"_s][u"rows"_s].toArray();
  const QJsonArray positions = race[u"positions"_s].toArray();
  ASSERT_GE(rows.size(), 5);
  ASSERT_EQ(positions.size(), rows.size());
  const QRegularExpression time(u"^\\d\\.\\d\\d\\.\\d$"_s);
  for (const QJsonValue row : rows) {
    EXPECT_TRUE(time.match(row[3].toString()).hasMatch()) << row[3].toString().toStdString();
    EXPECT_TRUE(time.match(row[4].toString()).hasMatch());
    // Running wide only ever costs time.
    EXPECT_LE(row[4].toString(), row[3].toString());
  }
  EXPECT_EQ(rows[0][0].toString(), u"1"_s);
  const QJsonArray tabs = race[u"tabs"_s].toArray();
  EXPECT_TRUE(tabs.contains(u"３コーナー"_s));
  EXPECT_EQ(race[u"initialTab"_s].toString(), u"３コーナー"_s);
  for (const QJsonValue horse : positions) {
    const QJsonObject sections = horse[u"sections"_s].toObject();
    EXPECT_EQ(sections.size(), tabs.size());
    const QJsonValue third = sections[u"３コーナー"_s];
    if (third.isObject()) {
      EXPECT_GE(third[u"lane"_s].toInt(), 1);
    }
  }
  EXPECT_TRUE(race[u"payoutLine"_s].toString().contains(u"単勝"_s));

  const TRun text = RunCli(Start, {u"race"_s, SundayMain});
  ASSERT_EQ(text.ExitCode, 0);
  for (const char* part :
       {"順", "番", "馬　　名", "走破", "実走", "m/min", "位置取り", "タブ: ", "払戻: 単勝"})
    EXPECT_TRUE(text.Out.contains(QString::fromUtf8(part))) << part;
  // The first horse of the sheet and its row and lane in the third corner, as the JSON has them.
  const QJsonObject first = positions[0].toObject();
  const QJsonValue spot = first[u"sections"_s][u"３コーナー"_s];
  const QString spotText =
      spot.isObject() ? u"%1-%2"_s.arg(spot[u"row"_s].toInt()).arg(spot[u"lane"_s].toInt()) : u"-"_s;
  // The table's columns are the race's sections, so the third corner's is found by its heading
  // (a list's indexOf matches whole lines).
  const QStringList lines = text.Out.split(u'\n');
  const qsizetype heading = lines.indexOf(QRegularExpression(u"\\s*番\\s+馬名\\s.*"_s));
  ASSERT_GE(heading, 0) << text.Out.toStdString();
  const qsizetype column = lines[heading].split(u' ', Qt::SkipEmptyParts).indexOf(u"３コーナー"_s);
  ASSERT_GE(column, 2);
  const qsizetype row = lines.indexOf(
      QRegularExpression(
          u"\\s*%1\\s+%2\\s.*"_s.arg(first[u"number"_s].toInt()).arg(first[u"name"_s].toString())),
      heading);
  ASSERT_GT(row, heading) << text.Out.toStdString();
  EXPECT_EQ(lines[row].split(u' ', Qt::SkipEmptyParts).value(column), spotText) << lines[row].toStdString();
}

TEST_F(CliEndToEndTest, SteeplechaseCannotBeOpenedOrExported) {
  const QString key =
      FirstRaceOfTheDay([](const QJsonValue& race) { return race[u"track"_s].toString().startsWith(u'障'); });
  ASSERT_FALSE(key.isEmpty()) << "the demo day has no steeplechase";
  for (const QStringList& args : {QStringList{u"race"_s, key}, QStringList{u"export"_s, key}}) {
    const TRun run = RunCli(Start, args);
    EXPECT_EQ(run.ExitCode, 1) << args.join(u' ').toStdString();
    EXPECT_TRUE(run.Err.contains(u"当プログラムは障害戦に対応していません"_s)) << run.Err.toStdString();
  }
}

TEST_F(CliEndToEndTest, StraightCourseShowsConvertedTimesButIsNotExported) {
  const QString key = FirstRaceOfTheDay([](const QJsonValue& race) {
    return race[u"track"_s].toString() == u"芝1000" && race[u"raceKey"_s].toString().mid(8, 2) == u"04";
  });
  ASSERT_FALSE(key.isEmpty()) << "the demo day has no race on the straight course";

  const QJsonObject race = JsonObjectOf(RunCli(Start, {u"race"_s, key, u"--json"_s}));
  EXPECT_TRUE(race[u"straight"_s].toBool());
  EXPECT_TRUE(race[u"tabs"_s].toArray().isEmpty());
  const QJsonArray rows = race[u"sheet"_s][u"rows"_s].toArray();
  ASSERT_FALSE(rows.isEmpty());
  // No corners, no ground lost: the converted time is the finishing time.
  for (const QJsonValue row : rows) {
    EXPECT_FALSE(row[3].toString().isEmpty());
    EXPECT_EQ(row[4].toString(), row[3].toString());
  }
  EXPECT_TRUE(RunCli(Start, {u"race"_s, key}).Out.contains(u"直線コースの競走では、"_s));
  const TRun exported = RunCli(Start, {u"export"_s, key});
  EXPECT_EQ(exported.ExitCode, 1);
  EXPECT_TRUE(exported.Err.contains(u"直線コース"_s)) << exported.Err.toStdString();
}

TEST_F(CliEndToEndTest, ShowingCommandsLeaveEveryFileAsItWas) {
  const QMap<QString, QByteArray> before = Snapshot(Start);
  ASSERT_FALSE(before.isEmpty());
  for (const QStringList& args :
       {QStringList{u"days"_s}, QStringList{u"day"_s}, QStringList{u"day"_s, u"--mode"_s, u"jockey"_s},
        QStringList{u"race"_s, SundayMain}, QStringList{u"race"_s, SundayMain, u"--json"_s},
        QStringList{u"days"_s, u"--from"_s, u"20240512"_s}, QStringList{u"wide"_s, u"--json"_s},
        QStringList{u"bias"_s, u"--from"_s, u"20240511"_s, u"--to"_s, u"20240512"_s}}) {
    EXPECT_EQ(RunCli(Start, args).ExitCode, 0) << args.join(u' ').toStdString();
    EXPECT_EQ(Snapshot(Start), before) << args.join(u' ').toStdString();
  }
  // Nor do they make a data folder where there is none.
  QTemporaryDir empty;
  EXPECT_EQ(RunCli(empty.path(), {u"day"_s}).ExitCode, 1);
  EXPECT_TRUE(QDir(empty.path()).isEmpty());
}

TEST_F(CliEndToEndTest, ExportOneRaceOverwritesAndExportAllFillsOnlyBlankLines) {
  QTemporaryDir copy;
  CopyTree(Start, copy.path());
  const QString target = QDir(copy.path()).filePath(u"out"_s);
  QDir().mkpath(target);
  const QString file = QDir(target).filePath(u"FT202425.dat"_s);  // 東京, meeting 2
  const qsizetype line = (6 - 1) * 12 + (11 - 1);
  const QByteArray blank(90, ' ');

  TRun run = RunCli(copy.path(), {u"export"_s, SundayMain, u"--target"_s, target});
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
  run = RunCli(copy.path(), {u"export"_s, u"--all"_s, u"--target"_s, target});
  ASSERT_EQ(run.ExitCode, 0) << run.Err.toStdString();
  lines = ReadLines(file);
  EXPECT_EQ(lines[line], marker);
  EXPECT_NE(lines[line - 1], blank);      // 10R of the same day
  EXPECT_NE(lines[(5 - 1) * 12], blank);  // 1R of Saturday
  EXPECT_EQ(QDir(target).entryList(QDir::Files).size(), 3);

  // The race window's button rewrites its race every time.
  run = RunCli(copy.path(), {u"export"_s, SundayMain, u"--target"_s, target});
  ASSERT_EQ(run.ExitCode, 0);
  EXPECT_EQ(ReadLines(file)[line], written);
}

TEST_F(CliEndToEndTest, ExportGoesToTheSettingsTargetByDefault) {
  QTemporaryDir copy;
  CopyTree(Start, copy.path());
  const QString fuka = QDir(copy.path()).filePath(u"FUKA_TIME"_s);
  ASSERT_TRUE(QDir().mkpath(fuka));
  QFile ini(QDir(copy.path()).filePath(u"RAVEK.INI"_s));
  ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
  ini.write("[Folder]\r\nTarget=" + fuka.toUtf8() + "\r\n");
  ini.close();
  const QByteArray iniBefore = ReadLines(ini.fileName()).join('\n');
  const TRun run = RunCli(copy.path(), {u"export"_s, SundayMain});
  ASSERT_EQ(run.ExitCode, 0) << run.Err.toStdString();
  EXPECT_TRUE(QFile::exists(QDir(fuka).filePath(u"2024/FT202425.dat"_s)));
  EXPECT_EQ(ReadLines(ini.fileName()).join('\n'), iniBefore);
}

TEST_F(CliEndToEndTest, ImportedWeeksShowBesideTheDownloadedOne) {
  QTemporaryDir dir;
  CopyTree(Start, dir.path());
  const QString feed = dir.filePath(u"old"_s);
  ASSERT_EQ(
      RunCli(dir.path(), {u"demo-feed"_s, feed, u"--end"_s, u"20240505"_s, u"--days"_s, u"14"_s}).ExitCode,
      0);
  const TRun imported = RunCli(dir.path(), {u"import"_s, feed});
  ASSERT_EQ(imported.ExitCode, 0) << imported.Err.toStdString();
  EXPECT_TRUE(imported.Out.startsWith(u"4日分"_s)) << imported.Out.toStdString();
  const TRun days = RunCli(dir.path(), {u"days"_s, u"--json"_s});
  EXPECT_EQ(RunCli(dir.path(), {u"import"_s, feed}).ExitCode, 0);
  EXPECT_EQ(RunCli(dir.path(), {u"days"_s, u"--json"_s}).Out, days.Out);
  EXPECT_EQ(QJsonDocument::fromJson(days.Out.toUtf8()).array().size(), 6);

  const QJsonObject old = JsonObjectOf(RunCli(dir.path(), {u"day"_s, u"20240428"_s, u"--json"_s}));
  EXPECT_TRUE(old[u"previousEnabled"_s].toBool());
  EXPECT_TRUE(old[u"nextEnabled"_s].toBool());
  const TRun wide = RunCli(dir.path(), {u"wide"_s, u"--from"_s, u"20240420"_s, u"--to"_s, u"20240512"_s,
                                        u"--min-loss"_s, u"1"_s, u"--json"_s});
  const QJsonArray trips = QJsonDocument::fromJson(wide.Out.toUtf8()).array();
  ASSERT_FALSE(trips.isEmpty()) << wide.Err.toStdString();
  const QJsonObject trip = trips.first().toObject();
  EXPECT_EQ(RunCli(dir.path(), {u"race"_s, trip[u"raceKey"_s].toString()}).ExitCode, 0);
  const QJsonObject horse =
      JsonObjectOf(RunCli(dir.path(), {u"horse"_s, trip[u"name"_s].toString(), u"--json"_s}));
  QStringList raced;
  for (const QJsonValue run : horse[u"runs"_s].toArray()) raced.append(run[u"raceKey"_s].toString());
  EXPECT_TRUE(raced.contains(trip[u"raceKey"_s].toString())) << raced.join(u' ').toStdString();

  WriteBytes(QDir(dir.path()).filePath(u"Data/Archive.db"_s), "no database");
  EXPECT_EQ(RunCli(dir.path(), {u"days"_s}).ExitCode, 2);
  EXPECT_EQ(RunCli(dir.path(), {u"restore"_s}).ExitCode, 0);
  EXPECT_EQ(RunCli(dir.path(), {u"days"_s, u"--json"_s}).Out, days.Out);
}

}  // namespace
