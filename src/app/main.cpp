#include "Application.h"
#include "ComPort.h"
#include "Font.h"
#include "MainWindow.h"

#include <QCommandLineParser>
#include <QComboBox>
#include <QTimer>
#include <cstdio>

int main(int argc, char **argv)
{
    TApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tavelgrid"));
    QApplication::setApplicationVersion(QStringLiteral(TAVELGRID_VERSION));

    QCommandLineParser cl;
    cl.setApplicationDescription(QStringLiteral("Serial-port instrument panel"));
    cl.addHelpOption();
    cl.addVersionOption();
    const QCommandLineOption port(QStringLiteral("port"), QStringLiteral("Serial port to use."), QStringLiteral("NAME"));
    const QCommandLineOption baud(QStringLiteral("baud"), QStringLiteral("Baud rate."), QStringLiteral("N"));
    const QCommandLineOption connectNow(QStringLiteral("connect"), QStringLiteral("Connect at start."));
    const QCommandLineOption settings(QStringLiteral("settings"), QStringLiteral("Settings file to use."),
                                      QStringLiteral("FILE"));
    cl.addOptions({port, baud, connectNow, settings});
    cl.process(app);

    TFont::installSubstitutions();
    TFormMain w;
    if (cl.isSet(port))
        w.ComPort1->SetPort(cl.value(port));
    if (cl.isSet(baud))
        w.ComboBoxBaud->setCurrentText(cl.value(baud));
    w.show();
    if (cl.isSet(connectNow))
        QTimer::singleShot(0, &w, &TFormMain::ButtonConnectComPort1Click);
    return app.exec();
}
