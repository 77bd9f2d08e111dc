#include "archive/Archive.h"

#include "records/PayRecord.h"
#include "records/RaceRecord.h"
#include "records/RecordCheck.h"
#include "records/RunnerRecord.h"
#include "store/DayStoreLoader.h"
#include "text/Cp932.h"
#include "text/Errors.h"
#include "text/LineFile.h"
#include "text/PlainText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QScopeGuard>

#include <sqlite3.h>

#include <algorithm>
#include <limits>

using namespace Qt::StringLiterals;

namespace {

// A runner's row id: its race key and horse number side by side, so a race's
// runners are one range of ids and a date range one range of keys.
constexpr qint64 RunnerSlots = 100;
constexpr qint64 DaySlots =
    100'000'000;  // race keys of one date: yyyymmdd * DaySlots + venue, meeting, day, race

qint64 KeyNumber(QByteArrayView key) {
  if (key.size() != 16) return -1;
  qint64 value = 0;
  for (char c : key) {
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');
  }
  return value;
}

QByteArray KeyText(qint64 key) {
  return QByteArray::number(key).rightJustified(16, '0');
}

qint64 DayNumber(const QByteArray& day, qint64 fallback) {
  bool ok = false;
  const qint64 value = day.toLongLong(&ok);
  return ok && day.size() == 8 ? value : fallback;
}

// The version a schema step brings the database to, and its statements.
struct TSchemaStep {
  int Version;
  const char* Sql;
};

constexpr TSchemaStep SchemaSteps[] = {
    {1,
     "CREATE TABLE races(key INTEGER PRIMARY KEY, line BLOB NOT NULL, ord INTEGER NOT NULL);"
     "CREATE TABLE days(day INTEGER PRIMARY KEY, races INTEGER NOT NULL, meetings TEXT NOT NULL);"
     "CREATE TABLE pays(key INTEGER PRIMARY KEY, line BLOB NOT NULL);"
     "CREATE TABLE horses(id INTEGER PRIMARY KEY, name TEXT NOT NULL UNIQUE, folded TEXT NOT NULL);"
     "CREATE TABLE jockeys(id INTEGER PRIMARY KEY, name TEXT NOT NULL UNIQUE, folded TEXT NOT NULL);"
     "CREATE TABLE runners(id INTEGER PRIMARY KEY, horse INTEGER NOT NULL, jockey INTEGER NOT NULL,"
     " line BLOB NOT NULL);"
     "CREATE INDEX runners_horse ON runners(horse);"
     "CREATE INDEX runners_jockey ON runners(jockey);"},
};

QString SqliteText(sqlite3* db, int code) {
  if (code == SQLITE_FULL) return u"ディスクがいっぱいです"_s;
  return QString::fromUtf8(db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(code));
}

}  // namespace

qsizetype TArchiveRecords::Bytes() const {
  qsizetype bytes = 0;
  for (const TByteLines* lines : {&RaceLines, &UmaLines, &PayLines})
    for (const QByteArray& line : *lines) bytes += line.size() + 2;  // CR LF in the files
  return bytes;
}

// One prepared statement for the length of its scope. Prepared statements are
// kept by the connection: a search that runs one per trip would otherwise parse
// the same text a thousand times.
class TArchive::TStatement {
public:
  TStatement(const TArchive& archive, const char* sql) : FArchive(archive), FSql(sql) {
    // Taken out of the cache while in use, so a nested use prepares its own.
    FStatement = archive.FStatements.take(FSql);
    if (FStatement != nullptr) return;
    const int code = sqlite3_prepare_v2(archive.FDb, sql, -1, &FStatement, nullptr);
    if (code != SQLITE_OK) archive.Fail(code);
  }
  ~TStatement() {
    sqlite3_reset(FStatement);
    sqlite3_clear_bindings(FStatement);  // bound blobs are not ours past this scope
    if (FArchive.FStatements.contains(FSql))
      sqlite3_finalize(FStatement);
    else
      FArchive.FStatements.insert(FSql, FStatement);
  }
  TStatement(const TStatement&) = delete;
  TStatement& operator=(const TStatement&) = delete;

  TStatement& Bind(int index, qint64 value) {
    Check(sqlite3_bind_int64(FStatement, index, value));
    return *this;
  }
  TStatement& Bind(int index, const QByteArray& blob) {
    Check(sqlite3_bind_blob(FStatement, index, blob.constData(), int(blob.size()), SQLITE_STATIC));
    return *this;
  }
  TStatement& Bind(int index, const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    Check(sqlite3_bind_text(FStatement, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT));
    return *this;
  }
  // True while a row is there to read.
  bool Step() {
    const int code = sqlite3_step(FStatement);
    if (code == SQLITE_ROW) return true;
    if (code != SQLITE_DONE) FArchive.Fail(code);
    return false;
  }
  // Runs a statement that returns no rows and makes it ready for the next bindings.
  void Run() {
    Step();
    Reset();
  }
  void Reset() { sqlite3_reset(FStatement); }
  qint64 Int(int column) const { return sqlite3_column_int64(FStatement, column); }
  QByteArray Blob(int column) const {
    const auto* data = static_cast<const char*>(sqlite3_column_blob(FStatement, column));
    return QByteArray(data, sqlite3_column_bytes(FStatement, column));
  }
  QString Text(int column) const {
    const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(FStatement, column));
    return QString::fromUtf8(data, sqlite3_column_bytes(FStatement, column));
  }

private:
  void Check(int code) {
    if (code != SQLITE_OK) FArchive.Fail(code);
  }

  const TArchive& FArchive;
  QByteArray FSql;
  sqlite3_stmt* FStatement = nullptr;
};

TArchive::TArchive(const QString& fileName, TAccess access) : FPath(fileName) {
  const bool write = access == TAccess::Write;
  const int flags = write ? SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE : SQLITE_OPEN_READONLY;
  const int code = sqlite3_open_v2(QFile::encodeName(fileName).constData(), &FDb, flags, nullptr);
  if (code != SQLITE_OK) {
    const QString text = SqliteText(FDb, code);
    sqlite3_close(FDb);
    FDb = nullptr;
    Fail(code, text);
  }
  sqlite3_busy_timeout(FDb, 5000);
  try {
    // A file that is no database fails here, on its first read.
    const int stored = StoredVersion();
    if (stored > SchemaVersion)
      Fail(SQLITE_ERROR, u"新しい版の ravek が作ったアーカイブです（版 %1）。"_s.arg(stored));
    // A reader's pages read in place, not copied through read calls: the searches read many.
    if (!write) Execute("PRAGMA mmap_size=1073741824");
    if (write) {
      Execute("PRAGMA journal_mode=WAL");
      Execute("PRAGMA synchronous=FULL");
      Migrate();
    } else if (stored < SchemaVersion) {
      Fail(SQLITE_ERROR, u"アーカイブが古い版のままです。ravek で一度ダウンロードすると更新されます。"_s);
    }
  } catch (...) {
    Close();
    throw;
  }
}

TArchive::~TArchive() {
  Close();
}

void TArchive::Close() {
  // A connection with statements left closes only when they are gone.
  for (sqlite3_stmt* statement : std::as_const(FStatements)) sqlite3_finalize(statement);
  FStatements.clear();
  sqlite3_close(FDb);
  FDb = nullptr;
}

void TArchive::Fail(int code, const QString& text) const {
  const QString message = u"アーカイブ %1 を使えません: %2"_s.arg(
      QDir::toNativeSeparators(FPath), text.isEmpty() ? SqliteText(FDb, code) : text);
  // A damaged file is set aside; a full disk or a locked file is not damage.
  if ((code & 0xff) == SQLITE_CORRUPT || (code & 0xff) == SQLITE_NOTADB) throw TDataError(message);
  throw TFileError(message);
}

void TArchive::Execute(const char* sql) {
  char* message = nullptr;
  const int code = sqlite3_exec(FDb, sql, nullptr, nullptr, &message);
  if (code == SQLITE_OK) return;
  const QString text = code == SQLITE_FULL ? SqliteText(FDb, code) : QString::fromUtf8(message);
  sqlite3_free(message);
  Fail(code, text);
}

int TArchive::StoredVersion() {
  TStatement version(*this, "PRAGMA user_version");
  version.Step();
  return int(version.Int(0));
}

void TArchive::Migrate() {
  const int stored = StoredVersion();
  if (stored == SchemaVersion) return;
  Execute("BEGIN IMMEDIATE");
  auto rollback = qScopeGuard([this] { sqlite3_exec(FDb, "ROLLBACK", nullptr, nullptr, nullptr); });
  for (const TSchemaStep& step : SchemaSteps) {
    if (step.Version <= stored) continue;
    Execute(step.Sql);
  }
  Execute(QByteArray("PRAGMA user_version=" + QByteArray::number(SchemaVersion)).constData());
  Execute("COMMIT");
  rollback.dismiss();
}

QString TArchive::Check() {
  TStatement check(*this, "PRAGMA quick_check");
  QStringList problems;
  while (check.Step()) {
    const QString line = check.Text(0);
    if (line != u"ok") problems.append(line);
  }
  return problems.join(u'\n');
}

void TArchive::Interrupt() {
  sqlite3_interrupt(FDb);
}

int TArchive::AddRecords(const TArchiveRecords& records) {
  const TByteLines races = LastOfEachRace(records.RaceLines);
  const TByteLines runners = LastOfEachHorse(records.UmaLines);
  Execute("BEGIN IMMEDIATE");
  auto rollback = qScopeGuard([this] { sqlite3_exec(FDb, "ROLLBACK", nullptr, nullptr, nullptr); });

  TRaceRecord race;
  // A race keeps its place among the day's races when it is replaced; new ones come after.
  TStatement putRace(*this,
                     "INSERT INTO races(key, line, ord) VALUES(?1, ?2, ?3)"
                     " ON CONFLICT(key) DO UPDATE SET line = excluded.line");
  // Looked for among the races of the days these records touch only.
  qint64 lowKey = std::numeric_limits<qint64>::max(), highKey = 0;
  for (const QByteArray& line : races) {
    const qint64 key = KeyNumber(race.RaceKey(line));
    if (key < 0) continue;
    lowKey = std::min(lowKey, key / DaySlots * DaySlots);
    highKey = std::max(highKey, key / DaySlots * DaySlots + DaySlots - 1);
  }
  TStatement lastOrder(*this, "SELECT coalesce(max(ord), 0) FROM races WHERE key BETWEEN ?1 AND ?2");
  lastOrder.Bind(1, lowKey).Bind(2, highKey);
  lastOrder.Step();
  const qint64 firstOrder = lastOrder.Int(0) + 1;
  lastOrder.Reset();
  TStatement dropRunners(*this, "DELETE FROM runners WHERE id BETWEEN ?1 AND ?2");
  QList<qint64> days;
  int added = 0;
  for (const QByteArray& line : races) {
    const qint64 key = KeyNumber(race.RaceKey(line));
    if (key < 0) continue;
    putRace.Bind(1, key).Bind(2, line).Bind(3, firstOrder + added).Run();
    dropRunners.Bind(1, key * RunnerSlots).Bind(2, key * RunnerSlots + RunnerSlots - 1).Run();
    if (!days.contains(key / DaySlots)) days.append(key / DaySlots);
    ++added;
  }

  // Horses and jockeys by name, each given an id once.
  QHash<QString, qint64> ids[2];
  TStatement findName[2] = {{*this, "SELECT id FROM horses WHERE name = ?1"},
                            {*this, "SELECT id FROM jockeys WHERE name = ?1"}};
  TStatement addName[2] = {{*this, "INSERT INTO horses(name, folded) VALUES(?1, ?2)"},
                           {*this, "INSERT INTO jockeys(name, folded) VALUES(?1, ?2)"}};
  const auto idOf = [&](int kind, const QString& name) {
    const auto known = ids[kind].constFind(name);
    if (known != ids[kind].cend()) return *known;
    qint64 id = 0;
    findName[kind].Bind(1, name);
    if (findName[kind].Step()) {
      id = findName[kind].Int(0);
    } else {
      addName[kind].Bind(1, name).Bind(2, FoldedForSearch(name)).Run();
      id = sqlite3_last_insert_rowid(FDb);
    }
    findName[kind].Reset();
    ids[kind].insert(name, id);
    return id;
  };

  TRunnerRecord runner;
  TStatement putRunner(*this,
                       "INSERT OR REPLACE INTO runners(id, horse, jockey, line) VALUES(?1, ?2, ?3, ?4)");
  for (const QByteArray& line : runners) {
    const qint64 key = KeyNumber(runner.RaceKey(line));
    bool ok = false;
    const int number = runner.HorseNumber(line).toInt(&ok);
    if (key < 0 || !ok || number < 0 || number >= RunnerSlots) continue;
    const qint64 horse = idOf(0, runner.HorseName(line).trimmed());
    const qint64 jockey = idOf(1, DecodeCp932(runner.JockeyName(line)).trimmed());
    putRunner.Bind(1, key * RunnerSlots + number).Bind(2, horse).Bind(3, jockey).Bind(4, line).Run();
  }

  TPayRecord pay;
  TStatement putPay(*this, "INSERT OR REPLACE INTO pays(key, line) VALUES(?1, ?2)");
  for (const QByteArray& line : records.PayLines) {
    if (!RecordLineFault(line).isEmpty()) continue;
    const qint64 key = KeyNumber(pay.PayRaceKey(line));
    if (key >= 0) putPay.Bind(1, key).Bind(2, line).Run();
  }

  // Each day's meetings with their race counts, for listing days without reading races.
  TStatement keysOfDay(*this, "SELECT key FROM races WHERE key BETWEEN ?1 AND ?2 ORDER BY ord");
  TStatement putDay(*this, "INSERT OR REPLACE INTO days(day, races, meetings) VALUES(?1, ?2, ?3)");
  for (const qint64 day : std::as_const(days)) {
    keysOfDay.Bind(1, day * DaySlots).Bind(2, day * DaySlots + DaySlots - 1);
    QList<std::pair<QByteArray, int>> meetings;
    int count = 0;
    while (keysOfDay.Step()) {
      const QByteArray meeting = KeyText(keysOfDay.Int(0)).left(14);
      auto it = std::find_if(meetings.begin(), meetings.end(),
                             [&meeting](const auto& known) { return known.first == meeting; });
      if (it == meetings.end()) it = meetings.insert(meetings.end(), {meeting, 0});
      ++it->second;
      ++count;
    }
    keysOfDay.Reset();
    QStringList text;
    for (const auto& [meeting, races] : meetings)
      text.append(QString::fromLatin1(meeting) + u':' + QString::number(races));
    putDay.Bind(1, day).Bind(2, count).Bind(3, text.join(u',')).Run();
  }
  Execute("COMMIT");
  rollback.dismiss();
  return added;
}

TByteLines TArchive::RacingDays(const QByteArray& from, const QByteArray& to) {
  TByteLines list;
  for (const TArchivedDay& day : DayList(from, to)) list.append(day.Date);
  return list;
}

QList<TArchivedDay> TArchive::DayList(const QByteArray& from, const QByteArray& to) {
  TStatement days(*this,
                  "SELECT day, meetings FROM days WHERE races > 0 AND day BETWEEN ?1 AND ?2 ORDER BY day");
  days.Bind(1, DayNumber(from, 0)).Bind(2, DayNumber(to, 99'999'999));
  QList<TArchivedDay> list;
  while (days.Step()) {
    TArchivedDay day{QByteArray::number(days.Int(0)), {}};
    for (const QString& meeting : days.Text(1).split(u',', Qt::SkipEmptyParts))
      day.Meetings.append({meeting.section(u':', 0, 0).toLatin1(), meeting.section(u':', 1).toInt()});
    list.append(day);
  }
  return list;
}

TArchiveRecords TArchive::DayRecords(const QByteArray& from, const QByteArray& to) {
  const qint64 first = DayNumber(from, 0) * DaySlots;
  const qint64 last = DayNumber(to, 99'999'999) * DaySlots + DaySlots - 1;
  TArchiveRecords records;
  // A day's races in the order the download delivered them, as the data files keep them.
  TStatement races(*this, "SELECT line FROM races WHERE key BETWEEN ?1 AND ?2 ORDER BY key / 100000000, ord");
  races.Bind(1, first).Bind(2, last);
  while (races.Step()) records.RaceLines.append(races.Blob(0));
  TStatement runners(*this, "SELECT line FROM runners WHERE id BETWEEN ?1 AND ?2 ORDER BY id");
  runners.Bind(1, first * RunnerSlots).Bind(2, last * RunnerSlots + RunnerSlots - 1);
  while (runners.Step()) records.UmaLines.append(runners.Blob(0));
  TStatement pays(*this, "SELECT line FROM pays WHERE key BETWEEN ?1 AND ?2 ORDER BY key");
  pays.Bind(1, first).Bind(2, last);
  while (pays.Step()) records.PayLines.append(pays.Blob(0));
  return records;
}

TArchiveRecords TArchive::RaceRecords(const TByteLines& raceKeys) {
  TArchiveRecords records;
  TStatement race(*this, "SELECT line FROM races WHERE key = ?1");
  TStatement runners(*this, "SELECT line FROM runners WHERE id BETWEEN ?1 AND ?2 ORDER BY id");
  TStatement pay(*this, "SELECT line FROM pays WHERE key = ?1");
  for (const QByteArray& text : raceKeys) {
    const qint64 key = KeyNumber(text);
    if (key < 0) continue;
    race.Bind(1, key);
    if (race.Step()) records.RaceLines.append(race.Blob(0));
    race.Reset();
    runners.Bind(1, key * RunnerSlots).Bind(2, key * RunnerSlots + RunnerSlots - 1);
    while (runners.Step()) records.UmaLines.append(runners.Blob(0));
    runners.Reset();
    pay.Bind(1, key);
    if (pay.Step()) records.PayLines.append(pay.Blob(0));
    pay.Reset();
  }
  return records;
}

QList<TNameMatch> TArchive::FindNames(const char* table, const char* column, const QString& part, int limit) {
  const QString folded = FoldedForSearch(part);
  if (folded.isEmpty()) return {};
  // Names are few beside runs: the matches are found first, then counted.
  const QByteArray sql = QByteArray("SELECT m.name, (SELECT count(*) FROM runners WHERE ") + column +
                         " = m.id), (SELECT max(id) FROM runners WHERE " + column +
                         " = m.id) FROM (SELECT id, name, folded FROM " + table +
                         " n WHERE instr(folded, ?1) > 0 AND EXISTS (SELECT 1 FROM runners WHERE " + column +
                         " = n.id) ORDER BY instr(folded, ?1) <> 1, folded, name LIMIT ?2) m";
  TStatement find(*this, sql.constData());
  find.Bind(1, folded).Bind(2, qint64(limit));
  QList<TNameMatch> matches;
  while (find.Step())
    matches.append(
        {find.Text(0), int(find.Int(1)), QByteArray::number(find.Int(2) / RunnerSlots / DaySlots)});
  return matches;
}

QList<TNameMatch> TArchive::FindHorses(const QString& part, int limit) {
  return FindNames("horses", "horse", part, limit);
}

QList<TNameMatch> TArchive::FindJockeys(const QString& part, int limit) {
  return FindNames("jockeys", "jockey", part, limit);
}

QList<TRunKey> TArchive::RunsOf(const char* table, const char* column, const QString& name) {
  const QByteArray sql = QByteArray("SELECT r.id FROM runners r JOIN ") + table + " n ON r." + column +
                         " = n.id WHERE n.name = ?1 ORDER BY r.id";
  TStatement runs(*this, sql.constData());
  runs.Bind(1, name.trimmed());
  QList<TRunKey> list;
  while (runs.Step()) list.append({KeyText(runs.Int(0) / RunnerSlots), int(runs.Int(0) % RunnerSlots)});
  return list;
}

QByteArray TArchive::NextRun(const QString& horse, const QByteArray& raceKey, TRunKey& run) {
  TStatement next(*this,
                  "SELECT r.id, r.line FROM runners r JOIN horses h ON r.horse = h.id"
                  " WHERE h.name = ?1 AND r.id > ?2 ORDER BY r.id LIMIT 1");
  next.Bind(1, horse.trimmed()).Bind(2, KeyNumber(raceKey) * RunnerSlots + RunnerSlots - 1);
  if (!next.Step()) return {};
  run = {KeyText(next.Int(0) / RunnerSlots), int(next.Int(0) % RunnerSlots)};
  return next.Blob(1);
}

QList<TRunKey> TArchive::HorseRuns(const QString& name) {
  return RunsOf("horses", "horse", name);
}

QList<TRunKey> TArchive::JockeyRuns(const QString& name) {
  return RunsOf("jockeys", "jockey", name);
}
