#include "race/RunRows.h"

#include "position/PositionLine.h"
#include "race/RaceGrid.h"
#include "race/RaceMath.h"
#include "race/RaceSheet.h"
#include "race/RaceState.h"
#include "records/RaceRecord.h"
#include "records/RunnerRecord.h"
#include "records/Venues.h"
#include "text/Cp932.h"
#include "text/IntConvert.h"
#include "text/PlainText.h"

#include <QStringList>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// Sections of the third and fourth corner, counted back from the goal.
constexpr int ThirdCorner = 3;
constexpr int FourthCorner = 2;

}  // namespace

TRunRow SheetRunRow(const TRaceState& state, int sheetRow) {
  TRaceRecord race;
  TRunnerRecord runner;
  const TPositionLine line(state.PositionLine);
  const auto text = [&](int column) {
    return RaceCellLook(state.Sheet, state.PositionLine, column, sheetRow).Text.trimmed();
  };
  TRunRow row;
  row.Name = WithoutControls(text(TRaceSheet::NameColumn)).trimmed();
  if (row.Name.isEmpty()) return row;
  row.RaceKey = state.RaceKey;
  row.Venue = VenueName(state.RaceKey.mid(8, 2));
  row.RaceNumber = StrToIntOrZero(state.RaceKey.mid(14, 2));
  row.Course = race.TrackDistance(state.RaceLine);
  row.Going = race.GoingLabel(state.RaceLine);
  row.HorseNumber = StrToIntOrZero(text(TRaceSheet::NumberColumn).toLatin1());
  row.Place = text(TRaceSheet::PlaceColumn);
  row.Placing = StrToIntOrZero(row.Place.toLatin1());
  row.RunTime = text(TRaceSheet::RunTimeColumn);
  row.Converted = text(TRaceSheet::ConvertedColumn);
  row.Speed = text(TRaceSheet::SpeedColumn);
  row.RunTenths = StrToIntOrZero(state.Sheet.Cell(TRaceSheet::RunTimeColumn, sheetRow).toLatin1());
  row.ConvertedTenths = StrToIntOrZero(state.Sheet.Cell(TRaceSheet::ConvertedColumn, sheetRow).toLatin1());
  const int n = row.HorseNumber;
  // The store keeps one record per horse number.
  for (const QByteArray& runnerLine : state.Runners)
    if (StrToIntOrZero(runner.HorseNumber(runnerLine)) == n) {
      row.Jockey = WithoutControls(DecodeCp932(runner.JockeyName(runnerLine))).trimmed();
      row.Frame = StrToIntOrZero(runner.FrameNumber(runnerLine));
      row.Mark = runner.AbnormalMark(runnerLine);
      row.FinalPlace = StrToIntOrZero(runner.FinalPlace(runnerLine));
      break;
    }
  row.Row3 = std::max(0, line.Row(n, ThirdCorner));
  row.Lane3 = std::max(0, line.Lane(n, ThirdCorner));
  row.Row4 = std::max(0, line.Row(n, FourthCorner));
  row.Lane4 = std::max(0, line.Lane(n, FourthCorner));
  const int distance = LineDistance(state.PositionLine);
  if (state.ConvertedTimeEnabled() && distance > 0)
    row.GroundLost = int(CorrectedDistance(state.PositionLine, n, state.LossPerLane()) - distance);
  return row;
}

QString RunRowTip(const TRunRow& row, bool straight, const QString& section, int sectionRow,
                  int sectionLane) {
  // A horse without a time has no figures: the sheet's 0.00.0 would read as one.
  const auto time = [&](const QString& text) { return row.RunTenths > 0 ? text : u"―"_s; };
  QStringList lines{u"%1番 %2"_s.arg(row.HorseNumber).arg(row.Name),
                    u"走破 %1　実走 %2"_s.arg(time(row.RunTime), time(row.Converted)),
                    u"%1 m/min"_s.arg(time(row.Speed))};
  if (!section.isEmpty()) {
    lines.append(sectionRow > 0 && sectionLane > 0
                     ? u"%1 %2列目・内から%3頭目"_s.arg(section).arg(sectionRow).arg(sectionLane)
                     : section + u" 位置なし"_s);
  }
  if (!straight) lines.append(u"外を回ったロス %1m"_s.arg(row.GroundLost));
  return lines.join(u'\n');
}

QList<TRunRow> RaceRunRows(const TDayStore& store, const QByteArray& raceLine, const TSettings& settings) {
  const TRaceState state(store, raceLine, settings);
  const bool converted = state.ConvertedTimeEnabled();
  const QByteArray added =
      converted ? AddedTimeLine(state.PositionLine, state.Runners, settings.Distance) : QByteArray();

  QList<TRunRow> rows;
  for (int sheetRow = 1; sheetRow < TRaceSheet::RowCount; ++sheetRow) {
    TRunRow row = SheetRunRow(state, sheetRow);
    if (row.Name.isEmpty()) continue;
    const int n = row.HorseNumber;
    if (n >= 1 && n <= 18) row.AddedTime = QString::fromLatin1(added.mid((n - 1) * 5, 5)).trimmed();
    rows.append(row);
  }
  // Ranks by converted time: the sheet's text compares as the time it shows ("1.34.5").
  QList<const TRunRow*> timed;
  for (const TRunRow& row : rows)
    if (!row.Converted.isEmpty() && row.Converted != QStringLiteral("0.00.0")) timed.append(&row);
  std::stable_sort(timed.begin(), timed.end(), [](const TRunRow* a, const TRunRow* b) {
    return a->Converted.size() != b->Converted.size() ? a->Converted.size() < b->Converted.size()
                                                      : a->Converted < b->Converted;
  });
  for (TRunRow& row : rows) {
    const auto at = std::find(timed.cbegin(), timed.cend(), &row);
    if (at != timed.cend()) row.ConvertedRank = int(at - timed.cbegin()) + 1;
  }
  return rows;
}
