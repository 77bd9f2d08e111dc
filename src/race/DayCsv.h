#pragma once

#include "settings/Settings.h"
#include "store/DayStore.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

// A racing day as a spreadsheet: one row per runner of the day's races, in
// race-key order, with the figures the race window shows. Steeplechases,
// which the race window does not open, are left out.

QStringList DayCsvHeader();
// Throws TConvertError when a race's data do not convert.
QList<QStringList> DayCsvRows(const TDayStore& store, const QByteArray& date, const TSettings& settings);

// Rows as CSV text: UTF-8 with a byte-order mark, so spreadsheet programs read
// the Japanese correctly; CR LF line ends; a field that starts with =, +, -,
// @, a tab or a carriage return and is no integer gets a leading apostrophe, so
// it reads as text; a field holding a comma, a quote or a line break is quoted,
// its quotes doubled.
QByteArray CsvText(const QList<QStringList>& rows);

// The day's file: the header and every row as CsvText. Throws as DayCsvRows.
QByteArray DayCsvText(const TDayStore& store, const QByteArray& date, const TSettings& settings);
