// The memory of the simulated unit: the settings record, the authorized number list and
// the history log, addressed in 256-byte pages exactly as the protocol addresses them.
//
// Image file layout (one raw file of 160512 bytes, no header):
//   offset      0, 512 bytes:    settings, device addresses 0x0000..0x01FF (pages 0x0000, 0x0100)
//   offset    512, 32000 bytes:  number list, 1000 entries of 32 bytes, addresses 0x1000..0x8CFF
//   offset  32512, 128000 bytes: history log, 1000 records of 128 bytes, addresses 0x10000..0x2F3FF
// Every region is stored as the bytes the unit would send for it, in address order.
#pragma once

#include "devsim/presets.h"
#include "link/address_map.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace zc::devsim {

class DeviceMemory
{
public:
    static constexpr int kSettingsSize = areaBytes(Area::Settings);
    static constexpr int kEntrySize = areaMap(Area::Numbers).recordSize;
    static constexpr int kEntries = areaMap(Area::Numbers).records;
    static constexpr int kRecordSize = areaMap(Area::History).recordSize;
    static constexpr int kRecords = areaMap(Area::History).records;
    static constexpr int kNumbersSize = areaBytes(Area::Numbers);
    static constexpr int kHistorySize = areaBytes(Area::History);
    static constexpr int kImageSize = kSettingsSize + kNumbersSize + kHistorySize;
    static constexpr int kNumbersOffset = kSettingsSize;
    static constexpr int kHistoryOffset = kSettingsSize + kNumbersSize;

    explicit DeviceMemory(Preset preset = Preset::Factory);

    void reset(Preset preset);

    // The 256-byte page at a page address of the map; empty for any other address.
    QByteArray page(quint32 address) const;
    // Stores a page; false (nothing stored) unless address is a page address and bytes is 256 long.
    bool writePage(quint32 address, const QByteArray &bytes);
    void eraseHistory();

    // Up to length bytes from address, cut at the end of the region it lies in; empty outside the map.
    QByteArray read(quint32 address, int length) const;
    // Writes bytes at address; false (nothing written) unless they fit inside one region.
    bool write(quint32 address, const QByteArray &bytes);

    const QByteArray &image() const { return m_image; }
    bool setImage(const QByteArray &image);

    // Loads an image file. A missing file keeps the current content and succeeds; a file of
    // any size but kImageSize is refused.
    bool load(const QString &path, QString *error = nullptr);
    // Writes the image through a temporary file, so a failed save never leaves half a file.
    bool save(const QString &path, QString *error = nullptr) const;

    // Offset of a device address in the image and the end of its region; -1 outside the map.
    static qint64 imageOffset(quint32 address);
    static qint64 regionEnd(quint32 address);

private:
    QByteArray m_image;
};

} // namespace zc::devsim
