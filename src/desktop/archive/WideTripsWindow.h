#pragma once

#include <QByteArray>
#include <QWidget>

class QDateEdit;
class QLabel;
class QSpinBox;
class QTableView;
class TRunTable;
class TSession;

// The horses worth following: over a date range, the runners that lost ground
// running wide, or whose 実走 rank beat their placing, by the margins the user
// sets; with each horse's next run when the archive has it. A double click on
// a row asks for its race.
class TWideTripsWindow : public QWidget {
  Q_OBJECT

public:
  explicit TWideTripsWindow(TSession& session, QWidget* parent = nullptr);

  // The dates shown first: the month up to the latest racing day.
  void SetRange(const QDate& from, const QDate& to);
  void Find();

  QDateEdit* FromEdit() const { return FFrom; }
  QDateEdit* ToEdit() const { return FTo; }
  QSpinBox* LossEdit() const { return FMinLoss; }
  QSpinBox* GainEdit() const { return FMinGain; }
  QTableView* Trips() const { return FTrips; }
  const TRunTable& Table() const { return *FTable; }

signals:
  void RaceRequested(const QByteArray& raceKey);

private:
  TSession& FSession;
  QDateEdit* FFrom = nullptr;
  QDateEdit* FTo = nullptr;
  QSpinBox* FMinLoss = nullptr;
  QSpinBox* FMinGain = nullptr;
  QLabel* FCaption = nullptr;
  TRunTable* FTable = nullptr;
  QTableView* FTrips = nullptr;
};
