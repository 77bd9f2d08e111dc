#include "CliCommands.h"

#include "demo/DemoService.h"
#include "link/Download.h"
#include "link/FeedLink.h"
#include "shell/ShellState.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {

QDate ParseDay(const QString& option, const QString& text) {
  const QDate day = QDate::fromString(text, u"yyyyMMdd"_s);
  if (text.size() != 8 || !day.isValid())
    throw TCliError(u"%1 には日付を YYYYMMDD で指定してください: %2"_s.arg(option, text), true);
  return day;
}

QString Slashed(const QByteArray& yyyymmdd) {
  return QString::fromLatin1(yyyymmdd.left(4) + '/' + yyyymmdd.mid(4, 2) + '/' + yyyymmdd.mid(6, 2));
}

}  // namespace

// Twenty years of racing at most, for histories to import.
constexpr int MaxFeedDays = 7320;

int RunDemoFeed(const TCliArgs& args, const TCliOutput& output) {
  const QString feed = AbsolutePath(args.Positional.first());
  const QDate end =
      args.Has(u"--end"_s) ? ParseDay(u"--end"_s, args.Value(u"--end"_s)) : QDate::currentDate();
  const int days =
      args.Has(u"--days"_s) ? ParseCount(u"--days"_s, args.Value(u"--days"_s), 1, MaxFeedDays) : 8;
  const int seed = args.Has(u"--seed"_s) ? ParseCount(u"--seed"_s, args.Value(u"--seed"_s), 0, 1 << 30) : 1;
  const QList<QDate> written = TDemoService(seed).WriteFeed(feed, end, days);
  output.Out(u"%1 開催日分の配信データを書きました: %2\n"_s.arg(written.size())
                 .arg(QDir(feed).filePath(QString::fromLatin1(RealtimeResultsKind))));
  for (const QDate& day : written) output.Out(u"  "_s + day.toString(u"yyyy/MM/dd"_s) + u'\n');
  return 0;
}

int RunDownload(const TCliArgs& args, const TCliOutput& output) {
  const QDateTime now =
      args.Has(u"--now"_s) ? ParseNow(args.Value(u"--now"_s)) : QDateTime::currentDateTime();
  TCliSession cli(args.AppDir, now, output);
  cli.Observer.SetVerbose(args.Flags.contains(u"--verbose"_s));
  TFeedLink& link = cli.Link;
  if (args.Has(u"--feed"_s)) {
    // For this run only: the link's own settings file is left as it is.
    TLinkSettings settings = link.Settings();
    settings.FeedFolder = AbsolutePath(args.Value(u"--feed"_s));
    link.SetSettings(settings);
  }
  // A feed folder that is not there would read as days without racing.
  if (!link.IsDemo() && !QFileInfo(link.FeedDir()).isDir())
    throw TCliError(u"配信フォルダ %1 がありません。"_s.arg(QDir::toNativeSeparators(link.FeedDir())));
  cli.Session.StartUp();
  output.Err(u"配信元: %1\n"_s.arg(link.FeedDir()));
  const TDownloadResult result = cli.Session.RunDownload();
  for (const QString& message : result.Messages) output.Err(message + u'\n');

  output.Out(u"%1日分を要求し、%2日分を取得しました。\n"_s.arg(result.DaysAsked).arg(result.DaysRead));
  if (!result.FilesWritten) output.Out(u"データファイルは書き換えていません。\n"_s);
  QStringList shown;
  for (const QByteArray& date : cli.Session.WeekDates()) shown.append(Slashed(date));
  output.Out(u"成績のある日: %1\n"_s.arg(shown.isEmpty() ? u"なし"_s : shown.join(u' ')));
  if (result.FailedDays.isEmpty()) return result.ArchiveFailed ? 2 : 0;
  output.Err(u"取得できなかった日があります。前に取得したその日の成績はそのまま残しました:\n"_s);
  for (const QString& day : result.FailedDays) output.Err(u"  "_s + day + u'\n');
  return 2;
}
