#pragma once
// Draws an entry of the port list with what the device says it is beside the port name. The
// entry's text stays the bare name, so the selection and the value written to the port do not
// change.
#include <QStyledItemDelegate>

class PortItemDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    // The item role that holds the description.
    static constexpr int DescriptionRole = Qt::UserRole + 1;

    using QStyledItemDelegate::QStyledItemDelegate;
    // The text an entry is drawn with.
    static QString Label(const QModelIndex &index);

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;
};
