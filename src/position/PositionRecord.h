#pragma once

#include "position/PositionLine.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QtEndian>

#include <array>
#include <cstring>

// A record of the position file: a signed 32-bit little-endian character
// count, then the characters packed two to a byte as hexadecimal digits (high
// nibble first, a final odd character padded with a zero nibble). Reading,
// recovery and the packed merges all walk records with these; they are
// inline because every record of a large file passes through them.
namespace PositionRecord {

inline constexpr char HexDigits[] = "0123456789ABCDEF";

// Nibble of a hexadecimal digit, -1 for any other byte.
inline constexpr std::array<signed char, 256> MakeNibbleTable() {
  std::array<signed char, 256> table{};
  for (int i = 0; i < 256; ++i) table[i] = -1;
  for (int i = 0; i < 10; ++i) table['0' + i] = static_cast<signed char>(i);
  for (int i = 0; i < 6; ++i) {
    table['A' + i] = static_cast<signed char>(10 + i);
    table['a' + i] = static_cast<signed char>(10 + i);
  }
  return table;
}
inline constexpr std::array<signed char, 256> NibbleOf = MakeNibbleTable();

// The two digits of each packed byte.
inline constexpr std::array<std::array<char, 2>, 256> MakeDigitPairs() {
  std::array<std::array<char, 2>, 256> table{};
  for (int i = 0; i < 256; ++i) table[i] = {HexDigits[i >> 4], HexDigits[i & 0x0f]};
  return table;
}
inline constexpr std::array<std::array<char, 2>, 256> DigitPairs = MakeDigitPairs();

// The longest position line: 99 horses of 13 sections.
inline constexpr qint32 LongestPositionLine = 24 + 99 * (2 + 4 * 13);

// The record's character count, from its length field at `at`.
inline qint32 LengthAt(const uchar* data, qsizetype at) {
  return static_cast<qint32>(static_cast<quint32>(data[at]) | static_cast<quint32>(data[at + 1]) << 8 |
                             static_cast<quint32>(data[at + 2]) << 16 |
                             static_cast<quint32>(data[at + 3]) << 24);
}

// Bytes of the record at `at` (length field and packed characters) when its
// length is one the file can hold; -1 otherwise.
inline qsizetype RecordSpanAt(const uchar* data, qsizetype size, qsizetype at) {
  if (size - at < 4) return -1;
  const qint32 length = LengthAt(data, at);
  const qsizetype packed = (static_cast<qsizetype>(length) + 1) / 2;
  if (length < 0 || size - at - 4 < packed) return -1;
  return 4 + packed;
}

// Whether both nibbles of every byte are decimal digits; eight bytes at a
// time, since every record of the file passes through here.
inline bool DecimalBytes(const uchar* in, qsizetype count) {
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

// Every race key has this many digits.
inline constexpr qint32 KeyDigits = 16;

// The header's number of `count` digits from character `from`; the header
// is known to be decimal.
inline int HeaderNumber(const uchar* in, int from, int count) {
  int value = 0;
  for (int i = from; i < from + count; ++i)
    value = value * 10 + (i % 2 == 0 ? in[i / 2] >> 4 : in[i / 2] & 0x0f);
  return value;
}

// Whether the record at `at` (its length known to fit the file) has a
// decimal header whose distance and horse count give its length.
inline bool LengthFitsHeader(const uchar* data, qsizetype at) {
  const qint32 length = LengthAt(data, at);
  const uchar* in = data + at + 4;
  if (length < 24 || !DecimalBytes(in, 12)) return false;
  const int sections = TPositionLine::SectionCount(HeaderNumber(in, 16, 4));
  return length == 24 + HeaderNumber(in, 22, 2) * (2 + 4 * sections);
}

// Whether the record at `at` is a position line as the converter writes it:
// digits only, a key with a month and a day, and as long as its own distance
// and horse count say.
inline bool PositionRecordAt(const uchar* data, qsizetype size, qsizetype at) {
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

// Writes the record of a line at `out` and moves past it; false when a
// character is no hexadecimal digit. Out of line: inlined into the save's
// loop, GCC builds a slower inner loop (a whole-file save a third slower).
Q_NEVER_INLINE inline bool PackRecord(QByteArrayView line, unsigned char*& at) {
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

inline qsizetype RecordSize(QByteArrayView line) {
  return 4 + (line.size() + 1) / 2;
}

// The bytes of an existing file, mapped rather than read: the file is large
// and read once, front to back. `copy` holds them where mapping fails. Throws
// TFileError when the file cannot be read.
const uchar* MapWhole(QFile& file, QByteArray& copy);

}  // namespace PositionRecord
