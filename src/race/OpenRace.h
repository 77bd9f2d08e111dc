#pragma once

#include "race/DiagramEditor.h"
#include "race/RaceState.h"
#include "race/TrackDiagram.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

// One race opened for correcting: its working copy (sheet, position line,
// runners), the track diagram of the shown corner, the marker blink and the
// payout ticker. Every edit the user can make is one command here; the
// window forwards its events and paints what the signals announce. The timers
// stay with the window: BlinkStep and TickerStep are the steps they run.
class TOpenRace : public QObject {
  Q_OBJECT

public:
  // The race window's diagram image.
  static constexpr int DiagramWidth = 563;
  static constexpr int DiagramHeight = 458;

  // Copies the race out of the store and shows the corner the window opens
  // on. Throws TDataError when the race cannot be shown.
  TOpenRace(const TDayStore& store, const QByteArray& raceLine, const TSettings& settings,
            QObject* parent = nullptr);

  const TRaceState& State() const { return FState; }
  const TTrackDiagram& Diagram() const { return FDiagram; }
  const TDiagramEditor& Editor() const { return FEditor; }
  // The tab the race opened on; -1 when none (a straight course among them).
  int InitialTab() const { return FInitialTab; }
  // The passing order of the corner shown.
  const QString& InfoText() const { return FInfoText; }
  // The status panel a message goes to: the ticker keeps the first one busy.
  int MessagePanel() const { return FState.Ticker.On() ? 1 : 0; }
  // The caption of the tab whose corner the diagram shows, among tabCaption; empty when none.
  QString DrawnCaption(const QString& tabCaption) const;

  // The user selected the tab with this caption.
  void ShowSection(const QString& caption);
  // Marker n dropped at the point, over the marker of horse overHorse (0 for
  // none), or put back where it stood (a cancelled drag). A drop that cannot
  // be taken says why in the status bar.
  void DropMarker(int n, std::optional<TDiagramPoint> at, int overHorse = 0);
  // A double click on marker n: one lane out when that spot is free.
  void MoveOut(int n);
  // A press on the image: on the rail between two groups askMargin answers the
  // margin to set (nothing when cancelled); every press writes the shown section.
  void PressImage(bool leftButton, int x, int y, bool onRail,
                  const std::function<std::optional<int>(int gap)>& askMargin);
  // Writes the corner shown into the position line (before an export or a close).
  void WriteSection();
  // Back to the position line the download built from the passing orders.
  // Throws TConvertError when the orders do not convert.
  void Rebuild();
  // The working position line as an undo or redo leaves it: the shown
  // section drawn from it and the sheet measured anew.
  void RestoreLine(const QByteArray& line);
  // Writes the race's added times into its meeting file, replacing the line
  // written; returns the file. Throws TDataError for a straight course,
  // TFileError or TConvertError.
  QString Export(const TSettings& exportSettings);
  // The keyboard's horse, picked by a click on its marker, its number typed or
  // Tab; 0 for none.
  int Selected() const { return FSelected; }
  // Selects a shown horse; anything else selects none.
  void Select(int n);
  // The next shown horse in the sheet's order, or the one before.
  void SelectNext(bool backwards);
  // The selected horse `rows` rows back (forward when negative) and `lanes`
  // lanes out (in when negative), under the rules of a drop.
  void MoveSelected(int rows, int lanes);
  // The margin in front of the selected horse, as a click on the rail there would set it.
  void SetMarginOfSelected(const std::function<std::optional<int>(int gap)>& askMargin);
  // The tooltip of horse n: its sheet figures, its row and lane where the
  // diagram shows it and the ground it lost; empty for a horse not on the sheet.
  QString HorseTip(int n) const;
  // The tooltip of a sheet row: its horse's; empty for the header or an empty row.
  QString SheetRowTip(int row) const;
  // The pointer is over marker n (0 for none): the sheet outlines its row.
  void HighlightHorse(int n);
  // A press on a sheet cell starts or ends the blink of the horse's marker.
  void PressSheet(int column, int row);
  // The settings changed: the sheet is measured anew.
  void RefillSheet();

  // One step of the marker blink and of the payout ticker.
  void BlinkStep();
  void SetTickerOn(bool on);
  void TickerStep();

  // Sets the outline of the sheet for the duration of a picture; returns the one before.
  QByteArray ExchangeHighlight(const QByteArray& code);

signals:
  // The sheet's figures or outline changed.
  void SheetChanged();
  // Another section is drawn: the picture under the markers is new.
  void SectionShown();
  // Markers moved, blinked or were shown anew.
  void DiagramChanged();
  // The blink started or ended.
  void BlinkRunning(bool running);
  void StatusText(int panel, const QString& text);
  // An edit changed the working position line: what it was called, the
  // section shown, and the line before and after, for undoing it.
  void Edited(const QString& text, int section, const QByteArray& before, const QByteArray& after);

private:
  void StopBlink();
  // Announces the edit when the line changed.
  void Record(const QString& text, const QByteArray& before);
  // Says in the status bar why the move was not made; clears it when it was.
  void Explain(int n, int row, int lane, TMoveRefusal refusal);

  TRaceState FState;
  TTrackDiagram FDiagram;
  TDiagramEditor FEditor;
  TRaceRecord FRace;
  int FInitialTab = -1;
  QString FInfoText;
  int FHovered = 0;
  int FSelected = 0;
};
