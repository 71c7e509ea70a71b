#pragma once
// Digital read-out: the value as formatted text in its own small bevel, the unit beside it and
// up to two caption lines, inside an outer and an inner bevel. The frame, captions and unit are
// a cached background; a new value repaints only the value box.
#include "BaseControls.h"
#include "Canvas.h"
#include "ValueFrame.h"

#include <QImage>
#include <QRegion>

class TGvValueInd : public TGvAnalogGControl {
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

    bool AutoSize() const { return autoSize; }
    void SetAutoSize(bool b);
    TFont *FontValue() const { return frame.FontValue; }
    void SetFontValue(const TFont *f);
    TGvSBevel *BevelInner() const { return frame.BevelInner; }
    TGvSBevel *BevelOuter() const { return frame.BevelOuter; }
    TGvSBevel *BevelValue() const { return frame.BevelValue; }
    TValueIndOptions Options() const { return options; }
    void SetOptions(TValueIndOptions o);

    tg::TRect ValueRect() const { return valueRect; }
    int NeededWidth() const { return neededWidth; }
    int NeededHeight() const { return neededHeight; }
    QRegion TakeDirtyRegion();

    void ParamChange() override;
    void ValueChange() override;
    void OverflowChange(int ppt) override { Q_UNUSED(ppt); }
    void FlashMessage(uint32_t, int) override {} // a value indicator never flashes
    void loaded() override;

protected:
    void paintEvent(QPaintEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;

private:
    void measure();
    void layoutAndResize();
    void renderBackground();
    QImage renderValue() const;

    bool autoSize = true;
    TValueFrame frame;
    TValueIndOptions options = TValueIndOptions(opName1 | opName2 | opUnit);

    int name1W = 0, name1H = 0, name2W = 0, name2H = 0;
    int sampleW = 0, sampleH = 0, unitW = 0, unitH = 0;
    tg::TRect valueRect;
    int neededWidth = 0, neededHeight = 0;
    QImage background;
    QRegion dirty;
};
Q_DECLARE_OPERATORS_FOR_FLAGS(TGvValueInd::TValueIndOptions)
