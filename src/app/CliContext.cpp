#include "CliContext.h"

#include "archive/ArchivedStore.h"
#include "demo/DemoService.h"
#include "link/Download.h"
#include "position/PositionFile.h"
#include "records/RaceRecord.h"
#include "shell/SettingsFile.h"
#include "shell/ShellState.h"
#include "store/DayStoreLoader.h"

#include <QDir>

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

void Write(std::FILE* file, const QByteArray& bytes) {
  std::fwrite(bytes.constData(), 1, size_t(bytes.size()), file);
  std::fflush(file);
}

}  // namespace

void TCliOutput::Out(const QString& text) const {
  Write(FOut, text.toUtf8());
}

void TCliOutput::Err(const QString& text) const {
  Write(FErr, text.toUtf8());
}

void TCliOutput::Json(const QJsonValue& value) const {
  const QJsonDocument document =
      value.isArray() ? QJsonDocument(value.toArray()) : QJsonDocument(value.toObject());
  Write(FOut, document.toJson(QJsonDocument::Indented));
}

void TCliDownloadObserver::ShowProgress(const QString& text) {
  if (FVerbose) FOutput.Err(text + u'\n');
}

void TCliDownloadObserver::ShowStatus(const QString& text) {
  if (FVerbose) FOutput.Err(QStringLiteral("  ") + text + u'\n');
}

void TCliDownloadObserver::DayDone(const TDownloadDay& day) {
  const QString date = QLocale(QLocale::Japanese).toString(day.Date, u"yyyy/MM/dd(ddd)"_s);
  if (!day.Failure.isEmpty())
    FOutput.Err(u"%1 取得できませんでした: %2\n"_s.arg(date, day.Failure));
  else if (!day.Racing)
    FOutput.Err(u"%1 開催なし\n"_s.arg(date));
  else
    FOutput.Err(u"%1 %2レース\n"_s.arg(date).arg(day.Races));
}

bool TCliDownloadObserver::ShowMaintenance(const QString& text) {
  // The start-up probe asks once a day: saying it once is enough.
  if (FVerbose || !FMaintenanceShown) FOutput.Err(text.trimmed() + u'\n');
  FMaintenanceShown = true;
  return false;
}

TCliSession::TCliSession(const QString& appDir, const QDateTime& now, const TCliOutput& output)
    : Clock(now), Link(appDir, Clock), Observer(output), Session(appDir, Link, Clock, Observer) {
  Link.SetDemoWriter(DemoFeedWriter());
  if (!Session.Shell().StartMessage.isEmpty()) output.Err(Session.Shell().StartMessage + u'\n');
}

QString ReadDataDir(const QString& appDir) {
  const QString dataPath = QDir(appDir).filePath(TShellState::DataDirName);
  return QFileInfo(dataPath).isDir() ? dataPath : appDir;
}

TReadOnlyStart OpenReadOnly(const QString& appDir) {
  TReadOnlyStart start;
  const QString dataDir = ReadDataDir(appDir);
  start.Settings = TSettingsFile(QDir(appDir).filePath(TSettingsFile::FileName)).Load(dataDir);
  start.Store.CornerNames = MakeCornerNames();
  QStringList notes;
  // False unless RaceData.dat and UmaData.dat are both there and loaded.
  if (!LoadDayStore(start.Store, dataDir, &notes)) {
    // One file of the pair without the other is a damaged set, not an empty one.
    QStringList missing;
    for (const char* name : {DataFile::Race, DataFile::Uma})
      if (!QFileInfo::exists(QDir(dataDir).filePath(QString::fromLatin1(name))))
        missing.append(QString::fromLatin1(name));
    if (missing.size() == 1) notes.append(QStringLiteral("%1 がありません。").arg(missing.first()));
  }
  // What is shown comes from files that look damaged: said on standard error,
  // standard output stays what the command prints.
  const TCliOutput output(stdout, stderr);
  for (const QString& note : std::as_const(notes)) output.Err(QStringLiteral("注意: ") + note + u'\n');
  return start;
}

namespace {

// The dates of the week's race file; reading it alone is cheap.
TByteLines WeekDates(const QString& dataDir) {
  const QString path = QDir(dataDir).filePath(QString::fromLatin1(DataFile::Race));
  if (!QFileInfo::exists(path)) return {};
  TRaceRecord race;
  TByteLines dates = SplitLines(race.DateList(LastOfEachRace(ReadLines(path))));
  std::sort(dates.begin(), dates.end());
  return dates;
}

bool InRange(const QByteArray& date, const QByteArray& from, const QByteArray& to) {
  return (from.isEmpty() || date >= from) && (to.isEmpty() || date <= to);
}

// True when the week files hold a day in the range: they stay the source of
// their days, as read before the archive, damage notes and all.
bool WeekServes(const TByteLines& week, const QByteArray& from, const QByteArray& to) {
  return std::any_of(week.cbegin(), week.cend(),
                     [&](const QByteArray& date) { return InRange(date, from, to); });
}

}  // namespace

TReadOnlyStart OpenDays(const QString& appDir, const QByteArray& from, const QByteArray& to) {
  const QString dataDir = ReadDataDir(appDir);
  const QString path = ArchivePath(dataDir);
  if (!QFileInfo::exists(path)) return OpenReadOnly(appDir);
  if (WeekServes(WeekDates(dataDir), from, to)) return OpenReadOnly(appDir);
  TArchive archive(path, TArchive::TAccess::Read);
  TReadOnlyStart start;
  start.Settings = TSettingsFile(QDir(appDir).filePath(TSettingsFile::FileName)).Load(dataDir);
  TByteLines positions;
  const TPositionLoad load = TPositionFile::LoadPositions(
      positions, QDir(dataDir).filePath(QString::fromLatin1(DataFile::Position)));
  if (load.Damaged) TCliOutput(stdout, stderr).Err(u"注意: %1\n"_s.arg(TPositionFile::DamageText(load)));
  start.Store = ArchivedStore(archive.DayRecords(from, to), positions, MakeCornerNames());
  // Every stored day, so the list can tell what lies before and after.
  start.Store.RaceDates.clear();
  for (const TArchivedDay& day : StoredDays(appDir)) start.Store.RaceDates.append(day.Date);
  return start;
}

QList<TArchivedDay> StoredDays(const QString& appDir, const QByteArray& from, const QByteArray& to) {
  const QString dataDir = ReadDataDir(appDir);
  const QString path = ArchivePath(dataDir);
  QList<TArchivedDay> days;
  const TByteLines week = WeekDates(dataDir);
  if (QFileInfo::exists(path))
    for (const TArchivedDay& day : TArchive(path, TArchive::TAccess::Read).DayList(from, to))
      if (!week.contains(day.Date)) days.append(day);
  if (!WeekServes(week, from, to)) return days;
  // Meetings in the order their races stand in the store, as the results list shows them.
  const TReadOnlyStart start = OpenReadOnly(appDir);
  TRaceRecord race;
  for (const QByteArray& date : start.Store.RaceDates) {
    if (!InRange(date, from, to)) continue;
    TArchivedDay day{date, {}};
    for (const TRaceEntry& entry : start.Store.Races) {
      if (race.RaceDate(entry.RaceLine) != date) continue;
      const QByteArray meeting = race.MeetingKey(entry.RaceLine);
      auto it = std::find_if(day.Meetings.begin(), day.Meetings.end(),
                             [&meeting](const auto& known) { return known.first == meeting; });
      if (it == day.Meetings.end()) it = day.Meetings.insert(day.Meetings.end(), {meeting, 0});
      ++it->second;
    }
    days.append(day);
  }
  std::sort(days.begin(), days.end(),
            [](const TArchivedDay& a, const TArchivedDay& b) { return a.Date < b.Date; });
  return days;
}

QByteArray CheckedDateArgument(const TCliArgs& args) {
  return CheckedDate(args.Positional.isEmpty() ? QString() : args.Positional.first());
}

QByteArray CheckedDateOption(const TCliArgs& args, const QString& option) {
  return CheckedDate(args.Value(option));
}

QByteArray CheckedDate(const QString& date) {
  if (date.isEmpty()) return {};
  if (date.size() != 8 || !std::all_of(date.begin(), date.end(), [](QChar c) { return c.isDigit(); }))
    throw TCliError(QStringLiteral("日付は YYYYMMDD で指定してください: %1").arg(date), true);
  return date.toLatin1();
}

QByteArray ChosenDate(const QString& appDir, const QByteArray& wanted) {
  const QList<TArchivedDay> days = StoredDays(appDir, wanted, wanted);
  if (!days.isEmpty()) return wanted.isEmpty() ? days.last().Date : wanted;
  if (wanted.isEmpty()) throw TCliError(NoDataMessage());
  throw TCliError(QStringLiteral("%1 の成績はありません。days で日付を確かめてください。")
                      .arg(QString::fromLatin1(wanted)));
}

QString NoDataMessage() {
  return QStringLiteral("成績データがありません。先に download を実行してください。");
}
