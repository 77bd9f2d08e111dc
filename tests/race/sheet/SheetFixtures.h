#pragma once

#include "store/DayStore.h"
#include "support/RecordLines.h"

#include <QByteArray>
#include <QStringList>

#include <initializer_list>

// Race lines and position lines shared by the sheet tests.

inline constexpr char MileKey[] = "2014052605021011";  // 東京 2回1日目 11R, 2014-05-26

// A position line of the given header, with one block per horse given as its
// frame characters and section entries from the start.
inline QByteArray PositionLine(QByteArrayView key, int distance, QByteArrayView track,
                               std::initializer_list<std::initializer_list<const char*>> blocks) {
  QByteArray line = key.toByteArray() + QByteArray::number(distance).rightJustified(4, '0') +
                    track.toByteArray() + QByteArray::number(blocks.size()).rightJustified(2, '0');
  for (const auto& block : blocks)
    for (const char* part : block) line += part;
  return line;
}

// Horse 1 on the rail, horse 2 three lanes out at the 3rd corner and four at the 4th.
inline QByteArray MileLine(QByteArrayView track = "11") {
  return PositionLine(MileKey, 1600, track,
                      {{"10", "0000", "0000", "0000", "0000", "0101", "0101", "0000"},
                       {"20", "0000", "0000", "0000", "0000", "0303", "0204", "0000"}});
}

inline QByteArray Uma(QByteArrayView key, int number, int arrival, int tenths) {
  return RunnerBuilder(key, number, arrival).SetTime(tenths).Line();
}

inline QStringList DefaultCornerNames() {
  return {QStringLiteral("Ｓ前(1)"),   QStringLiteral("１コーナー(1)"), QStringLiteral("２コーナー(1)"),
          QStringLiteral("向正面(1)"), QStringLiteral("３コーナー(1)"), QStringLiteral("４コーナー(1)"),
          QStringLiteral("Ｓ前"),      QStringLiteral("１コーナー"),    QStringLiteral("２コーナー"),
          QStringLiteral("向正面"),    QStringLiteral("３コーナー"),    QStringLiteral("４コーナー")};
}
