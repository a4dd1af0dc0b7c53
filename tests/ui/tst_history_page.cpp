// (filled by the history_page work)
#include <QTest>
class Tsthistorypage : public QObject
{
    Q_OBJECT
};
QTEST_MAIN(Tsthistorypage)
#include "tst_history_page.moc"
