#pragma once
// Getting the numbers out: the values of a span of the journal as a CSV file, and the panel
// as a PNG image at the screen's pixel ratio.
#include "Journal.h"

#include <QDialog>
#include <QString>

class QDateTimeEdit;
class QWidget;
class TComDataPacket;

namespace tg::app {

// Asks for the span to export: from and to as times within the journal, the whole of it at first.
class ExportSpanDialog : public QDialog {
    Q_OBJECT
public:
    ExportSpanDialog(journal::Micros first, journal::Micros last, QWidget *parent = nullptr);
    journal::Micros From() const;
    journal::Micros Until() const;

private:
    QDateTimeEdit *from, *to;
    journal::Micros first, last;
};

// Writes the values of [from, until] to fileName, a step at a time with a progress dialog for
// a long span, so the window keeps painting. The reason when it fails or is cancelled; empty
// on success.
QString exportValues(QWidget *parent, const journal::Journal &journal, const TComDataPacket &liveFramer,
                     journal::Micros from, journal::Micros until, const QString &fileName);

// The panel as drawn on screen, at the screen's pixel ratio.
QString exportPanel(QWidget *panel, const QString &fileName);

} // namespace tg::app
