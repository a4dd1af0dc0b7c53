// File dialogs, the clock and the export folder behind the pages' exports and imports.
// They are injected like the Reporter: the window uses QFileDialog and the local time,
// tests answer at once with paths of their own and a fixed time, so no test blocks on a
// modal dialog. PageFiles holds what every page's file actions share.
#pragma once

#include "sheets/workbook_writer.h"

#include <QDateTime>
#include <QString>

#include <functional>
#include <memory>

class QWidget;

namespace zc {

class Reporter;

class FileDialogs
{
public:
    virtual ~FileDialogs() = default;
    // The chosen file, or "" when the user cancelled. dialogName is the dialog's object name
    // (dlgSave1, ...; may be empty); filter is in QFileDialog's form
    // ("EXCEL file (*.xlsx *.xls);;(*.*) (*)"); proposedName has no folder. A save dialog does
    // not ask about replacing a file itself: the caller asks about the file it will write.
    virtual QString saveFileName(const QString &dialogName, const QString &folder,
                                 const QString &proposedName, const QString &filter) = 0;
    virtual QString openFileName(const QString &dialogName, const QString &folder, const QString &filter) = 0;
    // The folder the dialogs start in and text files are written to.
    virtual QString exportFolder();
};

// Modal QFileDialogs over the window.
class WindowFileDialogs : public FileDialogs
{
public:
    explicit WindowFileDialogs(QWidget *owner) : m_owner(owner) {}
    QString saveFileName(const QString &dialogName, const QString &folder, const QString &proposedName,
                         const QString &filter) override;
    QString openFileName(const QString &dialogName, const QString &folder, const QString &filter) override;

private:
    QWidget *m_owner;
};

using Clock = std::function<QDateTime()>;

class PageFiles
{
public:
    // dialogs and now may be left empty: then QFileDialogs over owner and the local time.
    PageFiles(Reporter &reporter, FileDialogs *dialogs, Clock now, QWidget *owner);
    ~PageFiles();

    // prefix followed by the local time as yyyy-MM-dd_hh-mm-ss (basicinf_R2026-12-06_10-15-30).
    QString stampedName(const QString &prefix) const;
    // The save dialog dialogName for a workbook or its JSON form, in the export folder with
    // the stamped name proposed. Returns the file that will really be written (x.xls chosen:
    // x.xlsx; a name ending in .json as it is: see JsonEnvelope::isJsonFile), after
    // asking whether to replace it when it exists (Cancel, the default, shows the dialog
    // again); "" when cancelled.
    QString askWorkbookToSave(const QString &prefix, const QString &dialogName = {});
    // The open dialog dialogName for a workbook or its JSON form, in the export folder; ""
    // when cancelled.
    QString askWorkbookToOpen(const QString &dialogName = {});
    // After a workbook was saved: the whole path of the file written in the status line, or the error.
    void reportSaved(const SheetSaveResult &result);
    // Writes a table's JSON form to path, reported as reportSaved does.
    void saveJson(const QString &path, const QByteArray &bytes);
    // Writes a CSV export of table rows 1..last named prefix + the time stamp taken now into
    // the export folder; the file written in the status line, or the error. build makes the
    // bytes after the name was taken, calling its argument with each row it has done: the
    // progress bar and "Export.csv:k/last" follow it.
    using RowDone = std::function<void(int row)>;
    void writeCsvExport(const QString &prefix, int last,
                        const std::function<QByteArray(const RowDone &)> &build);

private:
    void reportWritten(const QString &path);

    Reporter &m_reporter;
    std::unique_ptr<FileDialogs> m_own;
    FileDialogs *m_dialogs;
    Clock m_now;
};

} // namespace zc
