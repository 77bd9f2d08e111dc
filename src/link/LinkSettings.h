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
  // The waits before one record together (SlowReads is cut so that
  // SlowReads * SlowDelayMs stays within this), and those of one day in all.
  static constexpr int MaxWaitMs = 5000;
  // Seed of the demo service's racing.
  int DemoSeed = 1;

  bool operator==(const TLinkSettings&) const = default;

  // These settings with the waits held to MaxWaitMs.
  TLinkSettings Held() const;

  // Missing file, key or unreadable value: the default; the waits held. Never throws.
  static TLinkSettings Load(const QString& startDir);
  // Replaces the file whole, the waits held; throws TFileError.
  void Save(const QString& startDir) const;
};
