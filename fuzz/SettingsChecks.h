#pragma once

#include "fuzz/FuzzSupport.h"
#include "settings/Settings.h"
#include "settings/SettingsModel.h"
#include "shell/SettingsFile.h"
#include "text/LineFile.h"

#include <QFile>
#include <QHash>
#include <QTemporaryDir>

// True for a line that names one of the program's sections or keys, which the
// writer replaces; every other line is the user's and is kept.
inline bool IsOwnSettingsLine(const QByteArray& line, QByteArray& section) {
  static const QHash<QByteArray, QList<QByteArray>> keys{
      {"POSITION", {"X", "Y"}},
      {"FOLDER", {"TARGET"}},
      {"CONSTANT",
       {"DISTANCE", "DISPLAY", "USETG", "PAY", "NIGE", "SENKOU", "KOUI", "TYUUDAN", "SAIUTI", "SOTO",
        "OSOTO"}}};
  const QByteArray t = line.trimmed();
  const qsizetype close = t.indexOf(']');
  if (t.startsWith('[') && close >= 0) {
    section = t.mid(1, close - 1).trimmed();
    return keys.contains(section.toUpper());
  }
  const qsizetype eq = line.indexOf('=');
  if (eq < 0) return false;
  return keys.value(section.toUpper()).contains(line.left(eq).trimmed().toUpper());
}

// Input: the bytes of a settings file. Any bytes give settings the dialog
// holds to its rules; what is read writes back as the same settings; other settings written read back as
// written; and the user's own lines survive both writes.
inline TFailures CheckSettings(QByteArrayView data) {
  TFailures f;
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("RAVEK.INI"));
  const QString dataDir = QStringLiteral("/data/ravek");
  WriteFileAtomically(path, data);

  TSettingsFile file(path);
  const TSettings read = file.Load(dataDir);
  // Whatever the file holds, the numbers read are ones the dialog offers.
  const TSettingsModel dialog;
  const int bars[] = {read.Nige,    read.Senkou, read.Koui, read.Tyuudan,
                      read.Tyuudan, read.Saiuti, read.Soto, read.Osoto};
  bool inBars = true;
  for (int bar = 1; bar <= TSettingsModel::BarCount; ++bar)
    inBars = inBars && bars[bar - 1] >= dialog.Bar(bar).Min && bars[bar - 1] <= dialog.Bar(bar).Max;
  f.Expect(inBars && (read.Distance == 2 || read.Distance == 3),
           QStringLiteral(
               "settings read outside the dialog's range: Distance %1, bands %2 %3 %4 %5, lanes %6 %7 %8")
               .arg(read.Distance)
               .arg(read.Nige)
               .arg(read.Senkou)
               .arg(read.Koui)
               .arg(read.Tyuudan)
               .arg(read.Saiuti)
               .arg(read.Soto)
               .arg(read.Osoto));
  file.Save(read);
  TSettingsFile same(path);
  const TSettings reread = same.Load(dataDir);
  f.Expect(reread == read, QStringLiteral("settings read and written back read differently; Target %1 -> %2")
                               .arg(read.TargetDir, reread.TargetDir));

  TSettings changed;
  changed.X = -300;
  changed.Y = 16777215;
  changed.TargetDir = QStringLiteral("D:/競馬/補正タイム");
  changed.Distance = 3;
  changed.Display = true;
  changed.UseTG = true;
  changed.Pay = true;
  changed.Nige = 2;
  changed.Senkou = 4;
  changed.Koui = 7;
  changed.Tyuudan = 11;
  changed.Saiuti = 2;
  changed.Soto = 4;
  changed.Osoto = 6;
  same.Save(changed);
  f.Expect(TSettingsFile(path).Load(dataDir) == changed,
           QStringLiteral("written settings read back differently"));

  // Every line of the user's is in the file written, as often as it was read
  // (sections may move: the program's own come first).
  QByteArray section;
  QHash<QByteArray, int> own;
  for (const QByteArray& line : SplitLines(data)) {
    if (!IsOwnSettingsLine(line, section)) ++own[line];
  }
  for (const QByteArray& line : ReadLines(path)) {
    if (auto it = own.find(line); it != own.end() && --it.value() == 0) own.erase(it);
  }
  f.Expect(own.isEmpty(),
           QStringLiteral("user line lost: %1").arg(own.isEmpty() ? QString() : Shown(own.begin().key())));
  return f;
}
