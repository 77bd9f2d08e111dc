#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <array>
#include <cstddef>
#include <cstring>

// The validation every record accessor shares: the line with CR LF appended
// must begin with the record type and be exactly the record length in CP932
// bytes. Lines are already CP932 bytes, so their size is that length. Only an
// accepted line replaces the buffer.
template <std::size_t N>
bool LoadRecordBuffer(std::array<char, N>& buffer, const QByteArray& line, const char (&recordType)[3]) {
  if (line.size() + 2 != qsizetype(N)) return false;
  if (!line.startsWith(recordType)) return false;
  std::memcpy(buffer.data(), line.constData(), N - 2);
  buffer[N - 2] = '\r';
  buffer[N - 1] = '\n';
  return true;
}

// A field of the buffer; the offsets are compile-time layout constants, checked here once more.
template <std::size_t N>
QByteArrayView BufferField(const std::array<char, N>& buffer, int offset, int width) {
  Q_ASSERT(offset >= 0 && width >= 0 && std::size_t(offset + width) <= N);
  return QByteArrayView(buffer.data() + offset, width);
}
