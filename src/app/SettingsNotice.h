#pragma once
// Says in the window, without stopping anybody, that the settings of this run cannot be kept:
// a line above the pages that the user can close.
#include <QToolBar>

class IniFileStorage;
class QLabel;
class QMainWindow;

// Why the settings of this run cannot be read or saved; empty when they can.
QString settingsProblem(const IniFileStorage &storage);

class TSettingsNotice : public QToolBar {
    Q_OBJECT
public:
    TSettingsNotice(QMainWindow *window, const QString &text);
    QString Text() const;

private:
    QLabel *label;
};
