#include "ui/help_page.h"

#include <QPainter>

namespace zc {

HelpPicture::HelpPicture(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("img_help"));
}

QString HelpPicture::title()
{
    return QStringLiteral("Configuration Steps");
}

QStringList HelpPicture::steps()
{
    return {
        QStringLiteral("Open the unit's back cover and insert the SIM card."),
        QStringLiteral("Connect the unit's power supply."),
        QStringLiteral(
            "Set the unit's time by SMS: send the device password, TEL, the unit's SIM card number "
            "and # (without quotation marks), for example 8530TEL001911#."),
        QStringLiteral("Connect the unit to the computer with the USB cable."),
        QStringLiteral("Find the port: the unit's Silicon Labs CP210x USB to UART bridge appears as a serial "
                       "port, usually ttyUSB0 (run  ls /dev/serial/by-id  to see it by name)."),
        QStringLiteral("Your user must be allowed to use serial ports: join the dialout group "
                       "(sudo adduser $USER dialout), then log out and in again."),
        QStringLiteral(
            "In this tool, pick that port in the COM Port list and click Open. When the lamp at the "
            "bottom turns green, the connection is made."),
        QStringLiteral(
            "Click Log in. The default password is 8530; enter the new password if it was changed."),
        QStringLiteral("Click Read Settings and set the parameters as needed."),
        QStringLiteral("Click Save Settings."),
        QStringLiteral("After the settings, disconnect the USB cable and restart the unit; it enters its "
                       "working state."),
        QStringLiteral("A smartphone app can also be used to set the unit."),
    };
}

QString HelpPicture::keys()
{
    return QStringLiteral(
        "Keys: F5 reads the current page, Ctrl+S saves it (settings and list), Ctrl+E exports "
        "it, Esc stops a transfer, Ctrl+Z undoes, Ctrl+Y or Ctrl+Shift+Z redoes.");
}

QRectF HelpPicture::keysRect() const
{
    // The key list sits at the bottom of the card, as tall as its wrapped lines need.
    const qreal width = this->width() - 58;
    const QRectF bounds =
        QFontMetricsF(keysFont())
            .boundingRect(QRectF(0, 0, width, 1000), Qt::AlignLeft | Qt::TextWordWrap, keys());
    return QRectF(30, height() - 10 - bounds.height(), width, bounds.height());
}

QFont HelpPicture::keysFont() const
{
    QFont f = font();
    f.setPixelSize(12);
    return f;
}

void HelpPicture::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QRectF card = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    p.setPen(QColor(120, 170, 120));
    p.setBrush(QColor(226, 244, 222));
    p.drawRoundedRect(card, 8, 8);

    QFont titleFont = font();
    titleFont.setPixelSize(26);
    titleFont.setBold(true);
    p.setFont(titleFont);
    p.setPen(QColor(20, 80, 30));
    const QRectF titleRect(24, 14, width() - 48, 40);
    p.drawText(titleRect, Qt::AlignHCenter | Qt::AlignVCenter, title());

    // The steps fill the room between the title and the key list; a font too large for it
    // is made smaller, so neither is cut.
    const QRectF keysAt = keysRect();
    const QStringList list = steps();
    const qreal top = 66, numWidth = 34, textLeft = 30 + numWidth, textWidth = width() - textLeft - 28;
    QFont stepFont = font();
    const auto heightAt = [&](qreal px) {
        stepFont.setPixelSize(int(px));
        const QFontMetricsF fm(stepFont);
        qreal h = 0;
        for (const QString &step : list)
            h += fm.boundingRect(QRectF(0, 0, textWidth, 1000), Qt::TextWordWrap, step).height() + 8;
        return h;
    };
    int px = 14;
    while (px > 9 && top + heightAt(px) > keysAt.top())
        --px;
    stepFont.setPixelSize(px);
    QFont numFont = stepFont;
    numFont.setBold(true);
    qreal y = top;
    for (int i = 0; i < list.size(); ++i) {
        p.setFont(stepFont);
        const QRectF bounds = p.boundingRect(QRectF(textLeft, y, textWidth, 200), Qt::TextWordWrap, list[i]);
        p.setFont(numFont);
        p.setPen(QColor(20, 100, 40));
        p.drawText(QRectF(30, y, numWidth, bounds.height()), Qt::AlignLeft | Qt::AlignTop,
                   QStringLiteral("%1.").arg(i + 1));
        p.setFont(stepFont);
        p.setPen(QColor(30, 30, 30));
        p.drawText(QRectF(textLeft, y, textWidth, bounds.height()), Qt::TextWordWrap, list[i]);
        y += bounds.height() + 8;
    }
    p.setFont(keysFont());
    p.setPen(QColor(20, 80, 30));
    p.drawText(keysAt, Qt::AlignLeft | Qt::TextWordWrap, keys());
}

} // namespace zc
