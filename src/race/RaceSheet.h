#pragma once

#include "records/RunnerRecord.h"
#include "text/LineFile.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <array>

class TPayRecord;

// "東京11Ｒ (5/26)" from a race key.
QString RaceTitle(QByteArrayView raceKey);

// True for track code "10": no positions are supplied for a straight course.
bool IsStraightCourse(QByteArrayView positionLine);

// One bit per corner section that holds an entry: 16 for the 1st corner, 8 the
// 2nd, 2 the 3rd, 1 the 4th. The first two are only looked at beyond 1400 m.
int SectionPresence(QByteArrayView positionLine);
// The presence word as three upper-case hexadecimal digits ("003").
QByteArray SectionPresenceHex(QByteArrayView positionLine);

// Appends to tabs the label of every set bit of the hexadecimal word, the bit
// of 2048 first, so the captions come in race order.
void AddSectionTabs(QStringList& tabs, const QStringList& labels, QByteArrayView hex);

// The text of the info panel: three blanks, then a passing order up to its
// first run of three blanks.
QString InfoPanelText(QByteArrayView cornerOrder);

// Every non-empty payout text of the race, each after a full-width blank, with
// full-width digits. Empty when the race has no payout record.
QString BuildPayoutLine(TPayRecord& pay, const TByteLines& payLines, const QByteArray& raceKey);

// Shown over the diagram of a straight-course race.
QString StraightCourseNotice();

// The "Sorry" text for a steeplechase, which cannot be opened or exported.
QString SteeplechaseText();

// Eighteen 5-character fields, one per horse number: the converted time less
// the finishing time, blank when zero or when the horse is missing.
QByteArray AddedTimeLine(QByteArrayView positionLine, const TByteLines& runners, int lossPerLane);

// The race sheet: a header row and 18 horse rows of six text columns, and the
// distinct positive converted times in ascending order.
class TRaceSheet {
public:
  static constexpr int RowCount = 19;
  static constexpr int ColumnCount = 6;
  enum TColumn { PlaceColumn, NumberColumn, NameColumn, RunTimeColumn, ConvertedColumn, SpeedColumn };

  TRaceSheet();

  const QString& Cell(int column, int row) const { return FCells[row][column]; }

  // Refills the horse rows from the runners' SE lines, measuring ground lost on
  // the given position line. Resets HighlightHorse.
  void FillSheet(const TByteLines& runners, QByteArrayView positionLine, int lossPerLane);

  // Every distinct converted time above 0, 11 characters right-aligned, ascending.
  QStringList ConvRanking;
  // Horse number under the pointer in the diagram, two digits; "00" for none.
  QByteArray HighlightHorse = "00";

private:
  std::array<std::array<QString, ColumnCount>, RowCount> FCells;
  TRunnerRecord FUma;
};
