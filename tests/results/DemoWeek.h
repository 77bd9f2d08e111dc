#pragma once

// The day store a download of a demo week leaves behind: the demo feed is
// downloaded into a data directory of its own and loaded as the program loads it.

#include "link/Download.h"
#include "link/FeedLink.h"

#include <QDate>
#include <QDir>
#include <QTemporaryDir>

#include <stdexcept>

inline TDayStore DemoWeekStore(const QDate& lastDay, int seed = 1) {
  class TQuiet : public TDownloadObserver {
    void ShowProgress(const QString&) override {}
    void CloseProgress() override {}
    void ShowStatus(const QString&) override {}
    void ProcessPendingEvents() override {}
    bool ShowMaintenance(const QString&) override { return false; }
  } quiet;
  QTemporaryDir start;
  const QString dataDir = QDir(start.path()).filePath(QStringLiteral("Data"));
  if (!QDir().mkpath(dataDir)) throw std::runtime_error("no data directory for the demo week");
  // Late in the evening, so the download asks for seven days ending on lastDay.
  const TFixedClock clock(QDateTime(lastDay, QTime(23, 0)));
  TFeedLink link(start.path(), clock);
  TLinkSettings settings = link.Settings();
  settings.DemoSeed = seed;
  link.SetSettings(settings);
  TDayStore store;
  TDownload download(link, clock, store, dataDir, quiet);
  download.FormShow();
  if (!download.RtsDlExecute().FilesWritten) throw std::runtime_error("demo week not downloaded");
  return store;
}
