#include "text/Errors.h"
#include "text/LineFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

struct TSplitCase {
  const char* Name;
  QByteArray Bytes;
  TByteLines Lines;
};

class SplitLinesTest : public testing::TestWithParam<TSplitCase> {};

TEST_P(SplitLinesTest, Splits) {
  EXPECT_EQ(SplitLines(GetParam().Bytes), GetParam().Lines) << GetParam().Name;
}

INSTANTIATE_TEST_SUITE_P(Table, SplitLinesTest,
                         testing::Values(TSplitCase{"empty", QByteArray(), {}},
                                         TSplitCase{"crlf", "a\r\nb\r\n", {"a", "b"}},
                                         TSplitCase{"lf", "a\nb\n", {"a", "b"}},
                                         TSplitCase{"cr", "a\rb\r", {"a", "b"}},
                                         TSplitCase{"no final break", "a\r\nb", {"a", "b"}},
                                         TSplitCase{"blank lines kept", "a\r\n\r\n\nb", {"a", "", "", "b"}},
                                         TSplitCase{"lone break", "\r\n", {""}},
                                         TSplitCase{"lf cr is two breaks", "a\n\rb", {"a", "", "b"}},
                                         TSplitCase{"shift-jis bytes kept", "\x83\x45\r\n", {"\x83\x45"}}));

class LineFileTest : public testing::Test {
protected:
  QTemporaryDir Dir;
  QString Path(const char* name) const { return Dir.filePath(QString::fromLatin1(name)); }
  static QByteArray ReadAll(const QString& path) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return f.readAll();
  }
};

TEST_F(LineFileTest, WritesCrLfAndReadsBack) {
  const TByteLines lines{"RA7", "", "\x83\x45\x83\x7d"};
  WriteLines(Path("a.dat"), lines);
  EXPECT_EQ(ReadAll(Path("a.dat")), QByteArray("RA7\r\n\r\n\x83\x45\x83\x7d\r\n"));
  EXPECT_EQ(ReadLines(Path("a.dat")), lines);
}

TEST_F(LineFileTest, EmptyListGivesEmptyFile) {
  WriteLines(Path("e.dat"), {});
  EXPECT_TRUE(QFile::exists(Path("e.dat")));
  EXPECT_EQ(ReadAll(Path("e.dat")), QByteArray());
  EXPECT_TRUE(ReadLines(Path("e.dat")).isEmpty());
}

TEST_F(LineFileTest, MissingFileThrows) {
  EXPECT_THROW(ReadLines(Path("missing.dat")), TFileError);
}

TEST_F(LineFileTest, FailedWriteKeepsOldFile) {
  WriteLines(Path("keep.dat"), {"old"});
  // A directory where the file should go cannot be replaced.
  ASSERT_TRUE(QDir(Dir.path()).mkdir(u"sub"_s));
  EXPECT_THROW(WriteLines(Path("sub"), {"new"}), TFileError);
  EXPECT_THROW(WriteLines(Path("nowhere/x.dat"), {"new"}), TFileError);
  EXPECT_THROW(CopyFileAtomically(Path("missing.dat"), Path("keep.dat")), TFileError);
  EXPECT_EQ(ReadLines(Path("keep.dat")), TByteLines{"old"});
}

TEST(ErrorTest, MessageIsUtf8InWhat) {
  const TFileError e(QStringLiteral(u"書けません"));
  EXPECT_EQ(QString::fromUtf8(e.what()), QStringLiteral(u"書けません"));
}

}  // namespace
