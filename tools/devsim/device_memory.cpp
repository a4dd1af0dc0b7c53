#include "devsim/device_memory.h"

#include <QFile>
#include <QSaveFile>

namespace zc::devsim {

namespace {

struct Region
{
    quint32 address;
    qint64 offset;
    qint64 size;
};

constexpr Region kRegions[] = {
    {quint32(kSettingsBase), 0, DeviceMemory::kSettingsSize},
    {quint32(kNumbersBase), DeviceMemory::kNumbersOffset, DeviceMemory::kNumbersSize},
    {quint32(kHistoryBase), DeviceMemory::kHistoryOffset, DeviceMemory::kHistorySize},
};

const Region *regionOf(quint32 address)
{
    for (const Region &r : kRegions) {
        if (address >= r.address && address - r.address < quint64(r.size)) return &r;
    }
    return nullptr;
}

void setError(QString *error, const QString &text)
{
    if (error) *error = text;
}

} // namespace

DeviceMemory::DeviceMemory(Preset preset)
{
    reset(preset);
}

void DeviceMemory::reset(Preset preset)
{
    m_image = presetSettings(preset) + presetNumbers(preset) + presetHistory(preset);
    Q_ASSERT(m_image.size() == kImageSize);
}

qint64 DeviceMemory::imageOffset(quint32 address)
{
    const Region *r = regionOf(address);
    return r ? r->offset + (address - r->address) : -1;
}

qint64 DeviceMemory::regionEnd(quint32 address)
{
    const Region *r = regionOf(address);
    return r ? r->offset + r->size : -1;
}

QByteArray DeviceMemory::page(quint32 address) const
{
    if (address % 256 != 0) return {};
    return read(address, 256);
}

bool DeviceMemory::writePage(quint32 address, const QByteArray &bytes)
{
    return address % 256 == 0 && bytes.size() == 256 && write(address, bytes);
}

void DeviceMemory::eraseHistory()
{
    m_image.replace(kHistoryOffset, kHistorySize, QByteArray(kHistorySize, char(0xFF)));
}

QByteArray DeviceMemory::read(quint32 address, int length) const
{
    const qint64 offset = imageOffset(address);
    if (offset < 0 || length <= 0) return {};
    return m_image.mid(offset, qMin<qint64>(length, regionEnd(address) - offset));
}

bool DeviceMemory::write(quint32 address, const QByteArray &bytes)
{
    const qint64 offset = imageOffset(address);
    if (offset < 0 || offset + bytes.size() > regionEnd(address)) return false;
    m_image.replace(offset, bytes.size(), bytes);
    return true;
}

bool DeviceMemory::setImage(const QByteArray &image)
{
    if (image.size() != kImageSize) return false;
    m_image = image;
    return true;
}

bool DeviceMemory::load(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.exists()) return true;
    if (!file.open(QIODevice::ReadOnly)) {
        setError(error, QStringLiteral("cannot open %1: %2").arg(path, file.errorString()));
        return false;
    }
    if (file.size() != kImageSize) {
        setError(error, QStringLiteral("%1 is %2 bytes long; a device image is %3 bytes")
                            .arg(path)
                            .arg(file.size())
                            .arg(kImageSize));
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (!setImage(bytes)) {
        setError(error, QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
        return false;
    }
    return true;
}

bool DeviceMemory::save(const QString &path, QString *error) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(m_image) != m_image.size() || !file.commit()) {
        setError(error, QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
        return false;
    }
    return true;
}

} // namespace zc::devsim
