#pragma once

#include "race/TrackDiagram.h"

#include <QByteArray>
#include <QByteArrayView>

#include <initializer_list>

// Position lines for the diagram tests, on the 563 x 476 image of the window.

inline constexpr int ImageWidth = 563;
inline constexpr int ImageHeight = 476;

struct TEntry {
  int Horse;
  int Section;  // from the goal
  const char* RowLane;
};

// A race at the venue with `horses` runners, every entry "0000" but the given
// ones; frames 1, 2, 3 ... in horse order.
inline QByteArray DiagramLine(QByteArrayView venue, int distance, QByteArrayView track, int horses,
                              std::initializer_list<TEntry> entries) {
  const int sections = distance <= 1400 ? 4 : distance <= 2000 ? 7 : 13;
  QByteArray line = "20140526" + venue.toByteArray() + "021011" +
                    QByteArray::number(distance).rightJustified(4, '0') + track.toByteArray() +
                    QByteArray::number(horses).rightJustified(2, '0');
  for (int n = 1; n <= horses; ++n)
    line += QByteArray::number((n - 1) % 8 + 1) + '0' + QByteArray(4 * sections, '0');
  for (const TEntry& entry : entries) {
    const int pos = 27 + (entry.Horse - 1) * (4 * sections + 2) + 4 * (sections - entry.Section);
    line.replace(pos - 1, 4, entry.RowLane);
  }
  return line;
}

// The entry of horse n for section g.
inline QByteArray EntryOf(const QByteArray& line, int n, int g) {
  const int distance = line.mid(16, 4).toInt();
  const int sections = distance <= 1400 ? 4 : distance <= 2000 ? 7 : 13;
  return line.mid(26 + (n - 1) * (4 * sections + 2) + 4 * (sections - g), 4);
}

// Horses 1, 2 and 3 at (1, 1), (1, 2) and (3, 1) in section g of a mile race.
inline QByteArray ThreeHorseLine(QByteArrayView venue, int g) {
  return DiagramLine(venue, 1600, "11", 3, {{1, g, "0101"}, {2, g, "0102"}, {3, g, "0301"}});
}

inline constexpr char RightHanded[] = "06";
inline constexpr char LeftHanded[] = "05";

// A diagram showing section g of the line, with g's tab selected.
inline TTrackDiagram ShownDiagram(const QByteArray& line, int g) {
  TTrackDiagram diagram(ImageWidth, ImageHeight);
  diagram.CreateMarkers(line);
  diagram.DrawSection(line, g);
  diagram.SelectedSection = g;
  return diagram;
}
