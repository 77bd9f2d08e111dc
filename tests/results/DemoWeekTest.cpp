#include "results/ResultsCells.h"

#include "DemoWeek.h"

#include <gtest/gtest.h>

namespace {

// Every day of a realistic week: the grid holds each race once, every cell draws
// in every mode without a conversion error, and the jockey counts add up.
TEST(DemoWeekTest, EveryDayDrawsInEveryMode) {
  TDayStore store = DemoWeekStore(QDate(2024, 5, 12));
  ASSERT_FALSE(store.Races.isEmpty());
  TSettings settings;
  TResultsList list(store, settings);
  TResultsCells cells(list);
  list.Open();
  int racesSeen = 0;
  for (int day = 0; day < store.RaceDates.size(); ++day) {
    list.ShowDay(day);
    ASSERT_GE(list.VenueCount(), 1);
    int summarised = 0;
    for (int column = 1; column < list.ColumnCount(); ++column) {
      EXPECT_TRUE(list.Layout().Titles[column - 1].Visible);
      EXPECT_FALSE(list.Layout().Titles[column - 1].Text.isEmpty());
      for (int row = 0; row < TResultsList::RowCount; ++row) {
        const QByteArray line = list.Cell(column, row);
        if (line.isEmpty()) continue;
        ++racesSeen;
        const bool hasSummary = list.LoadSummary(list.SummaryOf(list.RaceAccessor().RaceKey(line)));
        summarised += hasSummary;
        for (int press = 0; press < 4; ++press) {
          TDisplayModes& modes = list.Modes();
          if (press == 0) (void)modes.PressStart();
          if (press == 1) modes.PressCorner3();
          if (press == 2) modes.PressCorner4();
          if (press == 3) modes.PressJockey();
          const TCellPaint paint = cells.DrawCell(column, row, {0, 0, 275, 20}, false, true);
          EXPECT_EQ(paint.Boxes.size(), hasSummary && !paint.Greyed ? 7 : 4) << line.left(27).constData();
          EXPECT_EQ(paint.Lines.size(), 1);
        }
      }
    }
    int counted = 0;
    for (const TJockeyCount& c : list.JockeyCounts()) counted += c.Count;
    EXPECT_EQ(counted, 3 * summarised) << day;
  }
  EXPECT_EQ(racesSeen, store.Races.size());
}

}  // namespace
