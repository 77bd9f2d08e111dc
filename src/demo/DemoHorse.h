#pragma once

#include <QtGlobal>

// One horse of the demo population. Days are Julian day numbers.
struct TDemoHorse {
  float Talent = 0.0f;
  qint32 LastRun = 0;  // 0 before its first race
  qint32 NextRun = 0;  // the day its trainer aims it at
  qint32 Name = -1;    // the n-th name of its era; -1 until it first runs in the era
  qint16 Foaled = 0;   // year; a two-year-old in Foaled + 2
  qint16 DistanceLow = 0;
  qint16 DistanceHigh = 0;
  qint16 Jockey = 0;  // its usual rider, an index into the roster
  qint16 RunsLeft = 0;
  qint8 Level = 0;       // 0 maiden, 1 to 3 the 1勝 to 3勝 classes, 4 open
  qint8 JumpLevel = -1;  // -1 on the flat; 0 jump maiden, 1 jump open
  qint8 Surface = 0;     // 0 turf, 1 dirt, 2 either
  qint8 RetireAge = 0;
  bool Retired = false;
};
