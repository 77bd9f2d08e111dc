#include "desktop/archive/SearchWindow.h"

#include "desktop/archive/RunTable.h"
#include "desktop/widgets/UiSupport.h"
#include "shell/Session.h"
#include "text/Errors.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

TSearchWindow::TSearchWindow(TSession& session, QWidget* parent)
    : QWidget(parent, Qt::Window), FSession(session) {
  setObjectName(u"SearchWindow"_s);
  setWindowTitle(u"馬・騎手の検索"_s);
  setFont(RavekFont(12));
  resize(1200, 560);

  FNameEdit = new QLineEdit(this);
  FNameEdit->setObjectName(u"NameEdit"_s);
  FNameEdit->setPlaceholderText(u"名前の一部（ひらがな・カタカナ・半角も可）"_s);
  FNameEdit->setClearButtonEnabled(true);
  auto* horseButton = new QRadioButton(u"馬(&U)"_s, this);
  FJockeyButton = new QRadioButton(u"騎手(&K)"_s, this);
  horseButton->setChecked(true);
  auto* kinds = new QButtonGroup(this);
  kinds->addButton(horseButton);
  kinds->addButton(FJockeyButton);

  FMatches = new QListWidget(this);
  FMatches->setObjectName(u"Matches"_s);
  FMatches->setFixedWidth(230);
  FCaption = new QLabel(this);
  FTable = new TRunTable(false, this);
  QSortFilterProxyModel* sorter = nullptr;
  FRuns = MakeRunView(FTable, this, &sorter);
  FRuns->setObjectName(u"Runs"_s);

  auto* top = new QHBoxLayout;
  top->addWidget(new QLabel(u"名前:"_s, this));
  top->addWidget(FNameEdit, 1);
  top->addWidget(horseButton);
  top->addWidget(FJockeyButton);
  auto* right = new QVBoxLayout;
  right->addWidget(FCaption);
  right->addWidget(FRuns, 1);
  auto* body = new QHBoxLayout;
  body->addWidget(FMatches);
  body->addLayout(right, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addLayout(body, 1);

  connect(FNameEdit, &QLineEdit::textChanged, this, &TSearchWindow::Search);
  connect(kinds, &QButtonGroup::buttonToggled, this, [this](QAbstractButton*, bool on) {
    if (on) Search();
  });
  connect(FMatches, &QListWidget::currentRowChanged, this, &TSearchWindow::ShowRuns);
  connect(FRuns, &QTableView::doubleClicked, this, [this, sorter](const QModelIndex& index) {
    emit RaceRequested(FTable->Run(sorter->mapToSource(index).row()).RaceKey);
  });
  FNameEdit->setFocus();
}

void TSearchWindow::Search() {
  FMatches->clear();
  QList<TNameMatch> found;
  try {
    found = FSession.FindNames(FNameEdit->text(), FJockeyButton->isChecked(), MatchLimit);
  } catch (const TRavekError& error) {
    FCaption->setText(error.Message());
    return;
  }
  for (const TNameMatch& match : found) {
    auto* item = new QListWidgetItem(u"%1（%2戦）"_s.arg(match.Name).arg(match.Runs), FMatches);
    item->setData(Qt::UserRole, match.Name);
  }
  if (found.isEmpty()) {
    FTable->SetRuns({});
    FCaption->setText(FNameEdit->text().trimmed().isEmpty() ? QString() : u"見つかりません。"_s);
  } else {
    FMatches->setCurrentRow(0);
  }
}

void TSearchWindow::ShowRuns() {
  const QListWidgetItem* item = FMatches->currentItem();
  if (item == nullptr) return;
  const QString name = item->data(Qt::UserRole).toString();
  try {
    const QList<TRunRow> runs = FSession.History(name, FJockeyButton->isChecked());
    FTable->SetRuns(runs);
    FCaption->setText(u"%1  %2戦（ダブルクリックでレースを開きます）"_s.arg(name).arg(runs.size()));
  } catch (const TRavekError& error) {
    FTable->SetRuns({});
    FCaption->setText(error.Message());
  }
  FRuns->resizeColumnsToContents();
}
