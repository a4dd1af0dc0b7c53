// Files written and read by the pages: a settings profile and a number list workbook
// through a real file and back, the JSON form shared with the command line, the history
// workbook, both text files, cancelled dialogs, refused files, and where exports go.
#include "../sheets/biff_book.h"
#include "cli/area_files.h"
#include "common/recording_reporter.h"
#include "history/history_csv.h"
#include "numbers/numbers_csv.h"
#include "sheets/export_folder.h"
#include "sheets/workbook_reader.h"
#include "sheets/workbook_writer.h"
#include "sheets/zip_parts.h"
#include "ui/main_window.h"
#include "ui/number_list_editor.h"
#include "ui/page_undo.h"
#include "ui/settings_editor.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QXmlStreamReader>

using namespace zc;
using namespace zc::test;

namespace {

const QString kStamp = QStringLiteral("2026-12-06_10-15-30");

// Answers every file dialog at once with the next queued path ("" = cancelled) and fails
// the test on a dialog nobody queued an answer for.
class RecordingFiles : public FileDialogs
{
public:
    QString folder;
    QStringList answers;
    QStringList calls; // the folder each dialog started in, and the name a save dialog proposed
    QStringList names; // each dialog's object name

    QString saveFileName(const QString &name, const QString &dir, const QString &proposed,
                         const QString &) override
    {
        calls << dir + QLatin1Char('/') + proposed;
        names << name;
        return next();
    }
    QString openFileName(const QString &name, const QString &dir, const QString &filter) override
    {
        calls << dir;
        names << name;
        if (!filter.startsWith(QLatin1String("EXCEL file (*.xls *.xlsx *.ods);;")))
            QTest::qFail("an open dialog that hides .ods files", __FILE__, __LINE__);
        return next();
    }
    QString exportFolder() override { return folder; }

private:
    QString next()
    {
        if (answers.isEmpty()) {
            QTest::qFail("unexpected file dialog", __FILE__, __LINE__);
            return {};
        }
        return answers.takeFirst();
    }
};

struct Rig
{
    QTemporaryDir dir;
    RecordingReporter rec;
    RecordingFiles files;
    std::unique_ptr<TForm1> form;

    Rig()
    {
        files.folder = dir.path();
        TForm1::Options o;
        o.dialogs = &rec;
        o.files = &files;
        o.now = [] { return QDateTime(QDate(2026, 12, 6), QTime(10, 15, 30)); };
        o.discoverPorts = false;
        form = std::make_unique<TForm1>(o);
    }
    template <typename Page> Page *page() const { return form->findChild<Page *>(); }
    // The window shown and active, its device controls enabled as after a login.
    void showLoggedIn() const
    {
        form->show();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        for (QPushButton *b : form->deviceControls())
            b->setEnabled(true);
    }
    SettingsModel &settings() const { return page<SettingsPage>()->model(); }
    NumbersModel &numbers() const { return page<NumberListPage>()->model(); }
    HistoryModel &history() const { return page<HistoryPage>()->model(); }
    QString path(const QString &name) const { return dir.filePath(name); }
    QStringList written() const { return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden); }
    // Every text of the three tables and the pick-list selections.
    QStringList tables() const
    {
        QStringList out;
        for (const QAbstractItemModel *m :
             std::initializer_list<const QAbstractItemModel *>{&settings(), &numbers(), &history()})
            for (int r = 0; r < m->rowCount(); ++r)
                for (int c = 0; c < m->columnCount(); ++c)
                    out << m->index(r, c).data().toString();
        for (int item : {3, 4, 8, 9, 11, 12})
            out << QString::number(settings().pickSelection(item));
        return out;
    }
};

// Makes a widget claim Ctrl+E for itself, as an X11 line edit does.
struct ClaimsCtrlE : QObject
{
    explicit ClaimsCtrlE(QWidget *w) : m_w(w) { w->installEventFilter(this); }
    ~ClaimsCtrlE() override { m_w->removeEventFilter(this); }
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::ShortcutOverride &&
            static_cast<QKeyEvent *>(e)->keyCombination() == QKeyCombination(Qt::CTRL, Qt::Key_E))
            e->accept();
        return false;
    }
    QWidget *m_w;
};

// The texts of a table as its workbook sheet holds them: sheet row r + 1, column c + 1.
bool sheetHoldsTable(const Sheet &sheet, const QAbstractItemModel &m)
{
    if (sheet.rowCount() != m.rowCount() || sheet.columnCount() != m.columnCount()) return false;
    for (int r = 0; r < m.rowCount(); ++r)
        for (int c = 0; c < m.columnCount(); ++c)
            if (sheet.text(r + 1, c + 1) != m.index(r, c).data().toString()) {
                qWarning("cell %d,%d: \"%s\"", r + 1, c + 1, qPrintable(sheet.text(r + 1, c + 1)));
                return false;
            }
    return true;
}

void fillNumbers(NumbersModel &m, int row, const QStringList &cells)
{
    for (int c = 0; c < cells.size(); ++c)
        m.setText(row, NumberColumn::Number + c, cells[c]);
}

// True when every cell of rows 1..1001, columns A..H of the workbook's sheet is stored with
// the built-in text format "@" (49), the empty ones too, and the sheet has no other cells:
// read from the file's own XML, as another spreadsheet program would.
bool everyCellIsText(const QString &path)
{
    QFile file(path);
    ZipParts zip;
    QString error;
    if (!file.open(QIODevice::ReadOnly) || !zip.open(file.readAll()).isEmpty()) return false;
    QList<int> formats; // number format of each cell style
    QXmlStreamReader styles(zip.read(QStringLiteral("xl/styles.xml"), &error));
    for (bool inCellXfs = false; !styles.atEnd();) {
        styles.readNext();
        if (styles.name() == QLatin1String("cellXfs")) inCellXfs = styles.isStartElement();
        if (inCellXfs && styles.isStartElement() && styles.name() == QLatin1String("xf"))
            formats << styles.attributes().value(QLatin1String("numFmtId")).toInt();
    }
    QSet<QString> text, all;
    QXmlStreamReader sheet(zip.read(QStringLiteral("xl/worksheets/sheet1.xml"), &error));
    while (!sheet.atEnd()) {
        sheet.readNext();
        if (!sheet.isStartElement() || sheet.name() != QLatin1String("c")) continue;
        const auto a = sheet.attributes();
        all << a.value(QLatin1String("r")).toString();
        if (formats.value(a.value(QLatin1String("s")).toInt(), -1) == 49)
            text << a.value(QLatin1String("r")).toString();
    }
    QSet<QString> range;
    for (int r = 1; r <= 1001; ++r)
        for (char c = 'A'; c <= 'H'; ++c)
            range << QLatin1Char(c) + QString::number(r);
    return error.isEmpty() && text == range && all == range;
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
}

} // namespace

using Press = void (*)(Rig &);
Q_DECLARE_METATYPE(Press)

class TstFiles : public QObject
{
    Q_OBJECT

private slots:
    void settingsProfile()
    {
        Rig rig;
        SettingsModel &m = rig.settings();
        m.setContent(2, QStringLiteral("00441632960"));
        m.setPickSelection(3, 0);
        for (int item : {3, 4, 8, 9, 11, 12}) // column B of a pick item holds the chosen entry
            m.setContent(item, m.pickText(item));
        const QStringList before = rig.tables();

        rig.files.answers << rig.path(QStringLiteral("profile"));
        rig.page<SettingsPage>()->btn17Click();
        QCOMPARE(rig.files.calls.at(0), rig.path(QStringLiteral("basicinf_R") + kStamp));
        QCOMPARE(rig.written(), QStringList{QStringLiteral("profile.xlsx")});
        QCOMPARE(rig.rec.lastStatus(), QStringLiteral("Saved: ") + rig.path(QStringLiteral("profile.xlsx")));

        m.setContent(2, QStringLiteral("1"));
        m.setText(5, SettingsModel::DescriptionColumn, QString());
        m.setPickSelection(3, 1);
        rig.files.answers << rig.path(QStringLiteral("profile.xlsx"));
        rig.rec.expectStartsWith(QStringLiteral("The changes on this page that were not saved"));
        rig.page<SettingsPage>()->btn16Click();
        QCOMPARE(rig.files.calls.at(1), rig.dir.path());
        QCOMPARE(rig.tables(), before);
        QCOMPARE(rig.rec.lastStatus(), QStringLiteral("Load profile"));
        QCOMPARE(rig.rec.messages().size(), 1); // only the question over the edits
    }

    // A profile whose password is a number cell is loaded, and the window says to check it:
    // a password typed as 0123 comes back as 123.
    void profileNumberCellWarns()
    {
        Rig rig;
        const SettingsModel &m = rig.settings();
        QByteArray records = BiffBook::label(1, 1, 0);
        QStringList texts{"Items"};
        const auto text = [&](int row, int column, const QString &t) {
            if (t.isEmpty()) return;
            records += BiffBook::label(row, column, int(texts.size()));
            texts << t;
        };
        for (int item = SettingsModel::FirstItem; item <= SettingsModel::LastItem; ++item) {
            text(item + 1, 1, m.text(item, SettingsModel::NameColumn));
            if (item == 1)
                records += BiffBook::number(2, 2, 123);
            else
                text(item + 1, 2, SettingsModel::isPickItem(item) ? m.pickText(item) : m.content(item));
        }
        const QString file = rig.path(QStringLiteral("pw.xls"));
        QCOMPARE(ExportFolder::writeFile(file, BiffBook::book(records, texts)), QString());
        rig.rec.expectStartsWith(QStringLiteral("The profile keeps 1.Password as a number, not as text"));
        rig.files.answers << file;
        rig.page<SettingsPage>()->btn16Click();
        QVERIFY(rig.rec.allExpectedSeen());
        QCOMPARE(rig.rec.events().back().kind, RecordingReporter::Event::Box);
        QCOMPARE(m.content(1), QStringLiteral("123"));
    }

    void numberListWorkbook()
    {
        Rig rig;
        NumbersModel &m = rig.numbers();
        fillNumbers(m, 1, {"+0044123", "2024/05/06", "08:00", "2024/06/30", "18:30", "no", "no"});
        fillNumbers(m, 2, {"0555", "", "", "", "", "yes", "no"});
        fillNumbers(m, 1000, {"9", "2025/01/01", "00:00", "2025/12/31", "23:59", "no", "no"});
        const QStringList before = rig.tables();

        // A chosen .xls name is saved as .xlsx beside it, and the question before replacing
        // a file names the .xlsx: Enter (Cancel) shows the dialog again and keeps the old file.
        const QString xlsx = rig.path(QStringLiteral("list.xlsx"));
        QCOMPARE(ExportFolder::writeFile(xlsx, "old"), QString());
        const QString replace =
            QDir::toNativeSeparators(xlsx) + QStringLiteral(" already exists.\nDo you want to replace it?");
        rig.rec.expectEnter(replace);
        rig.files.answers << rig.path(QStringLiteral("list.xls")) << QString();
        rig.page<NumberListPage>()->btn15Click();
        QVERIFY(rig.rec.lastPromptDefaultsToCancel());
        QCOMPARE(rig.files.calls.at(1), rig.path(QStringLiteral("list.xls")));
        QCOMPARE(fileBytes(xlsx), QByteArray("old"));
        rig.rec.expect(replace, true);
        rig.files.answers << rig.path(QStringLiteral("list.xls"));
        rig.page<NumberListPage>()->btn15Click();
        QVERIFY(rig.rec.allExpectedSeen());
        QCOMPARE(rig.files.calls.at(0), rig.path(QStringLiteral("telinf_R") + kStamp));
        QCOMPARE(rig.written(), QStringList{QStringLiteral("list.xlsx")});
        QCOMPARE(rig.rec.lastStatus(), QStringLiteral("Saved: ") + xlsx);
        const SheetReadResult read = WorkbookReader::read(xlsx);
        QVERIFY2(read.ok(), qPrintable(read.error));
        QVERIFY(sheetHoldsTable(read.sheet, m)); // leading zeros and "+" kept: texts, not numbers
        QVERIFY(everyCellIsText(xlsx));

        // Importing it again restores the table, except that Delete keeps what it holds.
        m.resetToDefaults();
        fillNumbers(m, 5, {"junk"});
        m.setText(1, NumberColumn::Delete, QStringLiteral("yes"));
        rig.files.answers << rig.path(QStringLiteral("list.xlsx"));
        rig.rec.expectStartsWith(QStringLiteral("The changes on this page that were not saved"));
        rig.page<NumberListPage>()->btn14Click();
        QCOMPARE(m.text(1, NumberColumn::Delete), QStringLiteral("yes"));
        m.setText(1, NumberColumn::Delete, QStringLiteral("no"));
        QCOMPARE(rig.tables(), before);
        QCOMPARE(rig.rec.lastStatus(), QStringLiteral("Import.xls"));
    }

    // The list exported as JSON from the window is the file the command line reads, and
    // the window opens it again; a hostile one is refused naming the row, the table kept.
    void jsonSharedWithCommandLine()
    {
        Rig rig;
        NumbersModel &m = rig.numbers();
        fillNumbers(m, 1, {"+0044123", "2024/05/06", "08:00", "2024/06/30", "18:30", "no", "no"});
        fillNumbers(m, 7, {"0555", "", "", "", "", "yes", "no"});
        const QStringList before = rig.tables();
        const QString json = rig.path(QStringLiteral("list.json"));
        rig.files.answers << json;
        rig.page<NumberListPage>()->btn15Click();
        QCOMPARE(rig.written(), QStringList{QStringLiteral("list.json")});
        QCOMPARE(rig.rec.lastStatus(), QStringLiteral("Saved: ") + json);

        NumbersModel loaded;
        QCOMPARE(cli::loadNumbers(json, loaded), QString());
        for (int r = NumbersModel::FirstEntry; r <= NumbersModel::LastEntry; ++r)
            QCOMPARE(loaded.row(r), m.row(r));

        m.resetToDefaults();
        rig.files.answers << json;
        rig.page<NumberListPage>()->btn14Click();
        QCOMPARE(rig.tables(), before);

        QByteArray twice = fileBytes(json);
        twice.replace("\"row\": 7", "\"row\": 1");
        QCOMPARE(ExportFolder::writeFile(json, twice), QString());
        m.setText(3, NumberColumn::Number, QStringLiteral("333"));
        rig.page<NumberListPage>()->editor()->undo()->markUnchanged();
        const QStringList edited = rig.tables();
        rig.files.answers << json;
        rig.rec.expect(
            QStringLiteral("Cannot read \"%1\": row 1 is given twice.").arg(QDir::toNativeSeparators(json)));
        rig.page<NumberListPage>()->btn14Click();
        QVERIFY(rig.rec.allExpectedSeen());
        QCOMPARE(rig.tables(), edited);

        // The settings take the same way out and back.
        SettingsModel &sm = rig.settings();
        sm.setContent(2, QStringLiteral("00441632960"));
        for (int item : {3, 4, 8, 9, 11, 12}) // column B of a pick item holds the chosen entry
            sm.setContent(item, sm.pickText(item));
        const QStringList settings = rig.tables();
        rig.files.answers << rig.path(QStringLiteral("profile.json"));
        rig.page<SettingsPage>()->btn17Click();
        sm.setContent(2, QStringLiteral("1"));
        rig.page<SettingsPage>()->editor()->undo()->markUnchanged();
        rig.files.answers << rig.path(QStringLiteral("profile.json"));
        rig.page<SettingsPage>()->btn16Click();
        QCOMPARE(rig.tables(), settings);
        SettingsModel cliSettings;
        QCOMPARE(cli::loadSettings(rig.path(QStringLiteral("profile.json")), cliSettings), QString());
        QCOMPARE(cliSettings.content(2), QStringLiteral("00441632960"));
    }

    void historyWorkbookAndTextFiles()
    {
        Rig rig;
        rig.history().replaceRecords(
            {{"1", "2015-03-02", "09:05:00", "SMS", "Relay ON", "+4416329600", "Relay ON"},
             {"2", "2015-03-02", "09:06:00", "Call", "Relay OFF", "0044", "a, b"}});
        fillNumbers(rig.numbers(), 12, {"5550987", "2024/05/06", "08:00", "2024/06/30", "18:30", "no", "no"});

        rig.files.answers << rig.path(QStringLiteral("log"));
        rig.page<HistoryPage>()->btn13Click();
        QCOMPARE(rig.files.calls.at(0), rig.path(QStringLiteral("hisinf_R") + kStamp));
        const SheetReadResult read = WorkbookReader::read(rig.path(QStringLiteral("log.xlsx")));
        QVERIFY2(read.ok(), qPrintable(read.error));
        QVERIFY(sheetHoldsTable(read.sheet, rig.history()));
        QVERIFY(everyCellIsText(rig.path(QStringLiteral("log.xlsx"))));

        // Text files: no dialog, the documented names without extension, in the export folder.
        rig.page<NumberListPage>()->btn3Click();
        rig.page<HistoryPage>()->btn18Click();
        const QString numbersFile = QStringLiteral("telinf_CSV") + kStamp;
        const QString historyFile = QStringLiteral("hisinf_CSV") + kStamp;
        QCOMPARE(rig.written(), (QStringList{historyFile, QStringLiteral("log.xlsx"), numbersFile}));
        QCOMPARE(fileBytes(rig.path(numbersFile)), NumbersCsv::exportBytes(rig.numbers()));
        QCOMPARE(fileBytes(rig.path(historyFile)), HistoryCsv::fileBytes(rig.history()));
        QCOMPARE(rig.rec.lastStatus(), QStringLiteral("Saved: ") + rig.path(historyFile));
        QCOMPARE(rig.files.calls.size(), 1);
        QVERIFY(rig.rec.messages().isEmpty());
    }

    void cancelledDialog_data()
    {
        QTest::addColumn<Press>("press");
        QTest::addColumn<QString>("dialog"); // the dialog's object name
        QTest::newRow("Export profile")
            << Press([](Rig &r) { r.page<SettingsPage>()->btn17Click(); }) << "dlgSave1";
        QTest::newRow("Import profile")
            << Press([](Rig &r) { r.page<SettingsPage>()->btn16Click(); }) << "dlgOpen1";
        QTest::newRow("Export .XLS") << Press([](Rig &r) { r.page<NumberListPage>()->btn15Click(); }) << "";
        QTest::newRow("Import .XLS") << Press([](Rig &r) { r.page<NumberListPage>()->btn14Click(); }) << "";
        QTest::newRow("Export.XLS") << Press([](Rig &r) { r.page<HistoryPage>()->btn13Click(); })
                                    << "dlgSave3";
        // Ctrl+E exports from a text field too. On X11 a line edit claims the key (the end of
        // its line); the test platform's do not, so the fields here claim it as those would.
        QTest::newRow("Ctrl+E in a settings cell") << Press([](Rig &r) {
            r.showLoggedIn();
            auto *grid = r.form->findChild<QTableView *>(QStringLiteral("strngrd_write"));
            grid->setFocus();
            grid->setCurrentIndex(r.settings().index(5, SettingsModel::ContentColumn));
            QTest::keyClick(grid, Qt::Key_F2);
            QWidget *cell = QApplication::focusWidget();
            ClaimsCtrlE claims(cell);
            QTest::keyClick(cell, Qt::Key_E, Qt::ControlModifier);
        }) << "dlgSave1";
        QTest::newRow("Ctrl+E in the find field") << Press([](Rig &r) {
            r.showLoggedIn();
            r.form->findChild<QTabWidget *>(QStringLiteral("pgc1"))->setCurrentIndex(1);
            auto *find = r.form->findChild<QLineEdit *>(QStringLiteral("edt_find"));
            find->setFocus();
            ClaimsCtrlE claims(find);
            QTest::keyClick(find, Qt::Key_E, Qt::ControlModifier);
        }) << "";
    }

    void cancelledDialog()
    {
        QFETCH(Press, press);
        QFETCH(QString, dialog);
        Rig rig;
        const QStringList before = rig.tables();
        rig.files.answers << QString();
        press(rig);
        QCOMPARE(rig.files.names, QStringList{dialog});
        QVERIFY(rig.written().isEmpty());
        QVERIFY(rig.rec.events().empty());
        QCOMPARE(rig.tables(), before);
    }

    void refusedFile_data()
    {
        QTest::addColumn<Press>("press");
        QTest::addColumn<QByteArray>("raw");    // the file's bytes, or
        QTest::addColumn<QStringList>("cells"); // a workbook of "row:column:text" cells
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("box"); // the message box rather than the message dialog

        const Press profile([](Rig &r) { r.page<SettingsPage>()->btn16Click(); });
        const Press list([](Rig &r) { r.page<NumberListPage>()->btn14Click(); });
        const QString wrongFormat = QStringLiteral("Wrong format of the setting profile");
        QTest::newRow("profile: not a workbook")
            << profile << QByteArray("Items,Content\r\n") << QStringList() << "Cannot read \"" << false;
        QTest::newRow("profile: A1 not Items")
            << profile << QByteArray() << QStringList{"1:1:Serial", "4:2:1:NO"} << wrongFormat << false;
        QTest::newRow("list: lower-case serial")
            << list << QByteArray() << QStringList{"1:1:serial"} << wrongFormat << false;
        QTest::newRow("list: 7:30 end time")
            << list << QByteArray() << QStringList{"1:1:Serial", "5:2:555",        "5:3:2024/05/06",
                                                   "5:4:08:00",  "5:5:2024/06/30", "5:6:7:30"}
            << QStringLiteral("Wrong information on the profile,please correct it and then import again,"
                              "error:1\rSerial: 4")
            << true;
    }

    void refusedFile()
    {
        QFETCH(Press, press);
        QFETCH(QByteArray, raw);
        QFETCH(QStringList, cells);
        QFETCH(QString, message);
        QFETCH(bool, box);
        Rig rig;
        fillNumbers(rig.numbers(), 2, {"kept", "2024/05/06", "08:00", "2024/06/30", "18:30", "no", "yes"});
        rig.page<NumberListPage>()->editor()->undo()->markUnchanged(); // as if read from the unit
        const QStringList before = rig.tables();
        const QString file = rig.path(QStringLiteral("in.xlsx"));
        if (cells.isEmpty()) {
            QCOMPARE(ExportFolder::writeFile(file, raw), QString());
        } else {
            Sheet sheet;
            for (const QString &cell : cells)
                sheet.setText(cell.section(u':', 0, 0).toInt(), cell.section(u':', 1, 1).toInt(),
                              cell.section(u':', 2));
            QVERIFY(WorkbookWriter::save(sheet, file).ok());
        }
        rig.rec.expectStartsWith(message);
        rig.files.answers << file;
        press(rig);
        QVERIFY(rig.rec.allExpectedSeen());
        QCOMPARE(rig.rec.events().back().kind,
                 box ? RecordingReporter::Event::Box : RecordingReporter::Event::Dialog);
        QCOMPARE(rig.tables(), before);
    }

    // An import while the same table's transfer waits for a reply would mix the file's
    // rows with the unit's pages: it is refused before any dialog.
    void importRefusedWhileTransferRuns()
    {
        Rig rig;
        const QStringList before = rig.tables();
        const auto running = [&rig](Tsend_rec_command &t) { t.Read(); };
        running(rig.page<SettingsPage>()->transfer());
        rig.page<SettingsPage>()->btn16Click();
        running(rig.page<NumberListPage>()->transfer());
        rig.page<NumberListPage>()->btn14Click();
        QVERIFY(rig.files.calls.isEmpty());
        QCOMPARE(rig.rec.statuses().filter(QStringLiteral("wait until it ends")).size(), 2);
        QCOMPARE(rig.tables(), before);
        rig.form->session().abandonAll();
        rig.form->session().replyTimer().stopRule();
    }

    // The window's own dialogs: named, and the save dialog leaves the question about
    // replacing a file to the page, which knows the name really written.
    void windowDialogs()
    {
        QTemporaryDir dir;
        WindowFileDialogs dialogs(nullptr);
        QStringList seen;
        const auto answer = [&seen](bool accept) {
            QTimer::singleShot(0, [&seen, accept] {
                for (QWidget *w : QApplication::topLevelWidgets())
                    if (auto *d = qobject_cast<QFileDialog *>(w); d && d->isVisible()) {
                        seen << d->objectName() +
                                    (d->testOption(QFileDialog::DontConfirmOverwrite) ? "" : "!");
                        QMetaObject::invokeMethod(d, accept ? "accept" : "reject");
                    }
            });
        };
        answer(true);
        QCOMPARE(dialogs.saveFileName("dlgSave3", dir.path(), "log", "EXCEL file (*.xlsx *.xls);;(*.*) (*)"),
                 dir.filePath("log.xlsx"));
        answer(false);
        QCOMPARE(dialogs.openFileName("dlgOpen1", dir.path(), "EXCEL file (*.xls *.xlsx *.ods)"), QString());
        QCOMPARE(seen, (QStringList{"dlgSave3", "dlgOpen1!"}));
    }

    void textFileNotWritten()
    {
        Rig rig;
        rig.files.folder = rig.path(QStringLiteral("missing"));
        rig.rec.expectStartsWith(
            QStringLiteral("Cannot save \"%1")
                .arg(QDir::toNativeSeparators(rig.path(QStringLiteral("missing/telinf_CSV")))));
        rig.page<NumberListPage>()->btn3Click();
        QVERIFY(rig.rec.allExpectedSeen());
        QVERIFY(rig.written().isEmpty());
        QVERIFY(!QFileInfo::exists(rig.path(QStringLiteral("missing"))));
    }

    void exportFolder_data()
    {
        QTest::addColumn<QString>("beside"); // what configuration/ beside the program is
        QTest::addColumn<bool>("used");
        QTest::newRow("a folder") << "folder" << true;
        QTest::newRow("missing") << "" << false;
        QTest::newRow("a file") << "file" << false;
    }

    void exportFolder()
    {
        QFETCH(QString, beside);
        QFETCH(bool, used);
        QTemporaryDir dir;
        const QString program = dir.filePath(QStringLiteral("bin")),
                      documents = dir.filePath(QStringLiteral("Docs"));
        const QString configuration = program + QStringLiteral("/configuration");
        QVERIFY(QDir().mkpath(program));
        if (beside == QLatin1String("folder")) QVERIFY(QDir().mkpath(configuration));
        if (beside == QLatin1String("file")) QCOMPARE(ExportFolder::writeFile(configuration, "x"), QString());
        const QString own = documents + QStringLiteral("/Zarvento Configurator/configuration");
        QCOMPARE(ExportFolder::locate(program, documents), used ? configuration : own);
        QCOMPARE(QFileInfo(own).isDir(), !used); // created only when it is the one used
    }
};

QTEST_MAIN(TstFiles)
#include "tst_files.moc"
