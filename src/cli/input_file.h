// The files the command-line program reads: a regular file of at most 32 MB, or standard
// input ("-") with the same cap. Anything else (a FIFO, a folder, a device, a symlink loop)
// is refused at once with the reason, before it is opened: opening a FIFO would wait for a
// writer for ever.
#pragma once

#include <QString>
#include <QTemporaryFile>

#include <memory>

namespace zc::cli {

inline constexpr qint64 kMaxInputBytes = 32LL * 1024 * 1024;

class InputFile
{
public:
    // path: a file, or "-" for standard input, read whole into a temporary file whose
    // suffix names `format` (json, csv, xlsx, ods or xls: standard input has no name to tell
    // the type by). Check error() before use.
    InputFile(const QString &path, const QString &format);

    // "" or why the input cannot be read, naming it.
    const QString &error() const { return m_error; }
    // The file to load from.
    QString path() const;
    // The type --format gave ("" when none): for a file as for standard input.
    const QString &format() const { return m_format; }
    // Puts the input's own name in place of a temporary file's path in a message.
    QString named(QString message) const;

private:
    QString m_given;
    QString m_format;
    QString m_error;
    std::unique_ptr<QTemporaryFile> m_stdin;
};

// "" when path names a regular file of at most 32 MB that can be opened; otherwise the
// reason ("a FIFO (named pipe), not a file", "too many levels of symbolic links", ...).
QString inputFileProblem(const QString &path);

} // namespace zc::cli
