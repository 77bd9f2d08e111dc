#pragma once

#include <QString>

// The feed link's own settings, kept in "FeedLink.ini" in the start directory
// (never in the program's settings file).
struct TLinkSettings {
  static constexpr const char* FileName = "FeedLink.ini";

  // Folder holding 0B12/, movies/ and MAINTENANCE; empty: the demo feed
  // "DemoFeed" in the start directory. A relative folder is taken from the
  // start directory.
  QString FeedFolder;
  // Simulated slow service: this many "nothing yet" answers before every
  // record and before the end of a day; 0 delivers at once.
  int SlowReads = 0;
  // Milliseconds each "nothing yet" answer waits, so progress can be watched.
  int SlowDelayMs = 0;
  // Seed of the demo service's racing.
  int DemoSeed = 1;

  bool operator==(const TLinkSettings&) const = default;

  // Missing file, key or unreadable value: the default. Never throws.
  static TLinkSettings Load(const QString& startDir);
  // Replaces the file whole; throws TFileError.
  void Save(const QString& startDir) const;
};
