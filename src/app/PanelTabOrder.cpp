#include "PanelTabOrder.h"

#include <QEvent>
#include <QWidget>
#include <algorithm>

TPanelTabOrder::TPanelTabOrder(QWidget *page) : QObject(page)
{
    for (QWidget *w : page->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        if (w->focusPolicy() & Qt::TabFocus) {
            controls << w;
            w->installEventFilter(this);
        }
    apply();
}

bool TPanelTabOrder::eventFilter(QObject *watched, QEvent *e)
{
    if (e->type() == QEvent::Move)
        apply();
    return QObject::eventFilter(watched, e);
}

void TPanelTabOrder::apply()
{
    QList<QWidget *> order = controls;
    std::stable_sort(order.begin(), order.end(), [](const QWidget *a, const QWidget *b) {
        return std::pair(a->y(), a->x()) < std::pair(b->y(), b->x());
    });
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}
