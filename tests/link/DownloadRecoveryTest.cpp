#include "DownloadFixture.h"

#include "position/PositionFile.h"
#include "store/DayStoreLoader.h"
#include "text/Errors.h"

#include <QRegularExpression>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// The file's inode: a file written aside and renamed gets a new one.
ino_t InodeOf(const QString& path) {
  struct stat info {};
  return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
}

TEST_F(DownloadTest, ErrorWhileFilingADayPutsEverythingBack) {
  // A first download leaves files and a store with a race-window edit in it.
  Link.Day("20240512").Records(RaceWithHorses("2024051205020811"));
  Download();
  Store.Races[0].PositionLine = "edited";
  const TDayStore before = Store;
  const QByteArray race = ReadAll(Path(DataFile::Race)), uma = ReadAll(Path(DataFile::Uma)),
                   pay = ReadAll(Path(DataFile::Pay)), position = ReadAll(Path(DataFile::Position));

  // Today files a new race (Position.dat takes it); reading yesterday ends in an error.
  const ino_t raceInode = InodeOf(Path(DataFile::Race)), umaInode = InodeOf(Path(DataFile::Uma)),
              payInode = InodeOf(Path(DataFile::Pay));
  Link.Day("20240512").Records(RaceWithHorses("2024051205020812"));
  Link.Day("20240511").Records(RaceWithHorses("2024051108020101"));
  Observer.OnEvents = [this] {
    if (Link.OpenedKeys().last() == "20240511") throw TFileError(u"stop"_s);
  };
  Observer.Log.clear();

  TDownload download(Link, Clock, Store, Dir.path(), Observer);
  EXPECT_THROW(download.Run(), TFileError);

  EXPECT_FALSE(download.IsBusy());
  EXPECT_FALSE(Link.IsOpen);
  EXPECT_EQ(Link.CallNames().last(), u"JVClose"_s);
  EXPECT_EQ(Observer.Log.last(), u"close"_s);
  EXPECT_EQ(ReadAll(Path(DataFile::Race)), race);
  EXPECT_EQ(ReadAll(Path(DataFile::Uma)), uma);
  EXPECT_EQ(ReadAll(Path(DataFile::Pay)), pay);
  EXPECT_EQ(ReadAll(Path(DataFile::Position)), position);
  // Files the download never replaced are not written again either.
  EXPECT_EQ(InodeOf(Path(DataFile::Race)), raceInode);
  EXPECT_EQ(InodeOf(Path(DataFile::Uma)), umaInode);
  EXPECT_EQ(InodeOf(Path(DataFile::Pay)), payInode);
  ASSERT_EQ(Store.Races.size(), 1);
  EXPECT_EQ(Store.Races[0].PositionLine, before.Races[0].PositionLine);
  EXPECT_EQ(Store.Races[0].Runners, before.Races[0].Runners);
  EXPECT_EQ(Store.UmaLines, before.UmaLines);
  EXPECT_EQ(Store.PayLines, before.PayLines);
  EXPECT_EQ(Store.RaceSummaries, before.RaceSummaries);
}

TEST_F(DownloadTest, ErrorOnAFirstRunLeavesNoFileBehind) {
  Link.Day("20240512").Records(RaceWithHorses("2024051205020812"));
  Link.Day("20240511").Records(RaceWithHorses("2024051108020101"));
  Observer.OnEvents = [this] {
    if (Link.OpenedKeys().last() == "20240511") throw TFileError(u"stop"_s);
  };
  EXPECT_THROW(Download(), TFileError);
  EXPECT_EQ(QDir(Dir.path()).entryList(QDir::Files), QStringList());
  EXPECT_TRUE(Store.Races.isEmpty());
}

// A download that ends for good (the process is gone) after some of the record
// files were put in place: the loader refuses a mixed set, naming the files,
// and the next download puts the whole set in place.
TEST_F(DownloadTest, DownloadStoppedBetweenTheRecordFilesIsRefusedAndRepaired) {
  struct TStopCase {
    const char* After;
    bool Mixed;
  };
  const TStopCase cases[] = {{"RaceData.dat", true}, {"UmaData.dat", true}, {"PayData.dat", false}};
  for (const TStopCase& c : cases) {
    SCOPED_TRACE(c.After);
    QTemporaryDir dir;
    Clock.SetNow(QDateTime(QDate(2024, 5, 5), QTime(12, 0)));
    Link.Days.clear();
    Link.Day("20240505").Records(RaceWithHorses("2024050505020811"));
    TDownload(Link, Clock, Store, dir.path(), Observer).Run();
    const QString marker = QDir(dir.path()).filePath(QString::fromLatin1(DataFile::SetMarker));

    Clock.SetNow(QDateTime(QDate(2024, 5, 12), QTime(12, 0)));
    Link.Days.clear();
    Link.Day("20240512").Records(RaceWithHorses("2024051205020811"));
    Observer.OnReplaced = [&c](const QString& name) {
      if (name == QString::fromLatin1(c.After)) ::_exit(0);
    };
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      TDownload(Link, Clock, Store, dir.path(), Observer).Run();
      ::_exit(3);  // it was to stop before this
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    Observer.OnReplaced = nullptr;

    TDayStore loaded;
    if (c.Mixed) {
      try {
        LoadDayStore(loaded, dir.path());
        ADD_FAILURE() << "a mixed set loaded";
      } catch (const TDataError& error) {
        EXPECT_TRUE(error.Message().contains(u"新しいもの: RaceData.dat"_s)) << error.what();
        EXPECT_TRUE(error.Message().contains(u"PayData.dat"_s)) << error.what();
      }
    } else {
      ASSERT_TRUE(LoadDayStore(loaded, dir.path()));
      ASSERT_EQ(loaded.Races.size(), 1);
      EXPECT_EQ(loaded.Races[0].Runners.size(), 3);
    }
    EXPECT_EQ(DataSetMismatch(dir.path()).isEmpty(), !c.Mixed);

    const TDownloadResult repaired = TDownload(Link, Clock, Store, dir.path(), Observer).Run();
    EXPECT_TRUE(repaired.ResultsEnabled);
    EXPECT_FALSE(QFile::exists(marker));
    ASSERT_EQ(Store.Races.size(), 1);
    EXPECT_EQ(Store.RaceDates, TByteLines{"20240512"});
    EXPECT_FALSE(Store.Races[0].PositionLine.isEmpty());
    EXPECT_EQ(Store.Races[0].Runners.size(), 3);
  }
}

TEST_F(DownloadTest, DamagedPositionFileIsReportedOnce) {
  QByteArray position;
  {
    TPositionFile::SavePositions({"1234"}, Path(DataFile::Position));
    position = ReadAll(Path(DataFile::Position)) + QByteArray("\x09\x00", 2);
    WriteFileAtomically(Path(DataFile::Position), position);
  }
  Link.Day("20240512").Records(RaceWithHorses("2024051205020811"));
  Link.Day("20240511").Records(RaceWithHorses("2024051108020101"));

  const TDownloadResult result = Download();

  EXPECT_EQ(result.Messages.size(), 1);
  TByteLines positions;
  EXPECT_FALSE(TPositionFile::LoadPositions(positions, Path(DataFile::Position)).Damaged);
  EXPECT_EQ(positions.size(), 3);
}

TEST_F(DownloadTest, SecondDownloadIsRefusedWhileOneRuns) {
  Link.Day("20240512").Records(RaceWithHorses("2024051205020811"));
  TDownload download(Link, Clock, Store, Dir.path(), Observer);
  int nested = 0;
  Observer.OnEvents = [&] {
    if (nested++ > 0) return;
    EXPECT_TRUE(download.IsBusy());
    const qsizetype opens = Link.OpenedKeys().size();
    const TDownloadResult refused = download.Run();
    EXPECT_FALSE(refused.Started);
    EXPECT_EQ(Link.OpenedKeys().size(), opens);
  };

  EXPECT_TRUE(download.Run().Started);
  EXPECT_GT(nested, 0);
  EXPECT_FALSE(download.IsBusy());
  EXPECT_EQ(Store.Races.size(), 1);
}

}  // namespace
