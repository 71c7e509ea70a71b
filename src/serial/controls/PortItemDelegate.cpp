#include "PortItemDelegate.h"

#include "PortIdentity.h"

QString PortItemDelegate::Label(const QModelIndex &index)
{
    return tg::platform::portLabel(index.data(Qt::DisplayRole).toString(), index.data(DescriptionRole).toString());
}

void PortItemDelegate::initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    option->text = Label(index);
}
