#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDate>

// A day as the data service names it: "yyyymmdd", the first eight characters
// of a race key and the key a day is asked for by.
QByteArray DateKey(const QDate& day);
// The day of a date key; invalid unless the key is eight ASCII digits of a real date.
QDate DateOfKey(QByteArrayView key);
