#pragma once

#include <QDateTime>
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

// A request the command line cannot carry out as given: a usage error, or a
// date or race the data does not hold. Ends the program with exit code 1.
class TCliError {
public:
  explicit TCliError(QString message, bool usage = false) : FMessage(std::move(message)), FUsage(usage) {}
  const QString& Message() const { return FMessage; }
  // True when the help hint is to follow the message.
  bool Usage() const { return FUsage; }

private:
  QString FMessage;
  bool FUsage;
};

// The parsed command line: the global options, the command, its positional
// arguments, and its options with values ("--mode 3c" or "--mode=3c") and flags.
struct TCliArgs {
  QString AppDir;   // absolute
  QString Command;  // empty with Help
  QStringList Positional;
  QHash<QString, QString> Values;
  QSet<QString> Flags;
  bool Help = false;

  bool Has(const QString& option) const { return Values.contains(option) || Flags.contains(option); }
  QString Value(const QString& option, const QString& fallback = {}) const {
    return Values.value(option, fallback);
  }
};

// Throws TCliError (usage) for an unknown command or option, a missing option
// value or a wrong number of arguments. currentDir resolves a relative --app-dir.
TCliArgs ParseCliArgs(const QStringList& arguments, const QString& currentDir);

// A whole decimal number within [min, max], or TCliError (usage) naming the option.
int ParseCount(const QString& option, const QString& text, int min, int max);

// The --now value of both programs ("YYYY-MM-DD HH:MM"), or TCliError (usage).
QDateTime ParseNow(const QString& text);

// A path given on the command line, made absolute against the current directory.
QString AbsolutePath(const QString& path);

QString HelpText();
