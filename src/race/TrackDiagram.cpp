#include "race/TrackDiagram.h"

#include "position/PositionLine.h"
#include "race/RaceMath.h"
#include "race/RaceSheet.h"
#include "records/RaceRecord.h"
#include "text/IntConvert.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double DegreesPerRadian = 180.0 / std::numbers::pi;

double Cos(int degrees) {
  return std::cos(degrees / DegreesPerRadian);
}
double Sin(int degrees) {
  return std::sin(degrees / DegreesPerRadian);
}

// Below 1 is "00"; anything above two digits holds is written as 99, never cut.
void AppendTwoDigits(QByteArray& entry, int value) {
  value = std::clamp(value, 0, 99);
  entry.append(static_cast<char>('0' + value / 10)).append(static_cast<char>('0' + value % 10));
}

}  // namespace

TTrackDiagram::TTrackDiagram(int width, int height)
    : FWidth(width),
      FHeight(height),
      FLeft(0 - CentreMargin),
      FTop(0 - CentreMargin),
      FRight(width + CentreMargin),
      FBottom(height + CentreMargin),
      FCx(width / 2),
      FCy(height / 2) {
  Rows.fill(-1);
  Lanes.fill(-1);
}

bool TTrackDiagram::IsRightHanded(QByteArrayView positionLine) {
  const int venue = StrToInt(TPositionLine(positionLine).VenueCode());
  return venue != 4 && venue != 5 && venue != 7;
}

TRgb TTrackDiagram::BackgroundColour(int trackCode) {
  return trackCode >= 23 && trackCode <= 49 ? DirtColour : TurfColour;
}

TSectionCaption TTrackDiagram::CaptionSection(const QString& caption) {
  struct TEntry {
    const char16_t* Caption;
    TSectionCaption Value;
  };
  static constexpr TEntry Table[] = {
      {u"Ｇ前", {1, 0}},       {u"４コーナー", {2, 4}},     {u"３コーナー", {3, 3}},
      {u"向正面", {4, 0}},     {u"２コーナー", {5, 2}},     {u"１コーナー", {6, 1}},
      {u"Ｓ前", {7, 0}},       {u"４コーナー(1)", {8, 0}},  {u"３コーナー(1)", {9, 0}},
      {u"向正面(1)", {10, 0}}, {u"２コーナー(1)", {11, 0}}, {u"１コーナー(1)", {12, 0}},
      {u"Ｓ前(1)", {13, 0}},
  };
  for (const TEntry& entry : Table) {
    if (caption == QStringView(entry.Caption)) return entry.Value;
  }
  return {};
}

QChar TTrackDiagram::MarkerCaption(int n) {
  if (n < 1 || n > MaxHorses) return {};
  return QChar(static_cast<char16_t>(0x2460 + n - 1));
}

QByteArray TTrackDiagram::HighlightCode(int n) {
  if (n < 1 || n > MaxHorses) return "00";
  return QByteArray::number(n).rightJustified(2, '0');
}

QString TTrackDiagram::InfoPanelText(TRaceRecord& race, const QByteArray& raceLine, int corner) {
  return ::InfoPanelText(race.CornerOrder(raceLine, corner));
}

void TTrackDiagram::CreateMarkers(const QByteArray& positionLine) {
  N = TPositionLine(positionLine).HorseCount();
  for (int n = 1; n <= MaxHorses; ++n) {
    TDiagramMarker& marker = Markers[n - 1];
    marker.Colour = FrameColour(positionLine, n);
    marker.Visible = false;
  }
}

int TTrackDiagram::HorseCount() const {
  return std::clamp(N, 0, MaxHorses);
}

bool TTrackDiagram::SectionCentre(int g, bool rightHanded, TDiagramPoint& centre) const {
  switch (g) {
    case 2:
    case 8:
      centre = rightHanded ? TDiagramPoint{FLeft, FTop} : TDiagramPoint{FRight, FTop};
      return true;
    case 3:
    case 9:
      centre = rightHanded ? TDiagramPoint{FLeft, FBottom} : TDiagramPoint{FRight, FBottom};
      return true;
    case 5:
    case 11:
      centre = rightHanded ? TDiagramPoint{FRight, FBottom} : TDiagramPoint{FLeft, FBottom};
      return true;
    case 6:
    case 12:
      centre = rightHanded ? TDiagramPoint{FRight, FTop} : TDiagramPoint{FLeft, FTop};
      return true;
    default:
      return false;
  }
}

void TTrackDiagram::DrawSection(const QByteArray& positionLine, int g) {
  const TPositionLine line(positionLine);
  if (g < 1 || g > line.SectionCount()) return;
  Background = BackgroundColour(line.TrackCode());
  Drawn = true;
  HasInfield = false;
  const bool rightHanded = IsRightHanded(positionLine);
  TDiagramPoint centre;
  if (!SectionCentre(g, rightHanded, centre)) return;
  ArcCentre = centre;
  HasInfield = true;
  const int shown = ChooseSection(positionLine, g);
  if (shown > 0) {
    LoadSection(positionLine, shown);
  } else {
    // No rows anywhere from g to the goal: an empty infield.
    Rows.fill(-1);
    Lanes.fill(-1);
    LoadedSection = 0;
  }
  PlaceMarkers(rightHanded);
}

int TTrackDiagram::ChooseSection(const QByteArray& positionLine, int g) const {
  if (SectionHasRows(positionLine, g)) return g;
  if (g < TPositionLine(positionLine).SectionCount() && SectionHasRows(positionLine, g + 1)) return g + 1;
  for (int s = g - 1; s >= 1; --s) {
    if (SectionHasRows(positionLine, s)) return s;
  }
  return 0;
}

bool TTrackDiagram::SectionHasRows(const QByteArray& positionLine, int g) const {
  const TPositionLine line(positionLine);
  int sum = 0;
  for (int n = 1; n <= HorseCount(); ++n) sum += line.Row(n, g);
  return sum > 0;
}

void TTrackDiagram::LoadSection(const QByteArray& positionLine, int g) {
  Rows.fill(-1);
  Lanes.fill(-1);
  const TPositionLine line(positionLine);
  for (int n = 1; n <= HorseCount(); ++n) {
    if (line.EntryOffset(n, g) < 0) continue;
    Rows[n - 1] = line.Row(n, g) - 1;
    Lanes[n - 1] = line.Lane(n, g) - 1;
  }
  LoadedSection = g;
}

TDiagramPoint TTrackDiagram::MarkerCorner(int index) const {
  const int angle = EndAngle - Direction * Rows[index];
  const double radius = Lanes[index] * LaneSpacing + BaseRadius;
  return {RoundHalfAway(radius * Cos(angle)) + ArcCentre.X - MarkerOffset,
          RoundHalfAway(radius * Sin(angle)) + ArcCentre.Y - MarkerOffset};
}

void TTrackDiagram::PlaceMarkers(bool rightHanded) {
  Direction = rightHanded ? 1 : -1;
  const int start =
      RoundHalfAway(std::atan2(double(FCy - ArcCentre.Y), double(FCx - ArcCentre.X)) * DegreesPerRadian);
  EndAngle = start;
  // The base circle always leaves the image within a turn, as its centre lies outside.
  for (int step = 0; step < 360; ++step) {
    const int a = EndAngle + Direction;
    const int x = RoundHalfAway(BaseRadius * Cos(a)) + ArcCentre.X;
    const int y = RoundHalfAway(BaseRadius * Sin(a)) + ArcCentre.Y;
    if (!(0 < x && x < FWidth && 0 < y && y < FHeight)) break;
    EndAngle = a;
  }
  const int count = HorseCount();
  int maxRow = -1;
  for (int i = 0; i < count; ++i) maxRow = std::max(maxRow, Rows[i]);
  const int mid = start + (maxRow / 2) * Direction;
  const int shift = std::abs(EndAngle - mid);
  for (int i = 0; i < count; ++i) {
    if (Rows[i] > -1) Rows[i] += shift;
    Markers[i].TopLeft = MarkerCorner(i);
    Markers[i].Visible = Rows[i] > -1 && Lanes[i] > -1;
  }
}

bool TTrackDiagram::SyncSection(QByteArray& positionLine) const {
  const int count = HorseCount();
  if (SelectedSection < 1 || count == 0) return false;
  bool anyRow = false;
  int minRow = 0;
  for (int i = 0; i < count; ++i) {
    if (Rows[i] <= -1) continue;
    minRow = anyRow ? std::min(minRow, Rows[i]) : Rows[i];
    anyRow = true;
  }
  // Without a front row there is nothing to count from; leave the line alone.
  if (!anyRow) return false;
  const QByteArray before = positionLine;
  for (int i = 0; i < count; ++i) {
    QByteArray entry;
    AppendTwoDigits(entry, Rows[i] - minRow + 1);
    AppendTwoDigits(entry, Lanes[i] + 1);
    TPositionLine::SetEntry(positionLine, i + 1, SelectedSection, entry);
  }
  return positionLine != before;
}

std::pair<int, int> TTrackDiagram::ShownSpot(int n) const {
  if (n < 1 || n > HorseCount() || Rows[n - 1] <= -1 || Lanes[n - 1] <= -1) return {0, 0};
  int front = Rows[n - 1];
  for (int i = 0; i < HorseCount(); ++i)
    if (Rows[i] > -1) front = std::min(front, Rows[i]);
  return {Rows[n - 1] - front + 1, Lanes[n - 1] + 1};
}

void TTrackDiagram::ReplaceMarker(int n) {
  if (n < 1 || n > HorseCount()) return;
  Markers[n - 1].TopLeft = MarkerCorner(n - 1);
}

int TTrackDiagram::SelectInitialTab(const QByteArray& positionLine, const QStringList& captions) {
  SelectedSection = 0;
  // A straight course has no diagram.
  if (TPositionLine(positionLine).IsStraight()) return -1;
  auto tabOf = [&captions](int section) {
    for (qsizetype i = 0; i < captions.size(); ++i) {
      const TSectionCaption caption = CaptionSection(captions[i]);
      if (caption.Corner != 0 && caption.Section == section) return int(i);
    }
    return -1;
  };
  int tab = tabOf(3);
  if (tab < 0) tab = tabOf(ChooseSection(positionLine, 3));
  if (tab < 0 && !captions.isEmpty() && CaptionSection(captions[0]).Corner != 0) tab = 0;
  if (tab < 0) {
    // No tab to write back to: the third corner is drawn for show only.
    DrawSection(positionLine, 3);
    return -1;
  }
  const int section = CaptionSection(captions[tab]).Section;
  DrawSection(positionLine, section);
  SelectedSection = section;
  return tab;
}

TSectionCaption TTrackDiagram::ShowCaption(const QByteArray& positionLine, const QString& caption) {
  const TSectionCaption target = CaptionSection(caption);
  if (target.Corner == 0) return {};
  DrawSection(positionLine, target.Section);
  SelectedSection = target.Section;
  return target;
}

bool TTrackDiagram::SpotOccupied(int row, int lane) const {
  for (int i = 0; i < HorseCount(); ++i) {
    if (Rows[i] == row && Lanes[i] == lane) return true;
  }
  return false;
}

bool TTrackDiagram::RowOccupied(int row) const {
  for (int i = 0; i < HorseCount(); ++i) {
    if (Rows[i] == row) return true;
  }
  return false;
}

int TTrackDiagram::RowSpread() const {
  int front = 0;
  int back = 0;
  bool any = false;
  for (int i = 0; i < HorseCount(); ++i) {
    if (Rows[i] <= -1) continue;
    front = any ? std::min(front, Rows[i]) : Rows[i];
    back = any ? std::max(back, Rows[i]) : Rows[i];
    any = true;
  }
  return back - front;
}
