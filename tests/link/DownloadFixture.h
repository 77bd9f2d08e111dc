#pragma once

// The download tests' fixture: a scripted link, a fixed clock, a temporary
// data directory and an observer that records everything shown.

#include "link/Download.h"

#include "support/RecordLines.h"
#include "support/ScriptedLink.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <functional>

using namespace Qt::StringLiterals;

// Everything the download shows, in order: "status:...", "progress:...",
// "close", "events", "maintenance:...".
class TRecordingObserver : public TDownloadObserver {
public:
  void ShowProgress(const QString& text) override { Log.append(u"progress:"_s + text); }
  void CloseProgress() override { Log.append(u"close"_s); }
  void ShowStatus(const QString& text) override { Log.append(u"status:"_s + text); }
  void ProcessPendingEvents() override {
    Log.append(u"events"_s);
    if (OnEvents) OnEvents();
  }
  bool ShowMaintenance(const QString& text) override {
    Log.append(u"maintenance:"_s + text);
    return PressOk;
  }
  void DataFileReplaced(const QString& name) override {
    if (OnReplaced) OnReplaced(name);
  }

  QStringList Named(const QString& prefix) const {
    QStringList texts;
    for (const QString& entry : Log)
      if (entry.startsWith(prefix)) texts.append(entry.mid(prefix.size()));
    return texts;
  }

  QStringList Log;
  bool PressOk = false;
  std::function<void()> OnEvents;
  std::function<void(const QString&)> OnReplaced;
};

// A 3-horse 1200 m race with passing orders at the third and fourth corners.
inline QByteArray Race(QByteArrayView key, char kind = '7') {
  TRecordBuilder builder = RaceBuilder(key);
  builder.SetBytes(KeyField::DataKind, QByteArray(1, kind));
  return builder.SetDistance(1200)
      .SetHorseCount(3)
      .SetCorner(0, 3, "(*1,3)-2")
      .SetCorner(1, 4, "1,3-2")
      .SetCorner(2, 0, "")
      .SetCorner(3, 0, "")
      .Line();
}

inline QByteArray Uma(QByteArrayView key, int horse, int arrival, char kind = '7') {
  TRecordBuilder builder = RunnerBuilder(key, horse, arrival);
  return builder.SetBytes(KeyField::DataKind, QByteArray(1, kind)).Line();
}

inline QByteArray Pay(QByteArrayView key, char kind = '1') {
  TRecordBuilder builder = PayBuilder(key);
  return builder.SetBytes(KeyField::DataKind, QByteArray(1, kind)).Line();
}

inline QList<QByteArray> RaceWithHorses(QByteArrayView key) {
  return {Race(key), Uma(key, 1, 1), Uma(key, 3, 2), Uma(key, 2, 3), Pay(key)};
}

inline QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

class DownloadTest : public ::testing::Test {
protected:
  QString Path(const char* name) const { return QDir(Dir.path()).filePath(QString::fromLatin1(name)); }

  void SetNow(int hour, int minute, int second = 0, int ms = 0) {
    Clock.SetNow(QDateTime(QDate(2024, 5, 12), QTime(hour, minute, second, ms)));
  }

  TDownloadResult Download() {
    TDownload download(Link, Clock, Store, Dir.path(), Observer);
    return download.Run();
  }

  TByteLines Lines(const char* name) const { return ReadLines(Path(name)); }

  QTemporaryDir Dir;
  TScriptedLink Link;
  TFixedClock Clock{QDateTime(QDate(2024, 5, 12), QTime(12, 0))};
  TDayStore Store;
  TRecordingObserver Observer;
};
