#include "position/PositionFile.h"
#include "position/PositionLine.h"
#include "position/PositionMerge.h"

#include "support/RecordLines.h"
#include "text/Errors.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

class PositionFileTest : public testing::Test {
protected:
  QString Path(const char* name) const { return FDir.filePath(QString::fromLatin1(name)); }
  QTemporaryDir FDir;
};

TEST_F(PositionFileTest, RecordBytesAndRoundTrip) {
  const struct {
    TByteLines Lines;
    QByteArray Bytes;
  } cases[] = {
      {{"1234567"}, QByteArray::fromHex(Unspaced("07000000 12345670"))},
      {{"123"}, QByteArray::fromHex(Unspaced("03000000 1230"))},
      {{""}, QByteArray::fromHex("00000000")},
      {{"FEDCBA9876543"}, QByteArray::fromHex(Unspaced("0d000000 fedcba98765430"))},
      {{}, QByteArray()},
      {{"12", "", "9"}, QByteArray::fromHex(Unspaced("02000000 12 00000000 01000000 90"))},
  };
  for (const auto& c : cases) {
    const QString path = Path("Position.dat");
    TPositionFile::SavePositions(c.Lines, path);
    EXPECT_EQ(ReadAll(path), c.Bytes) << c.Lines.join('|').constData();
    TByteLines back{"kept"};
    const TPositionLoad load = TPositionFile::LoadPositions(back, path);
    EXPECT_EQ(back, TByteLines{"kept"} + c.Lines);
    EXPECT_EQ(load.Records, c.Lines.size());
    EXPECT_FALSE(load.Damaged);
  }
}

TEST_F(PositionFileTest, HexLettersReadBackInUpperCase) {
  TPositionFile::SavePositions({"0aF"}, Path("Position.dat"));
  TByteLines back;
  TPositionFile::LoadPositions(back, Path("Position.dat"));
  EXPECT_EQ(back, TByteLines{"0AF"});
}

TEST_F(PositionFileTest, LongLineOfEveryDigit) {
  QByteArray line;
  for (int i = 0; i < 1001; ++i) line.append(static_cast<char>('0' + i % 10));
  TPositionFile::SavePositions({line, line.left(1000)}, Path("Position.dat"));
  TByteLines back;
  TPositionFile::LoadPositions(back, Path("Position.dat"));
  EXPECT_EQ(back, (TByteLines{line, line.left(1000)}));
}

TEST_F(PositionFileTest, MissingFileAddsNothing) {
  TByteLines list{"1"};
  const TPositionLoad load = TPositionFile::LoadPositions(list, Path("none.dat"));
  EXPECT_EQ(list, TByteLines{"1"});
  EXPECT_EQ(load.Records, 0);
  EXPECT_FALSE(load.Damaged);
}

TEST_F(PositionFileTest, DamagedTailKeepsCompleteRecords) {
  const QByteArray good = QByteArray::fromHex(Unspaced("03000000 1230 02000000 45"));
  const struct {
    const char* What;
    QByteArray Tail;
  } cases[] = {
      {"length cut short", QByteArray::fromHex("0500")},
      {"fewer bytes than the length asks", QByteArray::fromHex(Unspaced("05000000 1234"))},
      {"negative length", QByteArray::fromHex(Unspaced("ffffffff 12"))},
      {"huge length", QByteArray::fromHex(Unspaced("ffffff7f 12"))},
  };
  for (const auto& c : cases) {
    WriteAll(Path("Position.dat"), good + c.Tail);
    TByteLines list;
    const TPositionLoad load = TPositionFile::LoadPositions(list, Path("Position.dat"));
    EXPECT_EQ(list, (TByteLines{"123", "45"})) << c.What;
    EXPECT_EQ(load.Records, 2) << c.What;
    EXPECT_TRUE(load.Damaged) << c.What;
    EXPECT_EQ(load.DamagedBytes, c.Tail.size()) << c.What;
  }
}

// Three 1200 m races of two horses; the middle record's length field or one
// of its digits is changed: the records after it are found again, and only it is lost.
TEST_F(PositionFileTest, DamagedRecordCostsOnlyItself) {
  const auto race = [](char r) {
    return QByteArray("202405120502061") + r + "120017" + "02" + "10" + QByteArray(16, r) + "20" +
           QByteArray(16, '1');
  };
  const TByteLines lines{race('1'), race('2'), race('3')};
  const QString path = Path("Position.dat");
  TPositionFile::SavePositions(lines, path);
  const QByteArray good = ReadAll(path);
  const qsizetype second = 4 + lines[0].size() / 2;
  const struct {
    const char* What;
    int Byte;
    char Value;
  } cases[] = {{"length past the end", 3, '\x40'},
               {"negative length", 3, '\xf0'},
               {"length a few bytes longer", 0, '\x42'},
               {"length a few bytes shorter", 0, '\x30'},
               {"length of two records", 0, '\x78'}};
  for (const auto& c : cases) {
    QByteArray bytes = good;
    bytes[second + c.Byte] = c.Value;
    WriteAll(path, bytes);
    TByteLines list;
    const TPositionLoad load = TPositionFile::LoadPositions(list, path);
    EXPECT_EQ(list, (TByteLines{lines[0], lines[2]})) << c.What;
    EXPECT_TRUE(load.Damaged) << c.What;
    EXPECT_EQ(load.FirstDamage, second) << c.What;
    EXPECT_EQ(load.DamagedBytes, 4 + lines[1].size() / 2) << c.What;
    EXPECT_EQ(load.LostRecords, 1) << c.What;
  }
  // A letter in place of any one digit costs that record too, and the race is
  // named while its key still reads.
  for (qsizetype i = 0; i < lines[1].size(); ++i) {
    QByteArray bytes = good;
    char& byte = bytes[second + 4 + i / 2];
    byte = static_cast<char>(i % 2 == 0 ? byte | 0xf0 : byte | 0x0f);
    WriteAll(path, bytes);
    TByteLines list;
    const TPositionLoad load = TPositionFile::LoadPositions(list, path);
    EXPECT_EQ(list, (TByteLines{lines[0], lines[2]})) << i;
    EXPECT_EQ(load.FirstDamage, second) << i;
    EXPECT_EQ(load.DamagedBytes, 4 + lines[1].size() / 2) << i;
    EXPECT_EQ(load.FirstDamagedRace, i < 16 ? QByteArray() : lines[1].first(16)) << i;
  }
}

// The saves splice lines into a sound file's bytes; the result is what the
// line merges and a save of all lines give.
TEST_F(PositionFileTest, SplicedMergesWriteWhatTheLineMergesWrite) {
  const auto race = [](char r, char entry = '1') {
    return QByteArray("202405120502061") + r + "120017" + "01" + "10" + QByteArray(16, entry);
  };
  const TByteLines stored{race('2'), race('4'), race('6')};
  const QString path = Path("Position.dat");
  const auto packed = [this](const TByteLines& lines) {
    TPositionFile::SavePositions(lines, Path("Expected.dat"));
    return ReadAll(Path("Expected.dat"));
  };
  const TByteLines cases[] = {
      {},
      {"", race('4', '2'), race('6')},
      {race('7'), race('1'), race('5', '3'), race('5'), race('3'), "", race('8')},
      {race('4', '3'), race('4', '5'), race('2', '2')},
      {"2024051205020615", "2024051205020616"},
  };
  for (const TByteLines& lines : cases) {
    TPositionFile::SavePositions(stored, path);
    TPackedPositions file;
    ASSERT_TRUE(file.Read(path));
    QByteArray bytes;
    ASSERT_TRUE(file.AddNewRaces(lines, bytes));
    EXPECT_EQ(bytes, packed(TPositionMerge::AddNewRaces(stored, lines, 16))) << lines.join('|').constData();
    bool changed = true;
    bytes.clear();
    ASSERT_TRUE(file.ReplaceRaces(lines, bytes, changed));
    const QByteArray replaced = packed(TPositionMerge::ReplaceRaces(stored, lines, 16));
    EXPECT_EQ(changed, replaced != packed(stored));
    if (changed) {
      EXPECT_EQ(bytes, replaced) << lines.join('|').constData();
    }
  }
  // Anything but sound position records in key order, or plain lines, is left to the line merges.
  TPackedPositions file;
  QByteArray bytes;
  bool changed = false;
  ASSERT_TRUE(file.Read(path));
  for (const QByteArray& odd :
       {race('5').replace(20, 1, "A"), QByteArray("20240512050206"), race('5') + "="}) {
    EXPECT_FALSE(file.AddNewRaces({odd}, bytes)) << odd.constData();
    EXPECT_FALSE(file.ReplaceRaces({odd}, bytes, changed)) << odd.constData();
  }
  for (const TByteLines& lines : {TByteLines{race('4'), race('2')}, TByteLines{race('2'), race('2')},
                                  TByteLines{race('2'), "2024051205020614"}}) {
    TPositionFile::SavePositions(lines, path);
    EXPECT_FALSE(file.Read(path)) << lines.join('|').constData();
  }
  EXPECT_FALSE(file.Read(Path("none.dat")));
}

TEST_F(PositionFileTest, NonHexLineIsRefusedAndFileKept) {
  const QString path = Path("Position.dat");
  TPositionFile::SavePositions({"1234"}, path);
  const QByteArray before = ReadAll(path);
  for (const QByteArray& bad :
       {QByteArray("12G4"), QByteArray("12 4"), QByteArray("12\r\n"), QByteArray("-1")}) {
    EXPECT_THROW(TPositionFile::SavePositions({"5678", bad}, path), TFileError) << bad.constData();
    EXPECT_EQ(ReadAll(path), before);
  }
  EXPECT_EQ(QDir(FDir.path()).entryList(QDir::Files), QStringList{QStringLiteral("Position.dat")});
}

TEST_F(PositionFileTest, DamagedOriginalIsKeptUnderAFreeName) {
  const QString path = Path("Position.dat");
  WriteAll(path, "first");
  EXPECT_EQ(TPositionFile::KeepDamagedOriginal(path), Path("Position.damaged"));
  WriteAll(path, "second");
  EXPECT_EQ(TPositionFile::KeepDamagedOriginal(path), Path("Position.damaged.2"));
  EXPECT_EQ(ReadAll(Path("Position.damaged")), "first");
  EXPECT_EQ(ReadAll(Path("Position.damaged.2")), "second");
  TPositionLoad load;
  load.Damaged = true;
  load.FirstDamage = 4;
  load.DamagedBytes = 30;
  load.LostRecords = 1;
  const QString message = TPositionFile::DamagedMessage(path, Path("Position.damaged"), load);
  EXPECT_TRUE(message.contains(QStringLiteral("4 バイト目")) &&
              message.contains(QStringLiteral("およそ 1 レース")))
      << message.toStdString();
}

TEST(PositionMergeTest, AddNewRacesKeepsStoredAndFirstOfDuplicates) {
  const TByteLines stored{"2024010106010102aa", "2024010106010101bb"};
  const TByteLines added{"2024010106010101NEW",  // already stored: not replaced
                         "",                     // empty: skipped
                         "2024010106010103first", "2024010106010103second", "2024010106010100cc"};
  EXPECT_EQ(TPositionMerge::AddNewRaces(stored, added, 16),
            (TByteLines{"2024010106010100cc", "2024010106010101bb", "2024010106010102aa",
                        "2024010106010103first"}));
  EXPECT_EQ(TPositionMerge::AddNewRaces({}, {}, 16), TByteLines{});
  EXPECT_EQ(TPositionMerge::AddNewRaces({}, {"2024010106010101x"}, 16), TByteLines{"2024010106010101x"});
}

TEST(PositionMergeTest, ReplaceRacesReplacesOnlyWhatIsStored) {
  const TByteLines stored{"2024010106010101old1", "2024010106010102old2"};
  const TByteLines current{"2024010106010102new2", "", "2024010106010109extra"};
  EXPECT_EQ(TPositionMerge::ReplaceRaces(stored, current, 16),
            (TByteLines{"2024010106010101old1", "2024010106010102new2"}));
  EXPECT_EQ(TPositionMerge::ReplaceRaces({}, current, 16), TByteLines{});
}

TEST(PositionMergeTest, NamesIgnoreCaseAndShortLinesSortAfterTheirPrefix) {
  // Letter case does not make a new name.
  EXPECT_EQ(TPositionMerge::AddNewRaces({"ABC1"}, {"abc9"}, 3), TByteLines{"ABC1"});
  EXPECT_EQ(TPositionMerge::ReplaceRaces({"ABC1"}, {"abc9"}, 3), TByteLines{"abc9"});
  // "=" after the key: a line no longer than the key sorts after longer lines
  // of the same prefix, as "12=" sorts after "12..." digits.
  EXPECT_EQ(TPositionMerge::AddNewRaces({}, {"12", "123", "1"}, 3), (TByteLines{"123", "12", "1"}));
}

// A sorted stored list is searched by bisection, any other one by a hash: both
// must give the same merge.
TEST(PositionMergeTest, SortedAndUnsortedStoredListsMergeAlike) {
  const TByteLines sorted{"20240101060101011", "2024010106010102a", "2024010106010102b", "20240101060101",
                          ""};
  // Lines of one name keep their order, so the first of a name is the same.
  const TByteLines shuffled{"2024010106010102a", "", "20240101060101011", "20240101060101",
                            "2024010106010102b"};
  const TByteLines current{"2024010106010102X", "2024010106010101Y", "20240101060101", "2024010106010109Z"};
  // Sorting ignores case: "b" before "X".
  const TByteLines replaced{"2024010106010101Y", "2024010106010102b", "2024010106010102X", "20240101060101",
                            ""};
  const TByteLines added{"20240101060101011", "2024010106010102a", "2024010106010102b",
                         "2024010106010109Z", "20240101060101",    ""};
  for (const TByteLines& stored : {sorted, shuffled}) {
    EXPECT_EQ(TPositionMerge::ReplaceRaces(stored, current, 16), replaced) << stored.join('|').constData();
    EXPECT_EQ(TPositionMerge::AddNewRaces(stored, current, 16), added) << stored.join('|').constData();
  }
}

// 0-based offset of horse n's entry for section g (back from the goal); -1
// where the line has no such entry.
TEST(PositionLineTest, EntryOffset) {
  // 7 sections, 10 horses: 24 + 10 * 30 characters.
  const QByteArray line = Unspaced("2024010106010101 1600 11 10") + QByteArray(300, '0');
  const QByteArray line13 = Unspaced("2024010106010101 2400 11 02") + QByteArray(2 * 54, '0');
  const struct {
    QByteArray Line;
    int N;
    int G;
    int Pos;
  } cases[] = {
      {line, 1, 7, 26},          {line, 2, 1, 80},
      {line, 10, 1, 320},        {line, 11, 1, -1},
      {line, 1, 8, -1},          {"", 1, 1, -1},
      {line, 0, 1, -1},          {line, 1, 0, -1},
      {line.left(20), 1, 1, -1}, {line.left(100), 10, 1, -1},  // the entry lies beyond a cut-short line
      {line13, 2, 13, 26 + 54},  {line13, 1, 1, 26 + 48},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TPositionLine(c.Line).EntryOffset(c.N, c.G), c.Pos)
        << c.Line.left(24).constData() << " n " << c.N << " g " << c.G;
  }
  EXPECT_THROW(TPositionLine(Unspaced("2024010106010101 16x0 11 10")).EntryOffset(1, 1), TConvertError);
}

// The view over a line reads its entries and writes them in place.
TEST(PositionLineTest, FieldsEntriesAndWrites) {
  QByteArray line = Unspaced("2024010104010101 1000 10 03") + QByteArray("50") + "01020304" + "05060708" +
                    "40" + "09101112" + "13141516" + "10" + "0000";
  const TPositionLine view(line);
  EXPECT_EQ(view.RaceKey(), "2024010104010101");
  EXPECT_EQ(view.VenueCode(), "04");
  EXPECT_EQ(view.Distance(), 1000);
  EXPECT_EQ(view.HorseCount(), 3);
  EXPECT_EQ(view.SectionCount(), 4);
  EXPECT_TRUE(view.IsStraight());
  EXPECT_EQ(view.FrameDigit(2), '4');
  EXPECT_EQ(view.FrameDigit(4), '\0');
  EXPECT_EQ(view.Entry(1, 4), "0102");
  EXPECT_EQ(view.Entry(2, 1), "1516");
  EXPECT_EQ(view.Row(2, 3), 11);
  EXPECT_EQ(view.Lane(2, 3), 12);
  EXPECT_EQ(view.Entry(3, 4), "0000");
  EXPECT_EQ(view.Entry(3, 3), "") << "cut short";
  EXPECT_EQ(view.Row(3, 3), 0);
  EXPECT_TRUE(TPositionLine::SetEntry(line, 1, 3, "0203"));
  EXPECT_EQ(line.mid(30, 4), "0203");
  EXPECT_FALSE(TPositionLine::SetEntry(line, 3, 1, "0101"));
  EXPECT_FALSE(TPositionLine::SetEntry(line, 1, 1, "01"));
  const struct {
    int Distance;
    int Sections;
  } sections[] = {{1000, 4}, {1400, 4}, {1401, 7}, {2000, 7}, {2001, 13}, {3600, 13}};
  for (const auto& c : sections) EXPECT_EQ(TPositionLine::SectionCount(c.Distance), c.Sections) << c.Distance;
}

}  // namespace
