#include "OverflowNotice.h"

#include <QMessageBox>
#include <cstdio>

TOverflowNotice::TOverflowNotice(QWidget *w) : window(w)
{
    Show = [this](const QString &text) {
        if (!box) {
            box = new QMessageBox(QMessageBox::Warning, window->windowTitle(), text, QMessageBox::Ok, window);
            box->setAttribute(Qt::WA_DeleteOnClose);
            box->setModal(false);
            box->show();
        } else {
            box->setText(text);
        }
    };
}

TOverflowNotice::~TOverflowNotice()
{
    delete box;
}

QString TOverflowNotice::Text(const QString &port, uint64_t dropped)
{
    return QStringLiteral("Der Eingangspuffer von %1 ist voll: %2 Bytes wurden verworfen.\n"
                          "Das Gerät sendet schneller, als die Anzeige die Werte verarbeitet.")
        .arg(port)
        .arg(dropped);
}

void TOverflowNotice::Report(const QString &port, uint64_t totalDropped)
{
    if (totalDropped <= reported)
        return;
    reported = totalDropped;
    const QString text = Text(port, totalDropped);
    // A flood overflows at every read; the log gets one line a second at most.
    if (!sinceLog.isValid() || sinceLog.elapsed() >= 1000) {
        sinceLog.start();
        std::fprintf(stderr, "tavelgrid: %s\n", text.simplified().toLocal8Bit().constData());
    }
    if (Show)
        Show(text);
}
