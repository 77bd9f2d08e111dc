#include "CliCommands.h"
#include "TextTable.h"

#include "position/PositionLine.h"
#include "race/CorrectedTimeExport.h"
#include "race/OpenRace.h"
#include "race/RaceGrid.h"
#include "race/RaceMath.h"
#include "race/RaceSheet.h"
#include "race/TrackDiagram.h"
#include "records/RaceRecord.h"
#include "shell/ShellState.h"
#include "store/DayStoreLoader.h"
#include "text/IntConvert.h"
#include "text/PlainText.h"

#include <QJsonArray>
#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace {

// Sixteen digits, or the day CSV's form of them: "R" in front.
QByteArray CheckedRaceKey(const QString& text) {
  const QString digits = text.size() == 17 && text.startsWith(u'R') ? text.mid(1) : text;
  if (digits.size() != 16 ||
      !std::all_of(digits.begin(), digits.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
    throw TCliError(u"レースキーは16桁の数字です: %1"_s.arg(text), true);
  return digits.toLatin1();
}

// The stored race line of a key; the last one wins, as in every keyed lookup.
QByteArray FindRaceLine(const TDayStore& store, const QByteArray& raceKey) {
  if (store.Races.isEmpty()) throw TCliError(NoDataMessage());
  TRaceRecord race;
  QByteArray found;
  for (const TRaceEntry& entry : store.Races)
    if (race.RaceKey(entry.RaceLine) == raceKey) found = entry.RaceLine;
  if (found.isEmpty())
    throw TCliError(
        u"レース %1 はデータにありません。day で確かめてください。"_s.arg(QString::fromLatin1(raceKey)));
  return found;
}

void RefuseSteeplechase(const QByteArray& raceLine) {
  TRaceRecord race;
  if (race.IsSteeplechase(raceLine)) throw TCliError(SteeplechaseText().trimmed());
}

// Row and lane of horse n in the section g from the goal; "0000" when it has no entry.
QByteArray SectionEntry(const QByteArray& positionLine, int n, int g) {
  const QByteArrayView entry = TPositionLine(positionLine).Entry(n, g);
  return entry.isEmpty() ? QByteArray("0000") : entry.toByteArray();
}

QString SpotText(const QByteArray& entry) {
  if (entry == "0000") return u"-"_s;
  return u"%1-%2"_s.arg(StrToIntOrZero(entry.left(2))).arg(StrToIntOrZero(entry.mid(2, 2)));
}

}  // namespace

int RunRace(const TCliArgs& args, const TCliOutput& output) {
  const QByteArray raceKey = CheckedRaceKey(args.Positional.first());
  TReadOnlyStart start = OpenDays(args.AppDir, raceKey.left(8), raceKey.left(8));
  const QByteArray raceLine = FindRaceLine(start.Store, raceKey);
  RefuseSteeplechase(raceLine);
  const TOpenRace race(start.Store, raceLine, start.Settings);
  const TRaceState& state = race.State();
  const int initialTab = race.InitialTab();

  // The sheet: header row, then a row per horse in arrival order.
  TTextTable sheet;
  QJsonArray sheetRows;
  QList<int> numbers;
  QStringList names;
  for (int row = 0; row < TRaceSheet::RowCount; ++row) {
    QStringList cells;
    bool any = false;
    for (int column = 0; column < TRaceSheet::ColumnCount; ++column) {
      const TCellLook look = RaceCellLook(state.Sheet, state.PositionLine, column, row);
      if (row > 0)
        sheet.SetAlign(column, look.Align == TCellAlign::Right ? TColumnAlign::Right : TColumnAlign::Left);
      cells.append(WithoutControls(look.Text).trimmed());
      any = any || !cells.last().isEmpty();
    }
    if (!any) continue;
    sheet.AddRow(cells);
    if (row == 0) continue;
    sheetRows.append(QJsonArray::fromStringList(cells));
    numbers.append(StrToIntOrZero(state.Sheet.Cell(TRaceSheet::NumberColumn, row).toLatin1()));
    names.append(cells[TRaceSheet::NameColumn]);
  }

  // Every horse's row and lane at each section the race offers.
  TTextTable spots;
  QStringList header{u"番"_s, u"馬名"_s};
  header.append(state.Tabs);
  spots.AddRow(header);
  spots.SetAlign(0, TColumnAlign::Right);
  QJsonArray positions;
  for (qsizetype h = 0; h < numbers.size(); ++h) {
    const int n = numbers[h];
    QStringList cells{QString::number(n), names[h]};
    QJsonObject sections;
    for (const QString& tab : state.Tabs) {
      const QByteArray entry =
          n >= 1 && n <= state.N
              ? SectionEntry(state.PositionLine, n, TTrackDiagram::CaptionSection(tab).Section)
              : "0000";
      cells.append(SpotText(entry));
      sections.insert(tab, entry == "0000"
                               ? QJsonValue()
                               : QJsonValue(QJsonObject{{u"row"_s, StrToIntOrZero(entry.left(2))},
                                                        {u"lane"_s, StrToIntOrZero(entry.mid(2, 2))}}));
    }
    spots.AddRow(cells);
    positions.append(QJsonObject{{u"number"_s, n}, {u"name"_s, names[h]}, {u"sections"_s, sections}});
  }

  const QString initialCaption = initialTab >= 0 ? state.Tabs[initialTab] : QString();
  if (args.Flags.contains(u"--json"_s)) {
    QStringList headerCells;
    for (int column = 0; column < TRaceSheet::ColumnCount; ++column)
      headerCells.append(state.Sheet.Cell(column, 0));
    output.Json(QJsonObject{{u"raceKey"_s, QString::fromLatin1(state.RaceKey)},
                            {u"title"_s, state.Caption()},
                            {u"straight"_s, state.Straight},
                            {u"lossPerLane"_s, state.LossPerLane()},
                            {u"sheet"_s, QJsonObject{{u"header"_s, QJsonArray::fromStringList(headerCells)},
                                                     {u"rows"_s, sheetRows}}},
                            {u"positions"_s, positions},
                            {u"tabs"_s, QJsonArray::fromStringList(state.Tabs)},
                            {u"initialTab"_s, initialCaption},
                            {u"info"_s, state.InfoText.trimmed()},
                            {u"payoutLine"_s, state.PayoutLine.trimmed()}});
    return 0;
  }

  QString text = WithoutControls(state.Caption()).trimmed() + u"\n\n"_s + sheet.Render(u"  "_s);
  if (state.Straight) {
    QStringList notice;
    for (const QString& line : StraightCourseNotice().split(u"\r\n"_s))
      if (!line.trimmed().isEmpty()) notice.append(line.trimmed());
    text += u'\n' + notice.join(u'\n') + u'\n';
  } else {
    text += u"\n位置取り（列-内外、ロス %1m/頭）\n"_s.arg(state.LossPerLane()) + spots.Render(u"  "_s);
  }
  text += u"\nタブ: %1"_s.arg(state.Tabs.isEmpty() ? u"なし"_s : state.Tabs.join(u' '));
  if (!initialCaption.isEmpty()) text += u"（開くと %1）"_s.arg(initialCaption);
  text += u'\n';
  if (!state.InfoText.trimmed().isEmpty()) text += u"通過順: %1\n"_s.arg(state.InfoText.trimmed());
  text += u"払戻: %1\n"_s.arg(state.PayoutLine.trimmed().isEmpty() ? u"なし"_s : state.PayoutLine.trimmed());
  output.Out(text);
  return 0;
}

int RunExport(const TCliArgs& args, const TCliOutput& output) {
  const bool all = args.Flags.contains(u"--all"_s);
  if (all == !args.Positional.isEmpty())
    throw TCliError(u"export にはレースキーか --all のどちらか一方を指定してください"_s, true);
  const QByteArray raceKey = all ? QByteArray() : CheckedRaceKey(args.Positional.first());

  TCliSession cli(args.AppDir, QDateTime::currentDateTime(), output);
  TSession& session = cli.Session;
  if (!session.LoadStore()) throw TCliError(NoDataMessage());
  // For this run only: the settings file is never written by the command line.
  if (args.Has(u"--target"_s)) {
    TSettings settings = session.Settings();
    settings.TargetDir = AbsolutePath(args.Value(u"--target"_s));
    session.SetSettings(settings);
  }

  if (all) {
    const TExportAllResult done = session.ExportAll();
    // When every race failed, the errors alone tell it.
    if (done.Failed.isEmpty() || done.Written + done.LeftAlone > 0) {
      output.Out(u"%1 レースの補正タイムを出力しました（空いている行のみ）。\n"_s.arg(done.Written));
      if (done.LeftAlone > 0)
        output.Out(u"%1 レースは出力済みのため、そのままにしました。\n"_s.arg(done.LeftAlone));
      if (done.Straight > 0)
        output.Out(
            u"直線コースの %1 レースは補正タイムがないため、出力していません。\n"_s.arg(done.Straight));
      if (done.NoValues > 0)
        output.Out(
            u"%1 レースは付加タイムのある馬がいないため、行を空けたままにしました。\n"_s.arg(done.NoValues));
      for (const QString& file : done.Files) output.Out(u"  "_s + file + u'\n');
    }
    if (done.Failed.isEmpty()) return 0;
    output.Err(u"ravek-cli: %1 レースの補正タイムを出力できませんでした。\n"_s.arg(done.Failed.size()));
    for (const QString& line : ExportFailureLines(done.Failed)) output.Err(u"  "_s + line + u'\n');
    return 2;
  }

  const QByteArray raceLine = FindRaceLine(session.Store(), raceKey);
  RefuseSteeplechase(raceLine);
  TOpenRace& race = *session.OpenRace(raceLine);
  if (!race.State().ConvertedTimeEnabled())
    throw TCliError(
        u"直線コースのレースは補正タイムを出力できません: %1"_s.arg(QString::fromLatin1(raceKey)));
  const QString file = session.ExportRace(race);
  output.Out(u"%1 の補正タイムを出力しました: %2\n"_s.arg(race.State().Caption().trimmed(), file));
  return 0;
}
