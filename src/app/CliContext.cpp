#include "CliContext.h"

#include "demo/DemoService.h"
#include "shell/SettingsFile.h"
#include "shell/ShellState.h"
#include "store/DayStoreLoader.h"

#include <QDir>

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>

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
  FOutput.Err(text + u'\n');
}

void TCliDownloadObserver::ShowStatus(const QString& text) {
  FOutput.Err(QStringLiteral("  ") + text + u'\n');
}

bool TCliDownloadObserver::ShowMaintenance(const QString& text) {
  FOutput.Err(text.trimmed() + u'\n');
  return false;
}

TCliSession::TCliSession(const QString& appDir, const QDateTime& now, const TCliOutput& output)
    : Clock(now), Link(appDir, Clock), Observer(output), Session(appDir, Link, Clock, Observer) {
  Link.SetDemoWriter(DemoFeedWriter());
  if (!Session.Shell().StartMessage.isEmpty()) output.Err(Session.Shell().StartMessage + u'\n');
}

TReadOnlyStart OpenReadOnly(const QString& appDir) {
  TReadOnlyStart start;
  const QString dataPath = QDir(appDir).filePath(TShellState::DataDirName);
  const QString dataDir = QFileInfo(dataPath).isDir() ? dataPath : appDir;
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

QByteArray CheckedDateArgument(const TCliArgs& args) {
  if (args.Positional.isEmpty()) return {};
  const QString date = args.Positional.first();
  if (date.size() != 8 || !std::all_of(date.begin(), date.end(), [](QChar c) { return c.isDigit(); }))
    throw TCliError(QStringLiteral("日付は YYYYMMDD で指定してください: %1").arg(date), true);
  return date.toLatin1();
}

QByteArray ChosenDate(const TDayStore& store, const QByteArray& wanted) {
  if (store.RaceDates.isEmpty()) throw TCliError(NoDataMessage());
  if (wanted.isEmpty()) return *std::max_element(store.RaceDates.begin(), store.RaceDates.end());
  if (!store.RaceDates.contains(wanted))
    throw TCliError(QStringLiteral("%1 の成績はありません。days で日付を確かめてください。")
                        .arg(QString::fromLatin1(wanted)));
  return wanted;
}

QString NoDataMessage() {
  return QStringLiteral("成績データがありません。先に download を実行してください。");
}
