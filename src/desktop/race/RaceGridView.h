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

  // The tooltip at a point: the figures of the horse on that row; empty elsewhere.
  QString TipAt(const QPoint& pos) const;

protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

private:
  QPointer<TOpenRace> FRace;
  int FValueColumn;
};
