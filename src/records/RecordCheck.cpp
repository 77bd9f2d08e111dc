#include "records/RecordCheck.h"

#include "records/RecordLayout.h"

namespace {

bool AsciiDigits(QByteArrayView text) {
  for (const char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

}  // namespace

QByteArrayView ShownRaceKey(QByteArrayView line) {
  if (line.size() < KeyField::RaceKey + KeyField::RaceKeyWidth) return {};
  const QByteArrayView key = line.sliced(KeyField::RaceKey, KeyField::RaceKeyWidth);
  return AsciiDigits(key) ? key : QByteArrayView();
}

QString RecordLineFault(QByteArrayView line) {
  const QByteArrayView head = line.first(std::min<qsizetype>(3, line.size()));
  qsizetype length = 0;
  if (head == "RA6" || head == "RA7") {
    length = RaField::LineLength;
  } else if (head == "SE6" || head == "SE7") {
    length = SeField::LineLength;
  } else if (head == "HR1") {
    length = HrField::LineLength;
  } else {
    return QStringLiteral("種別が %1 の記録は扱えません").arg(QString::fromLatin1(head.toByteArray().toPercentEncoding()));
  }
  const QString type = QString::fromLatin1(head.first(2));
  if (line.size() != length) {
    return QStringLiteral("%1 の記録が %2 バイトです（正しくは %3 バイト）").arg(type).arg(line.size() + 2).arg(length + 2);
  }
  if (ShownRaceKey(line).isEmpty()) return QStringLiteral("%1 の記録のレースキーが16桁の数字ではありません").arg(type);
  return {};
}
