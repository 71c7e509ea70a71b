#pragma once
// Tab walks the panel's controls in reading order, top to bottom and left to right, wherever
// the user placed them: the order follows every move.
#include <QObject>
#include <QList>

class QWidget;

class TPanelTabOrder : public QObject {
public:
    // Orders the controls on page that the keyboard can reach; page owns the order.
    explicit TPanelTabOrder(QWidget *page);

protected:
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    void apply();

    QList<QWidget *> controls;
};
