#include "position/BynaryUnit.h"

#include "text/Errors.h"
#include "text/IntConvert.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <algorithm>
#include <array>
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
  bool IsEmpty() const { return FLine->isEmpty(); }

  // Character i of the marked text, -1 past its end.
  int At(qsizetype i) const {
    if (i < FMark) return Upper((*FLine)[i]);
    if (i == FMark) return '=';
    return i - 1 < FLine->size() ? Upper((*FLine)[i - 1]) : -1;
  }
  qsizetype MarkedSize() const { return FLine->size() + 1; }

private:
  static int Upper(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u >= 'a' && u <= 'z' ? u - ('a' - 'A') : u;
  }

  const QByteArray* FLine;
  qsizetype FMark;
};

bool MarkedLess(const TMarkedLine& a, const TMarkedLine& b) {
  const qsizetype n = std::min(a.MarkedSize(), b.MarkedSize());
  for (qsizetype i = 0; i < n; ++i) {
    const int ca = a.At(i);
    const int cb = b.At(i);
    if (ca != cb) return ca < cb;
  }
  return a.MarkedSize() < b.MarkedSize();
}

QByteArray NameKey(const TMarkedLine& line) {
  return line.Name().toByteArray().toUpper();
}

// Sorts by the marked text and drops every "=" the marking would leave behind.
TByteLines SortAndUnmark(TByteLines lines, int keyLength) {
  std::stable_sort(lines.begin(), lines.end(), [keyLength](const QByteArray& a, const QByteArray& b) {
    return MarkedLess(TMarkedLine(a, keyLength), TMarkedLine(b, keyLength));
  });
  for (QByteArray& line : lines) {
    if (line.contains('=')) line.replace("=", "");
  }
  return lines;
}

QByteArray JoinLines(const TByteLines& lines) {
  qsizetype total = 0;
  for (const QByteArray& line : lines) total += line.size() + 2;
  QByteArray text;
  text.reserve(total);
  for (const QByteArray& line : lines) {
    text.append(line);
    text.append("\r\n", 2);
  }
  return text;
}

int HeaderInt(QByteArrayView line, qsizetype from, qsizetype count) {
  return StrToInt(line.sliced(from, count));
}

}  // namespace

TPositionLoad TByn::LoadPositions(TByteLines& list, const QString& fileName) {
  TPositionLoad result;
  QFile file(fileName);
  if (!file.exists()) return result;
  if (!file.open(QIODevice::ReadOnly)) {
    throw TFileError(QStringLiteral("展開データファイル %1 を読み込めません: %2")
                         .arg(NativePath(fileName), file.errorString()));
  }
  const QByteArray bytes = file.readAll();
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.constData());
  const qsizetype size = bytes.size();
  qsizetype at = 0;
  while (at < size) {
    if (size - at < 4) break;
    const qint32 length = static_cast<qint32>(
        static_cast<quint32>(data[at]) | static_cast<quint32>(data[at + 1]) << 8 |
        static_cast<quint32>(data[at + 2]) << 16 | static_cast<quint32>(data[at + 3]) << 24);
    const qsizetype packed = (static_cast<qsizetype>(length) + 1) / 2;
    if (length < 0 || size - at - 4 < packed) break;
    const unsigned char* in = data + at + 4;
    QByteArray line(length, Qt::Uninitialized);
    char* out = line.data();
    for (qsizetype j = 0; j < length / 2; ++j) {
      out[2 * j] = HexDigits[in[j] >> 4];
      out[2 * j + 1] = HexDigits[in[j] & 0x0f];
    }
    if (length % 2 != 0) out[length - 1] = HexDigits[in[length / 2] >> 4];
    list.append(std::move(line));
    ++result.Records;
    at += 4 + packed;
  }
  if (at < size) {
    result.Damaged = true;
    result.DamagedBytes = size - at;
  }
  return result;
}

void TByn::SavePositions(const TByteLines& list, const QString& fileName) {
  qsizetype total = 0;
  for (qsizetype i = 0; i < list.size(); ++i) {
    const QByteArray& line = list[i];
    for (const char c : line) {
      if (NibbleOf[static_cast<unsigned char>(c)] < 0) {
        throw TFileError(
            QStringLiteral("展開データの %1 行目に16進数字でない文字があるため、%2 に書き込めません")
                .arg(i + 1)
                .arg(NativePath(fileName)));
      }
    }
    if (line.size() > std::numeric_limits<qint32>::max()) {
      throw TFileError(QStringLiteral("展開データの %1 行目が長すぎるため、%2 に書き込めません")
                           .arg(i + 1)
                           .arg(NativePath(fileName)));
    }
    total += 4 + (line.size() + 1) / 2;
  }
  QByteArray bytes(total, Qt::Uninitialized);
  auto* out = reinterpret_cast<unsigned char*>(bytes.data());
  for (const QByteArray& line : list) {
    const auto length = static_cast<quint32>(line.size());
    out[0] = static_cast<unsigned char>(length & 0xff);
    out[1] = static_cast<unsigned char>(length >> 8 & 0xff);
    out[2] = static_cast<unsigned char>(length >> 16 & 0xff);
    out[3] = static_cast<unsigned char>(length >> 24 & 0xff);
    out += 4;
    const auto* in = reinterpret_cast<const unsigned char*>(line.constData());
    const qsizetype pairs = line.size() / 2;
    for (qsizetype j = 0; j < pairs; ++j) {
      *out++ = static_cast<unsigned char>(NibbleOf[in[2 * j]] << 4 | NibbleOf[in[2 * j + 1]]);
    }
    if (line.size() % 2 != 0) *out++ = static_cast<unsigned char>(NibbleOf[in[line.size() - 1]] << 4);
  }
  WriteFileAtomically(fileName, bytes);
}

QString TByn::KeepDamagedOriginal(const QString& fileName) {
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

QString TByn::DamagedMessage(const QString& fileName, const QString& keptCopy) {
  return QStringLiteral(
             "展開データファイル %1 の末尾が壊れていました。読み込めたデータで書き直し、元のファイルは %2 "
             "として残しました。")
      .arg(NativePath(fileName), NativePath(keptCopy));
}

TByteLines TByn::AddNewRaceLines(TByteLines stored, const TByteLines& added, int keyLength) {
  QSet<QByteArray> names;
  names.reserve(stored.size() + added.size());
  for (const QByteArray& line : stored) names.insert(NameKey(TMarkedLine(line, keyLength)));
  for (const QByteArray& line : added) {
    const TMarkedLine marked(line, keyLength);
    if (marked.IsEmpty()) continue;
    const QByteArray name = NameKey(marked);
    if (names.contains(name)) continue;
    names.insert(name);
    stored.append(line);
  }
  return SortAndUnmark(std::move(stored), keyLength);
}

TByteLines TByn::ReplaceRaceLines(TByteLines stored, const TByteLines& current, int keyLength) {
  // First stored line of each name.
  QHash<QByteArray, qsizetype> firstOfName;
  firstOfName.reserve(stored.size());
  for (qsizetype i = 0; i < stored.size(); ++i) {
    const QByteArray name = NameKey(TMarkedLine(stored[i], keyLength));
    if (!firstOfName.contains(name)) firstOfName.insert(name, i);
  }
  for (const QByteArray& line : current) {
    const TMarkedLine marked(line, keyLength);
    if (marked.IsEmpty()) continue;
    const auto found = firstOfName.constFind(NameKey(marked));
    if (found != firstOfName.cend()) stored[*found] = line;
  }
  return SortAndUnmark(std::move(stored), keyLength);
}

QByteArray TByn::AddNewRaces(const QByteArray& stored, const QByteArray& added, int keyLength) {
  return JoinLines(AddNewRaceLines(SplitLines(stored), SplitLines(added), keyLength));
}

QByteArray TByn::ReplaceRaces(const QByteArray& stored, const QByteArray& current, int keyLength) {
  return JoinLines(ReplaceRaceLines(SplitLines(stored), SplitLines(current), keyLength));
}

QByteArray TByn::FindPosLine(const TByteLines& list, QByteArrayView raceKey) {
  for (qsizetype i = list.size() - 1; i >= 0; --i) {
    if (list[i].startsWith(raceKey)) return list[i];
  }
  return {};
}

int TByn::EntryPos(QByteArrayView line, int n, int g) {
  if (line.isEmpty() || line.size() < 24 || n < 1 || g < 1) return 0;
  const int horses = HeaderInt(line, 22, 2);
  const int distance = HeaderInt(line, 16, 4);
  const int sections = distance > 2000 ? 13 : distance > 1400 ? 7 : 4;
  if (n > horses || g > sections) return 0;
  const qsizetype pos = 27 + static_cast<qsizetype>(n - 1) * (4 * sections + 2) + 4 * (sections - g);
  // The caller reads four characters from pos.
  if (pos + 3 > line.size()) return 0;
  return static_cast<int>(pos);
}
