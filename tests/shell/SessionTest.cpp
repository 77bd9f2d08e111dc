#include "demo/DemoService.h"
#include "shell/Session.h"
#include "support/QuietObserver.h"

#include "link/FeedLink.h"
#include "records/RaceRecord.h"
#include "store/DayStoreLoader.h"

#include <QDateTime>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// Every notice the session gives, in order.
struct TNotices {
  QStringList Seen;
  explicit TNotices(TSession& session) {
    QObject::connect(&session, &TSession::StoreReloaded, [this] { Seen.append(u"store"_s); });
    QObject::connect(&session, &TSession::SummaryReplaced, [this](const QByteArray& key) {
      Seen.append(u"summary "_s + QString::fromLatin1(key));
    });
    QObject::connect(&session, &TSession::SettingsChanged, [this] { Seen.append(u"settings"_s); });
    QObject::connect(&session, &TSession::BusyChanged,
                     [this](bool busy) { Seen.append(busy ? u"busy"_s : u"idle"_s); });
  }
};

class SessionTest : public testing::Test {
protected:
  QTemporaryDir Dir;
  TFixedClock Clock{QDateTime(QDate(2024, 5, 12), QTime(9, 0))};
  TFeedLink Link{Dir.path(), Clock};
  TQuietObserver Observer;
  TSession Session{Dir.path(), Link, Clock, Observer};

  void SetUp() override { Link.SetDemoWriter(DemoFeedWriter()); }

  // A demo week downloaded, notices not yet watched.
  void Download() {
    Session.FormShow();
    ASSERT_TRUE(Session.RunDownload().FilesWritten);
    ASSERT_FALSE(Session.Store().RaceLines.isEmpty());
  }
};

TEST_F(SessionTest, DownloadTellsBusyThenOneReload) {
  Session.FormShow();
  TNotices notices(Session);
  const TDownloadResult result = Session.RunDownload();
  EXPECT_TRUE(result.FilesWritten);
  EXPECT_TRUE(Session.ResultsEnabled());
  EXPECT_EQ(notices.Seen, (QStringList{u"busy"_s, u"idle"_s, u"store"_s}));
}

// Record files a stopped download left mixed: named at start, never shown,
// and the download puts one whole set in place.
TEST_F(SessionTest, MixedRecordFilesAreNamedAtStartAndReplacedByTheDownload) {
  Download();
  const QDir data(Session.Shell().DataDir);
  QByteArray marker;
  for (const char* name : DataFile::SetFiles) {
    const QByteArray now = FileDigest(data.filePath(QString::fromLatin1(name)));
    const QByteArray other = BytesDigest("other");
    marker += QByteArray(name) +
              (qstrcmp(name, DataFile::Race) == 0 ? ' ' + other + ' ' + now : ' ' + now + ' ' + other) + '\n';
  }
  WriteFileAtomically(data.filePath(QString::fromLatin1(DataFile::SetMarker)), marker);

  TSession restarted{Dir.path(), Link, Clock, Observer};
  EXPECT_TRUE(restarted.Shell().StartMessage.contains(u"新しいもの: RaceData.dat"_s))
      << restarted.Shell().StartMessage.toStdString();
  EXPECT_FALSE(restarted.FormShow());
  EXPECT_TRUE(restarted.Store().RaceLines.isEmpty());
  EXPECT_FALSE(restarted.ResultsEnabled());
  EXPECT_TRUE(restarted.RunDownload().FilesWritten);
  EXPECT_TRUE(restarted.ResultsEnabled());
  EXPECT_EQ(restarted.Store().RaceLines.size(), Session.Store().RaceLines.size());
}

TEST_F(SessionTest, RaceCloseWritesBackAndNamesTheRace) {
  Download();
  // A flat race with a position line.
  QByteArray raceLine;
  for (const TRaceEntry& entry : Session.Store().RaceLines)
    if (!entry.HorseList.isEmpty() && entry.HorseList.first().size() > 24 &&
        !TRaceRecord().TrackDistance(entry.RaceLine).startsWith(u'障'))
      raceLine = entry.RaceLine;
  ASSERT_FALSE(raceLine.isEmpty());

  TRaceState& race = Session.OpenRace(raceLine);
  ASSERT_EQ(Session.OpenRaceCount(), 1);
  // Horse 1 moved to row 2, lane 5 in the last section of the line.
  QByteArray edited = race.PositionLine;
  edited.replace(24 + 2, 4, "0205");
  race.PositionLine = edited;
  race.Ticker.SetOn(true, race.PayoutLine);
  const QByteArray key = race.RaceKey;

  TNotices notices(Session);
  Session.CloseRace(race);
  EXPECT_EQ(Session.OpenRaceCount(), 0);
  EXPECT_EQ(notices.Seen, (QStringList{u"summary "_s + QString::fromLatin1(key), u"settings"_s}));
  EXPECT_TRUE(Session.Settings().Pay);
  for (const TRaceEntry& entry : Session.Store().RaceLines) {
    if (entry.RaceLine != raceLine) continue;
    EXPECT_EQ(entry.HorseList.first(), edited);
  }
}

// Corrections undone: the race's line is again the one the download stored.
TEST_F(SessionTest, RebuildGivesBackTheDownloadedLine) {
  Download();
  const TRaceEntry& entry = Session.Store().RaceLines.first();
  const QByteArray stored = entry.HorseList.first();
  TRaceState& race = Session.OpenRace(entry.RaceLine);
  const QString firstTime = race.Sheet.Cell(TRaceSheet::ConvertedColumn, 1);
  race.PositionLine.replace(24 + 2, 4, "0109");
  race.FillSheet();
  race.RebuildPositionLine();
  EXPECT_EQ(race.PositionLine, stored);
  EXPECT_EQ(race.Sheet.Cell(TRaceSheet::ConvertedColumn, 1), firstTime);
  Session.CloseRace(race);
}

TEST_F(SessionTest, SettingsNoticeOnlyWhenAFieldChanges) {
  TNotices notices(Session);
  Session.SetSettings(Session.Settings());
  EXPECT_TRUE(notices.Seen.isEmpty());
  TSettings changed = Session.Settings();
  changed.Distance = 3;
  Session.SetSettings(changed);
  EXPECT_EQ(notices.Seen, QStringList{u"settings"_s});
  EXPECT_EQ(Session.Settings().Distance, 3);
}

}  // namespace
