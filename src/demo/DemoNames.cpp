#include "demo/DemoNames.h"

namespace {

// Pieces that join into names that read like horse names.
const char16_t* const HeadPieces[] = {
    u"アスカ", u"ベル",   u"ミラ",   u"シルバー", u"ゴールド", u"ウインド", u"スター", u"ブレイブ", u"ハート",
    u"ノヴァ", u"リリー", u"マリン", u"レイ",     u"ルナ",     u"ソラ",     u"カゼ",   u"ハナ",     u"ユメ",
    u"アオ",   u"ヒカリ", u"ミモザ", u"コハク",   u"サン",     u"ロイヤル", u"エル",   u"ティア",   u"フウガ",
};
const char16_t* const TailPieces[] = {
    u"ダンス", u"ソング",   u"エース",   u"キング", u"クイーン", u"ロード",   u"ミライ",
    u"ブルー", u"ノート",   u"ガール",   u"ボーイ", u"ライト",   u"ウェイ",   u"ビート",
    u"ローズ", u"リーフ",   u"ストーム", u"フレア", u"ドリーム", u"メロディ", u"ハーバー",
    u"カナタ", u"トキメキ", u"リズム",   u"アロー", u"テラス",
};
const char16_t* const MiddlePieces[] = {u"ノ", u"オブ", u"デ"};

const char16_t* const FamilyNames[] = {
    u"高森", u"北川", u"藤野", u"桐山", u"浜田", u"水城", u"大谷", u"菅原", u"岩瀬", u"柏木",
    u"野沢", u"宮坂", u"石黒", u"戸田", u"秋元", u"江島", u"滝本", u"杉浦", u"小椋", u"永井",
};
const char16_t* const GivenStarts[] = {
    u"拓真", u"雄一", u"翔太", u"健人", u"亮介", u"大地", u"直樹", u"悠斗",
    u"和也", u"誠司", u"光",   u"勇",   u"進",   u"優",   u"彩",   u"舞",
};
const char16_t* const Stems[] = {
    u"若葉", u"水仙", u"紅梅", u"白梅", u"春風", u"青葉", u"鳴門", u"比叡", u"筑紫", u"阿蘇",
    u"銀嶺", u"初霜", u"朱雀", u"白秋", u"夕月", u"潮騒", u"浜風", u"雷光", u"清流", u"紫苑",
    u"葉月", u"長月", u"錦秋", u"天城", u"霧島", u"山吹", u"若駒", u"飛鳥", u"桂川", u"瀬戸",
};

QString FromUtf16(const char16_t* text) {
  return QString::fromUtf16(text);
}

}  // namespace

namespace DemoNames {

QString HorseName(TDemoRandom& random) {
  for (;;) {
    QString name = FromUtf16(random.Pick(HeadPieces));
    if (random.Chance(0.15)) name += FromUtf16(random.Pick(MiddlePieces));
    if (random.Chance(0.92)) name += FromUtf16(random.Pick(TailPieces));
    if (name.size() >= 3 && name.size() <= 9) return name;
  }
}

QString JockeyName(TDemoRandom& random) {
  const QString family = FromUtf16(random.Pick(FamilyNames));
  const QString given = FromUtf16(random.Pick(GivenStarts));
  return PadFullWidth(family + given, 4).left(4);
}

QStringList JockeyRoster(int seed) {
  TDemoRandom random = TDemoRandom::For({static_cast<std::uint64_t>(seed), 0x4a6f636b6579ull});
  QStringList roster;
  while (roster.size() < 60) {
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
