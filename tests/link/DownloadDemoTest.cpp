#include "demo/DemoService.h"
#include "link/Download.h"
#include "link/FeedLink.h"
#include "position/PositionFile.h"
#include "records/PayRecord.h"
#include "records/RaceRecord.h"
#include "records/RunnerRecord.h"
#include "store/DayStoreLoader.h"
#include "store/RaceSummary.h"
#include "support/QuietObserver.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QSet>
#include <QTemporaryDir>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// Keeps the status texts, to count the days read.
class TStatusLog : public TQuietObserver {
public:
  void ShowStatus(const QString& text) override { Statuses.append(text); }
  QStringList Statuses;
};

// Eight days of the demo service through the feed link into real files and the
// day store, as the program does it on a Sunday morning.
TEST(DownloadDemoTest, EightDemoDaysReachFilesPositionsAndStore) {
  QTemporaryDir startDir;
  const QString dataDir = QDir(startDir.path()).filePath(u"Data"_s);
  ASSERT_TRUE(QDir().mkpath(dataDir));
  const QDate today(2024, 5, 12);
  TFixedClock clock(QDateTime(today, QTime(9, 0)));
  TFeedLink link(startDir.path(), clock);
  link.SetDemoWriter(DemoFeedWriter());
  TDayStore store;
  TStatusLog observer;
  TDownload download(link, clock, store, dataDir, observer);

  EXPECT_FALSE(download.StartUp());
  ASSERT_TRUE(download.LinkReady());
  const TDownloadResult result = download.Run();

  // What the demo ran, newest day first.
  const TDemoService demo(1);
  QList<TDemoRace> races;
  TByteLines racingDays;
  for (int i = 0; i < 8; ++i) {
    const QDate day = today.addDays(-i);
    const QList<TDemoRace> dayRaces = demo.RacesOf(day);
    if (!dayRaces.isEmpty()) racingDays.append(day.toString(u"yyyyMMdd").toLatin1());
    races += dayRaces;
  }
  ASSERT_GE(racingDays.size(), 2);
  EXPECT_EQ(result.DaysAsked, 8);
  EXPECT_EQ(result.DaysOpened, racingDays.size());
  EXPECT_TRUE(result.ResultsEnabled);
  EXPECT_EQ(observer.Statuses.count(u"読み込み完了"_s), racingDays.size());

  // Files: every final record once, nothing of the earlier stages.
  const TByteLines raceFile = ReadLines(QDir(dataDir).filePath(QString::fromLatin1(DataFile::Race)));
  const TByteLines umaFile = ReadLines(QDir(dataDir).filePath(QString::fromLatin1(DataFile::Uma)));
  const TByteLines payFile = ReadLines(QDir(dataDir).filePath(QString::fromLatin1(DataFile::Pay)));
  QSet<QByteArray> expectedRaces, expectedUmas, expectedPays;
  for (const TDemoRace& race : races) {
    expectedRaces.insert(race.RaceLine);
    for (const QByteArray& line : race.HorseLines) expectedUmas.insert(line);
    expectedPays.insert(race.PayLine);
  }
  EXPECT_EQ(raceFile.size(), races.size());
  EXPECT_EQ(QSet<QByteArray>(raceFile.begin(), raceFile.end()), expectedRaces);
  EXPECT_EQ(umaFile.size(), expectedUmas.size());
  EXPECT_EQ(QSet<QByteArray>(umaFile.begin(), umaFile.end()), expectedUmas);
  EXPECT_EQ(QSet<QByteArray>(payFile.begin(), payFile.end()), expectedPays);

  // Positions: one stored line per race.
  TByteLines positions;
  TPositionFile::LoadPositions(positions, QDir(dataDir).filePath(QString::fromLatin1(DataFile::Position)));
  EXPECT_EQ(positions.size(), races.size());

  // The store: dates oldest first, every horse under its race, a usable
  // summary naming the winner with its position and place payout.
  std::sort(racingDays.begin(), racingDays.end());
  EXPECT_EQ(store.RaceDates, racingDays);
  EXPECT_TRUE(store.UmaLines.isEmpty());
  ASSERT_EQ(store.Races.size(), races.size());
  ASSERT_EQ(store.RaceSummaries.size(), races.size());
  QHash<QByteArray, const TDemoRace*> byKey;
  for (const TDemoRace& race : races) byKey.insert(race.RaceKey, &race);
  TRaceRecord raceAccessor;
  TRunnerRecord uma;
  TPayRecord pay;
  for (qsizetype r = 0; r < store.Races.size(); ++r) {
    const TRaceEntry& entry = store.Races[r];
    const QByteArray key = entry.RaceLine.mid(11, 16);
    SCOPED_TRACE(key.constData());
    const TDemoRace* race = byKey.value(key);
    ASSERT_NE(race, nullptr);
    EXPECT_TRUE(entry.PositionLine.startsWith(key));
    EXPECT_EQ(entry.Runners.size(), race->HorseLines.size());
    const QByteArray winner = entry.Runners.value(0);
    EXPECT_EQ(uma.ArrivalOrder(winner), "01");

    const QByteArray summary = store.RaceSummaries[r];
    ASSERT_EQ(summary.size(), 17 + TRaceSummary::ValueLength);
    EXPECT_EQ(summary.left(17), key + '=');
    EXPECT_EQ(summary.mid(17, 3), uma.FrameNumber(winner) + uma.HorseNumber(winner));
    // The straight course has no corners to be placed at.
    if (!raceAccessor.CornerOrder(entry.RaceLine, 3).trimmed().isEmpty()) {
      EXPECT_NE(summary.mid(17 + 3, 4), "0000") << "winner without a third-corner position";
    }
    const QByteArray winnerNumber = QByteArray::number(uma.HorseNumber(winner).toInt());
    EXPECT_TRUE(
        pay.PlacePayouts(race->PayLine).split(',').contains(winnerNumber + '=' + summary.mid(17 + 11, 9)));
  }
}

}  // namespace
