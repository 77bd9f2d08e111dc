#pragma once

#include "paint/Rgb.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QChar>
#include <QString>
#include <QStringList>

#include <array>
#include <utility>

class TRaceRecord;

struct TDiagramPoint {
  int X = 0;
  int Y = 0;

  bool operator==(const TDiagramPoint&) const = default;
};

// One horse's marker over the image: the view paints the circled number at
// TopLeft in Colour when Visible.
struct TDiagramMarker {
  TDiagramPoint TopLeft;
  bool Visible = false;
  TRgb Colour;
};

// What a tab caption stands for: the section from the goal it writes back to and
// the corner whose passing order the info panel shows (0 for none).
struct TSectionCaption {
  int Section = 0;
  int Corner = 0;

  bool operator==(const TSectionCaption&) const = default;
};

// The track diagram of a race window: one corner drawn as a sweep of track
// around a quarter of the infield, every horse a marker placed by its row (one
// degree of arc per length) and lane (15 pixels per place out).
//
// Rows and Lanes hold the shown section of the working position line: row - 1
// shifted along the arc, and lane - 1; a negative value means no position.
// Only the first MaxHorses horse numbers have a marker, a row and a lane.
class TTrackDiagram {
public:
  static constexpr int MaxHorses = 18;
  static constexpr int CentreMargin = 350;
  static constexpr int InfieldRadius = 800;
  static constexpr int BaseRadius = 816;
  static constexpr int LaneSpacing = 15;
  static constexpr int MarkerOffset = 6;
  static constexpr int RailWidth = 8;
  // The largest lane - 1, and the largest distance between the front row and
  // any other row, that still write as two digits.
  static constexpr int MaxIndex = 98;

  static constexpr TRgb RailColour{255, 255, 255};
  static constexpr TRgb InfieldColour{192, 192, 192};
  static constexpr TRgb TurfColour{118, 178, 118};
  static constexpr TRgb DirtColour{205, 187, 144};

  // Geometry for an image of width x height as the window is created.
  TTrackDiagram(int width, int height);

  // Venue codes 04, 05 and 07 run left-handed, every other one right-handed.
  static bool IsRightHanded(QByteArrayView positionLine);
  static TRgb BackgroundColour(int trackCode);
  static TSectionCaption CaptionSection(const QString& caption);
  // "①" for 1 ... "⑱" for 18.
  static QChar MarkerCaption(int n);
  // The window's highlighted horse while the pointer is over marker n ("05");
  // 0 for none gives "00".
  static QByteArray HighlightCode(int n);
  // The info panel's text for a corner of the race.
  static QString InfoPanelText(TRaceRecord& race, const QByteArray& raceLine, int corner);

  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  // Number of horses and the markers' frame colours, from the position line.
  void CreateMarkers(const QByteArray& positionLine);

  // Arc centre of a corner section (2, 3, 5, 6, 8, 9, 11, 12); false otherwise.
  bool SectionCentre(int g, bool rightHanded, TDiagramPoint& centre) const;

  void DrawSection(const QByteArray& positionLine, int g);
  // The section whose rows are shown when g is asked for; 0 when none from g
  // down to section 1 has rows.
  int ChooseSection(const QByteArray& positionLine, int g) const;
  bool SectionHasRows(const QByteArray& positionLine, int g) const;
  void LoadSection(const QByteArray& positionLine, int g);
  void PlaceMarkers(bool rightHanded);
  // Writes Rows and Lanes into the selected section, rows counted from the
  // front; true when the line changed.
  bool SyncSection(QByteArray& positionLine) const;
  // Horse n's row counted from the front, as SyncSection writes it, and lane;
  // both 0 when it has no place in the section shown.
  std::pair<int, int> ShownSpot(int n) const;
  // Puts marker n where PlaceMarkers would, without a new shift.
  void ReplaceMarker(int n);

  // Selects the tab to show after the tabs are added and draws it; returns its
  // index, -1 when there is none. "３コーナー" when present, else the tab of the
  // section the third corner falls back on, else the first tab.
  int SelectInitialTab(const QByteArray& positionLine, const QStringList& captions);
  // The user selected the tab with this caption: draws its corner and returns
  // the section and corner; an unknown caption changes nothing.
  TSectionCaption ShowCaption(const QByteArray& positionLine, const QString& caption);

  bool SpotOccupied(int row, int lane) const;
  bool RowOccupied(int row) const;
  // Largest distance between the front row and any placed row.
  int RowSpread() const;

  // The picture: background, and the infield when a corner is drawn.
  bool Drawn = false;
  TRgb Background = TurfColour;
  bool HasInfield = false;

  TDiagramPoint ArcCentre;
  int EndAngle = 0;
  int Direction = 1;
  int N = 0;
  // Section of the selected tab, where SyncSection writes; 0 for none.
  int SelectedSection = 0;
  // Section whose rows were loaded last; 0 when none had rows.
  int LoadedSection = 0;
  std::array<int, MaxHorses> Rows{};
  std::array<int, MaxHorses> Lanes{};
  std::array<TDiagramMarker, MaxHorses> Markers{};

private:
  int HorseCount() const;
  TDiagramPoint MarkerCorner(int index) const;

  int FWidth;
  int FHeight;
  int FLeft;
  int FTop;
  int FRight;
  int FBottom;
  int FCx;
  int FCy;
};
