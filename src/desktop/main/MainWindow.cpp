#include "desktop/main/MainWindow.h"

#include "desktop/archive/SearchWindow.h"
#include "desktop/archive/WideTripsWindow.h"
#include "desktop/main/DownloadProgress.h"
#include "desktop/main/HelpWindow.h"
#include "desktop/main/SorryDialog.h"
#include "desktop/main/VersionDialog.h"
#include "desktop/main/WebPages.h"
#include "desktop/race/RaceWindow.h"
#include "desktop/results/ResultsWindow.h"
#include "desktop/settings/SettingsDialog.h"
#include "desktop/widgets/ChildWindow.h"
#include "desktop/widgets/ToolIcons.h"
#include "desktop/widgets/UiSupport.h"
#include "text/Errors.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

// The classic system colour of inactive caption text: the client area's background.
const QColor ClientBackground(212, 208, 200);
constexpr int ToolbarHeight = 28;
constexpr int StatusBarHeight = 19;

// A toolbar button for action: clicking it runs the action and it is enabled
// with the action. Its picture stays off the action, as a menu would make
// room for pictures beside every item otherwise.
QToolButton* ToolbarButton(QWidget* parent, const QString& name, const QRect& geometry, QAction* action,
                           const QIcon& picture, const QString& caption, const QString& hint,
                           Qt::FocusPolicy focus) {
  QToolButton* button = MakeToolButton(parent, name, geometry, caption, hint, focus);
  button->setIcon(picture);
  button->setIconSize(QSize(16, 16));
  button->setToolButtonStyle(caption.isEmpty() ? Qt::ToolButtonIconOnly : Qt::ToolButtonTextBesideIcon);
  button->setEnabled(action->isEnabled());
  QObject::connect(button, &QToolButton::clicked, action, &QAction::trigger);
  QObject::connect(action, &QAction::enabledChanged, button, &QToolButton::setEnabled);
  return button;
}

}  // namespace

QPoint PlaceOnScreens(const QRect& frame, const QList<QRect>& screens, const QRect& primary) {
  // The caption strip must be reachable, or the window cannot be moved back.
  const QRect caption(frame.topLeft(), QSize(std::max(1, frame.width()), 24));
  for (const QRect& screen : screens) {
    if (screen.intersects(caption)) return frame.topLeft();
  }
  return primary.topLeft() + QPoint(20, 20);
}

TMainWindow::TMainWindow(const QString& startDir, TJVLink& link, const TClock& clock, QWidget* parent)
    : QMainWindow(parent), FObserver(*this), FSession(startDir, link, clock, FObserver) {
  setObjectName(u"MainWindow"_s);
  setWindowTitle(u"Ravekon ver1.24"_s);
  setWindowIcon(ProgramIcon());
  setFont(RavekFont(12));

  FMdiArea = new QMdiArea;
  FMdiArea->setObjectName(u"MdiArea"_s);
  FMdiArea->setBackground(ClientBackground);
  FMdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  FMdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  connect(FMdiArea, &QMdiArea::subWindowActivated, this, &TMainWindow::MergeChildMenus);

  CreateCommands();
  CreateMenus();
  CreateToolbar();
  CreateStatusBar();
  resize(ClientWidth, ClientHeight + menuBar()->sizeHint().height());
  PlaceWindow();

  connect(&FSession, &TSession::BusyChanged, this, [this](bool busy) {
    FBusy = busy;
    UpdateCommands();
  });
  connect(&FSession, &TSession::StoreReloaded, this, &TMainWindow::UpdateCommands);

  // The long-lived dialogs, in the order the program has always made them.
  // The margins dialog belongs to the race windows' library.
  FSorryDialog = new TSorryDialog(this);
  FVersionDialog = new TVersionDialog(this);
  FSettingsDialog = new TSettingsDialog(this);
  UpdateCommands();
}

TMainWindow::~TMainWindow() {
  // Children may still talk to the session while they go.
  delete FMdiArea->parentWidget();
}

void TMainWindow::CreateCommands() {
  // Object names as the tests find the commands.
  const auto command = [this](const QString& name, const QString& text, void (TMainWindow::*run)()) {
    auto* action = new QAction(text, this);
    action->setObjectName(name);
    connect(action, &QAction::triggered, this, run);
    return action;
  };
  FResultsAction = command(u"Seiseki"_s, u"成績(&S)"_s, &TMainWindow::ResultsClick);
  FDownloadAction = command(u"Sokuhou"_s, u"速報成績ＤＬ(&D)"_s, &TMainWindow::DownloadClick);
  FQuitAction = command(u"Quit"_s, u"終了(&Z)"_s, &TMainWindow::QuitClick);
  FLinkSettingsAction = command(u"Init"_s, u"ユーザー(&U)"_s, &TMainWindow::LinkSettingsClick);
  FSettingsAction = command(u"N3"_s, u"環境設定(&E)"_s, &TMainWindow::SettingsClick);
  FSearchAction = command(u"Search"_s, u"馬・騎手の検索(&F)..."_s, &TMainWindow::SearchClick);
  FSearchAction->setShortcut(QKeySequence::Find);
  FWideTripsAction = command(u"WideTrips"_s, u"大外を回った馬(&W)..."_s, &TMainWindow::WideTripsClick);
}

void TMainWindow::CreateMenus() {
  QMenu* mainMenu = menuBar()->addMenu(u"メインメニュー(&M)"_s);
  mainMenu->setObjectName(u"MainMenu"_s);
  mainMenu->addAction(FResultsAction);
  mainMenu->addAction(FSearchAction);
  mainMenu->addAction(FWideTripsAction);
  mainMenu->addSeparator();
  mainMenu->addAction(FDownloadAction);
  mainMenu->addSeparator();
  mainMenu->addAction(FQuitAction);

  FSettingsMenu = menuBar()->addMenu(u"設定(&I)"_s);
  FSettingsMenu->setObjectName(u"SetteiMenu"_s);
  FSettingsMenu->addAction(FLinkSettingsAction);
  FSettingsMenu->addAction(FSettingsAction);

  QMenu* helpMenu = menuBar()->addMenu(u"ヘルプ(&H)"_s);
  helpMenu->setObjectName(u"HelpMenu"_s);
  helpMenu->addAction(u"RAVEKヘルプ(&P)"_s, this, &TMainWindow::HelpClick)->setObjectName(u"bhelp"_s);
  helpMenu->addSeparator();
  helpMenu->addAction(u"馬場情報(&B)"_s, this, &TMainWindow::TrackConditionsClick)->setObjectName(u"Baba"_s);
  helpMenu->addAction(u"RAVEKサポートページへ(&A)"_s, this, &TMainWindow::SupportPageClick)
      ->setObjectName(u"RAVEKHP"_s);
  helpMenu->addSeparator();
  helpMenu->addAction(u"バージョン(&V)"_s, this, &TMainWindow::VersionClick)->setObjectName(u"Version"_s);
}

void TMainWindow::CreateToolbar() {
  auto* central = new QWidget;
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  auto* panel = new QFrame(central);
  panel->setObjectName(u"Toolbar"_s);
  panel->setFixedHeight(ToolbarHeight);
  panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  ToolbarButton(panel, u"BitBtn1"_s, QRect(3, 1, 32, 26), FQuitAction, QuitIcon(), {}, u"終了します"_s,
                Qt::TabFocus);
  ToolbarButton(panel, u"SpeedButton1"_s, QRect(48, 1, 92, 26), FResultsAction, ResultsIcon(), u"  成 績  "_s,
                u"成績一覧を表示"_s, Qt::TabFocus);
  ToolbarButton(panel, u"BitBtn2"_s, QRect(152, 1, 92, 26), FDownloadAction, DownloadIcon(),
                u"ダウンロード"_s, u"リアルタイムデータのダウンロード"_s, Qt::NoFocus);

  layout->addWidget(panel);
  layout->addWidget(FMdiArea, 1);
  setCentralWidget(central);
}

void TMainWindow::CreateStatusBar() {
  QStatusBar* bar = statusBar();
  bar->setObjectName(u"StatusBar"_s);
  bar->setFixedHeight(StatusBarHeight);
  bar->setSizeGripEnabled(false);
  auto* panels = new QWidget(bar);
  auto* layout = new QHBoxLayout(panels);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  for (int i = 0; i < 2; ++i) {
    FPanels[i] = new QLabel(panels);
    FPanels[i]->setObjectName(u"StatusPanel%1"_s.arg(i));
    FPanels[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    FPanels[i]->setMinimumWidth(0);
    FPanels[i]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    layout->addWidget(FPanels[i], 1);
  }
  bar->addWidget(panels, 1);
  SetFirstPanelWide(false);
}

void TMainWindow::SetFirstPanelWide(bool wide) {
  // The first panel is either nothing or everything; the last one takes the rest.
  FFirstPanelWide = wide;
  FPanels[0]->setVisible(wide);
  FPanels[1]->setVisible(!wide);
}

void TMainWindow::PlaceWindow() {
  const QRect frame(QPoint(FSession.Settings().X, FSession.Settings().Y), size());
  QList<QRect> screens;
  for (const QScreen* screen : QGuiApplication::screens()) screens.append(screen->geometry());
  const QScreen* primary = QGuiApplication::primaryScreen();
  move(primary ? PlaceOnScreens(frame, screens, primary->availableGeometry()) : frame.topLeft());
}

void TMainWindow::ShowChild(TChildWindow* child) {
  connect(child, &TChildWindow::StatusText, this, &TMainWindow::ShowStatusText);
  connect(child, &TChildWindow::SorryRequested, this, &TMainWindow::ShowSorry);
  ShowChildWindow(FMdiArea, child);
}

QString TMainWindow::StatusPanelText(int panel) const {
  return panel == 0 || panel == 1 ? FPanels[panel]->text() : QString();
}

void TMainWindow::ShowStatusText(int panel, const QString& text) {
  if (panel == 0 || panel == 1) FPanels[panel]->setText(text);
}

void TMainWindow::ShowSorry(const QString& text) {
  FSorryDialog->SetText(text);
  FSorryDialog->exec();
}

void TMainWindow::MergeChildMenus(QMdiSubWindow* window) {
  // A dialog or another program taking the focus deactivates the child for a
  // moment; its menus stay until another child becomes active.
  if (!window && !isActiveWindow() && !FMdiArea->subWindowList().isEmpty()) return;
  for (const QPointer<QMenu>& menu : std::as_const(FMerged)) {
    if (menu) menuBar()->removeAction(menu->menuAction());
  }
  FMerged.clear();
  const auto* child = window ? qobject_cast<TChildWindow*>(window->widget()) : nullptr;
  if (!child) return;
  for (QMenu* menu : child->Menus()) {
    menuBar()->insertAction(FSettingsMenu->menuAction(), menu->menuAction());
    FMerged.append(menu);
  }
}

void TMainWindow::UpdateCommands() {
  // The download and the results list replace the store the results list
  // shows; neither runs beside a download. The list follows settings changes.
  const bool free = !FBusy && !FResultsOpen;
  FResultsAction->setEnabled(free && FSession.ResultsEnabled());
  FDownloadAction->setEnabled(free);
  FSettingsAction->setEnabled(!FBusy);
  FLinkSettingsAction->setEnabled(!FBusy);
  FQuitAction->setEnabled(!FBusy);
  // The archive's windows read beside the list, but not while a download changes it.
  FSearchAction->setEnabled(!FBusy && FSession.HasArchive());
  FWideTripsAction->setEnabled(!FBusy && FSession.HasArchive());
}

void TMainWindow::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (FShown) return;
  FShown = true;
  // After the window has painted once.
  QTimer::singleShot(0, this, &TMainWindow::FirstShowing);
}

void TMainWindow::FirstShowing() {
  const QString message = FSession.Shell().StartMessage;
  if (!message.isEmpty()) ShowMessage(this, QMessageBox::Critical, message);
  bool close = false;
  try {
    close = FSession.StartUp();
  } catch (...) {
    FFirstShowingDone = true;
    UpdateCommands();
    throw;
  }
  FFirstShowingDone = true;
  UpdateCommands();
  if (!FSession.ArchiveNotice().isEmpty()) ShowMessage(this, QMessageBox::Warning, FSession.ArchiveNotice());
  connect(&FSession, &TSession::ArchiveSetAside, this, [this](const QString& message) {
    UpdateCommands();
    ShowMessage(this, QMessageBox::Warning, message);
  });
  FSession.CheckArchiveInBackground();
  emit FirstShown();
  if (close) this->close();
}

TDownloadProgress* TMainWindow::Progress() {
  if (!FProgress) {
    FProgress = new TDownloadProgress(this);
    FProgress->show();
  }
  return FProgress;
}

void TMainWindow::TObserver::ShowProgress(const QString& text) {
  FMain.Progress()->SetText(text);
  emit FMain.ProgressShown(text);
}

void TMainWindow::TObserver::CloseProgress() {
  TDownloadProgress* panel = FMain.FProgress;
  FMain.FProgress = nullptr;
  if (panel) panel->close();
}

void TMainWindow::TObserver::ShowStatus(const QString& text) {
  FMain.ShowStatusText(0, text);
}

void TMainWindow::TObserver::ProcessPendingEvents() {
  QCoreApplication::processEvents();
}

bool TMainWindow::TObserver::ShowMaintenance(const QString& text) {
  FMain.FSorryDialog->SetText(text);
  return FMain.FSorryDialog->exec() == QDialog::Accepted;
}

void TMainWindow::TObserver::DayProgress(int done, int asked) {
  FMain.Progress()->SetDays(done, asked);
}

void TMainWindow::QuitClick() {
  close();
}

void TMainWindow::DownloadClick() {
  if (!FDownloadAction->isEnabled()) return;
  const TDownloadResult result = FSession.RunDownload();
  UpdateCommands();
  if (!result.Started) return;
  ShowStatusText(0, DownloadSummary(result));
  // The latest day is what the user downloaded for.
  if (result.ResultsEnabled) {
    if (!FResultsOpen) ResultsClick();
    for (QMdiSubWindow* sub : FMdiArea->subWindowList())
      if (auto* list = qobject_cast<TResultsWindow*>(sub->widget())) list->ShowLatestDay();
  }
  if (!result.Messages.isEmpty()) ShowMessage(this, QMessageBox::Information, result.Messages.join(u'\n'));
}

void TMainWindow::ResultsClick() {
  if (!FResultsAction->isEnabled()) return;
  auto* list = new TResultsWindow(FSession);
  list->setAttribute(Qt::WA_DeleteOnClose);
  connect(list, &TResultsWindow::RaceOpenRequested, this, &TMainWindow::OpenRace);
  connect(list, &QObject::destroyed, this, [this] {
    FResultsOpen = false;
    UpdateCommands();
  });
  FResultsOpen = true;
  ShowChild(list);
  list->setFocus();
  SetFirstPanelWide(false);
  UpdateCommands();
}

void TMainWindow::OpenRace(const QByteArray& raceLine) {
  TRaceWindow* race = OpenRaceWindow(FSession, raceLine, FMdiArea);
  connect(race, &TChildWindow::StatusText, this, &TMainWindow::ShowStatusText);
  connect(race, &TChildWindow::SorryRequested, this, &TMainWindow::ShowSorry);
  connect(race, &TChildWindow::SettingsRequested, this, &TMainWindow::SettingsClick);
  // The first status panel spans the bar while a race window lives.
  ++FRaceWindows;
  SetFirstPanelWide(true);
  connect(race, &QObject::destroyed, this, [this] {
    if (--FRaceWindows == 0) SetFirstPanelWide(false);
  });
}

void TMainWindow::LinkSettingsClick() {
  const int r = FSession.Link().JVSetUIProperties();
  ShowStatusText(
      0, r != 0 ? u"JVSetUIPropertiesエラー:"_s + QString::number(r) : u"JVSetUIProperties正常終了:0"_s);
}

void TMainWindow::SettingsClick() {
  if (!FSettingsAction->isEnabled()) return;
  TSettings settings = FSession.Settings();
  if (FSettingsDialog->Execute(settings)) FSession.SetSettings(settings);
}

void TMainWindow::HelpClick() {
  ShowHelp(THelpWindow::ContentsPage);
}

void TMainWindow::ShowHelp(const char* page) {
  if (!FHelpWindow) {
    FHelpWindow = new THelpWindow(this);
    KeepGeometry(FHelpWindow, FSession.DesktopState(), u"windows/help"_s);
  }
  FHelpWindow->ShowPage(page);
  FHelpWindow->show();
  FHelpWindow->raise();
  FHelpWindow->activateWindow();
}

namespace {

void OpenPage(QWidget* parent, const char* address) {
  const QUrl url(QString::fromLatin1(address));
  if (!QDesktopServices::openUrl(url))
    ShowMessage(parent, QMessageBox::Warning, u"ブラウザでページを開けませんでした:\n"_s + url.toString());
}

}  // namespace

void TMainWindow::TrackConditionsClick() {
  OpenPage(this, WebPage::TrackConditions);
}

void TMainWindow::SupportPageClick() {
  ShowHelp(THelpWindow::SupportPage);
}

void TMainWindow::VersionClick() {
  FVersionDialog->exec();
}

bool TMainWindow::SaveAtClose() {
  for (;;) {
    try {
      const TPositionSaveResult result = FSession.Close(&FObserver);
      if (!result.Message.isEmpty()) ShowMessage(this, QMessageBox::Information, result.Message);
      return true;
    } catch (const TFileError& error) {
      const QMessageBox::StandardButton answer =
          ShowMessage(this, QMessageBox::Warning,
                      u"終了時の保存ができませんでした。\n%1\n\n"
                      "再試行: もう一度保存します\n破棄: 展開データを保存せずに終了します\n"
                      "キャンセル: 終了しません"_s.arg(error.Message()),
                      QMessageBox::Retry | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Retry);
      if (answer == QMessageBox::Retry) continue;
      if (answer != QMessageBox::Discard) return false;
      // The positions stay as they were on disk; the settings are still kept.
      try {
        FSession.WriteSettings();
      } catch (const TFileError& settingsError) {
        ShowMessage(this, QMessageBox::Warning, settingsError.Message());
      }
      return true;
    }
  }
}

void TMainWindow::closeEvent(QCloseEvent* event) {
  if (FClosed) {
    event->accept();
    return;
  }
  // The download runs the event loop between reads; the store is half built.
  if (FBusy) {
    event->ignore();
    return;
  }
  // Open race windows hand their positions back first, so the save has them.
  FMdiArea->closeAllSubWindows();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  for (const QMdiSubWindow* window : FMdiArea->subWindowList()) {
    if (window->isVisible()) {
      event->ignore();
      return;
    }
  }
  FSession.SetWindowPosition(pos());
  if (!SaveAtClose()) {
    event->ignore();
    return;
  }
  FClosed = true;
  if (FHelpWindow) FHelpWindow->close();
  event->accept();
}

THelpWindow* TMainWindow::HelpWindow() const {
  return FHelpWindow;
}
