#include "position/PositionMerge.h"

#include "position/PositionRecord.h"

#include <QHash>
#include <QSet>

#include <algorithm>

using namespace PositionRecord;

namespace {

// A line as the merges see it: the name is the text before the first "=" once
// "=" has been put after the key; the sort compares that text ignoring case.
// Both are read from the line itself, without building the marked copy.
class TMarkedLine {
public:
  TMarkedLine(const QByteArray& line, int keyLength)
      : FLine(&line), FMark(std::min<qsizetype>(std::max(keyLength, 0), line.size())) {}

  QByteArrayView Name() const {
    const qsizetype equals = QByteArrayView(*FLine).first(FMark).indexOf('=');
    return QByteArrayView(*FLine).first(equals >= 0 ? equals : FMark);
  }

  // Character i of the marked text, -1 past its end.
  int At(qsizetype i) const {
    if (i < FMark) return Upper((*FLine)[i]);
    if (i == FMark) return '=';
    return i - 1 < FLine->size() ? Upper((*FLine)[i - 1]) : -1;
  }
  qsizetype MarkedSize() const { return FLine->size() + 1; }
  qsizetype Mark() const { return FMark; }
  const char* Data() const { return FLine->constData(); }

  static int Upper(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u >= 'a' && u <= 'z' ? u - ('a' - 'A') : u;
  }

private:
  const QByteArray* FLine;
  qsizetype FMark;
};

bool MarkedLess(const TMarkedLine& a, const TMarkedLine& b) {
  // Stored keys share long prefixes: compare the raw bytes before the marks
  // first, and fold case only where they differ.
  const qsizetype common = std::min(a.Mark(), b.Mark());
  const char* pa = a.Data();
  const char* pb = b.Data();
  for (qsizetype i = 0; i < common; ++i) {
    if (pa[i] != pb[i]) {
      const int ua = TMarkedLine::Upper(pa[i]);
      const int ub = TMarkedLine::Upper(pb[i]);
      if (ua != ub) return ua < ub;
    }
  }
  const qsizetype n = std::min(a.MarkedSize(), b.MarkedSize());
  for (qsizetype i = common; i < n; ++i) {
    const int ca = a.At(i);
    const int cb = b.At(i);
    if (ca != cb) return ca < cb;
  }
  return a.MarkedSize() < b.MarkedSize();
}

QByteArray NameKey(const TMarkedLine& line) {
  return line.Name().toByteArray().toUpper();
}

bool LinesLess(const QByteArray& a, const QByteArray& b, int keyLength) {
  return MarkedLess(TMarkedLine(a, keyLength), TMarkedLine(b, keyLength));
}

// Sorts by the marked text and drops every "=" the marking would leave behind.
// The stored file is kept sorted, so only the unsorted tail is sorted and then
// merged in; that is the same stable order as sorting the whole list. Lines
// before sortedPrefix are known to be in order.
TByteLines SortAndUnmark(TByteLines lines, int keyLength, qsizetype sortedPrefix = 0) {
  const auto less = [keyLength](const QByteArray& a, const QByteArray& b) {
    return LinesLess(a, b, keyLength);
  };
  const qsizetype prefix = sortedPrefix > 0
                               ? sortedPrefix
                               : std::is_sorted_until(lines.begin(), lines.end(), less) - lines.begin();
  if (prefix < lines.size()) {
    TByteLines tail = lines.mid(prefix);
    lines.resize(prefix);
    std::stable_sort(tail.begin(), tail.end(), less);
    // A day's few new races: a bisection each instead of a pass over the file.
    constexpr qsizetype FewLines = 1024;
    if (tail.size() <= FewLines) {
      for (QByteArray& line : tail) {
        const auto at = std::upper_bound(lines.cbegin(), lines.cend(), line, less) - lines.cbegin();
        lines.insert(at, std::move(line));
      }
    } else {
      lines.append(tail);
      std::inplace_merge(lines.begin(), lines.begin() + prefix, lines.end(), less);
    }
  }
  for (QByteArray& line : lines) {
    if (line.contains('=')) line.replace("=", "");
  }
  return lines;
}

// Finds the first line of a name. Lines of one name are neighbours in the
// sorted order, so a sorted list is searched by bisection; any other list is
// indexed by name.
class TNameIndex {
public:
  TNameIndex(const TByteLines& lines, int keyLength) : FLines(lines), FKeyLength(keyLength) {
    const auto less = [keyLength](const QByteArray& a, const QByteArray& b) {
      return LinesLess(a, b, keyLength);
    };
    FSorted = std::is_sorted(lines.cbegin(), lines.cend(), less);
    if (FSorted) return;
    FFirst.reserve(lines.size());
    for (qsizetype i = 0; i < lines.size(); ++i) {
      const QByteArray name = NameKey(TMarkedLine(lines[i], keyLength));
      if (!FFirst.contains(name)) FFirst.insert(name, i);
    }
  }

  bool Sorted() const { return FSorted; }

  // -1 when no line has the name of `line`.
  qsizetype FirstOfName(const QByteArray& line) const {
    const QByteArray name = NameKey(TMarkedLine(line, FKeyLength));
    if (!FSorted) return FFirst.value(name, -1);
    // name + "=" as a marked text: every line of the name begins with it.
    const TMarkedLine probe(name, FKeyLength);
    const auto found = std::lower_bound(FLines.cbegin(), FLines.cend(), probe,
                                        [this](const QByteArray& a, const TMarkedLine& b) {
                                          return MarkedLess(TMarkedLine(a, FKeyLength), b);
                                        });
    if (found == FLines.cend()) return -1;
    const TMarkedLine candidate(*found, FKeyLength);
    for (qsizetype i = 0; i <= name.size(); ++i) {
      if (candidate.At(i) != probe.At(i)) return -1;
    }
    return found - FLines.cbegin();
  }

private:
  const TByteLines& FLines;
  int FKeyLength;
  bool FSorted = false;
  QHash<QByteArray, qsizetype> FFirst;
};
// A line the packed merges can place by its key alone.
bool PlainLine(const QByteArray& line) {
  return line.size() >= KeyDigits &&
         std::all_of(line.cbegin(), line.cend(), [](char c) { return c >= '0' && c <= '9'; });
}

// The key of a plain line as the file packs it.
std::array<uchar, KeyDigits / 2> PackedKey(const QByteArray& line) {
  std::array<uchar, KeyDigits / 2> key{};
  for (int j = 0; j < KeyDigits / 2; ++j)
    key[j] = static_cast<uchar>((line[2 * j] - '0') << 4 | (line[2 * j + 1] - '0'));
  return key;
}

}  // namespace

TByteLines TPositionMerge::AddNewRaces(TByteLines stored, const TByteLines& added, int keyLength) {
  const qsizetype storedCount = stored.size();
  bool storedSorted = false;
  {
    const TNameIndex index(stored, keyLength);
    storedSorted = index.Sorted();
    QSet<QByteArray> addedNames;
    TByteLines fresh;
    for (const QByteArray& line : added) {
      if (line.isEmpty()) continue;
      const QByteArray name = NameKey(TMarkedLine(line, keyLength));
      if (addedNames.contains(name) || index.FirstOfName(line) >= 0) continue;
      addedNames.insert(name);
      fresh.append(line);
    }
    stored.reserve(storedCount + fresh.size());
    stored.append(fresh);
  }
  return SortAndUnmark(std::move(stored), keyLength, storedSorted ? storedCount : 0);
}

TByteLines TPositionMerge::ReplaceRaces(TByteLines stored, const TByteLines& current, int keyLength) {
  bool stillSorted = false;
  {
    // A replacement keeps its line's name, so the index stays valid; in a
    // sorted list it can only fall out of order with its neighbours.
    const TNameIndex index(stored, keyLength);
    stillSorted = index.Sorted();
    for (const QByteArray& line : current) {
      if (line.isEmpty()) continue;
      const qsizetype first = index.FirstOfName(line);
      if (first < 0) continue;
      stored[first] = line;
      if (first > 0 && LinesLess(stored[first], stored[first - 1], keyLength)) stillSorted = false;
      if (first + 1 < stored.size() && LinesLess(stored[first + 1], stored[first], keyLength))
        stillSorted = false;
    }
  }
  const qsizetype sortedPrefix = stillSorted ? stored.size() : 0;
  return SortAndUnmark(std::move(stored), keyLength, sortedPrefix);
}

void TPackedPositions::Close() {
  FFile.close();
  FCopy.clear();
  FData = nullptr;
  FSize = 0;
  FStarts.clear();
}

bool TPackedPositions::Read(const QString& fileName) {
  Close();
  FFile.setFileName(fileName);
  if (!FFile.exists()) return false;
  FData = MapWhole(FFile, FCopy);
  FSize = FFile.size();
  FStarts.clear();
  for (qsizetype at = 0; at < FSize; at += RecordSpanAt(FData, FSize, at)) {
    if (!PositionRecordAt(FData, FSize, at)) return false;
    if (!FStarts.isEmpty() && std::memcmp(FData + FStarts.last() + 4, FData + at + 4, KeyDigits / 2) >= 0)
      return false;
    FStarts.append(at);
  }
  return true;
}

QByteArrayView TPackedPositions::Record(qsizetype i) const {
  const qsizetype end = i + 1 < FStarts.size() ? FStarts[i + 1] : FSize;
  return {reinterpret_cast<const char*>(FData) + FStarts[i], end - FStarts[i]};
}

qsizetype TPackedPositions::RecordOfKey(const QByteArray& line) const {
  const auto key = PackedKey(line);
  const auto found = std::lower_bound(
      FStarts.cbegin(), FStarts.cend(), key,
      [this](qsizetype at, const auto& k) { return std::memcmp(FData + at + 4, k.data(), k.size()) < 0; });
  if (found == FStarts.cend() || std::memcmp(FData + *found + 4, key.data(), key.size()) != 0) return -1;
  return found - FStarts.cbegin();
}

bool TPackedPositions::AddNewRaces(const TByteLines& added, QByteArray& bytes) const {
  // The new lines by key, each with the record it goes before; the first of
  // a key wins, a stored key keeps its line.
  QList<std::pair<qsizetype, const QByteArray*>> fresh;
  QSet<QByteArray> names;
  qsizetype total = FSize;
  for (const QByteArray& line : added) {
    if (line.isEmpty()) continue;
    if (!PlainLine(line)) return false;
    const QByteArray name = line.first(KeyDigits);
    if (names.contains(name) || RecordOfKey(line) >= 0) continue;
    names.insert(name);
    const auto key = PackedKey(line);
    const auto before = std::upper_bound(
        FStarts.cbegin(), FStarts.cend(), key,
        [this](const auto& k, qsizetype at) { return std::memcmp(k.data(), FData + at + 4, k.size()) < 0; });
    fresh.append({before - FStarts.cbegin(), &line});
    total += RecordSize(line);
  }
  std::sort(fresh.begin(), fresh.end(), [](const auto& a, const auto& b) {
    return a.first != b.first ? a.first < b.first : a.second->first(KeyDigits) < b.second->first(KeyDigits);
  });
  bytes = QByteArray(total, Qt::Uninitialized);
  auto* out = reinterpret_cast<unsigned char*>(bytes.data());
  qsizetype copied = 0;  // records of the file already in `bytes`
  const auto copyUpTo = [&](qsizetype record) {
    const qsizetype from = copied < FStarts.size() ? FStarts[copied] : FSize;
    const qsizetype to = record < FStarts.size() ? FStarts[record] : FSize;
    if (to > from) std::memcpy(out, FData + from, to - from);
    out += to - from;
    copied = record;
  };
  for (const auto& [before, line] : std::as_const(fresh)) {
    copyUpTo(before);
    PackRecord(*line, out);
  }
  copyUpTo(FStarts.size());
  return true;
}

bool TPackedPositions::ReplaceRaces(const TByteLines& current, QByteArray& bytes, bool& changed) const {
  // Record index to its replacement; a later line of a key wins.
  QHash<qsizetype, const QByteArray*> replaced;
  for (const QByteArray& line : current) {
    if (line.isEmpty()) continue;
    if (!PlainLine(line)) return false;
    const qsizetype record = RecordOfKey(line);
    if (record >= 0) replaced.insert(record, &line);
  }
  changed = false;
  qsizetype total = FSize;
  QByteArray packed;
  for (auto it = replaced.cbegin(); it != replaced.cend(); ++it) {
    const QByteArrayView record = Record(it.key());
    packed.resize(RecordSize(*it.value()));
    auto* out = reinterpret_cast<unsigned char*>(packed.data());
    PackRecord(*it.value(), out);
    changed = changed || packed != record;
    total += packed.size() - record.size();
  }
  if (!changed) return true;
  QList<qsizetype> order = replaced.keys();
  std::sort(order.begin(), order.end());
  bytes = QByteArray(total, Qt::Uninitialized);
  auto* out = reinterpret_cast<unsigned char*>(bytes.data());
  qsizetype from = 0;
  for (const qsizetype record : std::as_const(order)) {
    if (FStarts[record] > from) std::memcpy(out, FData + from, FStarts[record] - from);
    out += FStarts[record] - from;
    PackRecord(*replaced.value(record), out);
    from = FStarts[record] + Record(record).size();
  }
  if (FSize > from) std::memcpy(out, FData + from, FSize - from);
  return true;
}
