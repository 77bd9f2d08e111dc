#include "desktop/race/RaceWindow.h"

#include "desktop/race/DiagramView.h"
#include "desktop/race/MarginDialog.h"
#include "desktop/race/RaceGridView.h"
#include "desktop/widgets/UiSupport.h"
#include "race/RaceGrid.h"
#include "race/RaceSheet.h"
#include "shell/Session.h"
#include "text/Errors.h"
#include "text/LineFile.h"

#include <QAbstractButton>
#include <QBuffer>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QSettings>
#include <QStyle>
#include <QTabBar>
#include <QTimer>
#include <QToolButton>
#include <QUndoStack>

#include <utility>

using namespace Qt::StringLiterals;

namespace {

bool ConfirmRebuild(QWidget* parent) {
  QMessageBox box(QMessageBox::Question, u"通過順から作り直す"_s,
                  u"この競走の位置を、成績の通過順からダウンロードしたときのとおりに作り直します。\n"
                  "ドラッグなどで直した位置はすべて元に戻ります。"_s,
                  QMessageBox::NoButton, parent);
  QPushButton* rebuild = box.addButton(u"作り直す"_s, QMessageBox::AcceptRole);
  QPushButton* cancel = box.addButton(u"キャンセル"_s, QMessageBox::RejectRole);
  box.setDefaultButton(cancel);
  box.setEscapeButton(cancel);
  box.exec();
  return box.clickedButton() == rebuild;
}

// One edit of the working position line. The edit is made before it is
// pushed, so the first redo has nothing to do.
class TLineEdit : public QUndoCommand {
public:
  TLineEdit(const QString& text, int section, QByteArray before, QByteArray after,
            std::function<void(int, const QByteArray&)> apply)
      : QUndoCommand(text),
        FSection(section),
        FBefore(std::move(before)),
        FAfter(std::move(after)),
        FApply(std::move(apply)) {}
  void undo() override { FApply(FSection, FBefore); }
  void redo() override {
    if (!std::exchange(FFirst, false)) FApply(FSection, FAfter);
  }

private:
  int FSection;
  QByteArray FBefore, FAfter;
  std::function<void(int, const QByteArray&)> FApply;
  bool FFirst = true;
};

}  // namespace

TRaceWindow::TRaceWindow(TSession& session, const QByteArray& raceLine, QWidget* parent)
    : TChildWindow(parent), FSession(&session), FRace(session.OpenRace(raceLine)) {
  try {
    const TRaceState& state = FRace->State();
    setObjectName(u"RaceWindow"_s);
    setFont(RavekFont(12));
    CreateTopBar();
    CreateBody();
    CreateMenu();
    setFixedSize(TabLeft + TabWidth + 2, TopBarHeight + TabTop + TabHeight + 2);
    setWindowTitle(state.Caption());

    // The replay is offered only when the link has the race's movie.
    const bool replay = session.Link().JVMVCheck(state.RaceKey) > 0;
    FReplayButton->setEnabled(replay);
    FReplayAction->setEnabled(replay);
    if (!replay) FReplayButton->setToolTip(u"このレースのリプレイ映像はありません"_s);
    if (replay) {
      QPalette teal = FReplayButton->palette();
      teal.setColor(QPalette::ButtonText, QColor(0, 128, 128));
      FReplayButton->setPalette(teal);
    }

    FInfoPanel->setText(state.InfoText);
    connect(FRace, &TOpenRace::SectionShown, this, [this] { FInfoPanel->setText(FRace->InfoText()); });
    if (state.Straight) {
      ShowStraightNotice();
    } else {
      AddTabs();
      // The keys that select and move horses go to the diagram.
      setFocusProxy(FImage);
      FImage->setFocus();
    }

    FBlinkTimer = new QTimer(this);
    FBlinkTimer->setInterval(TMarkerBlink::IntervalMs);
    connect(FBlinkTimer, &QTimer::timeout, FRace, &TOpenRace::BlinkStep);
    FTickerTimer = new QTimer(this);
    FTickerTimer->setInterval(TPayoutTicker::IntervalMs);
    connect(FTickerTimer, &QTimer::timeout, FRace, &TOpenRace::TickerStep);
    FPayoutButton->setChecked(state.Ticker.On());
    if (state.Ticker.On()) FTickerTimer->start();
    // The main window hears the window's texts once it has adopted it: the
    // first panel shows the ticker, or nothing left from before.
    QTimer::singleShot(0, this, [this] {
      if (FRace) emit StatusText(0, FRace->State().Ticker.On() ? FRace->State().Ticker.Text() : QString());
    });
    connect(FPayoutButton, &QToolButton::toggled, this, &TRaceWindow::PayoutClick);
    connect(FRace, &TOpenRace::StatusText, this, &TRaceWindow::StatusText);
    connect(FRace, &TOpenRace::Edited, this, &TRaceWindow::PushEdit);
    connect(FRace, &TOpenRace::BlinkRunning, this, &TRaceWindow::BlinkRunning);
    connect(&session, &TSession::SettingsChanged, this, &TRaceWindow::SettingsChanged);
  } catch (...) {
    session.CloseRace(FRace);
    throw;
  }
}

TRaceWindow::~TRaceWindow() {
  // Destroyed without a close (the main window going away): the edits still go back.
  HandBack();
}

void TRaceWindow::CreateTopBar() {
  const TRaceState& state = FRace->State();
  auto* topBar = new QWidget(this);
  topBar->setGeometry(0, 0, TabLeft + TabWidth + 2, TopBarHeight);
  const int half = SheetGeometry::Width() / 2;
  const int valueLeft = 2 + half;

  FCloseButton = MakeToolButton(topBar, u"CloseButton"_s, {3, 1, 32, 26}, {}, u"ウィンドウを閉じる"_s);
  FCloseButton->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
  connect(FCloseButton, &QToolButton::clicked, this, [this] {
    // The sub-window around the race closes with it.
    if (QWidget* frame = parentWidget(); qobject_cast<QMdiSubWindow*>(frame))
      frame->close();
    else
      close();
  });

  FPayoutButton = MakeToolButton(topBar, u"PayoutButton"_s, {40, 1, 41, 26}, u"払戻"_s);
  FPayoutButton->setCheckable(true);

  FReplayButton = MakeToolButton(topBar, u"ReplayButton"_s, {valueLeft, 1, half, 26}, u"レースリプレイ"_s,
                                 u"レーシングビュアーの起動"_s);
  FReplayButton->setFont(RavekFont(12));
  FReplayButton->setEnabled(false);
  connect(FReplayButton, &QToolButton::clicked, this, &TRaceWindow::ReplayClick);

  FExportButton = MakeToolButton(topBar, u"ExportButton"_s, {valueLeft + half, 1, half, 26},
                                 u"補正タイム出力"_s, u"付加タイムの保存"_s);
  FExportButton->setFont(RavekFont(13));
  FExportButton->setVisible(state.ExportShown());
  FExportButton->setEnabled(state.ExportEnabled());
  connect(FExportButton, &QToolButton::clicked, this, &TRaceWindow::ExportClick);

  FInfoPanel = new QLabel(topBar);
  FInfoPanel->setObjectName(u"InfoPanel"_s);
  FInfoPanel->setGeometry(312, 1, InfoPanelWidth, 26);
  FInfoPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  FInfoPanel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  FInfoPanel->setFont(RavekFont(13));
}

void TRaceWindow::CreateBody() {
  auto* body = new QWidget(this);
  body->setGeometry(0, TopBarHeight, TabLeft + TabWidth + 2, TabTop + TabHeight + 2);

  const int gridTop = TabTop + TabBarHeight + 5;
  const int half = SheetGeometry::Width() / 2;
  const int buttonHeight = 24;
  const int buttonTop = gridTop - buttonHeight - 1;
  FRunTimeButton = MakeToolButton(body, u"RunTimeButton"_s, {2, buttonTop, half, buttonHeight},
                                  u"走破タイム"_s, u"走破タイムの表示"_s);
  FConvertedButton = MakeToolButton(body, u"ConvertedButton"_s, {2 + half, buttonTop, half, buttonHeight},
                                    u"実走タイム"_s, u"換算タイムの表示"_s);
  FSpeedButton = MakeToolButton(body, u"SpeedButton"_s, {2 + 2 * half, buttonTop, half, buttonHeight},
                                u"スピード"_s, u"速度（分速）の表示"_s);
  FSpeedButton->hide();
  FValueGroup = new QButtonGroup(this);
  FValueGroup->setExclusive(true);
  const std::pair<QToolButton*, TValueButton> buttons[] = {{FRunTimeButton, TValueButton::RunTime},
                                                           {FConvertedButton, TValueButton::Converted},
                                                           {FSpeedButton, TValueButton::Speed}};
  for (const auto& [button, value] : buttons) {
    button->setCheckable(true);
    FValueGroup->addButton(button, ValueColumn(value));
  }
  FRunTimeButton->setChecked(true);
  FConvertedButton->setEnabled(FRace->State().ConvertedTimeEnabled());

  FGrid = new TRaceGridView(*FRace, body);
  FGrid->setObjectName(u"Grid"_s);
  FGrid->setGeometry(2, gridTop, SheetGeometry::Width(), TabHeight - TabBarHeight - 4);
  connect(FValueGroup, &QButtonGroup::idClicked, FGrid, &TRaceGridView::SetValueColumn);
  connect(FValueGroup, &QButtonGroup::idClicked, this,
          [this](int column) { FSession->DesktopState().setValue(u"race/column"_s, column); });
  // The time column last chosen, where this race offers it.
  if (QAbstractButton* remembered =
          FValueGroup->button(FSession->DesktopState().value(u"race/column"_s, -1).toInt());
      remembered && remembered->isEnabled() && !remembered->isHidden())
    remembered->click();

  FTabStrip = new QWidget(body);
  FTabStrip->setObjectName(u"TabStrip"_s);
  FTabStrip->setGeometry(TabLeft, TabTop, TabWidth, TabHeight);
  auto* page = new QFrame(FTabStrip);
  page->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
  page->setGeometry(0, TabBarHeight - 1, TabWidth, TabHeight - TabBarHeight + 1);
  FTabs = new QTabBar(FTabStrip);
  FTabs->setObjectName(u"Tabs"_s);
  // Short of the rebuild and picture buttons at the right.
  FTabs->setGeometry(0, 0, TabWidth - 2 * (ToolSize + 2) - 2, TabBarHeight);
  FTabs->setExpanding(false);
  FTabs->setDrawBase(false);
  FTabs->setFocusPolicy(Qt::NoFocus);
  // Tabs 20 pixels high whatever the style would make of them.
  FTabs->setStyleSheet(
      u"QTabBar::tab { height: %1px; padding: 0 10px; border: 1px solid palette(mid); border-bottom: none;"
      " border-top-left-radius: 3px; border-top-right-radius: 3px; background: palette(button); }"
      " QTabBar::tab:selected { background: palette(window); }"
      " QTabBar::tab:!selected { margin-top: 2px; }"_s.arg(TabBarHeight - 1));

  QFont markerFont = font();
  markerFont.setPointSize(11);
  FImage = new TDiagramView(*FRace, markerFont, FTabStrip);
  FImage->setObjectName(u"Image"_s);
  FImage->setGeometry(ImageLeft, ImageTop, ImageWidth, ImageHeight);
  FImage->OnAskMargin = [this](int gap) { return AskMargin(gap); };

  // The rebuild and the picture at the right of the tab row, where the
  // tabs leave room, so the passing order keeps its whole panel.
  const int toolTop = TabTop;
  const int toolRight = TabLeft + TabWidth;
  FRebuildButton =
      MakeToolButton(body, u"RebuildButton"_s, {toolRight - 2 * (ToolSize + 2), toolTop, ToolSize, ToolSize},
                     {}, u"通過順から作り直す"_s);
  FRebuildButton->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
  connect(FRebuildButton, &QToolButton::clicked, this, &TRaceWindow::RebuildClick);
  FPictureButton =
      MakeToolButton(body, u"PictureButton"_s, {toolRight - (ToolSize + 2), toolTop, ToolSize, ToolSize}, {},
                     u"画像として保存"_s);
  FPictureButton->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
  // A straight course has no diagram to show.
  FPictureButton->setEnabled(!FRace->State().Straight);
  connect(FPictureButton, &QToolButton::clicked, this, &TRaceWindow::PictureClick);

  FStraightNotice = new QLabel(body);
  FStraightNotice->setObjectName(u"StraightNotice"_s);
  FStraightNotice->setGeometry(FTabStrip->geometry());
  FStraightNotice->setAlignment(Qt::AlignCenter);
  FStraightNotice->setFont(RavekFont(15));
  FStraightNotice->setAutoFillBackground(true);
  QPalette tip = FStraightNotice->palette();
  tip.setColor(QPalette::Window, tip.color(QPalette::ToolTipBase));
  tip.setColor(QPalette::WindowText, tip.color(QPalette::ToolTipText));
  FStraightNotice->setPalette(tip);
  FStraightNotice->hide();
}

void TRaceWindow::CreateMenu() {
  // A direct child: the main window merges it into its menu bar.
  FViewerMenu = new QMenu(u"ビューアー(&W)"_s, this);
  FViewerMenu->setObjectName(u"ViewerMenu"_s);
  FUndo = new QUndoStack(this);
  FUndoAction = FViewerMenu->addAction(u"元に戻す(&U)"_s);
  FUndoAction->setObjectName(u"UndoAction"_s);
  FUndoAction->setShortcut(QKeySequence::Undo);
  FRedoAction = FViewerMenu->addAction(u"やり直す(&Y)"_s);
  FRedoAction->setObjectName(u"RedoAction"_s);
  FRedoAction->setShortcuts(
      {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
  for (QAction* action : {FUndoAction, FRedoAction}) {
    // The keys reach the race window they belong to, not another one open beside it.
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    action->setEnabled(false);
    addAction(action);
  }
  connect(FUndoAction, &QAction::triggered, FUndo, &QUndoStack::undo);
  connect(FRedoAction, &QAction::triggered, FUndo, &QUndoStack::redo);
  connect(FUndo, &QUndoStack::canUndoChanged, FUndoAction, &QAction::setEnabled);
  connect(FUndo, &QUndoStack::canRedoChanged, FRedoAction, &QAction::setEnabled);
  connect(FUndo, &QUndoStack::undoTextChanged, FUndoAction, [this](const QString& text) {
    FUndoAction->setText(text.isEmpty() ? u"元に戻す(&U)"_s : u"元に戻す(&U): "_s + text);
  });
  connect(FUndo, &QUndoStack::redoTextChanged, FRedoAction, [this](const QString& text) {
    FRedoAction->setText(text.isEmpty() ? u"やり直す(&Y)"_s : u"やり直す(&Y): "_s + text);
  });
  FViewerMenu->addSeparator();
  FReplayAction = FViewerMenu->addAction(u"リプレイ(&R)"_s);
  FReplayAction->setObjectName(u"ReplayAction"_s);
  FReplayAction->setEnabled(false);
  connect(FReplayAction, &QAction::triggered, this, &TRaceWindow::ReplayClick);
  FViewerMenu->addSeparator();
  FRebuildAction = FViewerMenu->addAction(u"通過順から作り直す(&T)"_s);
  FRebuildAction->setObjectName(u"RebuildAction"_s);
  connect(FRebuildAction, &QAction::triggered, this, &TRaceWindow::RebuildClick);
  FPictureAction = FViewerMenu->addAction(u"画像として保存(&S)"_s);
  FPictureAction->setObjectName(u"PictureAction"_s);
  FPictureAction->setEnabled(!FRace->State().Straight);
  connect(FPictureAction, &QAction::triggered, this, &TRaceWindow::PictureClick);
  // While the export is off its button is hidden: the way to switch it on is offered here.
  FExportSettingsAction = FViewerMenu->addAction(u"補正タイム出力の設定(&E)..."_s);
  FExportSettingsAction->setObjectName(u"ExportSettingsAction"_s);
  FExportSettingsAction->setVisible(!FRace->State().ExportShown());
  connect(FExportSettingsAction, &QAction::triggered, this, &TChildWindow::SettingsRequested);
}

void TRaceWindow::ShowStraightNotice() {
  FTabStrip->hide();
  FStraightNotice->setText(StraightCourseNotice());
  FStraightNotice->show();
}

void TRaceWindow::AddTabs() {
  const QSignalBlocker block(FTabs);
  for (const QString& caption : FRace->State().Tabs) FTabs->addTab(caption);
  if (FRace->InitialTab() >= 0) {
    FTabs->setCurrentIndex(FRace->InitialTab());
    FInfoPanel->setText(FRace->InfoText());
  }
  FImage->RenderPicture();
  connect(FTabs, &QTabBar::currentChanged, this, &TRaceWindow::TabChange);
  // The corner last looked at, where this race has it.
  const QString remembered = FSession->DesktopState().value(u"race/tab"_s).toString();
  for (int tab = 0; tab < FTabs->count(); ++tab)
    if (FTabs->tabText(tab) == remembered) FTabs->setCurrentIndex(tab);
}

TMarginDialog* TRaceWindow::MarginDialog() {
  if (!FMarginDialog) {
    FMarginDialog = new TMarginDialog(this);
    FMarginDialog->setObjectName(u"MarginDialog"_s);
  }
  return FMarginDialog;
}

void TRaceWindow::TabChange(int index) {
  if (!FRace || index < 0) return;
  FRace->ShowSection(FTabs->tabText(index));
  FSession->DesktopState().setValue(u"race/tab"_s, FTabs->tabText(index));
}

void TRaceWindow::BlinkRunning(bool running) {
  if (running && !FBlinkTimer->isActive()) FBlinkTimer->start();
  if (!running) FBlinkTimer->stop();
}

void TRaceWindow::PayoutClick(bool down) {
  if (!FRace) return;
  if (!down) FTickerTimer->stop();
  FRace->SetTickerOn(down);
  if (down) FTickerTimer->start();
}

void TRaceWindow::ExportClick() {
  if (!FRace || !FSession || !FRace->State().ExportEnabled()) return;
  // The diagram's rows and lanes first, so the file has what the sheet shows.
  FRace->WriteSection();
  try {
    const QString file = FSession->ExportRace(*FRace);
    emit StatusText(FRace->MessagePanel(), u"補正タイムを出力しました: "_s + QDir::toNativeSeparators(file));
  } catch (const TRavekError& error) {
    emit SorryRequested(error.Message());
  }
}

void TRaceWindow::ReplayClick() {
  if (!FRace || !FSession || !FReplayButton->isEnabled()) return;
  // The viewer reports nothing back.
  FSession->Link().JVMVPlay(FRace->State().RaceKey);
}

void TRaceWindow::RebuildClick() {
  if (!FRace || !ConfirmRebuild(this) || !FRace) return;
  try {
    FRace->Rebuild();
  } catch (const TRavekError& error) {
    emit SorryRequested(error.Message());
  }
}

QString TRaceWindow::DrawnCaption() const {
  const int tab = FTabs->currentIndex();
  return FRace && tab >= 0 ? FRace->DrawnCaption(FTabs->tabText(tab)) : QString();
}

std::optional<int> TRaceWindow::AskMargin(int gap) {
  TMarginDialog* dialog = MarginDialog();
  dialog->SetValue(gap);
  if (dialog->exec() != QDialog::Accepted) return std::nullopt;
  return dialog->Value();
}

void TRaceWindow::PushEdit(const QString& text, int section, const QByteArray& before,
                           const QByteArray& after) {
  FUndo->push(new TLineEdit(text, section, before, after,
                            [this](int shown, const QByteArray& line) { ApplyLine(shown, line); }));
}

void TRaceWindow::ApplyLine(int section, const QByteArray& line) {
  if (!FRace) return;
  for (int tab = 0; tab < FTabs->count() && section != 0; ++tab)
    if (TTrackDiagram::CaptionSection(FTabs->tabText(tab)).Section == section) FTabs->setCurrentIndex(tab);
  FRace->RestoreLine(line);
}

void TRaceWindow::SettingsChanged() {
  if (!FRace) return;
  // The loss per lane or the export setting may have changed.
  FExportButton->setVisible(FRace->State().ExportShown());
  FExportButton->setEnabled(FRace->State().ExportEnabled());
  FExportSettingsAction->setVisible(!FRace->State().ExportShown());
  FRace->RefillSheet();
}

void TRaceWindow::closeEvent(QCloseEvent* event) {
  HandBack();
  event->accept();
}

void TRaceWindow::HandBack() {
  if (FClosed) return;
  FClosed = true;
  if (FBlinkTimer) FBlinkTimer->stop();
  if (FTickerTimer) FTickerTimer->stop();
  if (!FSession || !FRace) return;
  disconnect(FSession, nullptr, this, nullptr);
  FRace->WriteSection();
  disconnect(FRace, nullptr, this, nullptr);
  emit StatusText(0, QString());
  // Nothing paints the handed-back race any more.
  setUpdatesEnabled(false);
  FSession->CloseRace(FRace);
}

TRaceWindow* OpenRaceWindow(TSession& session, const QByteArray& raceLine, QMdiArea* area) {
  auto* window = new TRaceWindow(session, raceLine);
  ShowChildWindow(area, window);
  return window;
}
