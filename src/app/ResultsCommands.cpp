#include "CliCommands.h"
#include "TextTable.h"

#include "race/DayCsv.h"
#include "results/ResultsCells.h"
#include "results/ResultsList.h"
#include "settings/BandRules.h"
#include "text/Cp932.h"
#include "text/IntConvert.h"

#include <QJsonArray>
#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace {

constexpr TCellRect CellRect{0, 0, TResultsLayout::VenueColumnWidth, TResultsLayout::RowHeight};
constexpr int FirstFinisherBox = 4;

QString Hex(TRgb rgb) {
  return u"#%1%2%3"_s.arg(rgb.R, 2, 16, QLatin1Char('0'))
      .arg(rgb.G, 2, 16, QLatin1Char('0'))
      .arg(rgb.B, 2, 16, QLatin1Char('0'));
}

// A frame colour by the name a racing fan gives it.
QString FrameColourName(TRgb rgb) {
  static const char16_t* const Names8[] = {u"白", u"黒", u"赤", u"青", u"黄", u"緑", u"橙", u"桃"};
  for (int frame = 1; frame <= 8; ++frame)
    if (TResultsCells::FrameColour8(frame) == rgb) return QString::fromUtf16(Names8[frame - 1]);
  if (TResultsCells::FrameColour3(1) == rgb) return u"灰"_s;
  if (TResultsCells::FrameColour3(7) == rgb) return u"紫"_s;
  if (TResultsCells::FrameColour3(0) == rgb) return u"水"_s;
  return Hex(rgb);
}

QString BandLabelOf(TRgb fill) {
  for (const TBand band : AllBands)
    if (BandColour(band) == fill) return BandLabel(band);
  return {};
}

struct TFinisher {
  QString Text;
  QJsonObject Json;
};

TFinisher DescribeFinisher(const TCellBox& box, const TPlaceEntry& entry, TDisplayMode mode) {
  const TRgb fill =
      box.Fill && box.Fill->Role == TPaintColour::TRole::Rgb ? box.Fill->Rgb : TRgb{255, 255, 255};
  const int frame = StrToIntOrZero(QByteArrayView(&entry.Frame, 1));
  const int horse = StrToIntOrZero(entry.HorseNumber);
  const int payout = StrToIntOrZero(entry.Payout);
  QJsonObject json{{u"frame"_s, frame},
                   {u"horseNumber"_s, horse},
                   {u"corner3"_s, QString::fromLatin1(entry.Corner3)},
                   {u"corner4"_s, QString::fromLatin1(entry.Corner4)},
                   {u"payout"_s, payout},
                   {u"jockey"_s, DecodeCp932(entry.Jockey).trimmed()},
                   {u"text"_s, box.Text},
                   {u"fill"_s, Hex(fill)},
                   {u"border"_s, box.Border ? QJsonValue(Hex(*box.Border)) : QJsonValue()},
                   {u"bold"_s, box.Bold}};
  QString text;
  switch (mode) {
    case TDisplayMode::Start:
      text = u"%1枠%2(%3)"_s.arg(frame).arg(horse, 2, 10, QLatin1Char('0')).arg(FrameColourName(fill));
      json.insert(u"colour"_s, FrameColourName(fill));
      break;
    case TDisplayMode::Corner3:
    case TDisplayMode::Corner4: {
      const QString band = BandLabelOf(fill);
      json.insert(u"band"_s, band);
      text = band + box.Text + (box.Bold ? u"*"_s : QString());
      if (text.isEmpty()) text = u"-"_s;
      break;
    }
    case TDisplayMode::Jockey:
      text = payout > 0 ? u"%1円"_s.arg(payout) : u"-"_s;
      if (!box.Text.isEmpty()) text = box.Text + u' ' + text;
      break;
  }
  return {text, json};
}

QString ModeName(TDisplayMode mode) {
  switch (mode) {
    case TDisplayMode::Start:
      return u"start"_s;
    case TDisplayMode::Corner3:
      return u"3c"_s;
    case TDisplayMode::Corner4:
      return u"4c"_s;
    case TDisplayMode::Jockey:
      return u"jockey"_s;
  }
  return {};
}

void ApplyModes(TDisplayModes& modes, const TCliArgs& args) {
  const QString mode = args.Value(u"--mode"_s, u"start"_s);
  if (mode == u"3c") {
    modes.PressCorner3();
  } else if (mode == u"4c") {
    modes.PressCorner4();
  } else if (mode == u"jockey") {
    const int threshold =
        ParseCount(u"--threshold"_s, args.Value(u"--threshold"_s, u"1"_s), 1, TDisplayModes::MaxThreshold);
    for (int press = 0; press < threshold; ++press) modes.PressJockey();
  } else if (mode != u"start") {
    throw TCliError(u"--mode は start, 3c, 4c, jockey のどれかです: %1"_s.arg(mode), true);
  }
  if (args.Has(u"--threshold"_s) && mode != u"jockey")
    throw TCliError(u"--threshold は --mode jockey と一緒に指定します"_s, true);

  const QString filter = args.Value(u"--filter"_s, u"all"_s);
  if (filter == u"turf")
    modes.SetFilter(TSurfaceFilter::Turf);
  else if (filter == u"dirt")
    modes.SetFilter(TSurfaceFilter::Dirt);
  else if (filter != u"all")
    throw TCliError(u"--filter は all, turf, dirt のどれかです: %1"_s.arg(filter), true);
}

}  // namespace

int RunDays(const TCliArgs& args, const TCliOutput& output) {
  const QList<TArchivedDay> stored =
      StoredDays(args.AppDir, CheckedDateOption(args, u"--from"_s), CheckedDateOption(args, u"--to"_s));
  QJsonArray days;
  TTextTable table;
  table.AddRow({u"日付"_s, u"成績"_s, u"開催"_s, u"レース数"_s});
  table.SetAlign(3, TColumnAlign::Right);
  for (const TArchivedDay& day : stored) {
    QJsonArray venues;
    QStringList titles;
    int races = 0;
    for (const auto& [meeting, count] : day.Meetings) {
      const QString title = TResultsList::MeetingTitle(meeting);
      titles.append(title);
      races += count;
      venues.append(QJsonObject{
          {u"meetingKey"_s, QString::fromLatin1(meeting)}, {u"title"_s, title}, {u"races"_s, count}});
    }
    const QString date = QString::fromLatin1(day.Date);
    days.append(QJsonObject{{u"date"_s, date}, {u"caption"_s, DayCaption(day.Date)}, {u"venues"_s, venues}});
    table.AddRow({date, DayCaption(day.Date), titles.join(u' '), QString::number(races)});
  }
  if (args.Flags.contains(u"--json"_s)) {
    output.Json(days);
  } else if (days.isEmpty()) {
    output.Out(NoDataMessage() + u'\n');
  } else {
    output.Out(table.Render());
  }
  return 0;
}

int RunDay(const TCliArgs& args, const TCliOutput& output) {
  const QByteArray date = ChosenDate(args.AppDir, CheckedDateArgument(args));
  TReadOnlyStart start = OpenDays(args.AppDir, date, date);
  TResultsList list(start.Store, start.Settings);
  ApplyModes(list.Modes(), args);
  if (args.Flags.contains(u"--csv"_s)) {
    const QByteArray csv = DayCsvText(start.Store, date, start.Settings);
    std::fwrite(csv.constData(), 1, size_t(csv.size()), output.OutFile());
    std::fflush(output.OutFile());
    return 0;
  }
  list.Open();
  list.ShowDay(int(start.Store.RaceDates.indexOf(date)));
  const TDisplayModes& modes = list.Modes();
  TResultsCells cells(list);

  QJsonArray venues;
  QString text = list.Caption() + u'\n';
  QString modeText =
      modes.Mode() == TDisplayMode::Jockey ? modes.JockeyCaption() : TDisplayModes::Caption(modes.Mode());
  if (modes.Mode() == TDisplayMode::Start) modeText += start.Settings.Display ? u"（８色）"_s : u"（３色）"_s;
  text += u"表示: %1  %2\n"_s.arg(modeText, TDisplayModes::FilterCaption(modes.Filter()));
  bool anyWet = false;
  for (int v = 1; v <= list.VenueCount(); ++v) {
    const QByteArray meetingKey = list.Venues()[v - 1];
    const QString title = TResultsList::MeetingTitle(meetingKey);
    TTextTable table;
    table.AddRow({QString(), u"コース"_s, u"レース"_s, u"クラス"_s, u"馬場"_s, u"1着"_s, u"2着"_s, u"3着"_s});
    QJsonArray races;
    for (int row = 0; row < TResultsList::RowCount; ++row) {
      const QString label = DecodeCp932(TResultsList::RaceLabel(row));
      const QByteArray line = list.Cell(v, row);
      if (line.isEmpty()) {
        table.AddRow({label, u"-"_s});
        races.append(QJsonValue());
        continue;
      }
      const TCellPaint paint = cells.DrawCell(v, row, CellRect, false, false);
      const bool wet = paint.Boxes[3].Fill.has_value();
      anyWet = anyWet || wet;
      QStringList cellsText{label, paint.Boxes[0].Text, paint.Boxes[1].Text.trimmed(),
                            paint.Boxes[2].Text.trimmed(), paint.Boxes[3].Text + (wet ? u"＊"_s : QString())};
      QJsonArray finishers;
      for (int q = 0; q + FirstFinisherBox < paint.Boxes.size(); ++q) {
        const TFinisher finisher =
            DescribeFinisher(paint.Boxes[FirstFinisherBox + q], list.PlaceEntry(q), modes.Mode());
        cellsText.append(finisher.Text);
        finishers.append(finisher.Json);
      }
      if (paint.Greyed) cellsText.append(u"（対象外）"_s);
      table.AddRow(cellsText);
      races.append(QJsonObject{{u"label"_s, label.trimmed()},
                               {u"raceKey"_s, QString::fromLatin1(list.RaceAccessor().RaceKey(line))},
                               {u"track"_s, paint.Boxes[0].Text},
                               {u"raceLabel"_s, paint.Boxes[1].Text.trimmed()},
                               {u"class"_s, paint.Boxes[2].Text.trimmed()},
                               {u"going"_s, paint.Boxes[3].Text},
                               {u"wet"_s, wet},
                               {u"greyed"_s, paint.Greyed},
                               {u"finishers"_s, finishers}});
    }
    text += u'\n' + title + u"  ("_s + QString::fromLatin1(meetingKey) + u")\n"_s + table.Render(u"  "_s);
    venues.append(QJsonObject{
        {u"meetingKey"_s, QString::fromLatin1(meetingKey)}, {u"title"_s, title}, {u"races"_s, races}});
  }
  if (anyWet) text += u"\n＊ 雨または雪\n"_s;

  if (args.Flags.contains(u"--json"_s)) {
    QJsonArray counts;
    for (const TJockeyCount& count : list.JockeyCounts())
      counts.append(QJsonObject{{u"name"_s, count.Name.trimmed()}, {u"count"_s, count.Count}});
    output.Json(QJsonObject{{u"date"_s, QString::fromLatin1(start.Store.RaceDates[list.DayIndex()])},
                            {u"caption"_s, list.Caption()},
                            {u"previousEnabled"_s, list.PreviousEnabled()},
                            {u"nextEnabled"_s, list.NextEnabled()},
                            {u"mode"_s, ModeName(modes.Mode())},
                            {u"modeCaption"_s, modeText},
                            {u"filter"_s, args.Value(u"--filter"_s, u"all"_s)},
                            {u"frameColours"_s, start.Settings.Display ? 8 : 3},
                            {u"venues"_s, venues},
                            {u"jockeyCounts"_s, counts}});
  } else {
    output.Out(text);
  }
  return 0;
}
