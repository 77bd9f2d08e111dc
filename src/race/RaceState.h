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

// The working state of one race: its own copy of the race's runners and
// position line out of the day store, the sheet figures and the texts of the
// window. The day store sees edits only when the session takes them back.
class TRaceState {
public:
  // Copies the race out of the store. Throws TDataError when the race is not
  // in the store or has no usable position line.
  TRaceState(const TDayStore& store, const QByteArray& raceLine, const TSettings& settings);

  // Refills the sheet from the runners on the current position line.
  void FillSheet();

  // Puts back the position line the download built from the race record's
  // passing orders, undoing every correction, and refills the sheet. The store
  // sees it when the race closes, like any other edit. Throws TConvertError
  // when the record's orders do not convert.
  void RebuildPositionLine();

  // The race as the store holds it, with the working position line.
  TRaceEntry Entry() const { return {RaceLine, PositionLine, Runners}; }

  // The window caption: title, two blanks, race name.
  QString Caption() const;

  bool ConvertedTimeEnabled() const { return !Straight; }
  bool ExportEnabled() const { return FSettings.UseTG && !Straight; }
  bool ExportShown() const { return FSettings.UseTG; }
  int LossPerLane() const { return FSettings.Distance; }

  QByteArray RaceLine;
  QByteArray RaceKey;
  QString RaceName;
  TByteLines Runners;
  QByteArray PositionLine;
  int N = 0;
  bool Straight = false;
  // Captions of the section tabs, in race order.
  QStringList Tabs;
  QString InfoText;
  QString PayoutLine;
  TRaceSheet Sheet;
  // On at opening when the Pay setting is; the session stores On() back into Pay at close.
  TPayoutTicker Ticker;
  TMarkerBlink Blink;

private:
  const TSettings& FSettings;
  TRaceRecord FRace;
  TPayRecord FPay;
};

// The caption the window selects at opening, or -1 when the race has no such tab.
int ThirdCornerTab(const QStringList& tabs);
