#pragma once

#include "race/TrackDiagram.h"

#include <QByteArray>

#include <functional>
#include <optional>
#include <utility>

// Pointer the view shows over the image and over a dragged marker.
enum class TDiagramPointer { Arrow, NotAllowed, Hand };

// Why a move was not made; None when it was.
enum class TMoveRefusal { None, NoHorse, Infield, Taken, PastTheLanes, PastTheFront, FieldTooLong };

// A click on the rail between two groups: the nearest occupied rows in front of
// (Lo) and behind (Hi) the click, and the lengths between them.
struct TMarginGap {
  int Lo = 0;
  int Hi = 0;
  int Gap = 0;

  bool operator==(const TMarginGap&) const = default;
};

// The user's corrections on the diagram: dragging a marker, a double click for
// one lane out, and a click on the rail to set the margin between two groups.
// Every edit ends with the shown section written into the working position
// line; when that changes the line, LineChanged runs (the open race refills
// its sheet there).
//
// No edit takes a lane past, or spreads the rows further than,
// TTrackDiagram::MaxIndex, so every value still writes as two digits.
class TDiagramEditor {
public:
  static constexpr int DragThreshold = 5;
  static constexpr int TrackRadius = TTrackDiagram::BaseRadius - 5;

  TDiagramEditor(TTrackDiagram& diagram, QByteArray& positionLine, std::function<void()> lineChanged = {});

  // A press on marker n arms a drag only for the left button on a shown marker.
  bool MarkerPressed(int n, bool leftButton) const;
  // The armed drag begins once the pointer has moved this far from the press.
  static bool DragStarts(TDiagramPoint press, TDiagramPoint now);

  // A drop is taken on the track only, never over the infield.
  bool AcceptsDrop(int x, int y) const;
  // The row and lane under (x, y); none over the infield.
  std::optional<std::pair<int, int>> SpotAt(int x, int y) const;
  // Moves horse n to the row and lane under (x, y) when that spot is free.
  TMoveRefusal MoveMarker(int n, int x, int y);
  // Moves horse n to the row and lane under the rules of a drop.
  TMoveRefusal MoveTo(int n, int row, int lane);
  // Whether horse n may stand at the row and lane.
  TMoveRefusal CheckMove(int n, int row, int lane) const;
  // After a drop, a refused drop or a cancelled drag.
  bool EndDrag(int n);

  // Horse n one lane out when that spot is free.
  bool MoveOut(int n);

  // pixelIsWhite: the image's pixel under the pointer is the rail colour.
  TDiagramPointer PointerAt(int x, int y, bool pixelIsWhite) const;

  // The gap a click at (x, y) on the rail would edit; none off the rail or
  // outside the field.
  std::optional<TMarginGap> FindMarginGap(int x, int y, bool pixelIsWhite) const;
  // The gap in front of horse n's row: to the nearest occupied row ahead;
  // none for a horse in the front row or not placed.
  std::optional<TMarginGap> GapInFrontOf(int n) const;
  // Asks the margin for the gap and applies it, as a click on the rail does.
  bool AskAndApplyMargin(const TMarginGap& gap, const std::function<std::optional<int>(int gap)>& askMargin);
  // Moves every horse behind the gap by newMargin - gap lengths, the front row
  // back to 0, and places the markers again.
  void ApplyMargin(const TMarginGap& gap, int newMargin);
  // The whole click: askMargin shows the dialog with the gap and answers the
  // confirmed value, or nothing when cancelled. Any button but the left one
  // does nothing at all.
  bool PressImage(bool leftButton, int x, int y, bool pixelIsWhite,
                  const std::function<std::optional<int>(int gap)>& askMargin);

  // Writes the shown section back; true when the line changed.
  bool FinishEdit();

private:
  bool OnTrack(int x, int y) const;
  int RowSpreadWith(int index, int row) const;

  TTrackDiagram& FDiagram;
  QByteArray& FLine;
  std::function<void()> FLineChanged;
};
