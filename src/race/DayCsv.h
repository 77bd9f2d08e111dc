#pragma once

#include "settings/Settings.h"
#include "store/DayStore.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

// A racing day as a spreadsheet: one row per runner, races in the results
// list's order (meetings as their races first stand in the store, each by race
// number), runners in the sheet's order, with the figures the race window
// shows. Steeplechases, which the race window does not open, are left out.
// Times are given as shown and in seconds; a horse that did not run has no
// times, figures or ground lost.

// The race key as the file writes it: "R" and the sixteen digits, so no
// spreadsheet reads it as a number (they keep 15 significant digits).
QString RaceKeyCsvText(QByteArrayView raceKey);
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
