// A minimal legacy .xls writer for tests: one BIFF8 sheet in a compound document, with the
// records a test gives, so formula cells with every kind of stored result can be made
// without a spreadsheet program. Cell format 0 is General, 1 a date (yyyy-mm-dd).
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QtEndian>

#include <cstring>

namespace BiffBook {

inline QByteArray u16(quint32 v)
{
    QByteArray b(2, 0);
    qToLittleEndian<quint16>(quint16(v), b.data());
    return b;
}
inline QByteArray u32(quint32 v)
{
    QByteArray b(4, 0);
    qToLittleEndian<quint32>(v, b.data());
    return b;
}
inline QByteArray record(quint16 type, const QByteArray &data)
{
    return u16(type) + u16(quint32(data.size())) + data;
}
// A BIFF8 text: 16-bit count, flags (1 = two bytes a character), the characters.
inline QByteArray text(const QString &t)
{
    QByteArray b = u16(quint32(t.size())) + QByteArray(1, '\x01');
    for (QChar c : t)
        b += u16(c.unicode());
    return b;
}
inline QByteArray cell(int row, int column, int xf)
{
    return u16(quint32(row - 1)) + u16(quint32(column - 1)) + u16(quint32(xf));
}
inline QByteArray number(int row, int column, double value, int xf = 0)
{
    QByteArray d(8, 0);
    std::memcpy(d.data(), &value, 8);
    return record(0x0203, cell(row, column, xf) + d);
}
// A text cell: index into the shared texts given to book().
inline QByteArray label(int row, int column, int index)
{
    return record(0x00FD, cell(row, column, 0) + u32(quint32(index)));
}
// A formula cell (its formula: the whole number 1) with the 8 result bytes given.
inline QByteArray formula(int row, int column, const QByteArray &result, int xf = 0)
{
    return record(0x0006,
                  cell(row, column, xf) + result + u16(0) + u32(0) + u16(3) + QByteArray("\x1E\x01\x00", 3));
}
inline QByteArray numberResult(double value)
{
    QByteArray d(8, 0);
    std::memcpy(d.data(), &value, 8);
    return d;
}
// A result that is no number: type 0 text, 1 truth value, 2 error, 3 empty text.
inline QByteArray otherResult(int type, int value = 0)
{
    return QByteArray(1, char(type)) + '\0' + char(value) + QByteArray(3, '\0') + "\xFF\xFF";
}
inline QByteArray string(const QString &t)
{
    return record(0x0207, text(t));
}

// The workbook file: globals (two cell formats, the shared texts, one sheet) and the sheet
// with a dimension record for rows and columns 1..255 and the records given.
inline QByteArray book(const QByteArray &sheetRecords, const QStringList &sharedTexts = {})
{
    const QByteArray bof = u16(0x0600) + u16(0x0005) + u16(0x0DBB) + u16(0x07CC) + u32(0) + u32(0x0206);
    const QByteArray xf = [] {
        QByteArray general = u16(0) + u16(0) + QByteArray(16, '\0');
        QByteArray date = u16(0) + u16(14) + QByteArray(16, '\0');
        return record(0x00E0, general) + record(0x00E0, date);
    }();
    QByteArray sst = u32(quint32(sharedTexts.size())) + u32(quint32(sharedTexts.size()));
    for (const QString &t : sharedTexts)
        sst += text(t);
    const QByteArray sheetName = QByteArray("\x06\x00", 2) + "Sheet1";
    QByteArray globals = record(0x0809, bof) + record(0x0042, u16(1200)) + xf + record(0x00FC, sst);
    const qint64 sheetAt = globals.size() + 4 + 6 + sheetName.size() + 4;
    globals += record(0x0085, u32(quint32(sheetAt)) + u16(0) + sheetName) + record(0x000A, {});
    QByteArray sheetBof = bof;
    sheetBof.replace(2, 2, u16(0x0010));
    QByteArray stream = globals + record(0x0809, sheetBof) +
                        record(0x0200, u32(0) + u32(255) + u16(0) + u16(255) + u16(0)) + sheetRecords +
                        record(0x000A, {});
    // Streams under 4096 bytes would sit in the short-sector store; pad past it.
    stream += QByteArray(qMax<qint64>(0, 4096 - stream.size()), '\0');
    stream += QByteArray((512 - stream.size() % 512) % 512, '\0');

    const quint32 streamSectors = quint32(stream.size() / 512);
    QByteArray header(512, '\0');
    header.replace(0, 8, QByteArray::fromHex("D0CF11E0A1B11AE1"));
    const auto put = [&header](int at, const QByteArray &b) { header.replace(at, b.size(), b); };
    put(0x18, u16(0x003E));
    put(0x1A, u16(3));
    put(0x1C, u16(0xFFFE));
    put(0x1E, u16(9));
    put(0x20, u16(6));
    put(0x2C, u32(1));          // one FAT sector: sector 0
    put(0x30, u32(1));          // the directory: sector 1
    put(0x38, u32(4096));       // short-stream cut-off
    put(0x3C, u32(0xFFFFFFFE)); // no short-sector table
    put(0x44, u32(0xFFFFFFFE));
    put(0x4C, u32(0));
    for (int i = 1; i < 109; ++i)
        put(0x4C + 4 * i, u32(0xFFFFFFFF));

    QByteArray fat;
    fat += u32(0xFFFFFFFD) + u32(0xFFFFFFFE);
    for (quint32 i = 0; i < streamSectors; ++i)
        fat += u32(i + 1 < streamSectors ? i + 3 : 0xFFFFFFFE);
    fat += QByteArray(512 - fat.size(), '\xFF');

    const auto entry = [](const QString &name, int type, quint32 child, quint32 start, quint32 size) {
        QByteArray e(128, '\0');
        for (int i = 0; i < name.size(); ++i)
            e.replace(2 * i, 2, u16(name.at(i).unicode()));
        e.replace(64, 2, u16(name.isEmpty() ? 0 : quint32(2 * (name.size() + 1))));
        e[66] = char(type);
        e[67] = 1;
        e.replace(68, 4, u32(0xFFFFFFFF));
        e.replace(72, 4, u32(0xFFFFFFFF));
        e.replace(76, 4, u32(child));
        e.replace(116, 4, u32(start));
        e.replace(120, 4, u32(size));
        return e;
    };
    QByteArray dir = entry(QStringLiteral("Root Entry"), 5, 1, 0xFFFFFFFE, 0) +
                     entry(QStringLiteral("Workbook"), 2, 0xFFFFFFFF, 2, quint32(stream.size()));
    for (int i = 0; i < 2; ++i)
        dir += entry(QString(), 0, 0xFFFFFFFF, 0, 0);
    return header + fat + dir + stream;
}

} // namespace BiffBook
