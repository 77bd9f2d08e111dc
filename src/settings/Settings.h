#pragma once

#include <QString>

// The settings fields, named after their keys in the settings file. Every layer
// that applies a setting reads it from here; the shell reads and writes the file.
struct TSettings {
  int X = 20;            // [Position] left edge of the main window
  int Y = 20;            // [Position] top edge of the main window
  QString TargetDir;     // [Folder] Target: export folder; empty until start-up sets the data directory
  int Distance = 2;      // [Constant] metres lost per lane out from the rail (2 or 3)
  bool Display = false;  // eight frame colours (true) or three (false)
  bool UseTG = false;    // offer the corrected-time export
  bool Pay = false;      // show payouts
  int Nige = 1;          // last row of the band 逃げ
  int Senkou = 3;        // last row of the band 先行
  int Koui = 6;          // last row of the band 好位
  int Tyuudan = 9;       // last row of the band 中団; rows beyond are 後方
  int Saiuti = 1;        // the lane marked IN
  int Soto = 3;          // first lane marked OUT
  int Osoto = 4;         // first lane counted as wide outside (bold)

  bool operator==(const TSettings&) const = default;
};
