#include "results/ResultsList.h"

#include "records/RunnerRecord.h"
#include "records/Venues.h"
#include "store/RaceSummary.h"
#include "text/Cp932.h"
#include "text/IntConvert.h"

#include <algorithm>

QString DayCaption(const QByteArray& date) {
  return QString::fromLatin1(date.left(4)) + QStringLiteral("年") +
         QString::number(StrToInt(date.mid(4, 2))) + QStringLiteral("月") +
         QString::number(StrToInt(date.mid(6, 2))) + QStringLiteral("日") + QStringLiteral(" 成績");
}

TResultsList::TResultsList(const TDayStore& store, const TSettings& settings)
    : FStore(store), FSettings(settings), FModes(settings) {
  FLayout = LayoutFor({});
}

void TResultsList::Open() {
  FExportOffered = FSettings.UseTG;
  ShowDay(int(FStore.RaceDates.size()) - 1);
}

void TResultsList::ShowDay(int dayIndex) {
  const TByteLines& dates = FStore.RaceDates;
  if (dates.isEmpty()) {
    // Nothing stored yet: an empty one-venue list that cannot move.
    FDayIndex = -1;
    FCaption = QStringLiteral("成績");
    FPreviousEnabled = FNextEnabled = false;
    FVenues.clear();
    FCells.clear();
    FJockeyCounts.clear();
    FLayout = LayoutFor({});
    return;
  }
  dayIndex = std::clamp(dayIndex, 0, int(dates.size()) - 1);
  const QByteArray date = dates[dayIndex];
  // Everything is worked out first, so a conversion error leaves the last day shown.
  const QString caption = DayCaption(date);

  QList<QByteArray> dayRaces;
  for (const TRaceEntry& entry : FStore.Races) {
    if (FRace.RaceDate(entry.RaceLine) == date) dayRaces.append(entry.RaceLine);
  }

  TByteLines venues;
  QList<QByteArray> meetingOf;
  for (const QByteArray& line : dayRaces) {
    const QByteArray meeting = FRace.MeetingKey(line);
    meetingOf.append(meeting);
    if (!venues.contains(meeting)) venues.append(meeting);
  }

  QList<std::array<QByteArray, RowCount>> cells(venues.size());
  for (qsizetype i = 0; i < dayRaces.size(); ++i) {
    const int raceNumber = StrToInt(dayRaces[i].mid(25, 2));
    if (raceNumber < 1 || raceNumber > RowCount) continue;
    QByteArray& cell = cells[venues.indexOf(meetingOf[i])][raceNumber - 1];
    // The first line of a race number wins, as the race's summary lookup does.
    if (cell.isEmpty()) cell = dayRaces[i];
  }

  QList<QString> titles;
  for (const QByteArray& venue : venues) titles.append(MeetingTitle(venue));

  CountJockeys(dayRaces);
  FDayIndex = dayIndex;
  FCaption = caption;
  FPreviousEnabled = dayIndex != 0;
  FNextEnabled = dayIndex != dates.size() - 1;
  FVenues = venues;
  FCells = cells;
  FLayout = LayoutFor(titles);
}

void TResultsList::CountJockeys(const QList<QByteArray>& dayRaces) {
  QList<TJockeyCount> counts;
  for (const QByteArray& line : dayRaces) {
    if (!LoadSummary(SummaryOf(FRace.RaceKey(line)))) continue;
    for (int q = 0; q < 3; ++q) {
      const QString name = DecodeCp932(TRaceSummary::OfValue(FSummary).Jockey(q));
      auto it =
          std::find_if(counts.begin(), counts.end(), [&](const TJockeyCount& c) { return c.Name == name; });
      if (it == counts.end()) {
        counts.append({name, 1});
      } else {
        ++it->Count;
      }
    }
  }
  FJockeyCounts = counts;
}

void TResultsList::PreviousDay() {
  if (FPreviousEnabled) ShowDay(FDayIndex - 1);
}

void TResultsList::NextDay() {
  if (FNextEnabled) ShowDay(FDayIndex + 1);
}

QByteArray TResultsList::Cell(int column, int row) const {
  if (row < 0 || row >= RowCount) return {};
  if (column == 0) return RaceLabel(row);
  if (column < 1 || column > FCells.size()) return {};
  return FCells[column - 1][row];
}

std::optional<int> TResultsList::JockeyCount(const QString& name) const {
  for (const TJockeyCount& c : FJockeyCounts) {
    if (c.Name == name) return c.Count;
  }
  return std::nullopt;
}

QStringList TResultsList::JockeyCountLines() const {
  QStringList lines;
  for (const TJockeyCount& c : FJockeyCounts) lines.append(c.Name + u'=' + QString::number(c.Count));
  return lines;
}

bool TResultsList::LoadSummary(const QByteArray& value) {
  // Summary values are stored as code page 932 bytes already.
  if (!TRaceSummary::OfValue(value).IsComplete()) return false;
  FSummary = value;
  return true;
}

TPlaceEntry TResultsList::PlaceEntry(int place) const {
  TPlaceEntry entry;
  const TRaceSummary summary = TRaceSummary::OfValue(FSummary);
  if (summary.Place(place).isEmpty()) return entry;
  entry.Frame = summary.Frame(place);
  entry.HorseNumber = summary.HorseNumber(place).toByteArray();
  entry.Corner3 = summary.Corner3(place).toByteArray();
  entry.Corner4 = summary.Corner4(place).toByteArray();
  entry.Payout = summary.Payout(place).toByteArray();
  entry.Jockey = summary.Jockey(place).toByteArray();
  return entry;
}

QByteArray TResultsList::SummaryOf(const QByteArray& raceKey) const {
  if (raceKey.isEmpty()) return {};
  for (const QByteArray& line : FStore.RaceSummaries) {
    const TRaceSummary summary(line);
    if (summary.RaceKey() == raceKey) return summary.Value().toByteArray();
  }
  return {};
}

QString TResultsList::RunnerName(const QByteArray& raceLine, int n) const {
  TRunnerRecord runner;
  for (const TRaceEntry& entry : FStore.Races) {
    if (entry.RaceLine != raceLine) continue;
    for (const QByteArray& line : entry.Runners)
      if (StrToIntOrZero(runner.HorseNumber(line)) == n) return runner.HorseName(line).trimmed();
  }
  return {};
}

QString TResultsList::MeetingTitle(const QByteArray& meetingKey) {
  if (meetingKey.size() != 14) return {};
  const int venue = StrToInt(meetingKey.mid(8, 2));
  const int meeting = StrToInt(meetingKey.mid(10, 2));
  const int day = StrToInt(meetingKey.mid(12, 2));
  const QString name = VenueName(QByteArray::number(venue).rightJustified(2, '0'));
  return name + QString::number(meeting) + QStringLiteral("回") + QString::number(day) +
         QStringLiteral("日目");
}

QByteArray TResultsList::RaceLabel(int row) {
  return QByteArray::number(row + 1).rightJustified(2, ' ') + 'R';
}
