#include "PanelAccessible.h"

#include "ActiveLabel.h"
#include "InstrumentAccessible.h"

#include <QAccessibleWidget>

namespace {

// The label's name is its instrument's; the text the device sent is its description.
class TLabelAccessible : public QAccessibleWidget {
public:
    explicit TLabelAccessible(QWidget *w) : QAccessibleWidget(w, QAccessible::StaticText) {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Description)
            return static_cast<const ActiveLabel *>(widget())->text();
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
            return object()->objectName();
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface *labelFactory(const QString &, QObject *o)
{
    if (auto *l = qobject_cast<ActiveLabel *>(o))
        return new TLabelAccessible(l);
    return nullptr;
}

} // namespace

void tg::app::installPanelAccessibility()
{
    tg::InstallInstrumentAccessibility();
    QAccessible::installFactory(labelFactory);
}
