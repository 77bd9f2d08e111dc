#pragma once

#include "link/Clock.h"
#include "link/DownloadObserver.h"
#include "link/JVLink.h"
#include "records/RecordLayout.h"
#include "store/DayStore.h"

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTime>

// The identifier the program gives the link at initialisation.
inline constexpr char SoftwareIdText[] = "SA468213/SD590374/RAVEK/Ver1.24";
// Days the start-up probe asks for, today included.
inline constexpr int ProbeDays = 8;

// The text of the "Sorry" dialog when the service is under maintenance.
QString MaintenanceText();

// Days a download asks for at this time of day: 8 before 09:36, else 7.
int DownloadDayCount(QTime timeOfDay);

// Records the download keeps, by their first three bytes.
enum class TRecordStream { None, Race, Horse, Pay };
TRecordStream StreamOf(const QByteArray& record);

// One day a download asked for, as it ended.
struct TDownloadDay {
  QDate Date;
  bool Racing = false;  // the service had data for the day (JVRTOpen did not answer -1)
  int Races = 0;        // distinct races read and filed; 0 when the day failed
  QString Failure;      // why the day failed, as in FailedDays; empty when it did not
};

struct TDownloadResult {
  bool Started = false;  // false when refused because a download was running
  int DaysAsked = 0;
  int DaysOpened = 0;
  int DaysRead = 0;  // opened, read to the end and filed
  bool FilesWritten = false;
  bool ResultsEnabled = false;  // RaceData.dat and UmaData.dat exist afterwards, as one set
  // Days whose open or read failed with an error, or that delivered a record
  // that cannot be filed, each with the reason ("yyyy/mm/dd: ..."). Their
  // stored records were kept in place of what was delivered.
  QStringList FailedDays;
  QList<TDownloadDay> Days;    // every day asked for, today first
  QStringList Messages;        // for the user, e.g. a damaged position file kept aside
  bool ArchiveFailed = false;  // the data files were written, the archive could not take them (in Messages)
};

// One line for the status bar on what a download brought: the racing days
// and races, and the days that failed.
QString DownloadSummary(const TDownloadResult& result);

// The start-up sequence and the download of the recent days' results. Works on
// the day store and the files of one data directory; everything goes through
// the link, the clock and the observer it is given, on the caller's thread.
class TDownload {
public:
  TDownload(TJVLink& link, const TClock& clock, TDayStore& store, QString dataDir,
            TDownloadObserver& observer);

  // Start-up, when the main window first shows: loads the day store,
  // initialises the link and probes the last eight days for maintenance.
  // Returns true when the user confirmed the maintenance message, so the
  // program is to close.
  bool StartUp();

  // The download command. Refused (Started false) while a download runs. Any
  // error leaves the files and the store as they were before it started and
  // passes on to the caller once the link and the progress panel are closed.
  TDownloadResult Run();

  // True while a download runs; the commands that reach the day store are
  // then refused.
  bool IsBusy() const { return FBusy; }
  bool LinkReady() const { return FLinkReady; }
  const QString& SoftwareId() const { return FSoftwareId; }

private:
  // Reads the open day: files its records into the store's lists and builds
  // its positions. When the read fails, or a record cannot be filed, nothing
  // of the day is filed and the reason is returned; empty on success, when
  // `races` is the number of distinct races filed.
  QString ReadOpenDay(int& races);
  // Closes the link and reports the result.
  void CloseLink();
  // Replaces RaceData.dat, UmaData.dat and PayData.dat as one set.
  void WriteDataFiles();
  // Files the records the data files held for a day that failed.
  void KeepStoredDay(const QByteArray& dateKey);

  TJVLink& FLink;
  const TClock& FClock;
  TDayStore& FStore;
  QString FDataDir;
  TDownloadObserver& FObserver;
  QString FSoftwareId;
  bool FLinkReady = false;
  bool FBusy = false;
  bool FMarkerWritten = false;  // this download began to replace the record files
  QStringList FMessages;
  TByteLines FStoredRaces;  // RaceData.dat and UmaData.dat as the download found them
  TByteLines FStoredHorses;
};
