#include "CliCommands.h"
#include "TextTable.h"

#include "archive/ArchivedStore.h"
#include "link/FeedImport.h"
#include "position/PositionFile.h"
#include "race/RunHistory.h"
#include "records/DateKey.h"
#include "shell/SettingsFile.h"
#include "shell/ShellState.h"
#include "store/DayStoreLoader.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// Names found by part of a name are offered up to this many.
constexpr int MatchLimit = 50;

// The start directory's archive, settings and position lines, for reading.
struct TArchiveReader {
  explicit TArchiveReader(const QString& appDir)
      : DataDir(ReadDataDir(appDir)),
        Archive(OpenArchive(DataDir)),
        Settings(TSettingsFile(QDir(appDir).filePath(TSettingsFile::FileName)).Load(DataDir)) {
    (void)TPositionFile::LoadPositions(Positions,
                                       QDir(DataDir).filePath(QString::fromLatin1(DataFile::Position)));
  }
  static TArchive OpenArchive(const QString& dataDir) {
    if (!QFileInfo::exists(ArchivePath(dataDir)))
      throw TCliError(u"アーカイブがありません。先に download か import を実行してください。"_s);
    return TArchive(ArchivePath(dataDir), TArchive::TAccess::Read);
  }
  QString DataDir;
  TArchive Archive;
  TSettings Settings;
  TByteLines Positions;
};

QString Slashed(const QByteArray& key) {
  return DateOfKey(key.left(8)).toString(u"yyyy/MM/dd"_s);
}

QString Spot(int row, int lane) {
  return row > 0 ? u"%1-%2"_s.arg(row).arg(lane) : u"-"_s;
}

QJsonObject RunJson(const TRunRow& run) {
  return {{u"raceKey"_s, QString::fromLatin1(run.RaceKey)},
          {u"date"_s, QString::fromLatin1(run.RaceKey.left(8))},
          {u"venue"_s, run.Venue},
          {u"race"_s, run.RaceNumber},
          {u"course"_s, run.Course},
          {u"going"_s, run.Going},
          {u"horseNumber"_s, run.HorseNumber},
          {u"name"_s, run.Name},
          {u"jockey"_s, run.Jockey},
          {u"place"_s, run.Place},
          {u"runTime"_s, run.RunTime},
          {u"converted"_s, run.Converted},
          {u"speed"_s, run.Speed},
          {u"corner3"_s, QJsonObject{{u"row"_s, run.Row3}, {u"lane"_s, run.Lane3}}},
          {u"corner4"_s, QJsonObject{{u"row"_s, run.Row4}, {u"lane"_s, run.Lane4}}},
          {u"groundLost"_s, run.GroundLost},
          {u"addedTime"_s, run.AddedTime}};
}

QStringList RunCells(const TRunRow& run) {
  return {Slashed(run.RaceKey),
          run.Venue,
          u"%1R"_s.arg(run.RaceNumber),
          run.Course,
          run.Going,
          QString::number(run.HorseNumber),
          run.Name,
          run.Jockey,
          run.Place,
          run.RunTime,
          run.Converted,
          run.Speed,
          Spot(run.Row3, run.Lane3),
          Spot(run.Row4, run.Lane4),
          QString::number(run.GroundLost),
          run.AddedTime};
}

const QStringList RunHeader{u"日付"_s, u"場"_s,   u"R"_s,    u"コース"_s, u"馬場"_s, u"番"_s,
                            u"馬名"_s, u"騎手"_s, u"着"_s,   u"走破"_s,   u"実走"_s, u"m/min"_s,
                            u"３角"_s, u"４角"_s, u"ロス"_s, u"付加"_s};

// The one name the part stands for: itself when a name is exactly that,
// else the only match; several matches are listed for the user to choose.
QString ChosenName(const QList<TNameMatch>& matches, const QString& part, const QString& what) {
  for (const TNameMatch& match : matches)
    if (match.Name == part.trimmed()) return match.Name;
  if (matches.size() == 1) return matches.first().Name;
  if (matches.isEmpty()) throw TCliError(u"%1「%2」はアーカイブにありません。"_s.arg(what, part));
  QStringList names;
  for (const TNameMatch& match : matches)
    names.append(u"  %1（%2戦、最終 %3）"_s.arg(match.Name).arg(match.Runs).arg(Slashed(match.LastDay)));
  throw TCliError(u"「%1」に当たる%2が %3 あります。名前をもっと詳しく指定してください:\n%4"_s.arg(part, what)
                      .arg(matches.size())
                      .arg(names.join(u'\n')));
}

int PrintRuns(const TCliArgs& args, const TCliOutput& output, const QString& name,
              const QList<TRunRow>& rows) {
  if (args.Flags.contains(u"--json"_s)) {
    QJsonArray list;
    for (const TRunRow& row : rows) list.append(RunJson(row));
    output.Json(QJsonObject{{u"name"_s, name}, {u"runs"_s, list}});
    return 0;
  }
  TTextTable table;
  table.AddRow(RunHeader);
  for (const TRunRow& row : rows) table.AddRow(RunCells(row));
  output.Out(u"%1  %2戦\n"_s.arg(name).arg(rows.size()) + table.Render());
  return 0;
}

// Every run of the horse or jockey the name part stands for.
int RunHistory(const TCliArgs& args, const TCliOutput& output, bool jockey) {
  TArchiveReader reader(args.AppDir);
  TArchive& archive = reader.Archive;
  const QString part = args.Positional.first();
  const QString name = jockey ? ChosenName(archive.FindJockeys(part, MatchLimit), part, u"騎手"_s)
                              : ChosenName(archive.FindHorses(part, MatchLimit), part, u"馬"_s);
  const QList<TRunKey> runs = jockey ? archive.JockeyRuns(name) : archive.HorseRuns(name);
  return PrintRuns(args, output, name, HistoryRows(archive, runs, reader.Positions, reader.Settings));
}

}  // namespace

int RunHorse(const TCliArgs& args, const TCliOutput& output) {
  return RunHistory(args, output, false);
}

int RunJockey(const TCliArgs& args, const TCliOutput& output) {
  return RunHistory(args, output, true);
}

int RunWide(const TCliArgs& args, const TCliOutput& output) {
  TArchiveReader reader(args.AppDir);
  QByteArray from = CheckedDateOption(args, u"--from"_s), to = CheckedDateOption(args, u"--to"_s);
  // Without dates: the latest racing day.
  if (from.isEmpty() && to.isEmpty()) {
    const TByteLines days = reader.Archive.RacingDays();
    if (days.isEmpty()) throw TCliError(NoDataMessage());
    from = to = days.last();
  }
  TWideCriteria criteria;
  criteria.MinLoss = ParseCount(u"--min-loss"_s, args.Value(u"--min-loss"_s, u"10"_s), 0, 1000);
  criteria.MinGain = ParseCount(u"--min-gain"_s, args.Value(u"--min-gain"_s, u"0"_s), 0, 18);
  const QList<TWideTrip> trips =
      WideTrips(reader.Archive, from, to, reader.Positions, reader.Settings, criteria);
  if (args.Flags.contains(u"--json"_s)) {
    QJsonArray list;
    for (const TWideTrip& trip : trips) {
      QJsonObject run = RunJson(trip.Run);
      run.insert(u"convertedRank"_s, trip.Run.ConvertedRank);
      run.insert(u"next"_s, trip.Next.RaceKey.isEmpty() ? QJsonValue() : QJsonValue(RunJson(trip.Next)));
      list.append(run);
    }
    output.Json(list);
    return 0;
  }
  TTextTable table;
  table.AddRow(RunHeader + QStringList{u"実走順"_s, u"次走"_s});
  for (const TWideTrip& trip : trips) {
    const QString next = trip.Next.RaceKey.isEmpty()
                             ? u"-"_s
                             : u"%1 %2%3R %4"_s.arg(Slashed(trip.Next.RaceKey), trip.Next.Venue)
                                   .arg(trip.Next.RaceNumber)
                                   .arg(trip.Next.Place);
    table.AddRow(RunCells(trip.Run) + QStringList{QString::number(trip.Run.ConvertedRank), next});
  }
  output.Out(u"大外を回った馬・実走で着順を上回った馬: %1頭\n"_s.arg(trips.size()) + table.Render());
  return 0;
}

int RunImport(const TCliArgs& args, const TCliOutput& output) {
  const QString feed = AbsolutePath(args.Positional.first());
  const QString dataDir = TShellState::SettleDataDir(args.AppDir, true);
  // Before the archive is made: a wrong folder leaves nothing behind.
  FeedDayFolder(feed);
  TArchive archive(ArchivePath(dataDir), TArchive::TAccess::Write);
  // One line that rewrites itself, on a terminal only.
  const bool terminal = isatty(fileno(output.ErrFile())) != 0;
  const TImportResult result =
      ImportFeed(feed, CheckedDateOption(args, u"--from"_s), CheckedDateOption(args, u"--to"_s), archive,
                 dataDir, [&](int done, int total, const QByteArray& day) {
                   if (terminal)
                     output.Err(u"\r取り込み中 %1/%2 日 (%3)"_s.arg(done).arg(total).arg(Slashed(day)) +
                                (done == total ? u"\n"_s : QString()));
                 });
  for (const QString& message : result.Messages) output.Err(message + u'\n');
  archive.BackupTo(ArchiveBackupPath(dataDir));
  output.Out(u"%1日分 %2レースをアーカイブに取り込みました。\n"_s.arg(result.Days).arg(result.Races));
  if (result.FailedDays.isEmpty()) return 0;
  output.Err(u"取り込めなかった日があります:\n"_s);
  for (const QString& day : result.FailedDays) output.Err(u"  "_s + day + u'\n');
  return 2;
}

int RunRestore(const TCliArgs& args, const TCliOutput& output) {
  const QString dataDir = ReadDataDir(args.AppDir);
  TArchive::Restore(ArchiveBackupPath(dataDir), ArchivePath(dataDir));
  output.Out(
      u"アーカイブを控え %1 から戻しました。\n"_s.arg(QDir::toNativeSeparators(ArchiveBackupPath(dataDir))));
  return 0;
}
