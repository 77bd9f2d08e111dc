#include "CliArgs.h"

#include <QDir>

#include <array>

using namespace Qt::StringLiterals;

namespace {

struct TCommandSyntax {
  QString Name;
  QStringList ValueOptions;
  QStringList FlagOptions;
  int MinPositional = 0;
  int MaxPositional = 0;  // -1: any number
};

const QList<TCommandSyntax>& Commands() {
  static const QList<TCommandSyntax> commands{
      {u"demo-feed"_s, {u"--end"_s, u"--days"_s, u"--seed"_s}, {}, 1, 1},
      {u"download"_s, {u"--feed"_s, u"--now"_s}, {u"--verbose"_s}, 0, 0},
      {u"days"_s, {u"--from"_s, u"--to"_s}, {u"--json"_s}, 0, 0},
      {u"day"_s, {u"--mode"_s, u"--filter"_s, u"--threshold"_s}, {u"--json"_s, u"--csv"_s}, 0, 1},
      {u"bias"_s, {u"--from"_s, u"--to"_s}, {u"--json"_s}, 0, 1},
      {u"race"_s, {}, {u"--json"_s}, 1, 1},
      {u"export"_s, {u"--target"_s}, {u"--all"_s}, 0, 1},
      {u"import"_s, {u"--from"_s, u"--to"_s}, {}, 1, 1},
      {u"horse"_s, {}, {u"--json"_s}, 1, 1},
      {u"jockey"_s, {}, {u"--json"_s}, 1, 1},
      {u"wide"_s, {u"--from"_s, u"--to"_s, u"--min-loss"_s, u"--min-gain"_s}, {u"--json"_s}, 0, 0},
      {u"restore"_s, {}, {}, 0, 0},
      // Developer aid: decodes record files field by field.
      {u"records"_s, {}, {}, 1, -1},
  };
  return commands;
}

const TCommandSyntax* FindCommand(const QString& name) {
  for (const TCommandSyntax& command : Commands())
    if (command.Name == name) return &command;
  return nullptr;
}

TCliError Usage(const QString& message) {
  return TCliError(message, true);
}

}  // namespace

QString AbsolutePath(const QString& path) {
  return QDir::cleanPath(QDir::current().absoluteFilePath(path));
}

int ParseCount(const QString& option, const QString& text, int min, int max) {
  bool ok = false;
  const int value = text.toInt(&ok);
  // toInt accepts blanks around the digits; a command line value should not carry them.
  if (!ok || text.trimmed() != text || value < min || value > max)
    throw Usage(
        u"%1 には %2 から %3 までの整数を指定してください: %4"_s.arg(option).arg(min).arg(max).arg(text));
  return value;
}

QDateTime ParseNow(const QString& text) {
  const QDateTime now = QDateTime::fromString(text, u"yyyy-MM-dd HH:mm"_s);
  if (!now.isValid())
    throw Usage(u"--now には日時を \"YYYY-MM-DD HH:MM\" で指定してください: %1"_s.arg(text));
  return now;
}

TCliArgs ParseCliArgs(const QStringList& arguments, const QString& currentDir) {
  TCliArgs args;
  QString appDir = u"."_s;
  const TCommandSyntax* command = nullptr;
  for (qsizetype i = 0; i < arguments.size(); ++i) {
    QString word = arguments[i];
    if (word == u"-h" || word == u"--help" || (!command && word == u"help")) {
      args.Help = true;
      continue;
    }
    if (word.startsWith(u"--")) {
      QString value;
      bool inlineValue = false;
      const qsizetype equals = word.indexOf(u'=');
      if (equals > 0) {
        value = word.mid(equals + 1);
        word.truncate(equals);
        inlineValue = true;
      }
      const bool global = word == u"--app-dir";
      const bool takesValue = global || (command && command->ValueOptions.contains(word));
      const bool isFlag = command && command->FlagOptions.contains(word);
      if (!takesValue && !isFlag) {
        if (!command && !global) throw Usage(u"コマンドより前に置けないオプションです: %1"_s.arg(word));
        throw Usage(u"%1 コマンドにはないオプションです: %2"_s.arg(command->Name, word));
      }
      if (isFlag) {
        if (inlineValue) throw Usage(u"%1 は値を取りません"_s.arg(word));
        args.Flags.insert(word);
        continue;
      }
      if (!inlineValue) {
        if (i + 1 >= arguments.size()) throw Usage(u"%1 の値がありません"_s.arg(word));
        value = arguments[++i];
      }
      if (global)
        appDir = value;
      else
        args.Values.insert(word, value);
      continue;
    }
    if (!command) {
      command = FindCommand(word);
      if (!command) throw Usage(u"不明なコマンドです: %1"_s.arg(word));
      args.Command = word;
      continue;
    }
    args.Positional.append(word);
  }
  args.AppDir = QDir::cleanPath(QDir(currentDir).absoluteFilePath(appDir));
  if (args.Help) return args;
  if (!command) throw Usage(u"コマンドを指定してください"_s);
  const int count = int(args.Positional.size());
  if (count < command->MinPositional) throw Usage(u"%1 コマンドの引数が足りません"_s.arg(command->Name));
  if (command->MaxPositional >= 0 && count > command->MaxPositional)
    throw Usage(u"%1 コマンドの引数が多すぎます: %2"_s.arg(command->Name, args.Positional.last()));
  return args;
}

QString HelpText() {
  return uR"(使い方: ravek-cli [--app-dir DIR] COMMAND [引数...]

開始ディレクトリ DIR（省略時は現在のディレクトリ）はデスクトップ版と同じ構成です:
設定ファイル RAVEK.INI を DIR に、データファイルを DIR/Data に置きます。
設定ファイルは読むだけで書き換えません。データを書くのは download、export、import、restore だけです。

コマンド:
  demo-feed FEED [--end YYYYMMDD] [--days N] [--seed N]
      デモの配信データ（FEED/0B12/yyyymmdd.txt）を書きます。
      --end 最終日（既定: 今日）、--days 日数（既定: 8）、--seed 乱数の種（既定: 1）。
  download [--feed FEED] [--now "YYYY-MM-DD HH:MM"] [--verbose]
      最近の速報成績をダウンロードしてデータファイルと Position.dat を更新します。
      配信元は --feed のフォルダ、なければ FeedLink.ini の設定、なければデモ配信
      （DIR/DemoFeed、足りない日はその場で作ります）。--now は「今日」と時刻を固定します
      （9時36分より前なら8日分、以後は7日分）。標準エラーに1日1行で取得したレース数
      （開催のない日は「開催なし」、取得できなかった日は理由）を出します。--verbose を
      付けると進行パネルの表示と配信元との状態（JVRTOpen、JVClose などの結果）も出します。
  days [--from YYYYMMDD] [--to YYYYMMDD] [--json]
      データとアーカイブにある開催日を古い順に、開催（場・回・日目）とレース数で一覧します。
  day [YYYYMMDD] [--mode start|3c|4c|jockey] [--threshold N] [--filter all|turf|dirt] [--json | --csv]
      成績一覧: 1日分の各場 1R〜12R のコース・距離、レース名、クラス、馬場と上位3頭。
      日付を省くと最新の日。上位3頭の表示:
        start   枠番・馬番と枠の色（設定 Display で8色か3色）
        3c, 4c  ３コーナー・４コーナーの位置（逃げ 先行 好位 中団 後方）と IN/OUT、* は大外
        jockey  複勝払戻金と、その日 N 回（--threshold、既定 1）以上3着以内の騎手名
      --filter turf/dirt で対象外のレースは上位3頭を出しません。馬場の後の ＊ は雨か雪。
      --csv はその日の全出走馬を1頭1行の CSV（UTF-8、BOM 付き、見出し行つき）で出します:
      レースキー（R と16桁）、日付、場、R、レース名、芝ダ、距離、クラス、馬場、枠、馬番、馬名、
      騎手、着順、状態（消 外 止 など）、走破と走破(秒)、実走と実走(秒)、m/min、３・４コーナーの
      列と内外、ロス(m)、付加タイム(0.1秒)。成績一覧の順で、障害戦は除きます。
  bias [YYYYMMDD | --from YYYYMMDD --to YYYYMMDD] [--json]
      馬場傾向: その日の場・芝ダートごとに、上位3頭と全出走馬の ４コーナー・３コーナーの
      位置（逃げ〜後方）と内外（IN 中 OUT 大外）の頭数と割合、レース数と判定
      （前有利・差し有利・内有利・外有利・フラット、3レース未満はデータ不足）。日付を省くと最新の日。
      --from と --to で期間（開催の数日、1か月）をまとめて数えます。
  race RACEKEY [--json]
      レース画面の内容: 題名、順・番・馬名・走破・実走・m/min の表、各馬の
      区間ごとの位置（列-内外）、表示できる区間タブ、払戻。RACEKEY は16桁
      （day --csv の R つきの形でも可）。
  export (RACEKEY | --all) [--target DIR]
      補正タイム（付加タイム）を開催ごとのファイルに書きます。RACEKEY はそのレースの
      行を書き直し、--all は全レースのうちまだ空いている行だけを埋めます（障害戦は除く）。
      出力先は --target、なければ設定の Target（既定はデータフォルダ）。
  import FEED [--from YYYYMMDD] [--to YYYYMMDD]
      配信データのフォルダ（FEED/0B12/yyyymmdd.txt、何年分でも）をアーカイブ（Data/Archive.db）に
      取り込み、位置取りを Position.dat に加えます。中断しても、もう一度実行すれば同じ結果になります。
  horse NAME [--json]
  jockey NAME [--json]
      アーカイブにある馬・騎手の全成績: 日付、場、R、コース、馬場、馬番、馬名、騎手、着順、走破、
      実走、m/min、３・４コーナーの列-内外、外を回ったロス（m）、付加タイム。NAME は名前の一部でよく、
      ひらがな・カタカナ・半角を区別しません。いくつも当てはまるときは候補を示します。
  wide [--from YYYYMMDD] [--to YYYYMMDD] [--min-loss M] [--min-gain N] [--json]
      期間（省くと最新の日）に、外を回ったロスが M メートル以上（既定 10）、または実走の順位が
      着順を N 以上（既定 0 は使わない）上回った馬と、アーカイブにあればその次走。
  restore
      アーカイブを控え（Data/Archive.bak）から戻します。

--json を付けると同じ内容を JSON で標準出力に出します。

終了コード: 0 正常、1 使い方の誤り・データにない日付やレース、
            2 変換エラーまたはファイルエラー（内容を標準エラーに出します）。
)"_s;
}
