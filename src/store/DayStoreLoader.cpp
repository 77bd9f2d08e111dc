#include "store/DayStoreLoader.h"

#include "position/BynaryUnit.h"
#include "position/PositionLine.h"
#include "records/JV_RACE.h"
#include "records/JV_UMA.h"
#include "records/PayRecord.h"
#include "records/RecordCheck.h"
#include "records/RecordLayout.h"
#include "store/RaceSummary.h"
#include "text/Errors.h"
#include "text/IntConvert.h"

#include <QDir>
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

QByteArray Summarise(const TByteLines& horseList, const QByteArray& payLine) {
  const QByteArray posLine = horseList.value(0);
  const QByteArray name = posLine.left(RaceKeyLength);
  TPayRecord pay;
  const QByteArray places = payLine.isEmpty() ? QByteArray() : pay.PlacePayouts(payLine);

  TJV_UMA uma;
  const qsizetype placed = std::min<qsizetype>(3, horseList.size() - 1);
  QByteArray value;
  value.reserve(TRaceSummary::ValueLength);
  for (qsizetype i = 1; i <= placed; ++i) {
    const QByteArray& se = horseList[i];
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
         QFileInfo::exists(InDir(dataDir, DataFile::Race)) &&
         QFileInfo::exists(InDir(dataDir, DataFile::Pay));
}

QByteArray BuildRaceSummary(const TDayStore& store, const TByteLines& horseList) {
  const QByteArray name = horseList.value(0).left(RaceKeyLength);
  TPayRecord pay;
  return Summarise(horseList, name.isEmpty() ? QByteArray() : pay.FindPayLine(store.PayLines, name));
}

bool LoadDayStore(TDayStore& store, const QString& dataDir) {
  if (!DataFilesExist(dataDir)) return false;

  TDayStore next;
  next.CornerNames = store.CornerNames;
  // Every reader sees one record per race and per horse, the last in the file.
  const TByteLines umaLines = LastOfEachHorse(ReadLines(InDir(dataDir, DataFile::Uma)));
  const TByteLines raceLines = LastOfEachRace(ReadLines(InDir(dataDir, DataFile::Race)));
  next.PayLines = ReadLines(InDir(dataDir, DataFile::Pay));

  TJV_RACE race;
  next.RaceDates = SplitLines(race.DateList(raceLines));
  (void)TByn::LoadPositions(next.PosLines, InDir(dataDir, DataFile::Position));

  // Horse lines by name, each bucket in file order. A race takes its whole
  // bucket, which is what taking the first matching line until none is left
  // gives, and each line is used at most once.
  TJV_UMA uma;
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

  next.RaceLines.reserve(raceLines.size());
  next.RaceSummaries.reserve(raceLines.size());
  for (qsizetype r = 0; r < raceLines.size(); ++r) {
    const QByteArray& key = raceKeys[r];
    TRaceEntry entry{raceLines[r], {}};
    if (!key.contains('=')) {
      const auto bucket = umaByName.find(key.toLower());
      if (bucket != umaByName.end()) {
        for (qsizetype i : std::as_const(bucket.value())) {
          entry.HorseList.append(umaLines[i]);
          used[i] = true;
        }
        umaByName.erase(bucket);
      }
    }
    uma.SortByArrival(entry.HorseList);
    // A race line without a key has no position line of its own; it must not
    // take another race's.
    const QByteArray posLine = key.size() == RaceKeyLength ? posByKey.value(key) : QByteArray();
    entry.HorseList.prepend(posLine);

    const QByteArray name = posLine.left(RaceKeyLength);
    const qsizetype payIndex = name.isEmpty() ? -1 : payByKey.value(name, -1);
    try {
      next.RaceSummaries.append(
          Summarise(entry.HorseList, payIndex < 0 ? QByteArray() : next.PayLines[payIndex]));
    } catch (const TConvertError& error) {
      // Name the race and the file, so the user can find the line at fault.
      throw TConvertError(
          QStringLiteral("%1 のレース %2 の出走馬を読めません: %3")
              .arg(QString::fromLatin1(DataFile::Uma), QString::fromLatin1(key), error.Message()));
    }
    next.RaceLines.append(std::move(entry));
  }

  for (qsizetype i = 0; i < umaLines.size(); ++i) {
    if (!used[i]) next.UmaLines.append(umaKeys[i] + '=' + umaLines[i]);
  }

  store = std::move(next);
  return true;
}
