#pragma once
// The on/off model (Checked, StatusInt, StatusBit, Mode, groups, flashing) of lamps and buttons.
#include "GvControl.h"

#include <QList>

class TGvBinGControl : public TGvControl {
    Q_OBJECT
    Q_PROPERTY(bool Checked READ Checked WRITE SetChecked STORED true)
    Q_PROPERTY(bool Flashing READ Flashing WRITE SetFlashing STORED true)
    Q_PROPERTY(gv::TFlashFreq Frequency READ Frequency WRITE SetFrequency STORED true)
    Q_PROPERTY(int StatusInt READ StatusInt WRITE SetStatusInt STORED true)
    Q_PROPERTY(int StatusBit READ StatusBit WRITE SetStatusBit STORED true)
    Q_PROPERTY(int GroupIndex READ GroupIndex WRITE SetGroupIndex STORED true)
    Q_PROPERTY(gv::TMode Mode READ Mode WRITE SetMode STORED true)
public:
    explicit TGvBinGControl(QWidget *parent = nullptr);

    bool Checked() const { return checked; }
    bool Flashing() const { return flashing; }
    gv::TFlashFreq Frequency() const { return frequency; }
    int StatusInt() const { return int(statusInt); }
    int StatusBit() const { return statusBit; }
    int GroupIndex() const { return groupIndex; }
    gv::TMode Mode() const { return mode; }
    bool Pressed() const { return pressed; }
    int FirstSetBit() const { return firstSetBit; }

    void SetChecked(bool b);
    void SetFlashing(bool b);
    void SetFrequency(gv::TFlashFreq f);
    void SetStatusInt(int v);
    void SetStatusBit(int n);    // 0 to 31
    void SetGroupIndex(int g);   // >= 0
    void SetMode(gv::TMode m);

    // Hooks
    virtual void StatusChanged() {}
    virtual void GroupIndexChanged() {}
    virtual void StatusIntChanged() {}
    virtual void FlashChange(bool on) { Q_UNUSED(on); }
    void FlashMessage(uint32_t counter, int param) override;

    std::function<void(QObject *sender)> OnStatusChanged;
    std::function<void(QObject *sender)> OnStatusIntChanged;

protected:
    void mousePressEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    // Space presses the control while it is held, as the left button does; Enter clicks it.
    void keyPressEvent(QKeyEvent *e) override;
    void keyReleaseEvent(QKeyEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;

private:
    void updateFlashRegistration();
    QList<TGvBinGControl *> groupMembers() const;

    bool checked = false;
    gv::TFlashFreq frequency = gv::ff1Hz;
    bool flashing = false;
    uint32_t statusInt = 0; // a bit set: bit 31 must not overflow
    int statusBit = 0;
    int groupIndex = 0;
    gv::TMode mode = gv::mIndicator;
    bool pressed = false;
    int firstSetBit = 32;
    bool spaceHeld = false;
};
