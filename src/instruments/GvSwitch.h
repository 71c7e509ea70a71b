#pragma once
// Slide switches: a coloured track under a raised knob that covers one half. TGvSwitch holds the
// knob's colours and the outer bevel; TGvToggleSwitch adds the orientation, the track colours
// and the captions. The bevel is the cached layer; a state change repaints the track.
#include "BaseControls.h"
#include "Canvas.h"

class TGvSwitch : public TGvBinGControl {
    Q_OBJECT
    Q_PROPERTY(TGvSBevel *BevelOuter READ BevelOuter)
    Q_PROPERTY(TColor BtnColorHighlight READ BtnColorHighlight WRITE SetBtnColorHighlight)
    Q_PROPERTY(TColor BtnColorShadow READ BtnColorShadow WRITE SetBtnColorShadow)
    Q_PROPERTY(TColor BtnColorFace READ BtnColorFace WRITE SetBtnColorFace)
    Q_PROPERTY(int BtnBevelWidth READ BtnBevelWidth WRITE SetBtnBevelWidth)
    Q_PROPERTY(gv::TMode Mode READ Mode WRITE SetMode STORED true)
    Q_PROPERTY(TFont *Font READ Font WRITE SetFont)
    Q_PROPERTY(bool Enabled READ isEnabled WRITE setEnabled)
    Q_PROPERTY(bool ParentFont READ ParentFont WRITE SetParentFont)
    Q_PROPERTY(int StatusInt READ StatusInt WRITE SetStatusInt STORED true)
    Q_PROPERTY(int StatusBit READ StatusBit WRITE SetStatusBit STORED true)
    Q_PROPERTY(int GroupIndex READ GroupIndex WRITE SetGroupIndex STORED true)
    Q_PROPERTY(bool Checked READ Checked WRITE SetChecked STORED true)
public:
    explicit TGvSwitch(QWidget *parent = nullptr);

    TGvSBevel *BevelOuter() const { return bevelOuter; }
    TColor BtnColorHighlight() const { return btnHighlight; }
    TColor BtnColorShadow() const { return btnShadow; }
    TColor BtnColorFace() const { return btnFace; }
    int BtnBevelWidth() const { return btnBevelWidth; }
    bool ParentFont() const { return parentFont; }
    Q_INVOKABLE bool IsParentFontStored() const { return !parentFont; }
    Q_INVOKABLE bool IsFontStored() const { return !parentFont; }

    void SetBtnColorHighlight(TColor c);
    void SetBtnColorShadow(TColor c);
    void SetBtnColorFace(TColor c);
    void SetBtnBevelWidth(int w); // values below 0 are ignored
    void SetParentFont(bool b);

    // The track: the inside of the outer bevel.
    QRect TrackRect() const { return track; }
    bool Vertical() const { return vertical; }

    void ParamChange() override;
    void StatusChanged() override;
    void loaded() override;

protected:
    void BuildBackground(tg::TCanvas &c) override;
    void PaintForeground(QPainter &p, const QRegion &asked) override;
    bool event(QEvent *e) override;
    // Draws the switch into a canvas of the track's size.
    virtual void DrawTrack(tg::TCanvas &c) const = 0;
    const TFont &CaptionFont() const;
    // Stores a changed value and redraws the state.
    template <class T> void StoreAndRedraw(T &field, const T &v)
    {
        if (field == v)
            return;
        field = v;
        StatusChanged();
    }

    bool vertical = true;

private:
    TGvSBevel *bevelOuter;
    TColor btnHighlight = clBtnHighlight, btnShadow = clBtnShadow, btnFace = clBtnFace;
    int btnBevelWidth = 2;
    bool parentFont = true;
    QRect track;
};

class TGvToggleSwitch : public TGvSwitch {
    Q_OBJECT
public:
    enum TBtnOrientation { boHorizontal, boVertical };
    Q_ENUM(TBtnOrientation)

private:
    Q_PROPERTY(TBtnOrientation Orientation READ Orientation WRITE SetOrientation)
    Q_PROPERTY(bool SwapGraphic READ SwapGraphic WRITE SetSwapGraphic)
    Q_PROPERTY(QString TextOff READ TextOff WRITE SetTextOff)
    Q_PROPERTY(QString TextOn READ TextOn WRITE SetTextOn)
    Q_PROPERTY(TColor ColorOn READ ColorOn WRITE SetColorOn)
    Q_PROPERTY(TColor ColorOff READ ColorOff WRITE SetColorOff)

public:
    explicit TGvToggleSwitch(QWidget *parent = nullptr);

    TBtnOrientation Orientation() const { return orientation; }
    bool SwapGraphic() const { return swapGraphic; }
    QString TextOff() const { return textOff; }
    QString TextOn() const { return textOn; }
    TColor ColorOn() const { return colorOn; }
    TColor ColorOff() const { return colorOff; }

    void SetOrientation(TBtnOrientation o);
    void SetSwapGraphic(bool b) { StoreAndRedraw(swapGraphic, b); }
    void SetTextOff(const QString &s);
    void SetTextOn(const QString &s);
    void SetColorOn(TColor c);
    void SetColorOff(TColor c);

    // The knob's rectangle in track coordinates.
    QRect KnobRect() const;
    // Whether the knob covers the upper (vertical) or left (horizontal) half.
    bool KnobFirstHalf() const { return Checked() != swapGraphic; }

protected:
    void DrawTrack(tg::TCanvas &c) const override;
    void mousePressEvent(QMouseEvent *e) override;

private:
    template <class T> void storeAndRelayout(T &field, const T &v);
    bool onUncoveredHalf(QPoint p) const;

    TBtnOrientation orientation = boVertical;
    bool swapGraphic = false;
    QString textOff = QStringLiteral("0"), textOn = QStringLiteral("1");
    TColor colorOn = clLime, colorOff = clRed;
};
