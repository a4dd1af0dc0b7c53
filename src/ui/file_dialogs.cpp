#include "ui/file_dialogs.h"

#include "sheets/export_folder.h"
#include "sheets/json_envelope.h"
#include "words/reporter.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>

namespace zc {

namespace {

// The JSON form is the one the command line reads and writes (see sheets/json_envelope.h).
const QString kSaveFilter = QStringLiteral("EXCEL file (*.xlsx *.xls);;JSON file (*.json);;(*.*) (*)");
// The documented label; .ods is read too, so it is offered with the Excel types.
const QString kOpenFilter = QStringLiteral("EXCEL file (*.xls *.xlsx *.ods);;JSON file (*.json);;(*.*) (*)");

// "xlsx" for "EXCEL file (*.xlsx *.xls);;...": the first file type the filter offers.
QString firstSuffix(const QString &filter)
{
    static const QRegularExpression pattern(QStringLiteral("\\*\\.([A-Za-z0-9]+)"));
    return pattern.match(filter).captured(1);
}

} // namespace

QString FileDialogs::exportFolder()
{
    return ExportFolder::locate();
}

QString WindowFileDialogs::saveFileName(const QString &dialogName, const QString &folder,
                                        const QString &proposedName, const QString &filter)
{
    QFileDialog dialog(m_owner, QString(), folder, filter);
    dialog.setObjectName(dialogName);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // The dialog's own question would name the chosen file, not the one written (x.xls
    // becomes x.xlsx): PageFiles asks instead.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setDefaultSuffix(firstSuffix(filter));
    // A name typed without a suffix takes the one of the file type picked.
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&dialog](const QString &picked) { dialog.setDefaultSuffix(firstSuffix(picked)); });
    dialog.selectFile(proposedName);
    if (dialog.exec() != QDialog::Accepted) return {};
    return dialog.selectedFiles().value(0);
}

QString WindowFileDialogs::openFileName(const QString &dialogName, const QString &folder,
                                        const QString &filter)
{
    QFileDialog dialog(m_owner, QString(), folder, filter);
    dialog.setObjectName(dialogName);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted) return {};
    return dialog.selectedFiles().value(0);
}

PageFiles::PageFiles(Reporter &reporter, FileDialogs *dialogs, Clock now, QWidget *owner)
    : m_reporter(reporter), m_dialogs(dialogs), m_now(std::move(now))
{
    if (!m_dialogs) {
        m_own = std::make_unique<WindowFileDialogs>(owner);
        m_dialogs = m_own.get();
    }
    if (!m_now) m_now = [] { return QDateTime::currentDateTime(); };
}

PageFiles::~PageFiles() = default;

QString PageFiles::stampedName(const QString &prefix) const
{
    return ExportFolder::stampedName(prefix, m_now());
}

QString PageFiles::askWorkbookToSave(const QString &prefix, const QString &dialogName)
{
    QString folder = m_dialogs->exportFolder(), name = stampedName(prefix);
    for (;;) {
        const QString chosen = m_dialogs->saveFileName(dialogName, folder, name, kSaveFilter);
        if (chosen.isEmpty()) return {};
        const QString target = JsonEnvelope::isJsonFile(chosen) ? chosen : WorkbookWriter::xlsxPath(chosen);
        const QFileInfo info(target);
        // Enter keeps the file: replacing it is the choice that loses data.
        if (!info.exists() || info.isDir() ||
            m_reporter.confirm(QStringLiteral("%1 already exists.\nDo you want to replace it?")
                                   .arg(QDir::toNativeSeparators(target)),
                               Reporter::Prompt::Question, Reporter::Default::Cancel))
            return target;
        folder = QFileInfo(chosen).absolutePath();
        name = QFileInfo(chosen).fileName();
    }
}

QString PageFiles::askWorkbookToOpen(const QString &dialogName)
{
    return m_dialogs->openFileName(dialogName, m_dialogs->exportFolder(), kOpenFilter);
}

void PageFiles::reportSaved(const SheetSaveResult &result)
{
    if (result.ok())
        reportWritten(result.path);
    else
        m_reporter.messageDialog(result.error);
}

void PageFiles::saveJson(const QString &path, const QByteArray &bytes)
{
    reportSaved({path, ExportFolder::writeFile(path, bytes)});
}

void PageFiles::writeCsvExport(const QString &prefix, int last,
                               const std::function<QByteArray(const RowDone &)> &build)
{
    const QString path = QDir(m_dialogs->exportFolder()).filePath(stampedName(prefix));
    const QByteArray bytes = build([this, last](int row) {
        m_reporter.setProgress(row * 100 / (last + 1));
        m_reporter.setStatus(QStringLiteral("Export.csv:%1/%2").arg(row - 1).arg(last));
    });
    if (const QString error = ExportFolder::writeFile(path, bytes); !error.isEmpty())
        m_reporter.messageDialog(error);
    else
        reportWritten(path);
}

void PageFiles::reportWritten(const QString &path)
{
    m_reporter.fileSaved(QFileInfo(path).absoluteFilePath());
}

} // namespace zc
