#pragma once

#include "archive/Archive.h"
#include "store/DayStore.h"

// A day store of archived races, built as the loader builds one from the data
// files: each race with its position line out of the position file's lines
// (sorted, as Position.dat keeps them) and its summary.
TDayStore ArchivedStore(const TArchiveRecords& records, const TByteLines& positionLines,
                        const QStringList& cornerNames);

// The stored position lines of these races, looked up in the sorted lines.
TByteLines PositionLinesOf(const TByteLines& raceLines, const TByteLines& positionLines);

// The records of the store's races: race lines, runners, and the payouts of those races.
TArchiveRecords RecordsOfStore(const TDayStore& store);

// The days from the first to the last of the meetings (a venue's 回 of a
// year) held on `date`, among `days`; the day alone when none of them holds it.
std::pair<QByteArray, QByteArray> MeetingPeriod(const QList<TArchivedDay>& days, const QByteArray& date);

// The archive of a data folder and its copy.
QString ArchivePath(const QString& dataDir);
QString ArchiveBackupPath(const QString& dataDir);

// Adds the records to the data folder's archive (created when missing) and
// then to its copy, which is made whole again by an online backup when it is
// missing or unusable. Returns the races added. Throws TFileError; the archive
// is then as it was, or whole with the records and only the copy behind.
int AddToArchive(const QString& dataDir, const TArchiveRecords& records);
