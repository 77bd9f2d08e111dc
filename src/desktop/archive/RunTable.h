#pragma once

#include "race/RunHistory.h"

#include <QAbstractTableModel>
#include <QList>

class QSortFilterProxyModel;
class QTableView;

// Runs as table rows: date, venue, race, course, going, number, name, jockey,
// placing, 走破, 実走, m/min, ３角 and ４角 (row-lane), ground lost, added time;
// with the wide trips' converted rank and next run. Numbers sort as numbers.
class TRunTable : public QAbstractTableModel {
  Q_OBJECT

public:
  enum TColumn {
    Date,
    Venue,
    Race,
    Course,
    Going,
    Number,
    Name,
    Jockey,
    Place,
    RunTime,
    Converted,
    Speed,
    Corner3,
    Corner4,
    GroundLost,
    AddedTime,
    ConvertedRank,
    NextRun,
    ColumnCount
  };

  explicit TRunTable(bool wideTrips, QObject* parent = nullptr);

  void SetRuns(const QList<TRunRow>& runs);
  void SetTrips(const QList<TWideTrip>& trips);
  const TRunRow& Run(int row) const { return FTrips[row].Run; }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
  bool FWideTrips;
  QList<TWideTrip> FTrips;
};

// A sortable view of the table; a double click asks for the run's race.
QTableView* MakeRunView(TRunTable* table, QWidget* parent, QSortFilterProxyModel** proxy);
