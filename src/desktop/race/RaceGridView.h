#pragma once

#include <QPointer>
#include <QWidget>

class TOpenRace;

// The race sheet: three fixed columns and one value column, every cell
// painted as RaceCellLook decides. A press on a cell goes to the race.
class TRaceGridView : public QWidget {
  Q_OBJECT

public:
  TRaceGridView(TOpenRace& race, QWidget* parent = nullptr);

  int ValueColumn() const { return FValueColumn; }
  void SetValueColumn(int column);

protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

private:
  QPointer<TOpenRace> FRace;
  int FValueColumn;
};
