#include "archive/ArchivedStore.h"

#include "records/PayRecord.h"
#include "records/RaceRecord.h"
#include "records/RecordLayout.h"
#include "store/DayStoreLoader.h"

#include "text/Errors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>

using namespace Qt::StringLiterals;

TByteLines PositionLinesOf(const TByteLines& raceLines, const TByteLines& positionLines) {
  TRaceRecord race;
  TByteLines found;
  for (const QByteArray& line : raceLines) {
    const QByteArray key = race.RaceKey(line);
    if (key.size() != KeyField::RaceKeyWidth) continue;
    auto it = std::lower_bound(positionLines.cbegin(), positionLines.cend(), key,
                               [](const QByteArray& stored, const QByteArray& wanted) {
                                 return QByteArrayView(stored).first(std::min(stored.size(), wanted.size())) <
                                        wanted;
                               });
    // Of lines with one key the last is the one the loader takes.
    const QByteArray* last = nullptr;
    for (; it != positionLines.cend() && it->startsWith(key); ++it) last = &*it;
    if (last != nullptr) found.append(*last);
  }
  return found;
}

TDayStore ArchivedStore(const TArchiveRecords& records, const TByteLines& positionLines,
                        const QStringList& cornerNames) {
  TDayStore store;
  store.CornerNames = cornerNames;
  store.PayLines = records.PayLines;
  store.PosLines = PositionLinesOf(records.RaceLines, positionLines);
  BuildDayStore(store, records.RaceLines, records.UmaLines);
  return store;
}

std::pair<QByteArray, QByteArray> MeetingPeriod(const QList<TArchivedDay>& days, const QByteArray& date) {
  // A meeting key is "yyyymmdd" JJ KK HH: year, venue and 回 name the meeting.
  const auto meetingOf = [](const QByteArray& key) { return key.left(4) + key.mid(8, 4); };
  QSet<QByteArray> held;
  for (const TArchivedDay& day : days)
    if (day.Date == date)
      for (const auto& meeting : day.Meetings) held.insert(meetingOf(meeting.first));
  std::pair<QByteArray, QByteArray> period{date, date};
  for (const TArchivedDay& day : days)
    for (const auto& meeting : day.Meetings)
      if (held.contains(meetingOf(meeting.first))) {
        period.first = std::min(period.first, day.Date);
        period.second = std::max(period.second, day.Date);
      }
  return period;
}

TArchiveRecords RecordsOfStore(const TDayStore& store) {
  TArchiveRecords records;
  TRaceRecord race;
  QSet<QByteArray> keys;
  for (const TRaceEntry& entry : store.Races) {
    records.RaceLines.append(entry.RaceLine);
    records.UmaLines.append(entry.Runners);
    keys.insert(race.RaceKey(entry.RaceLine));
  }
  // Runners whose race record is missing are kept as "key=line".
  for (const QByteArray& line : store.UmaLines) records.UmaLines.append(line.mid(line.indexOf('=') + 1));
  // The payout file holds every race ever downloaded: only these races' go in.
  TPayRecord pay;
  for (const QByteArray& line : store.PayLines)
    if (keys.contains(pay.PayRaceKey(line))) records.PayLines.append(line);
  return records;
}

QString ArchivePath(const QString& dataDir) {
  return QDir(dataDir).filePath(QString::fromLatin1(TArchive::FileName));
}

QString ArchiveBackupPath(const QString& dataDir) {
  return QDir(dataDir).filePath(QString::fromLatin1(TArchive::BackupName));
}

int AddToArchive(const QString& dataDir, const TArchiveRecords& records) {
  const QString path = ArchivePath(dataDir);
  const bool existed = QFileInfo::exists(path);
  int added = 0;
  try {
    TArchive archive(path, TArchive::TAccess::Write);
    added = archive.AddRecords(records);
    const QString backup = ArchiveBackupPath(dataDir);
    if (QFileInfo::exists(backup)) {
      try {
        TArchive copy(backup, TArchive::TAccess::Write);
        copy.AddRecords(records);
        return added;
      } catch (const TRavekError&) {
        // Made whole below.
      }
    }
    archive.BackupTo(backup);
  } catch (...) {
    // An archive this call began and could not fill is not left behind.
    if (!existed) {
      for (const QString& suffix : {QString(), u"-wal"_s, u"-shm"_s}) QFile::remove(path + suffix);
    }
    throw;
  }
  return added;
}
