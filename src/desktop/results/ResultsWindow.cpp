#include "desktop/results/ResultsWindow.h"

#include "desktop/results/BiasView.h"
#include "desktop/results/ButtonPictures.h"
#include "desktop/results/ResultsGrid.h"
#include "desktop/widgets/ToolIcons.h"
#include "desktop/widgets/UiSupport.h"
#include "race/DayCsv.h"
#include "race/RaceSheet.h"
#include "shell/Session.h"
#include "text/Errors.h"
#include "text/LineFile.h"

#include <QAction>
#include <QButtonGroup>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {

constexpr int ButtonTop = 1;
constexpr int ButtonHeight = 26;
constexpr int PictureButtonWidth = 32;
constexpr int TextButtonWidth = 64;

QToolButton* MakeButton(QWidget* parent, const QString& name, int left, int width) {
  auto* button = new QToolButton(parent);
  button->setObjectName(name);
  button->setGeometry(left, ButtonTop, width, ButtonHeight);
  // The grid keeps the keyboard: the arrows, Enter and the page keys are its.
  button->setFocusPolicy(Qt::NoFocus);
  return button;
}

QToolButton* MakePictureButton(QWidget* parent, const QString& name, int left, const QIcon& picture,
                               const QString& hint) {
  QToolButton* button = MakeButton(parent, name, left, PictureButtonWidth);
  button->setIcon(picture);
  button->setIconSize(QSize(18, 18));
  button->setToolTip(hint);
  return button;
}

QToolButton* MakeToggle(QWidget* parent, QButtonGroup* group, const QString& name, int left,
                        const QString& caption) {
  QToolButton* button = MakeButton(parent, name, left, TextButtonWidth);
  button->setText(caption);
  button->setCheckable(true);
  button->setToolButtonStyle(Qt::ToolButtonTextOnly);
  group->addButton(button);
  return button;
}

// The folder of the last CSV saved, offered again for the rest of the run.
QString LastCsvFolder;

QString ExportStatus(const TExportAllResult& result) {
  if (result.Written == 0 && !result.Failed.isEmpty())
    return u"補正タイムを出力できませんでした（%1 レース）。"_s.arg(result.Failed.size());
  if (result.Written == 0) {
    return result.LeftAlone > 0
               ? u"出力済みのレースだけでした（%1 レースはそのまま）。"_s.arg(result.LeftAlone)
               : u"補正タイムを出力するレースはありません。"_s;
  }
  QStringList folders;
  for (const QString& file : result.Files) {
    const QString folder = QDir::toNativeSeparators(QFileInfo(file).absolutePath());
    if (!folders.contains(folder)) folders.append(folder);
  }
  return u"%1 レースの補正タイムを出力しました（出力済み %2 レースはそのまま）: %3"_s.arg(result.Written)
      .arg(result.LeftAlone)
      .arg(folders.join(u"、"_s));
}

}  // namespace

TResultsWindow::TResultsWindow(TSession& session, QWidget* parent)
    : QWidget(parent), FSession(session), FList(session.Store(), session.Settings()), FCells(FList) {
  FormCreate();
}

TResultsWindow::~TResultsWindow() = default;

void TResultsWindow::FormCreate() {
  setObjectName(u"SeiFrm"_s);
  QFont font(u"ＭＳ Ｐゴシック"_s);
  font.setPixelSize(12);
  setFont(font);

  FPanel4 = new QWidget(this);
  FPanel4->setObjectName(u"Panel4"_s);
  FBitBtn3 = MakePictureButton(FPanel4, u"BitBtn3"_s, 3, ClosePicture(), u"ウィンドウを閉じる"_s);
  FBitBtn1 = MakePictureButton(FPanel4, u"BitBtn1"_s, 40, PreviousDayPicture(), u"前日に移動"_s);
  FBitBtn2 = MakePictureButton(FPanel4, u"BitBtn2"_s, 72, NextDayPicture(), u"翌日に移動"_s);
  connect(FBitBtn1, &QToolButton::clicked, this, &TResultsWindow::BitBtn1Click);
  connect(FBitBtn2, &QToolButton::clicked, this, &TResultsWindow::BitBtn2Click);
  connect(FBitBtn3, &QToolButton::clicked, this, &TResultsWindow::BitBtn3Click);

  FFilterGroup = new QButtonGroup(this);
  const TSurfaceFilter filters[] = {TSurfaceFilter::All, TSurfaceFilter::Turf, TSurfaceFilter::Dirt};
  for (int i = 0; i < 3; ++i) {
    QToolButton* button = MakeToggle(FPanel4, FFilterGroup, u"SpeedButton%1"_s.arg(i + 1), 109 + 64 * i,
                                     TDisplayModes::FilterCaption(filters[i]));
    button->setToolTip(TDisplayModes::FilterHint(filters[i]));
    FFilterGroup->setId(button, int(filters[i]));
    button->setChecked(filters[i] == TSurfaceFilter::All);
  }
  connect(FFilterGroup, &QButtonGroup::idClicked, this, &TResultsWindow::FilterClick);

  FPanel5 = new QWidget(this);
  FPanel5->setObjectName(u"Panel5"_s);
  FPanel5->resize(TResultsLayout::ModePanelWidth, TResultsLayout::TopBandHeight);
  FModeGroup = new QButtonGroup(this);
  FSpeedButton4 =
      MakeToggle(FPanel5, FModeGroup, u"SpeedButton4"_s, 0, TDisplayModes::Caption(TDisplayMode::Start));
  FSpeedButton5 =
      MakeToggle(FPanel5, FModeGroup, u"SpeedButton5"_s, 0, TDisplayModes::Caption(TDisplayMode::Corner3));
  FSpeedButton6 =
      MakeToggle(FPanel5, FModeGroup, u"SpeedButton6"_s, 0, TDisplayModes::Caption(TDisplayMode::Corner4));
  FSpeedButton8 =
      MakeToggle(FPanel5, FModeGroup, u"SpeedButton8"_s, 0, TDisplayModes::Caption(TDisplayMode::Jockey));
  connect(FSpeedButton4, &QToolButton::clicked, this, &TResultsWindow::SpeedButton4Click);
  connect(FSpeedButton5, &QToolButton::clicked, this, &TResultsWindow::SpeedButton5Click);
  connect(FSpeedButton6, &QToolButton::clicked, this, &TResultsWindow::SpeedButton6Click);
  connect(FSpeedButton8, &QToolButton::clicked, this, &TResultsWindow::SpeedButton8Click);

  FSpeedButton9 = MakeButton(this, u"SpeedButton9"_s, 0, TextButtonWidth);
  FSpeedButton9->setText(u"馬場傾向"_s);
  FSpeedButton9->setToolTip(u"この日の上位3頭の位置の傾向"_s);
  FSpeedButton9->setCheckable(true);
  connect(FSpeedButton9, &QToolButton::toggled, this, &TResultsWindow::SpeedButton9Click);
  FBitBtn4 = MakeButton(this, u"BitBtn4"_s, 0, TextButtonWidth);
  FBitBtn4->setText(u"CSV出力"_s);
  FBitBtn4->setToolTip(u"この日の全出走馬をCSVファイルに保存"_s);
  connect(FBitBtn4, &QToolButton::clicked, this, &TResultsWindow::BitBtn4Click);

  FGrid = new TResultsGrid(FList, FCells, this);
  setFocusProxy(FGrid);
  connect(FGrid, &TResultsGrid::CellActivated, this, &TResultsWindow::StringGrid1DblClick);
  connect(FGrid, &TResultsGrid::PointerOverCell, this, &TResultsWindow::StringGrid1MouseMove);
  connect(FGrid, &TResultsGrid::PointerLeft, this, [this] { emit StatusText(1, QString()); });
  connect(FGrid, &TResultsGrid::PaintFailed, this,
          [this](const QString& message) { emit StatusText(1, message); });

  // Merged into the main window's menu bar while this window is active.
  FN1 = new QMenu(u"ファイル出力(&Ｆ)"_s, this);
  FN1->setObjectName(u"N1"_s);
  FN2 = FN1->addAction(u"タイム補正(&Ｔ)"_s);
  FN2->setObjectName(u"N2"_s);
  connect(FN2, &QAction::triggered, this, &TResultsWindow::N2Click);

  connect(&FSession, &TSession::SummaryReplaced, this, [this] {
    FGrid->update();
    RefreshBias();
  });
  connect(&FSession, &TSession::StoreReloaded, this, &TResultsWindow::ReloadStore);
  connect(&FSession, &TSession::SettingsChanged, this, [this] {
    RefreshModeButtons();
    FGrid->update();
    RefreshBias();
  });

  FList.Open();
  ApplyDay();
  FN1->menuAction()->setVisible(FList.ExportOffered());
  RefreshModeButtons();
}

QSize TResultsWindow::sizeHint() const {
  return FList.Layout().Client;
}

void TResultsWindow::ShowDay(int dayIndex) {
  FList.ShowDay(dayIndex);
  ApplyDay();
}

void TResultsWindow::ApplyDay() {
  const TResultsLayout& layout = FList.Layout();
  const TDayStore& store = FSession.Store();
  FShownDate = FList.DayIndex() >= 0 ? store.RaceDates.value(FList.DayIndex()) : QByteArray();
  setWindowTitle(FList.Caption());
  FBitBtn1->setEnabled(FList.PreviousEnabled());
  FBitBtn2->setEnabled(FList.NextEnabled());

  FPanel4->setGeometry(0, 0, layout.Client.width(), TResultsLayout::TopBandHeight);
  FPanel5->move(layout.ModePanelPos);
  QToolButton* modeButtons[] = {FSpeedButton4, FSpeedButton5, FSpeedButton6, FSpeedButton8};
  for (int i = 0; i < 4; ++i) modeButtons[i]->move(layout.ModeButtonX[i], ButtonTop);
  FSpeedButton9->setGeometry(layout.BiasButton);
  FBitBtn4->setGeometry(layout.CsvButton);
  FSpeedButton9->setEnabled(!FShownDate.isEmpty());
  FBitBtn4->setEnabled(!FShownDate.isEmpty());

  while (FTitles.size() < layout.Titles.size()) {
    auto* title = new QLabel(this);
    // Panel1 to Panel3 as the window was designed; titles beyond are extra.
    const qsizetype number = FTitles.size() + 1;
    title->setObjectName(number <= 3 ? u"Panel%1"_s.arg(number) : u"Title%1"_s.arg(number));
    title->setAlignment(Qt::AlignCenter);
    title->setAutoFillBackground(true);
    QPalette colours = title->palette();
    colours.setColor(QPalette::Window, colours.color(QPalette::Active, QPalette::Highlight));
    colours.setColor(QPalette::WindowText, colours.color(QPalette::Active, QPalette::HighlightedText));
    title->setPalette(colours);
    FTitles.append(title);
  }
  for (qsizetype v = 0; v < FTitles.size(); ++v) {
    QLabel* title = FTitles[v];
    if (v < layout.Titles.size()) {
      title->setGeometry(layout.Titles[v].Rect);
      title->setText(layout.Titles[v].Text);
      title->setVisible(layout.Titles[v].Visible);
    } else {
      title->hide();
    }
  }

  FGrid->move(layout.Grid.topLeft());
  FGrid->Refit();
  FitWindow();
  RefreshBias();
}

void TResultsWindow::FitWindow() {
  setFixedSize(FList.Layout().Client);
  if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget())) {
    frame->setWindowTitle(windowTitle());
    frame->adjustSize();
  }
}

void TResultsWindow::ReloadStore() {
  // The day shown stays when the new store still has it.
  const QByteArray date = FShownDate;
  FList.Open();
  const int index = int(FSession.Store().RaceDates.indexOf(date));
  if (index >= 0 && index != FList.DayIndex()) FList.ShowDay(index);
  ApplyDay();
}

void TResultsWindow::RefreshModeButtons() {
  const TDisplayModes& modes = FList.Modes();
  FSpeedButton4->setChecked(modes.Mode() == TDisplayMode::Start);
  FSpeedButton5->setChecked(modes.Mode() == TDisplayMode::Corner3);
  FSpeedButton6->setChecked(modes.Mode() == TDisplayMode::Corner4);
  FSpeedButton8->setChecked(modes.Mode() == TDisplayMode::Jockey);
  FSpeedButton8->setText(modes.JockeyCaption());
  FSpeedButton4->setToolTip(modes.Hint(TDisplayMode::Start));
  FSpeedButton5->setToolTip(modes.Hint(TDisplayMode::Corner3));
  FSpeedButton6->setToolTip(modes.Hint(TDisplayMode::Corner4));
  FSpeedButton8->setToolTip(modes.Hint(TDisplayMode::Jockey));
}

void TResultsWindow::RefreshBias() {
  // Counted while shown only; showing counts afresh.
  if (FBiasView && FBiasView->isVisible())
    FBiasView->ShowDay(FSession.Store(), FShownDate, FSession.Settings());
}

void TResultsWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_PageUp) {
    BitBtn1Click();
  } else if (event->key() == Qt::Key_PageDown) {
    BitBtn2Click();
  } else {
    QWidget::keyPressEvent(event);
  }
}

void TResultsWindow::BitBtn1Click() {
  if (FList.PreviousEnabled()) ShowDay(FList.DayIndex() - 1);
}

void TResultsWindow::BitBtn2Click() {
  if (FList.NextEnabled()) ShowDay(FList.DayIndex() + 1);
}

void TResultsWindow::BitBtn3Click() {
  if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget())) {
    frame->close();
  } else {
    close();
  }
}

void TResultsWindow::FilterClick() {
  FList.Modes().SetFilter(TSurfaceFilter(FFilterGroup->checkedId()));
  FGrid->update();
}

void TResultsWindow::SpeedButton4Click() {
  const bool display = FSession.Settings().Display;
  FList.Modes().PressStart();
  RefreshModeButtons();
  FGrid->update();
  // The colour scheme is the program's setting, kept in the settings file.
  if (FSession.Settings().Display != display) FSession.NotifySettingsChanged();
}

void TResultsWindow::SpeedButton5Click() {
  FList.Modes().PressCorner3();
  RefreshModeButtons();
  FGrid->update();
}

void TResultsWindow::SpeedButton6Click() {
  FList.Modes().PressCorner4();
  RefreshModeButtons();
  FGrid->update();
}

void TResultsWindow::SpeedButton8Click() {
  FList.Modes().PressJockey();
  RefreshModeButtons();
  FGrid->update();
}

void TResultsWindow::SpeedButton9Click(bool down) {
  if (!down) {
    if (FBiasView) FBiasView->hide();
    return;
  }
  if (!FBiasView) {
    FBiasView = new TBiasView(this);
    // Closed by its own close box: the button comes up.
    connect(FBiasView, &TBiasView::Closed, FSpeedButton9, [this] { FSpeedButton9->setChecked(false); });
    FBiasView->move(mapToGlobal(QPoint(width() + 8, 0)));
  }
  FBiasView->ShowDay(FSession.Store(), FShownDate, FSession.Settings());
  FBiasView->show();
  FBiasView->raise();
}

void TResultsWindow::BitBtn4Click() {
  if (FShownDate.isEmpty()) return;
  const QString folder = LastCsvFolder.isEmpty() ? FSession.Shell().DataDir : LastCsvFolder;
  const QString suggested = QDir(folder).filePath(u"成績_%1.csv"_s.arg(QString::fromLatin1(FShownDate)));
  const QString path = AskCsvPath ? AskCsvPath(suggested)
                                  : AskSavePath(this, u"CSV出力"_s, suggested, u"CSV ファイル (*.csv)"_s);
  if (path.isEmpty()) return;
  try {
    WriteFileAtomically(path, DayCsvText(FSession.Store(), FShownDate, FSession.Settings()));
  } catch (const TRavekError& error) {
    emit SorryRequested(error.Message());
    return;
  }
  LastCsvFolder = QFileInfo(path).absolutePath();
  emit StatusText(1, u"CSVを保存しました: "_s + QDir::toNativeSeparators(path));
}

void TResultsWindow::N2Click() {
  const TExportAllResult result = FSession.ExportAll();
  emit StatusText(1, ExportStatus(result));
  if (result.Failed.isEmpty()) return;
  const QStringList lines =
      QStringList{u"%1 レースの補正タイムを出力できませんでした。"_s.arg(result.Failed.size())} +
      ExportFailureLines(result.Failed);
  emit SorryRequested(lines.join(u'\n'));
}

void TResultsWindow::StringGrid1DblClick(int column, int row) {
  const TDoubleClickDecision decision = FCells.DoubleClick(column, row);
  switch (decision.Action) {
    case TDoubleClickAction::Nothing:
      return;
    case TDoubleClickAction::Sorry:
      emit SorryRequested(SteeplechaseText());
      return;
    case TDoubleClickAction::OpenRace:
      FSession.Shell().SelectedRaceLine = decision.RaceLine;
      emit RaceOpenRequested(decision.RaceLine);
      return;
  }
}

void TResultsWindow::StringGrid1MouseMove(int column, int row) {
  std::optional<QString> text;
  try {
    text = FCells.JockeyStatus(column, row);
  } catch (const TRavekError&) {
    // An unreadable summary names nobody; the grid has said why when it painted.
  }
  if (text) emit StatusText(1, *text);
}

TResultsWindow* OpenResultsList(TSession& session, QMdiArea* area) {
  auto* form = new TResultsWindow(session);
  form->setAttribute(Qt::WA_DeleteOnClose);
  QMdiSubWindow* frame =
      area->addSubWindow(form, Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  frame->setAttribute(Qt::WA_DeleteOnClose);
  // The frame would show the toolkit's own emblem otherwise.
  frame->setWindowIcon(ProgramIcon());
  form->FitWindow();
  frame->move(0, 0);
  frame->show();
  form->setFocus();
  return form;
}
