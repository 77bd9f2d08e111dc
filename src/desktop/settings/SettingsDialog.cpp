#include "desktop/settings/SettingsDialog.h"

#include "desktop/settings/TrackBar.h"
#include "desktop/widgets/UiColour.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStorageInfo>
#include <QTabWidget>
#include <QTreeView>

using namespace Qt::StringLiterals;

namespace {

struct TBarPlace {
  int CaptionY;
  int SliderY;
  int SliderHeight;
};

// Rows of the two slider groups: bars 1 to 5, then 6 to 8.
constexpr std::array<TBarPlace, TSettingsModel::BarCount> BarPlaces{{
    {20, 8, 33},
    {44, 40, 25},
    {68, 64, 25},
    {92, 88, 25},
    {116, 112, 25},
    {20, 8, 45},
    {44, 40, 25},
    {68, 64, 25},
}};

QFont FontOf(const QWidget* widget, bool bold) {
  QFont font = widget->font();
  font.setBold(bold);
  return font;
}

}  // namespace

TSettingsDialog::TSettingsDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
  setObjectName(u"SettingsDialog"_s);
  setWindowTitle(u"設定"_s);
  setFixedSize(367, 332);

  FTabs = new QTabWidget(this);
  FTabs->setObjectName(u"Tabs"_s);
  FTabs->setGeometry(4, 4, 359, 271);
  auto* general = new QWidget;
  auto* display = new QWidget;
  FTabs->addTab(general, u"一般"_s);
  FTabs->addTab(display, u"表示"_s);
  BuildGeneralTab(general);
  BuildDisplayTab(display);

  FOkButton = new QPushButton(u"OK"_s, this);
  FOkButton->setObjectName(u"OKBtn"_s);
  FOkButton->setGeometry(207, 275 + 16, 75, 25);
  FOkButton->setDefault(true);
  FCancelButton = new QPushButton(u"キャンセル"_s, this);
  FCancelButton->setObjectName(u"CancelBtn"_s);
  FCancelButton->setGeometry(287, 275 + 16, 75, 25);
  connect(FOkButton, &QPushButton::clicked, this, &TSettingsDialog::OkClick);
  connect(FCancelButton, &QPushButton::clicked, this, &QDialog::reject);

  if (const QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
}

void TSettingsDialog::BuildGeneralTab(QWidget* page) {
  auto* exportGroup = new QGroupBox(u"補正タイムのファイル出力"_s, page);
  exportGroup->setGeometry(0, 8, 145, 54);
  FExportCheck = new QCheckBox(u"補正タイムを出力する"_s, exportGroup);
  FExportCheck->setObjectName(u"ExportCheck"_s);
  FExportCheck->setGeometry(8, 22, 129, 17);
  connect(FExportCheck, &QCheckBox::toggled, this, [this](bool on) {
    if (FSyncing) return;
    FModel.SetUseTG(on);
    AfterChange();
  });

  auto* payGroup = new QGroupBox(u"払い戻しの表示"_s, page);
  payGroup->setGeometry(0, 68, 145, 54);
  FPayoutCheck = new QCheckBox(u"払い戻しの表示をする"_s, payGroup);
  FPayoutCheck->setObjectName(u"PayoutCheck"_s);
  FPayoutCheck->setGeometry(8, 22, 129, 17);
  connect(FPayoutCheck, &QCheckBox::toggled, this, [this](bool on) {
    if (!FSyncing) FModel.SetPay(on);
  });

  FLoss = MakeTwoChoices(
      page, u"ロスした距離の設定"_s, 128, u"２ｍ"_s, u"RadioLoss2"_s, u"３ｍ"_s, u"RadioLoss3"_s,
      [this](bool first) { FModel.SetLoss(first ? TLossOption::TwoMetres : TLossOption::ThreeMetres); });
  FColours = MakeTwoChoices(
      page, u"枠の表示方法"_s, 186, u"８色"_s, u"RadioColours8"_s, u"３色"_s, u"RadioColours3"_s,
      [this](bool first) { FModel.SetColours(first ? TColourOption::Eight : TColourOption::Three); });

  FFolderGroup = new QGroupBox(u"補正タイム出力フォルダ設定"_s, page);
  FFolderGroup->setObjectName(u"FolderGroup"_s);
  FFolderGroup->setGeometry(152, 8, 201, 233);
  FDrives = new QComboBox(FFolderGroup);
  FDrives->setObjectName(u"Drives"_s);
  FDrives->setGeometry(8, 20, 185, 20);
  FFolderTree = new QTreeView(FFolderGroup);
  FFolderTree->setObjectName(u"FolderTree"_s);
  FFolderTree->setGeometry(8, 42, 185, 161);
  FFolderPath = new QLineEdit(FFolderGroup);
  FFolderPath->setObjectName(u"FolderPath"_s);
  FFolderPath->setGeometry(8, 205, 185, 20);
  FFolderPath->setReadOnly(true);
  FFolders = new QFileSystemModel(this);
  FFolders->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
  FFolders->setRootPath(QString());
  FFolderTree->setModel(FFolders);
  FFolderTree->setHeaderHidden(true);
  for (int column = 1; column < FFolders->columnCount(); ++column) FFolderTree->hideColumn(column);
  FillDrives();
  // The tree reads folders as they are shown: the chosen one comes into view once its parents are read.
  // Read folders are sorted a moment later, which moves the rows again.
  const auto reveal = [this] {
    if (!FShownFolder.isEmpty()) RevealFolder();
  };
  connect(FFolders, &QFileSystemModel::directoryLoaded, this, reveal);
  connect(FFolders, &QFileSystemModel::layoutChanged, this, reveal);
  connect(FFolderTree, &QTreeView::pressed, this, [this] { FShownFolder.clear(); });
  connect(FFolderTree->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& index) {
            FFolderPath->setText(
                QDir::toNativeSeparators(index.isValid() ? FFolders->filePath(index) : QString()));
            FFolderPath->setCursorPosition(FFolderPath->text().size());
            FFolderPath->setToolTip(FFolderPath->text());
          });
  connect(FDrives, &QComboBox::activated, this,
          [this](int index) { ShowVolume(FDrives->itemData(index).toString()); });
}

void TSettingsDialog::BuildDisplayTab(QWidget* page) {
  auto* rows = new QGroupBox(u"位置取り・縦"_s, page);
  rows->setGeometry(0, 0, 353, 142);
  auto* lanes = new QGroupBox(u"位置取り・横"_s, page);
  lanes->setGeometry(0, 144, 353, 97);

  for (int bar = 1; bar <= TSettingsModel::BarCount; ++bar) {
    QGroupBox* group = bar <= 5 ? rows : lanes;
    const TBarPlace& place = BarPlaces[bar - 1];

    auto* caption = new QLabel(TSettingsModel::CaptionText(bar), group);
    caption->setObjectName(u"Caption%1"_s.arg(bar));
    caption->setGeometry(8, place.CaptionY, 65, 17);
    caption->setAlignment(Qt::AlignCenter);
    caption->setFont(FontOf(this, bar == 8));
    if (bar <= 5) {
      const TRgb colour = TSettingsModel::CaptionColour(bar);
      caption->setAutoFillBackground(true);
      QPalette palette = caption->palette();
      palette.setColor(QPalette::Window, ToQColor(colour));
      palette.setColor(QPalette::WindowText, Qt::black);
      caption->setPalette(palette);
    }

    auto* slider = new TTrackBar(group);
    slider->setObjectName(u"TrackBar%1"_s.arg(bar));
    slider->setGeometry(72, place.SliderY, 180, place.SliderHeight);
    if (bar == 1 || bar == 6) slider->setTickPosition(QSlider::TicksBelow);
    slider->setTickInterval(1);
    FBars[bar - 1] = slider;
    connect(slider, &QSlider::valueChanged, this, [this, bar](int position) { BarMoved(bar, position); });

    auto* value = new QLabel(group);
    value->setObjectName(u"ValuePanel%1"_s.arg(bar));
    value->setGeometry(250, place.CaptionY, 95, 17);
    value->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    value->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    FValues[bar - 1] = value;
  }
  SyncFromModel();
}

void TSettingsDialog::FillDrives() {
  QStringList roots;
  for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
    if (!volume.isValid() || !volume.isReady()) continue;
    const QString root = QDir::cleanPath(volume.rootPath());
    if (!roots.contains(root)) roots.append(root);
  }
  if (!roots.contains(QDir::rootPath())) roots.append(QDir::rootPath());
  roots.sort();
  for (const QString& root : std::as_const(roots)) FDrives->addItem(QDir::toNativeSeparators(root), root);
}

QString TSettingsDialog::NearestExistingFolder(const QString& folder) {
  QString path = QDir::cleanPath(QDir(folder.isEmpty() ? QDir::currentPath() : folder).absolutePath());
  while (!QFileInfo(path).isDir()) {
    const QString parent = QFileInfo(path).path();
    if (parent == path) return QDir::rootPath();
    path = parent;
  }
  return path;
}

void TSettingsDialog::ShowVolume(const QString& root) {
  FShownFolder.clear();
  const QModelIndex index = FFolders->index(root);
  FFolderTree->setRootIndex(index);
  FFolderTree->setCurrentIndex(index);
}

void TSettingsDialog::MoveTree(const QString& folder) {
  const QString path = NearestExistingFolder(folder);
  // The volume that holds the folder: the longest mount point above it.
  int best = -1;
  qsizetype bestLength = -1;
  for (int i = 0; i < FDrives->count(); ++i) {
    const QString root = FDrives->itemData(i).toString();
    const bool holds = path == root || path.startsWith(root.endsWith(u'/') ? root : root + u'/');
    if (holds && root.size() > bestLength) {
      best = i;
      bestLength = root.size();
    }
  }
  if (best >= 0) {
    FDrives->setCurrentIndex(best);
    FFolderTree->setRootIndex(FFolders->index(FDrives->itemData(best).toString()));
  }
  const QModelIndex index = FFolders->index(path);
  FShownFolder = path;
  FFolderTree->setCurrentIndex(index);
  RevealFolder();
}

void TSettingsDialog::RevealFolder() {
  const QModelIndex index = FFolders->index(FShownFolder);
  for (QModelIndex parent = index.parent(); parent.isValid(); parent = parent.parent())
    FFolderTree->expand(parent);
  FFolderTree->expand(index);
  FFolderTree->scrollTo(index, QAbstractItemView::PositionAtCenter);
}

QString TSettingsDialog::CurrentFolder() const {
  const QModelIndex index = FFolderTree->currentIndex();
  return index.isValid() ? FFolders->filePath(index) : FModel.Folder();
}

void TSettingsDialog::Open(const TSettings& settings) {
  FModel.Open(settings);
  SyncFromModel();
  MoveTree(FModel.Folder());
  FModel.TakeOkFocusRequest();
  FOkButton->setFocus();
}

void TSettingsDialog::WriteBack(TSettings& settings) const {
  FModel.Accept(settings);
}

bool TSettingsDialog::Execute(TSettings& settings) {
  Open(settings);
  if (exec() != QDialog::Accepted) return false;
  WriteBack(settings);
  return true;
}

void TSettingsDialog::OkClick() {
  FModel.SetFolder(CurrentFolder());
  accept();
}

void TSettingsDialog::BarMoved(int bar, int position) {
  if (FSyncing) return;
  FModel.MoveBar(bar, position);
  SyncFromModel();
  AfterChange();
}

void TSettingsDialog::AfterChange() {
  SyncFromModel();
  if (FModel.TakeOkFocusRequest()) FOkButton->setFocus();
}

void TSettingsDialog::SyncFromModel() {
  FSyncing = true;
  for (int bar = 1; bar <= TSettingsModel::BarCount; ++bar) {
    const TSliderBar& model = FModel.Bar(bar);
    TTrackBar* slider = FBars[bar - 1];
    slider->setRange(model.Min, model.Max);
    slider->setValue(model.Position);
    slider->SetSelection(model.SelStart, model.SelEnd);
    slider->setEnabled(model.Enabled);
    FValues[bar - 1]->setText(FModel.ValueText(bar));
  }
  if (FExportCheck) {
    FExportCheck->setChecked(FModel.UseTG());
    FPayoutCheck->setChecked(FModel.Pay());
    FFolderGroup->setEnabled(FModel.FolderGroupEnabled());
    const TLossOption loss = FModel.Loss();
    FLoss.Show(loss == TLossOption::TwoMetres ? 1 : loss == TLossOption::ThreeMetres ? 2 : 0);
    const TColourOption colours = FModel.Colours();
    FColours.Show(colours == TColourOption::Eight ? 1 : colours == TColourOption::Three ? 2 : 0);
  }
  FSyncing = false;
}

TSettingsDialog::TTwoChoices TSettingsDialog::MakeTwoChoices(QWidget* page, const QString& title, int top,
                                                             const QString& first, const QString& firstName,
                                                             const QString& second, const QString& secondName,
                                                             std::function<void(bool first)> chosen) {
  auto* box = new QGroupBox(title, page);
  box->setGeometry(0, top, 145, 54);
  TTwoChoices choices;
  choices.First = new QRadioButton(first, box);
  choices.First->setObjectName(firstName);
  choices.First->setGeometry(8, 22, 62, 17);
  choices.Second = new QRadioButton(second, box);
  choices.Second->setObjectName(secondName);
  choices.Second->setGeometry(76, 22, 62, 17);
  choices.Group = new QButtonGroup(this);
  choices.Group->addButton(choices.First);
  choices.Group->addButton(choices.Second);
  connect(choices.Group, &QButtonGroup::buttonToggled, this,
          [this, firstButton = choices.First, chosen = std::move(chosen)](QAbstractButton* button, bool on) {
            if (!FSyncing && on) chosen(button == firstButton);
          });
  return choices;
}

void TSettingsDialog::TTwoChoices::Show(int which) const {
  // No choice at all is a state of its own (a value the options do not offer).
  Group->setExclusive(which != 0);
  First->setChecked(which == 1);
  Second->setChecked(which == 2);
  Group->setExclusive(true);
}
