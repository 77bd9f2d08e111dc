#pragma once

#include "desktop/widgets/ChildWindow.h"
#include "race/OpenRace.h"

#include <QByteArray>
#include <QImage>
#include <QPointer>

#include <functional>
#include <optional>

class QAction;
class QButtonGroup;
class QLabel;
class QMdiArea;
class QMenu;
class QTabBar;
class QTimer;
class QToolButton;
class QUndoStack;
class TDiagramView;
class TMarginDialog;
class TRaceGridView;
class TSession;

// The race window: the sheet of one race beside the track diagram of a corner,
// corrected by dragging and clicking, with the payout ticker, the replay and
// the export of the added times. The race itself is a TOpenRace of the
// session; the window forwards the user's events to it and paints it.
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
  static constexpr int InfoPanelWidth = 465;
  // The rebuild and picture buttons beside the tabs.
  static constexpr int ToolSize = 20;
  static constexpr int ImageLeft = 4;
  static constexpr int ImageTop = TabBarHeight + 4;
  static constexpr int ImageWidth = TabWidth - 2 * ImageLeft;
  static constexpr int ImageHeight = TabHeight - ImageTop - 4;
  static_assert(ImageWidth == TOpenRace::DiagramWidth && ImageHeight == TOpenRace::DiagramHeight);
  // The saved picture: a title line over the sheet and the diagram side by side.
  static constexpr int PictureMargin = 6;
  static constexpr int PictureTitleHeight = 22;

  // Throws TDataError when the race cannot be shown.
  TRaceWindow(TSession& session, const QByteArray& raceLine, QWidget* parent = nullptr);
  ~TRaceWindow() override;

  QList<QMenu*> Menus() const override { return {FViewerMenu}; }

  // Null once the window has handed its race back.
  TOpenRace* Race() const { return FRace; }
  TRaceGridView* Grid() const { return FGrid; }
  TDiagramView* Image() const { return FImage; }
  QTabBar* Tabs() const { return FTabs; }
  QWidget* TabStrip() const { return FTabStrip; }
  QLabel* InfoPanel() const { return FInfoPanel; }
  QLabel* StraightNotice() const { return FStraightNotice; }
  QToolButton* PayoutButton() const { return FPayoutButton; }
  QToolButton* ReplayButton() const { return FReplayButton; }
  QToolButton* ExportButton() const { return FExportButton; }
  QToolButton* RebuildButton() const { return FRebuildButton; }
  QToolButton* PictureButton() const { return FPictureButton; }
  QAction* ReplayAction() const { return FReplayAction; }
  QAction* RebuildAction() const { return FRebuildAction; }
  QAction* PictureAction() const { return FPictureAction; }
  QAction* UndoAction() const { return FUndoAction; }
  QAction* ExportSettingsAction() const { return FExportSettingsAction; }
  QAction* RedoAction() const { return FRedoAction; }
  QUndoStack* UndoStack() const { return FUndo; }
  QTimer* BlinkTimer() const { return FBlinkTimer; }
  QTimer* TickerTimer() const { return FTickerTimer; }
  TMarginDialog* MarginDialog();

  // The sheet and the diagram of the shown corner as one picture; a null
  // image once the window has handed its race back.
  QImage RacePicture();
  // "<race key>_<tab caption>.png"; the race key alone when no tab is shown.
  QString PictureFileName() const;
  // Asks where the picture goes, given the suggested path; empty to cancel.
  // A file dialog unless replaced (tests answer without one).
  std::function<QString(const QString& suggested)> AskPicturePath;

  void ExportClick();
  void ReplayClick();
  // "通過順から作り直す", after the user confirmed it.
  void RebuildClick();
  // "画像として保存".
  void PictureClick();

protected:
  void closeEvent(QCloseEvent* event) override;

private:
  void CreateTopBar();
  void CreateBody();
  void CreateMenu();
  void ShowStraightNotice();
  void AddTabs();
  void TabChange(int index);
  void PayoutClick(bool down);
  void BlinkRunning(bool running);
  std::optional<int> AskMargin(int gap);
  // The caption of the tab whose corner the diagram shows; empty when none.
  QString DrawnCaption() const;
  void SettingsChanged();
  void HandBack();
  // An undo or redo: the section the edit was made on is shown, then the line.
  void ApplyLine(int section, const QByteArray& line);
  void PushEdit(const QString& text, int section, const QByteArray& before, const QByteArray& after);

  QPointer<TSession> FSession;
  QPointer<TOpenRace> FRace;
  bool FClosed = false;

  QToolButton* FCloseButton = nullptr;
  QToolButton* FPayoutButton = nullptr;
  QToolButton* FRunTimeButton = nullptr;
  QToolButton* FConvertedButton = nullptr;
  QToolButton* FSpeedButton = nullptr;
  QToolButton* FExportButton = nullptr;
  QToolButton* FReplayButton = nullptr;
  QToolButton* FRebuildButton = nullptr;
  QToolButton* FPictureButton = nullptr;
  QButtonGroup* FValueGroup = nullptr;
  QLabel* FInfoPanel = nullptr;
  TRaceGridView* FGrid = nullptr;
  QWidget* FTabStrip = nullptr;
  QTabBar* FTabs = nullptr;
  TDiagramView* FImage = nullptr;
  QLabel* FStraightNotice = nullptr;
  QMenu* FViewerMenu = nullptr;
  QAction* FReplayAction = nullptr;
  QAction* FRebuildAction = nullptr;
  QAction* FPictureAction = nullptr;
  QAction* FUndoAction = nullptr;
  QAction* FExportSettingsAction = nullptr;
  QAction* FRedoAction = nullptr;
  QUndoStack* FUndo = nullptr;
  QTimer* FBlinkTimer = nullptr;
  QTimer* FTickerTimer = nullptr;
  TMarginDialog* FMarginDialog = nullptr;
};

// Creates the race window for the race line as a sub-window of the area and
// shows it. Throws TDataError when the race cannot be shown.
TRaceWindow* OpenRaceWindow(TSession& session, const QByteArray& raceLine, QMdiArea* area);
