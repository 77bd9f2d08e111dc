#include "position/PositionFile.h"

#include "position/PositionLine.h"

#include "text/Errors.h"
#include "text/IntConvert.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QtEndian>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>

namespace {

constexpr char HexDigits[] = "0123456789ABCDEF";

// Nibble of a hexadecimal digit, -1 for any other byte.
constexpr std::array<signed char, 256> MakeNibbleTable() {
  std::array<signed char, 256> table{};
  for (int i = 0; i < 256; ++i) table[i] = -1;
  for (int i = 0; i < 10; ++i) table['0' + i] = static_cast<signed char>(i);
  for (int i = 0; i < 6; ++i) {
    table['A' + i] = static_cast<signed char>(10 + i);
    table['a' + i] = static_cast<signed char>(10 + i);
  }
  return table;
}
constexpr std::array<signed char, 256> NibbleOf = MakeNibbleTable();

// The two digits of each packed byte.
constexpr std::array<std::array<char, 2>, 256> MakeDigitPairs() {
  std::array<std::array<char, 2>, 256> table{};
  for (int i = 0; i < 256; ++i) table[i] = {HexDigits[i >> 4], HexDigits[i & 0x0f]};
  return table;
}
constexpr std::array<std::array<char, 2>, 256> DigitPairs = MakeDigitPairs();

QString NativePath(const QString& fileName) {
  return QDir::toNativeSeparators(fileName);
}

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
}  // namespace

namespace {

// The longest position line: 99 horses of 13 sections.
constexpr qint32 LongestPositionLine = 24 + 99 * (2 + 4 * 13);

qint32 LengthAt(const uchar* data, qsizetype at) {
  return static_cast<qint32>(static_cast<quint32>(data[at]) | static_cast<quint32>(data[at + 1]) << 8 |
                             static_cast<quint32>(data[at + 2]) << 16 |
                             static_cast<quint32>(data[at + 3]) << 24);
}

// Bytes of the record at `at` (length field and packed characters) when its
// length is one the file can hold; -1 otherwise.
qsizetype RecordSpanAt(const uchar* data, qsizetype size, qsizetype at) {
  if (size - at < 4) return -1;
  const qint32 length = LengthAt(data, at);
  const qsizetype packed = (static_cast<qsizetype>(length) + 1) / 2;
  if (length < 0 || size - at - 4 < packed) return -1;
  return 4 + packed;
}

// Whether the record at `at` is a position line as the converter writes it:
// digits only, a key with a month and a day, and as long as its own distance
// and horse count say.
// Whether both nibbles of every byte are decimal digits; eight bytes at a
// time, since every record of the file passes through here.
bool DecimalBytes(const uchar* in, qsizetype count) {
  constexpr quint64 Low = 0x0f0f0f0f0f0f0f0fULL;
  constexpr quint64 Six = 0x0606060606060606ULL;
  constexpr quint64 Carry = 0x1010101010101010ULL;
  qsizetype j = 0;
  for (; j + 8 <= count; j += 8) {
    quint64 word;
    std::memcpy(&word, in + j, 8);
    // A nibble above 9 plus 6 carries into bit 4 of its byte.
    if ((((word & Low) + Six) | (((word >> 4) & Low) + Six)) & Carry) return false;
  }
  for (; j < count; ++j)
    if ((in[j] >> 4) > 9 || (in[j] & 0x0f) > 9) return false;
  return true;
}

// Whether the characters of the record at `at` (its length known to fit the
// file) are decimal digits; a final pad nibble does not count.
bool DecimalRecordAt(const uchar* data, qsizetype at) {
  const qint32 length = LengthAt(data, at);
  const uchar* in = data + at + 4;
  return DecimalBytes(in, length / 2) && (length % 2 == 0 || (in[length / 2] >> 4) <= 9);
}

// Every race key has this many digits.
constexpr qint32 KeyDigits = 16;

// A record long enough to hold a race key whose characters are not all
// decimal digits: no position line is written so, and its fields would
// mislead everything that reads the race. Shorter records cannot be taken
// for any race and read as the format says.
bool NonDecimalRecordAt(const uchar* data, qsizetype at) {
  return LengthAt(data, at) >= KeyDigits && !DecimalRecordAt(data, at);
}

// The header's number of `count` digits from character `from`; the header
// is known to be decimal.
int HeaderNumber(const uchar* in, int from, int count) {
  int value = 0;
  for (int i = from; i < from + count; ++i)
    value = value * 10 + (i % 2 == 0 ? in[i / 2] >> 4 : in[i / 2] & 0x0f);
  return value;
}

// Whether the record at `at` (its length known to fit the file) has a
// decimal header whose distance and horse count give its length.
bool LengthFitsHeader(const uchar* data, qsizetype at) {
  const qint32 length = LengthAt(data, at);
  const uchar* in = data + at + 4;
  if (length < 24 || !DecimalBytes(in, 12)) return false;
  const int sections = TPositionLine::SectionCount(HeaderNumber(in, 16, 4));
  return length == 24 + HeaderNumber(in, 22, 2) * (2 + 4 * sections);
}

bool PositionRecordAt(const uchar* data, qsizetype size, qsizetype at) {
  if (size - at < 4) return false;
  const qint32 length = LengthAt(data, at);
  if (length < 24 || length > LongestPositionLine || length % 2 != 0 || size - at - 4 < length / 2)
    return false;
  const uchar* in = data + at + 4;
  if (!DecimalBytes(in, length / 2)) return false;
  const int month = HeaderNumber(in, 4, 2);
  const int day = HeaderNumber(in, 6, 2);
  if (month < 1 || month > 12 || day < 1 || day > 31) return false;
  return LengthFitsHeader(data, at);
}

// The first offset in [from, to) where a position record starts that the
// file goes on from: it ends the file or another position record follows.
// Digits inside a record can pass for a record whose end lands nowhere in
// particular, so one followed by any readable record only counts, when
// `anyAfter`, where no better one is found; -1 when none.
qsizetype NextSoundRecord(const uchar* data, qsizetype size, qsizetype from, qsizetype to,
                          bool anyAfter = true) {
  qsizetype readableAfter = -1;
  for (qsizetype p = from; p < to; ++p) {
    if (!PositionRecordAt(data, size, p)) continue;
    const qsizetype end = p + RecordSpanAt(data, size, p);
    if (end == size || PositionRecordAt(data, size, end)) return p;
    if (anyAfter && readableAfter < 0 && RecordSpanAt(data, size, end) > 0) readableAfter = p;
  }
  return readableAfter;
}

// What one reading of a stretch of bytes found: where the kept records start
// and which stretches were skipped as damage.
struct TRecordScan {
  QList<qsizetype> Starts;
  QList<std::pair<qsizetype, qsizetype>> Damage;  // [from, to)
  // A kept record the converter would not have written.
  bool KeptUnsound = false;
};

TRecordScan ScanRecords(const uchar* data, qsizetype size) {
  TRecordScan scan;
  // The record read last, while it may still turn out to be part of a damaged stretch.
  qsizetype lastStart = -1;
  bool lastSound = true;
  qsizetype at = 0;
  while (at < size) {
    const qsizetype span = RecordSpanAt(data, size, at);
    const bool sound = span > 0 && PositionRecordAt(data, size, at);
    // A changed digit costs its record alone when its length still leads to
    // the next record; otherwise the reading resumes as after a bad length.
    const bool nonDecimal = span > 0 && !sound && NonDecimalRecordAt(data, at);
    const auto skipRecord = [&] {
      scan.Damage.append({at, at + span});
      at += span;
      lastStart = -1;
    };
    // Where its length leads decides first when its header agrees with that
    // length, then after a record found inside it that a sound one follows,
    // then before any other found inside it.
    const bool leadsToSound =
        span > 0 && !sound && (at + span == size || PositionRecordAt(data, size, at + span));
    if (nonDecimal && leadsToSound && LengthFitsHeader(data, at)) {
      skipRecord();
      continue;
    }
    if (span > 0 && !sound) {
      // A length misread a few bytes long runs over the records after it.
      qsizetype inside = NextSoundRecord(data, size, at + 1, at + span, false);
      if (inside < 0 && !leadsToSound) inside = NextSoundRecord(data, size, at + 1, at + span);
      if (inside >= 0) {
        scan.Damage.append({at, inside});
        at = inside;
        lastStart = -1;
        continue;
      }
    }
    if (nonDecimal && (leadsToSound || RecordSpanAt(data, size, at + span) > 0)) {
      skipRecord();
      continue;
    }
    if (span > 0 && !nonDecimal) {
      scan.Starts.append(at);
      scan.KeptUnsound = scan.KeptUnsound || !sound;
      lastStart = at;
      lastSound = sound;
      at += span;
      continue;
    }
    // A length misread a few bytes short leaves the next read inside the
    // record; the short one belongs to the damage.
    const qsizetype next = NextSoundRecord(data, size, at + 1, size);
    qsizetype from = at;
    if (next >= 0 && lastStart >= 0 && !lastSound) {
      scan.Starts.removeLast();
      from = lastStart;
    }
    lastStart = -1;
    scan.Damage.append({from, next >= 0 ? next : size});
    at = next >= 0 ? next : size;
  }
  return scan;
}

// Bytes gathered from a file: where each piece of them came from in it.
class TOrigin {
public:
  qsizetype FileOffset(qsizetype at) const {
    const auto piece = std::upper_bound(FPieces.cbegin(), FPieces.cend(), at,
                                        [](qsizetype a, const TPiece& p) { return a < p.At; }) -
                       1;
    return piece->FileAt + (at - piece->At);
  }

  // The origin of [from, from + count) of these bytes, appended at `to`.
  void CopyTo(TOrigin& other, qsizetype to, qsizetype from, qsizetype count) const {
    auto piece = std::upper_bound(FPieces.cbegin(), FPieces.cend(), from,
                                  [](qsizetype a, const TPiece& p) { return a < p.At; }) -
                 1;
    other.FPieces.append({to, piece->FileAt + (from - piece->At)});
    for (++piece; piece != FPieces.cend() && piece->At < from + count; ++piece)
      other.FPieces.append({to + (piece->At - from), piece->FileAt});
  }

  static TOrigin Whole() {
    TOrigin origin;
    origin.FPieces.append({0, 0});
    return origin;
  }

private:
  struct TPiece {
    qsizetype At;
    qsizetype FileAt;
  };
  QList<TPiece> FPieces;
};

}  // namespace

namespace {

// The bytes of an existing file, mapped rather than read: the file is large
// and read once, front to back. `copy` holds them where mapping fails.
const uchar* MapWhole(QFile& file, QByteArray& copy) {
  const auto fail = [&file] {
    throw TFileError(QStringLiteral("展開データファイル %1 を読み込めません: %2")
                         .arg(NativePath(file.fileName()), file.errorString()));
  };
  if (!file.open(QIODevice::ReadOnly)) fail();
  const qsizetype size = file.size();
  const uchar* data = size > 0 ? file.map(0, size) : nullptr;
  if (data == nullptr && size > 0) {
    copy = file.readAll();
    if (copy.size() != size) fail();
    data = reinterpret_cast<const uchar*>(copy.constData());
  }
  return data;
}

}  // namespace

namespace {

// Writes the record of a line at `out` and moves past it; false when a
// character is no hexadecimal digit.
bool PackRecord(QByteArrayView line, unsigned char*& at) {
  // A local pointer the compiler can keep in a register.
  unsigned char* out = at;
  const auto length = static_cast<quint32>(line.size());
  qToLittleEndian(length, out);
  out += 4;
  const auto* in = reinterpret_cast<const unsigned char*>(line.data());
  const qsizetype pairs = line.size() / 2;
  // A byte that is no hexadecimal digit has nibble -1, which sets the sign bit.
  int invalid = 0;
  for (qsizetype j = 0; j < pairs; ++j) {
    const int high = NibbleOf[in[2 * j]];
    const int low = NibbleOf[in[2 * j + 1]];
    invalid |= high | low;
    *out++ = static_cast<unsigned char>(high << 4 | (low & 0x0f));
  }
  if (line.size() % 2 != 0) {
    const int high = NibbleOf[in[line.size() - 1]];
    invalid |= high;
    *out++ = static_cast<unsigned char>(high << 4);
  }
  at = out;
  return invalid >= 0;
}

qsizetype RecordSize(QByteArrayView line) {
  return 4 + (line.size() + 1) / 2;
}

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

namespace {

// Writes the two characters of each packed byte, as many bytes at a time as
// the machine allows; returns how many bytes it did, the rest left to the
// caller. A nibble above 9 is moved on from '9' + 1 to 'A'.
qsizetype ExpandPacked(const uchar* in, qsizetype count, char* out) {
  qsizetype j = 0;
#if defined(__SSE2__)
  const __m128i low = _mm_set1_epi8(0x0f);
  const __m128i nine = _mm_set1_epi8(9);
  const __m128i zero = _mm_set1_epi8('0');
  const __m128i letter = _mm_set1_epi8('A' - '9' - 1);
  const auto characters = [&](__m128i nibbles) {
    const __m128i letters = _mm_and_si128(_mm_cmpgt_epi8(nibbles, nine), letter);
    return _mm_add_epi8(_mm_add_epi8(nibbles, zero), letters);
  };
  for (; j + 16 <= count; j += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + j));
    const __m128i high = _mm_and_si128(_mm_srli_epi16(bytes, 4), low);
    const __m128i lowNibbles = _mm_and_si128(bytes, low);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 2 * j),
                     characters(_mm_unpacklo_epi8(high, lowNibbles)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 2 * j + 16),
                     characters(_mm_unpackhi_epi8(high, lowNibbles)));
  }
#endif
  // Byte k of a 32-bit word to 16-bit lane k, its high nibble to the lane's
  // first character and its low nibble to the second; a nibble above 9
  // carries into bit 4 when 6 is added.
  for (; j + 4 <= count; j += 4) {
    quint64 lanes = qFromLittleEndian<quint32>(in + j);
    lanes = (lanes | lanes << 16) & 0x0000ffff0000ffffULL;
    lanes = (lanes | lanes << 8) & 0x00ff00ff00ff00ffULL;
    const quint64 nibbles = ((lanes >> 4) & 0x000f000f000f000fULL) | ((lanes & 0x000f000f000f000fULL) << 8);
    const quint64 letters = ((nibbles + 0x0606060606060606ULL) >> 4) & 0x0101010101010101ULL;
    qToLittleEndian(nibbles + 0x3030303030303030ULL + letters * ('A' - '9' - 1), out + 2 * j);
  }
  return j;
}

}  // namespace

TPositionLoad TPositionFile::LoadPositions(TByteLines& list, const QString& fileName) {
  TPositionLoad result;
  QFile file(fileName);
  if (!file.exists()) return result;
  QByteArray bytes;
  const uchar* data = MapWhole(file, bytes);
  qsizetype size = file.size();

  QList<qsizetype> stretches;  // bytes of each damaged stretch
  TOrigin origin = TOrigin::Whole();
  const auto noteDamage = [&](const TRecordScan& scan) {
    for (const auto& [from, to] : scan.Damage) {
      const qsizetype first = origin.FileOffset(from);
      if (result.FirstDamage < 0 || first < result.FirstDamage) {
        result.FirstDamage = first;
        // The race, when the key after the length field still reads as digits.
        constexpr qsizetype keyBytes = KeyDigits / 2;
        result.FirstDamagedRace.clear();
        if (to - from >= 4 + keyBytes && DecimalBytes(data + from + 4, keyBytes)) {
          for (qsizetype j = 0; j < keyBytes; ++j)
            result.FirstDamagedRace.append(DigitPairs[data[from + 4 + j]].data(), 2);
        }
      }
      result.DamagedBytes += to - from;
      stretches.append(to - from);
    }
  };
  TRecordScan scan = ScanRecords(data, size);
  noteDamage(scan);
  // Whether a record that is no position line is damage depends on the bytes
  // around it, and those change once damage is dropped. So the kept records
  // are read again, packed as a save writes them, until nothing more drops:
  // the list then saves and loads back the same.
  while (scan.KeptUnsound) {
    QByteArray kept;
    TOrigin keptOrigin;
    for (const qsizetype start : std::as_const(scan.Starts)) {
      const qint32 length = LengthAt(data, start);
      const qsizetype span = RecordSpanAt(data, size, start);
      origin.CopyTo(keptOrigin, kept.size(), start, span);
      kept.append(reinterpret_cast<const char*>(data + start), span);
      if (length % 2 != 0) kept.back() = static_cast<char>(kept.back() & 0xf0);
    }
    bytes = std::move(kept);
    origin = std::move(keptOrigin);
    data = reinterpret_cast<const uchar*>(bytes.constData());
    size = bytes.size();
    scan = ScanRecords(data, size);
    noteDamage(scan);
    if (scan.Damage.isEmpty()) break;
  }

  qsizetype readBytes = 0;
  list.reserve(list.size() + scan.Starts.size());
  for (const qsizetype at : std::as_const(scan.Starts)) {
    const qint32 length = LengthAt(data, at);
    const unsigned char* in = data + at + 4;
    QByteArray line(length, Qt::Uninitialized);
    char* out = line.data();
    qsizetype j = ExpandPacked(in, length / 2, out);
    for (; j < length / 2; ++j) std::memcpy(out + 2 * j, DigitPairs[in[j]].data(), 2);
    if (length % 2 != 0) out[length - 1] = HexDigits[in[length / 2] >> 4];
    list.append(std::move(line));
    readBytes += RecordSpanAt(data, size, at);
  }
  result.Records = scan.Starts.size();
  if (!stretches.isEmpty()) {
    result.Damaged = true;
    // The intact records' average size tells roughly how many a stretch held.
    const double average = result.Records > 0 ? double(readBytes) / double(result.Records) : 0.0;
    for (const qsizetype bytesLost : std::as_const(stretches)) {
      const qsizetype estimate = average > 0 ? qsizetype(double(bytesLost) / average + 0.5) : 1;
      result.LostRecords += std::max<qsizetype>(1, estimate);
    }
  }
  return result;
}

void TPositionFile::SavePositions(const TByteLines& list, const QString& fileName) {
  const auto refuse = [&](qsizetype index, const QString& why) {
    throw TFileError(QStringLiteral("展開データの %1 行目%2ため、%3 に書き込めません")
                         .arg(index + 1)
                         .arg(why, NativePath(fileName)));
  };
  qsizetype total = 0;
  for (qsizetype i = 0; i < list.size(); ++i) {
    if (list[i].size() > std::numeric_limits<qint32>::max()) refuse(i, QStringLiteral("が長すぎる"));
    total += 4 + (list[i].size() + 1) / 2;
  }
  // Packed in memory first: a line that cannot be packed stops the save
  // before the file is touched.
  QByteArray bytes(total, Qt::Uninitialized);
  auto* out = reinterpret_cast<unsigned char*>(bytes.data());
  for (qsizetype i = 0; i < list.size(); ++i) {
    if (!PackRecord(list[i], out)) refuse(i, QStringLiteral("に16進数字でない文字がある"));
  }
  WriteFileAtomically(fileName, bytes);
}

QString TPositionFile::KeepDamagedOriginal(const QString& fileName) {
  const QFileInfo info(fileName);
  const QString base = info.dir().filePath(info.completeBaseName() + QStringLiteral(".damaged"));
  QString copy = base;
  for (int n = 2; QFileInfo::exists(copy); ++n) copy = base + u'.' + QString::number(n);
  if (!QFile::copy(fileName, copy)) {
    throw TFileError(
        QStringLiteral("壊れた展開データファイル %1 を %2 に残せないため、書き込みを中止しました")
            .arg(NativePath(fileName), NativePath(copy)));
  }
  return copy;
}

QString TPositionFile::DamageText(const TPositionLoad& load) {
  const QString race =
      load.FirstDamagedRace.isEmpty()
          ? QString()
          : QStringLiteral("（レース %1 の記録）").arg(QString::fromLatin1(load.FirstDamagedRace));
  return QStringLiteral("%1 バイト目%2から壊れていて、%3 バイト（およそ %4 レース分）を読めません")
      .arg(load.FirstDamage)
      .arg(race)
      .arg(load.DamagedBytes)
      .arg(load.LostRecords);
}

QString TPositionFile::DamagedMessage(const QString& fileName, const QString& keptCopy,
                                      const TPositionLoad& load) {
  return QStringLiteral(
             "展開データファイル %1 は %2。読み込めたデータで書き直し、元のファイルは %3 "
             "として残しました。")
      .arg(NativePath(fileName), DamageText(load), NativePath(keptCopy));
}

TByteLines TPositionFile::AddNewRaceLines(TByteLines stored, const TByteLines& added, int keyLength) {
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

TByteLines TPositionFile::ReplaceRaceLines(TByteLines stored, const TByteLines& current, int keyLength) {
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

QByteArray TPositionFile::AddNewRaces(const QByteArray& stored, const QByteArray& added, int keyLength) {
  return JoinLines(AddNewRaceLines(SplitLines(stored), SplitLines(added), keyLength));
}

QByteArray TPositionFile::ReplaceRaces(const QByteArray& stored, const QByteArray& current, int keyLength) {
  return JoinLines(ReplaceRaceLines(SplitLines(stored), SplitLines(current), keyLength));
}

QByteArray TPositionFile::FindPosLine(const TByteLines& list, QByteArrayView raceKey) {
  for (qsizetype i = list.size() - 1; i >= 0; --i) {
    if (list[i].startsWith(raceKey)) return list[i];
  }
  return {};
}

int TPositionFile::EntryPos(QByteArrayView line, int n, int g) {
  // The caller reads four characters from this 1-based position.
  return int(TPositionLine(line).EntryOffset(n, g) + 1);
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
