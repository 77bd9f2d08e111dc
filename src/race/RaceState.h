#pragma once

#include "race/RaceGrid.h"
#include "race/RaceSheet.h"
#include "records/PayRecord.h"
#include "records/RaceRecord.h"
#include "settings/Settings.h"
#include "store/DayStore.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// The working state of one open race: its own copy of the race's horse list
// and position line out of the day store, the sheet figures and the texts of
// the window. The day store sees edits only through WriteBack.
class TRaceState {
public:
  // Copies the race out of the store. Throws TConvertError when the race is not
  // in the store or has no usable position line.
  TRaceState(const TDayStore& store, const QByteArray& raceLine, const TSettings& settings);

  // Refills the sheet from the horse list on the current position line.
  void FillSheet();

  // Puts back the position line the download built from the race record's
  // passing orders, undoing every correction, and refills the sheet. The store
  // sees it at WriteBack, like any other edit. Throws TConvertError when the
  // record's orders do not convert.
  void RebuildPositionLine();

  // Puts the position line as line 0 of the state's own horse list (before an export).
  void PutPositionLine();

  // Hands the position line back to the store's horse list of the race and
  // replaces the race's summary line with one rebuilt from that list.
  void WriteBack(TDayStore& store) const;

  // The window caption: title, two blanks, race name.
  QString Caption() const;

  bool ConvertedTimeEnabled() const { return !Straight; }
  bool ExportEnabled() const { return FSettings.UseTG && !Straight; }
  bool ExportShown() const { return FSettings.UseTG; }
  int LossPerLane() const { return FSettings.Distance; }

  QByteArray RaceLine;
  QByteArray RaceKey;
  QString RaceName;
  TByteLines HorseList;
  QByteArray PositionLine;
  int N = 0;
  bool Straight = false;
  // Captions of the section tabs, in race order.
  QStringList Tabs;
  QString InfoText;
  QString PayoutLine;
  TRaceSheet Sheet;
  // On at opening when the Pay setting is; the window stores On() back into Pay at close.
  TPayoutTicker Ticker;
  TMarkerBlink Blink;

private:
  const TSettings& FSettings;
  TRaceRecord FRace;
  TPayRecord FPay;
};

// The caption the window selects at opening, or -1 when the race has no such tab.
int ThirdCornerTab(const QStringList& tabs);
