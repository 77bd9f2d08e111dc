#include "link/FeedLink.h"
#include "records/DateKey.h"

#include "text/Errors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <algorithm>

namespace {

bool IsDigits(const QByteArray& text, qsizetype length) {
  if (text.size() != length) return false;
  for (const char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

}  // namespace

TFeedLink::TFeedLink(QString startDir, const TClock& clock)
    : FStartDir(std::move(startDir)), FClock(clock), FSettings(TLinkSettings::Load(FStartDir)) {}

QString TFeedLink::FeedDir() const {
  const QString folder = FSettings.FeedFolder.trimmed();
  return QDir(FStartDir).absoluteFilePath(folder.isEmpty() ? QString::fromLatin1(DemoFolder) : folder);
}

QString TFeedLink::DayFile(const QByteArray& key) const {
  return FeedDir() + u'/' + QString::fromLatin1(RealtimeResultsKind) + u'/' + QString::fromLatin1(key) +
         QStringLiteral(".txt");
}

int TFeedLink::JVInit(const QString& softwareId) {
  FLastError.clear();
  if (softwareId.isEmpty()) return -101;
  // The settings were read at construction; reading them again here would
  // drop what a front end set for this run.
  FInitialised = true;
  return 0;
}

int TFeedLink::JVRTOpen(const QByteArray& dataKind, const QByteArray& key) {
  FLastError.clear();
  if (!FInitialised) return -201;
  if (FOpen) return -202;
  if (dataKind != RealtimeResultsKind) return -114;
  // The key becomes part of a file name: a date and nothing else.
  if (!DateOfKey(key).isValid()) return -112;
  if (QFileInfo::exists(FeedDir() + QStringLiteral("/MAINTENANCE"))) return -504;
  if (IsDemo()) WriteMissingDemoDay(key);
  if (!QFileInfo::exists(DayFile(key))) return -1;
  FOpen = true;
  FOpenKey = key;
  FLoaded = false;
  FReadFailed = false;
  FDayBytes.clear();
  FPos = 0;
  FPendingLeft = FSettings.SlowReads;
  FWaitLeftMs = TLinkSettings::MaxWaitMs;
  return 0;
}

void TFeedLink::WriteMissingDemoDay(const QByteArray& key) {
  if (!FDemoWriter || QFileInfo::exists(DayFile(key))) return;
  const QDate day = DateOfKey(key);
  const QDate today = FClock.Now().date();
  if (day > today || day <= today.addDays(-RecentDays)) return;
  try {
    FDemoWriter(FeedDir(), day, FSettings.DemoSeed);
  } catch (const TRavekError& error) {
    // The day then has no data; the reason stays available for a message.
    FLastError = error.Message();
  }
}

bool TFeedLink::LoadDay() {
  QFile file(DayFile(FOpenKey));
  if (!file.open(QIODevice::ReadOnly)) {
    FLastError = file.errorString();
    return false;
  }
  FDayBytes = file.readAll();
  if (file.error() != QFileDevice::NoError) {
    FLastError = file.errorString();
    return false;
  }
  return true;
}

int TFeedLink::JVRead(QByteArray& buffer, int size, QString& fileName) {
  // The buffer grows to the record, so the caller's size needs no check.
  Q_UNUSED(size);
  fileName.clear();
  buffer.clear();
  if (!FOpen) return -203;
  if (!FLoaded) {
    FLoaded = true;
    FReadFailed = !LoadDay();
  }
  if (FReadFailed) return -402;
  // The waits of one day stay within MaxWaitMs in all, however many records it has.
  if (FPendingLeft > 0 && FWaitLeftMs > 0) {
    --FPendingLeft;
    const int wait = std::min(FSettings.SlowDelayMs, FWaitLeftMs);
    if (wait > 0) QThread::msleep(static_cast<unsigned long>(wait));
    FWaitLeftMs -= wait;
    return -1;
  }
  // Lines end in LF; a CR before it is the record's own. Blank lines carry no record.
  while (FPos < FDayBytes.size()) {
    qsizetype end = FDayBytes.indexOf('\n', FPos);
    const qsizetype next = end < 0 ? FDayBytes.size() : end + 1;
    if (end < 0) end = FDayBytes.size();
    if (end > FPos && FDayBytes[end - 1] == '\r') --end;
    const qsizetype start = FPos;
    FPos = next;
    if (end == start) continue;
    buffer = FDayBytes.sliced(start, end - start);
    buffer.append("\r\n", 2);
    FPendingLeft = FSettings.SlowReads;
    return static_cast<int>(buffer.size());
  }
  return 0;
}

int TFeedLink::JVClose() {
  FOpen = false;
  FOpenKey.clear();
  FDayBytes.clear();
  FLoaded = false;
  FReadFailed = false;
  return 0;
}

int TFeedLink::JVSetUIProperties() {
  FLastError.clear();
  if (!FSettingsEditor) return 0;
  TLinkSettings edited = FSettings;
  if (!FSettingsEditor(edited)) return 0;
  try {
    edited.Save(FStartDir);
  } catch (const TRavekError& error) {
    FLastError = error.Message();
    return -401;
  }
  FSettings = edited.Held();
  return 0;
}

QString TFeedLink::ReplayFile(const QByteArray& raceKey) const {
  if (!IsDigits(raceKey, 16)) return {};
  const QDir movies(FeedDir() + QStringLiteral("/movies"));
  const QStringList found =
      movies.entryList({QString::fromLatin1(raceKey) + QStringLiteral(".*")}, QDir::Files, QDir::Name);
  return found.isEmpty() ? QString() : movies.filePath(found.first());
}

int TFeedLink::JVMVCheck(const QByteArray& raceKey) {
  return ReplayFile(raceKey).isEmpty() ? 0 : 1;
}

int TFeedLink::JVMVPlay(const QByteArray& raceKey) {
  const QString path = ReplayFile(raceKey);
  if (path.isEmpty()) return -1;
  if (FPlayer) FPlayer(path);
  return 0;
}
