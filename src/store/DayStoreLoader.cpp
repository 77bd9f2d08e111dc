#include "store/DayStoreLoader.h"

#include "position/PositionFile.h"
#include "position/PositionLine.h"
#include "records/PayRecord.h"
#include "records/RaceRecord.h"
#include "records/RecordCheck.h"
#include "records/RecordLayout.h"
#include "records/RunnerRecord.h"
#include "store/RaceSummary.h"
#include "text/Errors.h"
#include "text/IntConvert.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <algorithm>

#include <vector>

namespace {

constexpr qsizetype RaceKeyLength = 16;
constexpr char NoPayout[] = "000000000";

QString InDir(const QString& dataDir, const char* name) {
  return QDir(dataDir).filePath(QString::fromLatin1(name));
}

// The payout stored under the horse number in "3=000000150,5=000000200"; the
// first item of that name counts, as in a name=value list.
QByteArray PlacePayoutOf(const QByteArray& places, const QByteArray& horse) {
  for (const QByteArray& item : places.split(',')) {
    const qsizetype eq = item.indexOf('=');
    if (eq >= 0 && item.left(eq) == horse) return item.mid(eq + 1);
  }
  return {};
}

// Row and lane of a section entry. A horse or section the line does not hold
// reads as "0000" (no position) rather than as the bytes at the line's start.
QByteArray SectionEntry(const QByteArray& posLine, int horse, int section) {
  if (posLine.isEmpty()) return {};
  const QByteArrayView entry = TPositionLine(posLine).Entry(horse, section);
  return entry.isEmpty() ? QByteArrayLiteral("0000") : entry.toByteArray();
}

QByteArray Summarise(const TRaceEntry& entry, const QByteArray& payLine) {
  const QByteArray& posLine = entry.PositionLine;
  const QByteArray name = posLine.left(RaceKeyLength);
  TPayRecord pay;
  const QByteArray places = payLine.isEmpty() ? QByteArray() : pay.PlacePayouts(payLine);

  TRunnerRecord uma;
  const qsizetype placed = std::min<qsizetype>(3, entry.Runners.size());
  QByteArray value;
  value.reserve(TRaceSummary::ValueLength);
  for (qsizetype i = 0; i < placed; ++i) {
    const QByteArray& se = entry.Runners[i];
    const QByteArray horse = uma.HorseNumber(se);
    const int n = StrToInt(horse);
    QByteArray payout = PlacePayoutOf(places, QByteArray::number(n));
    if (payout.isEmpty()) payout = NoPayout;
    TRaceSummary::AppendPlace(value, uma.FrameNumber(se), horse, SectionEntry(posLine, n, 3),
                              SectionEntry(posLine, n, 2), payout, uma.JockeyName(se));
  }
  // Fewer than three finishers leave no summary a reader would accept.
  if (placed < 3) value.clear();
  return name + '=' + value;
}

// Name of a keyed horse line (key "=" SE line): the key up to any "=" in it,
// folded to lower case because names are looked up ignoring case.
QByteArray NameOfKey(const QByteArray& key) {
  const qsizetype eq = key.indexOf('=');
  return (eq < 0 ? key : key.left(eq)).toLower();
}

template <typename TNameOf>
TByteLines LastOfEach(const TByteLines& lines, TNameOf nameOf) {
  QSet<QByteArray> seen;
  TByteLines kept;
  for (qsizetype i = lines.size() - 1; i >= 0; --i) {
    if (!RecordLineFault(lines[i]).isEmpty()) continue;
    const QByteArray name = nameOf(lines[i]);
    if (seen.contains(name)) continue;
    seen.insert(name);
    kept.append(lines[i]);
  }
  std::reverse(kept.begin(), kept.end());
  return kept;
}

}  // namespace

TByteLines LastOfEachRace(const TByteLines& lines) {
  return LastOfEach(
      lines, [](const QByteArray& line) { return line.mid(KeyField::RaceKey, KeyField::RaceKeyWidth); });
}

TByteLines LastOfEachHorse(const TByteLines& lines) {
  return LastOfEach(lines, [](const QByteArray& line) {
    return line.mid(KeyField::RaceKey, KeyField::RaceKeyWidth) + line.mid(SeField::HorseNumber, 2);
  });
}

bool DataFilesExist(const QString& dataDir) {
  return QFileInfo::exists(InDir(dataDir, DataFile::Uma)) &&
         QFileInfo::exists(InDir(dataDir, DataFile::Race));
}

QByteArray BytesDigest(QByteArrayView bytes) {
  return QByteArray::number(bytes.size()) + ':' +
         QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex();
}

QByteArray FileDigest(const QString& path) {
  QFile file(path);
  if (!file.exists()) return QByteArrayLiteral("-");
  if (!file.open(QIODevice::ReadOnly)) {
    throw TFileError(QStringLiteral("ファイル %1 を読み込めません: %2")
                         .arg(QDir::toNativeSeparators(path), file.errorString()));
  }
  return BytesDigest(file.readAll());
}

QString DataSetMismatch(const QString& dataDir) {
  QFile marker(InDir(dataDir, DataFile::SetMarker));
  if (!marker.open(QIODevice::ReadOnly)) return {};
  // The marker is whole before the first file is replaced; one that does not
  // read as such was left by a download that replaced nothing.
  QStringList replaced, kept, neither;
  for (const QByteArray& line : SplitLines(marker.readAll())) {
    const QList<QByteArray> parts = line.split(' ');
    if (parts.size() != 3) return {};
    const QString name = QString::fromLatin1(parts[0]);
    QByteArray now;
    try {
      now = FileDigest(QDir(dataDir).filePath(name));
    } catch (const TFileError&) {
      // Unreadable: it belongs to neither set.
    }
    const bool isNew = now == parts[2], isOld = now == parts[1];
    // A file the download left as it was belongs to both sets.
    if (isNew && !isOld) replaced.append(name);
    if (isOld && !isNew) kept.append(name);
    if (!isNew && !isOld) neither.append(name);
  }
  if (neither.isEmpty() && (replaced.isEmpty() || kept.isEmpty())) return {};
  QString text = QStringLiteral("データファイルの組が食い違っています（ダウンロードが途中で止まりました）。");
  if (!replaced.isEmpty())
    text += QStringLiteral("新しいもの: %1。").arg(replaced.join(QStringLiteral(", ")));
  if (!kept.isEmpty()) text += QStringLiteral("前のもの: %1。").arg(kept.join(QStringLiteral(", ")));
  if (!neither.isEmpty())
    text += QStringLiteral("どちらでもないもの: %1。").arg(neither.join(QStringLiteral(", ")));
  return text + QStringLiteral("もう一度ダウンロードしてください。");
}

QByteArray BuildRaceSummary(const TDayStore& store, const TRaceEntry& entry) {
  const QByteArray name = entry.PositionLine.left(RaceKeyLength);
  TPayRecord pay;
  return Summarise(entry, name.isEmpty() ? QByteArray() : pay.FindPayLine(store.PayLines, name));
}

bool LoadDayStore(TDayStore& store, const QString& dataDir, QStringList* notes) {
  if (!DataFilesExist(dataDir)) return false;
  const QString mismatch = DataSetMismatch(dataDir);
  if (!mismatch.isEmpty()) throw TDataError(mismatch);

  TDayStore next;
  next.CornerNames = store.CornerNames;
  const TByteLines umaRead = ReadLines(InDir(dataDir, DataFile::Uma));
  const TByteLines raceRead = ReadLines(InDir(dataDir, DataFile::Race));
  const bool payThere = QFileInfo::exists(InDir(dataDir, DataFile::Pay));
  if (payThere) next.PayLines = ReadLines(InDir(dataDir, DataFile::Pay));
  if (notes != nullptr) {
    if (!payThere)
      notes->append(
          QStringLiteral("%1 がありません。払戻なしで表示します。").arg(QString::fromLatin1(DataFile::Pay)));
    const std::pair<const char*, const TByteLines*> read[] = {
        {DataFile::Race, &raceRead}, {DataFile::Uma, &umaRead}, {DataFile::Pay, &next.PayLines}};
    for (const auto& [name, lines] : read) {
      const bool pay = lines == &next.PayLines;
      if (lines->isEmpty()) {
        if ((payThere || !pay) && !(raceRead.isEmpty() && umaRead.isEmpty()))
          notes->append(QStringLiteral("%1 が空です。").arg(QString::fromLatin1(name)));
        continue;
      }
      // Payout lines are looked up as they are; only the other two drop lines.
      if (pay) continue;
      const auto bad = std::count_if(lines->cbegin(), lines->cend(),
                                     [](const QByteArray& line) { return !RecordLineFault(line).isEmpty(); });
      if (bad > 0)
        notes->append(QStringLiteral("%1 の %2 行は記録として読めないため飛ばしました。")
                          .arg(QString::fromLatin1(name))
                          .arg(bad));
    }
  }
  (void)TPositionFile::LoadPositions(next.PosLines, InDir(dataDir, DataFile::Position));
  BuildDayStore(next, raceRead, umaRead, notes);
  store = std::move(next);
  return true;
}

void BuildDayStore(TDayStore& next, const TByteLines& raceRead, const TByteLines& umaRead,
                   QStringList* notes) {
  // Every reader sees one record per race and per horse, the last in the file.
  const TByteLines umaLines = LastOfEachHorse(umaRead);
  const TByteLines raceLines = LastOfEachRace(raceRead);

  TRaceRecord race;
  next.RaceDates = SplitLines(race.DateList(raceLines));
  // Oldest first: the day lists step through them in that order.
  std::sort(next.RaceDates.begin(), next.RaceDates.end());

  // Horse lines by name, each bucket in file order. A race takes its whole
  // bucket, which is what taking the first matching line until none is left
  // gives, and each line is used at most once.
  TRunnerRecord uma;
  QList<QByteArray> umaKeys;
  umaKeys.reserve(umaLines.size());
  QHash<QByteArray, QList<qsizetype>> umaByName;
  for (qsizetype i = 0; i < umaLines.size(); ++i) {
    umaKeys.append(uma.RaceKey(umaLines[i]));
    umaByName[NameOfKey(umaKeys.last())].append(i);
  }
  std::vector<bool> used(umaLines.size(), false);

  // Race keys of the store and the last position line that begins with each.
  QList<QByteArray> raceKeys;
  raceKeys.reserve(raceLines.size());
  QHash<QByteArray, QByteArray> posByKey;
  for (const QByteArray& line : raceLines) {
    raceKeys.append(race.RaceKey(line));
    if (raceKeys.last().size() == RaceKeyLength) posByKey.insert(raceKeys.last(), QByteArray());
  }
  for (const QByteArray& posLine : std::as_const(next.PosLines)) {
    if (posLine.size() < RaceKeyLength) continue;
    const auto it = posByKey.find(QByteArray::fromRawData(posLine.constData(), RaceKeyLength));
    if (it != posByKey.end()) it.value() = posLine;
  }

  // The last payout line of each race key.
  TPayRecord pay;
  QHash<QByteArray, qsizetype> payByKey;
  for (qsizetype i = 0; i < next.PayLines.size(); ++i) {
    const QByteArray key = pay.PayRaceKey(next.PayLines[i]);
    if (!key.isEmpty()) payByKey.insert(key, i);
  }

  next.Races.reserve(raceLines.size());
  next.RaceSummaries.reserve(raceLines.size());
  QByteArrayList withoutRunners;
  for (qsizetype r = 0; r < raceLines.size(); ++r) {
    const QByteArray& key = raceKeys[r];
    TRaceEntry entry{raceLines[r], {}, {}};
    if (!key.contains('=')) {
      const auto bucket = umaByName.find(key.toLower());
      if (bucket != umaByName.end()) {
        for (qsizetype i : std::as_const(bucket.value())) {
          entry.Runners.append(umaLines[i]);
          used[i] = true;
        }
        umaByName.erase(bucket);
      }
    }
    if (entry.Runners.isEmpty()) withoutRunners.append(key);
    uma.SortByArrival(entry.Runners);
    // A race line without a key has no position line of its own; it must not
    // take another race's.
    entry.PositionLine = key.size() == RaceKeyLength ? posByKey.value(key) : QByteArray();

    const QByteArray name = entry.PositionLine.left(RaceKeyLength);
    const qsizetype payIndex = name.isEmpty() ? -1 : payByKey.value(name, -1);
    try {
      next.RaceSummaries.append(Summarise(entry, payIndex < 0 ? QByteArray() : next.PayLines[payIndex]));
    } catch (const TConvertError& error) {
      // Name the race and the file, so the user can find the line at fault.
      throw TConvertError(
          QStringLiteral("%1 のレース %2 の出走馬を読めません: %3")
              .arg(QString::fromLatin1(DataFile::Uma), QString::fromLatin1(key), error.Message()));
    }
    next.Races.append(std::move(entry));
  }

  for (qsizetype i = 0; i < umaLines.size(); ++i) {
    if (!used[i]) next.UmaLines.append(umaKeys[i] + '=' + umaLines[i]);
  }

  // Races whose runners UmaData.dat lacks would show as empty sheets.
  if (notes != nullptr && !withoutRunners.isEmpty()) {
    notes->append(QStringLiteral("%1 に出走馬の記録がないレースが %2 あります（最初は %3）。")
                      .arg(QString::fromLatin1(DataFile::Uma))
                      .arg(withoutRunners.size())
                      .arg(QString::fromLatin1(withoutRunners.first())));
  }
}
