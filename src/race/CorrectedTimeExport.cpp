#include "race/CorrectedTimeExport.h"

#include "position/PositionLine.h"

#include "race/RaceSheet.h"
#include "records/RaceRecord.h"
#include "text/Errors.h"
#include "text/IntConvert.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

#include <algorithm>

namespace {

constexpr int RacesPerDay = 12;
constexpr int ExportLineLength = 90;

// The header of a position line: key and distance must be there.
void RequirePositionLine(QByteArrayView positionLine) {
  if (!TPositionLine(positionLine).HasHeader())
    throw TDataError(QStringLiteral("展開データのない競走の補正タイムは出力できません。"));
}

// Two digits of the race key: venue (8), meeting (10), day (12), race (14).
int KeyNumber(QByteArrayView positionLine, qsizetype offset) {
  return StrToInt(TPositionLine(positionLine).RaceKey().sliced(offset, 2));
}

}  // namespace

QString ExportFileName(QByteArrayView positionLine) {
  RequirePositionLine(positionLine);
  const QByteArrayView year = positionLine.first(4);
  StrToInt(year);
  const int venue = KeyNumber(positionLine, 8);
  const int meeting = KeyNumber(positionLine, 10);
  return QStringLiteral("FT") + QString::fromLatin1(year) + QString::number(meeting) +
         (venue == 10 ? QStringLiteral("A") : QString::number(venue)) + QStringLiteral(".dat");
}

QString ExportFilePath(QByteArrayView positionLine, const QString& targetDir) {
  const QString name = ExportFileName(positionLine);
  if (targetDir.endsWith(QStringLiteral("FUKA_TIME"))) {
    const QString year = QString::fromLatin1(positionLine.first(4));
    const QString yearDir = targetDir + u'/' + year;
    if (!QFileInfo(yearDir).isDir() && !QDir(targetDir).mkdir(year))
      throw TFileError(
          QStringLiteral(
              "補正タイムの年フォルダ「%1」を作成できません。出力先フォルダ「%2」があるか確かめてください。")
              .arg(QDir::toNativeSeparators(yearDir), QDir::toNativeSeparators(targetDir)));
    return yearDir + u'/' + name;
  }
  // An empty folder name would mean the current directory: no path either.
  if (targetDir.isEmpty() || !QFileInfo(targetDir).isDir())
    throw TFileError(QStringLiteral("補正タイムの出力先フォルダ「%1」がないため、%2 を作成できません。")
                         .arg(QDir::toNativeSeparators(targetDir), name));
  return targetDir + u'/' + name;
}

QString ResolveTargetDir(const QString& targetDir, const QString& dataDir) {
  if (targetDir.isEmpty() || QDir::isAbsolutePath(targetDir)) return targetDir;
  return QDir(dataDir).filePath(targetDir);
}

namespace {

const QByteArray BlankLine(ExportLineLength, ' ');

// Where a race's line goes in its meeting file.
struct TLinePlace {
  int Day = 0;
  qsizetype Index = 0;
};

TLinePlace PlaceOf(QByteArrayView positionLine) {
  const int day = KeyNumber(positionLine, 12);
  return {day, qsizetype(day - 1) * RacesPerDay + (KeyNumber(positionLine, 14) - 1)};
}

TByteLines ReadExportFile(const QString& path) {
  return QFileInfo::exists(path) ? ReadLines(path) : TByteLines(8 * RacesPerDay, BlankLine);
}

// Puts the line into its place, lengthening the file by whole days; true when written.
bool PutLine(TByteLines& lines, TLinePlace place, const QByteArray& line, bool overwrite) {
  while (lines.size() < qsizetype(place.Day) * RacesPerDay)
    for (int i = 0; i < RacesPerDay; ++i) lines.append(BlankLine);
  QByteArray& target = lines[place.Index];
  const bool write = target == BlankLine || overwrite;
  if (write) target = line;
  return write;
}

// The race's line, once its key has been checked.
QByteArray CheckedLine(const TRaceEntry& entry, const TSettings& settings) {
  const QByteArray& positionLine = entry.PositionLine;
  RequirePositionLine(positionLine);
  const int day = KeyNumber(positionLine, 12);
  const int race = KeyNumber(positionLine, 14);
  const QString key = QString::fromLatin1(positionLine.first(16));
  // Any other number would land on another race's line.
  if (day < 1 || race < 1 || race > RacesPerDay)
    throw TConvertError(QStringLiteral("競走 %1 の日次またはレース番号が範囲外です。").arg(key));
  // Without runners the line would be blank, and could blank a written one.
  if (entry.Runners.isEmpty())
    throw TDataError(
        QStringLiteral("競走 %1 の出走馬のデータがないため、補正タイムを出力できません。").arg(key));
  return AddedTimeLine(positionLine, entry.Runners, settings.Distance);
}

}  // namespace

QStringList ExportFailureLines(const QList<TExportFailure>& failures) {
  // A missing folder fails every race the same way: one line, not one per race.
  QStringList reasons;
  QHash<QString, QStringList> keys;
  for (const TExportFailure& failure : failures) {
    if (!keys.contains(failure.Reason)) reasons.append(failure.Reason);
    keys[failure.Reason].append(QString::fromLatin1(failure.RaceKey));
  }
  QStringList lines;
  for (const QString& reason : std::as_const(reasons))
    lines.append(QStringLiteral("レース %1: %2").arg(keys[reason].join(QStringLiteral(", ")), reason));
  return lines;
}

bool ExportCorrectedTimes(const TRaceEntry& race, bool overwrite, const TSettings& settings) {
  const QByteArray line = CheckedLine(race, settings);
  const QByteArray& positionLine = race.PositionLine;
  const QString path = ExportFilePath(positionLine, settings.TargetDir);
  TByteLines lines = ReadExportFile(path);
  const bool written = PutLine(lines, PlaceOf(positionLine), line, overwrite);
  WriteLines(path, lines);
  return written;
}

TExportAllResult ExportAllRaces(const QList<TRaceEntry>& raceLines, const TSettings& settings) {
  TExportAllResult result;
  TRaceRecord race;
  struct TPending {
    qsizetype Order;
    QByteArray RaceKey;
    TLinePlace Place;
    QByteArray Line;
  };
  QStringList paths;  // in order of first use
  QHash<QString, QList<TPending>> pending;
  QList<std::pair<qsizetype, TExportFailure>> failed;
  for (qsizetype i = 0; i < raceLines.size(); ++i) {
    const TRaceEntry& entry = raceLines[i];
    if (race.IsSteeplechase(entry.RaceLine)) continue;
    const QByteArray key = race.RaceKey(entry.RaceLine);
    try {
      const QByteArray& positionLine = entry.PositionLine;
      RequirePositionLine(positionLine);
      // A straight course has no corners to lose ground in: nothing to export.
      if (IsStraightCourse(positionLine)) {
        ++result.Straight;
        continue;
      }
      const QByteArray line = CheckedLine(entry, settings);
      // Only a line with a value counts as written; a blank one changes nothing.
      if (line == BlankLine) {
        ++result.NoValues;
        continue;
      }
      const QString path = ExportFilePath(positionLine, settings.TargetDir);
      if (!pending.contains(path)) paths.append(path);
      pending[path].append({i, key, PlaceOf(positionLine), line});
    } catch (const TRavekError& error) {
      failed.append({i, {key, error.Message()}});
    }
  }
  for (const QString& path : std::as_const(paths)) {
    const QList<TPending>& races = pending[path];
    int written = 0;
    int kept = 0;
    try {
      TByteLines lines = ReadExportFile(path);
      for (const TPending& r : races) PutLine(lines, r.Place, r.Line, false) ? ++written : ++kept;
      if (written > 0) {
        WriteLines(path, lines);
        result.Files.append(path);
      }
    } catch (const TRavekError& error) {
      for (const TPending& r : races) failed.append({r.Order, {r.RaceKey, error.Message()}});
      continue;
    }
    result.Written += written;
    result.LeftAlone += kept;
  }
  std::stable_sort(failed.begin(), failed.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  for (const auto& [order, failure] : std::as_const(failed)) result.Failed.append(failure);
  return result;
}
