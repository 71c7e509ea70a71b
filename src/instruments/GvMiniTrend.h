#pragma once
// A small two-channel strip-chart recorder. It samples its two current values at an interval
// that follows from the time scale and the plot width; each sample scrolls the plot left by one
// step and draws the new staircase step, the grid and, every fifth division, a labelled time
// line at the right edge. The plot picture is the only record of the curve, so memory stays
// bounded by the plot size. Frame, caption, scales and descriptions are the cached background;
// a sample repaints only the plot.
#include "BaseControls.h"
#include "Canvas.h"

#include <QDateTime>
#include <QImage>
#include <array>
#include <functional>

class TGvMiniTrend : public TGvGraphicControl {
    Q_OBJECT
    Q_PROPERTY(TFont *CaptionFont READ CaptionFont WRITE SetCaptionFont)
    Q_PROPERTY(TGvSBevel *BevelInner READ BevelInner)
    Q_PROPERTY(TGvSBevel *BevelOuter READ BevelOuter)
    Q_PROPERTY(int DigitCh1 READ DigitCh1 WRITE SetDigitCh1)
    Q_PROPERTY(int DigitCh2 READ DigitCh2 WRITE SetDigitCh2)
    Q_PROPERTY(TSignalSettings *SignalSettingsCh1 READ SignalSettingsCh1)
    Q_PROPERTY(TSignalSettings *SignalSettingsCh2 READ SignalSettingsCh2)
    Q_PROPERTY(float ValueCh1 READ ValueCh1 WRITE SetValueCh1)
    Q_PROPERTY(float ValueCh2 READ ValueCh2 WRITE SetValueCh2)
    Q_PROPERTY(int TimeScale READ TimeScale WRITE SetTimeScale)
    Q_PROPERTY(TMiniTrendOptions Options READ Options WRITE SetOptions)
    Q_PROPERTY(TColor GridColor READ GridColor WRITE SetGridColor)
    Q_PROPERTY(TColor TimeLineColor READ TimeLineColor WRITE SetTimeLineColor)
    Q_PROPERTY(TColor BkColor READ BkColor WRITE SetBkColor)
    Q_PROPERTY(TColor SignalColorCh1 READ SignalColorCh1 WRITE SetSignalColorCh1)
    Q_PROPERTY(TColor SignalColorCh2 READ SignalColorCh2 WRITE SetSignalColorCh2)
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(bool Flow READ Flow WRITE SetFlow)
    Q_PROPERTY(TFont *Font READ Font WRITE SetFont)
    Q_PROPERTY(bool ParentFont READ ParentFont WRITE SetParentFont)
public:
    enum TMiniTrendOption {
        opBevelInner = 0x001, opBevelOuter = 0x002, opCaption = 0x004, opScaleCh1 = 0x008,
        opScaleCh2 = 0x010, opSignDescCh1 = 0x020, opSignDescCh2 = 0x040, opGrid = 0x080,
        opTimeLine = 0x100
    };
    Q_DECLARE_FLAGS(TMiniTrendOptions, TMiniTrendOption)
    Q_FLAG(TMiniTrendOptions)
    static constexpr TMiniTrendOptions AllOptions = TMiniTrendOptions(0x1FF);
    static constexpr int MinSide = 150;

    explicit TGvMiniTrend(QWidget *parent = nullptr);
    ~TGvMiniTrend() override;

    TFont *CaptionFont() const { return captionFont; }
    void SetCaptionFont(const TFont *f);
    TGvSBevel *BevelInner() const { return bevelInner; }
    TGvSBevel *BevelOuter() const { return bevelOuter; }
    int DigitCh1() const { return ch[0].digit; }
    void SetDigitCh1(int d) { setDigit(0, d); }
    int DigitCh2() const { return ch[1].digit; }
    void SetDigitCh2(int d) { setDigit(1, d); }
    // The settings file leaves out digits equal to their declared defaults (300 and 700),
    // although the constructor starts from 700 and 300.
    Q_INVOKABLE bool IsDigitCh1Stored() const { return ch[0].digit != 300; }
    Q_INVOKABLE bool IsDigitCh2Stored() const { return ch[1].digit != 700; }
    TSignalSettings *SignalSettingsCh1() const { return ch[0].settings; }
    TSignalSettings *SignalSettingsCh2() const { return ch[1].settings; }
    float ValueCh1() const { return ch[0].value; }
    void SetValueCh1(float v) { setValue(0, v); }
    float ValueCh2() const { return ch[1].value; }
    void SetValueCh2(float v) { setValue(1, v); }
    int TimeScale() const { return timeScale; }
    void SetTimeScale(int minutes); // 1 ... 32767; others ignored
    TMiniTrendOptions Options() const { return options; }
    void SetOptions(TMiniTrendOptions o);
    TColor GridColor() const { return gridColor; }
    void SetGridColor(TColor c);
    TColor TimeLineColor() const { return timeLineColor; }
    void SetTimeLineColor(TColor c);
    TColor BkColor() const { return bkColor; }
    void SetBkColor(TColor c);
    TColor SignalColorCh1() const { return ch[0].color; }
    void SetSignalColorCh1(TColor c) { setSignalColor(0, c); }
    TColor SignalColorCh2() const { return ch[1].color; }
    void SetSignalColorCh2(TColor c) { setSignalColor(1, c); }
    // The component's name until a caption is set.
    QString Caption() const { return captionSet ? caption : objectName(); }
    void SetCaption(const QString &s);
    bool Flow() const { return flow; }
    void SetFlow(bool b);
    bool ParentFont() const { return parentFont; }
    void SetParentFont(bool b) { parentFont = b; }

    // Sampling state (valid after the first layout).
    int SampleInterval() const { return interval; }
    int DivisionWidth() const { return divisionWidth; }
    int Step() const { return step; }
    QString TimeText() const { return timeText; }
    QRect PlotRect() const { return QRect(plotPos, QSize(plotW, plotH)); }
    // The plot picture: the whole recorded curve.
    const QImage &Plot() const { return plot; }
    int PreviousRow(int channel) const { return ch[size_t(channel & 1)].row; }

    // One sample of both channels (what each interval message does).
    void Sample();
    // Clears the plot and starts the grid and the sampling anew.
    void ResetPlot();

    // The clock of the time labels; tests and the gallery replace it.
    static std::function<QDateTime()> Now;

    void ParamChange() override;
    void FlashMessage(uint32_t counter, int param) override;
    void loaded() override;

protected:
    void BuildBackground(tg::TCanvas &c) override;
    void PaintForeground(QPainter &p, const QRegion &asked) override;
    void resizeEvent(QResizeEvent *e) override;

private:
    struct Channel {
        TSignalSettings *settings = nullptr;
        float value = 0;
        int digit = 0; // 16-bit
        TColor color;
        int row = 0;   // plot row of the last sample
    };
    void setDigit(int i, int d);
    void setValue(int i, float v);
    void setSignalColor(int i, TColor c);
    void colourChanged();
    void applyInterval(int t);
    // Row of a value, or false when the channel's range is empty.
    bool rowOf(const Channel &c, int &row) const;
    void drawTimeLabel(tg::TCanvas &c);
    void scrollPlot(int pixels);

    TFont *captionFont;
    TGvSBevel *bevelInner;
    TGvSBevel *bevelOuter;
    std::array<Channel, 2> ch;
    int timeScale = 5;
    TMiniTrendOptions options = AllOptions;
    TColor gridColor = clBtnShadow;
    TColor timeLineColor = rgbColor(255, 0, 255);
    TColor bkColor = clBlack;
    QString caption;
    bool captionSet = false;
    bool flow = true;
    bool parentFont = true;

    int interval = 0;        // ms between samples
    int divisionWidth = 0;
    QString timeText;
    QImage plot;
    QPoint plotPos;
    int plotW = 0, plotH = 0;
    int step = 1;
    std::array<int, 9> gridRows{};
    int divisionCounter = 0;
    int sinceGridLine = 0;   // pixels moved since the last vertical grid line
    bool reRegister = false;
};
Q_DECLARE_OPERATORS_FOR_FLAGS(TGvMiniTrend::TMiniTrendOptions)

// The panel's mini trend as the application sets it up.
void SetUpPanelMiniTrend(TGvMiniTrend &t);
