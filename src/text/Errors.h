#pragma once

#include <QString>

#include <exception>

// Errors that end the current user command but never the program. Each carries a
// message the user can read; what() gives it as UTF-8 for logs and the command line.
class TRavekError : public std::exception {
public:
  explicit TRavekError(QString message);
  const QString& Message() const noexcept { return FMessage; }
  const char* what() const noexcept override { return FUtf8.constData(); }

private:
  QString FMessage;
  QByteArray FUtf8;
};

// A field that should hold a number (a decimal integer, or the hexadecimal
// digits of a section mask) does not. The message quotes the field.
class TConvertError : public TRavekError {
public:
  using TRavekError::TRavekError;
};

// Data the command needs is missing, damaged or unfit for it: a race that is
// not in the store, a race without position data, a record that does not
// read, data files that do not form one set, a straight course asked for
// corrected times.
class TDataError : public TRavekError {
public:
  using TRavekError::TRavekError;
};

// A file could not be read or written, or a line could not be stored in it.
class TFileError : public TRavekError {
public:
  using TRavekError::TRavekError;
};
