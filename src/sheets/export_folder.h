// Where exports go, and writing a text file there. Exports are proposed in configuration/
// beside the program; when the program runs from a place where that folder is missing or
// cannot be written to (a system-wide install), in the user's
// Documents/Zarvento Configurator/configuration, which is created when first needed.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace zc::ExportFolder {

// programFolder/configuration when it is a folder that can be written to; otherwise
// documentsFolder/Zarvento Configurator/configuration, created here when it is missing
// (if that fails the path is still returned, and writing there reports why).
QString locate(const QString &programFolder, const QString &documentsFolder);
// The same for this program's folder and the user's Documents folder.
QString locate();

// An export's file name: prefix followed by the local time as yyyy-MM-dd_hh-mm-ss
// (basicinf_R2026-12-06_10-15-30). No extension is added.
QString stampedName(const QString &prefix, const QDateTime &now);

// Writes bytes as the whole file at path, replacing a file of that name in one step: the
// bytes go to a temporary file beside it, every write, the flush to the disk and the close
// are checked, and only then is it renamed into place. A failure leaves no new file and an
// old one intact. Returns "" or a message naming the file and saying why ("the disk is
// full"). Every export to a file goes through here.
QString writeFile(const QString &path, const QByteArray &bytes);

// A system error number in words, for a file that could not be written.
QString writeReason(int errorNumber);

} // namespace zc::ExportFolder
