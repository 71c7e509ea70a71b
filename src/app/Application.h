#pragma once
// The application object: no exception leaves an event handler; each one goes to the error box.
#include <QApplication>

class TApplication : public QApplication {
public:
    TApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};
