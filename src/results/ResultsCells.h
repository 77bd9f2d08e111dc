#pragma once

#include "results/CellPaint.h"
#include "results/ResultsList.h"

#include <QByteArray>
#include <QString>

#include <optional>

enum class TDoubleClickAction { Nothing, Sorry, OpenRace };

struct TDoubleClickDecision {
  TDoubleClickAction Action = TDoubleClickAction::Nothing;
  QByteArray RaceLine;  // for OpenRace: the line the race window is built from
};

// What each cell of the results grid shows and what the mouse does with it,
// decided from the list's day, display modes and the settings. Summaries are
// looked up at every call, so a summary a race window replaced shows at once.
class TResultsCells {
public:
  static constexpr int BoxCount = 7;
  static constexpr int BoxHeight = 19;

  explicit TResultsCells(TResultsList& list) : FList(list) {}

  // Box k of a race cell: one pixel narrower than its sub-column, 19 pixels high.
  static TCellRect RaceBox(const TCellRect& cell, int box);

  TCellPaint DrawCell(int column, int row, const TCellRect& cell, bool fixed, bool focused);

  // Status-bar text for the cell under the mouse in jockey mode. Empty text clears
  // the panel; no value leaves it as it is.
  std::optional<QString> JockeyStatus(int column, int row);

  TDoubleClickDecision DoubleClick(int column, int row);

  // The finisher box (4, 5 or 6) under the point of a race cell; -1 elsewhere.
  static int FinisherBoxAt(const TCellRect& cell, int x, int y);
  // The tooltip of the horse in finisher place 0, 1 or 2 of a race cell: its
  // number, name and frame, and what its box shows in the current mode. Empty
  // when the cell shows no such box.
  QString FinisherTip(int column, int row, int place);

  // The results list's frame colours, eight or three by the Display setting.
  // They differ on purpose from the race window's table (RaceMath's FrameColour).
  static TRgb FrameColour8(int frame);
  static TRgb FrameColour3(int frame);
  static TRgb PayoutColour(int payout);

private:
  TPaintColour SurfaceColour(const QString& track) const;
  void DrawRace(TCellPaint& paint, const QByteArray& line);
  void DrawFinishers(TCellPaint& paint, const QByteArray& line);

  TResultsList& FList;
};
