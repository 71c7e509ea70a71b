#include "Application.h"

#include "ApplicationException.h"

#include <QMessageBox>

TApplication::TApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    tg::setApplicationExceptionHandler([](std::exception_ptr error) {
        QMessageBox::critical(QApplication::activeWindow(), QApplication::applicationName(),
                              QString::fromUtf8(tg::exceptionText(error)));
    });
}

bool TApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        tg::handleApplicationException(std::current_exception());
        return false;
    }
}
