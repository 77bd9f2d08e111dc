// A download killed while it rewrites twenty years of positions: afterwards
// Position.dat is one of the files a finished step would have left, whole.

#include "demo/DemoService.h"
#include "position/PassingOrderConverter.h"
#include "position/PositionFile.h"
#include "support/CliHarness.h"

#include <QDate>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <iostream>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace hardening {
namespace {

// Shown just before each downloaded day's races are written into Position.dat.
const QString SavingText = u"展開データ保存中・・・"_s;

QByteArray SavedBytes(const TByteLines& lines, const QString& scratchDir) {
  const QString path = QDir(scratchDir).filePath(u"scratch.dat"_s);
  TPositionFile::SavePositions(lines, path);
  return FileBytes(path);
}

// Whether the process holds a file of the folder open (an unnamed file being
// written there shows as the folder's path plus a number, deleted).
bool WritesInto(qint64 pid, const QString& folder) {
  const QByteArray prefix = QFile::encodeName(folder) + '/';
  const QDir fds(u"/proc/%1/fd"_s.arg(pid));
  for (const QString& fd : fds.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
    char target[4096];
    const ssize_t n = ::readlink(QFile::encodeName(fds.filePath(fd)).constData(), target, sizeof target);
    if (n > 0 && QByteArrayView(target, n).startsWith(prefix)) return true;
  }
  return false;
}

// Position lines of every race of twenty years of weekends, three venues a
// day: real converted lines of a demo week, each under its own race key.
TByteLines TwentyYearsOfPositions() {
  const TByteLines sample = SplitLines(TPassingOrderConverter::ConvertRaces(
      TDemoService(3).RaceHistory(QDate(2024, 4, 20), QDate(2024, 4, 28))));
  TByteLines lines;
  for (QDate day(2004, 1, 3); day < QDate(2024, 4, 29); day = day.addDays(1)) {
    if (day.dayOfWeek() < 6) continue;
    for (const char* venue : {"05", "06", "09"}) {
      for (int race = 1; race <= 12; ++race) {
        const QByteArray key = day.toString(u"yyyyMMdd"_s).toLatin1() + venue + "0201" +
                               QByteArray::number(race).rightJustified(2, '0');
        lines.append(key + sample[lines.size() % sample.size()].mid(16));
      }
    }
  }
  // The program keeps the file sorted by race key.
  std::sort(lines.begin(), lines.end());
  return lines;
}

class InterruptedWriteTest : public testing::Test {
protected:
  static void SetUpTestSuite() {
    Base = new QTemporaryDir;
    const QString start = Base->filePath(u"start"_s);
    QDir().mkpath(start + u"/Data"_s);
    const TRun feed = RunCli(start, DemoFeedArgs(QDir(start).filePath(u"feed"_s), u"3"_s));
    ASSERT_EQ(feed.ExitCode, 0) << feed.Err.toStdString();

    OldLines = TwentyYearsOfPositions();
    TPositionFile::SavePositions(OldLines, QDir(start).filePath(u"Data/Position.dat"_s));
    OldBytes = FileBytes(QDir(start).filePath(u"Data/Position.dat"_s));

    // The run left alone, for the file it ends with and how long it takes.
    const QString whole = Base->filePath(u"whole"_s);
    CopyTree(start, whole);
    QElapsedTimer timer;
    timer.start();
    const TRun download = RunCli(whole, DownloadOwnFeed(whole));
    WholeRunMs = timer.elapsed();
    ASSERT_EQ(download.ExitCode, 0) << download.Err.toStdString();
    ASSERT_EQ(download.Err.count(SavingText), 2) << download.Err.toStdString();
    NewBytes = FileBytes(QDir(whole).filePath(u"Data/Position.dat"_s));

    // After the first day (Sunday, downloaded first) only its races are added.
    TByteLines newLines;
    TPositionFile::LoadPositions(newLines, QDir(whole).filePath(u"Data/Position.dat"_s));
    TByteLines sundayLines;
    for (const QByteArray& line : newLines) {
      if (!line.startsWith("20240511")) sundayLines.append(line);
    }
    SundayBytes = SavedBytes(sundayLines, Base->path());
    std::cout << "Position.dat " << OldBytes.size() << " bytes, " << OldLines.size() << " races; whole run "
              << WholeRunMs << " ms\n";
  }
  static void TearDownTestSuite() {
    delete Base;
    Base = nullptr;
  }

  // Each start directory downloads from the feed inside it.
  static QStringList DownloadOwnFeed(const QString& start) {
    // The saving notices it is stopped at are printed with --verbose only.
    return DownloadArgs(QDir(start).filePath(u"feed"_s)) << u"--verbose"_s;
  }

  static inline QTemporaryDir* Base = nullptr;
  static inline TByteLines OldLines;
  static inline QByteArray OldBytes;
  static inline QByteArray SundayBytes;
  static inline QByteArray NewBytes;
  static inline qint64 WholeRunMs = 0;
};

// When to kill: after the n-th position save has been announced (0: counted
// from the start of the process instead), once the process holds a file of
// the data folder open if asked, and how long after that.
struct TKillPoint {
  int SaveNumber;
  bool WhenFileOpen;
  int DelayUs;
};

TEST_F(InterruptedWriteTest, PositionFileIsAlwaysOneWholeVersion) {
  ASSERT_NE(Base, nullptr);
  ASSERT_NE(OldBytes, NewBytes);
  ASSERT_NE(SundayBytes, OldBytes);
  ASSERT_NE(SundayBytes, NewBytes);

  const int wholeRunUs = int(WholeRunMs * 1000);
  const TKillPoint points[] = {{1, false, 0},
                               {1, true, 0},
                               {1, true, 1000},
                               {1, false, 20000},
                               {2, false, 0},
                               {2, true, 0},
                               {2, true, 500},
                               {2, true, 3000},
                               {2, false, 60000},
                               {0, false, wholeRunUs / 4},
                               {0, false, wholeRunUs / 2}};
  int old = 0, sunday = 0, complete = 0, writing = 0, writingAsked = 0;
  for (const TKillPoint& point : points) {
    SCOPED_TRACE(testing::Message() << "save " << point.SaveNumber
                                    << (point.WhenFileOpen ? ", file open" : "") << " + " << point.DelayUs
                                    << " us");
    QTemporaryDir temp;
    const QString start = temp.filePath(u"start"_s);
    const QString data = QDir(start).filePath(u"Data"_s);
    CopyTree(Base->filePath(u"start"_s), start);

    const auto started = StartCli(start, DownloadOwnFeed(start));
    QProcess& process = *started;
    process.setReadChannel(QProcess::StandardError);
    ASSERT_TRUE(process.waitForStarted());
    QString err;
    while (point.SaveNumber > 0 && err.count(SavingText) < point.SaveNumber &&
           process.state() != QProcess::NotRunning) {
      process.waitForReadyRead(5);
      err += QString::fromUtf8(process.readAllStandardError());
    }
    if (point.WhenFileOpen) {
      QElapsedTimer waited;
      waited.start();
      while (!WritesInto(process.processId(), data) && !process.waitForFinished(0) &&
             waited.elapsed() < 5000) {
      }
      ++writingAsked;
    }
    QThread::usleep(point.DelayUs);
    writing += point.WhenFileOpen && WritesInto(process.processId(), data);
    process.kill();
    process.waitForFinished();

    const QString position = QDir(start).filePath(u"Data/Position.dat"_s);
    const QByteArray bytes = FileBytes(position);
    EXPECT_TRUE(bytes == OldBytes || bytes == SundayBytes || bytes == NewBytes) << bytes.size() << " bytes";
    old += bytes == OldBytes;
    sunday += bytes == SundayBytes;
    complete += bytes == NewBytes;
    TByteLines lines;
    const TPositionLoad load = TPositionFile::LoadPositions(lines, position);
    EXPECT_FALSE(load.Damaged);
    // The start-up backup and the record files are absent or whole as well.
    const QString backup = QDir(data).filePath(u"Position.bak"_s);
    if (QFile::exists(backup)) {
      EXPECT_EQ(FileBytes(backup), OldBytes);
    }
    for (const QString& name : {u"RaceData.dat"_s, u"UmaData.dat"_s, u"PayData.dat"_s}) {
      const QString path = QDir(data).filePath(name);
      if (QFile::exists(path)) {
        EXPECT_EQ(FileBytes(path), FileBytes(Base->filePath(u"whole/Data/"_s + name))) << name.toStdString();
      }
    }

    // Whatever the killed run left beside the file, the next run ends where
    // an uninterrupted one does.
    if (point.DelayUs == 0) {
      const TRun again = RunCli(start, DownloadOwnFeed(start));
      ASSERT_EQ(again.ExitCode, 0) << again.Err.toStdString();
      EXPECT_FALSE(again.Err.contains(u"壊れて"_s)) << again.Err.toStdString();
      EXPECT_EQ(FileBytes(position), NewBytes);
    }
  }
  std::cout << "killed runs left the old file " << old << " times, Sunday's " << sunday << ", the new "
            << complete << "; " << writing << " of " << writingAsked << " were killed with the file open\n";
  // The kills meant for the write must have met it at least once, or the
  // test shows nothing about an interrupted write.
  EXPECT_GT(writing, 0);
}

}  // namespace
}  // namespace hardening
