#include "desktop/main/MainWindow.h"

#include "desktop/main/DownloadProgress.h"
#include "desktop/main/HelpWindow.h"
#include "desktop/main/SorryDialog.h"
#include "desktop/main/VersionDialog.h"
#include "desktop/main/WebPages.h"
#include "desktop/settings/SettingsDialog.h"
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
#include <QMetaMethod>
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

QToolButton* ToolButton(QWidget* parent, const QString& name, const QRect& geometry, const QString& caption,
                        const QString& tip, const QIcon& icon) {
  auto* button = new QToolButton(parent);
  button->setObjectName(name);
  button->setGeometry(geometry);
  button->setText(caption);
  button->setToolTip(tip);
  button->setIcon(icon);
  button->setIconSize(QSize(16, 16));
  button->setToolButtonStyle(caption.isEmpty() ? Qt::ToolButtonIconOnly : Qt::ToolButtonTextBesideIcon);
  return button;
}

bool HasSignal(const QObject* object, const char* signature) {
  return object->metaObject()->indexOfSignal(QMetaObject::normalizedSignature(signature).constData()) >= 0;
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
  setObjectName(u"frmMain"_s);
  setWindowTitle(u"Ravekon ver1.24"_s);
  setWindowIcon(ProgramIcon());
  setFont(RavekFont(12));

  FMdi = new QMdiArea;
  FMdi->setObjectName(u"MdiArea"_s);
  FMdi->setBackground(ClientBackground);
  FMdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  FMdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  connect(FMdi, &QMdiArea::subWindowActivated, this, &TMainWindow::MergeChildMenus);

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
  FSorry = new TSorryDialog(this);
  FAbout = new TVersionDialog(this);
  FSettei = new TSettingsDialog(this);
  UpdateCommands();
}

TMainWindow::~TMainWindow() {
  // Children may still talk to the session while they go.
  delete FMdi->parentWidget();
}

void TMainWindow::CreateMenus() {
  FMainMenu = menuBar()->addMenu(u"メインメニュー(&M)"_s);
  FMainMenu->setObjectName(u"MainMenu"_s);
  FSeiseki = FMainMenu->addAction(u"成績(&S)"_s, this, &TMainWindow::SeisekiClick);
  FSeiseki->setObjectName(u"Seiseki"_s);
  FMainMenu->addSeparator();
  FSokuhou = FMainMenu->addAction(u"速報成績ＤＬ(&D)"_s, this, &TMainWindow::SokuhouClick);
  FSokuhou->setObjectName(u"Sokuhou"_s);
  FMainMenu->addSeparator();
  FQuit = FMainMenu->addAction(u"終了(&Z)"_s, this, &TMainWindow::QuitClick);
  FQuit->setObjectName(u"Quit"_s);

  FSetteiMenu = menuBar()->addMenu(u"設定(&I)"_s);
  FSetteiMenu->setObjectName(u"SetteiMenu"_s);
  FInit = FSetteiMenu->addAction(u"ユーザー(&U)"_s, this, &TMainWindow::InitClick);
  FInit->setObjectName(u"Init"_s);
  FN3 = FSetteiMenu->addAction(u"環境設定(&E)"_s, this, &TMainWindow::N3Click);
  FN3->setObjectName(u"N3"_s);

  FHelpMenu = menuBar()->addMenu(u"ヘルプ(&H)"_s);
  FHelpMenu->setObjectName(u"HelpMenu"_s);
  FHelpMenu->addAction(u"RAVEKヘルプ(&P)"_s, this, &TMainWindow::bhelpClick)->setObjectName(u"bhelp"_s);
  FHelpMenu->addSeparator();
  FHelpMenu->addAction(u"馬場情報(&B)"_s, this, &TMainWindow::BabaClick)->setObjectName(u"Baba"_s);
  FHelpMenu->addAction(u"RAVEKサポートページへ(&A)"_s, this, &TMainWindow::RAVEKHPClick)
      ->setObjectName(u"RAVEKHP"_s);
  FHelpMenu->addSeparator();
  FHelpMenu->addAction(u"バージョン(&V)"_s, this, &TMainWindow::VersionClick)->setObjectName(u"Version"_s);
}

void TMainWindow::CreateToolbar() {
  auto* central = new QWidget;
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  auto* panel = new QFrame(central);
  panel->setObjectName(u"Panel1"_s);
  panel->setFixedHeight(ToolbarHeight);
  panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  FBitBtn1 = ToolButton(panel, u"BitBtn1"_s, QRect(3, 1, 32, 26), {}, u"終了します"_s, QuitIcon());
  FSpeedButton1 = ToolButton(panel, u"SpeedButton1"_s, QRect(48, 1, 92, 26), u"  成 績  "_s,
                             u"成績一覧を表示"_s, ResultsIcon());
  FBitBtn2 = ToolButton(panel, u"BitBtn2"_s, QRect(152, 1, 92, 26), u"ダウンロード"_s,
                        u"リアルタイムデータのダウンロード"_s, DownloadIcon());
  FBitBtn2->setFocusPolicy(Qt::NoFocus);
  connect(FBitBtn1, &QToolButton::clicked, this, &TMainWindow::QuitClick);
  connect(FSpeedButton1, &QToolButton::clicked, this, &TMainWindow::SeisekiClick);
  connect(FBitBtn2, &QToolButton::clicked, this, &TMainWindow::SokuhouClick);

  layout->addWidget(panel);
  layout->addWidget(FMdi, 1);
  setCentralWidget(central);
}

void TMainWindow::CreateStatusBar() {
  QStatusBar* bar = statusBar();
  bar->setObjectName(u"StatusBar1"_s);
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

void TMainWindow::SetResultsOpener(TChildOpener opener) {
  FResultsOpener = std::move(opener);
}

void TMainWindow::AdoptChild(QWidget* child) {
  if (!child) return;
  if (HasSignal(child, "StatusText(int,QString)"))
    connect(child, SIGNAL(StatusText(int, QString)), this, SLOT(ShowStatusText(int, QString)));
  if (HasSignal(child, "SorryRequested(QString)"))
    connect(child, SIGNAL(SorryRequested(QString)), this, SLOT(ShowSorry(QString)));
}

void TMainWindow::WidenStatusWhileAlive(QWidget* child) {
  if (!child) return;
  ++FWideChildren;
  SetFirstPanelWide(true);
  connect(child, &QObject::destroyed, this, [this] {
    if (--FWideChildren == 0) SetFirstPanelWide(false);
  });
}

QString TMainWindow::StatusPanelText(int panel) const {
  return panel == 0 || panel == 1 ? FPanels[panel]->text() : QString();
}

void TMainWindow::ShowStatusText(int panel, const QString& text) {
  if (panel == 0 || panel == 1) FPanels[panel]->setText(text);
}

void TMainWindow::ShowSorry(const QString& text) {
  FSorry->SetText(text);
  FSorry->exec();
}

void TMainWindow::MergeChildMenus(QMdiSubWindow* window) {
  // A dialog or another program taking the focus deactivates the child for a
  // moment; its menus stay until another child becomes active.
  if (!window && !isActiveWindow() && !FMdi->subWindowList().isEmpty()) return;
  for (const QPointer<QMenu>& menu : std::as_const(FMerged)) {
    if (menu) menuBar()->removeAction(menu->menuAction());
  }
  FMerged.clear();
  if (!window || !window->widget()) return;
  const QList<QMenu*> menus = window->widget()->findChildren<QMenu*>(Qt::FindDirectChildrenOnly);
  for (QMenu* menu : menus) {
    menuBar()->insertAction(FSetteiMenu->menuAction(), menu->menuAction());
    FMerged.append(menu);
  }
}

void TMainWindow::UpdateCommands() {
  const bool free = !FBusy && FListsOpen == 0;
  const bool results = free && FSession.ResultsEnabled();
  FSeiseki->setEnabled(results);
  FSpeedButton1->setEnabled(results);
  FSokuhou->setEnabled(free);
  FBitBtn2->setEnabled(free);
  FN3->setEnabled(free);
  FInit->setEnabled(!FBusy);
  FQuit->setEnabled(!FBusy);
  FBitBtn1->setEnabled(!FBusy);
}

void TMainWindow::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (FShown) return;
  FShown = true;
  // After the window has painted once.
  QTimer::singleShot(0, this, &TMainWindow::FormShow);
}

void TMainWindow::FormShow() {
  const QString message = FSession.Shell().StartMessage;
  if (!message.isEmpty()) ShowMessage(this, QMessageBox::Critical, message);
  bool close = false;
  try {
    close = FSession.FormShow();
  } catch (...) {
    FFormShowDone = true;
    UpdateCommands();
    throw;
  }
  FFormShowDone = true;
  UpdateCommands();
  emit FormShown();
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
  FMain.FSorry->SetText(text);
  return FMain.FSorry->exec() == QDialog::Accepted;
}

void TMainWindow::TObserver::DayProgress(int done, int asked) {
  FMain.Progress()->SetDays(done, asked);
}

void TMainWindow::QuitClick() {
  close();
}

void TMainWindow::SokuhouClick() {
  if (FBusy || FListsOpen > 0) return;
  const TDownloadResult result = FSession.RunDownload();
  UpdateCommands();
  if (!result.Messages.isEmpty()) ShowMessage(this, QMessageBox::Information, result.Messages.join(u'\n'));
}

void TMainWindow::SeisekiClick() {
  if (!FResultsOpener || FBusy || FListsOpen > 0 || !FSession.ResultsEnabled()) return;
  QWidget* list = FResultsOpener(FMdi);
  if (!list) return;
  ++FListsOpen;
  connect(list, &QObject::destroyed, this, [this] {
    --FListsOpen;
    UpdateCommands();
  });
  SetFirstPanelWide(false);
  UpdateCommands();
}

void TMainWindow::InitClick() {
  const int r = FSession.Link().JVSetUIProperties();
  ShowStatusText(
      0, r != 0 ? u"JVSetUIPropertiesエラー:"_s + QString::number(r) : u"JVSetUIProperties正常終了:0"_s);
}

void TMainWindow::N3Click() {
  if (FBusy || FListsOpen > 0) return;
  TSettings settings = FSession.Settings();
  if (FSettei->Execute(settings)) FSession.SetSettings(settings);
}

void TMainWindow::bhelpClick() {
  ShowHelp(THelpWindow::ContentsPage);
}

void TMainWindow::ShowHelp(const char* page) {
  if (!FHelp) FHelp = new THelpWindow(this);
  FHelp->ShowPage(page);
  FHelp->show();
  FHelp->raise();
  FHelp->activateWindow();
}

namespace {

void OpenPage(QWidget* parent, const char* address) {
  const QUrl url(QString::fromLatin1(address));
  if (!QDesktopServices::openUrl(url))
    ShowMessage(parent, QMessageBox::Warning, u"ブラウザでページを開けませんでした:\n"_s + url.toString());
}

}  // namespace

void TMainWindow::BabaClick() {
  OpenPage(this, WebPage::TrackConditions);
}

void TMainWindow::RAVEKHPClick() {
  ShowHelp(THelpWindow::SupportPage);
}

void TMainWindow::VersionClick() {
  FAbout->exec();
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
        FSession.Shell().WriteSettings();
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
  FMdi->closeAllSubWindows();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  for (const QMdiSubWindow* window : FMdi->subWindowList()) {
    if (window->isVisible()) {
      event->ignore();
      return;
    }
  }
  FSession.Settings().X = pos().x();
  FSession.Settings().Y = pos().y();
  if (!SaveAtClose()) {
    event->ignore();
    return;
  }
  FClosed = true;
  if (FHelp) FHelp->close();
  event->accept();
}

THelpWindow* TMainWindow::HelpWindow() const {
  return FHelp;
}
