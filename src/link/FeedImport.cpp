#include "link/FeedImport.h"

#include "link/Download.h"
#include "link/JVLink.h"
#include "position/PositionSave.h"
#include "records/DateKey.h"
#include "records/RecordCheck.h"
#include "text/Errors.h"

#include <QDir>
#include <QFile>

using namespace Qt::StringLiterals;

namespace {

bool IsDayFileName(const QString& name) {
  if (name.size() != 12 || !name.endsWith(u".txt"_s)) return false;
  for (qsizetype i = 0; i < 8; ++i)
    if (!name[i].isDigit()) return false;
  return true;
}

// The day's final records, or why the day cannot be taken.
QString ReadDayFile(const QString& path, TArchiveRecords& records) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return file.errorString();
  TArchiveRecords day;
  for (QByteArray& line : SplitLines(file.readAll())) {
    const TRecordStream stream = StreamOf(line);
    if (stream == TRecordStream::None) continue;
    QString why = RecordLineFault(line);
    if (why.isEmpty()) why = RecordFieldFault(line);
    if (!why.isEmpty()) {
      const QByteArrayView key = ShownRaceKey(line);
      return key.isEmpty() ? why : why + u"（レース "_s + QString::fromLatin1(key) + u"）"_s;
    }
    TByteLines& lines = stream == TRecordStream::Race    ? day.RaceLines
                        : stream == TRecordStream::Horse ? day.UmaLines
                                                         : day.PayLines;
    lines.append(std::move(line));
  }
  records.RaceLines += day.RaceLines;
  records.UmaLines += day.UmaLines;
  records.PayLines += day.PayLines;
  return {};
}

}  // namespace

QDir FeedDayFolder(const QString& feedDir) {
  const QDir folder(QDir(feedDir).filePath(QString::fromLatin1(RealtimeResultsKind)));
  if (!folder.exists())
    throw TFileError(
        u"配信データのフォルダ %1 がありません。"_s.arg(QDir::toNativeSeparators(folder.path())));
  return folder;
}

TImportResult ImportFeed(const QString& feedDir, const QByteArray& from, const QByteArray& to,
                         TArchive& archive, const QString& dataDir, const TImportProgress& progress) {
  const QDir folder(QDir(feedDir).filePath(QString::fromLatin1(RealtimeResultsKind)));
  if (!folder.exists())
    throw TFileError(
        u"配信データのフォルダ %1 がありません。"_s.arg(QDir::toNativeSeparators(folder.path())));
  QStringList names;
  for (const QString& name : folder.entryList({u"*.txt"_s}, QDir::Files, QDir::Name)) {
    if (!IsDayFileName(name)) continue;
    const QByteArray day = name.left(8).toLatin1();
    if ((from.isEmpty() || day >= from) && (to.isEmpty() || day <= to)) names.append(name);
  }

  TImportResult result;
  TArchiveRecords year;
  const auto commit = [&] {
    if (year.RaceLines.isEmpty() && year.UmaLines.isEmpty() && year.PayLines.isEmpty()) return;
    // Positions first: a stop between the two leaves Position.dat ahead, which
    // the run again finds stored and keeps.
    const TPositionSaveResult saved = SaveDayPositions(year.RaceLines, dataDir, nullptr);
    if (!saved.Message.isEmpty()) result.Messages.append(saved.Message);
    result.Races += archive.AddRecords(year);
    year = {};
  };
  for (qsizetype i = 0; i < names.size(); ++i) {
    const QByteArray day = names[i].left(8).toLatin1();
    // A year to a transaction: Position.dat is rewritten whole for each, which for
    // years of history is the larger cost.
    if (i > 0 && names[i - 1].left(4) != names[i].left(4)) commit();
    const QString fault = ReadDayFile(folder.filePath(names[i]), year);
    if (fault.isEmpty())
      ++result.Days;
    else
      result.FailedDays.append(DateOfKey(day).toString(u"yyyy/MM/dd") + u": "_s + fault);
    if (progress) progress(int(i + 1), int(names.size()), day);
  }
  commit();
  return result;
}
