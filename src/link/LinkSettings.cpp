#include "link/LinkSettings.h"

#include "text/LineFile.h"

#include <QDir>
#include <QFile>

#include <algorithm>

namespace {

QString SettingsPath(const QString& startDir) {
  return QDir(startDir).filePath(QString::fromLatin1(TLinkSettings::FileName));
}

// A count that is not a plain non-negative decimal keeps its default.
int ReadCount(const QByteArray& value, int fallback, int maximum) {
  bool ok = false;
  const int n = value.trimmed().toInt(&ok);
  return ok && n >= 0 && n <= maximum ? n : fallback;
}

}  // namespace

TLinkSettings TLinkSettings::Held() const {
  TLinkSettings held = *this;
  held.SlowReads = std::max(held.SlowReads, 0);
  held.SlowDelayMs = std::clamp(held.SlowDelayMs, 0, MaxWaitMs);
  // A slow service is there to watch progress, never to stall a download for hours.
  if (held.SlowDelayMs > 0) held.SlowReads = std::min(held.SlowReads, MaxWaitMs / held.SlowDelayMs);
  return held;
}

TLinkSettings TLinkSettings::Load(const QString& startDir) {
  TLinkSettings settings;
  QFile file(SettingsPath(startDir));
  if (!file.open(QIODevice::ReadOnly)) return settings;
  // Paths may hold any character, so this file is UTF-8.
  for (const QByteArray& line : SplitLines(file.readAll())) {
    const qsizetype eq = line.indexOf('=');
    if (eq <= 0) continue;
    const QByteArray name = line.left(eq).trimmed();
    const QByteArray value = line.mid(eq + 1);
    if (name == "Folder") {
      settings.FeedFolder = QString::fromUtf8(value).trimmed();
    } else if (name == "SlowReads") {
      settings.SlowReads = ReadCount(value, settings.SlowReads, 1000);
    } else if (name == "SlowDelayMs") {
      settings.SlowDelayMs = ReadCount(value, settings.SlowDelayMs, 1000);
    } else if (name == "DemoSeed") {
      settings.DemoSeed = ReadCount(value, settings.DemoSeed, 2147483647);
    }
  }
  return settings.Held();
}

void TLinkSettings::Save(const QString& startDir) const {
  const TLinkSettings held = Held();
  const TByteLines lines{
      "[Feed]",
      "Folder=" + FeedFolder.toUtf8(),
      "SlowReads=" + QByteArray::number(held.SlowReads),
      "SlowDelayMs=" + QByteArray::number(held.SlowDelayMs),
      "DemoSeed=" + QByteArray::number(DemoSeed),
  };
  WriteLines(SettingsPath(startDir), lines);
}
