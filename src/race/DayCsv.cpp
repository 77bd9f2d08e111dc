#include "race/DayCsv.h"
#include "race/RunRows.h"

#include "race/RaceSheet.h"
#include "records/RaceRecord.h"
#include "records/RecordLayout.h"
#include "text/IntConvert.h"
#include "text/PlainText.h"

#include <algorithm>

using namespace Qt::StringLiterals;

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

// The day's races in the rows' order, the first entry of each race key.
QList<const TRaceEntry*> DayCsvRaces(const TDayStore& store, const QByteArray& date) {
  TRaceRecord race;
  QList<QByteArray> meetings;
  QList<QByteArray> keys;
  QList<QPair<int, const TRaceEntry*>> races;  // the meeting's column and race number, entry
  for (const TRaceEntry& entry : store.Races) {
    if (race.RaceDate(entry.RaceLine) != date) continue;
    const QByteArray key = race.RaceKey(entry.RaceLine);
    // The first line of a race wins, as in the list's cell.
    if (keys.contains(key)) continue;
    keys.append(key);
    const QByteArray meeting = key.left(KeyField::MeetingKeyWidth);
    if (!meetings.contains(meeting)) meetings.append(meeting);
    if (!race.IsSteeplechase(entry.RaceLine))
      races.append({int(meetings.indexOf(meeting)) * 100 + StrToIntOrZero(key.mid(14, 2)), &entry});
  }
  std::stable_sort(races.begin(), races.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  QList<const TRaceEntry*> entries;
  for (const auto& race : std::as_const(races)) entries.append(race.second);
  return entries;
}

}  // namespace

QString RaceKeyCsvText(QByteArrayView raceKey) {
  return u'R' + QString::fromLatin1(raceKey);
}

QStringList DayCsvHeader() {
  static const char16_t* const names[] = {u"レースキー",   u"日付",
                                          u"場",           u"R",
                                          u"レース名",     u"芝ダ",
                                          u"距離",         u"クラス",
                                          u"馬場",         u"枠",
                                          u"馬番",         u"馬名",
                                          u"騎手",         u"着順",
                                          u"状態",         u"走破",
                                          u"走破(秒)",     u"実走",
                                          u"実走(秒)",     u"m/min",
                                          u"３コーナー列", u"３コーナー内外",
                                          u"４コーナー列", u"４コーナー内外",
                                          u"ロス(m)",      u"付加タイム(0.1秒)"};
  QStringList header;
  for (const char16_t* name : names) header.append(QString::fromUtf16(name));
  return header;
}

QList<QStringList> DayCsvRows(const TDayStore& store, const QByteArray& date, const TSettings& settings) {
  TRaceRecord race;
  const QString day = QString::fromLatin1(date.left(4) + '-' + date.mid(4, 2) + '-' + date.mid(6, 2));
  QList<QStringList> rows;
  for (const TRaceEntry* entry : DayCsvRaces(store, date)) {
    const QByteArray& raceLine = entry->RaceLine;
    const QString course = race.TrackDistance(raceLine);
    QString name = WithoutControls(race.RaceName(raceLine)).trimmed();
    if (name.isEmpty()) name = WithoutControls(race.RaceLabel(raceLine)).trimmed();
    const QString klass = race.ClassLabel(raceLine).trimmed();
    const QString going = race.GoingLabel(raceLine);
    const bool straight = IsStraightCourse(entry->PositionLine);
    for (const TRunRow& run : RaceRunRows(store, raceLine, settings)) {
      // A horse that did not run has no times, rather than 0.00.0.
      const bool ran = run.RunTenths > 0;
      const auto ifRan = [ran](const QString& text) { return ran ? text : QString(); };
      const auto seconds = [ran](int tenths) {
        return ran ? QString::number(tenths / 10.0, 'f', 1) : QString();
      };
      // The export leaves a zero blank; here it is a number like any other. A
      // straight course has no added time.
      const QString added = !ran || straight ? QString() : run.AddedTime.isEmpty() ? u"0"_s : run.AddedTime;
      rows.append({RaceKeyCsvText(run.RaceKey),
                   day,
                   run.Venue,
                   QString::number(run.RaceNumber),
                   name,
                   course.left(1),
                   course.mid(1),
                   klass,
                   going,
                   Spot(run.Frame),
                   QString::number(run.HorseNumber),
                   run.Name,
                   run.Jockey,
                   Spot(run.FinalPlace),
                   run.Mark,
                   ifRan(run.RunTime),
                   seconds(run.RunTenths),
                   ifRan(run.Converted),
                   seconds(run.ConvertedTenths),
                   ifRan(run.Speed),
                   Spot(run.Row3),
                   Spot(run.Lane3),
                   Spot(run.Row4),
                   Spot(run.Lane4),
                   ifRan(QString::number(run.GroundLost)),
                   added});
    }
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
