#pragma once

#include "link/Clock.h"
#include "link/JVLink.h"
#include "link/LinkSettings.h"
#include "records/RecordLayout.h"

#include <QByteArray>
#include <QDate>
#include <QString>

#include <functional>

// The data link on this platform: serves a feed folder.
//
//   <feed>/0B12/yyyymmdd.txt   the day's records in delivery order, one a line
//   <feed>/MAINTENANCE         while it exists, JVRTOpen answers -504
//   <feed>/movies/<race key>.* a race's replay
//
// With no feed folder set it serves "DemoFeed" in the start directory and has
// the demo writer fill in the recent days (today and the eight before) that are
// missing there.
//
// Results beyond those of TJVLink: JVInit -101 (empty software identifier);
// JVRTOpen -1 (no data for the day), -112 (key is not a date yyyymmdd), -114
// (another kind of data), -201 (not initialised), -202 (a day is still
// open); JVRead -203 (nothing open), -402 (the day's file cannot be read), -1
// only when SlowReads is set.
class TFeedLink : public TJVLink {
public:
  static constexpr const char* DemoFolder = "DemoFeed";
  static constexpr int RecentDays = 9;

  // Writes the demo racing of one day into a feed folder (nothing on a day
  // without racing). May throw TFileError.
  using TDemoWriter = std::function<void(const QString& feedDir, const QDate& day, int seed)>;
  // Shows the link's settings to the user; true when they were changed.
  using TSettingsEditor = std::function<bool(TLinkSettings& settings)>;
  // Opens a replay file with the desktop's player.
  using TPlayer = std::function<void(const QString& path)>;

  TFeedLink(QString startDir, const TClock& clock);

  int JVInit(const QString& softwareId) override;
  int JVRTOpen(const QByteArray& dataKind, const QByteArray& key) override;
  int JVRead(QByteArray& buffer, int size, QString& fileName) override;
  int JVClose() override;
  int JVSetUIProperties() override;
  int JVMVCheck(const QByteArray& raceKey) override;
  int JVMVPlay(const QByteArray& raceKey) override;

  void SetDemoWriter(TDemoWriter writer) { FDemoWriter = std::move(writer); }
  void SetSettingsEditor(TSettingsEditor editor) { FSettingsEditor = std::move(editor); }
  void SetPlayer(TPlayer player) { FPlayer = std::move(player); }

  const TLinkSettings& Settings() const { return FSettings; }
  // Applies settings for the next day opened (not saved).
  void SetSettings(const TLinkSettings& settings) { FSettings = settings; }
  // The folder served now.
  QString FeedDir() const;
  bool IsDemo() const { return FSettings.FeedFolder.trimmed().isEmpty(); }
  // Why the last call failed, for a message; empty after success.
  const QString& LastError() const { return FLastError; }

private:
  QString DayFile(const QByteArray& key) const;
  QString ReplayFile(const QByteArray& raceKey) const;
  void WriteMissingDemoDay(const QByteArray& key);
  bool LoadDay();

  QString FStartDir;
  const TClock& FClock;
  TLinkSettings FSettings;
  TDemoWriter FDemoWriter;
  TSettingsEditor FSettingsEditor;
  TPlayer FPlayer;
  QString FLastError;

  bool FInitialised = false;
  bool FOpen = false;
  QByteArray FOpenKey;
  bool FLoaded = false;
  bool FReadFailed = false;
  QByteArray FDayBytes;
  qsizetype FPos = 0;
  int FPendingLeft = 0;
  int FWaitLeftMs = 0;  // of the open day's waits
};
