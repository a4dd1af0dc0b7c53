// The window on a unit behind a real ser2net: the address typed into the port box opens,
// logs in, reads and saves; a plain address to another machine asks first.
#include "common/ser2net_rig.h"
#include "form_rig.h"
#include "link/address_map.h"

#include <QDialog>
#include <QLineEdit>
#include <QToolButton>

using namespace zc;
using namespace zc::test;

class TstRemoteWindow : public QObject
{
    Q_OBJECT
private slots:
    void socketPortInTheBox()
    {
        devsim::Options o;
        o.preset = devsim::Preset::Demo;
        FormRig rig(o);
        Ser2net gate(rig.sim->ptyPath());
        rig.open(gate.address(Ser2net::Raw));
        QVERIFY(rig.lampGreen());
        rig.rec.expect(QStringLiteral("Password confirmed!"));
        QVERIFY(rig.login());
        QVERIFY(rig.controlsEnabled(true));
        const QByteArray held = rig.sim->memory(areaMap(Area::Numbers).base, areaBytes(Area::Numbers));
        rig.rec.expect(QStringLiteral("Read the Authorized number list from GSM device to PC software?"));
        rig.rec.expect(QStringLiteral("Authorized number list read to PC software success."));
        QVERIFY(rig.clickAndWait("btn10", 60000));
        const int before = rig.sim->requestCount();
        rig.rec.expect(QStringLiteral("Authorized number list saved success"));
        QVERIFY(rig.clickAndWait("btn9", 60000));
        QCOMPARE(rig.sim->requestCount() - before, areaMap(Area::Numbers).pages);
        // Every number arrived as it was read; unused entries are written empty.
        const QByteArray now = rig.sim->memory(areaMap(Area::Numbers).base, areaBytes(Area::Numbers));
        for (int at = 0; at < held.size(); at += 32)
            if (held.mid(at, 32) != QByteArray(32, '\xff'))
                QCOMPARE(now.mid(at, 32).toHex(), held.mid(at, 32).toHex());
        // The server going away is a lost port, told as one.
        gate.stop();
        QVERIFY(waitUntil([&] { return !rig.lampGreen(); }));
        QCOMPARE(rig.status(), QStringLiteral("Serial port lost"));
    }

    // A TLS port with the files from the small dialog beside the port box; a plain address
    // to another machine is asked about, Cancel by default, and nothing is opened.
    void tlsAndPlainQuestion()
    {
        SiteCertificates certs;
        devsim::Options o;
        o.preset = devsim::Preset::Demo;
        FormRig rig(o);
        Ser2net gate(rig.sim->ptyPath(), &certs);
        QTest::mouseClick(rig.w<QToolButton>("btnTls"), Qt::LeftButton);
        auto *dialog = rig.w<QDialog>("dlgTls");
        QVERIFY(dialog && dialog->isVisible());
        rig.w<QLineEdit>("edtTlsCa")->setText(certs.otherCa);
        dialog->accept();
        rig.rec.expectStartsWith(
            QStringLiteral("COM Port error\nThe certificate of 127.0.0.1 is not signed by "
                           "other-ca.pem."));
        rig.open(gate.address(Ser2net::TlsTelnet));
        QVERIFY(rig.rec.allExpectedSeen());
        QVERIFY(!rig.lampGreen());

        QTest::mouseClick(rig.w<QToolButton>("btnTls"), Qt::LeftButton);
        rig.w<QLineEdit>("edtTlsCa")->setText(certs.ca);
        rig.w<QDialog>("dlgTls")->accept();
        rig.open(gate.address(Ser2net::TlsTelnet));
        QVERIFY(rig.lampGreen());
        rig.rec.expect(QStringLiteral("Password confirmed!"));
        QVERIFY(rig.login());
        rig.click("btn8");
        QVERIFY(!rig.lampGreen());

        rig.rec.expectEnter(QStringLiteral("rfc2217://192.0.2.7:3001 is not encrypted"));
        rig.open(QStringLiteral("rfc2217://192.0.2.7:3001"));
        QVERIFY(rig.rec.allExpectedSeen());
        QVERIFY(!rig.lampGreen());
    }
};

QTEST_MAIN(TstRemoteWindow)
#include "tst_remote_window.moc"
