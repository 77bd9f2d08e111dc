#pragma once

#include "archive/Archive.h"

#include <QByteArray>
#include <QDir>
#include <QString>
#include <QStringList>

#include <functional>

struct TImportResult {
  int Days = 0;   // days read into the archive
  int Races = 0;  // races added or replaced
  // Days whose file could not be read or held a record that cannot be filed,
  // each with the reason ("yyyy/mm/dd: ..."); nothing of them was taken.
  QStringList FailedDays;
  QStringList Messages;  // for the user, e.g. a damaged position file kept aside
};

// The feed's folder of day files; throws TFileError when there is none.
QDir FeedDayFolder(const QString& feedDir);

// Called after each day: days done, days in all, the day (yyyymmdd).
using TImportProgress = std::function<void(int done, int total, const QByteArray& day)>;

// Reads every day file of a feed folder (FEED/0B12/yyyymmdd.txt) from `from`
// to `to` (yyyymmdd, both included; empty for no bound) into the archive, a
// year to a transaction, with each year's positions converted and added to
// Position.dat in dataDir as a download adds them. A run that stops keeps the
// years done; run again, it gives the same archive. Throws TFileError.
TImportResult ImportFeed(const QString& feedDir, const QByteArray& from, const QByteArray& to,
                         TArchive& archive, const QString& dataDir, const TImportProgress& progress = {});
