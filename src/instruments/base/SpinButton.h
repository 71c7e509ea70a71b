#pragma once
// A pair of stacked auto-repeat buttons (up above down) for the numeric spin fields. Holding a
// button down clicks it again every Interval ms once StartDelay has passed; the repetition
// runs on the flash service.
#include <QPixmap>
#include <QPointer>
#include <QToolButton>
#include <QWidget>
#include <cstdint>
#include <functional>

class TGvTimerSpeedBtn : public QToolButton {
    Q_OBJECT
    Q_PROPERTY(int Interval READ Interval WRITE SetInterval)
    Q_PROPERTY(uint StartDelay READ StartDelay WRITE SetStartDelay)
    Q_PROPERTY(bool TimerEnabled READ TimerEnabled WRITE SetTimerEnabled)
public:
    explicit TGvTimerSpeedBtn(QWidget *parent = nullptr);
    ~TGvTimerSpeedBtn() override;

    int Interval() const { return interval; }
    void SetInterval(int ms); // below 50 ignored
    uint StartDelay() const { return startDelay; }
    void SetStartDelay(uint ms) { startDelay = ms; }
    bool TimerEnabled() const { return timerEnabled; }
    void SetTimerEnabled(bool b) { timerEnabled = b; }

    // Fired by a normal click and by every repetition.
    std::function<void(QObject *sender)> OnClick;

protected:
    bool event(QEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;

private:
    int interval = 100;
    uint startDelay = 500;
    bool timerEnabled = true;
    uint32_t repeatStart = 0;
};

class TGvSpinButton : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QPixmap DownGlyph READ DownGlyph WRITE SetDownGlyph)
    Q_PROPERTY(int DownNumGlyphs READ DownNumGlyphs WRITE SetDownNumGlyphs)
    Q_PROPERTY(QWidget *FocusControl READ FocusControl WRITE SetFocusControl)
    Q_PROPERTY(int Interval READ Interval WRITE SetInterval)
    Q_PROPERTY(uint StartDelay READ StartDelay WRITE SetStartDelay)
    Q_PROPERTY(bool TabStop READ TabStop WRITE SetTabStop)
    Q_PROPERTY(QPixmap UpGlyph READ UpGlyph WRITE SetUpGlyph)
    Q_PROPERTY(int UpNumGlyphs READ UpNumGlyphs WRITE SetUpNumGlyphs)
public:
    explicit TGvSpinButton(QWidget *parent = nullptr);

    QPixmap DownGlyph() const { return downGlyph; }
    void SetDownGlyph(const QPixmap &p);
    int DownNumGlyphs() const { return downNum; }
    void SetDownNumGlyphs(int n);
    QPixmap UpGlyph() const { return upGlyph; }
    void SetUpGlyph(const QPixmap &p);
    int UpNumGlyphs() const { return upNum; }
    void SetUpNumGlyphs(int n);
    QWidget *FocusControl() const { return focusControl.data(); }
    void SetFocusControl(QWidget *w) { focusControl = w; }
    // Forwarded to both buttons; reading gives the up button's.
    int Interval() const { return up->Interval(); }
    void SetInterval(int ms);
    uint StartDelay() const { return up->StartDelay(); }
    void SetStartDelay(uint ms);
    bool TabStop() const { return focusPolicy() != Qt::NoFocus; }
    void SetTabStop(bool b) { setFocusPolicy(b ? Qt::StrongFocus : Qt::NoFocus); }

    TGvTimerSpeedBtn *UpButton() const { return up; }
    TGvTimerSpeedBtn *DownButton() const { return down; }

    std::function<void(QObject *sender)> OnUpClick;
    std::function<void(QObject *sender)> OnDownClick;

protected:
    bool eventFilter(QObject *watched, QEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;

private:
    void layoutButtons();
    static void applyGlyph(TGvTimerSpeedBtn *b, const QPixmap &glyph, int num, Qt::ArrowType arrow);

    TGvTimerSpeedBtn *up;
    TGvTimerSpeedBtn *down;
    QPointer<QWidget> focusControl;
    QPixmap upGlyph, downGlyph;
    int upNum = 1, downNum = 1;
};
