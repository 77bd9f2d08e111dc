#pragma once

#include "results/TrackBias.h"

#include <QByteArray>
#include <QList>
#include <QRect>
#include <QWidget>

class QComboBox;
class QDateEdit;
class QScrollArea;

// The days the bias is counted over, chosen above the table.
enum class TBiasPeriod { Day, Meeting, Month, Chosen };

// The track bias (馬場傾向) beside the results list: a small window of its
// own, one block per venue and surface with the placed horses' and the
// field's counts by band and lane class at the fourth and third corner, and
// the verdict. It paints the groups it is given over the period chosen in its
// bar (the shown day, its meeting, its month, or two dates); the list counts.
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

  // Shows the groups counted over the days from `from` to `to` ("yyyymmdd").
  void ShowGroups(const QList<TBiasGroup>& groups, const QByteArray& from, const QByteArray& to);
  // The dates the period's date fields may take: the racing days held.
  void SetDateRange(const QByteArray& first, const QByteArray& last);

  TBiasPeriod Period() const;
  void SetPeriod(TBiasPeriod period);
  // The dates in the fields: the period shown, or the one being chosen.
  std::pair<QByteArray, QByteArray> FieldDates() const;
  const QList<TBiasGroup>& Groups() const { return FGroups; }
  const QByteArray& From() const { return FFrom; }
  const QByteArray& To() const { return FTo; }
  // The painted table, inside a scroll area.
  QWidget* Table() const { return FTable; }
  // A cell of block `group` in the table: row 0 the column titles, 1 to 4 the
  // counts; column 0 the row titles, then the bands, then the lane classes.
  static QRect CellRect(int group, int row, int column);
  static int BlockTop(int group);

signals:
  void Closed();
  // The period or its dates were changed by the user.
  void PeriodChanged();

protected:
  void closeEvent(QCloseEvent* event) override;

private:
  void FitToTable();

  QList<TBiasGroup> FGroups;
  QByteArray FFrom, FTo;
  QComboBox* FPeriod = nullptr;
  QDateEdit* FFromEdit = nullptr;
  QDateEdit* FToEdit = nullptr;
  QWidget* FBar = nullptr;
  QScrollArea* FScroll = nullptr;
  QWidget* FTable = nullptr;
};
