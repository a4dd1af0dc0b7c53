// A child for the archive's crash test: merges batches of new records into an archive
// without end, printing each batch's number once it committed, until it is killed.
#include "history/history_archive.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) return 2;
    const int batch = args[2].toInt();
    zc::HistoryArchive archive;
    if (!archive.open(args[1], true)) return 1;
    for (qint64 first = archive.count() + 1;; first += batch) {
        QList<zc::HistoryModel::Record> records;
        for (qint64 n = first; n < first + batch; ++n)
            records << zc::HistoryModel::Record{QString::number(n),
                                                QStringLiteral("2024-05-06"),
                                                QStringLiteral("08:%1:00").arg(n % 60, 2, 10, QChar(u'0')),
                                                QStringLiteral("Telephone"),
                                                QStringLiteral("Relay ON"),
                                                QStringLiteral("+4415550%1").arg(n % 100),
                                                QStringLiteral("Relay ON")};
        if (!archive.merge(records)) return 1;
        std::printf("%lld\n", first + batch - 1);
        std::fflush(stdout);
    }
}
