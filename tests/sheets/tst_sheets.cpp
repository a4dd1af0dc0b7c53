// Workbook files: the settings profile through a real file and back, hostile files and
// targets, workbooks written by other programs, and the texts shown for stored values.
#include "biff_book.h"
#include "settings/settings_model.h"
#include "settings/settings_profile.h"
#include "sheets/cell_text.h"
#include "sheets/export_folder.h"
#include "sheets/sheet_filler.h"
#include "sheets/workbook_reader.h"
#include "sheets/workbook_writer.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>

#include <csignal>
#include <cstdio>
#include <sys/resource.h>
#include <unistd.h>

using namespace zc;

namespace {

// What a profile import says of the fixtures' item 7 (2.5) and port (123456789012345).
constexpr const char *kFixtureRefusal = "'2.5' is not a valid integer value\n19.Server Port(0-65535): "
                                        "123456789012345 is out of range (0 to 65535)";

const int kPickItems[] = {3, 4, 8, 9, 11, 12};

// Everything the table holds, to see that a failed import changed nothing.
QStringList snapshot(const SettingsModel &m)
{
    QStringList out;
    for (int r = 0; r < SettingsModel::Rows; ++r)
        for (int c = 0; c < SettingsModel::Columns; ++c)
            out << m.text(r, c);
    for (int item : kPickItems)
        out << QString::number(m.pickSelection(item));
    return out;
}

QString fixture(const QString &name)
{
    return QStringLiteral(ZC_SHEETS_FIXTURES "/") + name;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace

class TestSheets : public QObject
{
    Q_OBJECT

private slots:
    void profileRoundTrip();
    void hostileFiles_data();
    void hostileFiles();
    void otherPrograms_data();
    void otherPrograms();
    void cellTexts_data();
    void cellTexts();
    void cellKinds_data();
    void cellKinds();
    void xlsFormulas_data();
    void xlsFormulas();
    void profileRows_data();
    void profileRows();
    void wholeFileOrNothing();
};

void TestSheets::profileRoundTrip()
{
    QTemporaryDir dir;
    SettingsModel source;
    // Leading zeros, a trailing space, non-Latin text and raw device bytes must come back as they went.
    source.setContent(1, QStringLiteral("0123"));
    source.setContent(2, QStringLiteral("+8613800000000"));
    source.setContent(5, QStringLiteral("Tür offen "));
    source.setContent(13, QStringLiteral("继电器开") + QChar(0xF7FF));
    source.setText(18, SettingsModel::DescriptionColumn, QString());
    const int picks[] = {0, 1, 1, 0, 2, 0};
    for (int i = 0; i < 6; ++i)
        source.setPickSelection(kPickItems[i], picks[i]);

    QList<int> exported;
    const QString chosen = dir.filePath(QStringLiteral("basicinf_R2026-12-06_10-15-30"));
    SheetSaveResult saved = SettingsProfile::exportToFile(source, chosen, [&](int p, const QString &status) {
        QCOMPARE(status, QStringLiteral("Save profile"));
        exported << p;
    });
    QVERIFY2(saved.ok(), qPrintable(saved.error));
    QCOMPARE(saved.path, chosen + QStringLiteral(".xlsx"));
    QCOMPARE(exported.size(), SettingsModel::Rows);
    QCOMPARE(exported.last(), 100);
    // An .xls name is saved as .xlsx: here it replaces the file and leaves no temporary file.
    saved = SettingsProfile::exportToFile(source, chosen + QStringLiteral(".xls"));
    QVERIFY2(saved.ok(), qPrintable(saved.error));
    QCOMPARE(saved.path, chosen + QStringLiteral(".xlsx"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);

    SettingsModel target;
    target.setContent(20, QStringLiteral("old apn"));
    QList<int> loaded;
    const QString error = SettingsProfile::importFromFile(
        chosen + QStringLiteral(".xlsx"), target, [&](int p, const QString &status) {
            QCOMPARE(status, QStringLiteral("Load profile"));
            loaded << p;
        });
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QCOMPARE(loaded.first(), 4);
    QCOMPARE(loaded.size(), SettingsModel::LastItem);
    for (int r = 1; r <= SettingsModel::LastItem; ++r) {
        const QString content = SettingsModel::isPickItem(r) ? source.pickText(r) : source.content(r);
        QCOMPARE(target.content(r), content);
        QCOMPARE(target.text(r, SettingsModel::DescriptionColumn),
                 source.text(r, SettingsModel::DescriptionColumn));
    }
    for (int item : kPickItems)
        QCOMPARE(target.pickSelection(item), source.pickSelection(item));
}

void TestSheets::hostileFiles_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes"); // file content, or a recipe named in brackets
    QTest::addColumn<QString>("expected"); // part of the message; "" = the import succeeds
    QTest::newRow("zero bytes") << "empty.xlsx" << QByteArray() << "the file is empty";
    QTest::newRow("text named .xlsx") << "notes.xlsx" << QByteArray("Items,Content\n1,2\n") << "not an .xlsx";
    QTest::newRow("truncated zip") << "cut.xlsx" << QByteArray("[truncated]") << "damaged";
    QTest::newRow("zip without a workbook") << "other.xlsx" << QByteArray("[docx]") << "not an .xlsx";
    // Read by content, and refused whole: its column A names no items.
    QTest::newRow("ods named .xlsx is read by content")
        << "odfpy.xlsx" << QByteArray("[fixture:odfpy.ods]") << "row 2: column A is empty";
    QTest::newRow("xls that breaks its library")
        << "damaged.xls" << QByteArray("[fixture:damaged.xls]") << "damaged";
    QTest::newRow("xls with a cell its library skips")
        << "lost.xls" << QByteArray("[fixture:lost_cell.xls]")
        << "damaged (its sheet holds 16 cells, but the reader returned 15)";
    // A directory entry that claims a 3.75 GB part, or a part that unpacks to more than it says.
    QTest::newRow("zip lying about a packed size") << "lie.xlsx" << QByteArray("[lie:20]") << "damaged";
    QTest::newRow("zip lying about an unpacked size") << "lie.xlsx" << QByteArray("[lie:24]") << "damaged";
    QTest::newRow("huge sheet") << "huge.xlsx" << QByteArray("[huge]") << "too large";
    // Small files whose contents expand far beyond their size, refused before they expand.
    QTest::newRow("space runs in one cell")
        << "runs.ods" << QByteArray("[corpus:space_run_cell.ods]") << "a cell longer than 32 767 characters";
    QTest::newRow("space runs in many cells") << "runs.ods" << QByteArray("[corpus:space_run_cells.ods]")
                                              << "more than 16 777 216 characters of text";
    QTest::newRow("repeated rows") << "rows.ods" << QByteArray("[corpus:repeated_rows.ods]")
                                   << "more than 250 000 cells";
    QTest::newRow("shared texts") << "texts.xlsx" << QByteArray("[corpus:shared_texts.xlsx]")
                                  << "more than 1 000 000 shared texts";
    QTest::newRow("huge file") << "big.xlsx" << QByteArray("[big]") << "larger than 10 MB";
    QTest::newRow("not a profile") << "list.xlsx" << QByteArray("[A1=Number]")
                                   << "Wrong format of the setting profile";
    QTest::newRow("bad pick cell") << "pick.xlsx" << QByteArray("[B10=x]")
                                   << "'x' is not a valid integer value";
    QTest::newRow("export to a missing folder")
        << "missing/p.xlsx" << QByteArray("[export]") << "does not exist";
    QTest::newRow("export below a file") << "plain.txt/p" << QByteArray("[export]") << "not a folder";
}

void TestSheets::hostileFiles()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    SettingsModel model;
    model.setContent(20, QStringLiteral("my.apn"));
    const QStringList before = snapshot(model);

    Sheet profile = SettingsProfile::toSheet(model);
    QString error;
    if (bytes == "[export]") {
        QVERIFY(writeFile(dir.filePath(QStringLiteral("plain.txt")), "x"));
        const SheetSaveResult saved = SettingsProfile::exportToFile(model, path);
        error = saved.error;
        QVERIFY(!QFileInfo::exists(saved.path));
    } else {
        if (bytes.startsWith("[fixture:")) {
            QVERIFY(QFile::copy(fixture(QString::fromLatin1(bytes.mid(9).chopped(1))), path));
        } else if (bytes.startsWith("[corpus:")) {
            QVERIFY(QFile::copy(
                QStringLiteral(ZC_WORKBOOK_CORPUS "/") + QString::fromLatin1(bytes.mid(8).chopped(1)), path));
        } else if (bytes.startsWith('[')) {
            Sheet sheet = profile;
            if (bytes == "[huge]") sheet.setText(SheetFiller::MaxRows + 1, 1, QStringLiteral("x"));
            if (bytes == "[A1=Number]") sheet.setText(1, 1, QStringLiteral("Number"));
            if (bytes.startsWith("[B10=")) sheet.setText(10, 2, QString::fromLatin1(bytes.mid(5).chopped(1)));
            QVERIFY(WorkbookWriter::save(sheet, path).ok());
            QFile file(path);
            if (bytes == "[truncated]") QVERIFY(file.resize(file.size() / 2));
            if (bytes == "[big]") QVERIFY(file.resize(WorkbookReader::MaxFileBytes + 1));
            if (bytes.startsWith("[lie:")) {
                // Every central directory entry gets 0xF0000000 (packed) or 10 (unpacked) at that offset.
                QVERIFY(file.open(QIODevice::ReadWrite));
                QByteArray zip = file.readAll();
                const bool packed = bytes == "[lie:20]";
                const QByteArray lie =
                    packed ? QByteArray::fromHex("000000f0") : QByteArray::fromHex("0a000000");
                for (qsizetype at = zip.indexOf("PK\x01\x02"); at >= 0;
                     at = zip.indexOf("PK\x01\x02", at + 4))
                    zip.replace(at + (packed ? 20 : 24), 4, lie);
                QVERIFY(file.seek(0) && file.write(zip) == zip.size());
            }
            if (bytes == "[docx]") {
                // A zip archive of another kind: nothing in it names a workbook part.
                QVERIFY(file.open(QIODevice::ReadWrite));
                QByteArray zip = file.readAll();
                zip.replace("xl/workbook.xml", "xl/document.xml");
                QVERIFY(file.seek(0) && file.write(zip) == zip.size());
            }
        } else {
            QVERIFY(writeFile(path, bytes));
        }
        error = SettingsProfile::importFromFile(path, model);
    }

    if (expected.isEmpty()) {
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QCOMPARE(model.pickText(12), QStringLiteral("2:Caller Number"));
        return;
    }
    QVERIFY2(error.contains(expected), qPrintable(error));
    const bool profileMessage =
        error.startsWith(QLatin1String("Wrong")) || error.startsWith(QLatin1Char('\''));
    if (profileMessage)
        QCOMPARE(error, expected);
    else if (!error.startsWith(QLatin1String("The profile's rows")))
        QVERIFY2(error.contains(QDir::toNativeSeparators(WorkbookWriter::xlsxPath(path))) ||
                     error.contains(path),
                 qPrintable(error));
    QCOMPARE(snapshot(model), before);
}

void TestSheets::otherPrograms_data()
{
    QTest::addColumn<QString>("file");
    // make_fixtures.py writes the same cells with each program.
    QTest::newRow("openpyxl .xlsx") << "openpyxl.xlsx";
    QTest::newRow("odfpy .ods") << "odfpy.ods";
    QTest::newRow("xlwt .xls") << "xlwt.xls";
    // The sheet shown when the file was saved is read, not the first one.
    QTest::newRow("openpyxl .xlsx, second sheet shown") << "second_sheet.xlsx";
    QTest::newRow("odfpy .ods, second sheet shown") << "second_sheet.ods";
    QTest::newRow("xlwt .xls, second sheet shown") << "second_sheet.xls";
}

void TestSheets::otherPrograms()
{
    QFETCH(QString, file);
    const SheetReadResult read = WorkbookReader::read(fixture(file));
    QVERIFY2(read.ok(), qPrintable(read.error));
    const Sheet &s = read.sheet;
    QCOMPARE(s.text(1, 1), QStringLiteral("Items"));
    QCOMPARE(s.text(2, 2), QStringLiteral("8530"));
    QCOMPARE(s.text(3, 2), QStringLiteral("0123456789"));
    QCOMPARE(s.text(5, 2), QStringLiteral("0:NC "));
    QCOMPARE(s.text(6, 3), QStringLiteral("2026/12/06"));
    QCOMPARE(s.text(7, 3), QStringLiteral("10:15"));
    QCOMPARE(s.text(8, 2), QStringLiteral("2.5"));
    QCOMPARE(s.text(20, 2), QStringLiteral("123456789012345"));
    QCOMPARE(s.text(21, 3), QStringLiteral("Grüße"));
    QCOMPARE(s.text(11, 2), QString());
    // Numbers, dates and times were stored as numbers; the phone number as a text.
    QCOMPARE(s.kind(2, 2), CellKind::Number);
    QCOMPARE(s.kind(6, 3), CellKind::Number);
    QCOMPARE(s.kind(8, 2), CellKind::Number);
    QCOMPARE(s.kind(3, 2), CellKind::Text);

    SettingsModel model;
    // Item 7 holds 2.5 and the port a 15-digit number: the profile is refused whole, both named.
    Sheet named = s;
    for (int item = SettingsModel::FirstItem; item <= SettingsModel::LastItem; ++item)
        named.setText(item + 1, 1, model.text(item, SettingsModel::NameColumn));
    QCOMPARE(SettingsProfile::fromSheet(named, model), QString::fromLatin1(kFixtureRefusal));
    QCOMPARE(model.content(1), QStringLiteral("8530"));
    QCOMPARE(model.pickSelection(3), 1);
    Sheet mended = named;
    mended.setText(8, 2, QStringLiteral("25"));
    mended.setText(20, 2, QStringLiteral("80"));
    QCOMPARE(SettingsProfile::fromSheet(mended, model), QString());
    const int picks[] = {1, 0, 0, 1, 3, 2};
    for (int i = 0; i < 6; ++i)
        QCOMPARE(model.pickSelection(kPickItems[i]), picks[i]);
    QCOMPARE(model.content(1), QStringLiteral("8530"));
    QCOMPARE(model.text(5, SettingsModel::DescriptionColumn), QStringLiteral("2026/12/06"));
}

void TestSheets::cellTexts_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("text");
    QTest::newRow("whole") << 123456789012345.0 << "General"
                           << "123456789012345";
    QTest::newRow("beyond exponent") << 1e20 << "0"
                                     << "100000000000000000000";
    QTest::newRow("negative zero") << -0.0 << "0.00"
                                   << "0";
    QTest::newRow("fraction") << 0.1 << "0.0"
                              << "0.1";
    QTest::newRow("date") << 46362.0 << "yyyy-mm-dd"
                          << "2026/12/06";
    QTest::newRow("month name") << 46362.0 << "mmm yy"
                                << "2026/12/06";
    QTest::newRow("time rounded to the second") << 0.4270833333 << "h:mm AM/PM"
                                                << "10:15";
    QTest::newRow("elapsed hours") << 0.5 << "[h]:mm"
                                   << "12:00";
    QTest::newRow("date and time") << 46362.75 << "dd/mm/yyyy hh:mm"
                                   << "2026/12/06 18:00";
    QTest::newRow("quoted letters") << 7.0 << "\"day \"0"
                                    << "7";
    QTest::newRow("colour tag") << 7.0 << "[Red]0"
                                << "7";
    QTest::newRow("no date before the epoch") << -1.0 << "yyyy-mm-dd"
                                              << "-1";
}

void TestSheets::cellTexts()
{
    QFETCH(double, value);
    QFETCH(QString, format);
    QFETCH(QString, text);
    QCOMPARE(CellText::fromSerial(value, CellText::formatKind(format)), text);
}

void TestSheets::cellKinds_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("xlsx") << "kinds.xlsx";
    QTest::newRow("ods") << "kinds.ods";
}

void TestSheets::cellKinds()
{
    QFETCH(QString, file);
    const SheetReadResult read = WorkbookReader::read(fixture(file));
    QVERIFY2(read.ok(), qPrintable(read.error));
    const Sheet &s = read.sheet;
    const struct
    {
        int row, column;
        CellKind kind;
        const char *text;
    } cells[] = {
        {1, 1, CellKind::Text, "Items"},
        {1, 2, CellKind::Number, "8530"},
        {1, 3, CellKind::Number, "2026/12/06"},
        {2, 1, CellKind::Formula, ""},
        {2, 2, CellKind::Number, "17060"},
        {2, 3, CellKind::Text, nullptr},
        {2, 4, CellKind::Text, "x"},
        {3, 1, CellKind::Text, ""},
    };
    for (const auto &c : cells) {
        QCOMPARE(s.kind(c.row, c.column), c.kind);
        if (c.text) QCOMPARE(s.text(c.row, c.column), QString::fromUtf8(c.text));
    }
    QCOMPARE(s.rowCount(), 2);
}

// The .xls library leaves formula cells out; their stored results are read from the records.
void TestSheets::xlsFormulas_data()
{
    using namespace BiffBook;
    QTest::addColumn<QByteArray>("records"); // the sheet's records after A1 "Items"
    QTest::addColumn<QString>("text");       // what B2 reads as
    QTest::addColumn<int>("kind");
    const QByteArray textResult = formula(2, 2, otherResult(0));
    QTest::newRow("text") << textResult + string(QStringLiteral("00491701234")) << "00491701234"
                          << int(CellKind::Text);
    QTest::newRow("text after a shared formula")
        << textResult + record(0x04BC, QByteArray(10, '\0')) + string(QStringLiteral("Tür")) << "Tür"
        << int(CellKind::Text);
    QTest::newRow("number") << formula(2, 2, numberResult(8530)) << "8530" << int(CellKind::Number);
    QTest::newRow("date") << formula(2, 2, numberResult(46362), 1) << "2026/12/06" << int(CellKind::Number);
    QTest::newRow("truth value") << formula(2, 2, otherResult(1, 1)) << "TRUE" << int(CellKind::Text);
    QTest::newRow("error") << formula(2, 2, otherResult(2, 0x07)) << "#DIV/0!" << int(CellKind::Text);
    QTest::newRow("empty text") << formula(2, 2, otherResult(3)) << "" << int(CellKind::Text);
    // Results that cannot be had: the importers refuse the cell.
    QTest::newRow("text record missing") << textResult + number(3, 1, 1) << "" << int(CellKind::Formula);
    QTest::newRow("unknown result") << formula(2, 2, otherResult(9)) << "" << int(CellKind::Formula);
}

void TestSheets::xlsFormulas()
{
    QFETCH(QByteArray, records);
    QFETCH(QString, text);
    QFETCH(int, kind);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("f.xls"));
    QVERIFY(writeFile(path, BiffBook::book(BiffBook::label(1, 1, 0) + records, {QStringLiteral("Items")})));
    const SheetReadResult read = WorkbookReader::read(path);
    QVERIFY2(read.ok(), qPrintable(read.error));
    QCOMPARE(read.sheet.text(1, 1), QStringLiteral("Items"));
    QCOMPARE(read.sheet.text(2, 2), text);
    QCOMPARE(int(read.sheet.kind(2, 2)), kind);
}

// A profile is read by position: each row must name its item, and number cells that a
// spreadsheet cannot have kept as typed are refused or named.
void TestSheets::profileRows_data()
{
    QTest::addColumn<QStringList>("edits"); // "row:column:kind:text", kind t(ext) or n(umber)
    QTest::addColumn<QString>("message");   // a line of the refusal; "" = taken
    QTest::addColumn<QList<int>>("numberCells");
    const QList<int> none;
    // A second user name row moves items 22 on: the GPRS password would become "userX".
    QTest::newRow("repeated row") << QStringList{"23:1:t:21.GPRS User Name", "23:2:t:userX",
                                                 "24:1:t:22.GPRS Password", "24:2:t:secret"}
                                  << "row 23: \"21.GPRS User Name\" repeats row 22; row 23 must hold "
                                     "\"22.GPRS Password\""
                                  << none;
    QTest::newRow("row past item 22")
        << QStringList{"30:2:t:x"} << "row 30: a profile ends with item 22 on row 23" << none;
    QTest::newRow("swapped rows") << QStringList{"6:1:t:6.DIN2 Alarm Content", "7:1:t:5.DIN1 Alarm Content"}
                                  << "row 6: column A holds \"6.DIN2 Alarm Content\"; it must hold "
                                     "\"5.DIN1 Alarm Content\""
                                  << none;
    QTest::newRow("empty name") << QStringList{"3:1:t:"} << "row 3: column A is empty" << none;
    QTest::newRow("names differing in case and spaces")
        << QStringList{"2:1:t: 1.PASSWORD", "14:1:t:13.SMS  content when relay ON"} << QString() << none;
    // 491701234567890123 typed into a spreadsheet is kept as 4.9170123456789E+17.
    QTest::newRow("number of 18 digits")
        << QStringList{"3:2:n:491701234567889984"}
        << "2.SIM Card Phone No: a number cell of more than 15 digits (491701234567889984)" << none;
    QTest::newRow("15 digits are kept") << QStringList{"3:2:n:491701234567890"} << QString() << QList<int>{2};
    QTest::newRow("password as a number")
        << QStringList{"2:2:n:123", "8:2:n:10"} << QString() << QList<int>{1};
}

void TestSheets::profileRows()
{
    QFETCH(QStringList, edits);
    QFETCH(QString, message);
    QFETCH(QList<int>, numberCells);
    SettingsModel source;
    source.setContent(22, QStringLiteral("gprs-secret"));
    Sheet sheet = SettingsProfile::toSheet(source);
    for (const QString &e : edits)
        sheet.setText(e.section(u':', 0, 0).toInt(), e.section(u':', 1, 1).toInt(), e.section(u':', 3),
                      e.section(u':', 2, 2) == QLatin1String("n") ? CellKind::Number : CellKind::Text);
    SettingsModel model;
    model.setContent(22, QStringLiteral("kept"));
    const QStringList before = snapshot(model);
    QList<int> numbers;
    const QString error = SettingsProfile::fromSheet(sheet, model, {}, SettingsCheck::Cut::Refuse, &numbers);
    if (message.isEmpty()) {
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QCOMPARE(model.content(22), QStringLiteral("gprs-secret"));
        QCOMPARE(numbers, numberCells);
        return;
    }
    QVERIFY2(error.split(u'\n').filter(message).size() == 1, qPrintable(error));
    QCOMPARE(snapshot(model), before);
}

// Every export is written whole or not at all: when the disk's room ends part way (here a
// file size limit), no file is left, an older one is kept, and the message says why.
void TestSheets::wholeFileOrNothing()
{
    QTemporaryDir dir;
    const QString csv = dir.filePath(QStringLiteral("h.csv")), book = dir.filePath(QStringLiteral("p.xlsx"));
    QVERIFY(writeFile(csv, "older\n"));
    Sheet big;
    for (int r = 1; r <= 5000; ++r)
        big.setText(r, 1, QString::number(r * 7919 % 100003, 16) + QString::number(r));

    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old = {};
    QVERIFY(::getrlimit(RLIMIT_FSIZE, &old) == 0);
    const rlimit small{4096, old.rlim_max};
    QVERIFY(::setrlimit(RLIMIT_FSIZE, &small) == 0);
    const QString text = ExportFolder::writeFile(csv, QByteArray(10000, 'x'));
    // The workbook library's own "[ERROR]" lines stay off standard error: the message says it.
    QTemporaryFile errors;
    QVERIFY(errors.open());
    std::fflush(stderr);
    const int savedErr = ::dup(2);
    ::dup2(errors.handle(), 2);
    const SheetSaveResult workbook = WorkbookWriter::save(big, book);
    std::fflush(stderr);
    ::dup2(savedErr, 2);
    ::close(savedErr);
    ::setrlimit(RLIMIT_FSIZE, &old);
    QFile printed(errors.fileName());
    QVERIFY(printed.open(QIODevice::ReadOnly));
    QCOMPARE(printed.readAll(), QByteArray());

    QVERIFY2(text.contains(QLatin1String("larger than the system allows")), qPrintable(text));
    QVERIFY(!workbook.ok());
    QVERIFY2(workbook.error.startsWith(QLatin1String("Cannot save")), qPrintable(workbook.error));
    QFile kept(csv);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), QByteArray("older\n"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"h.csv"});
    // With room again both are written; an empty text is a whole file too.
    QVERIFY(WorkbookWriter::save(big, book).ok());
    QVERIFY(WorkbookReader::read(book).ok());
    QCOMPARE(ExportFolder::writeFile(csv, {}), QString());
    QCOMPARE(QFileInfo(csv).size(), 0);
}

QTEST_GUILESS_MAIN(TestSheets)
#include "tst_sheets.moc"
