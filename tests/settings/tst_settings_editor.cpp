// The settings grid driven by real key and focus events: the per-item input rules, the pick
// lists over their cells, and the table model's contract.
#include "settings/settings_codec.h"
#include "settings/settings_model.h"
#include "ui/settings_editor.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QScrollBar>
#include <QTableView>
#include <QTest>

using namespace zc;

namespace {

const int kPickItems[] = {3, 4, 8, 9, 11, 12};

QList<int> selections(const SettingsModel &m)
{
    QList<int> out;
    for (int item : kPickItems)
        out << m.pickSelection(item);
    return out;
}

// The cell editor open in the grid, if any.
QLineEdit *openEditor(QTableView *grid)
{
    for (QLineEdit *e : grid->viewport()->findChildren<QLineEdit *>())
        if (e->isVisible()) return e;
    return nullptr;
}

// Types text one key at a time into whatever holds the focus: the grid first, then the
// cell editor it opens, then the grid again once the editor has closed.
void type(QTableView *grid, const QString &text)
{
    for (QChar c : text) {
        QWidget *target = openEditor(grid);
        if (!target) target = grid;
        const Qt::Key key =
            c.isLetterOrNumber() && c.unicode() < 0x80 ? Qt::Key(c.toUpper().unicode()) : Qt::Key_unknown;
        QTest::sendKeyEvent(QTest::Click, target, key, QString(c), Qt::NoModifier);
    }
}

} // namespace

class TestSettingsEditor : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void startUpState();
    void modelContract();
    void inputRules_data();
    void inputRules();
    void pasteRefusesWhatTheUnitCannotHold_data();
    void pasteRefusesWhatTheUnitCannotHold();
    void descriptionsAndNamesNotEditable();
    void pickListCommitsOnFocusOut_data();
    void pickListCommitsOnFocusOut();
    void pickListsFollowModel();
    void pickListsOverlayTheirCells();
    void headerRowDrawnSkyBlue();

private:
    void start(int row);

    SettingsModel *m_model = nullptr;
    SettingsEditor *m_editor = nullptr;
    QTableView *m_grid = nullptr;
};

void TestSettingsEditor::init()
{
    m_model = new SettingsModel;
    m_editor = new SettingsEditor(m_model);
    m_editor->resize(876, 585);
    // The grid takes the focus first; a pick list that held it would show its pick in its
    // cell on leaving.
    m_editor->grid()->setFocus();
    m_editor->show();
    QApplication::setActiveWindow(m_editor);
    QVERIFY(QTest::qWaitForWindowActive(m_editor));
    m_grid = m_editor->grid();
}

void TestSettingsEditor::cleanup()
{
    delete m_editor;
    delete m_model;
    m_editor = nullptr;
    m_model = nullptr;
}

void TestSettingsEditor::start(int row)
{
    m_grid->setFocus();
    m_grid->setCurrentIndex(m_model->index(row, 1));
    QCOMPARE(m_grid->currentIndex().row(), row);
}

void TestSettingsEditor::startUpState()
{
    QCOMPARE(m_grid->objectName(), QStringLiteral("strngrd_write"));
    QCOMPARE(m_grid->currentIndex(), m_model->index(0, 1));
    QVERIFY(m_grid->selectionModel()->selectedIndexes().isEmpty());
    QCOMPARE(m_model->text(0, 0), QStringLiteral("Items"));
    QCOMPARE(m_model->text(0, 1), QStringLiteral("Content"));
    QCOMPARE(m_model->text(0, 2), QStringLiteral("Description"));
    QCOMPARE(selections(*m_model), QList<int>({1, 1, 0, 1, 3, 3}));
    for (int item : kPickItems)
        QVERIFY(m_model->content(item).isEmpty());

    const QList<int> widths = {m_grid->columnWidth(0), m_grid->columnWidth(1), m_grid->columnWidth(2)};
    QCOMPARE(widths, QList<int>({275, 201, 391}));
    for (int r = 0; r < SettingsModel::Rows; ++r)
        QCOMPARE(m_grid->rowHeight(r), r == 1 ? 22 : r == 8 ? 26 : 24);
    QVERIFY(!m_grid->tabKeyNavigation());
    QVERIFY(!(m_grid->focusPolicy() & Qt::TabFocus));
}

void TestSettingsEditor::modelContract()
{
    SettingsModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.setContent(5, QStringLiteral("door"));
    model.setPickSelection(3, 0);
    QVERIFY(model.setData(model.index(19, 1), QStringLiteral("80")));
    QCOMPARE(model.content(19), QStringLiteral("80"));
    // Only Content cells of items accept edits.
    QVERIFY(!model.setData(model.index(0, 1), QStringLiteral("x")));
    QVERIFY(!model.setData(model.index(4, 0), QStringLiteral("x")));
    QVERIFY(!model.setData(model.index(4, 2), QStringLiteral("x")));
    QCOMPARE(model.flags(model.index(4, 2)), Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    QVERIFY(!(model.flags(model.index(0, 1)) & Qt::ItemIsSelectable));
    QVERIFY(!(model.flags(model.index(7, 0)) & Qt::ItemIsSelectable));

    // Selections outside a pick list's entries mean no selection.
    model.setPickSelection(9, 2);
    QCOMPARE(model.pickSelection(9), -1);
    QCOMPARE(model.pickText(9), QString());
    model.setPickSelection(11, 2);
    QCOMPARE(model.pickText(11), QStringLiteral("2:Caller Number"));
    model.setPickSelection(5, 0);
    QCOMPARE(model.pickSelection(5), -1);

    model.resetToDefaults();
    QCOMPARE(model.content(5), QStringLiteral("Unauthorized door opened"));
    QCOMPARE(model.content(19), QString());
    QCOMPARE(selections(model), QList<int>({1, 1, 0, 1, 3, 3}));
}

void TestSettingsEditor::inputRules_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("content");     // the item's content afterwards
    QTest::addColumn<int>("currentRow");      // the current row afterwards
    QTest::addColumn<QString>("nextContent"); // the next row's content afterwards, "*" = not checked
    QTest::addColumn<bool>("editing");        // a cell editor is still open afterwards

    const QString a40(40, u'a');
    QTest::newRow("four digits move on") << 1 << "1234"
                                         << "1234" << 2 << "" << false;
    QTest::newRow("three digits and a letter move on") << 1 << "123a"
                                                       << "123" << 2 << "" << false;
    QTest::newRow("two digits and a letter stay") << 1 << "12a"
                                                  << "12" << 1 << "*" << true;
    QTest::newRow("letter in the SIM number refused") << 2 << "12a"
                                                      << "12" << 2 << "*" << false;
    QTest::newRow("country code kept") << 2 << "+4930"
                                       << "+4930" << 2 << "*" << true;
    QTest::newRow("phone 22 digits") << 2 << "1234567890123456789012"
                                     << "1234567890123456789012" << 3 << "" << false;
    QTest::newRow("item 7 three digits") << 7 << "999"
                                         << "999" << 8 << "" << false;
    QTest::newRow("item 17 four digits") << 17 << "9999"
                                         << "9999" << 18 << "" << false;
    QTest::newRow("letter under a pick list") << 3 << "x"
                                              << "" << 4 << "" << false;
    QTest::newRow("40th character of DIN1 text") << 5 << a40 << a40 << 6 << "DIN2 Alarm" << false;
    QTest::newRow("41st keystroke edits the next item") << 5 << a40 + "z" << a40 << 6 << "z" << true;
    QTest::newRow("item 19 accepts letters") << 19 << "abc"
                                             << "abc" << 19 << "*" << true;
    QTest::newRow("item 19 five characters") << 19 << "8080a"
                                             << "8080a" << 20 << "" << false;
    QTest::newRow("item 22 moves back to 21")
        << 22 << QString(16, u'p') << QString(16, u'p') << 21 << "" << false;
    QTest::newRow("two-byte character over the limit")
        << 20 << QString(15, u'n') + QChar(0xE9) << QString(15, u'n') << 21 << "" << false;
    QTest::newRow("two-byte character reaching the limit")
        << 20 << QString(14, u'n') + QChar(0xE9) << QString(14, u'n') + QChar(0xE9) << 21 << "" << false;
    QTest::newRow("two-byte characters in a long text")
        << 13 << QString(20, QChar(0xE9)) << QString(20, QChar(0xE9)) << 14 << "Relay OFF" << false;
    QTest::newRow("three-byte character over the limit")
        << 18 << QString(30, u'n') + QChar(0x20AC) << QString(30, u'n') << 19 << "" << false;
}

void TestSettingsEditor::inputRules()
{
    QFETCH(int, row);
    QFETCH(QString, keys);
    QFETCH(QString, content);
    QFETCH(int, currentRow);
    QFETCH(QString, nextContent);
    QFETCH(bool, editing);

    if (SettingsModel::isPickItem(row)) m_model->setContent(row, m_model->pickText(row));
    const QList<int> picks = selections(*m_model);
    const int next = row == 22 ? 21 : row + 1;
    start(row);
    type(m_grid, keys);

    QCOMPARE(m_model->content(row), content);
    QCOMPARE(m_grid->currentIndex(), m_model->index(currentRow, 1));
    if (nextContent != QLatin1String("*")) QCOMPARE(m_model->content(next), nextContent);
    QCOMPARE(openEditor(m_grid) != nullptr, editing);
    // Typing never changes a pick list.
    QCOMPARE(selections(*m_model), picks);
}

void TestSettingsEditor::pasteRefusesWhatTheUnitCannotHold_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("typed");   // the key that opens the editor
    QTest::addColumn<QString>("pasted");  // then pasted into it
    QTest::addColumn<QString>("content"); // the item's content afterwards
    QTest::newRow("letter inside the password") << 1 << "1"
                                                << "a23"
                                                << "8530";
    QTest::newRow("five-digit password") << 1 << "1"
                                         << "2345"
                                         << "8530";
    QTest::newRow("item 7 above 999") << 7 << "1"
                                      << "500"
                                      << "10";
    QTest::newRow("port above 65535") << 19 << "7"
                                      << "0000"
                                      << "";
    QTest::newRow("escape in an alarm text") << 5 << "G"
                                             << "ate\x1b"
                                             << "Unauthorized door opened";
    // Letters in a number item stay as typed: the save names them.
    QTest::newRow("letters in the port") << 19 << "a"
                                         << "bc"
                                         << "abc";
    QTest::newRow("a port that fits") << 19 << "8"
                                      << "080"
                                      << "8080";
}

void TestSettingsEditor::pasteRefusesWhatTheUnitCannotHold()
{
    QFETCH(int, row);
    QFETCH(QString, typed);
    QFETCH(QString, pasted);
    QFETCH(QString, content);
    start(row);
    type(m_grid, typed);
    QLineEdit *edit = openEditor(m_grid);
    QVERIFY(edit);
    QApplication::clipboard()->setText(pasted);
    if (QApplication::clipboard()->text() != pasted) QSKIP("no clipboard on this platform");
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    if (QLineEdit *still = openEditor(m_grid)) QTest::keyClick(still, Qt::Key_Return);
    QCoreApplication::processEvents();
    QCOMPARE(m_model->content(row), content);
}

void TestSettingsEditor::descriptionsAndNamesNotEditable()
{
    const QString description = m_model->text(5, 2);
    m_grid->setFocus();
    m_grid->setCurrentIndex(m_model->index(5, 2));
    type(m_grid, "x");
    QVERIFY(!openEditor(m_grid));
    QCOMPARE(m_model->text(5, 2), description);

    // A click on an item name does not make it the current cell.
    const QRect name = m_grid->visualRect(m_model->index(6, 0));
    QTest::mouseClick(m_grid->viewport(), Qt::LeftButton, {}, name.center());
    QCOMPARE(m_grid->currentIndex(), m_model->index(5, 2));
    // Nor do the cursor keys reach the fixed row and column.
    start(1);
    QTest::keyClick(m_grid, Qt::Key_Up);
    QTest::keyClick(m_grid, Qt::Key_Left);
    QCOMPARE(m_grid->currentIndex(), m_model->index(1, 1));
}

void TestSettingsEditor::pickListCommitsOnFocusOut_data()
{
    QTest::addColumn<int>("item");
    QTest::addColumn<QString>("listName");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("presses");
    QTest::addColumn<int>("selection");
    QTest::addColumn<QString>("cell");
    QTest::addColumn<int>("offset"); // where the selection is saved on page 1

    QTest::newRow("DIN1 NC") << 3 << "cbb1" << int(Qt::Key_Up) << 1 << 0 << "0:NC " << 26;
    QTest::newRow("DIN2 NO kept") << 4 << "cbb2" << int(Qt::Key_Down) << 1 << 1 << "1:NO" << 27;
    QTest::newRow("arm after power on") << 8 << "cbb4" << int(Qt::Key_Down) << 1 << 1 << "1:Arm" << 111;
    QTest::newRow("relay authorization")
        << 9 << "cbb3" << int(Qt::Key_Up) << 1 << 0 << "0:All number can call to control the Relay" << 110;
    QTest::newRow("notify on") << 11 << "cbb10" << int(Qt::Key_Up) << 2 << 1 << "1:Admin Number" << 116;
    QTest::newRow("notify off") << 12 << "cbb12" << int(Qt::Key_Up) << 3 << 0 << "0:None" << 117;
}

void TestSettingsEditor::pickListCommitsOnFocusOut()
{
    QFETCH(int, item);
    QFETCH(QString, listName);
    QFETCH(int, key);
    QFETCH(int, presses);
    QFETCH(int, selection);
    QFETCH(QString, cell);
    QFETCH(int, offset);

    auto *box = m_editor->findChild<QComboBox *>(listName);
    QVERIFY(box);
    QCOMPARE(box, m_editor->pickList(item));
    QVERIFY(!box->isEditable());
    QCOMPARE(box->count(), int(SettingsModel::pickEntries(item).size()));

    box->setFocus();
    QVERIFY(box->hasFocus());
    for (int i = 0; i < presses; ++i)
        QTest::keyClick(box, Qt::Key(key));
    QCOMPARE(m_model->pickSelection(item), selection);
    QVERIFY(m_model->content(item).isEmpty()); // the cell shows the pick only once the list is left

    m_grid->setFocus();
    QCOMPARE(m_model->content(item), cell);
    const auto page = SettingsCodec::encodePage(1, *m_model);
    QVERIFY(page.ok);
    QCOMPARE(int(page.page[offset]), selection);
}

void TestSettingsEditor::pickListsFollowModel()
{
    // A decode sets selections in the model; the lists show them, and an unset byte clears them.
    std::array<std::uint8_t, 256> page;
    page.fill(0xFF);
    page[26] = 0;
    page[116] = 2;
    SettingsCodec::decodePage(1, page.data(), *m_model);
    QCOMPARE(m_editor->pickList(3)->currentIndex(), 0);
    QCOMPARE(m_editor->pickList(11)->currentIndex(), 2);
    QCOMPARE(m_editor->pickList(12)->currentIndex(), -1);

    // Leaving a list with nothing chosen empties its cell.
    m_model->setContent(12, QStringLiteral("3:Admin Number;Caller Number"));
    m_editor->pickList(12)->setFocus();
    m_grid->setFocus();
    QCOMPARE(m_model->content(12), QString());
    QCOMPARE(m_model->pickSelection(12), -1);
}

void TestSettingsEditor::pickListsOverlayTheirCells()
{
    const auto check = [this] {
        for (int item : kPickItems) {
            QComboBox *box = m_editor->pickList(item);
            QVERIFY(box->isVisible());
            QCOMPARE(box->parentWidget(), m_grid->viewport());
            QCOMPARE(box->geometry(), m_grid->visualRect(m_model->index(item, 1)));
        }
    };
    check();
    // Kept over their cells when the grid scrolls.
    m_editor->resize(500, 200);
    QTRY_VERIFY(m_grid->verticalScrollBar()->maximum() > 0);
    m_grid->verticalScrollBar()->setValue(m_grid->verticalScrollBar()->maximum());
    m_grid->horizontalScrollBar()->setValue(m_grid->horizontalScrollBar()->maximum());
    check();
}

void TestSettingsEditor::headerRowDrawnSkyBlue()
{
    const QImage image = m_grid->viewport()->grab().toImage();
    const QRect header = m_grid->visualRect(m_model->index(0, 2));
    QCOMPARE(image.pixelColor(header.left() + 4, header.top() + 4), QColor(166, 202, 240));
    const QRect item = m_grid->visualRect(m_model->index(20, 2));
    QVERIFY(image.pixelColor(item.left() + 4, item.top() + 4) != QColor(166, 202, 240));
}

QTEST_MAIN(TestSettingsEditor)
#include "tst_settings_editor.moc"
