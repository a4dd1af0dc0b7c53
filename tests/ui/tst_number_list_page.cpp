// (filled by the number_list_page work)
#include <QTest>
class Tstnumberlistpage : public QObject
{
    Q_OBJECT
};
QTEST_MAIN(Tstnumberlistpage)
#include "tst_number_list_page.moc"
