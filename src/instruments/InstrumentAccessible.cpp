#include "InstrumentAccessible.h"

#include "BaseControls.h"
#include "GvColBitBtn.h"
#include "GvLED.h"
#include "GvMiniTrend.h"
#include "GvTrend.h"
#include "GvValueInd.h"
#include "NumberFormat.h"
#include "SevenSeg.h"

#include <QAccessibleWidget>
#include <QCoreApplication>
#include <QKeyEvent>

namespace {

QAccessible::Role roleOf(QObject *o);

// Numbers as the instrument writes them.
QString number(const TSignalSettings &s, double v) { return FormatFloat(s.ValueFormat(), v).trimmed(); }

QString withUnit(const QString &value, const QString &unit)
{
    return unit.isEmpty() ? value : value + QLatin1Char(' ') + unit;
}

QString range(const TSignalSettings &s)
{
    return QStringLiteral("range %1 to %2").arg(number(s, s.ValueFrom()), number(s, s.ValueTo()));
}

// The value indicator keeps no limits of its own that it shows (the panel holds its factor in
// the upper one), so only the meters speak of limits.
QString describeAnalog(const TGvAnalogGControl &a)
{
    const TSignalSettings &s = *a.SignalSettings();
    QStringList parts{withUnit(a.ValueText().trimmed(), s.ValueUnit()), range(s)};
    const bool limits = !qobject_cast<const TGvValueInd *>(&a);
    if (limits)
        parts << QStringLiteral("limits %1 to %2").arg(number(s, a.LimitLower()), number(s, a.LimitUpper()));
    if (a.OverflowHigh())
        parts << QStringLiteral("above the range");
    else if (a.OverflowLow())
        parts << QStringLiteral("below the range");
    if (limits && a.UpperExceeded())
        parts << QStringLiteral("upper limit exceeded");
    if (limits && a.LowerExceeded())
        parts << QStringLiteral("lower limit exceeded");
    return parts.join(QStringLiteral("; "));
}

QString describeChannel(const TSignalSettings &s, float v)
{
    return withUnit(number(s, v), s.ValueUnit());
}

class TInstrumentAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    TInstrumentAccessible(QWidget *w, QAccessible::Role role) : QAccessibleWidget(w, role) {}

    // A button's role follows its mode, which may change after the interface was made.
    QAccessible::Role role() const override { return roleOf(object()); }

    void *interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::ValueInterface && hasValue())
            return static_cast<QAccessibleValueInterface *>(this);
        return QAccessibleWidget::interface_cast(t);
    }

    QString text(QAccessible::Text t) const override
    {
        switch (t) {
        case QAccessible::Name: return name();
        case QAccessible::Description: return description();
        case QAccessible::Value: return hasValue() ? description() : QString();
        default: return QAccessibleWidget::text(t);
        }
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        if (const auto *b = qobject_cast<const TGvBinGControl *>(object())) {
            // A momentary button is pressed while held; the others keep a state of their own.
            if (b->Mode() == gv::mButton) {
                s.pressed = b->Checked();
            } else {
                s.checkable = true;
                s.checked = b->Checked();
            }
        }
        return s;
    }

    QStringList actionNames() const override
    {
        QStringList names = QAccessibleWidget::actionNames();
        if (const auto *b = qobject_cast<const TGvBinGControl *>(object())) {
            if (b->Mode() != gv::mIndicator)
                names.prepend(b->Mode() == gv::mButton ? pressAction() : toggleAction());
        } else if (dial()) {
            names << increaseAction() << decreaseAction();
        }
        return names;
    }

    void doAction(const QString &action) override
    {
        if (!widget()->isEnabled() || !widget()->isVisible()) {
            QAccessibleWidget::doAction(action);
            return;
        }
        // The key the user would press, so that what follows (messages to the device) is the
        // same as from the keyboard.
        int key = 0;
        if (action == pressAction() || action == toggleAction())
            key = Qt::Key_Return;
        else if (action == increaseAction())
            key = Qt::Key_Up;
        else if (action == decreaseAction())
            key = Qt::Key_Down;
        if (key && actionNames().contains(action)) {
            QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier);
            QCoreApplication::sendEvent(widget(), &down);
            QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier);
            QCoreApplication::sendEvent(widget(), &up);
            return;
        }
        QAccessibleWidget::doAction(action);
    }

    QVariant currentValue() const override
    {
        if (const auto *a = analog())
            return double(a->Value());
        if (const auto *d = dial())
            return double(d->Value());
        if (const auto *t = trend())
            return double(t->ValueCh1());
        return {};
    }
    // Values come from the device or from the user's own hand on a dial; assistive technology
    // reads them, it does not set them.
    void setCurrentValue(const QVariant &) override {}
    QVariant maximumValue() const override { return signal() ? QVariant(double(signal()->ValueTo())) : QVariant(); }
    QVariant minimumValue() const override { return signal() ? QVariant(double(signal()->ValueFrom())) : QVariant(); }
    QVariant minimumStepSize() const override { return {}; }

private:
    const TGvAnalogGControl *analog() const { return qobject_cast<const TGvAnalogGControl *>(object()); }
    const TGvAnalogCControl *dial() const { return qobject_cast<const TGvAnalogCControl *>(object()); }
    const TGvMiniTrend *trend() const { return qobject_cast<const TGvMiniTrend *>(object()); }
    bool hasValue() const { return analog() || dial() || trend(); }
    const TSignalSettings *signal() const
    {
        if (const auto *a = analog())
            return a->SignalSettings();
        if (const auto *d = dial())
            return d->SignalSettings();
        if (const auto *t = trend())
            return t->SignalSettingsCh1();
        return nullptr;
    }

    // The caption for the instruments that carry one as their name, else the name they were
    // given (Instr<id>).
    QString name() const
    {
        QString caption;
        if (const auto *l = qobject_cast<const TGvLED *>(object()))
            caption = l->Caption();
        else if (const auto *t = trend())
            caption = t->Caption();
        else if (const auto *r = qobject_cast<const TGvTrend *>(object()))
            caption = r->Caption();
        if (!caption.trimmed().isEmpty())
            return caption;
        return widget()->accessibleName().isEmpty() ? object()->objectName() : widget()->accessibleName();
    }

    QString description() const
    {
        if (const auto *a = analog())
            return describeAnalog(*a);
        if (const auto *d = dial())
            return withUnit(d->ValueText().trimmed(), d->SignalSettings()->ValueUnit()) + QStringLiteral("; ") +
                   range(*d->SignalSettings());
        if (const auto *t = trend())
            return describeChannel(*t->SignalSettingsCh1(), t->ValueCh1()) + QStringLiteral("; channel 2 ") +
                   describeChannel(*t->SignalSettingsCh2(), t->ValueCh2());
        if (const auto *s = qobject_cast<const TSevenSeg *>(object()))
            return s->Caption().trimmed();
        if (const auto *b = qobject_cast<const TGvColBitBtn *>(object())) {
            const QString caption = b->CurrentLook().caption;
            return (caption.isEmpty() ? QString() : caption + QStringLiteral("; ")) + onOff(*b);
        }
        if (const auto *b = qobject_cast<const TGvBinGControl *>(object()))
            return onOff(*b);
        return QAccessibleWidget::text(QAccessible::Description);
    }

    static QString onOff(const TGvBinGControl &b)
    {
        if (!b.Checked())
            return QStringLiteral("off");
        return b.Flashing() ? QStringLiteral("on, flashing") : QStringLiteral("on");
    }
};

QAccessible::Role roleOf(QObject *o)
{
    if (qobject_cast<TGvAnalogCControl *>(o))
        return QAccessible::Dial;
    if (qobject_cast<TGvAnalogGControl *>(o))
        return QAccessible::ProgressBar;
    if (qobject_cast<TGvMiniTrend *>(o) || qobject_cast<TGvTrend *>(o))
        return QAccessible::Chart;
    if (qobject_cast<TSevenSeg *>(o))
        return QAccessible::StaticText;
    if (auto *b = qobject_cast<TGvBinGControl *>(o)) {
        switch (b->Mode()) {
        case gv::mButton: return QAccessible::PushButton;
        case gv::mSwitch: return QAccessible::CheckBox;
        case gv::mRadioButton: return QAccessible::RadioButton;
        case gv::mIndicator: return QAccessible::StaticText; // a lamp: read, not pressed
        }
    }
    return QAccessible::NoRole;
}

QAccessibleInterface *factory(const QString &, QObject *o)
{
    if (!o || !o->isWidgetType())
        return nullptr;
    const QAccessible::Role role = roleOf(o);
    if (role == QAccessible::NoRole)
        return nullptr;
    return new TInstrumentAccessible(static_cast<QWidget *>(o), role);
}

} // namespace

void tg::InstallInstrumentAccessibility()
{
    QAccessible::installFactory(factory);
}
