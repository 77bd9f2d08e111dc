#pragma once

#include "link/Clock.h"
#include "link/DownloadObserver.h"
#include "link/JVLink.h"
#include "shell/Session.h"

#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <QRect>
#include <QString>

#include <functional>

class QAction;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QToolButton;
class TVersionDialog;
class THelpWindow;
class TSorryDialog;
class TSettingsDialog;
class TDownloadProgress;

// Where a window whose frame is frame goes: where it is when it overlaps any of
// the screens, else near the top left of the primary screen.
QPoint PlaceOnScreens(const QRect& frame, const QList<QRect>& screens, const QRect& primary);

// The main window: the frame every other window lives in. It owns the session
// and forwards its commands to it; child windows are MDI sub-windows.
class TMainWindow : public QMainWindow {
  Q_OBJECT

public:
  using TChildOpener = std::function<QWidget*(QMdiArea*)>;

  static constexpr int ClientWidth = 918;
  static constexpr int ClientHeight = 624;

  // Start-up: settles the directories, backs up Position.dat and reads the
  // settings (the session), then builds the window at the stored position and
  // creates the long-lived dialogs. The link and clock must outlive the window.
  TMainWindow(const QString& startDir, TJVLink& link, const TClock& clock, QWidget* parent = nullptr);
  ~TMainWindow() override;

  TSession& Session() { return FSession; }
  QMdiArea* MdiArea() const { return FMdi; }
  TSorryDialog* SorryDialog() const { return FSorry; }
  TVersionDialog* AboutBox() const { return FAbout; }
  TSettingsDialog* SetteiDialog() const { return FSettei; }
  THelpWindow* HelpWindow() const;

  // The results command opens its window through this; the command, the
  // download and the settings dialog are disabled while that window lives.
  void SetResultsOpener(TChildOpener opener);
  // Connects a child's StatusText and SorryRequested signals, when it has them.
  void AdoptChild(QWidget* child);
  // The first status panel spans the bar while this child (a race window) lives.
  void WidenStatusWhileAlive(QWidget* child);

  QString StatusPanelText(int panel) const;
  // True while the first panel spans the bar.
  bool FirstPanelWide() const { return FFirstPanelWide; }
  bool FormShowDone() const { return FFormShowDone; }

public slots:
  void ShowStatusText(int panel, const QString& text);
  void ShowSorry(const QString& text);

  void QuitClick();
  void SokuhouClick();
  void SeisekiClick();
  void InitClick();
  void N3Click();
  void bhelpClick();
  void BabaClick();
  void RAVEKHPClick();
  void VersionClick();

signals:
  // The first showing's work (store loaded, link initialised, probe) is done.
  void FormShown();
  // Every text the progress panel shows, in order.
  void ProgressShown(const QString& text);

protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

private:
  void ShowHelp(const char* page);
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

  void CreateMenus();
  void CreateToolbar();
  void CreateStatusBar();
  void FormShow();
  void UpdateCommands();
  void MergeChildMenus(QMdiSubWindow* window);
  void SetFirstPanelWide(bool wide);
  void PlaceWindow();
  TDownloadProgress* Progress();
  bool SaveAtClose();

  TObserver FObserver;
  TSession FSession;
  QMdiArea* FMdi = nullptr;

  QMenu* FMainMenu = nullptr;
  QMenu* FSetteiMenu = nullptr;
  QMenu* FHelpMenu = nullptr;
  QAction* FSeiseki = nullptr;
  QAction* FSokuhou = nullptr;
  QAction* FQuit = nullptr;
  QAction* FInit = nullptr;
  QAction* FN3 = nullptr;
  QToolButton* FBitBtn1 = nullptr;
  QToolButton* FSpeedButton1 = nullptr;
  QToolButton* FBitBtn2 = nullptr;
  QLabel* FPanels[2] = {nullptr, nullptr};
  bool FFirstPanelWide = false;
  int FWideChildren = 0;

  TSorryDialog* FSorry = nullptr;
  TVersionDialog* FAbout = nullptr;
  TSettingsDialog* FSettei = nullptr;
  QPointer<THelpWindow> FHelp;
  QPointer<TDownloadProgress> FProgress;

  TChildOpener FResultsOpener;
  int FListsOpen = 0;
  bool FBusy = false;
  bool FShown = false;
  bool FFormShowDone = false;
  bool FClosed = false;
  QList<QPointer<QMenu>> FMerged;
};
