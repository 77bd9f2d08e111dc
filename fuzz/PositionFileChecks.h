#pragma once

#include "fuzz/FuzzSupport.h"
#include "position/BynaryUnit.h"
#include "text/Errors.h"
#include "text/LineFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

inline bool HexOnly(QByteArrayView line) {
  return std::all_of(line.begin(), line.end(),
                     [](char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); });
}

// Input: the bytes of a position file. What loads saves and loads back the
// same; a damaged tail is reported, and its copy is the file as it was.
inline TFailures CheckPositionFile(QByteArrayView data) {
  TFailures f;
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("Position.dat"));
  WriteFileAtomically(path, data);

  TByteLines list{QByteArrayLiteral("0123")};
  const TPositionLoad load = TByn::LoadPositions(list, path);
  f.Expect(list.value(0) == "0123", QStringLiteral("LoadPositions touched the lines already in the list"));
  list.removeFirst();
  f.Expect(load.Records == list.size(),
           QStringLiteral("Records %1 for %2 lines").arg(load.Records).arg(list.size()));
  f.Expect(load.Damaged == (load.DamagedBytes > 0) && load.DamagedBytes <= data.size(),
           QStringLiteral("Damaged %1 with %2 bytes").arg(load.Damaged).arg(load.DamagedBytes));
  qsizetype packed = 0;
  for (const QByteArray& line : list) {
    f.Expect(HexOnly(line), QStringLiteral("loaded line is not hexadecimal: %1").arg(Shown(line)));
    packed += 4 + (line.size() + 1) / 2;
  }
  f.Expect(packed + load.DamagedBytes == data.size(),
           QStringLiteral("%1 record bytes and %2 damaged bytes in a file of %3")
               .arg(packed)
               .arg(load.DamagedBytes)
               .arg(data.size()));
  if (!f.Empty()) return f;

  if (load.Damaged) {
    const QString copy = TByn::KeepDamagedOriginal(path);
    f.Expect(copy != path && FileBytes(copy) == data.toByteArray(),
             QStringLiteral("the kept copy of a damaged file differs from it"));
    f.Expect(FileBytes(path) == data.toByteArray(), QStringLiteral("keeping a copy changed the file"));
  }

  const QString again = dir.filePath(QStringLiteral("Again.dat"));
  TByn::SavePositions(list, again);
  const QByteArray saved = FileBytes(again);
  f.Expect(saved.size() == packed,
           QStringLiteral("saved %1 bytes for %2 record bytes").arg(saved.size()).arg(packed));
  TByteLines reloaded;
  const TPositionLoad second = TByn::LoadPositions(reloaded, again);
  f.Expect(!second.Damaged && reloaded == list, QStringLiteral("saved lines do not load back the same"));
  TByn::SavePositions(reloaded, again);
  f.Expect(FileBytes(again) == saved, QStringLiteral("saving the reloaded lines gives other bytes"));
  return f;
}
