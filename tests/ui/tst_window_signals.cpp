// The window ended by a signal in the middle of a list save: it exits at once with 128 +
// the signal's number, and its standard error says which pages the unit holds, as the
// unit's memory bears out. The window runs in a child process (this program again, wired
// to the signals as the program's start-up wires it); the test sends the signal.
#include "link/address_map.h"
#include "numbers/number_entry.h"
#include "ui/form_rig.h"
#include "ui/number_list_page.h"
#include "ui/window_signals.h"

#include <QProcess>
#include <QRegularExpression>

#include <csignal>

using namespace zc;
using namespace zc::test;

namespace {

const char *const kChildPort = "ZC_SIGNAL_WINDOW_PORT";

QByteArray numberOf(int row)
{
    return "+49" + QByteArray::number(7000000 + row);
}

// The child: logs in on the port, fills every row of the list and saves it, then runs the
// event loop as the program does until a signal ends it.
int runWindow(const QString &port)
{
    FormRig rig({}, false);
    NumbersModel &model = rig.form->findChild<NumberListPage *>()->model();
    for (int r = NumbersModel::FirstEntry; r <= NumbersModel::LastEntry; ++r) {
        model.setText(r, NumberColumn::Number, QString::fromLatin1(numberOf(r)));
        model.toggleCheck(r, NumberColumn::Always);
    }
    rig.open(port);
    rig.rec.expect(QStringLiteral("Password confirmed!"));
    if (!rig.login()) return 1;
    rig.rec.expectStartsWith(kNumbersUnread);
    QMetaObject::invokeMethod(rig.button("btn9"), &QPushButton::click, Qt::QueuedConnection);
    endWindowOnSignals(*rig.form);
    return QApplication::exec();
}

} // namespace

class TstWindowSignals : public QObject
{
    Q_OBJECT

private slots:
    void signalDuringSaveSaysWhatTheUnitHolds_data()
    {
        QTest::addColumn<int>("signalNumber");
        QTest::addColumn<QString>("how");
        QTest::newRow("SIGTERM") << int(SIGTERM) << "terminated";
        QTest::newRow("SIGHUP") << int(SIGHUP) << "hung up \\(SIGHUP\\)";
    }
    void signalDuringSaveSaysWhatTheUnitHolds()
    {
        QFETCH(int, signalNumber);
        QFETCH(QString, how);
        devsim::Options o;
        o.preset = devsim::Preset::Demo;
        o.baud = 115200; // a list save takes about 3 s
        devsim::Simulator sim(o);
        QString error;
        QVERIFY2(sim.start({}, &error), qPrintable(error));
        const QByteArray before = sim.memory(areaMap(Area::Numbers).base, areaBytes(Area::Numbers));

        QProcess window;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QString::fromLatin1(kChildPort), sim.ptyPath());
        window.setProcessEnvironment(env);
        window.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(waitUntil([&] { return sim.requestCount() > 20; }, 20000));
        QVERIFY(::kill(pid_t(window.processId()), signalNumber) == 0);
        QVERIFY(window.waitForFinished(5000));
        const QString err = QString::fromUtf8(window.readAllStandardError());
        QCOMPARE(window.exitStatus(), QProcess::NormalExit);
        QVERIFY2(window.exitCode() == 128 + signalNumber, qPrintable(err));

        const QRegularExpressionMatch m =
            QRegularExpression(
                QStringLiteral("zarvento-configurator: %1 while saving the number list: Pages 1 "
                               "to (\\d+) of 125 saved, page (\\d+) may or may not be saved, "
                               "pages \\d+ to 125 not saved: save again.\n")
                    .arg(how))
                .match(err);
        QVERIFY2(m.hasMatch(), qPrintable(err));
        QVERIFY2(err.contains(QStringLiteral("that were not saved to the unit are lost")), qPrintable(err));
        const int saved = m.captured(1).toInt();
        QCOMPARE(m.captured(2).toInt(), saved + 1);
        const QByteArray after = sim.memory(areaMap(Area::Numbers).base, areaBytes(Area::Numbers));
        for (int page = 1; page <= 125; ++page) {
            const QByteArray held = after.mid((page - 1) * 256, 256);
            if (page <= saved)
                QVERIFY2(held.startsWith(numberOf((page - 1) * 8 + 1)), qPrintable(QString::number(page)));
            else if (page > saved + 1)
                QCOMPARE(held, before.mid((page - 1) * 256, 256));
        }
    }
};

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (qEnvironmentVariableIsSet(kChildPort)) return runWindow(qEnvironmentVariable(kChildPort));
    TstWindowSignals test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_window_signals.moc"
