#include "OverflowNotice.h"

#include <cstdio>

TOverflowNotice::TOverflowNotice(QWidget *window) : box(window)
{
    Show = [this](const QString &text) { box.Show(text); };
    showTimer.setSingleShot(true);
    showTimer.setInterval(kShowMs);
    QObject::connect(&showTimer, &QTimer::timeout, [this] { tell(); });
}

QString TOverflowNotice::Text(const QString &port, uint64_t dropped)
{
    return QStringLiteral("Der Eingangspuffer von %1 ist voll: %2 Bytes wurden verworfen.\n"
                          "Das Gerät sendet schneller, als die Anzeige die Werte verarbeitet.")
        .arg(port)
        .arg(dropped);
}

void TOverflowNotice::Report(const QString &portName, uint64_t totalDropped)
{
    if (totalDropped <= reported)
        return;
    port = portName;
    reported = totalDropped;
    // The first news is told at once; more within a short while waits for it to pass.
    if (!showTimer.isActive()) {
        tell();
        showTimer.start();
    }
}

void TOverflowNotice::tell()
{
    if (reported == told)
        return;
    told = reported;
    const QString text = Text(port, told);
    if (!sinceLog.isValid() || sinceLog.elapsed() >= kLogMs) {
        sinceLog.start();
        std::fprintf(stderr, "tavelgrid: %s\n", text.simplified().toLocal8Bit().constData());
    }
    if (Show)
        Show(text);
}
