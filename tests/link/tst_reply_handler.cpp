// The reply assembler fed one byte at a time, the routing table, and the reply timer.
#include "common/frames.h"
#include "common/recording_reporter.h"
#include "common/wait.h"
#include "link/login.h"
#include "link/paged_transfer.h"
#include "link/reply_handler.h"
#include "link/rule_timer.h"
#include "words/left_behind.h"
#include "words/link_words.h"

#include <QSignalSpy>
#include <QTest>

using namespace zc;
using zc::test::frame;

namespace {

// A real transfer of an area whose pages decode and encode to nothing. While driven it runs
// as any transfer does; otherwise it only records what the handler hands it.
struct Probe : Tsend_rec_command
{
    Probe(Area area, QStringList &calls, const char *name)
        : Tsend_rec_command(area), m_calls(calls), m_name(name)
    {
    }
    // A whole page read or an accepted save is only recorded unless driven; any other reply
    // ends the transfer as it would.
    void deliver(std::uint8_t command, std::int32_t replyAddress, const std::uint8_t *payload,
                 int length) override
    {
        const bool whole = command == 0x83 ? length == kPageSize : length > 0 && payload[0] == 0x01;
        if (driven || !whole) return Tsend_rec_command::deliver(command, replyAddress, payload, length);
        address = replyAddress;
        std::copy(payload, payload + qMin(length, kPageSize), data.begin());
        m_calls << (command == 0x83
                        ? QStringLiteral("decode%1@%2").arg(QLatin1String(m_name)).arg(replyAddress, 0, 16)
                        : QStringLiteral("next%1").arg(QLatin1String(m_name)));
    }
    bool encodePage(int, QString &) override
    {
        data.fill(0);
        return true;
    }
    bool driven = false;
    QStringList &m_calls;
    const char *m_name;
};

// The window's words, noting besides, in `seen`, each fact that shows where a reply went:
// the routing's notices ("settings read", "delete", "undefined data"...), a damaged frame,
// an ignored early or late reply, and how each operation ended ("ended refused").
struct Recorder : LinkWords
{
    Recorder(Reporter &reporter, QStringList &seen) : LinkWords(reporter), m_seen(seen) {}
    void frameDamaged() override
    {
        m_seen << "damaged";
        LinkWords::frameDamaged();
    }
    void replyRouted(const Reply &r) override
    {
        static const char *const areas[] = {"settings", "numbers", "history"};
        switch (r.kind) {
        case Reply::Kind::Page:
            m_seen << QStringLiteral("%1 %2").arg(QLatin1String(areas[int(r.area)]),
                                                  QLatin1String(r.read ? "read" : "save"));
            break;
        case Reply::Kind::Delete:
            m_seen << "delete";
            break;
        case Reply::Kind::UndefinedAddress:
            m_seen << "undefined address";
            break;
        case Reply::Kind::UndefinedData:
            m_seen << "undefined data";
            break;
        }
        LinkWords::replyRouted(r);
    }
    void replyIgnored(bool early, const std::optional<Outcome> &late) override
    {
        m_seen << (early ? "early" : "late");
        LinkWords::replyIgnored(early, late);
    }
    void ended(const Outcome &o) override
    {
        static const char *const kinds[] = {"completed", "refused",   "timed out",
                                            "damaged",   "port lost", "stopped"};
        m_seen << QStringLiteral("ended ") + QLatin1String(kinds[int(o.kind)]);
        LinkWords::ended(o);
    }
    QStringList &m_seen;
};

struct Rig
{
    test::RecordingReporter reporter;
    QStringList seen;
    Recorder words{reporter, seen};
    RuleTimer timer{50};
    ReplyHandler handler{timer};
    QStringList calls;
    Probe settings{Area::Settings, calls, "Settings"};
    Probe numbers{Area::Numbers, calls, "Numbers"};
    Probe history{Area::History, calls, "History"};
    Tpasswordverify login;
    Tsingalcmd deleteHistory{0x85};
    QList<Outcome> deleteOutcomes;

    Rig()
    {
        handler.setWatcher(&words);
        for (Probe *t : {&settings, &numbers, &history}) {
            t->setLink({nullptr, &words, &timer, &handler});
            handler.attach(t->area(), t);
        }
        QObject::connect(&login, &Tpasswordverify::done, [this](const Outcome &o) {
            if (o.completed())
                calls << QStringLiteral("login:%1")
                             .arg(QString::fromLatin1(reinterpret_cast<const char *>(login.reply.data.data()),
                                                      4));
        });
        QObject::connect(&deleteHistory, &Tsingalcmd::done,
                         [this](const Outcome &o) { deleteOutcomes << o; });
    }
    void feed(const QByteArray &bytes)
    {
        for (char c : bytes)
            handler.cm1ReceiveData(std::uint8_t(c));
    }
    // Starts t's transfer and answers its pages until it awaits page `page`; what that
    // took is left out of the calls and the facts seen.
    void startAt(Probe &t, int page, bool writing = false)
    {
        const QStringList callsBefore = calls;
        const QStringList seenBefore = seen;
        t.driven = true;
        if (writing)
            t.Save();
        else
            t.Read();
        for (int p = 1; p < page; ++p)
            handler.receiveChunk(
                writing ? frame(0x82, std::uint32_t(pageAddress(t.area(), p)), QByteArray("\x01", 1))
                        : frame(0x83, std::uint32_t(pageAddress(t.area(), p)), QByteArray(256, 0)));
        t.driven = false;
        calls = callsBefore;
        seen = seenBefore;
    }
    // The request a reply must answer is taken to be this one (t awaits a reply).
    void sent(Probe &t, std::uint8_t command, std::int32_t address)
    {
        handler.requestSent(command, address, Requester::Transfer, &t);
    }
    void loginSent() { login.Start({nullptr, &words, &timer, &handler}); }
    Probe &transferFor(std::int32_t address)
    {
        return *static_cast<Probe *>(static_cast<Tsend_rec_command *>(handler.receiver(routeArea(address))));
    }
};

} // namespace

class TstReplyHandler : public QObject
{
    Q_OBJECT
private slots:
    void routing_data()
    {
        QTest::addColumn<int>("command");
        QTest::addColumn<uint>("address");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("call");
        QTest::addColumn<QString>("message");
        // What the watcher heard: where the reply went and how an operation ended.
        QTest::addColumn<QString>("seen");
        const QByteArray page(256, '\x5a');
        const QByteArray ok("\x01", 1), refused("\x00", 1);
        QTest::newRow("read settings p1") << 0x83 << 0x0u << page << "Reading basic setting"
                                          << "decodeSettings@0"
                                          << ""
                                          << "settings read";
        QTest::newRow("read settings p2") << 0x83 << 0x100u << page << "Reading basic setting"
                                          << "decodeSettings@100"
                                          << ""
                                          << "settings read";
        QTest::newRow("top bit set = negative = settings")
            << 0x83 << 0x80000000u << page << "Reading basic setting"
            << "decodeSettings@-80000000"
            << ""
            << "settings read";
        QTest::newRow("read numbers") << 0x83 << 0x1000u << page << "Reading number list:2/125"
                                      << "decodeNumbers@1000"
                                      << ""
                                      << "numbers read";
        QTest::newRow("read numbers top") << 0x83 << 0xFFFFu << page << "Reading number list:2/125"
                                          << "decodeNumbers@ffff"
                                          << ""
                                          << "numbers read";
        QTest::newRow("read history") << 0x83 << 0x10000u << page << "Reading historical data:1/500"
                                      << "decodeHistory@10000"
                                      << ""
                                      << "history read";
        QTest::newRow("write settings ok") << 0x82 << 0x0u << ok << "Save basic settings"
                                           << "nextSettings"
                                           << ""
                                           << "settings save";
        QTest::newRow("write settings refused") << 0x82 << 0x100u << refused << "Save basic settings"
                                                << ""
                                                << "Basic setting error"
                                                << "settings save,ended refused";
        // No data is no verdict: the page may or may not be saved, as with a damaged reply.
        QTest::newRow("write settings no data") << 0x82 << 0x0u << QByteArray() << "Save basic settings"
                                                << ""
                                                << "The unit's reply to the save carried no data"
                                                << "settings save,ended damaged";
        QTest::newRow("write numbers ok") << 0x82 << 0x1000u << ok << "Save number list:2/125"
                                          << "nextNumbers"
                                          << ""
                                          << "numbers save";
        QTest::newRow("write numbers refused") << 0x82 << 0x8C00u << refused << "Save number list:2/125"
                                               << ""
                                               << "Number list data error"
                                               << "numbers save,ended refused";
        QTest::newRow("write history area") << 0x82 << 0x10000u << ok << "Undefined address"
                                            << ""
                                            << ""
                                            << "undefined address";
        QTest::newRow("delete ok") << 0x85 << 0x0u << ok << "Delete command"
                                   << ""
                                   << "Historical data deleted"
                                   << "delete,ended completed";
        QTest::newRow("delete refused") << 0x85 << 0x0u << refused << "Delete command"
                                        << ""
                                        << "Historical data delet error"
                                        << "delete,ended refused";
        QTest::newRow("delete no data") << 0x85 << 0x0u << QByteArray() << "Delete command"
                                        << ""
                                        << "Historical data delet error"
                                        << "delete,ended refused";
        QTest::newRow("unknown command") << 0x84 << 0x0u << ok << "Undefined data"
                                         << ""
                                         << ""
                                         << "undefined data";
    }
    void routing()
    {
        QFETCH(int, command);
        QFETCH(uint, address);
        QFETCH(QByteArray, data);
        QFETCH(QString, status);
        QFETCH(QString, call);
        QFETCH(QString, message);
        QFETCH(QString, seen);
        Rig rig;
        // An earlier reply leaves 0x01 in the buffers: a later reply without data must not reuse it.
        rig.feed(frame(0x83, 0, QByteArray("\x01\x01\x01\x01", 4)));
        if (command != 0x85) rig.startAt(rig.transferFor(std::int32_t(address)), 1); // page 1 was sent
        rig.calls.clear();
        rig.seen.clear();
        rig.reporter.clear();
        if (command == 0x85)
            rig.deleteHistory.Send({nullptr, &rig.words, &rig.timer, &rig.handler});
        else
            rig.sent(rig.transferFor(std::int32_t(address)), std::uint8_t(command), std::int32_t(address));
        if (!message.isEmpty()) rig.reporter.expectStartsWith(message);
        rig.feed(frame(std::uint8_t(command), address, data));
        QCOMPARE(rig.seen.join(','), seen);
        QCOMPARE(rig.reporter.statuses().last(), status);
        QCOMPARE(rig.calls.join(','), call);
        QVERIFY(rig.reporter.allExpectedSeen());
        if (command == 0x85) {
            QCOMPARE(rig.deleteOutcomes.size(), 1);
            QCOMPARE(rig.deleteOutcomes[0].kind, seen.endsWith(QLatin1String("completed"))
                                                     ? Outcome::Kind::Completed
                                                     : Outcome::Kind::Refused);
        }
    }

    // However a transfer ends, it ends once, with the page concerned and what the unit holds;
    // a reply that comes after that ends nothing again.
    void oneOutcomePerTransfer_data()
    {
        QTest::addColumn<QString>("end");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("behind");
        const QString unknown = QStringLiteral("Pages 1 to 2 of 125 saved, page 3 may or may not be saved, "
                                               "pages 4 to 125 not saved: save again.");
        QTest::newRow("refused") << "refused" << int(Outcome::Kind::Refused) << "Number list data error"
                                 << "Pages 1 to 2 of 125 saved, pages 3 to 125 not saved: save again.";
        QTest::newRow("damaged") << "damaged" << int(Outcome::Kind::Damaged)
                                 << "The reply from the unit was damaged" << unknown;
        QTest::newRow("timed out") << "timeout" << int(Outcome::Kind::TimedOut) << "Receive timeout"
                                   << unknown;
        QTest::newRow("port lost") << "portLost" << int(Outcome::Kind::PortLost) << "" << unknown;
        QTest::newRow("stopped") << "stop" << int(Outcome::Kind::Stopped) << "Stopped after 2 of 125 pages."
                                 << unknown;
    }
    void oneOutcomePerTransfer()
    {
        QFETCH(QString, end);
        QFETCH(int, kind);
        QFETCH(QString, message);
        QFETCH(QString, behind);
        Rig rig;
        QObject::connect(&rig.timer, &QTimer::timeout, &rig.handler, &ReplyHandler::tmr1Timer);
        QList<Outcome> outcomes;
        QObject::connect(&rig.numbers, &Tsend_rec_command::done, [&](const Outcome &o) { outcomes << o; });
        rig.startAt(rig.numbers, 3, true); // pages 1 and 2 saved, page 3 awaited
        if (!message.isEmpty()) rig.reporter.expectStartsWith(message);
        const QByteArray ack = frame(0x82, 0x1200, QByteArray("\x01", 1));
        if (end == "refused") {
            rig.feed(frame(0x82, 0x1200, QByteArray("\x00", 1)));
        } else if (end == "damaged") {
            QByteArray bad = ack;
            bad[bad.size() - 1] = char(bad[bad.size() - 1] ^ 0x01);
            rig.feed(bad);
        } else if (end == "timeout") {
            ZC_TRY_VERIFY(!rig.numbers.active());
        } else if (end == "portLost") {
            rig.handler.abandonAll(Interruption::PortLost);
        } else {
            rig.handler.stopOutstanding();
        }
        QVERIFY(rig.reporter.allExpectedSeen());
        rig.feed(ack);
        QCOMPARE(outcomes.size(), 1);
        QCOMPARE(int(outcomes[0].kind), kind);
        QCOMPARE(outcomes[0].area, Area::Numbers);
        QCOMPARE(outcomes[0].page, 3);
        QCOMPARE(outcomes[0].pagesDone, 2);
        QCOMPARE(leftBehind(outcomes[0]), behind);
    }

    void progressOfPagedReads()
    {
        Rig rig;
        rig.startAt(rig.history, 1);
        rig.sent(rig.history, 0x83, 0x10000);
        rig.feed(frame(0x83, 0x10000, QByteArray(256, 0)));
        QCOMPARE(rig.reporter.progress(), QList<int>{0}); // 2 x 100 / 500
        rig.startAt(rig.numbers, 125);
        rig.sent(rig.numbers, 0x83, 0x8C00);
        rig.feed(frame(0x83, 0x8C00, QByteArray(256, 0)));
        QCOMPARE(rig.reporter.statuses().last(), QStringLiteral("Reading number list:126/125"));
        QCOMPARE(rig.reporter.progress().last(), 100);
    }

    void handOverCopiesAddressAndData()
    {
        Rig rig;
        rig.startAt(rig.settings, 1);
        rig.sent(rig.settings, 0x83, 0x100);
        QByteArray page(256, 0);
        for (int i = 0; i < 256; ++i)
            page[i] = char(255 - i);
        rig.feed(frame(0x83, 0x100, page));
        QCOMPARE(rig.settings.address, 0x100);
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(rig.settings.data.data()), 256), page);
        QCOMPARE(rig.handler.validCom().dataLength, 256);
    }

    // Only the reply to the outstanding request is taken: late, stray, duplicated and
    // mismatched replies touch no transfer.
    void onlyTheAnswerIsTaken_data()
    {
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<QString>("calls");
        const QByteArray page(256, 0);
        const QByteArray ack("\x01", 1);
        // A read of settings page 2 is outstanding.
        QTest::newRow("the answer") << frame(0x83, 0x100, page) << "decodeSettings@100";
        QTest::newRow("stray write ack") << frame(0x82, 0x0, ack) << "";
        QTest::newRow("page 1 again") << frame(0x83, 0x0, page) << "";
        QTest::newRow("other area") << frame(0x83, 0x1100, page) << "";
        QTest::newRow("stray delete") << frame(0x85, 0x0, ack) << "";
        QTest::newRow("duplicate") << frame(0x83, 0x100, page) + frame(0x83, 0x100, page)
                                   << "decodeSettings@100";
        QTest::newRow("stray then answer")
            << frame(0x82, 0x100, ack) + frame(0x83, 0x100, page) << "decodeSettings@100";
    }
    void onlyTheAnswerIsTaken()
    {
        QFETCH(QByteArray, stream);
        QFETCH(QString, calls);
        Rig rig;
        rig.startAt(rig.settings, 2);
        rig.sent(rig.settings, 0x83, 0x100);
        rig.feed(stream);
        QCOMPARE(rig.calls.join(','), calls);
        QVERIFY(!rig.reporter.progress().contains(50)); // nothing was encoded or sent
    }

    void aNewOperationEndsTheOldClaim()
    {
        Rig rig;
        QObject::connect(&rig.timer, &QTimer::timeout, &rig.handler, &ReplyHandler::tmr1Timer);
        // A save times out at page 1; the user then starts a read.
        rig.startAt(rig.settings, 1, true);
        rig.sent(rig.settings, 0x82, 0x0);
        rig.reporter.expect(
            QStringLiteral("Receive timeout\nPage 1 of 2 may or may not be saved, page 2 not saved: "
                           "save again."));
        rig.timer.startRule();
        ZC_TRY_VERIFY(rig.reporter.allExpectedSeen());
        rig.startAt(rig.numbers, 1);
        rig.sent(rig.numbers, 0x83, 0x1000);
        // The late write acknowledgement no longer continues the save.
        rig.feed(frame(0x82, 0x0, QByteArray("\x01", 1)));
        QVERIFY(rig.calls.isEmpty());
        QCOMPARE(rig.settings.pageCount(), 0);
        rig.feed(frame(0x83, 0x1000, QByteArray(256, 0)));
        QCOMPARE(rig.calls, QStringList{"decodeNumbers@1000"});
    }

    void loginTakesOnlyItsReply()
    {
        Rig rig;
        rig.loginSent();
        rig.feed(frame(0x83, 0x100, QByteArray(256, 0))); // not the login's address
        QVERIFY(rig.calls.isEmpty());
        rig.feed(frame(0x83, 0x0, QByteArray("8530") + QByteArray(252, '\xff')));
        QCOMPARE(rig.calls, QStringList{"login:8530"});
        // The first reply reached nothing; the second ended the login.
        QCOMPARE(rig.seen, (QStringList{"settings read", "settings read", "ended completed"}));
    }

    void repliesNothingAwaitsAreIgnored()
    {
        Rig rig; // never started: page counts 0, so no page 0 is ever asked for
        rig.feed(frame(0x83, 0x0, QByteArray(256, 0)));
        rig.feed(frame(0x83, 0x1000, QByteArray(256, 0)));
        rig.feed(frame(0x83, 0x10000, QByteArray(256, 0)));
        rig.feed(frame(0x82, 0x1000, QByteArray("\x01", 1)));
        // A finished read: a stray or late reply must not decode again nor repeat its message.
        rig.startAt(rig.settings, 2);
        rig.sent(rig.settings, 0x83, 0x100);
        rig.feed(frame(0x83, 0x100, QByteArray(256, 0)));
        QCOMPARE(rig.calls, QStringList{"decodeSettings@100"}); // the four before reached nothing
        rig.calls.clear();
        rig.feed(frame(0x83, 0x100, QByteArray(256, 0)));
        rig.feed(frame(0x82, 0x100, QByteArray("\x01", 1)));
        QVERIFY(rig.calls.isEmpty());
        // Each reply was routed and none ended anything.
        QCOMPARE(rig.seen, (QStringList{"settings read", "numbers read", "history read", "numbers save",
                                        "settings read", "settings read", "settings save"}));
        QVERIFY(rig.reporter.progress().isEmpty());
    }

    void shortPagesStopTheTransfer_data()
    {
        QTest::addColumn<uint>("address");
        QTest::addColumn<int>("length");
        QTest::addColumn<QString>("seen");
        QTest::newRow("settings, no data") << 0x0u << 0 << "settings read,ended damaged";
        QTest::newRow("settings, 255 bytes") << 0x100u << 255 << "settings read,ended damaged";
        QTest::newRow("number list") << 0x1000u << 32 << "numbers read,ended damaged";
        QTest::newRow("history") << 0x10000u << 128 << "history read,ended damaged";
    }
    void shortPagesStopTheTransfer()
    {
        QFETCH(uint, address);
        QFETCH(int, length);
        QFETCH(QString, seen);
        Rig rig;
        Probe &t = rig.transferFor(std::int32_t(address));
        rig.startAt(t, 1);
        rig.sent(t, 0x83, std::int32_t(address));
        rig.reporter.expect(
            QStringLiteral("The unit sent an incomplete page (%1 of 256 bytes). The transfer was "
                           "stopped; please try again.\nNo page was read: the table is as it was.")
                .arg(length));
        rig.feed(frame(0x83, address, QByteArray(length, 0x11)));
        QVERIFY(rig.reporter.allExpectedSeen());
        QVERIFY(rig.calls.isEmpty());
        QCOMPARE(rig.seen.join(','), seen);
    }

    void shortLoginReply()
    {
        Rig rig;
        rig.loginSent();
        rig.reporter.expect(
            QStringLiteral("The unit's reply to the login was incomplete. Please log in again."));
        rig.feed(frame(0x83, 0x0, QByteArray("85", 2)));
        QVERIFY(rig.calls.isEmpty());
        QVERIFY(!rig.login.loginPending);
    }

    void damagedReplyEndsWhatWaitedForIt()
    {
        Rig rig;
        QByteArray bad = frame(0x83, 0x0, QByteArray(256, 0));
        bad[20] = char(bad[20] ^ 0x01);
        // Nothing waits: only the status line says so.
        rig.feed(bad);
        QCOMPARE(rig.reporter.lastStatus(), QStringLiteral("Invalid data"));
        // An awaited page is ended, and the user is told what the save left behind.
        rig.startAt(rig.settings, 2, true);
        rig.sent(rig.settings, 0x82, 0x100);
        rig.reporter.expect(
            QStringLiteral("The reply from the unit was damaged (checksum error). The operation was "
                           "stopped; please try again.\nPage 1 of 2 saved, page 2 may or may not be "
                           "saved: save again."));
        QByteArray badAck = frame(0x82, 0x100, QByteArray("\x01", 1));
        badAck[badAck.size() - 1] = char(badAck[badAck.size() - 1] ^ 0x01);
        rig.feed(badAck);
        QVERIFY(rig.reporter.allExpectedSeen());
        QVERIFY(!rig.settings.awaitingReply());
        // The good copy arriving after it is not taken either.
        rig.feed(frame(0x82, 0x100, QByteArray("\x01", 1)));
        QVERIFY(rig.calls.isEmpty());
    }

    // A false start (0x23 and a plausible length in noise or page data) costs nothing when
    // the real reply follows, and a request starts the assembler clean.
    void resynchronisation()
    {
        Rig rig;
        rig.startAt(rig.settings, 1);
        rig.sent(rig.settings, 0x83, 0x0);
        const QByteArray falseStart = QByteArray::fromHex("2383000000000040");
        rig.feed(falseStart + frame(0x83, 0x0, QByteArray(256, 0x23)));
        QCOMPARE(rig.calls, QStringList{"decodeSettings@0"});
        // Half a false frame left in the assembler is dropped by the next request.
        rig.feed(falseStart);
        rig.startAt(rig.settings, 2);
        rig.sent(rig.settings, 0x83, 0x100);
        rig.feed(frame(0x83, 0x100, QByteArray(256, 0)));
        QCOMPARE(rig.calls, (QStringList{"decodeSettings@0", "decodeSettings@100"}));
    }

    void assembler_data()
    {
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<QStringList>("seen");
        const QByteArray good = frame(0x85, 0, QByteArray("\x01", 1));
        const QStringList deleted{"delete", "ended completed"}, undefined{"undefined data"};
        QTest::newRow("noise before") << QByteArray("\x00\x11\xff", 3) + good << deleted;
        QTest::newRow("two frames back to back") << good + good << deleted + deleted;
        QByteArray bad = good;
        bad[bad.size() - 1] = char(bad[bad.size() - 1] ^ 0x40);
        // A damaged reply ends the request it answered: the good copy after it is not taken.
        QTest::newRow("bad checksum then good")
            << bad + good << QStringList{"damaged", "ended damaged", "delete"};
        // 0x23 in address, length, data and as checksum is frame content.
        QTest::newRow("0x23 in address") << frame(0x84, 0x23232323, QByteArray("\x23", 1)) << undefined;
        QTest::newRow("0x23 in data") << frame(0x84, 0, QByteArray(0x23, '\x23')) << undefined;
        const QByteArray withHashSum = frame(0x84, 0, QByteArray("\xa6", 1)); // 0x84 ^ 0x01 ^ 0xa6 = 0x23
        QTest::newRow("0x23 as checksum") << withHashSum << undefined;
        QTest::newRow("N = 0") << frame(0x84, 0, QByteArray()) << undefined;
        // A cut frame swallows the start of the next one, which is found again inside it.
        QTest::newRow("cut frame") << good.left(2) + good + good + good
                                   << QStringList{"damaged"} + deleted + deleted + deleted;
        // A frame announcing more than 256 bytes is dropped as soon as its length is known.
        QByteArray huge = QByteArray::fromHex("2383000000000101");
        QTest::newRow("N > 256 dropped") << huge + QByteArray(20, '\x00') + good << deleted;
        QTest::newRow("N = 0xFFFF dropped") << QByteArray::fromHex("238300000000ffff") + good << deleted;
    }
    void assembler()
    {
        QFETCH(QByteArray, stream);
        QFETCH(QStringList, seen);
        Rig rig;
        for (const QString &fact : seen) {
            if (fact == "ended completed") rig.reporter.expect(QStringLiteral("Historical data deleted"));
            if (fact == "ended damaged")
                rig.reporter.expectStartsWith(QStringLiteral("The reply from the unit was damaged"));
        }
        // Each delete acknowledgement answers a delete request.
        const LinkContext link{nullptr, &rig.words, &rig.timer, &rig.handler};
        QObject::connect(&rig.deleteHistory, &Tsingalcmd::done, [&](const Outcome &o) {
            if (o.completed()) rig.deleteHistory.Send(link);
        });
        rig.deleteHistory.Send(link);
        rig.feed(stream);
        QCOMPARE(rig.seen, seen);
        QVERIFY(rig.reporter.allExpectedSeen());
        QCOMPARE(rig.handler.assembler().inFrame(), false);
    }

    // A request's deadline is its write plus the interval. Only the header of the awaited
    // reply moves it, once, by that frame's time on the wire; stray bytes never do.
    void deadline()
    {
        Rig rig;
        QObject::connect(&rig.timer, &QTimer::timeout, &rig.handler, &ReplyHandler::tmr1Timer);
        // No request outstanding: a byte leaves the timer stopped.
        rig.handler.cm1ReceiveData(0x00);
        QVERIFY(!rig.timer.isActive());
        QCOMPARE(rig.reporter.lastStatus(), QStringLiteral("Data communication"));
        // Stray bytes trickling in do not hold the request open.
        rig.startAt(rig.settings, 1);
        rig.sent(rig.settings, 0x83, 0x0);
        rig.timer.startRule();
        rig.reporter.expect(QStringLiteral("Receive timeout\nNo page was read: the table is as it was."));
        for (int i = 0; i < 100 && !rig.reporter.allExpectedSeen(); ++i) {
            rig.handler.cm1ReceiveData(0x55);
            QTest::qWait(10);
        }
        QVERIFY(rig.reporter.allExpectedSeen());
        // The awaited reply's header gives it its time on the wire; its end stops the clock.
        rig.startAt(rig.settings, 1);
        rig.sent(rig.settings, 0x83, 0x100);
        rig.timer.startRule();
        const QByteArray reply = frame(0x83, 0x100, QByteArray(256, 0));
        rig.feed(reply.left(20));
        QCOMPARE(rig.timer.interval(), 50 + ReplyHandler::wireMs(256));
        rig.feed(reply.mid(20));
        QVERIFY(!rig.timer.isActive());
        QCOMPARE(rig.calls, QStringList{"decodeSettings@100"});
        // Half a reply and then silence: the wait ends in "Receive timeout" and the half
        // frame is dropped, so the next reply is read from its start.
        rig.startAt(rig.settings, 1);
        rig.sent(rig.settings, 0x83, 0x0);
        rig.timer.startRule();
        rig.reporter.expect(QStringLiteral("Receive timeout\nNo page was read: the table is as it was."));
        rig.feed(frame(0x83, 0x0, QByteArray(256, 0)).left(100));
        ZC_TRY_VERIFY(rig.reporter.allExpectedSeen());
        QCOMPARE(rig.handler.assembler().inFrame(), false);
        rig.seen.clear();
        rig.feed(frame(0x84, 0, QByteArray()));
        QCOMPARE(rig.seen, QStringList{"undefined data"});
    }

    // Bytes the port held before a request was written cannot answer it: a frame made of
    // them is a notice, and the real reply that follows is taken.
    void bytesBeforeTheRequestAnswerNothing()
    {
        Rig rig;
        const QByteArray page = frame(0x83, 0x1400, QByteArray(256, 0x11));
        rig.startAt(rig.numbers, 5);
        rig.handler.requestSent(0x83, 0x1400, Requester::Transfer, &rig.numbers, page);
        QCOMPARE(rig.seen, (QStringList{"numbers read", "early"}));
        QVERIFY(rig.calls.isEmpty());
        QCOMPARE(rig.reporter.lastStatus(), QStringLiteral("Unasked reply from the unit ignored"));
        rig.feed(page);
        QCOMPARE(rig.calls, QStringList{"decodeNumbers@1400"});
    }

    // A time-out ends the transfer: its late reply is reported and never continued.
    void timeoutEndsTheTransfer()
    {
        Rig rig;
        QObject::connect(&rig.timer, &QTimer::timeout, &rig.handler, &ReplyHandler::tmr1Timer);
        rig.startAt(rig.settings, 1);
        rig.sent(rig.settings, 0x83, 0x0);
        rig.reporter.expect(QStringLiteral("Receive timeout\nNo page was read: the table is as it was."));
        rig.timer.startRule();
        ZC_TRY_VERIFY(rig.reporter.allExpectedSeen());
        QVERIFY(!rig.timer.isActive());
        QCOMPARE(rig.reporter.progress().last(), 100);
        QCOMPARE(rig.reporter.events().back().kind, test::RecordingReporter::Event::Progress);
        QVERIFY(!rig.settings.active());
        rig.feed(frame(0x83, 0x0, QByteArray(256, 0)));
        QVERIFY(rig.calls.isEmpty());
        QCOMPARE(
            rig.reporter.lastStatus(),
            QStringLiteral("Late reply from the unit ignored. No page was read: the table is as it was."));
    }

    // While a request is outstanding, frames that answer nothing leave its time-out
    // running: a stray acknowledgement or a duplicate never leaves the user waiting.
    void strayFramesKeepTheTimeOut()
    {
        Rig rig;
        QObject::connect(&rig.timer, &QTimer::timeout, &rig.handler, &ReplyHandler::tmr1Timer);
        rig.startAt(rig.settings, 1);
        rig.sent(rig.settings, 0x83, 0x0);
        rig.timer.startRule();
        rig.feed(frame(0x82, 0x100, QByteArray("\x01", 1)) + frame(0x83, 0x100, QByteArray(256, 0)));
        QVERIFY(rig.timer.isActive());
        rig.reporter.expect(QStringLiteral("Receive timeout\nNo page was read: the table is as it was."));
        ZC_TRY_VERIFY(rig.reporter.allExpectedSeen());
        QVERIFY(!rig.settings.active());
    }

    // Noise holding a false header with a plausible length swallows a short real reply; the
    // reply is found inside it as soon as it is whole.
    void falseHeaderBeforeAShortReply()
    {
        Rig rig;
        rig.startAt(rig.numbers, 1, true);
        rig.sent(rig.numbers, 0x82, 0x1000);
        rig.feed(QByteArray::fromHex("11238200000000ff00") + frame(0x82, 0x1000, QByteArray("\x01", 1)));
        QCOMPARE(rig.calls, QStringList{"nextNumbers"});
        QVERIFY(!rig.handler.assembler().inFrame());
    }

    void lostLoginDoesNotCaptureLaterReplies()
    {
        Rig rig;
        QObject::connect(&rig.timer, &QTimer::timeout, &rig.handler, &ReplyHandler::tmr1Timer);
        QSignalSpy ends(&rig.login, &Tpasswordverify::done);
        rig.loginSent();
        rig.reporter.expect(QStringLiteral("Receive timeout"));
        rig.timer.startRule();
        ZC_TRY_VERIFY(rig.reporter.allExpectedSeen());
        QVERIFY(!rig.login.loginPending);
        QCOMPARE(ends.size(), 1);
        QCOMPARE(ends[0][0].value<Outcome>().kind, Outcome::Kind::TimedOut);
        rig.feed(frame(0x83, 0x0, QByteArray(256, 0)));
        QVERIFY(rig.calls.isEmpty());
        QCOMPARE(ends.size(), 1);
    }

    // One set of sentences for every account of a transfer that ended early.
    void leftBehindSentences_data()
    {
        QTest::addColumn<bool>("writing");
        QTest::addColumn<int>("done");
        QTest::addColumn<bool>("unknown");
        QTest::addColumn<QString>("text");
        QTest::newRow("nothing saved")
            << true << 0 << false
            << "No page was saved (0 of 125): the unit keeps its earlier data; save again.";
        QTest::newRow("first page unanswered")
            << true << 0 << true
            << "Page 1 of 125 may or may not be saved, pages 2 to 125 not saved: save again.";
        QTest::newRow("refused after 40")
            << true << 40 << false << "Pages 1 to 40 of 125 saved, pages 41 to 125 not saved: save again.";
        QTest::newRow("unanswered after 40") << true << 40 << true
                                             << "Pages 1 to 40 of 125 saved, page 41 may or may not be "
                                                "saved, pages 42 to 125 not saved: save again.";
        QTest::newRow("last page unanswered")
            << true << 124 << true
            << "Pages 1 to 124 of 125 saved, page 125 may or may not be saved: save again.";
        QTest::newRow("all saved") << true << 125 << true << "";
        QTest::newRow("read stopped")
            << false << 3 << true << "The table holds pages read from the unit only up to page 3 of 125.";
    }
    void leftBehindSentences()
    {
        QFETCH(bool, writing);
        QFETCH(int, done);
        QFETCH(bool, unknown);
        QFETCH(QString, text);
        QCOMPARE(leftBehind(writing, 125, done, unknown), text);
    }

    // An acknowledgement without data says nothing of the page: it may or may not be saved.
    void emptyAcknowledgementCountsAsDamaged()
    {
        Rig rig;
        rig.startAt(rig.numbers, 2, true);
        rig.sent(rig.numbers, 0x82, 0x1100);
        rig.reporter.expect(
            QStringLiteral("The unit's reply to the save carried no data. The save was stopped; please "
                           "try again.\nPage 1 of 125 saved, page 2 may or may not be saved, pages 3 "
                           "to 125 not saved: save again."));
        rig.feed(frame(0x82, 0x1100, QByteArray()));
        QCOMPARE(rig.seen, (QStringList{"numbers save", "ended damaged"}));
        QVERIFY(rig.reporter.allExpectedSeen());
        QVERIFY(!rig.numbers.active());
    }

    void timerRule()
    {
        RuleTimer t(400);
        t.startRule();
        QTest::qWait(200);
        t.startRule(); // keeps counting from the first start
        QVERIFY2(t.remainingTime() < 300, "a second start must not restart the period");
        QSignalSpy spy(&t, &QTimer::timeout);
        QVERIFY(spy.wait(2000));
        t.stop();
        t.stopRule();
        QVERIFY(!t.isActive());
    }
};

QTEST_GUILESS_MAIN(TstReplyHandler)
#include "tst_reply_handler.moc"
