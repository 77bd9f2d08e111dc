#pragma once

// Damaged and hostile input through the whole program: each case prepares a
// start directory, runs one command and checks the exit code, the message and
// what the files hold afterwards. One fixture runs the tables of the three
// Malformed*Test.cpp files: data and settings, the feed, the position file.

#include "position/PositionFile.h"
#include "position/PositionLine.h"
#include "records/RecordLayout.h"
#include "store/DayStoreLoader.h"
#include "support/CliHarness.h"
#include "support/RecordLines.h"
#include "text/Cp932.h"
#include "text/LineFile.h"

#include <QSet>
#include <QTemporaryDir>

#include <algorithm>
#include <functional>
#include <string>

namespace hardening {

using namespace Qt::StringLiterals;

inline const QString SundayMain = u"2024051205020611"_s;  // 東京 11R on Sunday 12 May 2024
// The meeting file of 東京 2回 2024 and the line of its 6th day's 11R.
inline const QString SundayMainExport = u"FT202425.dat"_s;
inline constexpr int SundayMainExportLine = 5 * 12 + 10;
inline constexpr int ExportLineLength = 90;

struct TCaseDir {
  QString Start;
  QString Feed;
  QString Data(const QString& name = {}) const { return QDir(Start).filePath(u"Data/"_s + name); }
  QString At(const QString& relative) const { return QDir(Start).filePath(relative); }
};

// A one-race feed day: the default race of the record helpers with sixteen
// runners and its payout, the race record first.
inline QByteArray OneRaceDay(const QByteArray& raceLine, const QList<QByteArray>& horseLines) {
  QByteArray day = raceLine + "\r\n";
  for (const QByteArray& horse : horseLines) day += horse + "\r\n";
  day += PayBuilder().Line() + "\r\n";
  return day;
}

// The default race passing its third and fourth corners in `order`.
inline QByteArray RaceWithOrder(QByteArrayView order) {
  return RaceBuilder()
      .SetCorner(0, 3, order)
      .SetCorner(1, 4, order)
      .SetCorner(2, 0, "")
      .SetCorner(3, 0, "")
      .Line();
}

inline QList<QByteArray> SixteenRunners() {
  QList<QByteArray> horses;
  for (int n = 1; n <= 16; ++n) horses.append(MakeRunnerLine(DefaultRaceKey, n, n));
  return horses;
}

// Replaces the whole feed by one day's file.
inline void WriteFeedDay(const QString& feed, const char* day, const QByteArray& bytes) {
  QDir(feed).removeRecursively();
  WriteBytes(QDir(feed).filePath(u"0B12/"_s + QString::fromLatin1(day) + u".txt"_s), bytes);
}

inline QStringList Download(const TCaseDir& dir) {
  return DownloadArgs(dir.Feed);
}

inline TByteLines PositionLines(const QString& path, TPositionLoad* load = nullptr) {
  TByteLines lines;
  const TPositionLoad result = TPositionFile::LoadPositions(lines, path);
  if (load != nullptr) *load = result;
  return lines;
}

inline bool AllDigits(const QByteArray& line) {
  return std::all_of(line.cbegin(), line.cend(), [](char c) { return c >= '0' && c <= '9'; });
}

// Files of the data directory that a download rewrites on every run.
inline QMap<QString, QByteArray> DataFilesOf(const QString& dataDir) {
  QMap<QString, QByteArray> files = Snapshot(dataDir);
  files.remove(u"Position.bak"_s);
  return files;
}

using TFiles = QMap<QString, QByteArray>;

struct TMalformedCase;
inline void PrintTo(const TMalformedCase& c, std::ostream* os);

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

// A case by its name in test messages.
inline void PrintTo(const TMalformedCase& c, std::ostream* os) {
  *os << c.Name;
}

// Every file unchanged but the backup that start-up makes, which must be a copy of Position.dat.
inline void ExpectUnchanged(const TCaseDir& dir, const TFiles& before) {
  TFiles after = Snapshot(dir.Start);
  if (!before.contains(u"Data/Position.bak"_s) && after.contains(u"Data/Position.bak"_s)) {
    EXPECT_EQ(after.take(u"Data/Position.bak"_s), before.value(u"Data/Position.dat"_s));
  }
  EXPECT_TRUE(after == before) << ChangedFiles(before, after).join(u", ").toStdString();
}

// The data files but the backup, which every start-up refreshes, and the
// archive, which a download that ends rewrites with the same records.
inline void ExpectDataFilesUnchanged(const TCaseDir& dir, const TFiles& before) {
  TFiles dataBefore;
  for (auto it = before.cbegin(); it != before.cend(); ++it) {
    if (it.key().startsWith(u"Data/") && it.key() != u"Data/Position.bak" &&
        !it.key().startsWith(u"Data/Archive."))
      dataBefore.insert(it.key().mid(5), it.value());
  }
  TFiles dataAfter = DataFilesOf(dir.Data());
  dataAfter.remove(u"Archive.db"_s);
  dataAfter.remove(u"Archive.bak"_s);
  EXPECT_TRUE(dataAfter == dataBefore) << ChangedFiles(dataBefore, dataAfter).join(u", ").toStdString();
}

// A command line that does not depend on the case's directories.
inline std::function<QStringList(const TCaseDir&)> Command(const QStringList& args) {
  return [args](const TCaseDir&) { return args; };
}

// One start directory for the whole table: the demo week of 12 May 2024,
// downloaded on Monday morning; every case works on its own copy.
class MalformedDataTest : public testing::TestWithParam<TMalformedCase> {
protected:
  static void SetUpTestSuite() {
    Base = new QTemporaryDir;
    const QString start = Base->filePath(u"start"_s);
    DownloadDemoWeek(start, QDir(start).filePath(u"feed"_s), u"3"_s);
  }
  static void TearDownTestSuite() {
    delete Base;
    Base = nullptr;
  }

  static inline QTemporaryDir* Base = nullptr;
};

inline std::string CaseName(const testing::TestParamInfo<TMalformedCase>& info) {
  return std::string(info.param.Name);
}

}  // namespace hardening
