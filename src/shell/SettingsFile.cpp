#include "shell/SettingsFile.h"

#include "settings/SettingsModel.h"
#include "text/Cp932.h"
#include "text/Errors.h"
#include "text/IntConvert.h"

#include <QDir>
#include <QFileInfo>

#include <array>
#include <utility>

namespace {

enum class TKind { Int, Bool, Text };

struct TKeyDef {
  const char* Section;
  const char* Key;
  TKind Kind;
  int TSettings::*IntField;
  bool TSettings::*BoolField;
  int Min = 0;  // the range a number is held to; outside it the default stays
  int Max = 0;
};

// Far beyond any screen, yet a position plus any window size (at most Qt's
// largest, 16777215) still fits an int.
constexpr int PositionLimit = 16777215;
constexpr int RowMax = TSettingsModel::RowMax;
constexpr int LaneMax = TSettingsModel::LaneMax;

// Table order is write order. The ranges are those the settings dialog offers.
const std::array<TKeyDef, 14> Keys{{
    {"Position", "X", TKind::Int, &TSettings::X, nullptr, -PositionLimit, PositionLimit},
    {"Position", "Y", TKind::Int, &TSettings::Y, nullptr, -PositionLimit, PositionLimit},
    {"Folder", "Target", TKind::Text, nullptr, nullptr},
    {"Constant", "Distance", TKind::Int, &TSettings::Distance, nullptr, 2, 3},
    {"Constant", "Display", TKind::Bool, nullptr, &TSettings::Display},
    {"Constant", "UseTG", TKind::Bool, nullptr, &TSettings::UseTG},
    {"Constant", "Pay", TKind::Bool, nullptr, &TSettings::Pay},
    {"Constant", "Nige", TKind::Int, &TSettings::Nige, nullptr, 1, RowMax},
    {"Constant", "Senkou", TKind::Int, &TSettings::Senkou, nullptr, 1, RowMax},
    {"Constant", "Koui", TKind::Int, &TSettings::Koui, nullptr, 1, RowMax},
    {"Constant", "Tyuudan", TKind::Int, &TSettings::Tyuudan, nullptr, 1, RowMax},
    {"Constant", "Saiuti", TKind::Int, &TSettings::Saiuti, nullptr, 1, LaneMax},
    {"Constant", "Soto", TKind::Int, &TSettings::Soto, nullptr, TSettingsModel::SotoMin,
     TSettingsModel::SotoMax},
    {"Constant", "Osoto", TKind::Int, &TSettings::Osoto, nullptr, 1, LaneMax},
}};

const std::array<const char*, 3> Sections{"Position", "Folder", "Constant"};

// Our names are ASCII, so folding only A-Z never matches a CP932 lead or trail
// byte against them by mistake.
bool SameName(QByteArrayView a, QByteArrayView b) {
  if (a.size() != b.size()) return false;
  for (qsizetype i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = char(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = char(y - 'a' + 'A');
    if (x != y) return false;
  }
  return true;
}

struct TIniSection {
  bool HasHeader = false;  // false only for the lines before the first header
  QByteArray Name;
  QByteArray Header;  // the header line as read
  TByteLines Lines;
};

bool ParseHeader(const QByteArray& line, QByteArray& name) {
  const QByteArray t = line.trimmed();
  if (!t.startsWith('[')) return false;
  const qsizetype close = t.indexOf(']');
  if (close < 0) return false;
  name = t.mid(1, close - 1).trimmed();
  return true;
}

// The key of a "key=value" line; false for any other line.
bool ParseKey(const QByteArray& line, QByteArray& key, QByteArray& value) {
  const qsizetype eq = line.indexOf('=');
  if (eq < 0) return false;
  key = line.left(eq).trimmed();
  value = line.mid(eq + 1).trimmed();
  return true;
}

QList<TIniSection> SplitSections(const TByteLines& lines) {
  QList<TIniSection> sections;
  sections.append(TIniSection{});
  for (const QByteArray& line : lines) {
    QByteArray name;
    if (ParseHeader(line, name)) {
      sections.append(TIniSection{true, name, line, {}});
    } else {
      sections.last().Lines.append(line);
    }
  }
  return sections;
}

bool IsTableSection(QByteArrayView name) {
  for (const char* s : Sections) {
    if (SameName(name, s)) return true;
  }
  return false;
}

bool IsTableKey(QByteArrayView section, QByteArrayView key) {
  for (const TKeyDef& def : Keys) {
    if (SameName(section, def.Section) && SameName(key, def.Key)) return true;
  }
  return false;
}

// The first value of the key in any section of that name, as the reader of the
// original file found it.
bool FindValue(const QList<TIniSection>& sections, const TKeyDef& def, QByteArray& value) {
  for (const TIniSection& section : sections) {
    if (!section.HasHeader || !SameName(section.Name, def.Section)) continue;
    for (const QByteArray& line : section.Lines) {
      QByteArray key;
      if (ParseKey(line, key, value) && SameName(key, def.Key)) return true;
    }
  }
  return false;
}

QByteArray ValueText(const TSettings& settings, const TKeyDef& def, const QString& dataDir) {
  switch (def.Kind) {
    case TKind::Int:
      return QByteArray::number(settings.*def.IntField);
    case TKind::Bool:
      return settings.*def.BoolField ? QByteArray("1") : QByteArray("0");
    case TKind::Text:
      break;
  }
  // The data folder is written as nothing, so a copied start directory
  // exports into its own data folder, not the original's.
  if (!dataDir.isEmpty() && QDir::cleanPath(settings.TargetDir) == QDir::cleanPath(dataDir)) return {};
  return EncodeCp932(settings.TargetDir);
}

}  // namespace

TSettings ParseSettings(const TByteLines& lines, const QString& dataDir) {
  const QList<TIniSection> sections = SplitSections(lines);
  TSettings settings;
  settings.TargetDir = dataDir;
  for (const TKeyDef& def : Keys) {
    QByteArray value;
    if (!FindValue(sections, def, value)) continue;
    if (def.Kind == TKind::Text) {
      // An empty folder would send exports to wherever the process happens to be.
      // Bytes that decode to nothing count as empty too.
      // Trimmed after decoding, so a read-write-read cycle gives the same folder.
      const QString dir = DecodeCp932(value).trimmed();
      if (!dir.isEmpty()) settings.TargetDir = dir;
      continue;
    }
    int number = 0;
    try {
      number = StrToInt(value);
    } catch (const TConvertError&) {
      continue;  // not a number: the default stays
    }
    if (def.Kind == TKind::Int) {
      if (number >= def.Min && number <= def.Max) settings.*def.IntField = number;
    } else {
      settings.*def.BoolField = number != 0;
    }
  }
  return settings;
}

TByteLines ComposeSettings(const TByteLines& original, const TSettings& settings, const QString& dataDir) {
  const QList<TIniSection> sections = SplitSections(original);
  TByteLines out = sections.first().Lines;
  for (const char* sectionName : Sections) {
    out.append(QByteArray("[") + sectionName + ']');
    for (const TKeyDef& def : Keys) {
      if (SameName(def.Section, sectionName))
        out.append(QByteArray(def.Key) + '=' + ValueText(settings, def, dataDir));
    }
    // Whatever else stood in this section (from every header of that name) follows our keys.
    for (const TIniSection& section : sections) {
      if (!section.HasHeader || !SameName(section.Name, sectionName)) continue;
      for (const QByteArray& line : section.Lines) {
        QByteArray key, value;
        if (ParseKey(line, key, value) && IsTableKey(sectionName, key)) continue;
        out.append(line);
      }
    }
  }
  for (const TIniSection& section : sections) {
    if (!section.HasHeader || IsTableSection(section.Name)) continue;
    out.append(section.Header);
    out.append(section.Lines);
  }
  return out;
}

TSettingsFile::TSettingsFile(QString path) : FPath(std::move(path)) {}

TSettings TSettingsFile::Load(const QString& dataDir) {
  FDataDir = dataDir;
  FLines.clear();
  if (QFileInfo(FPath).isFile()) {
    try {
      FLines = ReadLines(FPath);
    } catch (const TFileError&) {
      // Unreadable counts as missing: defaults, no message.
      FLines.clear();
    }
  }
  return ParseSettings(FLines, dataDir);
}

void TSettingsFile::Save(const TSettings& settings) const {
  WriteLines(FPath, ComposeSettings(FLines, settings, FDataDir));
}
