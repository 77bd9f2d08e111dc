#pragma once

#include "position/ProgressObserver.h"

#include <QString>

struct TDownloadDay;

// What the download shows and asks while it runs. The desktop program's status
// bar, progress panel and "Sorry" dialog implement it; the command line prints.
class TDownloadObserver : public TProgressObserver {
public:
  // Replaces the text of the status bar's first panel.
  virtual void ShowStatus(const QString& text) = 0;
  // Lets pending user-interface events run; called before every read.
  virtual void ProcessPendingEvents() = 0;
  // Shows the maintenance text modally; true when the user left it with OK.
  virtual bool ShowMaintenance(const QString& text) = 0;
  // Days a download has tried so far out of the days it asks for; called once
  // before the first day and after each day.
  virtual void DayProgress(int done, int asked) {
    (void)done;
    (void)asked;
  }
  // What a day brought, once it is done; called after each day, before DayProgress.
  virtual void DayDone(const TDownloadDay& day) { (void)day; }
  // A record file of the new set has just been put in place (name only);
  // until the last one is, the files on disk are a mixed set.
  virtual void DataFileReplaced(const QString& name) { (void)name; }
};
