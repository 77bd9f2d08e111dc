#pragma once

#include <QByteArray>
#include <QWidget>

#include <functional>

class TRaceSheet;

// The race sheet (StringGrid1): three fixed columns and one value column,
// every cell painted as RaceCellLook decides.
class TRaceGridView : public QWidget {
  Q_OBJECT

public:
  TRaceGridView(const TRaceSheet& sheet, const QByteArray& positionLine, QWidget* parent = nullptr);

  int ValueColumn() const { return FValueColumn; }
  void SetValueColumn(int column);

  // A press on cell (column, row); -1 off the cells.
  std::function<void(int column, int row)> OnCellPressed;

protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

private:
  const TRaceSheet& FSheet;
  const QByteArray& FPositionLine;
  int FValueColumn;
};
