#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// What a check found wrong with one input; empty when everything held.
class TFailures {
public:
  void Expect(bool ok, const QString& what) {
    if (!ok) FList.append(what);
  }
  bool Empty() const { return FList.isEmpty(); }
  QString Text() const { return FList.join(u'\n'); }

private:
  QStringList FList;
};

using TCheckFunction = TFailures (*)(QByteArrayView data);

// Reads the fuzzer's bytes as the fields of a record or a file: fixed-size
// pieces first, then whatever is left. Running out gives zero bytes.
class TFuzzInput {
public:
  explicit TFuzzInput(QByteArrayView data) : FData(data) {}

  QByteArrayView Take(qsizetype count) {
    count = std::clamp<qsizetype>(count, 0, FData.size() - FPos);
    const QByteArrayView piece = FData.sliced(FPos, count);
    FPos += count;
    return piece;
  }
  quint8 Byte() {
    const QByteArrayView b = Take(1);
    return b.isEmpty() ? 0 : static_cast<quint8>(b[0]);
  }
  quint16 Word() { return static_cast<quint16>(Byte() << 8 | Byte()); }
  QByteArrayView Rest() { return Take(FData.size() - FPos); }
  bool AtEnd() const { return FPos >= FData.size(); }

private:
  QByteArrayView FData;
  qsizetype FPos = 0;
};

inline QByteArray FileBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool AllDigits(QByteArrayView bytes) {
  return std::all_of(bytes.begin(), bytes.end(), [](char c) { return c >= '0' && c <= '9'; });
}

inline QString Shown(QByteArrayView bytes) {
  return QString::fromLatin1(
      bytes.first(std::min<qsizetype>(bytes.size(), 120)).toByteArray().toPercentEncoding(" =,()-*.+"));
}

// The libFuzzer entry: a broken property is a crash the fuzzer keeps.
inline int RunFuzzCheck(TCheckFunction check, const uint8_t* data, size_t size) {
  const TFailures failures = check(QByteArrayView(data, static_cast<qsizetype>(size)));
  if (!failures.Empty()) {
    std::fprintf(stderr, "property broken:\n%s\n", failures.Text().toUtf8().constData());
    std::abort();
  }
  return 0;
}
