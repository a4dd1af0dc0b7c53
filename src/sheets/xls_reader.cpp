#include "sheets/xls_reader.h"

#include "sheets/sheet_filler.h"
#include "sheets/xls_cells.h"
#include "sheets/xls_layout.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>

namespace zc::XlsReader {

namespace {

constexpr qint64 kMaxAnswerBytes = 32 << 20;

QString helperPath()
{
    // Without an application object (a fuzzer, a plain program) the executable's own link says where it is.
    const QString folder = QCoreApplication::instance()
                               ? QCoreApplication::applicationDirPath()
                               : QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
    const QString name = QString::fromLatin1(kHelperName);
    // Beside the program in the build tree; in an install, in the helpers' folder that
    // lies where the install's bin folder is (../libexec/zarvento from /usr/bin).
    const QStringList candidates{
        QDir(folder).filePath(name),
        QDir::cleanPath(QDir(folder).filePath(QStringLiteral(ZC_HELPER_FROM_BIN "/") + name)),
        QDir(QStringLiteral(ZC_HELPER_DIR)).filePath(name)};
    for (const QString &path : candidates)
        if (QFileInfo(path).isExecutable()) return path;
    return candidates.first();
}

} // namespace

bool recognises(const QByteArray &head)
{
    return head.startsWith(QByteArray::fromHex("D0CF11E0A1B11AE1"));
}

QString read(const QString &path, const QByteArray &bytes, SheetFiller &out)
{
    XlsLayout::Layout layout;
    if (QString why = XlsLayout::inspect(bytes, &layout); !why.isEmpty()) return why;

    const QString helper = helperPath();
    if (!QFileInfo(helper).isExecutable())
        return QStringLiteral("the .xls reader program %1 is missing").arg(QDir::toNativeSeparators(helper));
    QProcess process;
    // What the library prints about a damaged file means nothing to the user.
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(helper, {path, QString::number(layout.activeSheet)}, QIODevice::ReadOnly);
    if (!process.waitForStarted(10000))
        return QStringLiteral("the .xls reader program could not be started (%1)").arg(process.errorString());
    // The answer is read as it comes, so neither a stalled nor a runaway helper can hold
    // the tool: it is killed after kHelperSeconds or once its answer passes kMaxAnswerBytes.
    QByteArray answerBytes;
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        const qint64 left = kHelperSeconds * 1000 - clock.elapsed();
        if (left <= 0) {
            process.kill();
            process.waitForFinished(5000);
            return QStringLiteral("the .xls reader did not finish within %1 seconds").arg(kHelperSeconds);
        }
        const bool ready = process.waitForReadyRead(int(left));
        answerBytes += process.readAllStandardOutput();
        if (answerBytes.size() > kMaxAnswerBytes) {
            process.kill();
            process.waitForFinished(5000);
            return QStringLiteral("the sheet holds more than the %1 MB of cells that can be read")
                .arg(kMaxAnswerBytes >> 20);
        }
        if (!ready && process.state() == QProcess::NotRunning) break;
    }
    process.waitForFinished(5000);
    answerBytes += process.readAllStandardOutput();
    const QString broken = QStringLiteral("the .xls file is damaged (the reader stopped on it)");
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) return broken;

    Sheet sheet;
    SheetFiller cells(sheet);
    XlsCells::Decoded answer;
    if (QString why = XlsCells::decode(answerBytes, cells, &answer); !why.isEmpty()) return why;
    if (!answer.message.isEmpty()) return answer.message;
    // The library skips cells it cannot place (outside a damaged dimension record, after a
    // broken record) without an error: a count that differs from the sheet's own records
    // means the sheet would come back shorter than it is.
    if (answer.valueCells != layout.valueCells)
        return QStringLiteral(
                   "the .xls file is damaged (its sheet holds %1 cells, but the reader returned %2)")
            .arg(layout.valueCells)
            .arg(answer.valueCells);
    for (const auto &[pos, text] : sheet.cells())
        if (!out.add(pos.first, pos.second, text, sheet.kind(pos.first, pos.second))) return out.error();
    for (const auto &[pos, kind] : sheet.kinds())
        if (kind == CellKind::Formula && !sheet.cells().count(pos) &&
            !out.add(pos.first, pos.second, {}, kind))
            return out.error();
    // The library leaves formula cells out: their stored results come from the records.
    for (const XlsLayout::FormulaCell &f : layout.formulas)
        if (!out.spend(f.text.size()) || !out.add(f.row, f.column, f.text, f.kind)) return out.error();
    return {};
}

} // namespace zc::XlsReader
