#pragma once

// Every fuzz target's check, by the name of its corpus folder, for the replay test.
#include "fuzz/ConvertChecks.h"
#include "fuzz/DownloadChecks.h"
#include "fuzz/ExportChecks.h"
#include "fuzz/LineFileChecks.h"
#include "fuzz/PositionFileChecks.h"
#include "fuzz/RecordChecks.h"
#include "fuzz/SettingsChecks.h"

struct TFuzzCheck {
  const char* Name;
  TCheckFunction Check;
};

inline constexpr TFuzzCheck FuzzChecks[] = {
    {"convert", &CheckConvert},   {"records", &CheckRecords},   {"positionfile", &CheckPositionFile},
    {"settings", &CheckSettings}, {"linefile", &CheckLineFile}, {"export", &CheckExport},
    {"download", &CheckDownload},
};
