#include "LedGlyphs.h"

#include <QPainter>
#include <QRadialGradient>
#include <QtMath>
#include <array>

namespace tg {

namespace {

struct Lamp {
    const char *name;
    QColor bright; // the lit lamp; the unlit one is a darker shade of it
    int darkness;  // QColor::darker factor for the unlit lamp
};

const std::array<Lamp, 6> kLamps = {{
    {"RED", QColor(255, 32, 32), 300},
    {"GREEN", QColor(32, 232, 32), 300},
    {"BLUE", QColor(48, 96, 255), 300},
    {"YELLOW", QColor(255, 232, 0), 300},
    {"PURPLE", QColor(224, 48, 224), 300},
    {"BULB", QColor(255, 250, 210), 220},
}};

QImage Draw(const Lamp &lamp, bool on, qreal dpr)
{
    const int side = qCeil(LedGlyphSize * dpr);
    QImage img(side, side, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    img.setDevicePixelRatio(dpr);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    const QRectF outer(0.5, 0.5, LedGlyphSize - 1.0, LedGlyphSize - 1.0);
    // Rim: shaded grey at the top left, white at the bottom right, as if set into the panel.
    QLinearGradient rim(outer.topLeft(), outer.bottomRight());
    rim.setColorAt(0, QColor(128, 128, 128));
    rim.setColorAt(1, Qt::white);
    p.setBrush(rim);
    p.drawEllipse(outer);
    const QRectF glass = outer.adjusted(2, 2, -2, -2);
    const QColor base = on ? lamp.bright : lamp.bright.darker(lamp.darkness);
    // A highlight up and to the left gives the glass its curve; a lit lamp glows brighter.
    QRadialGradient shade(glass.center(), glass.width() / 2, glass.center() - QPointF(1.5, 1.5));
    shade.setColorAt(0, on ? QColor(255, 255, 255) : base.lighter(170));
    shade.setColorAt(on ? 0.45 : 0.6, base);
    shade.setColorAt(1, base.darker(on ? 130 : 150));
    p.setBrush(shade);
    p.drawEllipse(glass);
    return img;
}

} // namespace

QImage LedBitmap(const QString &name, qreal dpr)
{
    if (!name.startsWith(QLatin1String("LED")) || dpr <= 0)
        return {};
    for (const Lamp &lamp : kLamps) {
        const QString stem = QStringLiteral("LED") + QLatin1String(lamp.name);
        if (name == stem + QStringLiteral("ON"))
            return Draw(lamp, true, dpr);
        if (name == stem + QStringLiteral("OFF"))
            return Draw(lamp, false, dpr);
    }
    return {};
}

} // namespace tg
