#include "DownloadFixture.h"

#include "position/PositionFile.h"
#include "position/PositionLine.h"
#include "store/DayStoreLoader.h"

#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace {

struct TDayCountCase {
  QTime Time;
  int Days;
};

TEST_F(DownloadTest, AsksEightDaysBefore0936AndSevenFrom0936) {
  const TDayCountCase cases[] = {{QTime(0, 0), 8},
                                 {QTime(9, 35), 8},
                                 {QTime(9, 35, 59, 999), 8},
                                 {QTime(9, 36), 7},
                                 {QTime(23, 59, 59), 7}};
  for (const TDayCountCase& c : cases) {
    EXPECT_EQ(DownloadDayCount(c.Time), c.Days) << c.Time.toString().toStdString();
  }

  // Days run newest first across a month end and a leap day.
  Clock.SetNow(QDateTime(QDate(2024, 3, 2), QTime(9, 35)));
  Download();
  EXPECT_EQ(Link.OpenedKeys(), (QList<QByteArray>{"20240302", "20240301", "20240229", "20240228", "20240227",
                                                  "20240226", "20240225", "20240224"}));
  for (const TScriptedLink::TCall& call : Link.CallsNamed(u"JVRTOpen"_s)) EXPECT_EQ(call.Arg1, "0B12");

  Link.Calls.clear();
  Clock.SetNow(QDateTime(QDate(2024, 3, 2), QTime(9, 36)));
  Download();
  EXPECT_EQ(Link.OpenedKeys().size(), 7);
  EXPECT_EQ(Link.OpenedKeys().last(), "20240225");
}

TEST_F(DownloadTest, KeepsRaceHorseAndPayoutRecordsOfTheFinalKindsOnly) {
  const char key[] = "2024051205020811";
  const QByteArray ra7 = Race(key, '7'), ra6 = Race("2024051205020812", '6');
  const QByteArray se6 = Uma(key, 1, 1, '6'), se7 = Uma(key, 2, 2, '7');
  const QByteArray hr1 = Pay(key);
  Link.Day("20240512")
      .Records({Race(key, '5'), ra7, Uma(key, 1, 1, '4'), se6, Pay(key, '2'), hr1,
                "H1" + QByteArray(100, ' '), se7, ra6, "RA", "ra7" + ra7.mid(3)});

  const TDownloadResult result = Download();

  EXPECT_TRUE(result.FilesWritten);
  EXPECT_EQ(Lines(DataFile::Race), (TByteLines{ra7, ra6}));
  EXPECT_EQ(Lines(DataFile::Uma), (TByteLines{se6, se7}));
  EXPECT_EQ(Lines(DataFile::Pay), (TByteLines{hr1}));
  // Both races were positioned.
  TByteLines positions;
  TPositionFile::LoadPositions(positions, Path(DataFile::Position));
  ASSERT_EQ(positions.size(), 2);
  EXPECT_TRUE(positions[0].startsWith(key));
  EXPECT_TRUE(positions[1].startsWith("2024051205020812"));
}

TEST_F(DownloadTest, PendingReadsAreRetriedAndLoseNothing) {
  const QList<QByteArray> day = RaceWithHorses("2024051205020811");
  Link.Day("20240512").Pending(2).Records(day.mid(0, 2)).Pending(3).Records(day.mid(2));
  // The panel is current and events have run before every read.
  int reads = 0;
  Link.ReadHook = [&] {
    ++reads;
    EXPECT_EQ(Observer.Log.count(u"events"_s), reads);
  };

  const TDownloadResult result = Download();

  EXPECT_EQ(reads, 2 + 2 + 3 + 3 + 1);
  EXPECT_EQ(Observer.Named(u"status:"_s).count(u"読み込み完了"_s), 1);
  EXPECT_EQ(result.DaysOpened, 1);
  EXPECT_EQ(Lines(DataFile::Race), (TByteLines{day[0]}));
  EXPECT_EQ(Lines(DataFile::Uma), (TByteLines{day[1], day[2], day[3]}));
  EXPECT_EQ(Lines(DataFile::Pay), (TByteLines{day[4]}));
  for (int size : std::as_const(Link.ReadSizes)) EXPECT_EQ(size, 110000);
  EXPECT_FALSE(Link.FileNameNotCleared);
}

TEST_F(DownloadTest, ShowsEveryStatusAndProgressTextInOrder) {
  SetNow(9, 0);
  Link.Day("20240512").Records(RaceWithHorses("2024051205020811"));
  Link.Day("20240511").Open(-502);
  Link.Day("20240510").Records({Race("2024051008010101")}).Fail(-402);
  Link.CloseResults = {0, -999};

  Download();

  QStringList mine;
  for (const QString& entry : std::as_const(Observer.Log)) {
    // The position build shows its own texts in the same panel.
    if (entry != u"events"_s && !entry.startsWith(u"progress:展開データ"_s)) mine.append(entry);
  }
  QStringList expected = {
      u"progress:ダウンロードを開始します"_s, u"progress:2024/05/12の成績をダウンロードしました"_s,
      u"status:JVRTOpen正常終了:0"_s,         u"status:読み込み完了"_s,
      u"status:JVClose正常終了:0"_s,          u"status:JVRTOpenエラー:-502"_s,
      u"status:JVCloseエラー:-999"_s,         u"progress:2024/05/10の成績をダウンロードしました"_s,
      u"status:JVRTOpen正常終了:0"_s,         u"status:JVReadエラー-402"_s,
      u"status:JVClose正常終了:0"_s};
  for (int i = 0; i < 5; ++i) {
    expected += {u"status:JVRTOpenエラー:-1"_s, u"status:JVClose正常終了:0"_s};
  }
  expected += {u"progress:登録処理実行中・・・"_s, u"close"_s};
  EXPECT_EQ(mine, expected);
  // Every open is followed by a close before the next open.
  const QStringList calls = Link.CallNames().filter(QRegularExpression(u"JVRTOpen|JVClose"_s));
  ASSERT_EQ(calls.size(), 16);
  for (int i = 0; i < calls.size(); ++i) EXPECT_EQ(calls[i], i % 2 == 0 ? u"JVRTOpen"_s : u"JVClose"_s);
}

// A day whose open or read fails keeps what the files held for it; the
// other days proceed, and the result names the failed days.
TEST_F(DownloadTest, FailedDayKeepsItsStoredRecordsAndOtherDaysProceed) {
  const QList<QByteArray> first = RaceWithHorses("2024051205020811");
  const QList<QByteArray> broken = RaceWithHorses("2024051108020101");
  const QList<QByteArray> closed = RaceWithHorses("2024051008020101");
  const QList<QByteArray> older = RaceWithHorses("2024050505020811");
  const QList<QByteArray> spoilt = RaceWithHorses("2024050908020101");
  TRecordBuilder badDistance = RaceBuilder("2024050908020101");
  badDistance.SetBytes(RaField::Distance, "12a0");
  SetNow(9, 0);
  Link.Day("20240511").Records(broken);
  Link.Day("20240510").Records(closed);
  Link.Day("20240509").Records(spoilt);
  Download();
  Link.Days.clear();
  Link.Day("20240512").Records(first);
  Link.Day("20240511").Records(broken.mid(0, 2)).Fail(-201).Records(broken.mid(2));
  Link.Day("20240510").Open(-502);
  // A field read as a number later fails its day before anything of it is filed.
  Link.Day("20240509").Records({badDistance.Line(), spoilt[1], spoilt[2], spoilt[3]});
  Link.Day("20240505").Records(older);

  const TDownloadResult result = Download();

  EXPECT_EQ(result.DaysOpened, 4);
  EXPECT_EQ(result.DaysRead, 2);
  EXPECT_EQ(
      result.FailedDays,
      (QStringList{u"2024/05/11: JVReadエラー-201"_s, u"2024/05/10: JVRTOpenエラー:-502"_s,
                   u"2024/05/09: RA の記録の距離が数字ではありません: '12a0'（レース 2024050908020101）"_s}));
  EXPECT_TRUE(result.ResultsEnabled);
  // Day by day: the races it brought; a failed day none, whatever was kept for it.
  QStringList days;
  for (const TDownloadDay& day : result.Days)
    days.append(u"%1 %2 %3 %4"_s.arg(day.Date.day()).arg(day.Racing).arg(day.Races).arg(day.Failure));
  EXPECT_EQ(days, (QStringList{u"12 1 1 "_s, u"11 1 0 "_s + result.FailedDays[0].mid(12),
                               u"10 1 0 "_s + result.FailedDays[1].mid(12),
                               u"9 1 0 "_s + result.FailedDays[2].mid(12), u"8 0 0 "_s, u"7 0 0 "_s,
                               u"6 0 0 "_s, u"5 1 1 "_s}));
  EXPECT_EQ(DownloadSummary(result),
            u"ダウンロードしました: 2日分 2レース　取得できなかった日: 5/11、5/10、5/9"_s);
  EXPECT_EQ(Lines(DataFile::Race), (TByteLines{first[0], broken[0], closed[0], spoilt[0], older[0]}));
  EXPECT_EQ(Lines(DataFile::Uma),
            (TByteLines{first[1], first[2], first[3], broken[1], broken[2], broken[3], closed[1], closed[2],
                        closed[3], spoilt[1], spoilt[2], spoilt[3], older[1], older[2], older[3]}));
  TByteLines positions;
  TPositionFile::LoadPositions(positions, Path(DataFile::Position));
  EXPECT_EQ(positions.size(), 5);
  ASSERT_EQ(Store.Races.size(), 5);
  EXPECT_EQ(Store.Races[1].PositionLine, LineOfRace(positions, "2024051108020101"));
  EXPECT_EQ(Store.Races[1].Runners, (TByteLines{broken[1], broken[2], broken[3]}));
  EXPECT_EQ(Store.RaceDates, (TByteLines{"20240505", "20240509", "20240510", "20240511", "20240512"}));
}

TEST_F(DownloadTest, NoDayOpenedLeavesTheFilesAndReloadsTheStore) {
  Link.Day("20240512").Records(RaceWithHorses("2024051205020811"));
  Download();
  const QByteArray race = ReadAll(Path(DataFile::Race)), uma = ReadAll(Path(DataFile::Uma)),
                   pay = ReadAll(Path(DataFile::Pay)), position = ReadAll(Path(DataFile::Position));
  const TDayStore loaded = Store;
  ASSERT_EQ(loaded.Races.size(), 1);

  Link.Days.clear();
  const TDownloadResult result = Download();

  EXPECT_EQ(result.DaysOpened, 0);
  EXPECT_FALSE(result.FilesWritten);
  EXPECT_EQ(ReadAll(Path(DataFile::Race)), race);
  EXPECT_EQ(ReadAll(Path(DataFile::Uma)), uma);
  EXPECT_EQ(ReadAll(Path(DataFile::Pay)), pay);
  EXPECT_EQ(ReadAll(Path(DataFile::Position)), position);
  ASSERT_EQ(Store.Races.size(), 1);
  EXPECT_EQ(Store.Races[0].PositionLine, loaded.Races[0].PositionLine);
  EXPECT_EQ(Store.Races[0].Runners, loaded.Races[0].Runners);
  EXPECT_EQ(Store.RaceSummaries, loaded.RaceSummaries);
}

TEST_F(DownloadTest, EditsMadeSinceTheLastLoadSurviveTheRebuild) {
  Link.Day("20240512").Records(RaceWithHorses("2024051205020811") + RaceWithHorses("2024051205020812"));
  Download();
  ASSERT_EQ(Store.Races.size(), 2);
  // A race window moved horse 1 one lane out at the third corner and was closed.
  QByteArray edited = Store.Races[1].PositionLine;
  const qsizetype at = TPositionLine(edited).EntryOffset(1, 3);
  ASSERT_GE(at, 0);
  edited.replace(at + 2, 2, "02");
  ASSERT_NE(edited, Store.Races[1].PositionLine);
  Store.Races[1].PositionLine = edited;

  for (const bool dayOpens : {false, true}) {
    if (!dayOpens)
      Link.Days.clear();
    else
      Link.Day("20240512").Records(RaceWithHorses("2024051205020811") + RaceWithHorses("2024051205020812"));
    Download();
    ASSERT_EQ(Store.Races.size(), 2);
    EXPECT_EQ(Store.Races[1].PositionLine, edited) << dayOpens;
    TByteLines stored;
    TPositionFile::LoadPositions(stored, Path(DataFile::Position));
    EXPECT_EQ(LineOfRace(stored, "2024051205020812"), edited) << dayOpens;
  }
}

TEST_F(DownloadTest, NoDayOpenedOnAFirstRunWritesNoFile) {
  const TDownloadResult result = Download();
  EXPECT_TRUE(result.Started);
  EXPECT_FALSE(result.ResultsEnabled);
  EXPECT_EQ(QDir(Dir.path()).entryList(QDir::Files), QStringList());
  EXPECT_EQ(Observer.Log.last(), u"close"_s);
}

// Every lookup takes the last payout line of a race, so only that one is kept.
TEST_F(DownloadTest, SecondDownloadKeepsOnePayoutLinePerRace) {
  Link.Day("20240512").Records(RaceWithHorses("2024051205020811") + RaceWithHorses("2024051205020812"));
  Download();
  const TByteLines races = Lines(DataFile::Race), umas = Lines(DataFile::Uma), pays = Lines(DataFile::Pay);
  const QByteArray position = ReadAll(Path(DataFile::Position));
  ASSERT_EQ(pays.size(), 2);

  Download();

  EXPECT_EQ(Lines(DataFile::Race), races);
  EXPECT_EQ(Lines(DataFile::Uma), umas);
  EXPECT_EQ(Lines(DataFile::Pay), pays);
  EXPECT_EQ(ReadAll(Path(DataFile::Position)), position);
  EXPECT_EQ(Store.PayLines, pays);
}

struct TProbeCase {
  const char* Name;
  int InitResult;
  bool PressOk;
  int ExpectedOpens;
  int ExpectedDialogs;
  bool ExpectedClose;
};

TEST_F(DownloadTest, StartUpProbesEightDaysForMaintenance) {
  const TProbeCase cases[] = {
      {"user closes the program", 0, true, 1, 1, true},
      {"user carries on", 0, false, 8, 8, false},
      {"link refused", -101, true, 0, 0, false},
  };
  // A store on disk, loaded whatever the link says.
  WriteLines(Path(DataFile::Race), {Race("2024051205020811")});
  WriteLines(Path(DataFile::Uma), {});
  WriteLines(Path(DataFile::Pay), {});
  for (const TProbeCase& c : cases) {
    SCOPED_TRACE(c.Name);
    Link = TScriptedLink();
    Link.InitResult = c.InitResult;
    Link.DefaultOpenResult = -504;
    Observer.Log.clear();
    Observer.PressOk = c.PressOk;
    Store = TDayStore();
    SetNow(23, 0);

    TDownload download(Link, Clock, Store, Dir.path(), Observer);
    EXPECT_EQ(download.StartUp(), c.ExpectedClose);

    EXPECT_EQ(Store.Races.size(), 1);
    EXPECT_EQ(Link.CallsNamed(u"JVInit"_s).value(0).Arg1, "SA468213/SD590374/RAVEK/Ver1.24");
    EXPECT_EQ(download.LinkReady(), c.InitResult == 0);
    EXPECT_EQ(Link.OpenedKeys().size(), c.ExpectedOpens);
    EXPECT_EQ(Link.CallsNamed(u"JVClose"_s).size(), c.ExpectedOpens);
    EXPECT_TRUE(Link.CallsNamed(u"JVRead"_s).isEmpty());
    const QStringList dialogs = Observer.Named(u"maintenance:"_s);
    EXPECT_EQ(dialogs.size(), c.ExpectedDialogs);
    for (const QString& text : dialogs) {
      EXPECT_EQ(text, u"\n\n             サーバーメンテナンス中    "_s);
    }
    if (c.ExpectedOpens == 8) {
      EXPECT_EQ(Link.OpenedKeys().last(), "20240505");
    }
    if (c.InitResult != 0) {
      EXPECT_TRUE(Observer.Log.isEmpty());
    }
  }
}

TEST_F(DownloadTest, StartUpAsksOncePerMaintenanceDay) {
  Link.Day("20240510").Open(-504);
  Link.DefaultOpenResult = 0;
  Observer.PressOk = false;
  TDownload download(Link, Clock, Store, Dir.path(), Observer);
  EXPECT_FALSE(download.StartUp());
  EXPECT_EQ(Observer.Named(u"maintenance:"_s).size(), 1);
  EXPECT_EQ(Link.OpenedKeys().size(), 8);
  // Nothing on disk: the store stays empty and no file appears.
  EXPECT_TRUE(Store.Races.isEmpty());
  EXPECT_EQ(QDir(Dir.path()).entryList(QDir::Files), QStringList());
}

}  // namespace
