#pragma once

// The day store a download of a demo week leaves behind: the demo feed is
// downloaded into a data directory of its own and loaded as the program loads it.

#include "demo/DemoService.h"
#include "link/Download.h"
#include "link/FeedLink.h"
#include "support/QuietObserver.h"

#include <QDate>
#include <QDir>
#include <QTemporaryDir>

#include <stdexcept>

inline TDayStore DemoWeekStore(const QDate& lastDay, int seed = 1) {
  TQuietObserver quiet;
  QTemporaryDir start;
  const QString dataDir = QDir(start.path()).filePath(QStringLiteral("Data"));
  if (!QDir().mkpath(dataDir)) throw std::runtime_error("no data directory for the demo week");
  // Late in the evening, so the download asks for seven days ending on lastDay.
  const TFixedClock clock(QDateTime(lastDay, QTime(23, 0)));
  TFeedLink link(start.path(), clock);
  link.SetDemoWriter(DemoFeedWriter());
  TLinkSettings settings = link.Settings();
  settings.DemoSeed = seed;
  link.SetSettings(settings);
  TDayStore store;
  TDownload download(link, clock, store, dataDir, quiet);
  download.StartUp();
  if (!download.Run().FilesWritten) throw std::runtime_error("demo week not downloaded");
  return store;
}
