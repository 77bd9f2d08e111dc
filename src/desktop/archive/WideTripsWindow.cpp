#include "desktop/archive/WideTripsWindow.h"

#include "desktop/archive/RunTable.h"
#include "desktop/widgets/UiSupport.h"
#include "shell/Session.h"
#include "text/Errors.h"

#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QSpinBox>
#include <QTableView>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

TWideTripsWindow::TWideTripsWindow(TSession& session, QWidget* parent)
    : QWidget(parent, Qt::Window), FSession(session) {
  setObjectName(u"WideTripsWindow"_s);
  setWindowTitle(u"大外を回った馬・実走で着順を上回った馬"_s);
  setFont(RavekFont(12));
  resize(1180, 560);

  const auto dateEdit = [this] {
    auto* edit = new QDateEdit(this);
    edit->setCalendarPopup(true);
    edit->setDisplayFormat(u"yyyy/MM/dd"_s);
    return edit;
  };
  FFrom = dateEdit();
  FTo = dateEdit();
  FMinLoss = new QSpinBox(this);
  FMinLoss->setRange(0, 200);
  FMinLoss->setValue(10);
  FMinLoss->setSuffix(u" m 以上"_s);
  FMinLoss->setSpecialValueText(u"使わない"_s);
  FMinGain = new QSpinBox(this);
  FMinGain->setRange(0, 17);
  FMinGain->setValue(3);
  FMinGain->setSuffix(u" 着以上"_s);
  FMinGain->setSpecialValueText(u"使わない"_s);
  auto* find = new QPushButton(u"表示(&S)"_s, this);
  FCaption = new QLabel(this);
  FTable = new TRunTable(true, this);
  QSortFilterProxyModel* sorter = nullptr;
  FTrips = MakeRunView(FTable, this, &sorter);
  FTrips->setObjectName(u"Trips"_s);

  auto* top = new QHBoxLayout;
  top->addWidget(new QLabel(u"期間:"_s, this));
  top->addWidget(FFrom);
  top->addWidget(new QLabel(u"～"_s, this));
  top->addWidget(FTo);
  top->addSpacing(12);
  top->addWidget(new QLabel(u"外を回ったロス:"_s, this));
  top->addWidget(FMinLoss);
  top->addWidget(new QLabel(u"実走順が着順を上回った差:"_s, this));
  top->addWidget(FMinGain);
  top->addWidget(find);
  top->addStretch(1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(FCaption);
  layout->addWidget(FTrips, 1);

  connect(find, &QPushButton::clicked, this, &TWideTripsWindow::Find);
  connect(FTrips, &QTableView::doubleClicked, this, [this, sorter](const QModelIndex& index) {
    emit RaceRequested(FTable->Run(sorter->mapToSource(index).row()).RaceKey);
  });
}

void TWideTripsWindow::SetRange(const QDate& from, const QDate& to) {
  FFrom->setDate(from);
  FTo->setDate(to);
}

void TWideTripsWindow::Find() {
  TWideCriteria criteria;
  criteria.MinLoss = FMinLoss->value();
  criteria.MinGain = FMinGain->value();
  try {
    const QList<TWideTrip> trips =
        FSession.FindWideTrips(FFrom->date().toString(u"yyyyMMdd"_s).toLatin1(),
                               FTo->date().toString(u"yyyyMMdd"_s).toLatin1(), criteria);
    FTable->SetTrips(trips);
    FCaption->setText(u"%1頭（ダブルクリックでレースを開きます）"_s.arg(trips.size()));
  } catch (const TRavekError& error) {
    FTable->SetTrips({});
    FCaption->setText(error.Message());
  }
  FTrips->resizeColumnsToContents();
}
