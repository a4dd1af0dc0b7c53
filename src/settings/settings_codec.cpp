#include "settings/settings_codec.h"

#include "link/device_text.h"
#include "link/digits.h"
#include "settings/settings_check.h"
#include "settings/settings_items.h"
#include "settings/settings_model.h"

#include <QByteArray>

#include <algorithm>
#include <vector>

namespace zc::SettingsCodec {

namespace {

using SettingsItems::Kind;

// One stored copy of an item.
struct Field
{
    int page;
    int offset;
    int width;
    int item;
    Kind kind;
};

// The record layout in write order, that is in offset order on each page: item 9 precedes
// item 8, item 10 is stored twice, and items 15..17 are stored as 17, 15, 16.
const std::vector<Field> &fields()
{
    static const std::vector<Field> layout = [] {
        std::vector<Field> all;
        for (const SettingsItems::Item &it : SettingsItems::all()) {
            all.push_back({it.page, it.offset, it.width, it.number, it.kind});
            if (it.copyOffset >= 0) all.push_back({it.page, it.copyOffset, it.width, it.number, it.kind});
        }
        std::sort(all.begin(), all.end(), [](const Field &a, const Field &b) {
            return a.page != b.page ? a.page < b.page : a.offset < b.offset;
        });
        return all;
    }();
    return layout;
}

const Field &field(int page, int offset)
{
    for (const Field &f : fields())
        if (f.page == page && f.offset == offset) return f;
    Q_UNREACHABLE();
}

QString readDigits(const std::uint8_t *src, int width)
{
    int n = 0;
    while (n < width && isPhoneChar(src[n]))
        ++n;
    return DeviceText::fromBytes(QByteArray(reinterpret_cast<const char *>(src), n));
}

QString readUntil(const std::uint8_t *src, int width, std::uint8_t terminator)
{
    const int n = int(std::find(src, src + width, terminator) - src);
    return DeviceText::fromBytes(QByteArray(reinterpret_cast<const char *>(src), n));
}

void readField(const std::uint8_t *page, const Field &f, SettingsModel &model)
{
    const std::uint8_t *src = page + f.offset;
    switch (f.kind) {
    case Kind::Digits:
        model.setContent(f.item, readDigits(src, f.width));
        break;
    case Kind::LongText:
        model.setContent(f.item, readUntil(src, f.width, 0x00));
        break;
    case Kind::PlainText:
        model.setContent(f.item, readUntil(src, f.width, 0xFF));
        break;
    case Kind::Number:
        model.setContent(f.item, QString::number(src[0] | (src[1] << 8)));
        break;
    case Kind::Pick:
        model.setPickSelection(f.item, src[0]);
        break;
    }
}

} // namespace

Record encodeRecord(const SettingsModel &model, SettingsCheck::Cut cut)
{
    Record record;
    for (auto &page : record.pages)
        page.fill(0xFF);
    for (const SettingsItems::Item &it : SettingsItems::all()) {
        QByteArray bytes;
        if (it.kind == Kind::Pick) {
            const int sel = model.pickSelection(it.number);
            bytes = QByteArray(1, char(sel < 0 ? 0xFF : sel));
        } else {
            const QString content = model.content(it.number);
            SettingsCheck::Stored stored = SettingsCheck::store(it.number, content, cut);
            if (!stored.ok()) {
                record.refused.append({it.number, stored.refusal});
                continue;
            }
            if (const auto c = SettingsCheck::cutText(it.number, content)) record.cut << *c;
            bytes = std::move(stored.bytes);
        }
        // Item 10 is kept twice: both copies take the same bytes.
        for (const int offset : {it.offset, it.copyOffset})
            if (offset >= 0)
                std::copy(bytes.cbegin(), bytes.cend(),
                          record.pages[std::size_t(it.page - 1)].begin() + offset);
    }
    return record;
}

EncodeResult encodePage(int page, const SettingsModel &model, SettingsCheck::Cut cut)
{
    EncodeResult result;
    result.page.fill(0xFF);
    if (page != 1 && page != 2) return result; // no item lies there
    const Record record = encodeRecord(model, cut);
    for (const auto &[item, reason] : record.refused)
        if (SettingsItems::find(item)->page == page) {
            result.ok = false;
            result.error = reason;
            return result;
        }
    result.page = record.pages[std::size_t(page - 1)];
    return result;
}

void decodePage(int page, const std::uint8_t *data, SettingsModel &model,
                const std::function<void(int)> &progress)
{
    const auto report = [&](int percent) {
        if (progress) progress(percent);
    };
    const auto read = [&](int offset) { readField(data, field(page, offset), model); };

    if (page == 1) {
        report(25);
        for (int offset : {0, 4, 26, 27, 28, 68, 108, 110, 111})
            read(offset);
        // Item 10 is stored twice; the second copy is the one shown.
        read(112);
        read(114);
        report(40);
        for (int offset : {116, 117, 118, 158, 198, 200, 202, 204, 236, 238})
            read(offset);
        report(50);
    } else if (page == 2) {
        read(0);
        report(90);
        read(17);
        report(100);
    }
}

QString devicePassword(const std::uint8_t *page1)
{
    // Item 1 is the field the login compares: one decoding serves both.
    Q_ASSERT(field(1, 0).offset == 0 && field(1, 0).width == DeviceText::kPasswordBytes);
    return DeviceText::password(page1);
}

} // namespace zc::SettingsCodec
