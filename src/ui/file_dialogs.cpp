#include "ui/file_dialogs.h"

#include "link/reporter.h"
#include "sheets/export_folder.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>

namespace zc {

namespace {

const QString kSaveFilter = QStringLiteral("EXCEL file (*.xlsx *.xls);;(*.*) (*)");
const QString kOpenFilter = QStringLiteral("EXCEL file (*.xls *.xlsx);;(*.*) (*)");

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

QString WindowFileDialogs::saveFileName(const QString &caption, const QString &folder,
                                        const QString &proposedName, const QString &filter)
{
    QFileDialog dialog(m_owner, caption, folder, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // A name typed without extension gets the filter's first type here, so the question
    // before replacing a file is asked about the file that will actually be written.
    dialog.setDefaultSuffix(firstSuffix(filter));
    dialog.selectFile(proposedName);
    if (dialog.exec() != QDialog::Accepted) return {};
    return dialog.selectedFiles().value(0);
}

QString WindowFileDialogs::openFileName(const QString &caption, const QString &folder, const QString &filter)
{
    return QFileDialog::getOpenFileName(m_owner, caption, folder, filter);
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
    return prefix + m_now().toString(QStringLiteral("yyyy-MM-dd_hh-mm-ss"));
}

QString PageFiles::askWorkbookToSave(const QString &prefix)
{
    return m_dialogs->saveFileName({}, m_dialogs->exportFolder(), stampedName(prefix), kSaveFilter);
}

QString PageFiles::askWorkbookToOpen()
{
    return m_dialogs->openFileName({}, m_dialogs->exportFolder(), kOpenFilter);
}

void PageFiles::reportSaved(const SheetSaveResult &result)
{
    if (result.ok())
        reportWritten(result.path);
    else
        m_reporter.messageDialog(result.error);
}

void PageFiles::writeTextFile(const QString &prefix, const std::function<QByteArray()> &build)
{
    const QString path = QDir(m_dialogs->exportFolder()).filePath(stampedName(prefix));
    if (const QString error = ExportFolder::writeFile(path, build()); !error.isEmpty())
        m_reporter.messageDialog(error);
    else
        reportWritten(path);
}

void PageFiles::reportWritten(const QString &path)
{
    m_reporter.fileSaved(QFileInfo(path).absoluteFilePath());
}

} // namespace zc
