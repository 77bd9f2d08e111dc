#pragma once

#include "fuzz/FuzzSupport.h"
#include "position/PositionFile.h"
#include "text/Errors.h"
#include "text/LineFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

inline bool HexOnly(QByteArrayView line) {
  return std::all_of(line.begin(), line.end(),
                     [](char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); });
}

// Position lines of 1200 m races made from the input, each a record; then one
// byte of the file changed, and apart from it one nibble set to a letter.
// Every record a change did not touch is read back, in order; a letter inside
// a record's characters makes the load damaged, naming the record's race, and
// no line read holds a letter.
inline void CheckChangedByte(QByteArrayView data, const QString& path, TFailures& f) {
  if (data.size() < 4) return;
  TByteLines lines;
  qsizetype at = 3;
  for (int race = 1; race <= 6 && at < data.size(); ++race) {
    const int horses = 1 + static_cast<unsigned char>(data[at++]) % 18;
    QByteArray line = "202405120502060" + QByteArray::number(race % 10) + "120017" +
                      QByteArray::number(horses).rightJustified(2, '0');
    for (int n = 1; n <= horses; ++n) {
      line += QByteArray::number(n % 8 + 1) + '0';
      for (int g = 0; g < 4; ++g) {
        const unsigned char b = at < data.size() ? static_cast<unsigned char>(data[at++]) : 0;
        // Rows 1 to 20 and lanes 1 to 9, or no position, as the converter writes them.
        line += b % 5 == 0 ? QByteArray("0000")
                           : QByteArray::number(b % 20 + 1).rightJustified(2, '0') + '0' + char('1' + b % 9);
      }
    }
    lines.append(line);
  }
  TPositionFile::SavePositions(lines, path);
  const QByteArray saved = FileBytes(path);
  const qsizetype pick = static_cast<unsigned char>(data[0]) << 8 | static_cast<unsigned char>(data[1]);
  const auto loadChanged = [&](const QByteArray& bytes, qsizetype changed, TPositionLoad& load) {
    WriteFileAtomically(path, bytes);
    TByteLines read;
    load = TPositionFile::LoadPositions(read, path);
    qsizetype start = 0;
    qsizetype next = 0;
    for (const QByteArray& line : lines) {
      const qsizetype end = start + 4 + (line.size() + 1) / 2;
      if (changed < start || changed >= end) {
        const qsizetype found = read.indexOf(line, next);
        f.Expect(found >= 0,
                 QStringLiteral("record at %1 lost after a change at %2").arg(start).arg(changed));
        if (found >= 0) next = found + 1;
      }
      start = end;
    }
    return read;
  };

  TPositionLoad load;
  QByteArray bytes = saved;
  const qsizetype changed = pick % bytes.size();
  bytes[changed] = static_cast<char>(bytes[changed] ^ (data[2] == 0 ? 1 : data[2]));
  loadChanged(bytes, changed, load);

  const qsizetype nibble = pick % (2 * saved.size());
  const char letter = static_cast<char>(10 + static_cast<unsigned char>(data[2]) % 6);
  bytes = saved;
  char& byte = bytes[nibble / 2];
  byte = static_cast<char>(nibble % 2 == 0 ? (byte & 0x0f) | letter << 4 : (byte & 0xf0) | letter);
  const TByteLines read = loadChanged(bytes, nibble / 2, load);
  for (const QByteArray& line : read)
    f.Expect(AllDigits(line), QStringLiteral("a line with a letter was read: %1").arg(Shown(line)));
  qsizetype start = 0;
  for (const QByteArray& line : lines) {
    const qsizetype character = nibble - 2 * (start + 4);
    if (character >= 0 && character < line.size()) {
      f.Expect(load.Damaged,
               QStringLiteral("a letter at character %1 of a record read clean").arg(character));
      if (character >= 16 && load.FirstDamage == start)
        f.Expect(load.FirstDamagedRace == line.first(16),
                 QStringLiteral("damage at %1 names race '%2'").arg(start).arg(Shown(load.FirstDamagedRace)));
    }
    start += 4 + (line.size() + 1) / 2;
  }
}

// Input: the bytes of a position file. What loads saves and loads back the
// same; a damaged stretch is reported, and its copy is the file as it was.
inline TFailures CheckPositionFile(QByteArrayView data) {
  TFailures f;
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("Position.dat"));
  WriteFileAtomically(path, data);

  TByteLines list{QByteArrayLiteral("0123")};
  const TPositionLoad load = TPositionFile::LoadPositions(list, path);
  f.Expect(list.value(0) == "0123", QStringLiteral("LoadPositions touched the lines already in the list"));
  list.removeFirst();
  f.Expect(load.Records == list.size(),
           QStringLiteral("Records %1 for %2 lines").arg(load.Records).arg(list.size()));
  f.Expect(load.Damaged == (load.DamagedBytes > 0) && load.DamagedBytes <= data.size() &&
               load.Damaged == (load.FirstDamage >= 0) && load.Damaged == (load.LostRecords > 0),
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
    const QString copy = TPositionFile::KeepDamagedOriginal(path);
    f.Expect(copy != path && FileBytes(copy) == data.toByteArray(),
             QStringLiteral("the kept copy of a damaged file differs from it"));
    f.Expect(FileBytes(path) == data.toByteArray(), QStringLiteral("keeping a copy changed the file"));
  }

  const QString again = dir.filePath(QStringLiteral("Again.dat"));
  TPositionFile::SavePositions(list, again);
  const QByteArray saved = FileBytes(again);
  f.Expect(saved.size() == packed,
           QStringLiteral("saved %1 bytes for %2 record bytes").arg(saved.size()).arg(packed));
  TByteLines reloaded;
  const TPositionLoad second = TPositionFile::LoadPositions(reloaded, again);
  f.Expect(!second.Damaged && reloaded == list, QStringLiteral("saved lines do not load back the same"));
  TPositionFile::SavePositions(reloaded, again);
  f.Expect(FileBytes(again) == saved, QStringLiteral("saving the reloaded lines gives other bytes"));
  CheckChangedByte(data, dir.filePath(QStringLiteral("Changed.dat")), f);
  return f;
}
