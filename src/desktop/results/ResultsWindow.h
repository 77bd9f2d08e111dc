#pragma once

#include "results/ResultsCells.h"
#include "results/ResultsList.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QWidget>

#include <functional>

class QAction;
class QButtonGroup;
class QLabel;
class QMdiArea;
class QMenu;
class QToolButton;
class TBiasView;
class TResultsGrid;
class TSession;

// The results list: one racing day of the session's day store as a grid of
// venues by race numbers, with day navigation, the surface filter, the display
// modes and the export of all races. It tells the main window what to show
// through its signals and never reaches into another window.
class TResultsWindow : public QWidget {
  Q_OBJECT

public:
  explicit TResultsWindow(TSession& session, QWidget* parent = nullptr);
  ~TResultsWindow() override;

  const TResultsList& List() const { return FList; }
  TResultsGrid* Grid() const { return FGrid; }
  QSize sizeHint() const override;
  // Fixes the window to the day's client area, and its sub-window around it.
  void FitWindow();
  // The track bias window, once "馬場傾向" was first pressed.
  TBiasView* BiasView() const { return FBiasView; }

  // Asks where the day's CSV goes, given the suggested path; empty to cancel.
  // A file dialog unless replaced (tests answer without one).
  std::function<QString(const QString& suggested)> AskCsvPath;

signals:
  void StatusText(int panel, const QString& text);
  void SorryRequested(const QString& text);
  // SelectedRaceLine of the session's shell holds the line already.
  void RaceOpenRequested(const QByteArray& raceLine);

protected:
  void keyPressEvent(QKeyEvent* event) override;

private:
  void FormCreate();
  void ShowDay(int dayIndex);
  void ApplyDay();
  void ReloadStore();
  void RefreshModeButtons();
  void RefreshBias();

  void BitBtn1Click();
  void BitBtn2Click();
  void BitBtn3Click();
  void FilterClick();
  void SpeedButton4Click();
  void SpeedButton5Click();
  void SpeedButton6Click();
  void SpeedButton8Click();
  void SpeedButton9Click(bool down);
  void BitBtn4Click();
  void N2Click();
  void StringGrid1DblClick(int column, int row);
  void StringGrid1MouseMove(int column, int row);

  TSession& FSession;
  TResultsList FList;
  TResultsCells FCells;
  QByteArray FShownDate;

  QWidget* FPanel4 = nullptr;
  QWidget* FPanel5 = nullptr;
  QToolButton* FBitBtn1 = nullptr;
  QToolButton* FBitBtn2 = nullptr;
  QToolButton* FBitBtn3 = nullptr;
  QButtonGroup* FFilterGroup = nullptr;
  QButtonGroup* FModeGroup = nullptr;
  QToolButton* FSpeedButton4 = nullptr;
  QToolButton* FSpeedButton5 = nullptr;
  QToolButton* FSpeedButton6 = nullptr;
  QToolButton* FSpeedButton8 = nullptr;
  QToolButton* FSpeedButton9 = nullptr;  // 馬場傾向
  QToolButton* FBitBtn4 = nullptr;       // CSV出力
  TBiasView* FBiasView = nullptr;
  QList<QLabel*> FTitles;  // Panel1, Panel2, Panel3 and any more a day needs
  TResultsGrid* FGrid = nullptr;
  QMenu* FN1 = nullptr;
  QAction* FN2 = nullptr;
};

// Creates a results list for the session, adds it to the area at (0, 0) with the
// close box only, sizes and shows it. Throws TConvertError when the latest day
// cannot be shown.
TResultsWindow* OpenResultsList(TSession& session, QMdiArea* area);
