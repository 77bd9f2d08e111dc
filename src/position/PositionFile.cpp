#include "position/PositionFile.h"

#include "position/PositionRecord.h"

#include "text/Errors.h"

#include <QDir>
#include <QFileInfo>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <limits>

using namespace PositionRecord;

namespace {

QString NativePath(const QString& fileName) {
  return QDir::toNativeSeparators(fileName);
}

// Whether the characters of the record at `at` (its length known to fit the
// file) are decimal digits; a final pad nibble does not count.
bool DecimalRecordAt(const uchar* data, qsizetype at) {
  const qint32 length = LengthAt(data, at);
  const uchar* in = data + at + 4;
  return DecimalBytes(in, length / 2) && (length % 2 == 0 || (in[length / 2] >> 4) <= 9);
}

// A record long enough to hold a race key whose characters are not all
// decimal digits: no position line is written so, and its fields would
// mislead everything that reads the race. Shorter records cannot be taken
// for any race and read as the format says.
bool NonDecimalRecordAt(const uchar* data, qsizetype at) {
  return LengthAt(data, at) >= KeyDigits && !DecimalRecordAt(data, at);
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

const uchar* PositionRecord::MapWhole(QFile& file, QByteArray& copy) {
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
