#pragma once

// The day store a download of a demo week leaves behind, built in memory.

#include "link/DayStoreLoader.h"
#include "link/DemoService.h"
#include "position/JVPos_Convert.h"
#include "records/JV_UMA.h"

#include <QDate>

inline TDayStore DemoWeekStore(const QDate& lastDay, int seed = 1) {
  const TDemoService service(seed);
  TDayStore store;
  TJV_UMA uma;
  for (QDate day = lastDay; day > lastDay.addDays(-7); day = day.addDays(-1)) {
    for (const TDemoRace& race : service.RacesOf(day)) {
      TByteLines horses = race.HorseLines;
      uma.SortByArrival(horses);
      horses.prepend(SplitLines(TPosConvert::ConvertRace(race.RaceLine)).value(0));
      store.RaceLines.append({race.RaceLine, horses});
      store.PayLines.append(race.PayLine);
      const QByteArray date = race.RaceKey.left(8);
      if (!store.RaceDates.contains(date)) store.RaceDates.append(date);
    }
  }
  for (const TRaceEntry& entry : store.RaceLines) {
    store.RaceSummaries.append(BuildRaceSummary(store, entry.HorseList));
  }
  return store;
}
