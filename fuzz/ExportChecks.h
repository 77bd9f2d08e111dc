#pragma once

#include "fuzz/FuzzSupport.h"
#include "position/PassingOrderConverter.h"
#include "race/CorrectedTimeExport.h"
#include "race/RaceSheet.h"
#include "records/RecordBuilder.h"
#include "settings/Settings.h"
#include "text/Errors.h"
#include "text/LineFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

// A mile race of three horses on the given day and race number, as the race
// window holds it.
inline TRaceEntry ExportRace(int day, int raceNumber) {
  TRecordBuilder race = TRecordBuilder::Race('7');
  race.SetRaceKey(2024, 512, 5, 2, day, raceNumber)
      .SetDistance(1600)
      .SetTrackCode(11)
      .SetHorseCount(3)
      .SetCorner(0, 1, "1,2,3")
      .SetCorner(1, 2, "1-2,3")
      .SetCorner(2, 3, "(1,3)-2")
      .SetCorner(3, 4, "1,3,2");
  TRaceEntry entry{race.Line(), TPassingOrderConverter::ConvertRace(race.Line()), {}};
  const int tenths[] = {944, 945, 951};
  for (int n = 1; n <= 3; ++n) {
    TRecordBuilder horse = TRecordBuilder::Horse('7');
    horse.SetRaceKey(2024, 512, 5, 2, day, raceNumber)
        .SetFrame(n)
        .SetHorseNumber(n)
        .SetArrival(n)
        .SetFinalPlace(n);
    horse.SetTime(tenths[n - 1]);
    entry.Runners.append(horse.Line());
  }
  return entry;
}

// Input: day, race number, a flags byte (overwrite; export into a FUKA_TIME
// folder; no file yet), then the bytes of the meeting's existing export file.
// The race's line is written or kept as the flag says; every other line stays
// as it was; a failure leaves the file's bytes as they were.
inline TFailures CheckExport(QByteArrayView data) {
  TFailures f;
  TFuzzInput in(data);
  const int day = in.Byte() % 20 + 1;
  const int raceNumber = in.Byte() % 12 + 1;
  const quint8 flags = in.Byte();
  const bool overwrite = flags & 1;
  const QByteArray existing = in.Rest().toByteArray();
  const bool hasFile = !(flags & 4);

  QTemporaryDir dir;
  TSettings settings;
  settings.TargetDir = flags & 2 ? dir.filePath(QStringLiteral("FUKA_TIME")) : dir.path();
  QDir().mkpath(settings.TargetDir);
  const TRaceEntry entry = ExportRace(day, raceNumber);
  const QString path = ExportFilePath(entry.PositionLine, settings.TargetDir);
  if (hasFile) WriteFileAtomically(path, existing);

  const QByteArray blank(90, ' ');
  const TByteLines before = hasFile ? SplitLines(existing) : TByteLines(96, blank);
  try {
    ExportCorrectedTimes(entry, overwrite, settings);
  } catch (const TRavekError& error) {
    f.Expect(!hasFile || FileBytes(path) == existing,
             QStringLiteral("failed export (%1) changed the file").arg(error.Message()));
    f.Expect(hasFile || !QFile::exists(path), QStringLiteral("failed export left a file"));
    return f;
  }
  const TByteLines after = ReadLines(path);
  const qsizetype target = qsizetype(day - 1) * 12 + raceNumber - 1;
  f.Expect(after.size() > target && after.size() >= before.size(),
           QStringLiteral("%1 lines after, %2 before, race line %3")
               .arg(after.size())
               .arg(before.size())
               .arg(target));
  if (!f.Empty()) return f;
  for (qsizetype i = 0; i < after.size(); ++i) {
    if (i == target) continue;
    const QByteArray was = i < before.size() ? before[i] : blank;
    if (after[i] != was) {
      f.Expect(false, QStringLiteral("line %1 changed: %2 -> %3").arg(i).arg(Shown(was), Shown(after[i])));
      break;
    }
  }
  const QByteArray was = target < before.size() ? before[target] : blank;
  const QByteArray added = AddedTimeLine(entry.PositionLine, entry.Runners, settings.Distance);
  f.Expect(added.size() == 90, QStringLiteral("added-time line is %1 bytes").arg(added.size()));
  f.Expect(after[target] == (was == blank || overwrite ? added : was),
           QStringLiteral("race line %1: %2 (was %3)").arg(target).arg(Shown(after[target]), Shown(was)));
  return f;
}
