#include "CliCommands.h"
#include "TextTable.h"
#include "records/DateKey.h"

#include "results/TrackBias.h"
#include "settings/BandRules.h"

#include <QDate>
#include <QJsonArray>
#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace {

QString DayCaptionOf(const QByteArray& date) {
  const QDate day = DateOfKey(date);
  return u"%1年%2月%3日"_s.arg(day.year()).arg(day.month()).arg(day.day());
}

QJsonObject CountsJson(const TBiasCounts& counts) {
  QJsonObject bands, lanes;
  for (int b = 0; b < BandCount; ++b) bands.insert(BandLabel(AllBands[b]), counts.Bands[b]);
  for (int l = 0; l < LaneGroupCount; ++l) lanes.insert(LaneGroupLabel(TLaneGroup(l)), counts.Lanes[l]);
  return {{u"horses"_s, counts.Horses}, {u"bands"_s, bands}, {u"lanes"_s, lanes}};
}

// One line of counts with each share of the horses counted.
QStringList CountsRow(const QString& label, const TBiasCounts& counts) {
  QStringList cells{label};
  for (int b = 0; b < BandCount; ++b) cells.append(BiasCountText(counts.Bands[b], counts.Horses));
  for (int l = 0; l < LaneGroupCount; ++l) cells.append(BiasCountText(counts.Lanes[l], counts.Horses));
  return cells;
}

}  // namespace

int RunBias(const TCliArgs& args, const TCliOutput& output) {
  // A day, or a range of days (a meeting, a month) counted together.
  QByteArray from = CheckedDateOption(args, u"--from"_s), to = CheckedDateOption(args, u"--to"_s);
  if (from.isEmpty() && to.isEmpty()) from = to = ChosenDate(args.AppDir, CheckedDateArgument(args));
  TReadOnlyStart start = OpenDays(args.AppDir, from, to);
  if (start.Store.Races.isEmpty()) throw TCliError(NoDataMessage());
  const QList<TBiasGroup> groups =
      RangeBias(start.Store, from, to.isEmpty() ? QByteArray("99999999") : to, start.Settings);

  if (args.Flags.contains(u"--json"_s)) {
    QJsonArray list;
    for (const TBiasGroup& g : groups) {
      list.append(
          QJsonObject{{u"venue"_s, g.Venue},
                      {u"surface"_s, g.SurfaceLabel()},
                      {u"races"_s, g.Races},
                      {u"verdict"_s, g.Verdict},
                      {u"corner3"_s, QJsonObject{{u"placed"_s, CountsJson(g.Corners[Corner3].Placed)},
                                                 {u"field"_s, CountsJson(g.Corners[Corner3].Field)}}},
                      {u"corner4"_s, QJsonObject{{u"placed"_s, CountsJson(g.Corners[Corner4].Placed)},
                                                 {u"field"_s, CountsJson(g.Corners[Corner4].Field)}}}});
    }
    QJsonObject json{{u"groups"_s, list}};
    if (from == to) {
      json.insert(u"date"_s, QString::fromLatin1(from));
    } else {
      json.insert(u"from"_s, QString::fromLatin1(from));
      json.insert(u"to"_s, QString::fromLatin1(to));
    }
    output.Json(json);
    return 0;
  }

  const QString period = from == to ? DayCaptionOf(from)
                                    : u"%1～%2"_s.arg(from.isEmpty() ? QString() : DayCaptionOf(from),
                                                      to.isEmpty() ? QString() : DayCaptionOf(to));
  QString text = u"%1 馬場傾向（上位3頭と全出走馬の位置）\n"_s.arg(period);
  if (groups.isEmpty()) text += u"対象のレースがありません（障害戦と直線コースは除きます）。\n"_s;
  for (const TBiasGroup& g : groups) {
    text += u"\n%1 %2  %3レース  判定: %4\n"_s.arg(g.Venue, g.SurfaceLabel()).arg(g.Races).arg(g.Verdict);
    TTextTable table;
    QStringList header{QString()};
    for (const TBand band : AllBands) header.append(BandLabel(band));
    for (int l = 0; l < LaneGroupCount; ++l) header.append(LaneGroupLabel(TLaneGroup(l)));
    table.AddRow(header);
    for (int column = 1; column < header.size(); ++column) table.SetAlign(column, TColumnAlign::Right);
    for (const int c : {int(Corner4), int(Corner3)}) {
      const QString corner = c == Corner4 ? u"４コーナー"_s : u"３コーナー"_s;
      table.AddRow(CountsRow(corner + u" 上位3頭"_s, g.Corners[c].Placed));
      table.AddRow(CountsRow(corner + u" 全出走馬"_s, g.Corners[c].Field));
    }
    text += table.Render(u"  "_s);
  }
  output.Out(text);
  return 0;
}
