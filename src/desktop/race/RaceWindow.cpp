#include "desktop/race/RaceWindow.h"

#include "desktop/race/DiagramView.h"
#include "desktop/race/MarginDialog.h"
#include "desktop/race/RaceGridView.h"
#include "desktop/widgets/ToolIcons.h"
#include "desktop/widgets/UiSupport.h"
#include "race/RaceGrid.h"
#include "race/RaceSheet.h"
#include "race/RaceState.h"
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
#include <QStyle>
#include <QTabBar>
#include <QTimer>
#include <QToolButton>

#include <utility>

using namespace Qt::StringLiterals;

namespace {

QFont PixelFont(int pixels) {
  QFont font(u"ＭＳ Ｐゴシック"_s);
  font.setPixelSize(pixels);
  return font;
}

QToolButton* MakeButton(QWidget* parent, const QString& name, const QString& caption, const QString& hint,
                        const QRect& geometry) {
  auto* button = new QToolButton(parent);
  button->setObjectName(name);
  button->setText(caption);
  button->setToolTip(hint);
  button->setGeometry(geometry);
  button->setFocusPolicy(Qt::NoFocus);
  return button;
}

// The folder of the last picture saved, offered again for the rest of the run.
QString LastPictureFolder;

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

}  // namespace

TRaceWindow::TRaceWindow(TSession& session, const QByteArray& raceLine, QWidget* parent)
    : TChildWindow(parent),
      FSession(&session),
      FState(&session.OpenRace(raceLine)),
      FDiagram(ImageWidth, ImageHeight),
      FEditor(FDiagram, FState->PositionLine, [this] { SheetChanged(); }) {
  try {
    setObjectName(u"frmRace"_s);
    setFont(PixelFont(12));
    CreateTopBar();
    CreateBody();
    CreateMenu();
    setFixedSize(TabLeft + TabWidth + 2, TopBarHeight + TabTop + TabHeight + 2);
    setWindowTitle(FState->Caption());

    // The replay is offered only when the link has the race's movie.
    const bool replay = session.Link().JVMVCheck(FState->RaceKey) > 0;
    SpeedButton8->setEnabled(replay);
    R1->setEnabled(replay);
    if (replay) {
      QPalette teal = SpeedButton8->palette();
      teal.setColor(QPalette::ButtonText, QColor(0, 128, 128));
      SpeedButton8->setPalette(teal);
    }

    FDiagram.CreateMarkers(FState->PositionLine);
    Panel1->setText(FState->InfoText);
    if (FState->Straight)
      ShowStraightNotice();
    else
      AddTabs();

    Timer1 = new QTimer(this);
    Timer1->setInterval(TMarkerBlink::IntervalMs);
    connect(Timer1, &QTimer::timeout, this, &TRaceWindow::Timer1Timer);
    Timer2 = new QTimer(this);
    Timer2->setInterval(TPayoutTicker::IntervalMs);
    connect(Timer2, &QTimer::timeout, this, &TRaceWindow::Timer2Timer);
    SpeedButton2->setChecked(FState->Ticker.On());
    if (FState->Ticker.On()) {
      Timer2->start();
      // The main window hears the window's texts once it has adopted it.
      QTimer::singleShot(0, this, [this] {
        if (FState && FState->Ticker.On()) emit StatusText(0, FState->Ticker.Text());
      });
    }
    connect(SpeedButton2, &QToolButton::toggled, this, &TRaceWindow::SpeedButton2Click);
    connect(&session, &TSession::SettingsChanged, this, &TRaceWindow::SettingsChanged);
  } catch (...) {
    session.CloseRace(*FState);
    throw;
  }
}

TRaceWindow::~TRaceWindow() {
  // Destroyed without a close (the main window going away): the edits still go back.
  FormClose();
}

void TRaceWindow::CreateTopBar() {
  FTopBar = new QWidget(this);
  FTopBar->setGeometry(0, 0, TabLeft + TabWidth + 2, TopBarHeight);
  const int half = SheetGeometry::Width() / 2;
  const int valueLeft = 2 + half;

  SpeedButton1 = MakeButton(FTopBar, u"SpeedButton1"_s, QString(), u"ウィンドウを閉じる"_s, {3, 1, 32, 26});
  SpeedButton1->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
  connect(SpeedButton1, &QToolButton::clicked, this, [this] {
    // The sub-window around the race closes with it.
    if (QWidget* frame = parentWidget(); qobject_cast<QMdiSubWindow*>(frame))
      frame->close();
    else
      close();
  });

  SpeedButton2 = MakeButton(FTopBar, u"SpeedButton2"_s, u"払戻"_s, QString(), {40, 1, 41, 26});
  SpeedButton2->setCheckable(true);

  SpeedButton8 = MakeButton(FTopBar, u"SpeedButton8"_s, u"レースリプレイ"_s, u"レーシングビュアーの起動"_s,
                            {valueLeft, 1, half, 26});
  SpeedButton8->setFont(PixelFont(12));
  SpeedButton8->setEnabled(false);
  connect(SpeedButton8, &QToolButton::clicked, this, &TRaceWindow::SpeedButton8Click);

  SpeedButton7 = MakeButton(FTopBar, u"SpeedButton7"_s, u"補正タイム出力"_s, u"付加タイムの保存"_s,
                            {valueLeft + half, 1, half, 26});
  SpeedButton7->setFont(PixelFont(13));
  SpeedButton7->setVisible(FState->ExportShown());
  SpeedButton7->setEnabled(FState->ExportEnabled());
  connect(SpeedButton7, &QToolButton::clicked, this, &TRaceWindow::SpeedButton7Click);

  Panel1 = new QLabel(FTopBar);
  Panel1->setObjectName(u"Panel1"_s);
  Panel1->setGeometry(312, 1, 407, 26);

  // Right of the passing order: the picture and the rebuild.
  SpeedButton3 = MakeButton(FTopBar, u"SpeedButton3"_s, QString(), u"通過順から作り直す"_s, {721, 1, 27, 26});
  SpeedButton3->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
  connect(SpeedButton3, &QToolButton::clicked, this, &TRaceWindow::SpeedButton3Click);
  SpeedButton9 = MakeButton(FTopBar, u"SpeedButton9"_s, QString(), u"画像として保存"_s, {750, 1, 27, 26});
  SpeedButton9->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
  // A straight course has no diagram to show.
  SpeedButton9->setEnabled(!FState->Straight);
  connect(SpeedButton9, &QToolButton::clicked, this, &TRaceWindow::SpeedButton9Click);
  Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  Panel1->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  Panel1->setFont(PixelFont(13));
}

void TRaceWindow::CreateBody() {
  FBody = new QWidget(this);
  FBody->setGeometry(0, TopBarHeight, TabLeft + TabWidth + 2, TabTop + TabHeight + 2);

  const int gridTop = TabTop + TabBarHeight + 5;
  const int half = SheetGeometry::Width() / 2;
  const int buttonHeight = 24;
  const int buttonTop = gridTop - buttonHeight - 1;
  SpeedButton4 = MakeButton(FBody, u"SpeedButton4"_s, u"走破タイム"_s, u"走破タイムの表示"_s,
                            {2, buttonTop, half, buttonHeight});
  SpeedButton5 = MakeButton(FBody, u"SpeedButton5"_s, u"実走タイム"_s, u"換算タイムの表示"_s,
                            {2 + half, buttonTop, half, buttonHeight});
  SpeedButton6 = MakeButton(FBody, u"SpeedButton6"_s, u"スピード"_s, u"速度（分速）の表示"_s,
                            {2 + 2 * half, buttonTop, half, buttonHeight});
  SpeedButton6->hide();
  FValueGroup = new QButtonGroup(this);
  FValueGroup->setExclusive(true);
  const std::pair<QToolButton*, TValueButton> buttons[] = {{SpeedButton4, TValueButton::RunTime},
                                                           {SpeedButton5, TValueButton::Converted},
                                                           {SpeedButton6, TValueButton::Speed}};
  for (const auto& [button, value] : buttons) {
    button->setCheckable(true);
    FValueGroup->addButton(button, ValueColumn(value));
  }
  SpeedButton4->setChecked(true);
  SpeedButton5->setEnabled(FState->ConvertedTimeEnabled());
  connect(FValueGroup, &QButtonGroup::idClicked, this, &TRaceWindow::ValueButtonClick);

  StringGrid1 = new TRaceGridView(FState->Sheet, FState->PositionLine, FBody);
  StringGrid1->setObjectName(u"StringGrid1"_s);
  StringGrid1->setGeometry(2, gridTop, SheetGeometry::Width(), TabHeight - TabBarHeight - 4);
  StringGrid1->OnCellPressed = [this](int column, int row) { StringGrid1MouseDown(column, row); };

  FTabStrip = new QWidget(FBody);
  FTabStrip->setObjectName(u"TabStrip"_s);
  FTabStrip->setGeometry(TabLeft, TabTop, TabWidth, TabHeight);
  auto* page = new QFrame(FTabStrip);
  page->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
  page->setGeometry(0, TabBarHeight - 1, TabWidth, TabHeight - TabBarHeight + 1);
  TabControl1 = new QTabBar(FTabStrip);
  TabControl1->setObjectName(u"TabControl1"_s);
  TabControl1->setGeometry(0, 0, TabWidth, TabBarHeight);
  TabControl1->setExpanding(false);
  TabControl1->setDrawBase(false);
  TabControl1->setFocusPolicy(Qt::NoFocus);
  // Tabs 20 pixels high whatever the style would make of them.
  TabControl1->setStyleSheet(
      u"QTabBar::tab { height: %1px; padding: 0 10px; border: 1px solid palette(mid); border-bottom: none;"
      " border-top-left-radius: 3px; border-top-right-radius: 3px; background: palette(button); }"
      " QTabBar::tab:selected { background: palette(window); }"
      " QTabBar::tab:!selected { margin-top: 2px; }"_s.arg(TabBarHeight - 1));

  QFont markerFont = font();
  markerFont.setPointSize(11);
  Image1 = new TDiagramView(FDiagram, FEditor, markerFont, FTabStrip);
  Image1->setObjectName(u"Image1"_s);
  Image1->setGeometry(ImageLeft, ImageTop, ImageWidth, ImageHeight);
  Image1->OnHighlight = [this](int horse) { MarkerHighlight(horse); };
  Image1->OnAskMargin = [this](int gap) { return AskMargin(gap); };

  Label1 = new QLabel(FBody);
  Label1->setObjectName(u"Label1"_s);
  Label1->setGeometry(FTabStrip->geometry());
  Label1->setAlignment(Qt::AlignCenter);
  Label1->setFont(PixelFont(15));
  Label1->setAutoFillBackground(true);
  QPalette tip = Label1->palette();
  tip.setColor(QPalette::Window, tip.color(QPalette::ToolTipBase));
  tip.setColor(QPalette::WindowText, tip.color(QPalette::ToolTipText));
  Label1->setPalette(tip);
  Label1->hide();
}

void TRaceWindow::CreateMenu() {
  // A direct child: the main window merges it into its menu bar.
  N1 = new QMenu(u"ビューアー(&W)"_s, this);
  N1->setObjectName(u"N1"_s);
  R1 = N1->addAction(u"リプレイ(&R)"_s);
  R1->setObjectName(u"R1"_s);
  R1->setEnabled(false);
  connect(R1, &QAction::triggered, this, &TRaceWindow::SpeedButton8Click);
  N1->addSeparator();
  N2 = N1->addAction(u"通過順から作り直す(&T)"_s);
  N2->setObjectName(u"N2"_s);
  connect(N2, &QAction::triggered, this, &TRaceWindow::SpeedButton3Click);
  N3 = N1->addAction(u"画像として保存(&S)"_s);
  N3->setObjectName(u"N3"_s);
  N3->setEnabled(!FState->Straight);
  connect(N3, &QAction::triggered, this, &TRaceWindow::SpeedButton9Click);
}

void TRaceWindow::ShowStraightNotice() {
  FTabStrip->hide();
  Label1->setText(StraightCourseNotice());
  Label1->show();
}

void TRaceWindow::AddTabs() {
  const QSignalBlocker block(TabControl1);
  for (const QString& caption : std::as_const(FState->Tabs)) TabControl1->addTab(caption);
  const int tab = FDiagram.SelectInitialTab(FState->PositionLine, FState->Tabs);
  if (tab >= 0) {
    TabControl1->setCurrentIndex(tab);
    const int corner = TTrackDiagram::CaptionSection(FState->Tabs[tab]).Corner;
    Panel1->setText(TTrackDiagram::InfoPanelText(FRace, FState->RaceLine, corner));
  }
  Image1->RenderPicture();
  connect(TabControl1, &QTabBar::currentChanged, this, &TRaceWindow::TabControl1Change);
}

QToolButton* TRaceWindow::ValueButton(int column) const {
  return qobject_cast<QToolButton*>(FValueGroup->button(column));
}

TMarginDialog* TRaceWindow::MarginDialog() {
  if (!FDifDlg) {
    FDifDlg = new TMarginDialog(this);
    FDifDlg->setObjectName(u"DifDlg"_s);
  }
  return FDifDlg;
}

void TRaceWindow::TabControl1Change(int index) {
  if (!FState || index < 0) return;
  const TSectionCaption shown = FDiagram.TabControl1Change(FState->PositionLine, TabControl1->tabText(index));
  if (shown.Corner == 0) return;
  // The markers stand anew: a blink of the old section ends here.
  Timer1->stop();
  FState->Blink.Stop();
  Panel1->setText(TTrackDiagram::InfoPanelText(FRace, FState->RaceLine, shown.Corner));
  Image1->RenderPicture();
}

void TRaceWindow::ValueButtonClick(int column) {
  StringGrid1->SetValueColumn(column);
}

void TRaceWindow::StringGrid1MouseDown(int column, int row) {
  if (!FState) return;
  const auto visible = [this](int horse) {
    return horse >= 1 && horse <= TTrackDiagram::MaxHorses && FDiagram.Markers[horse - 1].Visible;
  };
  const std::optional<TMarkerBlink::TShow> restore = FState->Blink.Press(FState->Sheet, column, row, visible);
  if (restore && restore->Horse >= 1 && restore->Horse <= TTrackDiagram::MaxHorses)
    FDiagram.Markers[restore->Horse - 1].Visible = restore->Visible;
  if (FState->Blink.Running() && !Timer1->isActive()) Timer1->start();
  if (!FState->Blink.Running()) Timer1->stop();
  Image1->update();
}

void TRaceWindow::Timer1Timer() {
  if (!FState) return;
  const int horse = FState->Blink.Horse();
  const bool inRange = horse >= 1 && horse <= TTrackDiagram::MaxHorses;
  const std::optional<TMarkerBlink::TShow> show =
      FState->Blink.Tick(inRange && FDiagram.Markers[horse - 1].Visible);
  if (show && inRange) FDiagram.Markers[show->Horse - 1].Visible = show->Visible;
  if (!FState->Blink.Running()) Timer1->stop();
  Image1->update();
}

void TRaceWindow::SpeedButton2Click(bool down) {
  if (!FState) return;
  FState->Ticker.SetOn(down, FState->PayoutLine);
  if (down) {
    emit StatusText(0, FState->Ticker.Text());
    Timer2->start();
  } else {
    Timer2->stop();
    emit StatusText(0, QString());
  }
}

void TRaceWindow::Timer2Timer() {
  if (!FState || !FState->Ticker.On()) return;
  FState->Ticker.Tick();
  emit StatusText(0, FState->Ticker.Text());
}

void TRaceWindow::SpeedButton7Click() {
  if (!FState || !FSession || !FState->ExportEnabled()) return;
  // The diagram's rows and lanes first, so the file has what the sheet shows.
  FEditor.FinishEdit();
  try {
    const QString file = FSession->ExportRace(*FState);
    // The ticker keeps the first panel busy.
    emit StatusText(FState->Ticker.On() ? 1 : 0,
                    u"補正タイムを出力しました: "_s + QDir::toNativeSeparators(file));
  } catch (const TRavekError& error) {
    emit SorryRequested(error.Message());
  }
}

void TRaceWindow::SpeedButton8Click() {
  if (!FState || !FSession || !SpeedButton8->isEnabled()) return;
  // The viewer reports nothing back.
  FSession->Link().JVMVPlay(FState->RaceKey);
}

void TRaceWindow::SpeedButton3Click() {
  if (!FState || !ConfirmRebuild(this) || !FState) return;
  try {
    FState->RebuildPositionLine();
  } catch (const TRavekError& error) {
    emit SorryRequested(error.Message());
    return;
  }
  // The markers stand anew: a blink ends here.
  Timer1->stop();
  FState->Blink.Stop();
  if (!FState->Straight) {
    const int tab = TabControl1->currentIndex();
    const TSectionCaption shown =
        tab >= 0 ? FDiagram.TabControl1Change(FState->PositionLine, TabControl1->tabText(tab))
                 : TSectionCaption{};
    // A tab without a corner keeps the section drawn before.
    if (shown.Corner == 0)
      FDiagram.DrawSection(FState->PositionLine, FDiagram.SelectedSection ? FDiagram.SelectedSection : 3);
    Image1->RenderPicture();
  }
  SheetChanged();
  emit StatusText(FState->Ticker.On() ? 1 : 0, u"通過順から作り直しました。"_s);
}

QString TRaceWindow::DrawnCaption() const {
  const int tab = TabControl1->currentIndex();
  const QString caption = tab >= 0 ? TabControl1->tabText(tab) : QString();
  const bool drawn = !caption.isEmpty() && FDiagram.SelectedSection != 0 &&
                     TTrackDiagram::CaptionSection(caption).Section == FDiagram.SelectedSection;
  return drawn ? caption : QString();
}

QString TRaceWindow::PictureFileName() const {
  const QString key = FState ? QString::fromLatin1(FState->RaceKey) : QString();
  const QString caption = DrawnCaption();
  return caption.isEmpty() ? key + u".png"_s : u"%1_%2.png"_s.arg(key, caption);
}

QImage TRaceWindow::RacePicture() {
  if (!FState) return {};
  const QSize sheet = StringGrid1->size();
  const QSize diagram = FState->Straight ? QSize(0, 0) : Image1->size();
  const int top = PictureMargin + PictureTitleHeight;
  QImage picture(3 * PictureMargin + sheet.width() + diagram.width(),
                 top + std::max(sheet.height(), diagram.height()) + PictureMargin, QImage::Format_RGB32);
  picture.fill(palette().color(QPalette::Window));
  QPainter painter(&picture);
  // The race name comes padded to its field's width.
  QString title = windowTitle().trimmed();
  if (const QString caption = DrawnCaption(); !caption.isEmpty()) title += u"　"_s + caption;
  title += u"　"_s + Panel1->text().trimmed();
  painter.setFont(PixelFont(13));
  painter.setPen(palette().color(QPalette::WindowText));
  painter.drawText(
      QRect(PictureMargin, PictureMargin, picture.width() - 2 * PictureMargin, PictureTitleHeight),
      Qt::AlignLeft | Qt::AlignVCenter, title);
  // The horse under the pointer is outlined for the moment only, not in the picture.
  const QByteArray highlight = std::exchange(FState->Sheet.HighlightHorse, TTrackDiagram::HighlightCode(0));
  StringGrid1->render(&painter, QPoint(PictureMargin, top));
  FState->Sheet.HighlightHorse = highlight;
  if (!diagram.isEmpty()) Image1->render(&painter, QPoint(2 * PictureMargin + sheet.width(), top));
  return picture;
}

void TRaceWindow::SpeedButton9Click() {
  if (!FState || !FSession || !SpeedButton9->isEnabled()) return;
  const QString folder = LastPictureFolder.isEmpty() ? FSession->Shell().DataDir : LastPictureFolder;
  const QString suggested = QDir(folder).filePath(PictureFileName());
  const QString path = AskPicturePath
                           ? AskPicturePath(suggested)
                           : AskSavePath(this, u"画像として保存"_s, suggested, u"PNG 画像 (*.png)"_s);
  if (path.isEmpty() || !FState) return;
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  try {
    if (!RacePicture().save(&buffer, "PNG")) throw TFileError(u"画像を作れませんでした。"_s);
    WriteFileAtomically(path, bytes);
  } catch (const TRavekError& error) {
    emit SorryRequested(error.Message());
    return;
  }
  LastPictureFolder = QFileInfo(path).absolutePath();
  emit StatusText(FState->Ticker.On() ? 1 : 0, u"画像を保存しました: "_s + QDir::toNativeSeparators(path));
}

void TRaceWindow::MarkerHighlight(int horse) {
  if (!FState) return;
  FState->Sheet.HighlightHorse = TTrackDiagram::HighlightCode(horse);
  StringGrid1->update();
}

std::optional<int> TRaceWindow::AskMargin(int gap) {
  TMarginDialog* dialog = MarginDialog();
  dialog->SetValue(gap);
  if (dialog->exec() != QDialog::Accepted) return std::nullopt;
  return dialog->Value();
}

void TRaceWindow::SheetChanged() {
  FState->FillSheet();
  // Refilling forgets the highlight; the pointer may still rest on a marker.
  FState->Sheet.HighlightHorse = TTrackDiagram::HighlightCode(Image1->Hovered());
  StringGrid1->update();
}

void TRaceWindow::SettingsChanged() {
  if (!FState) return;
  // The loss per lane or the export setting may have changed.
  SpeedButton7->setVisible(FState->ExportShown());
  SpeedButton7->setEnabled(FState->ExportEnabled());
  SheetChanged();
}

void TRaceWindow::closeEvent(QCloseEvent* event) {
  FormClose();
  event->accept();
}

void TRaceWindow::FormClose() {
  if (FClosed) return;
  FClosed = true;
  if (Timer1) Timer1->stop();
  if (Timer2) Timer2->stop();
  if (!FSession) {
    FState = nullptr;
    return;
  }
  disconnect(FSession, nullptr, this, nullptr);
  if (!FState->Straight) FDiagram.SyncSection(FState->PositionLine);
  emit StatusText(0, QString());
  TRaceState* closing = FState;
  FState = nullptr;
  // Nothing paints the handed-back copy any more.
  setUpdatesEnabled(false);
  FSession->CloseRace(*closing);
}

TRaceWindow* OpenRaceWindow(TSession& session, const QByteArray& raceLine, QMdiArea* area) {
  auto* form = new TRaceWindow(session, raceLine);
  QMdiSubWindow* frame =
      area->addSubWindow(form, Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  frame->setAttribute(Qt::WA_DeleteOnClose);
  // The frame would show the toolkit's own emblem otherwise.
  frame->setWindowIcon(ProgramIcon());
  frame->adjustSize();
  frame->move(0, 0);
  frame->show();
  return form;
}
