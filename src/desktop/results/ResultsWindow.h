#pragma once

#include "desktop/widgets/ChildWindow.h"
#include "results/ResultsCells.h"
#include "results/ResultsList.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>

class QAction;
class QButtonGroup;
class QLabel;
class QMdiArea;
class QMenu;
class TDayCalendar;
class QToolButton;
class TBiasView;
class TResultsGrid;
class TSession;

// The results list: one racing day of the session's day store as a grid of
// venues by race numbers, with day navigation, the surface filter, the display
// modes and the export of all races. It tells the main window what to show
// through its signals and never reaches into another window.
class TResultsWindow : public TChildWindow {
  Q_OBJECT

public:
  explicit TResultsWindow(TSession& session, QWidget* parent = nullptr);
  ~TResultsWindow() override;

  const TResultsList& List() const { return FList; }
  TResultsGrid* Grid() const { return FGrid; }
  QSize sizeHint() const override;
  QList<QMenu*> Menus() const override { return {FDayMenu, FExportMenu}; }
  // Called with the calendar before it runs, for the tests to pick a day.
  static inline std::function<void(TDayCalendar&)> OnCalendar;
  // Fixes the window to the day's client area, and its sub-window around it.
  void FitFrame() override;
  // Moves to the latest racing day held.
  void ShowLatestDay();
  // The track bias window, once "馬場傾向" was first pressed.
  TBiasView* BiasView() const { return FBiasView; }

  // Asks where the day's CSV goes, given the suggested path; empty to cancel.
  // A file dialog unless replaced (tests answer without one).
  std::function<QString(const QString& suggested)> AskCsvPath;

signals:
  void RaceOpenRequested(const QByteArray& raceLine);

protected:
  void keyPressEvent(QKeyEvent* event) override;

private:
  void CreateControls();
  void StepDay(bool forward);
  // Brings an archived day into the store; false (and said) when that fails.
  bool BringDay(const QByteArray& date);
  void ShowDate(const QByteArray& date);
  void CalendarClick();
  void ApplyDay();
  void ReloadStore();
  void RefreshModeButtons();
  // The day, mode and surface, kept in the desktop's state file.
  void RestoreState();
  void RememberState();
  void RefreshBias();

  void CloseClick();
  void FilterClick();
  void StartClick();
  void Corner3Click();
  void Corner4Click();
  void JockeyClick();
  void BiasClick(bool down);
  void CsvClick();
  void ExportAllClick();
  void CellChosen(int column, int row);
  void PointerOverCell(int column, int row);

  TSession& FSession;
  TResultsList FList;
  TResultsCells FCells;
  QByteArray FShownDate;

  QWidget* FButtonBar = nullptr;
  QWidget* FModePanel = nullptr;
  QToolButton* FPreviousDayButton = nullptr;
  QToolButton* FNextDayButton = nullptr;
  QToolButton* FCloseButton = nullptr;
  QButtonGroup* FFilterGroup = nullptr;
  QButtonGroup* FModeGroup = nullptr;
  QToolButton* FStartButton = nullptr;
  QToolButton* FCorner3Button = nullptr;
  QToolButton* FCorner4Button = nullptr;
  QToolButton* FJockeyButton = nullptr;
  QToolButton* FBiasButton = nullptr;
  QToolButton* FCsvButton = nullptr;
  TBiasView* FBiasView = nullptr;
  QList<QLabel*> FTitles;  // one per venue shown, and any left hidden
  TResultsGrid* FGrid = nullptr;
  QMenu* FExportMenu = nullptr;
  QMenu* FDayMenu = nullptr;
};

// Creates a results list for the session, adds it to the area at (0, 0) with the
// close box only, sizes and shows it. Throws TRavekError when the latest day
// cannot be shown.
TResultsWindow* OpenResultsWindow(TSession& session, QMdiArea* area);
