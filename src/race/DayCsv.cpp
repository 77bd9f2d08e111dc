#include "race/DayCsv.h"
#include "race/RunRows.h"

#include "position/PositionLine.h"
#include "race/RaceGrid.h"
#include "race/RaceSheet.h"
#include "race/RaceState.h"
#include "records/RaceRecord.h"
#include "records/Venues.h"
#include "text/IntConvert.h"
#include "text/PlainText.h"

#include <algorithm>

namespace {

QString Spot(int value) {
  return value > 0 ? QString::number(value) : QString();
}

bool IsInteger(const QString& text) {
  const qsizetype start = text.startsWith(u'-') ? 1 : 0;
  if (text.size() == start) return false;
  for (qsizetype i = start; i < text.size(); ++i)
    if (text[i] < u'0' || text[i] > u'9') return false;
  return true;
}

// A spreadsheet takes text that starts like this for a formula and runs it.
bool StartsLikeFormula(const QString& text) {
  if (text.isEmpty()) return false;
  const QChar first = text.front();
  return first == u'=' || first == u'+' || first == u'-' || first == u'@' || first == u'\t' || first == u'\r';
}

QString CsvField(const QString& field) {
  // An apostrophe in front makes it read as text; integers such as -2 stay numbers.
  const QString text = StartsLikeFormula(field) && !IsInteger(field) ? u'\'' + field : field;
  if (!text.contains(u',') && !text.contains(u'"') && !text.contains(u'\n') && !text.contains(u'\r'))
    return text;
  QString quoted = text;
  quoted.replace(QStringLiteral("\""), QStringLiteral("\"\""));
  return u'"' + quoted + u'"';
}

}  // namespace

QStringList DayCsvHeader() {
  return {QStringLiteral("レースキー"),
          QStringLiteral("場"),
          QStringLiteral("R"),
          QStringLiteral("コース"),
          QStringLiteral("馬番"),
          QStringLiteral("馬名"),
          QStringLiteral("着順"),
          QStringLiteral("走破"),
          QStringLiteral("実走"),
          QStringLiteral("m/min"),
          QStringLiteral("３コーナー列"),
          QStringLiteral("３コーナー内外"),
          QStringLiteral("４コーナー列"),
          QStringLiteral("４コーナー内外"),
          QStringLiteral("付加タイム")};
}

QList<QStringList> DayCsvRows(const TDayStore& store, const QByteArray& date, const TSettings& settings) {
  TRaceRecord race;
  QList<QByteArray> raceLines;
  for (const TRaceEntry& entry : store.Races)
    if (race.RaceDate(entry.RaceLine) == date && !race.IsSteeplechase(entry.RaceLine))
      raceLines.append(entry.RaceLine);
  std::stable_sort(raceLines.begin(), raceLines.end(), [&race](const QByteArray& a, const QByteArray& b) {
    return race.RaceKey(a) < race.RaceKey(b);
  });

  QList<QStringList> rows;
  for (const QByteArray& raceLine : raceLines) {
    for (const TRunRow& run : RaceRunRows(store, raceLine, settings))
      rows.append({QString::fromLatin1(run.RaceKey), run.Venue, QString::number(run.RaceNumber), run.Course,
                   QString::number(run.HorseNumber), run.Name, run.Place, run.RunTime, run.Converted,
                   run.Speed, Spot(run.Row3), Spot(run.Lane3), Spot(run.Row4), Spot(run.Lane4),
                   run.AddedTime});
  }
  return rows;
}

QByteArray CsvText(const QList<QStringList>& rows) {
  QString text;
  for (const QStringList& row : rows) {
    QStringList fields;
    for (const QString& field : row) fields.append(CsvField(field));
    text += fields.join(u',') + QStringLiteral("\r\n");
  }
  return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

QByteArray DayCsvText(const TDayStore& store, const QByteArray& date, const TSettings& settings) {
  return CsvText(QList<QStringList>{DayCsvHeader()} + DayCsvRows(store, date, settings));
}
