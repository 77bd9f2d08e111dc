#pragma once

#include "text/LineFile.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <utility>

struct sqlite3;
struct sqlite3_stmt;

// Records of races as the data files hold them: race (RA), runner (SE) and
// payout (HR) lines.
struct TArchiveRecords {
  TByteLines RaceLines;
  TByteLines UmaLines;
  TByteLines PayLines;
  qsizetype Bytes() const;
};

// A horse or jockey found by part of its name, with how often it ran and when last.
struct TNameMatch {
  QString Name;
  int Runs = 0;
  QByteArray LastDay;  // yyyymmdd
};

// A racing day: its date (yyyymmdd) and its meetings (14-character keys) with their races.
struct TArchivedDay {
  QByteArray Date;
  QList<std::pair<QByteArray, int>> Meetings;
};

// One run of a horse or jockey: the race and the horse number in it.
struct TRunKey {
  QByteArray RaceKey;
  int HorseNumber = 0;
  friend bool operator==(const TRunKey&, const TRunKey&) = default;
};

// Every racing day ever downloaded or imported, in one SQLite database in the
// data folder: the race, runner and payout records of each race, as the data
// files hold them, with the horses and jockeys indexed for the searches.
// Position lines are not kept here: Position.dat stays their one source.
// Readers and the one writer share the file through SQLite's WAL journal, so
// a reader sees the last committed download and never waits for it.
class TArchive {
public:
  static constexpr char FileName[] = "Archive.db";
  static constexpr char BackupName[] = "Archive.bak";
  // Raised with each change of the tables; older archives are migrated on opening for writing.
  static constexpr int SchemaVersion = 1;

  enum class TAccess { Read, Write };

  // Opens the database; Write creates it when missing and brings an older
  // schema up to date. Throws TDataError when the file is damaged or no
  // database, TFileError when it cannot be opened or was written by a newer
  // version of the program. Every other function throws alike.
  TArchive(const QString& fileName, TAccess access);
  ~TArchive();
  TArchive(const TArchive&) = delete;
  TArchive& operator=(const TArchive&) = delete;

  const QString& Path() const { return FPath; }

  // Empty when SQLite's quick check finds the database sound; else what it found.
  // It reads the whole file: seconds for years of racing.
  QString Check();
  // Stops a Check (or any statement) running on another thread; it then throws TFileError.
  void Interrupt();

  // The records replace what the archive holds for their races (a race's
  // runners and payout with it), all in one transaction, so a run that stops
  // leaves the archive as it was or with every race added. Of several lines
  // of one race or horse the last counts, as in the data files; lines that
  // break the record rule are skipped. Returns the races added. Throws TFileError.
  int AddRecords(const TArchiveRecords& records);

  // Dates (yyyymmdd) with races from `from` to `to`, both included (empty for
  // no bound), ascending.
  TByteLines RacingDays(const QByteArray& from = {}, const QByteArray& to = {});
  // The same days with their meetings, in the order their races were added.
  QList<TArchivedDay> DayList(const QByteArray& from = {}, const QByteArray& to = {});
  // Every record of the races of those days: days in order, each day's races
  // in the order they were added.
  TArchiveRecords DayRecords(const QByteArray& from, const QByteArray& to);
  // Every record of the races with these keys that the archive holds.
  TArchiveRecords RaceRecords(const TByteLines& raceKeys);

  // Horses or jockeys whose name holds the part, compared as FoldedForSearch
  // folds them; names starting with it first, then by name. At most `limit`.
  QList<TNameMatch> FindHorses(const QString& part, int limit);
  QList<TNameMatch> FindJockeys(const QString& part, int limit);
  // Every run of the horse or jockey of exactly this name, oldest first.
  QList<TRunKey> HorseRuns(const QString& name);
  QList<TRunKey> JockeyRuns(const QString& name);
  // The horse's first run after the race: its runner record, and the run in
  // `run`; empty when the archive has none.
  QByteArray NextRun(const QString& horse, const QByteArray& raceKey, TRunKey& run);

  // A whole copy of the database through SQLite's online backup, written
  // beside the target and renamed over it. Throws TFileError.
  void BackupTo(const QString& fileName);

  // Moves a damaged database and its journal aside ("Archive.damaged",
  // "Archive.damaged.2", ...). Returns the new path; throws TFileError.
  static QString SetAside(const QString& fileName);
  // Replaces the database by the copy: the journal of the old one goes, the
  // copy is checked before it is put in place. Throws TFileError or TDataError.
  static void Restore(const QString& backupFile, const QString& fileName);

private:
  class TStatement;
  void Close();
  void Execute(const char* sql);
  int StoredVersion();
  void Migrate();
  QList<TNameMatch> FindNames(const char* table, const char* column, const QString& part, int limit);
  QList<TRunKey> RunsOf(const char* table, const char* column, const QString& name);
  // Throws TDataError for a damaged database, TFileError for anything else.
  [[noreturn]] void Fail(int code, const QString& text = {}) const;

  QString FPath;
  sqlite3* FDb = nullptr;
  mutable QHash<QByteArray, sqlite3_stmt*> FStatements;  // prepared, not in use
};
