#pragma once
// The instruments with a digital read-out in a cached background (vertical meter, value
// indicator). This class owns what they share: the frame (outer, inner and read-out bevels,
// read-out font), the caption and read-out measures, sizing to the needed size, the cached
// background and the repaint of just the read-out box when the value changes. The instrument
// measures and paints its own parts and adds its own value parts. The background is the
// control's cached layer (CachedLayer.h).
//
// Published properties stay declared in each instrument (with the getters here), so that every
// instrument keeps its own property order for storage.
#include "BaseControls.h"
#include "Canvas.h"

class QPainter;

class TGvReadoutControl : public TGvAnalogGControl {
    Q_OBJECT
public:
    explicit TGvReadoutControl(QWidget *parent = nullptr);

    bool AutoSize() const { return autoSize; }
    void SetAutoSize(bool b);
    TFont *FontValue() const { return fontValue; }
    void SetFontValue(const TFont *f);
    TGvSBevel *BevelInner() const { return bevelInner; }
    TGvSBevel *BevelOuter() const { return bevelOuter; }
    TGvSBevel *BevelValue() const { return bevelValue; }

    // Layout results (valid after the last layout).
    tg::TRect ValueRect() const { return valueRect; }
    bool TooSmall() const { return tooSmall; }
    int NeededWidth() const { return neededWidth; }
    int NeededHeight() const { return neededHeight; }

    void ParamChange() override;
    void ValueChange() override;
    void loaded() override;
    // Shown, the instrument takes the size its contents need (hidden it keeps its own).
    void setVisible(bool visible) override;

protected:
    // Which of the shared parts the instrument's options show.
    struct TShownParts {
        bool bevelOuter, name1, name2, unit;
    };
    virtual TShownParts shownParts() const = 0;
    // Measures the contents (measureTexts and the instrument's own parts) and sets the needed size.
    virtual void measure() = 0;
    // The background for the current size: the outer bevel and the captions, then the
    // instrument's own parts (paintContents).
    void BuildBackground(tg::TCanvas &c) override;
    void PaintForeground(QPainter &p, const QRegion &asked) override;
    // Paints the instrument's own background parts into r, the room inside the outer bevel and
    // the captions; sets valueRect (paintReadoutBox) and clears tooSmall once the value parts
    // have room.
    virtual void paintContents(tg::TCanvas &c, tg::TRect r) = 0;
    // Paints the value parts over the background, limited to what the paint asks for.
    virtual void paintValueParts(QPainter &p, const QRegion &asked);
    // Whether a control that is not auto-sized still never gets smaller than its needed size.
    virtual bool keepsNeededSize() const { return false; }
    // One of the control's own settings (AutoSize, FontValue, Options) changed.
    virtual void ownSettingChange() { Change(); }

    // What a full paint does, done outside painting.
    void fullRepaint();
    void layoutAndResize();
    // Sizes of the captions, the read-out (ReadoutWidth) and the unit.
    void measureTexts();
    void setNeededSize(int64_t w, int64_t h);
    // Paints the read-out box at the top of r, centred together with the unit beside it, and
    // sets valueRect to the text room inside. Returns the height the box takes.
    int paintReadoutBox(tg::TCanvas &c, const tg::TRect &r);

    void resizeEvent(QResizeEvent *e) override;

    int name1W = 0, name1H = 0, name2W = 0, name2H = 0;
    int sampleW = 0, sampleH = 0, unitW = 0, unitH = 0;
    tg::TRect valueRect;
    bool tooSmall = false; // the layout left no room for the value parts
    int neededWidth = 0, neededHeight = 0;

private:
    // Paints the outer bevel and the captions (bottom up); r becomes the room left inside.
    // False when nothing more fits.
    bool paintFrameAndCaptions(tg::TCanvas &c, tg::TRect &r);
    QImage renderReadout() const;

    bool autoSize = true;
    TGvSBevel *bevelInner;
    TGvSBevel *bevelOuter;
    TGvSBevel *bevelValue;
    TFont *fontValue;
};
