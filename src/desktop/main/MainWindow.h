#pragma once

#include "link/Clock.h"
#include "link/DownloadObserver.h"
#include "link/JVLink.h"
#include "shell/Session.h"

#include <QByteArray>
#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <QRect>
#include <QString>

class TSearchWindow;
class TWideTripsWindow;

class QAction;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QToolButton;
class TChildWindow;
class TDownloadProgress;
class THelpWindow;
class TSettingsDialog;
class TSorryDialog;
class TVersionDialog;

// Where a window whose frame is frame goes: where it is when it overlaps any of
// the screens, else near the top left of the primary screen.
QPoint PlaceOnScreens(const QRect& frame, const QList<QRect>& screens, const QRect& primary);

// The main window: the frame every other window lives in. It owns the session,
// forwards its commands to it and opens the results list and the race windows
// as MDI sub-windows.
class TMainWindow : public QMainWindow {
  Q_OBJECT

public:
  static constexpr int ClientWidth = 918;
  static constexpr int ClientHeight = 624;

  // Start-up: settles the directories, backs up Position.dat and reads the
  // settings (the session), then builds the window at the stored position and
  // creates the long-lived dialogs. The link and clock must outlive the window.
  TMainWindow(const QString& startDir, TJVLink& link, const TClock& clock, QWidget* parent = nullptr);
  ~TMainWindow() override;

  TSession& Session() { return FSession; }
  QMdiArea* MdiArea() const { return FMdiArea; }
  TSorryDialog* SorryDialog() const { return FSorryDialog; }
  TVersionDialog* VersionDialog() const { return FVersionDialog; }
  TSettingsDialog* SettingsDialog() const { return FSettingsDialog; }
  THelpWindow* HelpWindow() const;

  // Shows child in the area: its texts reach the status bar and the "Sorry"
  // dialog, its menus join the menu bar while it is active.
  void ShowChild(TChildWindow* child);

  QString StatusPanelText(int panel) const;
  // True while the first panel spans the bar.
  bool FirstPanelWide() const { return FFirstPanelWide; }
  bool FirstShowingDone() const { return FFirstShowingDone; }

  // The commands of the menus and the toolbar.
  void QuitClick();
  void DownloadClick();
  void ResultsClick();
  void LinkSettingsClick();
  void SettingsClick();
  void HelpClick();
  void TrackConditionsClick();
  void SupportPageClick();
  void VersionClick();

  void ShowStatusText(int panel, const QString& text);
  void ShowSorry(const QString& text);

signals:
  // The first showing's work (store loaded, link initialised, probe) is done.
  void FirstShown();
  // Every text the progress panel shows, in order.
  void ProgressShown(const QString& text);

protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

private:
  // The status bar, the progress panel and the "Sorry" dialog as the download sees them.
  class TObserver : public TDownloadObserver {
  public:
    explicit TObserver(TMainWindow& main) : FMain(main) {}
    void ShowProgress(const QString& text) override;
    void CloseProgress() override;
    void ShowStatus(const QString& text) override;
    void ProcessPendingEvents() override;
    bool ShowMaintenance(const QString& text) override;
    void DayProgress(int done, int asked) override;

  private:
    TMainWindow& FMain;
  };

  void CreateCommands();
  void CreateMenus();
  void CreateToolbar();
  void CreateStatusBar();
  void FirstShowing();
  void UpdateCommands();
  void SearchClick();
  void WideTripsClick();
  // A race found in the archive's windows, its day brought into the store first.
  void OpenArchivedRace(const QByteArray& raceKey);
  void MergeChildMenus(QMdiSubWindow* window);
  void SetFirstPanelWide(bool wide);
  void PlaceWindow();
  void OpenRace(const QByteArray& raceLine);
  void ShowHelp(const char* page);
  TDownloadProgress* Progress();
  bool SaveAtClose();

  TObserver FObserver;
  TSession FSession;
  QMdiArea* FMdiArea = nullptr;

  // One action per command, shared by the menu and the toolbar.
  QAction* FResultsAction = nullptr;
  QAction* FDownloadAction = nullptr;
  QAction* FQuitAction = nullptr;
  QAction* FLinkSettingsAction = nullptr;
  QAction* FSettingsAction = nullptr;
  QAction* FSearchAction = nullptr;
  QAction* FWideTripsAction = nullptr;
  TSearchWindow* FSearchWindow = nullptr;
  TWideTripsWindow* FWideTripsWindow = nullptr;
  QMenu* FSettingsMenu = nullptr;
  QLabel* FPanels[2] = {nullptr, nullptr};
  bool FFirstPanelWide = false;
  int FRaceWindows = 0;

  TSorryDialog* FSorryDialog = nullptr;
  TVersionDialog* FVersionDialog = nullptr;
  TSettingsDialog* FSettingsDialog = nullptr;
  QPointer<THelpWindow> FHelpWindow;
  QPointer<TDownloadProgress> FProgress;

  bool FResultsOpen = false;
  bool FBusy = false;
  bool FShown = false;
  bool FFirstShowingDone = false;
  bool FClosed = false;
  QList<QPointer<QMenu>> FMerged;
};
