#include "GvNumEdit.h"

#include "ApplicationException.h"
#include "Draw.h"
#include "FlashService.h"
#include "FormatSettings.h"
#include "NumberFormat.h"
#include "NumberParse.h"
#include "Numeric.h"
#include "SpinButton.h"

#include <QApplication>
#include <QKeyEvent>
#include <array>
#include <cfloat>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace {

constexpr double IntRange = 2147483647.0;
// The float notation has no practical lower bound (its nominal lower end lies beyond double),
// but a value is always finite.
constexpr double FloatLow = std::numeric_limits<double>::lowest();
constexpr double FloatHigh = 1.7e308;

const QString Suffixes = QStringLiteral("EPTGMkmunpfa");
constexpr float SuffixFactors[] = {1e18f, 1e15f, 1e12f, 1e9f, 1e6f, 1e3f, 1e-3f, 1e-6f, 1e-9f, 1e-12f, 1e-15f, 1e-18f};

bool hasExponent(TGvNumEdit::TEditBase b) { return b == TGvNumEdit::ebFloat; }
bool hasSigns(TGvNumEdit::TEditBase b) { return b == TGvNumEdit::ebFloat || b == TGvNumEdit::ebInt; }
bool hasSuffix(TGvNumEdit::TEditBase b) { return b == TGvNumEdit::ebFloat || b == TGvNumEdit::ebInt; }

QString allowedChars(TGvNumEdit::TEditBase b, const TFormatSettings &fs)
{
    switch (b) {
    case TGvNumEdit::ebBin: return QStringLiteral("01");
    case TGvNumEdit::ebHex: return QStringLiteral("0123456789abcdefABCDEF");
    case TGvNumEdit::ebFloat: return QStringLiteral("0123456789") + fs.DecimalSeparator + fs.ThousandSeparator;
    case TGvNumEdit::ebInt: return QStringLiteral("0123456789") + fs.ThousandSeparator;
    }
    return {};
}

double clampToNotation(double x, TGvNumEdit::TEditBase b)
{
    if (b == TGvNumEdit::ebFloat)
        return x > FloatHigh ? FloatHigh : (x < FloatLow ? FloatLow : x);
    return x > IntRange ? IntRange : (x < -IntRange ? -IntRange : x);
}

// Hex digits accumulated in 64 bits; long entries saturate far beyond the 32-bit range that
// the value is clamped to afterwards.
qint64 hexToBits(const QString &t)
{
    qint64 v = 0;
    for (QChar c : t) {
        v = v * 16 + QString(c).toInt(nullptr, 16);
        if (v > (qint64(1) << 40))
            return v;
    }
    return v;
}

// Binary and hex texts of up to 32 significant bits are the field's own notation, the 32-bit
// two's complement (FFFFFFFF is -1), so a shown negative value reads back unchanged; longer
// ones lie beyond the range and are clamped later.
double fromBits(qint64 bits)
{
    return bits <= qint64(0xFFFFFFFF) ? double(qint32(quint32(bits))) : double(bits);
}

} // namespace

TGvNumEdit::TGvNumEdit(QWidget *parent) : QLineEdit(parent)
{
    resize(65, sizeHint().height());
    applyBackground(colorDefault);
    showQuiet(QStringLiteral("0"));
    connect(this, &QLineEdit::textChanged, this, [this] {
        if (quiet)
            return;
        // Only a commit may report a failure; while typing the check just colours the field.
        CheckText(committed.isEmpty());
    });
    CheckText(true);
}

void TGvNumEdit::applyBackground(TColor c)
{
    QPalette p = palette();
    p.setColor(QPalette::Base, toQColor(c, QApplication::palette().color(QPalette::Base)));
    setPalette(p);
}

void TGvNumEdit::showQuiet(const QString &t)
{
    const bool was = quiet;
    quiet = true;
    setText(t);
    quiet = was;
}

void TGvNumEdit::setState(TNumEditState s)
{
    if (s == state)
        return;
    state = s;
    applyBackground(s == esNormal ? colorDefault : s == esEditing ? colorEditing : colorError);
    if (s == esError) {
        repaint(); // show the colour before the beep, without running queued input
        QApplication::beep();
    }
    StateChanged();
}

void TGvNumEdit::SetColorDefault(TColor c)
{
    colorDefault = c;
    applyBackground(c);
}

double TGvNumEdit::clampToLimits(double x)
{
    if (options & eoLimitMin) {
        const bool f = x <= minValue;
        if (!(x > minValue))
            x = minValue;
        if (f != atMin) {
            atMin = f;
            if (OnLimit)
                OnLimit(this);
        }
    }
    if (options & eoLimitMax) {
        const bool f = x >= maxValue;
        if (x >= maxValue)
            x = maxValue;
        if (f != atMax) {
            atMax = f;
            if (OnLimit)
                OnLimit(this);
        }
    }
    return x;
}

QString TGvNumEdit::shownText() const
{
    switch (editBase) {
    case ebBin: return valueAsBool;
    case ebHex: return valueAsHex;
    case ebFloat: return FormatFloat(formatStr, value);
    case ebInt: return QString::number(valueAsInt);
    }
    return {};
}

void TGvNumEdit::setValueInternal(double x)
{
    x = clampToNotation(x, editBase);
    if (x < -3.4e38)
        valueAsSingle = -std::numeric_limits<float>::infinity();
    else if (x > 3.4e38)
        valueAsSingle = FLT_MAX;
    else
        valueAsSingle = float(x);
    const double r = tg::roundEven(x);
    valueAsInt = r >= IntRange ? int(IntRange) : r <= -IntRange ? -int(IntRange) : int(r);
    value = x;
    valueAsHex = QString::number(quint32(valueAsInt), 16).toUpper().rightJustified(digitsHex, u'0');
    valueAsBool = tg::IntToBinText(quint32(valueAsInt), digitsBool);
    const QString shown = shownText();
    showQuiet(shown);
    setState(esNormal);
    if (!loading && OnValueChanged && shown != committed)
        OnValueChanged(this);
    committed = shown;
    StateChanged();
}

void TGvNumEdit::SetValue(double v)
{
    if (std::isfinite(v) && v != value)
        setValueInternal(clampToLimits(v));
}

void TGvNumEdit::SetValueAsInt(int v)
{
    if (QString::number(v) != text())
        setValueInternal(v);
}

void TGvNumEdit::SetValueAsSingle(float v)
{
    if (std::isfinite(v) && FormatFloat(formatStr, v) != text())
        setValueInternal(v);
}

void TGvNumEdit::SetValueAsBool(const QString &t)
{
    if (t != text()) {
        showQuiet(editBase == ebBin ? t : QStringLiteral("&") + t);
        CheckText(true);
    }
}

void TGvNumEdit::SetValueAsHex(const QString &t)
{
    if (t != text()) {
        showQuiet(editBase == ebHex ? t : QStringLiteral("$") + t);
        CheckText(true);
    }
}

void TGvNumEdit::SetEditBase(TEditBase b)
{
    if (b == editBase)
        return;
    editBase = b;
    committed = shownText();
    showQuiet(committed);
    setState(esNormal);
}

void TGvNumEdit::SetFormatStr(const QString &f)
{
    if (f == formatStr)
        return;
    formatStr = f;
    if (editBase == ebFloat)
        showQuiet(FormatFloat(formatStr, value));
    CheckText(true);
}

void TGvNumEdit::SetIncrement(float f)
{
    if (std::isfinite(f))
        increment = f;
}

void TGvNumEdit::SetMaxValue(double v)
{
    if (std::isfinite(v) && v != maxValue) {
        maxValue = v;
        CheckText(true);
    }
}

void TGvNumEdit::SetMinValue(double v)
{
    if (std::isfinite(v) && v != minValue) {
        minValue = v;
        CheckText(true);
    }
}

void TGvNumEdit::SetOptions(TNumEditOptions o)
{
    if (o != options) {
        options = o;
        CheckText(true);
    }
}

bool TGvNumEdit::CheckText(bool commit)
{
    const QString t = text();
    if (t.isEmpty()) {
        setState(esEditing);
        return true;
    }
    const TFormatSettings &fs = FormatSettings();
    qsizetype start = 0;
    TEditBase nb = editBase;
    const int prefix = QStringLiteral("!$%&").indexOf(t[0]);
    if (prefix >= 0) {
        start = 1;
        nb = std::array{ebFloat, ebHex, ebInt, ebBin}[prefix];
    }
    qsizetype end = t.size();
    double factor = 1;
    if (hasSuffix(nb) && end > start) {
        const int s = Suffixes.indexOf(t[end - 1]);
        if (s >= 0 && (nb == ebFloat || SuffixFactors[s] > 1)) {
            factor = SuffixFactors[s];
            --end;
        }
    }
    QString part = t.mid(start, end - start);

    // Character check; the wrong ones are summarised as one span.
    const QString allowed = allowedChars(nb, fs);
    qsizetype first = -1, last = -1;
    auto wrong = [&](qsizetype i) {
        if (first < 0 || i < first)
            first = i;
        if (i > last)
            last = i;
    };
    const auto isSign = [](QChar c) { return c == u'+' || c == u'-'; };
    qsizetype i = 0;
    if (!part.isEmpty() && hasSigns(nb) && isSign(part[0]))
        i = 1;
    bool inExponent = false;
    for (; i < part.size(); ++i) {
        const QChar c = part[i];
        if (hasExponent(nb) && !inExponent && (c == u'E' || c == u'e')) {
            inExponent = true;
            if (i + 1 < part.size() && isSign(part[i + 1]))
                ++i;
        } else if (!allowed.contains(c)) {
            wrong(i);
        }
    }
    const qsizetype firstSep = part.indexOf(fs.DecimalSeparator);
    for (qsizetype k = firstSep >= 0 ? part.indexOf(fs.DecimalSeparator, firstSep + 1) : -1; k >= 0;
         k = part.indexOf(fs.DecimalSeparator, k + 1))
        wrong(k);
    if (first >= 0) {
        setState(esError);
        if (isEnabled() && isVisible())
            setFocus();
        setSelection(int(start + first), int(last - first + 1));
        return false;
    }

    // Complete and convert the number part.
    if (part.size() == 1 && isSign(part[0]))
        part += u'0';
    if (hasExponent(nb) && !part.isEmpty() && (part[0] == u'E' || part[0] == u'e'))
        part.prepend(u'1');
    if (hasSuffix(nb) && part.isEmpty() && factor != 1)
        part = QStringLiteral("1");
    part.remove(fs.ThousandSeparator);
    double x = 0;
    bool ok = true;
    if (!part.isEmpty()) {
        switch (nb) {
        case ebBin: x = fromBits(tg::BinTextToInt(part)); break;
        case ebHex: x = fromBits(hexToBits(part)); break;
        case ebFloat:
        case ebInt:
            ok = tg::parseDecimal(part, fs.DecimalSeparator, x, tg::DecimalOverflow::Saturate);
            break;
        }
    }
    // Clamped in the entry's own notation, so that long binary or hex entries saturate.
    x = clampToNotation(x * factor, nb);
    if (!ok) {
        setState(esError);
        if (commit)
            tg::handleApplicationException(std::make_exception_ptr(
                std::invalid_argument(QStringLiteral("'%1' is not a valid number").arg(t).toStdString())));
        return false;
    }
    setState(t == committed || commit ? esNormal : esEditing);
    if (commit)
        setValueInternal(clampToLimits(x));
    return true;
}

void TGvNumEdit::step(bool up)
{
    if (isReadOnly() || (up ? atMax : atMin)) {
        QApplication::beep();
        return;
    }
    const bool multiply = (options & eoMultiply) && editBase == ebFloat && increment != 0 && value != 0;
    double x;
    if (up)
        x = multiply ? double(increment) * value : value + increment;
    else
        x = multiply ? value / double(increment) : value - increment;
    setValueInternal(clampToLimits(x));
    if (OnChange)
        OnChange(this);
}

void TGvNumEdit::Increase() { step(true); }
void TGvNumEdit::Decrease() { step(false); }

void TGvNumEdit::commitEmptyAsZero()
{
    if (text().isEmpty())
        showQuiet(QStringLiteral("0"));
    CheckText(true);
}

void TGvNumEdit::keyPressEvent(QKeyEvent *e)
{
    const int key = e->key();
    if ((key == Qt::Key_Up && !atMax) || (key == Qt::Key_Down && !atMin)) {
        key == Qt::Key_Up ? Increase() : Decrease();
        e->accept();
        return;
    }
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && editorEnabled) {
        e->accept();
        commitEmptyAsZero();
    } else if (!editorEnabled && (!e->text().isEmpty() || key == Qt::Key_Delete)) {
        e->accept();
        QApplication::beep();
    } else if (key == Qt::Key_Escape && state != esNormal) {
        e->accept();
        setValueInternal(value);
    } else {
        QLineEdit::keyPressEvent(e);
    }
    if (OnChange)
        OnChange(this);
}

void TGvNumEdit::keyReleaseEvent(QKeyEvent *e)
{
    // A held key reports a release before every repetition; only the real release counts.
    if (e->isAutoRepeat()) {
        e->accept();
        return;
    }
    QLineEdit::keyReleaseEvent(e);
    if (OnKeyUp)
        OnKeyUp(this);
}

void TGvNumEdit::focusInEvent(QFocusEvent *e)
{
    QLineEdit::focusInEvent(e);
    if (autoSelect && e->reason() != Qt::MouseFocusReason)
        selectAll();
}

void TGvNumEdit::focusOutEvent(QFocusEvent *e)
{
    QLineEdit::focusOutEvent(e);
    commitEmptyAsZero();
}

void TGvNumEdit::changeEvent(QEvent *e)
{
    QLineEdit::changeEvent(e);
    if (e->type() == QEvent::EnabledChange)
        StateChanged();
}

TGvNumSpin::TGvNumSpin(QWidget *parent) : TGvNumEdit(parent), button(new TGvSpinButton(this))
{
    button->SetFocusControl(this);
    button->OnUpClick = [this](QObject *) { Increase(); };
    button->OnDownClick = [this](QObject *) { Decrease(); };
    if (height() < minHeight())
        resize(width(), minHeight());
    StateChanged();
}

int TGvNumSpin::Interval() const { return button->Interval(); }
void TGvNumSpin::SetInterval(int ms) { button->SetInterval(ms); }
uint TGvNumSpin::StartDelay() const { return button->StartDelay(); }
void TGvNumSpin::SetStartDelay(uint ms) { button->SetStartDelay(ms); }

int TGvNumSpin::minHeight() const
{
    const int line = fontMetrics().height();
    const int sysLine = QFontMetrics(QApplication::font()).height();
    constexpr int borderHeight = 1;
    return 4 * borderHeight + line + std::min(line, sysLine) / 4 + 2;
}

QSize TGvNumSpin::minimumSizeHint() const
{
    return {TGvNumEdit::minimumSizeHint().width(), minHeight()};
}

void TGvNumSpin::resizeEvent(QResizeEvent *e)
{
    if (height() < minHeight()) {
        resize(width(), minHeight());
        return;
    }
    TGvNumEdit::resizeEvent(e);
    constexpr int w = 15;
    if (hasFrame())
        button->setGeometry(width() - 4 - w, 0, w, height() - 4);
    else
        button->setGeometry(width() + 1 - w, 1, w, height() - 4);
    // The text ends 2 pixels left of the buttons so it never runs under them.
    setTextMargins(0, 0, width() - button->x() + 2, 0);
}

namespace {
void release(TGvTimerSpeedBtn *b)
{
    FlashUnregister(b);
    b->setDown(false);
}

// A held button that gets disabled stops repeating too.
void enableButton(TGvTimerSpeedBtn *b, bool on)
{
    if (!on)
        release(b);
    b->setEnabled(on);
}
} // namespace

void TGvNumSpin::focusOutEvent(QFocusEvent *e)
{
    release(button->UpButton());
    release(button->DownButton());
    TGvNumEdit::focusOutEvent(e);
}

void TGvNumSpin::StateChanged()
{
    const bool normal = isEnabled() && State() == esNormal;
    enableButton(button->UpButton(), normal && !AtMaximum());
    enableButton(button->DownButton(), normal && !AtMinimum());
}
