#pragma once

#include "desktop/widgets/ChildWindow.h"
#include "race/DiagramEditor.h"
#include "race/TrackDiagram.h"
#include "records/RaceRecord.h"

#include <QByteArray>
#include <QImage>
#include <QPointer>

#include <functional>
#include <memory>

class QAction;
class QButtonGroup;
class QLabel;
class QMdiArea;
class QMenu;
class QTabBar;
class QTimer;
class QToolButton;
class TDiagramView;
class TMarginDialog;
class TRaceGridView;
class TRaceState;
class TSession;

// The race window: the sheet of one race beside the track diagram of a corner,
// corrected by dragging and clicking, with the payout ticker, the replay and
// the export of the added times. It works on its own copy of the race
// (TSession::OpenRace) and hands it back when it closes.
class TRaceWindow : public TChildWindow {
  Q_OBJECT

public:
  // Pixel layout; the body is the area below the top bar.
  static constexpr int TopBarHeight = 28;
  static constexpr int TabLeft = 207;
  static constexpr int TabTop = 5;
  static constexpr int TabWidth = 571;
  static constexpr int TabHeight = 486;
  static constexpr int TabBarHeight = 20;
  static constexpr int ImageLeft = 4;
  static constexpr int ImageTop = TabBarHeight + 4;
  static constexpr int ImageWidth = TabWidth - 2 * ImageLeft;
  static constexpr int ImageHeight = TabHeight - ImageTop - 4;
  // The saved picture: a title line over the sheet and the diagram side by side.
  static constexpr int PictureMargin = 6;
  static constexpr int PictureTitleHeight = 22;

  // Throws TConvertError when the race cannot be shown.
  TRaceWindow(TSession& session, const QByteArray& raceLine, QWidget* parent = nullptr);
  ~TRaceWindow() override;

  TRaceState& State() const { return *FState; }
  TTrackDiagram& Diagram() { return FDiagram; }
  TRaceGridView* Grid() const { return StringGrid1; }
  TDiagramView* Image() const { return Image1; }
  QTabBar* Tabs() const { return TabControl1; }
  QWidget* TabStrip() const { return FTabStrip; }
  QLabel* InfoPanel() const { return Panel1; }
  QLabel* StraightNotice() const { return Label1; }
  QToolButton* PayoutButton() const { return SpeedButton2; }
  QToolButton* ReplayButton() const { return SpeedButton8; }
  QToolButton* ExportButton() const { return SpeedButton7; }
  QToolButton* RebuildButton() const { return SpeedButton3; }
  QToolButton* PictureButton() const { return SpeedButton9; }
  QToolButton* ValueButton(int column) const;
  QAction* ReplayAction() const { return R1; }
  QAction* RebuildAction() const { return N2; }
  QAction* PictureAction() const { return N3; }
  QTimer* BlinkTimer() const { return Timer1; }
  QTimer* TickerTimer() const { return Timer2; }
  QList<QMenu*> Menus() const override { return {N1}; }
  TMarginDialog* MarginDialog();

  // The sheet and the diagram of the shown corner as one picture; a null
  // image once the window has handed its race back.
  QImage RacePicture();
  // "<race key>_<tab caption>.png"; the race key alone when no tab is shown.
  QString PictureFileName() const;
  // Asks where the picture goes, given the suggested path; empty to cancel.
  // A file dialog unless replaced (tests answer without one).
  std::function<QString(const QString& suggested)> AskPicturePath;

  // The handlers, public so a test can run a timer step without waiting.
  void Timer1Timer();
  void Timer2Timer();
  void SpeedButton7Click();
  void SpeedButton8Click();
  // "通過順から作り直す", after the user confirmed it.
  void SpeedButton3Click();
  // "画像として保存".
  void SpeedButton9Click();

protected:
  void closeEvent(QCloseEvent* event) override;

private:
  void CreateTopBar();
  void CreateBody();
  void CreateMenu();
  void ShowStraightNotice();
  void AddTabs();
  void TabControl1Change(int index);
  void SpeedButton2Click(bool down);
  void ValueButtonClick(int column);
  void StringGrid1MouseDown(int column, int row);
  void MarkerHighlight(int horse);
  std::optional<int> AskMargin(int gap);
  void SheetChanged();
  // The caption of the tab whose corner the diagram shows; empty when none.
  QString DrawnCaption() const;
  void SettingsChanged();
  void FormClose();

  QPointer<TSession> FSession;
  TRaceState* FState;
  TTrackDiagram FDiagram;
  TDiagramEditor FEditor;
  TRaceRecord FRace;
  bool FClosed = false;

  QWidget* FTopBar = nullptr;
  QWidget* FBody = nullptr;
  QToolButton* SpeedButton1 = nullptr;
  QToolButton* SpeedButton2 = nullptr;
  QToolButton* SpeedButton4 = nullptr;
  QToolButton* SpeedButton5 = nullptr;
  QToolButton* SpeedButton6 = nullptr;
  QToolButton* SpeedButton7 = nullptr;
  QToolButton* SpeedButton8 = nullptr;
  QToolButton* SpeedButton3 = nullptr;
  QToolButton* SpeedButton9 = nullptr;
  QButtonGroup* FValueGroup = nullptr;
  QLabel* Panel1 = nullptr;
  TRaceGridView* StringGrid1 = nullptr;
  QWidget* FTabStrip = nullptr;
  QTabBar* TabControl1 = nullptr;
  TDiagramView* Image1 = nullptr;
  QLabel* Label1 = nullptr;
  QMenu* N1 = nullptr;
  QAction* R1 = nullptr;
  QAction* N2 = nullptr;
  QAction* N3 = nullptr;
  QTimer* Timer1 = nullptr;
  QTimer* Timer2 = nullptr;
  TMarginDialog* FDifDlg = nullptr;
};

// Creates the race window for the race line as a sub-window of the area at the
// top left of its client area, with the close box only, shows it and returns
// it. Throws TConvertError when the race cannot be shown.
TRaceWindow* OpenRaceWindow(TSession& session, const QByteArray& raceLine, QMdiArea* area);
