#pragma once
// Push button with a coloured or gradient face, a glyph strip and a caption that follow the
// on/off state and the flash phase. The gradient face is the cached layer; every state change
// repaints the button (it is small) from it.
#include "BaseControls.h"
#include "Canvas.h"

class TGvColBitBtn : public TGvBinGControl {
    Q_OBJECT
public:
    enum TFlashOption { foGlyph = 1, foText = 2, foTextCol = 4, foBtnCol = 8 };
    Q_DECLARE_FLAGS(TFlashOptions, TFlashOption)
    Q_FLAG(TFlashOptions)
    enum TCheckedOption { coGlyph = 1, coText = 2, coTextCol = 4, coBtnCol = 8, coBevel = 16 };
    Q_DECLARE_FLAGS(TCheckedOptions, TCheckedOption)
    Q_FLAG(TCheckedOptions)
    enum TPosH { phLeft, phRight, phCenter };
    Q_ENUM(TPosH)
    enum TPosV { pvTop, pvBottom, pvCenter };
    Q_ENUM(TPosV)
    enum TPos { pLeft, pRight, pTop, pBottom };
    Q_ENUM(TPos)

private:
    Q_PROPERTY(TPosH PosHorizontal READ PosHorizontal WRITE SetPosHorizontal STORED true)
    Q_PROPERTY(TPosV PosVertical READ PosVertical WRITE SetPosVertical STORED true)
    Q_PROPERTY(TPos PosGlyph READ PosGlyph WRITE SetPosGlyph STORED true)
    Q_PROPERTY(TGvGradSettings *GradBtnFace READ GradBtnFace STORED true)
    Q_PROPERTY(TGvBtnBevel *ButtonBevel READ ButtonBevel STORED true)
    Q_PROPERTY(TFlashOptions FlashOptions READ FlashOptions WRITE SetFlashOptions STORED true)
    Q_PROPERTY(TCheckedOptions CheckedOptions READ CheckedOptions WRITE SetCheckedOptions STORED true)
    Q_PROPERTY(TColor ColorOff READ ColorOff WRITE SetColorOff STORED true)
    Q_PROPERTY(TColor ColorDisabled READ ColorDisabled WRITE SetColorDisabled STORED true)
    Q_PROPERTY(TColor ColorOn READ ColorOn WRITE SetColorOn STORED true)
    Q_PROPERTY(int OffsetX READ OffsetX WRITE SetOffsetX STORED true)
    Q_PROPERTY(int OffsetY READ OffsetY WRITE SetOffsetY STORED true)
    Q_PROPERTY(int OffsetDown READ OffsetDown WRITE SetOffsetDown STORED true)
    Q_PROPERTY(QImage Glyph READ Glyph WRITE SetGlyph STORED true)
    Q_PROPERTY(int NumGlyph READ NumGlyph WRITE SetNumGlyph STORED true)
    Q_PROPERTY(bool Beveled READ Beveled WRITE SetBeveled STORED true)
    Q_PROPERTY(bool Transparent READ Transparent WRITE SetTransparent STORED true)
    Q_PROPERTY(bool Flat READ Flat WRITE SetFlat STORED true)
    Q_PROPERTY(int Spacing READ Spacing WRITE SetSpacing STORED true)
    Q_PROPERTY(QString TextOff READ TextOff WRITE SetTextOff STORED true)
    Q_PROPERTY(QString TextOn READ TextOn WRITE SetTextOn STORED true)
    Q_PROPERTY(TColor TextColOn READ TextColOn WRITE SetTextColOn STORED true)
    Q_PROPERTY(TColor TextColOff READ TextColOff WRITE SetTextColOff STORED true)
    Q_PROPERTY(TColor TextColDisabled READ TextColDisabled WRITE SetTextColDisabled STORED true)
    Q_PROPERTY(bool Text3D READ Text3D WRITE SetText3D STORED true)
    Q_PROPERTY(gv::TFlashFreq Frequency READ Frequency WRITE SetFrequency STORED true)
    Q_PROPERTY(bool Flashing READ Flashing WRITE SetFlashing STORED true)
    Q_PROPERTY(int GroupIndex READ GroupIndex WRITE SetGroupIndex STORED true)
    Q_PROPERTY(int StatusBit READ StatusBit WRITE SetStatusBit STORED true)
    Q_PROPERTY(int StatusInt READ StatusInt WRITE SetStatusInt STORED true)
    Q_PROPERTY(bool Checked READ Checked WRITE SetChecked STORED true)
    Q_PROPERTY(gv::TMode Mode READ Mode WRITE SetMode STORED true)
    Q_PROPERTY(bool Enabled READ IsEnabled WRITE SetEnabled)
    Q_PROPERTY(TFont *Font READ Font WRITE SetFont)
    Q_PROPERTY(bool ParentFont READ ParentFont WRITE SetParentFont)

public:
    explicit TGvColBitBtn(QWidget *parent = nullptr);
    ~TGvColBitBtn() override;

    TPosH PosHorizontal() const { return posH; }
    TPosV PosVertical() const { return posV; }
    TPos PosGlyph() const { return posGlyph; }
    TGvGradSettings *GradBtnFace() const { return gradFace; }
    TGvBtnBevel *ButtonBevel() const { return bevel; }
    TFlashOptions FlashOptions() const { return flashOptions; }
    TCheckedOptions CheckedOptions() const { return checkedOptions; }
    TColor ColorOff() const { return colorOff; }
    TColor ColorDisabled() const { return colorDisabled; }
    TColor ColorOn() const { return colorOn; }
    int OffsetX() const { return offsetX; }
    int OffsetY() const { return offsetY; }
    int OffsetDown() const { return offsetDown; }
    QImage Glyph() const { return glyph.Image; }
    int NumGlyph() const { return numGlyph; }
    bool Beveled() const { return beveled; }
    bool Transparent() const { return transparent; }
    bool Flat() const { return flat; }
    int Spacing() const { return spacing; }
    QString TextOff() const { return textOff; }
    QString TextOn() const { return textOn; }
    TColor TextColOn() const { return textColOn; }
    TColor TextColOff() const { return textColOff; }
    TColor TextColDisabled() const { return textColDisabled; }
    bool Text3D() const { return text3D; }
    // The button's own enabled flag; it also keeps Qt from delivering input to a disabled button.
    bool IsEnabled() const { return enabled; }
    bool ParentFont() const { return parentFont; }

    void SetPosHorizontal(TPosH p);
    void SetPosVertical(TPosV p);
    void SetPosGlyph(TPos p);
    void SetFlashOptions(TFlashOptions o) { flashOptions = o; }
    void SetCheckedOptions(TCheckedOptions o);
    void SetColorOff(TColor c);
    void SetColorDisabled(TColor c);
    void SetColorOn(TColor c);
    void SetOffsetX(int v);
    void SetOffsetY(int v);
    void SetOffsetDown(int v);
    void SetGlyph(const QImage &img);
    void SetNumGlyph(int n); // values below 1 are ignored
    void SetBeveled(bool b);
    void SetTransparent(bool b);
    void SetFlat(bool b);
    void SetSpacing(int s);
    void SetTextOff(const QString &s);
    void SetTextOn(const QString &s);
    void SetTextColOn(TColor c);
    void SetTextColOff(TColor c);
    void SetTextColDisabled(TColor c);
    void SetText3D(bool b);
    void SetEnabled(bool b);
    void SetParentFont(bool b);

    // What the last state redraw showed, for callers that check the look without pixels.
    struct TLook {
        QString caption;
        TColor face, textColor;
        int glyphIndex = -1; // -1: no glyph drawn
        bool frame = false, raised = false;
        QPoint glyphPos, captionAnchor;
    };
    TLook CurrentLook() const;
    bool Hovering() const { return hovering; }
    // Design mode shows the frame of a flat button all the time.
    bool DesignMode = false;

    void ParamChange() override;
    void StatusChanged() override;
    void FlashChange(bool on) override;
    void loaded() override;

protected:
    void BuildBackground(tg::TCanvas &c) override;
    void PaintForeground(QPainter &p, const QRegion &asked) override;
    void enterEvent(QEnterEvent *e) override;
    void leaveEvent(QEvent *e) override;
    bool event(QEvent *e) override;

private:
    template <class T> void store(T &field, const T &v);
    const TFont &captionFont() const;
    void render(tg::TCanvas &c, TLook &look) const;

    TGvBtnBevel *bevel;
    TFlashOptions flashOptions = TFlashOptions(foGlyph | foText | foTextCol | foBtnCol);
    TCheckedOptions checkedOptions = TCheckedOptions(coGlyph | coText | coTextCol | coBtnCol | coBevel);
    tg::TBitmap glyph;
    int numGlyph = 1;
    TColor colorOff = clBtnFace, colorDisabled{0xA0A0A0u}, colorOn = clBtnFace;
    int offsetDown = 1, offsetX = 0, offsetY = 0;
    bool beveled = true, transparent = false, flat = false;
    int spacing = 4;
    QString textOn, textOff;
    TColor textColOn = clLime, textColOff = clBlack, textColDisabled = clBtnShadow;
    bool text3D = true;
    bool enabled = true;
    TGvGradSettings *gradFace;
    TPosH posH = phCenter;
    TPosV posV = pvCenter;
    TPos posGlyph = pLeft;
    bool flashPhase = false;
    bool hovering = false;
    bool parentFont = true;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TGvColBitBtn::TFlashOptions)
Q_DECLARE_OPERATORS_FOR_FLAGS(TGvColBitBtn::TCheckedOptions)
