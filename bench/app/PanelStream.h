#pragma once
// The messages a busy device sends to the panel.
#include <QByteArray>

// A realistic mix: every id the panel shows, each value different from the one before.
inline QByteArray panelStream(qsizetype bytes)
{
    QByteArray s;
    for (int i = 0; s.size() < bytes; ++i) {
        const QByteArray v = QByteArray::number((i * 37) % 1000) + "." + QByteArray::number(i % 10);
        switch (i % 8) {
        case 0:
        case 1:
        case 2:
            s += "#" + QByteArray::number(i % 10 + 1) + "M" + v + "<"; // meters
            break;
        case 3:
            s += "#" + QByteArray::number(41 + i % 4) + "M0." + QByteArray::number(i % 100) + "<";
            break;
        case 4:
            s += "#40M" + v + "<";
            break;
        case 5:
            s += "#60M" + QByteArray::number(i % 256) + "<";
            break;
        case 6:
            s += "#90M" + QByteArray::number(i % 100) + "<";
            break;
        default:
            s += "#" + QByteArray::number(35 + i % 2) + "MPumpe " + QByteArray::number(i % 50) + "<";
        }
    }
    return s;
}
