#include "demo/DemoService.h"
#include "shell/Session.h"
#include "support/HorseWithRoom.h"
#include "support/QuietObserver.h"

#include "link/FeedLink.h"
#include "race/RaceSheet.h"
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
    QObject::connect(&session, &TSession::RaceOpened, [this](TOpenRace*) { Seen.append(u"opened"_s); });
    QObject::connect(&session, &TSession::RaceClosing, [this](TOpenRace* race) {
      Seen.append(u"closing "_s + QString::fromLatin1(race->State().RaceKey));
    });
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
    Session.StartUp();
    ASSERT_TRUE(Session.RunDownload().FilesWritten);
    ASSERT_FALSE(Session.Store().Races.isEmpty());
  }
};

TEST_F(SessionTest, DownloadTellsBusyThenOneReload) {
  Session.StartUp();
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
  EXPECT_FALSE(restarted.StartUp());
  EXPECT_TRUE(restarted.Store().Races.isEmpty());
  EXPECT_FALSE(restarted.ResultsEnabled());
  EXPECT_TRUE(restarted.RunDownload().FilesWritten);
  EXPECT_TRUE(restarted.ResultsEnabled());
  EXPECT_EQ(restarted.Store().Races.size(), Session.Store().Races.size());
}

// A flat race of the download whose shown corner has a horse with room one lane out.
QByteArray FlatRace(const TSession& session) {
  for (const TRaceEntry& entry : session.Store().Races)
    if (entry.PositionLine.size() > 24 && !TRaceRecord().TrackDistance(entry.RaceLine).startsWith(u'障') &&
        !IsStraightCourse(entry.PositionLine))
      return entry.RaceLine;
  return {};
}

// A horse of the shown corner that has room one lane out; 0 for none.
TEST_F(SessionTest, RaceCloseWritesBackAndNamesTheRace) {
  Download();
  const QByteArray raceLine = FlatRace(Session);
  ASSERT_FALSE(raceLine.isEmpty());

  TNotices notices(Session);
  TOpenRace* race = Session.OpenRace(raceLine);
  ASSERT_EQ(Session.OpenRaceCount(), 1);
  const QByteArray stored = race->State().PositionLine;
  const int horse = HorseWithRoom(race->Diagram());
  ASSERT_GT(horse, 0);
  race->MoveOut(horse);
  const QByteArray edited = race->State().PositionLine;
  ASSERT_NE(edited, stored);
  race->SetTickerOn(true);
  const QString key = QString::fromLatin1(race->State().RaceKey);

  Session.CloseRace(race);
  EXPECT_EQ(Session.OpenRaceCount(), 0);
  EXPECT_EQ(notices.Seen,
            (QStringList{u"opened"_s, u"closing "_s + key, u"summary "_s + key, u"settings"_s}));
  EXPECT_TRUE(Session.Settings().Pay);
  for (const TRaceEntry& entry : Session.Store().Races) {
    if (entry.RaceLine != raceLine) continue;
    EXPECT_EQ(entry.PositionLine, edited);
    // The summary follows the edited line.
    EXPECT_TRUE(Session.Store().RaceSummaries.contains(BuildRaceSummary(Session.Store(), entry)));
  }
}

// Corrections undone: the race's line is again the one the download stored.
TEST_F(SessionTest, RebuildGivesBackTheDownloadedLine) {
  Download();
  TOpenRace* race = Session.OpenRace(FlatRace(Session));
  const QByteArray stored = race->State().PositionLine;
  const QString firstTime = race->State().Sheet.Cell(TRaceSheet::ConvertedColumn, 1);
  race->MoveOut(HorseWithRoom(race->Diagram()));
  ASSERT_NE(race->State().PositionLine, stored);
  race->Rebuild();
  EXPECT_EQ(race->State().PositionLine, stored);
  EXPECT_EQ(race->State().Sheet.Cell(TRaceSheet::ConvertedColumn, 1), firstTime);
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
