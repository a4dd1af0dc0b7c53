#include "ui/contrast.h"

#include <QPainter>
#include <QRect>

#include <cmath>

namespace zc::Contrast {

namespace {

double luminance(const QColor &c)
{
    const auto channel = [](double v) {
        v /= 255.0;
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.red()) + 0.7152 * channel(c.green()) + 0.0722 * channel(c.blue());
}

QColor blend(const QColor &a, const QColor &b, double share)
{
    return QColor::fromRgbF(float(a.redF() * (1 - share) + b.redF() * share),
                            float(a.greenF() * (1 - share) + b.greenF() * share),
                            float(a.blueF() * (1 - share) + b.blueF() * share));
}

} // namespace

double ratio(const QColor &a, const QColor &b)
{
    double la = luminance(a), lb = luminance(b);
    if (la < lb) std::swap(la, lb);
    return (la + 0.05) / (lb + 0.05);
}

QColor textOn(const QColor &background)
{
    return ratio(Qt::black, background) >= ratio(Qt::white, background) ? QColor(Qt::black)
                                                                        : QColor(Qt::white);
}

QPalette onFixedColour(QPalette palette, const QColor &background)
{
    const QColor text = textOn(background);
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        for (const QPalette::ColorRole role : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText})
            palette.setColor(group, role, text);
        for (const QPalette::ColorRole role : {QPalette::Base, QPalette::Window, QPalette::Button})
            palette.setColor(group, role, background);
    }
    return palette;
}

QColor readableOn(const QColor &colour, const QColor &background)
{
    QColor c = colour;
    for (int step = 1; step <= 10 && ratio(c, background) < 4.5; ++step)
        c = blend(colour, Qt::white, step / 10.0);
    return c;
}

void frameIndicatorOnDark(QPainter &painter, const QRect &rect, const QPalette &palette,
                          const QColor &background)
{
    if (background.lightness() >= 128) return; // the style's own edge shows on a light cell
    painter.save();
    painter.setPen(blend(background, palette.color(QPalette::Text), 0.55));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect.adjusted(0, 0, -1, -1));
    painter.restore();
}

} // namespace zc::Contrast
