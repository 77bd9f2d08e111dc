#pragma once

#include "settings/Settings.h"
#include "text/LineFile.h"

#include <QString>

// The settings file "RAVEK.INI": the keys of TSettings under the sections
// [Position], [Folder] and [Constant]. Everything else the file holds (other
// sections and keys, comments, lines that are not settings at all) is kept as
// read and written back, since the user may have edited the file by hand.
// QSettings is not used: it would rewrite CP932 text and drop what it cannot parse.
class TSettingsFile {
public:
  static inline const QString FileName = QStringLiteral("RAVEK.INI");

  explicit TSettingsFile(QString path);

  // Reads the file once. A missing or unreadable file, section or key, or a
  // value that is not a number or outside what the settings dialog offers
  // gives the default; TargetDir defaults to dataDir.
  TSettings Load(const QString& dataDir);

  // Replaces the file whole: every key in table order, then the rest as read.
  // A TargetDir that is the data folder given to Load is written empty.
  // Throws TFileError when the file cannot be written; the old file is then intact.
  void Save(const TSettings& settings) const;

private:
  QString FPath;
  TByteLines FLines;  // the file as read by Load
  QString FDataDir;   // as given to Load
};

// The same rules on byte lines, for the file's callers and tests.
TSettings ParseSettings(const TByteLines& lines, const QString& dataDir);
TByteLines ComposeSettings(const TByteLines& original, const TSettings& settings, const QString& dataDir);
