#include "race/CorrectedTimeExport.h"

#include "position/PositionLine.h"

#include "race/RaceSheet.h"
#include "records/JV_RACE.h"
#include "text/Errors.h"
#include "text/IntConvert.h"

#include <QDir>
#include <QFileInfo>

namespace {

constexpr int RacesPerDay = 12;
constexpr int ExportLineLength = 90;

// The header of a position line: key and distance must be there.
void RequirePositionLine(QByteArrayView positionLine) {
  if (!TPositionLine(positionLine).HasHeader())
    throw TConvertError(QStringLiteral("展開データのない競走の補正タイムは出力できません。"));
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
      throw TFileError(QStringLiteral("Cannot create Directory"));
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

// Puts the line into the race's place in its meeting file; true when written.
bool WriteExportLine(QByteArrayView positionLine, const QByteArray& line, bool overwrite,
                     const TSettings& settings) {
  const int day = KeyNumber(positionLine, 12);
  const int race = KeyNumber(positionLine, 14);
  const QString path = ExportFilePath(positionLine, settings.TargetDir);
  const QByteArray blank(ExportLineLength, ' ');
  TByteLines lines = QFileInfo::exists(path) ? ReadLines(path) : TByteLines(8 * RacesPerDay, blank);
  while (lines.size() < day * RacesPerDay)
    for (int i = 0; i < RacesPerDay; ++i) lines.append(blank);
  QByteArray& target = lines[(day - 1) * RacesPerDay + (race - 1)];
  const bool write = target == blank || overwrite;
  if (write) target = line;
  WriteLines(path, lines);
  return write;
}

// The race's line, once its key has been checked.
QByteArray CheckedLine(const TByteLines& horseList, const TSettings& settings) {
  const QByteArray positionLine = horseList.value(0);
  RequirePositionLine(positionLine);
  const int day = KeyNumber(positionLine, 12);
  const int race = KeyNumber(positionLine, 14);
  // Any other number would land on another race's line.
  if (day < 1 || race < 1 || race > RacesPerDay)
    throw TConvertError(QStringLiteral("競走 %1 の日次またはレース番号が範囲外です。")
                            .arg(QString::fromLatin1(positionLine.first(16))));
  return AddedTimeLine(horseList, settings.Distance);
}

}  // namespace

bool ExportCorrectedTimes(const TByteLines& horseList, bool overwrite, const TSettings& settings) {
  const QByteArray line = CheckedLine(horseList, settings);
  return WriteExportLine(horseList.value(0), line, overwrite, settings);
}

TExportAllResult ExportAllRaces(const QList<TRaceEntry>& raceLines, const TSettings& settings) {
  TExportAllResult result;
  TJV_RACE race;
  QList<std::pair<QByteArray, QByteArray>> work;  // position line, its line
  for (const TRaceEntry& entry : raceLines) {
    if (race.IsSteeplechase(entry.RaceLine)) continue;
    const QByteArray positionLine = entry.HorseList.value(0);
    RequirePositionLine(positionLine);
    // A straight course has no corners to lose ground in: nothing to export.
    if (IsStraightCourse(positionLine)) {
      ++result.Straight;
      continue;
    }
    work.append({positionLine, CheckedLine(entry.HorseList, settings)});
  }
  for (const auto& [positionLine, line] : std::as_const(work)) {
    const QString file = ExportFilePath(positionLine, settings.TargetDir);
    if (WriteExportLine(positionLine, line, false, settings))
      ++result.Written;
    else
      ++result.LeftAlone;
    if (!result.Files.contains(file)) result.Files.append(file);
  }
  return result;
}
