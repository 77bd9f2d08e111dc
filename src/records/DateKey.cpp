#include "records/DateKey.h"

#include <algorithm>

QByteArray DateKey(const QDate& day) {
  return day.toString(QStringLiteral("yyyyMMdd")).toLatin1();
}

QDate DateOfKey(QByteArrayView key) {
  if (key.size() != 8 || !std::all_of(key.begin(), key.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return {};
  return QDate::fromString(QString::fromLatin1(key), QStringLiteral("yyyyMMdd"));
}
