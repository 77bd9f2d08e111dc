#include "RecordsCommand.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

namespace {

const char Usage[] =
    "使い方: ravek-cli records FILE...\n"
    "  records  レコードファイル（RA・SE・HR、CP932）の各行を項目ごとに表示します\n";

}  // namespace

int main(int argc, char* argv[]) {
  QCoreApplication app(argc, argv);
  QStringList arguments = app.arguments();
  arguments.removeFirst();
  if (!arguments.isEmpty() && (arguments.first() == u"-h" || arguments.first() == u"--help")) {
    std::fputs(Usage, stdout);
    return 0;
  }
  if (arguments.size() < 2 || arguments.first() != u"records") {
    std::fputs(Usage, stderr);
    return 1;
  }
  arguments.removeFirst();
  return RunRecordsCommand(arguments, stdout, stderr);
}
