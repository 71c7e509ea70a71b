#pragma once
// Digital read-out: the value as formatted text in its own small bevel, the unit beside it and
// up to two caption lines, inside an outer and an inner bevel. The frame, captions and unit are
// a cached background; a new value repaints only the value box.
#include "ReadoutControl.h"

class TGvValueInd : public TGvReadoutControl {
    Q_OBJECT
    Q_PROPERTY(TFont *Font READ Font WRITE SetFont)
    Q_PROPERTY(bool AutoSize READ AutoSize WRITE SetAutoSize STORED true)
    Q_PROPERTY(TFont *FontValue READ FontValue WRITE SetFontValue STORED true)
    Q_PROPERTY(TGvSBevel *BevelInner READ BevelInner STORED true)
    Q_PROPERTY(TGvSBevel *BevelOuter READ BevelOuter STORED true)
    Q_PROPERTY(TGvSBevel *BevelValue READ BevelValue STORED true)
    Q_PROPERTY(TValueIndOptions Options READ Options WRITE SetOptions STORED true)
public:
    enum TValueIndOption { opBevelInner = 0x01, opBevelOuter = 0x02, opName1 = 0x04, opName2 = 0x08, opUnit = 0x10 };
    Q_DECLARE_FLAGS(TValueIndOptions, TValueIndOption)
    Q_FLAG(TValueIndOptions)

    explicit TGvValueInd(QWidget *parent = nullptr);
    ~TGvValueInd() override;

    TValueIndOptions Options() const { return options; }
    void SetOptions(TValueIndOptions o);

    void OverflowChange(int ppt) override { Q_UNUSED(ppt); }
    void FlashMessage(uint32_t, int) override {} // a value indicator never flashes

protected:
    TShownParts shownParts() const override;
    void measure() override;
    void paintContents(tg::TCanvas &c, tg::TRect r) override;
    // Not auto-sized, the indicator may grow but never gets smaller than its contents need.
    bool keepsNeededSize() const override { return true; }

private:
    TValueIndOptions options = TValueIndOptions(opName1 | opName2 | opUnit);
};
Q_DECLARE_OPERATORS_FOR_FLAGS(TGvValueInd::TValueIndOptions)
