#include "SpinButton.h"

#include "Canvas.h"
#include "FlashService.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QResizeEvent>

// ======================= TGvTimerSpeedBtn =======================

TGvTimerSpeedBtn::TGvTimerSpeedBtn(QWidget *parent) : QToolButton(parent)
{
    setFocusPolicy(Qt::NoFocus);
    connect(this, &QAbstractButton::clicked, this, [this] {
        if (OnClick)
            OnClick(this);
    });
}

TGvTimerSpeedBtn::~TGvTimerSpeedBtn() { FlashUnregister(this); }

void TGvTimerSpeedBtn::SetInterval(int ms)
{
    // Shorter periods would collide with the flash rates (intervals 2 to 6 and 32).
    if (ms >= 50)
        interval = ms;
}

void TGvTimerSpeedBtn::mousePressEvent(QMouseEvent *e)
{
    QToolButton::mousePressEvent(e);
    if (e->button() == Qt::LeftButton && timerEnabled) {
        repeatStart = FlashService().Clock().Milliseconds() + startDelay;
        FlashRegister(this, interval);
    }
}

void TGvTimerSpeedBtn::mouseReleaseEvent(QMouseEvent *e)
{
    FlashUnregister(this);
    QToolButton::mouseReleaseEvent(e);
}

bool TGvTimerSpeedBtn::event(QEvent *e)
{
    if (e->type() == TFlashEvent::Type) {
        const uint32_t now = FlashService().Clock().Milliseconds();
        if (int32_t(now - repeatStart) >= 0 && isDown() && OnClick)
            OnClick(this);
        return true;
    }
    return QToolButton::event(e);
}

// ======================= TGvSpinButton =======================

TGvSpinButton::TGvSpinButton(QWidget *parent)
    : QWidget(parent), up(new TGvTimerSpeedBtn(this)), down(new TGvTimerSpeedBtn(this))
{
    setAutoFillBackground(true);
    setFocusPolicy(Qt::NoFocus);
    applyGlyph(up, upGlyph, upNum, Qt::UpArrow);
    applyGlyph(down, downGlyph, downNum, Qt::DownArrow);
    up->OnClick = [this](QObject *) {
        if (OnUpClick)
            OnUpClick(this);
    };
    down->OnClick = [this](QObject *) {
        if (OnDownClick)
            OnDownClick(this);
    };
    up->installEventFilter(this);
    down->installEventFilter(this);
    resize(15, 24);
    layoutButtons();
}

void TGvSpinButton::applyGlyph(TGvTimerSpeedBtn *b, const QPixmap &glyph, int num, Qt::ArrowType arrow)
{
    // Without a glyph of the user's, the built-in two-state glyph of the direction is shown.
    QPixmap strip = glyph;
    if (strip.isNull()) {
        strip = QPixmap::fromImage(tg::LoadBitmapResource(arrow == Qt::UpArrow ? QStringLiteral("GvSpinUp")
                                                                           : QStringLiteral("GvSpinDown")));
        num = 2;
    }
    if (strip.isNull()) {
        b->setIcon(QIcon());
        b->setArrowType(arrow);
        return;
    }
    // A glyph strip holds num pictures side by side; the first is the normal one.
    const int w = strip.width() / qMax(1, num);
    b->setArrowType(Qt::NoArrow);
    b->setIcon(QIcon(strip.copy(0, 0, qMax(1, w), strip.height())));
    b->setIconSize(QSize(qMax(1, w), strip.height()));
}

void TGvSpinButton::SetUpGlyph(const QPixmap &p)
{
    upGlyph = p;
    applyGlyph(up, upGlyph, upNum, Qt::UpArrow);
}

void TGvSpinButton::SetDownGlyph(const QPixmap &p)
{
    downGlyph = p;
    applyGlyph(down, downGlyph, downNum, Qt::DownArrow);
}

void TGvSpinButton::SetUpNumGlyphs(int n)
{
    if (n < 1 || n > 4)
        return;
    upNum = n;
    applyGlyph(up, upGlyph, upNum, Qt::UpArrow);
}

void TGvSpinButton::SetDownNumGlyphs(int n)
{
    if (n < 1 || n > 4)
        return;
    downNum = n;
    applyGlyph(down, downGlyph, downNum, Qt::DownArrow);
}

void TGvSpinButton::SetInterval(int ms)
{
    up->SetInterval(ms);
    down->SetInterval(ms);
}

void TGvSpinButton::SetStartDelay(uint ms)
{
    up->SetStartDelay(ms);
    down->SetStartDelay(ms);
}

bool TGvSpinButton::eventFilter(QObject *watched, QEvent *e)
{
    if ((watched == up || watched == down) && e->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent *>(e)->button() == Qt::LeftButton) {
        // The field the buttons belong to takes the keyboard focus first.
        QWidget *fc = focusControl.data();
        if (fc && fc->focusPolicy() != Qt::NoFocus && fc->isEnabled() && !fc->hasFocus())
            fc->setFocus(Qt::MouseFocusReason);
        else if (!fc && TabStop() && isEnabled() && !hasFocus())
            setFocus(Qt::MouseFocusReason);
    }
    return QWidget::eventFilter(watched, e);
}

void TGvSpinButton::keyPressEvent(QKeyEvent *e)
{
    if (e->key() == Qt::Key_Up) {
        if (OnUpClick)
            OnUpClick(this);
    } else if (e->key() == Qt::Key_Down) {
        if (OnDownClick)
            OnDownClick(this);
    } else {
        QWidget::keyPressEvent(e);
    }
}

void TGvSpinButton::resizeEvent(QResizeEvent *e)
{
    QWidget::resizeEvent(e);
    if (width() < 15) {
        resize(15, height()); // comes back here with the corrected width
        return;
    }
    layoutButtons();
}

void TGvSpinButton::layoutButtons()
{
    const int w = qMax(15, width()), h = height();
    up->setGeometry(0, 0, w, h / 2);
    down->setGeometry(0, h / 2, w, h - h / 2);
}
