#include "desktop/results/ResultsWindow.h"

#include "desktop/results/BiasView.h"
#include "desktop/results/ButtonPictures.h"
#include "desktop/results/DayCalendar.h"
#include "desktop/results/ResultsGrid.h"
#include "desktop/widgets/UiSupport.h"
#include "race/DayCsv.h"
#include "race/RaceSheet.h"
#include "records/DateKey.h"
#include "shell/Session.h"
#include "text/Errors.h"
#include "text/LineFile.h"

#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMenu>
#include <QSettings>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {

constexpr int ButtonTop = 1;
constexpr int ButtonHeight = 26;
constexpr int PictureButtonWidth = 32;
constexpr int TextButtonWidth = 64;

// The grid keeps the keyboard: the arrows, Enter and the page keys are its.
QToolButton* MakePictureButton(QWidget* parent, const QString& name, int left, const QIcon& picture,
                               const QString& hint) {
  QToolButton* button =
      MakeToolButton(parent, name, QRect(left, ButtonTop, PictureButtonWidth, ButtonHeight), {}, hint);
  button->setIcon(picture);
  button->setIconSize(QSize(18, 18));
  return button;
}

QToolButton* MakeToggle(QWidget* parent, QButtonGroup* group, const QString& name, int left,
                        const QString& caption) {
  QToolButton* button =
      MakeToolButton(parent, name, QRect(left, ButtonTop, TextButtonWidth, ButtonHeight), caption);
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
    : TChildWindow(parent), FSession(session), FList(session.Store(), session.Settings()), FCells(FList) {
  CreateControls();
}

TResultsWindow::~TResultsWindow() = default;

void TResultsWindow::CreateControls() {
  setObjectName(u"ResultsWindow"_s);
  setFont(RavekFont(12));

  // Object names as the tests and the screenshots find the controls.
  FButtonBar = new QWidget(this);
  FButtonBar->setObjectName(u"Panel4"_s);
  FCloseButton = MakePictureButton(FButtonBar, u"BitBtn3"_s, 3, ClosePicture(), u"ウィンドウを閉じる"_s);
  FPreviousDayButton = MakePictureButton(FButtonBar, u"BitBtn1"_s, 40, PreviousDayPicture(), u"前日に移動"_s);
  FNextDayButton = MakePictureButton(FButtonBar, u"BitBtn2"_s, 72, NextDayPicture(), u"翌日に移動"_s);
  connect(FPreviousDayButton, &QToolButton::clicked, this, [this] { StepDay(false); });
  connect(FNextDayButton, &QToolButton::clicked, this, [this] { StepDay(true); });
  connect(FCloseButton, &QToolButton::clicked, this, &TResultsWindow::CloseClick);

  FFilterGroup = new QButtonGroup(this);
  const TSurfaceFilter filters[] = {TSurfaceFilter::All, TSurfaceFilter::Turf, TSurfaceFilter::Dirt};
  for (int i = 0; i < 3; ++i) {
    QToolButton* button = MakeToggle(FButtonBar, FFilterGroup, u"SpeedButton%1"_s.arg(i + 1), 109 + 64 * i,
                                     TDisplayModes::FilterCaption(filters[i]));
    button->setToolTip(TDisplayModes::FilterHint(filters[i]));
    FFilterGroup->setId(button, int(filters[i]));
    button->setChecked(filters[i] == TSurfaceFilter::All);
  }
  connect(FFilterGroup, &QButtonGroup::idClicked, this, &TResultsWindow::FilterClick);

  FModePanel = new QWidget(this);
  FModePanel->setObjectName(u"Panel5"_s);
  FModePanel->resize(TResultsLayout::ModePanelWidth, TResultsLayout::TopBandHeight);
  FModeGroup = new QButtonGroup(this);
  FStartButton =
      MakeToggle(FModePanel, FModeGroup, u"SpeedButton4"_s, 0, TDisplayModes::Caption(TDisplayMode::Start));
  FCorner3Button =
      MakeToggle(FModePanel, FModeGroup, u"SpeedButton5"_s, 0, TDisplayModes::Caption(TDisplayMode::Corner3));
  FCorner4Button =
      MakeToggle(FModePanel, FModeGroup, u"SpeedButton6"_s, 0, TDisplayModes::Caption(TDisplayMode::Corner4));
  FJockeyButton =
      MakeToggle(FModePanel, FModeGroup, u"SpeedButton8"_s, 0, TDisplayModes::Caption(TDisplayMode::Jockey));
  connect(FStartButton, &QToolButton::clicked, this, &TResultsWindow::StartClick);
  connect(FCorner3Button, &QToolButton::clicked, this, &TResultsWindow::Corner3Click);
  connect(FCorner4Button, &QToolButton::clicked, this, &TResultsWindow::Corner4Click);
  connect(FJockeyButton, &QToolButton::clicked, this, &TResultsWindow::JockeyClick);

  const QRect placedByDay(0, ButtonTop, TextButtonWidth, ButtonHeight);
  FBiasButton =
      MakeToolButton(this, u"SpeedButton9"_s, placedByDay, u"馬場傾向"_s, u"この日の上位3頭の位置の傾向"_s);
  FBiasButton->setCheckable(true);
  connect(FBiasButton, &QToolButton::toggled, this, &TResultsWindow::BiasClick);
  FCsvButton =
      MakeToolButton(this, u"BitBtn4"_s, placedByDay, u"CSV出力"_s, u"この日の全出走馬をCSVファイルに保存"_s);
  connect(FCsvButton, &QToolButton::clicked, this, &TResultsWindow::CsvClick);

  FGrid = new TResultsGrid(FList, FCells, this);
  setFocusProxy(FGrid);
  connect(FGrid, &TResultsGrid::CellActivated, this, &TResultsWindow::CellChosen);
  connect(FGrid, &TResultsGrid::PointerOverCell, this, &TResultsWindow::PointerOverCell);
  connect(FGrid, &TResultsGrid::PointerLeft, this, [this] { emit StatusText(1, QString()); });
  connect(FGrid, &TResultsGrid::PaintFailed, this,
          [this](const QString& message) { emit StatusText(1, message); });

  // Merged into the main window's menu bar while this window is active.
  FExportMenu = new QMenu(u"ファイル出力(&Ｆ)"_s, this);
  FExportMenu->setObjectName(u"N1"_s);
  QAction* exportAll = FExportMenu->addAction(u"タイム補正(&Ｔ)"_s);
  exportAll->setObjectName(u"N2"_s);
  connect(exportAll, &QAction::triggered, this, &TResultsWindow::ExportAllClick);
  // Every archived racing day, a step at a time or by the calendar.
  FDayMenu = new QMenu(u"開催日(&D)"_s, this);
  FDayMenu->setObjectName(u"DayMenu"_s);
  FDayMenu->addAction(u"前の開催日(&P)"_s, QKeySequence(Qt::Key_PageUp), this, [this] { StepDay(false); });
  FDayMenu->addAction(u"次の開催日(&N)"_s, QKeySequence(Qt::Key_PageDown), this, [this] { StepDay(true); });
  FDayMenu
      ->addAction(u"カレンダーから選ぶ(&C)..."_s, QKeySequence(Qt::CTRL | Qt::Key_G), this,
                  &TResultsWindow::CalendarClick)
      ->setObjectName(u"Calendar"_s);

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
  FExportMenu->menuAction()->setVisible(FList.ExportOffered());
  RestoreState();
  RefreshModeButtons();
}

void TResultsWindow::RestoreState() {
  // The surface, the mode and the day the list last showed.
  QSettings& state = FSession.DesktopState();
  if (QAbstractButton* filter = FFilterGroup->button(state.value(u"results/surface"_s).toInt())) {
    filter->setChecked(true);
    FList.Modes().SetFilter(TSurfaceFilter(FFilterGroup->checkedId()));
  }
  switch (TDisplayMode(state.value(u"results/mode"_s).toInt())) {
    case TDisplayMode::Corner3:
      FList.Modes().PressCorner3();
      break;
    case TDisplayMode::Corner4:
      FList.Modes().PressCorner4();
      break;
    case TDisplayMode::Jockey:
      FList.Modes().PressJockey();
      break;
    case TDisplayMode::Start:
      break;
  }
  const QByteArray day = state.value(u"results/day"_s).toByteArray();
  if (day != FShownDate && FSession.Store().RaceDates.contains(day)) ShowDate(day);
  RememberState();
}

void TResultsWindow::RememberState() {
  QSettings& state = FSession.DesktopState();
  state.setValue(u"results/surface"_s, int(FList.Modes().Filter()));
  state.setValue(u"results/mode"_s, int(FList.Modes().Mode()));
  if (!FShownDate.isEmpty()) state.setValue(u"results/day"_s, FShownDate);
}

QSize TResultsWindow::sizeHint() const {
  return FList.Layout().Client;
}

bool TResultsWindow::BringDay(const QByteArray& date) {
  try {
    FSession.LoadArchivedDay(date);
    return true;
  } catch (const TRavekError& error) {
    ShowMessage(this, QMessageBox::Warning, error.Message());
    return false;
  }
}

void TResultsWindow::ShowDate(const QByteArray& date) {
  const int index = int(FSession.Store().RaceDates.indexOf(date));
  if (index < 0 || !BringDay(date)) return;
  FList.ShowDay(index);
  ApplyDay();
  RememberState();
}

void TResultsWindow::ShowLatestDay() {
  const TByteLines& dates = FSession.Store().RaceDates;
  if (!dates.isEmpty() && dates.last() != FShownDate) ShowDate(dates.last());
}

void TResultsWindow::CalendarClick() {
  TDayCalendar calendar(FSession.Store().RaceDates, FShownDate, this);
  if (OnCalendar) OnCalendar(calendar);
  if (calendar.exec() == QDialog::Accepted) ShowDate(calendar.ChosenDay());
}

void TResultsWindow::StepDay(bool forward) {
  const int shown = FList.DayIndex();
  // An archived day's races come into the store before the list shows it.
  const QByteArray target = FSession.Store().RaceDates.value(shown + (forward ? 1 : -1));
  if (!target.isEmpty() && !BringDay(target)) return;
  if (forward) {
    FList.NextDay();
  } else {
    FList.PreviousDay();
  }
  if (FList.DayIndex() != shown) ApplyDay();
  RememberState();
}

void TResultsWindow::ApplyDay() {
  const TResultsLayout& layout = FList.Layout();
  const TDayStore& store = FSession.Store();
  FShownDate = FList.DayIndex() >= 0 ? store.RaceDates.value(FList.DayIndex()) : QByteArray();
  setWindowTitle(FList.Caption());
  FPreviousDayButton->setEnabled(FList.PreviousEnabled());
  FNextDayButton->setEnabled(FList.NextEnabled());

  FButtonBar->setGeometry(0, 0, layout.Client.width(), TResultsLayout::TopBandHeight);
  FModePanel->move(layout.ModePanelPos);
  QToolButton* modeButtons[] = {FStartButton, FCorner3Button, FCorner4Button, FJockeyButton};
  for (int i = 0; i < 4; ++i) modeButtons[i]->move(layout.ModeButtonX[i], ButtonTop);
  FBiasButton->setGeometry(layout.BiasButton);
  FCsvButton->setGeometry(layout.CsvButton);
  FBiasButton->setEnabled(!FShownDate.isEmpty());
  FCsvButton->setEnabled(!FShownDate.isEmpty());

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
  FitFrame();
  RefreshBias();
}

void TResultsWindow::FitFrame() {
  setFixedSize(FList.Layout().Client);
  if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget())) {
    frame->setWindowTitle(windowTitle());
    frame->adjustSize();
  }
}

void TResultsWindow::ReloadStore() {
  // The day shown stays when the new store still has it.
  const QByteArray date = FShownDate;
  if (!date.isEmpty() && FSession.Store().RaceDates.contains(date)) BringDay(date);
  FList.Open();
  const int index = int(FSession.Store().RaceDates.indexOf(date));
  if (index >= 0 && index != FList.DayIndex()) FList.ShowDay(index);
  ApplyDay();
}

void TResultsWindow::RefreshModeButtons() {
  const TDisplayModes& modes = FList.Modes();
  FStartButton->setChecked(modes.Mode() == TDisplayMode::Start);
  FCorner3Button->setChecked(modes.Mode() == TDisplayMode::Corner3);
  FCorner4Button->setChecked(modes.Mode() == TDisplayMode::Corner4);
  FJockeyButton->setChecked(modes.Mode() == TDisplayMode::Jockey);
  FJockeyButton->setText(modes.JockeyCaption());
  FStartButton->setToolTip(modes.Tip(TDisplayMode::Start));
  FCorner3Button->setToolTip(modes.Tip(TDisplayMode::Corner3));
  FCorner4Button->setToolTip(modes.Tip(TDisplayMode::Corner4));
  FJockeyButton->setToolTip(modes.Tip(TDisplayMode::Jockey));
}

void TResultsWindow::RefreshBias() {
  // Counted while shown only; showing counts afresh.
  if (!FBiasView || !FBiasView->isVisible() || FShownDate.isEmpty()) return;
  const QDate shown = DateOfKey(FShownDate);
  std::pair<QByteArray, QByteArray> period{FShownDate, FShownDate};
  switch (FBiasView->Period()) {
    case TBiasPeriod::Day:
      break;
    case TBiasPeriod::Meeting:
      period = FSession.MeetingPeriod(FShownDate);
      break;
    case TBiasPeriod::Month:
      period = {DateKey(QDate(shown.year(), shown.month(), 1)),
                DateKey(QDate(shown.year(), shown.month(), shown.daysInMonth()))};
      break;
    case TBiasPeriod::Chosen:
      period = FBiasView->FieldDates();
      if (period.first > period.second) std::swap(period.first, period.second);
      break;
  }
  const TByteLines& dates = FSession.Store().RaceDates;
  if (!dates.isEmpty()) FBiasView->SetDateRange(dates.first(), dates.last());
  QList<TBiasGroup> groups;
  try {
    groups = FSession.Bias(period.first, period.second);
  } catch (const TRavekError& error) {
    ShowMessage(this, QMessageBox::Warning, error.Message());
  }
  FBiasView->ShowGroups(groups, period.first, period.second);
}

void TResultsWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_PageUp) {
    StepDay(false);
  } else if (event->key() == Qt::Key_PageDown) {
    StepDay(true);
  } else {
    QWidget::keyPressEvent(event);
  }
}

void TResultsWindow::CloseClick() {
  if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget())) {
    frame->close();
  } else {
    close();
  }
}

void TResultsWindow::FilterClick() {
  FList.Modes().SetFilter(TSurfaceFilter(FFilterGroup->checkedId()));
  RememberState();
  FGrid->update();
}

void TResultsWindow::StartClick() {
  // The colour scheme is the program's setting, kept in the settings file.
  if (FList.Modes().PressStart()) FSession.SetEightColours(!FSession.Settings().Display);
  RememberState();
  RefreshModeButtons();
  FGrid->update();
}

void TResultsWindow::Corner3Click() {
  FList.Modes().PressCorner3();
  RememberState();
  RefreshModeButtons();
  FGrid->update();
}

void TResultsWindow::Corner4Click() {
  FList.Modes().PressCorner4();
  RememberState();
  RefreshModeButtons();
  FGrid->update();
}

void TResultsWindow::JockeyClick() {
  FList.Modes().PressJockey();
  RememberState();
  RefreshModeButtons();
  FGrid->update();
}

void TResultsWindow::BiasClick(bool down) {
  if (!down) {
    if (FBiasView) FBiasView->hide();
    return;
  }
  if (!FBiasView) {
    FBiasView = new TBiasView(this);
    // Closed by its own close box: the button comes up.
    connect(FBiasView, &TBiasView::Closed, FBiasButton, [this] { FBiasButton->setChecked(false); });
    connect(FBiasView, &TBiasView::PeriodChanged, this, &TResultsWindow::RefreshBias);
    FBiasView->move(mapToGlobal(QPoint(width() + 8, 0)));
    KeepGeometry(FBiasView, FSession.DesktopState(), u"windows/bias"_s);
  }
  FBiasView->show();
  RefreshBias();
  FBiasView->raise();
}

void TResultsWindow::CsvClick() {
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

void TResultsWindow::ExportAllClick() {
  const TExportAllResult result = FSession.ExportAll();
  emit StatusText(1, ExportStatus(result));
  if (result.Failed.isEmpty()) return;
  const QStringList lines =
      QStringList{u"%1 レースの補正タイムを出力できませんでした。"_s.arg(result.Failed.size())} +
      ExportFailureLines(result.Failed);
  emit SorryRequested(lines.join(u'\n'));
}

void TResultsWindow::CellChosen(int column, int row) {
  const TDoubleClickDecision decision = FCells.DoubleClick(column, row);
  switch (decision.Action) {
    case TDoubleClickAction::Nothing:
      return;
    case TDoubleClickAction::Sorry:
      emit SorryRequested(SteeplechaseText());
      return;
    case TDoubleClickAction::OpenRace:
      emit RaceOpenRequested(decision.RaceLine);
      return;
  }
}

void TResultsWindow::PointerOverCell(int column, int row) {
  std::optional<QString> text;
  try {
    text = FCells.JockeyStatus(column, row);
  } catch (const TRavekError&) {
    // An unreadable summary names nobody; the grid has said why when it painted.
  }
  if (text) emit StatusText(1, *text);
}

TResultsWindow* OpenResultsWindow(TSession& session, QMdiArea* area) {
  auto* window = new TResultsWindow(session);
  window->setAttribute(Qt::WA_DeleteOnClose);
  ShowChildWindow(area, window);
  window->setFocus();
  return window;
}
