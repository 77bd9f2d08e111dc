#pragma once

#include "results/TrackBias.h"

#include <QByteArray>
#include <QList>
#include <QRect>
#include <QWidget>

class QLabel;
class QScrollArea;

// The day's track bias (馬場傾向) beside the results list: a small window of
// its own, one block per venue and surface with the placed horses' and the
// field's counts by band and lane class at the fourth and third corner, and
// the verdict. It paints what DayBias gives; the list tells it when to count
// again.
class TBiasView : public QWidget {
  Q_OBJECT

public:
  static constexpr int Margin = 8;
  static constexpr int LabelWidth = 132;
  static constexpr int ColumnWidth = 60;
  static constexpr int RowHeight = 20;
  static constexpr int HeadingHeight = 24;
  static constexpr int GroupGap = 8;
  // The rows of a block under its heading: the column titles, then placed and
  // field at the fourth corner, placed and field at the third.
  static constexpr int BlockRows = 5;
  static constexpr int ColumnCount = 1 + BandCount + LaneGroupCount;

  explicit TBiasView(QWidget* parent = nullptr);

  // Counts the day ("yyyymmdd") again and repaints.
  void ShowDay(const TDayStore& store, const QByteArray& date, const TSettings& settings);

  const QList<TBiasGroup>& Groups() const { return FGroups; }
  const QByteArray& Date() const { return FDate; }
  // The painted table, inside a scroll area.
  QWidget* Table() const { return FTable; }
  // A cell of block `group` in the table: row 0 the column titles, 1 to 4 the
  // counts; column 0 the row titles, then the bands, then the lane classes.
  static QRect CellRect(int group, int row, int column);
  static int BlockTop(int group);

signals:
  void Closed();

protected:
  void closeEvent(QCloseEvent* event) override;

private:
  void FitToTable();

  QList<TBiasGroup> FGroups;
  QByteArray FDate;
  QScrollArea* FScroll = nullptr;
  QWidget* FTable = nullptr;
};
