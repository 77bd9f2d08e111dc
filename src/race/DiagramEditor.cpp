#include "race/DiagramEditor.h"

#include "race/MarginModel.h"
#include "race/RaceMath.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

namespace {

constexpr double DegreesPerRadian = 180.0 / std::numbers::pi;

double AngleOf(double dx, double dy) {
  return std::atan2(dy, dx) * DegreesPerRadian;
}

qint64 SquaredDistance(int x, int y, TDiagramPoint centre) {
  const qint64 dx = qint64(x) - centre.X;
  const qint64 dy = qint64(y) - centre.Y;
  return dx * dx + dy * dy;
}

}  // namespace

TDiagramEditor::TDiagramEditor(TTrackDiagram& diagram, QByteArray& positionLine,
                               std::function<void()> lineChanged)
    : FDiagram(diagram), FLine(positionLine), FLineChanged(std::move(lineChanged)) {}

bool TDiagramEditor::MarkerPressed(int n, bool leftButton) const {
  return leftButton && n >= 1 && n <= std::min(FDiagram.N, TTrackDiagram::MaxHorses) &&
         FDiagram.Markers[n - 1].Visible;
}

bool TDiagramEditor::DragStarts(TDiagramPoint press, TDiagramPoint now) {
  return std::abs(now.X - press.X) >= DragThreshold || std::abs(now.Y - press.Y) >= DragThreshold;
}

bool TDiagramEditor::OnTrack(int x, int y) const {
  return FDiagram.HasInfield && SquaredDistance(x, y, FDiagram.ArcCentre) > qint64(TrackRadius) * TrackRadius;
}

bool TDiagramEditor::AcceptsDrop(int x, int y) const {
  return OnTrack(x, y);
}

int TDiagramEditor::RowSpreadWith(int index, int row) const {
  const int count = std::min(FDiagram.N, TTrackDiagram::MaxHorses);
  int front = row;
  int back = row;
  for (int i = 0; i < count; ++i) {
    if (i == index || FDiagram.Rows[i] <= -1) continue;
    front = std::min(front, FDiagram.Rows[i]);
    back = std::max(back, FDiagram.Rows[i]);
  }
  return back - front;
}

std::optional<std::pair<int, int>> TDiagramEditor::SpotAt(int x, int y) const {
  if (!AcceptsDrop(x, y)) return std::nullopt;
  const double dx = double(x) - FDiagram.ArcCentre.X;
  const double dy = double(y) - FDiagram.ArcCentre.Y;
  const int angle = RoundHalfAway(AngleOf(dx, dy));
  const int row = std::abs(FDiagram.EndAngle - angle);
  const double radians = angle / DegreesPerRadian;
  // Straight up or down the x offset says nothing about the distance; the y
  // offset does.
  double distance = std::abs(std::cos(radians)) > 1e-6 ? dx / std::cos(radians) : dy / std::sin(radians);
  distance = std::clamp(distance, -1e6, 1e6);
  const int lane = RoundHalfAway((std::abs(RoundHalfAway(distance)) - TTrackDiagram::BaseRadius) /
                                 double(TTrackDiagram::LaneSpacing));
  return std::pair{row, std::max(lane, 0)};
}

TMoveRefusal TDiagramEditor::MoveMarker(int n, int x, int y) {
  if (n < 1 || n > std::min(FDiagram.N, TTrackDiagram::MaxHorses)) return TMoveRefusal::NoHorse;
  const auto spot = SpotAt(x, y);
  return spot ? MoveTo(n, spot->first, spot->second) : TMoveRefusal::Infield;
}

TMoveRefusal TDiagramEditor::CheckMove(int n, int row, int lane) const {
  if (n < 1 || n > std::min(FDiagram.N, TTrackDiagram::MaxHorses)) return TMoveRefusal::NoHorse;
  if (FDiagram.Rows[n - 1] == row && FDiagram.Lanes[n - 1] == lane) return TMoveRefusal::None;
  if (lane < 0 || lane > TTrackDiagram::MaxIndex) return TMoveRefusal::PastTheLanes;
  if (row < 0) return TMoveRefusal::PastTheFront;
  if (RowSpreadWith(n - 1, row) > TTrackDiagram::MaxIndex) return TMoveRefusal::FieldTooLong;
  if (FDiagram.SpotOccupied(row, lane)) return TMoveRefusal::Taken;
  return TMoveRefusal::None;
}

TMoveRefusal TDiagramEditor::MoveTo(int n, int row, int lane) {
  const TMoveRefusal refusal = CheckMove(n, row, lane);
  if (refusal != TMoveRefusal::None) return refusal;
  FDiagram.Rows[n - 1] = row;
  FDiagram.Lanes[n - 1] = lane;
  return refusal;
}

bool TDiagramEditor::EndDrag(int n) {
  FDiagram.ReplaceMarker(n);
  return FinishEdit();
}

bool TDiagramEditor::MoveOut(int n) {
  if (n >= 1 && n <= std::min(FDiagram.N, TTrackDiagram::MaxHorses)) {
    const int row = FDiagram.Rows[n - 1];
    const int lane = FDiagram.Lanes[n - 1] + 1;
    if (lane <= TTrackDiagram::MaxIndex && !FDiagram.SpotOccupied(row, lane)) FDiagram.Lanes[n - 1] = lane;
    FDiagram.ReplaceMarker(n);
  }
  return FinishEdit();
}

TDiagramPointer TDiagramEditor::PointerAt(int x, int y, bool pixelIsWhite) const {
  const qint64 infield = TTrackDiagram::InfieldRadius;
  if (!FDiagram.HasInfield || SquaredDistance(x, y, FDiagram.ArcCentre) > infield * infield)
    return TDiagramPointer::Arrow;
  return pixelIsWhite ? TDiagramPointer::Arrow : TDiagramPointer::NotAllowed;
}

std::optional<TMarginGap> TDiagramEditor::FindMarginGap(int x, int y, bool pixelIsWhite) const {
  if (!pixelIsWhite || !FDiagram.HasInfield) return std::nullopt;
  const int count = std::min(FDiagram.N, TTrackDiagram::MaxHorses);
  std::optional<int> minRow;
  int maxRow = -1;
  for (int i = 0; i < count; ++i) {
    const int row = FDiagram.Rows[i];
    if (row >= 0 && (!minRow || row < *minRow)) minRow = row;
    maxRow = std::max(maxRow, row);
  }
  if (!minRow) return std::nullopt;
  const double a = AngleOf(double(x) - FDiagram.ArcCentre.X, double(y) - FDiagram.ArcCentre.Y);
  const double along = std::abs(a - FDiagram.EndAngle);
  int lo = int(std::floor(along));
  int hi = int(std::ceil(along));
  if (hi == lo) hi = lo + 1;
  if (hi > maxRow || lo < *minRow) return std::nullopt;
  // minRow and maxRow are occupied, so both searches stop inside the field.
  while (!FDiagram.RowOccupied(lo)) --lo;
  while (!FDiagram.RowOccupied(hi)) ++hi;
  return TMarginGap{lo, hi, hi - lo};
}

void TDiagramEditor::ApplyMargin(const TMarginGap& gap, int newMargin) {
  const int count = std::min(FDiagram.N, TTrackDiagram::MaxHorses);
  std::optional<int> minRow;
  for (int i = 0; i < count; ++i) {
    const int row = FDiagram.Rows[i];
    if (row >= 0 && (!minRow || row < *minRow)) minRow = row;
  }
  if (!minRow) return;
  newMargin = std::clamp(newMargin, TMarginModel::MinValue, TMarginModel::MaxValue);
  // A wider margin never pushes the last row past what two digits hold.
  const int room = TTrackDiagram::MaxIndex - FDiagram.RowSpread();
  newMargin = std::min(newMargin, gap.Gap + std::max(room, 0));
  const int change = newMargin - gap.Gap;
  for (int i = 0; i < count; ++i) {
    if (FDiagram.Rows[i] > gap.Lo) FDiagram.Rows[i] += change;
  }
  for (int i = 0; i < count; ++i) FDiagram.Rows[i] -= *minRow;
  FDiagram.PlaceMarkers(FDiagram.Direction > 0);
}

bool TDiagramEditor::PressImage(bool leftButton, int x, int y, bool pixelIsWhite,
                                const std::function<std::optional<int>(int gap)>& askMargin) {
  if (!leftButton) return false;
  if (const std::optional<TMarginGap> gap = FindMarginGap(x, y, pixelIsWhite))
    return AskAndApplyMargin(*gap, askMargin);
  return FinishEdit();
}

bool TDiagramEditor::AskAndApplyMargin(const TMarginGap& gap,
                                       const std::function<std::optional<int>(int gap)>& askMargin) {
  TMarginModel shown;
  shown.SetValue(gap.Gap);
  if (askMargin) {
    if (const std::optional<int> confirmed = askMargin(shown.Value())) ApplyMargin(gap, *confirmed);
  }
  return FinishEdit();
}

std::optional<TMarginGap> TDiagramEditor::GapInFrontOf(int n) const {
  if (n < 1 || n > std::min(FDiagram.N, TTrackDiagram::MaxHorses) || FDiagram.Rows[n - 1] < 0)
    return std::nullopt;
  const int hi = FDiagram.Rows[n - 1];
  int lo = hi - 1;
  while (lo >= 0 && !FDiagram.RowOccupied(lo)) --lo;
  if (lo < 0) return std::nullopt;
  return TMarginGap{lo, hi, hi - lo};
}

bool TDiagramEditor::FinishEdit() {
  const bool changed = FDiagram.SyncSection(FLine);
  if (changed && FLineChanged) FLineChanged();
  return changed;
}
