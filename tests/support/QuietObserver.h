#pragma once

#include "link/DownloadObserver.h"

// A download observer that shows nothing and never asks: for programs that
// download a demo week without a user.
class TQuietObserver : public TDownloadObserver {
public:
  void ShowProgress(const QString&) override {}
  void CloseProgress() override {}
  void ShowStatus(const QString&) override {}
  void ProcessPendingEvents() override {}
  bool ShowMaintenance(const QString&) override { return false; }
};
