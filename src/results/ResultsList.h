#pragma once

#include "records/RaceRecord.h"
#include "results/DisplayModes.h"
#include "results/ResultsLayout.h"
#include "settings/Settings.h"
#include "store/DayStore.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

struct TJockeyCount {
  QString Name;  // the 8 name bytes decoded, padding kept
  int Count = 0;
  bool operator==(const TJockeyCount&) const = default;
};

// One 28-byte place entry of a loaded race summary.
struct TPlaceEntry {
  char Frame = '0';
  QByteArray HorseNumber;  // 2 digits
  QByteArray Corner3;      // row (2) + lane (2) at ３コーナー
  QByteArray Corner4;      // row (2) + lane (2) at ４コーナー
  QByteArray Payout;       // 9 digits
  QByteArray Jockey;       // 8 bytes, padding kept
};

// The results list without its widgets: one racing day of the day store as a
// grid of venues by race numbers, the day navigation, the venue titles, the
// jockeys' top-three counts and the display modes the drawing reads.
// "2024年5月12日 成績" for "20240512".
QString DayCaption(const QByteArray& date);

class TResultsList {
public:
  static constexpr int RowCount = 12;

  TResultsList(const TDayStore& store, const TSettings& settings);

  // Opening the window: shows the latest day.
  void Open();
  void ShowDay(int dayIndex);
  void PreviousDay();
  void NextDay();

  int DayIndex() const { return FDayIndex; }
  QString Caption() const { return FCaption; }
  bool PreviousEnabled() const { return FPreviousEnabled; }
  bool NextEnabled() const { return FNextEnabled; }
  bool ExportOffered() const { return FExportOffered; }

  const TByteLines& Venues() const { return FVenues; }
  int VenueCount() const { return int(FVenues.size()); }
  int ColumnCount() const { return FLayout.ColumnCount; }
  // Column 0 holds the race labels " 1R" ... "12R"; a venue column the whole race
  // line of that race, or nothing.
  QByteArray Cell(int column, int row) const;
  const TResultsLayout& Layout() const { return FLayout; }

  const QList<TJockeyCount>& JockeyCounts() const { return FJockeyCounts; }
  std::optional<int> JockeyCount(const QString& name) const;
  QStringList JockeyCountLines() const;  // "name=count"

  // Accepts a summary value of exactly 84 bytes into the buffer; anything else
  // leaves the buffer as it was.
  bool LoadSummary(const QByteArray& value);
  const QByteArray& SummaryBuffer() const { return FSummary; }
  TPlaceEntry PlaceEntry(int place) const;  // 0, 1, 2 of the buffer
  // The store's summary value for a race key, empty when it has none.
  QByteArray SummaryOf(const QByteArray& raceKey) const;

  // The name of horse number n among the runners of the race, trimmed; empty
  // when the store has no such runner.
  QString RunnerName(const QByteArray& raceLine, int n) const;

  static QString MeetingTitle(const QByteArray& meetingKey);
  static QByteArray RaceLabel(int row);

  TDisplayModes& Modes() { return FModes; }
  const TDisplayModes& Modes() const { return FModes; }
  TRaceRecord& RaceAccessor() { return FRace; }
  const TSettings& Settings() const { return FSettings; }

private:
  void CountJockeys(const QList<QByteArray>& dayRaces);

  const TDayStore& FStore;
  const TSettings& FSettings;
  TDisplayModes FModes;
  TRaceRecord FRace;
  int FDayIndex = -1;
  QString FCaption;
  bool FPreviousEnabled = false;
  bool FNextEnabled = false;
  bool FExportOffered = false;
  TByteLines FVenues;
  QList<std::array<QByteArray, RowCount>> FCells;  // per venue
  TResultsLayout FLayout;
  QList<TJockeyCount> FJockeyCounts;
  QByteArray FSummary;
};
