#include "demo/DemoNames.h"

#include <algorithm>
#include <numeric>

namespace {

// The words horse names are made of, and the owners' prefixes. No word or
// prefix (nor the joining "ノ" and "オブ") begins another, so a name splits into
// its pieces one way only and different pieces make different names.
const char16_t* const Words[] = {
    u"ソラ",       u"カゼ",       u"ウミ",       u"ユメ",       u"ホシ",       u"ツキ",       u"ヒカリ",
    u"ハナ",       u"サクラ",     u"モミジ",     u"ユキ",       u"ニジ",       u"クモ",       u"ナミ",
    u"イズミ",     u"アカネ",     u"コハク",     u"ミモザ",     u"スズラン",   u"アザミ",     u"ツバキ",
    u"カエデ",     u"ヒバリ",     u"ツバメ",     u"カモメ",     u"イブキ",     u"ハヤテ",     u"イカズチ",
    u"シズク",     u"コダマ",     u"ヤマビコ",   u"ミナモ",     u"ハルカ",     u"カナタ",     u"アサヒ",
    u"ユウヒ",     u"ヨゾラ",     u"ミソラ",     u"ムスビ",     u"マドカ",     u"シオン",     u"リンドウ",
    u"ナデシコ",   u"キキョウ",   u"ヒマワリ",   u"アヤメ",     u"カスミ",     u"ホタル",     u"ホマレ",
    u"ツルギ",     u"カブト",     u"ヤイバ",     u"スター",     u"ムーン",     u"ライト",     u"ドリーム",
    u"ストーム",   u"フレア",     u"ブルー",     u"レッド",     u"ゴールド",   u"シルバー",   u"ダイヤ",
    u"ルビー",     u"パール",     u"エメラルド", u"ロード",     u"キング",     u"クイーン",   u"プリンス",
    u"レディ",     u"ソング",     u"ダンス",     u"メロディ",   u"リズム",     u"ハーモニー", u"ビート",
    u"ワルツ",     u"タンゴ",     u"ボレロ",     u"アリア",     u"ソナタ",     u"ダッシュ",   u"スピード",
    u"ジェット",   u"ロケット",   u"アロー",     u"ブレイブ",   u"フォース",   u"パワー",     u"ファイト",
    u"グローリー", u"トライ",     u"チャンス",   u"ミラクル",   u"エース",     u"ヒーロー",   u"レジェンド",
    u"ミライ",     u"キズナ",     u"ココロ",     u"ハート",     u"スマイル",   u"ハッピー",   u"ラッキー",
    u"ジョイ",     u"ピース",     u"ホープ",     u"フェイス",   u"ウイング",   u"ブーケ",     u"リボン",
    u"ティアラ",   u"クラウン",   u"ジュエル",   u"ブラック",   u"ホワイト",   u"グリーン",   u"ピンク",
    u"スプリング", u"サマー",     u"オータム",   u"ウインター", u"ファルコン", u"イーグル",   u"ホーク",
    u"ライオン",   u"タイガー",   u"ウルフ",     u"ドラゴン",   u"ペガサス",   u"ユニコーン", u"グリフォン",
    u"ブリーズ",   u"ウェーブ",   u"オーシャン", u"リバー",     u"レイク",     u"フォレスト", u"バレー",
    u"メドウ",     u"フィールド", u"ガーデン",   u"パーク",     u"ハーバー",   u"アイランド", u"ビーチ",
    u"コースト",   u"サンセット", u"サンライズ", u"モーニング", u"イブニング", u"スカイ",     u"クラウド",
    u"レイン",     u"スノー",     u"サンダー",   u"フロスト",   u"ミスト",     u"オーロラ",   u"コメット",
    u"メテオ",     u"プラネット", u"コスモス",   u"ネビュラ",   u"ステラ",     u"ルナ",       u"ソル",
    u"テラ",       u"アクア",     u"マーレ",     u"ハニー",     u"シュガー",   u"キャンディ", u"ショコラ",
    u"ミント",     u"ベリー",     u"チェリー",   u"レモン",     u"オレンジ",   u"メロン",     u"ピーチ",
    u"アップル",   u"ドレス",     u"ヴェール",   u"トロフィー", u"メダル",     u"ナイト",     u"シャドウ",
    u"ファントム", u"スピリット", u"ソウル",     u"マジック",   u"ミステリー", u"ワンダー",   u"ロマン",
    u"クエスト",   u"ジャーニー", u"ボヤージュ", u"ツアー",     u"パレード",   u"カーニバル", u"フェスタ",
    u"フィエスタ", u"キャプテン", u"ジェネラル", u"マエストロ", u"ドクター",   u"セイント",   u"エンジェル",
    u"エンペラー", u"エンプレス", u"カイザー",   u"スルタン",   u"ファラオ",   u"ヴィーナス", u"ジュピター",
    u"マーズ",     u"アポロ",     u"アテナ",     u"ミネルヴァ", u"ゼウス",     u"ヘルメス",   u"アルテミス",
    u"オリオン",   u"シリウス",   u"ベガ",       u"アルタイル", u"スピカ",     u"リゲル",     u"カペラ",
    u"ポラリス",   u"アンタレス", u"プロキオン", u"アルバ",     u"ルーチェ",   u"アモーレ",   u"ベラ",
    u"ドルチェ",   u"ヴィータ",   u"ソーレ",     u"カンターレ", u"ブリオ",     u"ヴェント",   u"フォルテ",
    u"ピアノ",     u"アレグロ",   u"アダージョ", u"カノン",     u"フーガ",     u"ラプソディ", u"セレナーデ",
    u"エチュード", u"マーチ",     u"ポルカ",     u"サンバ",     u"ルンバ",     u"マンボ",     u"サルサ",
    u"フラメンコ", u"ボサノバ",   u"パリ",       u"ローマ",     u"ミラノ",     u"ロンドン",   u"プラハ",
    u"リオ",       u"カイロ",     u"アテネ",     u"ウィーン",   u"ベルリン",   u"マドリード", u"リスボン",
    u"ナポリ",     u"モナコ",     u"カンヌ",     u"ニース",     u"ジュネーブ", u"ダブリン",   u"シドニー",
    u"ハバナ",     u"トパーズ",   u"サファイア", u"オパール",   u"ガーネット", u"アメジスト", u"クォーツ",
    u"ヒスイ",     u"サンゴ",     u"コーラル",   u"アンバー",   u"オニキス",   u"ラピッド",   u"スウィフト",
    u"クイック",   u"フラッシュ", u"スパーク",   u"ブレイズ",   u"フレイム",   u"ファイア",   u"ボルト",
    u"ターボ",     u"ハリケーン", u"タイフーン", u"サイクロン", u"トルネード", u"テンペスト", u"オーラ",
    u"ビジョン",   u"ホライズン", u"ゼニス",     u"ピーク",     u"サミット",   u"エレガンス", u"グレース",
    u"チャーム",   u"プリティ",   u"キュート",   u"クール",     u"ワイルド",   u"タフ",       u"ウォリアー",
    u"レンジャー", u"ハンター",   u"シーカー",   u"ライダー",   u"ランナー",   u"ファイター", u"ストリーム",
    u"カスケード", u"ブルック",   u"オペラ",     u"バラード",   u"ジャズ",     u"ゴスペル",   u"アスリート",
    u"アトラス",   u"タイタン",   u"オリンポス", u"エデン",     u"パラダイス", u"ヘブン",     u"オアシス",
    u"ミラージュ", u"ルミナス",   u"シャイン",   u"グロウ",     u"ティンクル", u"グリッター", u"ソレイユ",
    u"エトワール", u"フルール",   u"ボヌール",   u"アムール",   u"シエル",     u"メール",     u"ブランシュ",
    u"ヴェルデ",   u"ロッソ",     u"アズーロ",   u"ビアンカ",   u"ネロ",       u"ジャッロ",   u"ファースト",
    u"セカンド",   u"ベスト",     u"グランド",   u"ロイヤル",   u"マイティ",   u"スーパー",   u"ハイパー",
    u"ウルトラ",   u"メガ",       u"ギガ",       u"レーサー",   u"カウボーイ", u"ガンマン",   u"サムライ",
    u"ニンジャ",   u"ショーグン", u"ダイミョウ", u"トレジャー", u"ラック",     u"ドリーマー", u"ビリーバー",
    u"プロミス",   u"メモリー",   u"ヒストリー", u"ストーリー", u"テイル",     u"ポエム",     u"サーガ",
    u"エピック",   u"ロマネスク", u"アーク",     u"ゲート",     u"ブリッジ",   u"タワー",     u"キャッスル",
    u"パレス",     u"テンプル",   u"シップ",     u"セイル",     u"アンカー",   u"コンパス",   u"マリナー",
    u"キャラバン", u"ライナー",   u"ジェネシス", u"バード",     u"ホース",     u"ポニー",     u"スワン",
    u"ダヴ",       u"ロビン",     u"フィンチ",   u"スパロウ",   u"クレイン",   u"ヘロン",     u"ラビット",
    u"フォックス", u"ベア",       u"ディア",     u"ムース",     u"バイソン",   u"トゥモロー", u"トゥデイ",
    u"エターナル",
};
const char16_t* const Crowns[] = {
    u"アスカ", u"ミヤビ", u"ホクト",   u"カシマ", u"ヤマト", u"ヒノデ", u"イズモ",
    u"ミカド", u"タカネ", u"ミチノク", u"ヤクモ", u"シナノ", u"サツマ", u"トサ",
    u"ムサシ", u"エチゴ", u"ヒゼン",   u"ミノ",   u"オウミ",
};

const char16_t* const FamilyNames[] = {
    u"高森", u"北川", u"藤野", u"桐山", u"浜田", u"水城", u"大谷", u"菅原", u"岩瀬", u"柏木",
    u"野沢", u"宮坂", u"石黒", u"戸田", u"秋元", u"江島", u"滝本", u"杉浦", u"小椋", u"永井",
    u"佐伯", u"森岡", u"西村", u"川端", u"白石", u"中條", u"松浦", u"久保", u"三浦", u"竹内",
    u"原田", u"今井", u"吉岡", u"坂口", u"片山", u"堀江", u"村瀬", u"長尾", u"岡部", u"丹羽",
};
const char16_t* const GivenStarts[] = {
    u"拓真", u"雄一", u"翔太", u"健人", u"亮介", u"大地", u"直樹", u"悠斗", u"和也", u"誠司", u"光", u"勇",
    u"進",   u"優",   u"彩",   u"舞",   u"隼人", u"蓮",   u"陽介", u"晃",   u"剛",   u"学",   u"聡", u"潤",
};
const char16_t* const Stems[] = {
    u"若葉", u"水仙", u"紅梅", u"白梅", u"春風", u"青葉", u"鳴門", u"比叡", u"筑紫", u"阿蘇",
    u"銀嶺", u"初霜", u"朱雀", u"白秋", u"夕月", u"潮騒", u"浜風", u"雷光", u"清流", u"紫苑",
    u"葉月", u"長月", u"錦秋", u"天城", u"霧島", u"山吹", u"若駒", u"飛鳥", u"桂川", u"瀬戸",
};

QString FromUtf16(const char16_t* text) {
  return QString::fromUtf16(text);
}

constexpr int MaxNameLength = 9;

// Every name as a numbered block per form and first piece: a word and a second
// word, the two joined by "ノ" or "オブ", or an owner's prefix and a word.
class TNameSpace {
public:
  TNameSpace() {
    for (const char16_t* w : Words) FWords.append(FromUtf16(w));
    std::stable_sort(FWords.begin(), FWords.end(),
                     [](const QString& a, const QString& b) { return a.size() < b.size(); });
    for (int length = 0; length <= MaxNameLength; ++length)
      FUpTo[length] = static_cast<int>(
          std::count_if(FWords.begin(), FWords.end(), [&](const QString& w) { return w.size() <= length; }));
    for (int form = 0; form < 4; ++form) {
      const int firsts = form == 3 ? static_cast<int>(std::size(Crowns)) : static_cast<int>(FWords.size());
      for (int first = 0; first < firsts; ++first) {
        // Joined names start short ("ソラノ…", "キングオブ…").
        if ((form == 1 || form == 2) && FWords[first].size() > 3) continue;
        const int room = static_cast<int>(MaxNameLength - FirstOf(form, first).size() - JoinOf(form).size());
        const int seconds = room < 2 ? 0 : FUpTo[room] - (form != 3 && first < FUpTo[room] ? 1 : 0);
        if (seconds <= 0) continue;
        FBlocks.append({FCount, form, first, room});
        FCount += seconds;
      }
    }
    // A step coprime with the count walks the whole space in a scattered order.
    FStep = static_cast<qint64>(static_cast<double>(FCount) * 0.6180339887);
    while (std::gcd(FStep, FCount) != 1) ++FStep;
  }

  qint64 Count() const { return FCount; }

  QString Name(qint64 index) const {
    const qint64 at = ((index % FCount + FCount) % FCount * FStep + 7919) % FCount;
    const auto block = std::upper_bound(FBlocks.begin(), FBlocks.end(), at,
                                        [](qint64 value, const TBlock& b) { return value < b.Start; }) -
                       1;
    qsizetype second = at - block->Start;
    if (block->Form != 3 && block->First < FUpTo[block->Room] && second >= block->First) ++second;
    return FirstOf(block->Form, block->First) + JoinOf(block->Form) + FWords[second];
  }

private:
  struct TBlock {
    qint64 Start;
    int Form;
    int First;
    int Room;
  };

  QString FirstOf(int form, int first) const { return form == 3 ? FromUtf16(Crowns[first]) : FWords[first]; }
  static QString JoinOf(int form) {
    return form == 1 ? QStringLiteral("ノ") : (form == 2 ? QStringLiteral("オブ") : QString());
  }

  QStringList FWords;  // shortest first
  int FUpTo[MaxNameLength + 1] = {};
  QList<TBlock> FBlocks;
  qint64 FCount = 0;
  qint64 FStep = 1;
};

const TNameSpace& Names() {
  static const TNameSpace names;
  return names;
}

}  // namespace

namespace DemoNames {

QString HorseName(qint64 index) {
  return Names().Name(index);
}

qint64 HorseNameCount() {
  return Names().Count();
}

QString JockeyName(TDemoRandom& random) {
  const QString family = FromUtf16(random.Pick(FamilyNames));
  const QString given = FromUtf16(random.Pick(GivenStarts));
  return PadFullWidth(family + given, 4).left(4);
}

QStringList JockeyRoster(int seed) {
  TDemoRandom random = TDemoRandom::For({static_cast<std::uint64_t>(seed), 0x4a6f636b6579ull});
  QStringList roster;
  while (roster.size() < RosterSize) {
    const QString name = JockeyName(random);
    if (!roster.contains(name)) roster.append(name);
  }
  return roster;
}

QString RaceStem(TDemoRandom& random) {
  return FromUtf16(random.Pick(Stems));
}

QString PadFullWidth(const QString& text, int chars) {
  QString padded = text;
  while (padded.size() < chars) padded += u'\x3000';
  return padded;
}

}  // namespace DemoNames
