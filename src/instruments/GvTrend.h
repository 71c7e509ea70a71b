#pragma once
// Eight-channel chart recorder: at a fixed interval one record (time and each channel's digit)
// goes into an in-memory list, drawn as curves one record per pixel column, scrolling on by a
// grid division when the plot is full. Frame, caption and value scales live in the cached
// layer; the plot is a bitmap of its own to which each record adds a column, so a new record
// repaints only that column.
#include "BaseControls.h"

#include <QDateTime>
#include <QImage>
#include <cstdint>
#include <deque>

// One sample: 24 bytes. Time is a day count from 1899-12-30 (0 marks a separator).
struct TTrendRecord {
    double Time;
    uint16_t Ch[8];
};
static_assert(sizeof(TTrendRecord) == 24);

// A limit band, as a position in percent of the plot height.
class TTrendLimit : public TGvPersistent {
    Q_OBJECT
    Q_PROPERTY(float Value READ Value WRITE SetValue)
    Q_PROPERTY(TColor Color READ Color WRITE SetColor)
    Q_PROPERTY(bool Filled READ Filled WRITE SetFilled)
    Q_PROPERTY(bool Enabled READ Enabled WRITE SetEnabled)
public:
    explicit TTrendLimit(float value, QObject *parent) : TGvPersistent(parent), value(value) {}
    float Value() const { return value; }
    TColor Color() const { return color; }
    bool Filled() const { return filled; }
    bool Enabled() const { return enabled; }
    void SetValue(float v);
    void SetColor(TColor c);
    void SetFilled(bool b);
    void SetEnabled(bool b);

private:
    float value;
    TColor color = clMaroon;
    bool filled = true, enabled = true;
};

// The record under the cursor line.
class TVAtCursor : public TGvPersistent {
    Q_OBJECT
    Q_PROPERTY(bool DataValid MEMBER DataValid)
    Q_PROPERTY(int RecordNo MEMBER RecordNo)
    Q_PROPERTY(double Time MEMBER Time)
    Q_PROPERTY(float ValueCh1 READ ValueCh1)
    Q_PROPERTY(float ValueCh2 READ ValueCh2)
    Q_PROPERTY(float ValueCh3 READ ValueCh3)
    Q_PROPERTY(float ValueCh4 READ ValueCh4)
    Q_PROPERTY(float ValueCh5 READ ValueCh5)
    Q_PROPERTY(float ValueCh6 READ ValueCh6)
    Q_PROPERTY(float ValueCh7 READ ValueCh7)
    Q_PROPERTY(float ValueCh8 READ ValueCh8)
public:
    using TGvPersistent::TGvPersistent;
    float ValueCh1() const { return ValueCh[0]; }
    float ValueCh2() const { return ValueCh[1]; }
    float ValueCh3() const { return ValueCh[2]; }
    float ValueCh4() const { return ValueCh[3]; }
    float ValueCh5() const { return ValueCh[4]; }
    float ValueCh6() const { return ValueCh[5]; }
    float ValueCh7() const { return ValueCh[6]; }
    float ValueCh8() const { return ValueCh[7]; }
    bool DataValid = false;
    int RecordNo = 0;
    double Time = 0;
    float ValueCh[8] = {};
};

// What the record list holds and shows.
class TRecInfo : public TGvPersistent {
    Q_OBJECT
    Q_PROPERTY(int FirstDisplayedRec MEMBER FirstDisplayedRec)
    Q_PROPERTY(int LastDisplayedRec MEMBER LastDisplayedRec)
    Q_PROPERTY(uint TotalRecords MEMBER TotalRecords)
    Q_PROPERTY(double FirstRecord MEMBER FirstRecord)
    Q_PROPERTY(double LastRecord MEMBER LastRecord)
public:
    using TGvPersistent::TGvPersistent;
    int FirstDisplayedRec = 0, LastDisplayedRec = 0;
    uint TotalRecords = 0;
    double FirstRecord = 0, LastRecord = 0;
};

class TGvTrend : public TGvGraphicControl {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(TFont *Font READ Font WRITE SetFont)
    Q_PROPERTY(TTrendLimit *LimitUpper READ LimitUpper)
    Q_PROPERTY(TTrendLimit *LimitLower READ LimitLower)
    Q_PROPERTY(int AbsScaleCh READ AbsScaleCh WRITE SetAbsScaleCh)
    Q_PROPERTY(int LeftScaleCh READ LeftScaleCh WRITE SetLeftScaleCh)
    Q_PROPERTY(TGvSBevel *BevelInner READ BevelInner)
    Q_PROPERTY(TGvSBevel *BevelOuter READ BevelOuter)
    Q_PROPERTY(TFont *CaptionFont READ CaptionFont WRITE SetCaptionFont)
    Q_PROPERTY(TChSettings *Channel1 READ Channel1)
    Q_PROPERTY(TChSettings *Channel2 READ Channel2)
    Q_PROPERTY(TChSettings *Channel3 READ Channel3)
    Q_PROPERTY(TChSettings *Channel4 READ Channel4)
    Q_PROPERTY(TChSettings *Channel5 READ Channel5)
    Q_PROPERTY(TChSettings *Channel6 READ Channel6)
    Q_PROPERTY(TChSettings *Channel7 READ Channel7)
    Q_PROPERTY(TChSettings *Channel8 READ Channel8)
    Q_PROPERTY(TColor ColorCursorLine READ ColorCursorLine WRITE SetColorCursorLine)
    Q_PROPERTY(bool CursorLine READ CursorLine WRITE SetCursorLine)
    Q_PROPERTY(gv::TPenMode CursorLinePenMode READ CursorLinePenMode WRITE SetCursorLinePenMode)
    Q_PROPERTY(TColor ColorGrid READ ColorGrid WRITE SetColorGrid)
    Q_PROPERTY(TColor ColorSeparator READ ColorSeparator WRITE SetColorSeparator)
    Q_PROPERTY(TColor ColorTime READ ColorTime WRITE SetColorTime)
    Q_PROPERTY(int FillChannelNo READ FillChannelNo WRITE SetFillChannelNo)
    Q_PROPERTY(bool Flow READ Flow WRITE SetFlow)
    Q_PROPERTY(int GridXPixel READ GridXPixel WRITE SetGridXPixel)
    Q_PROPERTY(int GridYSteps READ GridYSteps WRITE SetGridYSteps)
    Q_PROPERTY(uint Interval READ Interval WRITE SetInterval)
    Q_PROPERTY(uint Interval2 READ Interval2 WRITE SetInterval2)
    Q_PROPERTY(int MaxRecords READ MaxRecords WRITE SetMaxRecords)
    Q_PROPERTY(TTrendOptions Options READ Options WRITE SetOptions)
    Q_PROPERTY(TRecInfo *RecordInfo READ RecordInfo)
    Q_PROPERTY(bool StartRecording READ StartRecording WRITE SetStartRecording)
    Q_PROPERTY(TVAtCursor *ValueAtCursor READ ValueAtCursor)
    Q_PROPERTY(QString TimeFormat READ TimeFormat WRITE SetTimeFormat)
public:
    enum TTrendOption {
        opCaption = 0x001, opGrid = 0x002, opCursorOnRec = 0x004, opSeparator = 0x008, opDate = 0x010,
        opTime = 0x020, opCh7isUL = 0x040, opCh8isLL = 0x080, opLeftScale = 0x100, opRightScale = 0x200,
        opShowLast = 0x400
    };
    Q_DECLARE_FLAGS(TTrendOptions, TTrendOption)
    Q_FLAG(TTrendOptions)

    explicit TGvTrend(QWidget *parent = nullptr);
    ~TGvTrend() override;

    QString Caption() const { return caption; }
    void SetCaption(const QString &s);
    TTrendLimit *LimitUpper() const { return limitUpper; }
    TTrendLimit *LimitLower() const { return limitLower; }
    int AbsScaleCh() const { return absScaleCh; }
    void SetAbsScaleCh(int c);
    int LeftScaleCh() const { return leftScaleCh; }
    void SetLeftScaleCh(int c);
    TGvSBevel *BevelInner() const { return bevelInner; }
    TGvSBevel *BevelOuter() const { return bevelOuter; }
    TFont *CaptionFont() const { return captionFont; }
    void SetCaptionFont(const TFont *f);
    TChSettings *Channel(int i) const { return channels[i]; } // 0 ... 7
    TChSettings *Channel1() const { return channels[0]; }
    TChSettings *Channel2() const { return channels[1]; }
    TChSettings *Channel3() const { return channels[2]; }
    TChSettings *Channel4() const { return channels[3]; }
    TChSettings *Channel5() const { return channels[4]; }
    TChSettings *Channel6() const { return channels[5]; }
    TChSettings *Channel7() const { return channels[6]; }
    TChSettings *Channel8() const { return channels[7]; }
    TColor ColorCursorLine() const { return colorCursorLine; }
    void SetColorCursorLine(TColor c) { colorCursorLine = c; }
    bool CursorLine() const { return cursorLine; }
    void SetCursorLine(bool b) { cursorLine = b; }
    gv::TPenMode CursorLinePenMode() const { return cursorLinePenMode; }
    void SetCursorLinePenMode(gv::TPenMode m) { cursorLinePenMode = m; }
    TColor ColorGrid() const { return colorGrid; }
    void SetColorGrid(TColor c);
    TColor ColorSeparator() const { return colorSeparator; }
    void SetColorSeparator(TColor c) { colorSeparator = c; }
    TColor ColorTime() const { return colorTime; }
    void SetColorTime(TColor c);
    int FillChannelNo() const { return fillChannelNo; }
    void SetFillChannelNo(int c);
    bool Flow() const { return flow; }
    void SetFlow(bool b);
    int GridXPixel() const { return gridXPixel; }
    void SetGridXPixel(int n);
    int GridYSteps() const { return gridYSteps; }
    void SetGridYSteps(int n);
    uint Interval() const { return interval; }
    void SetInterval(uint ms);
    uint Interval2() const { return interval2; }
    void SetInterval2(uint ms);
    int MaxRecords() const { return maxRecords; }
    void SetMaxRecords(int n);
    TTrendOptions Options() const { return options; }
    void SetOptions(TTrendOptions o);
    TRecInfo *RecordInfo() const { return recordInfo; }
    bool StartRecording() const { return startRecording; }
    void SetStartRecording(bool b);
    TVAtCursor *ValueAtCursor() const { return valueAtCursor; }
    QString TimeFormat() const { return timeFormat; }
    void SetTimeFormat(const QString &s);

    // The record list, oldest first.
    const std::deque<TTrendRecord> &Records() const { return records; }
    int FirstDisplayed() const { return firstDisplayed; }
    // The plot bitmap and where it lies in the control (valid after the last layout).
    const QImage &PlotBitmap() const { return plot; }
    QRect PlotRect() const { return plotRect; }
    // The plot row of a record digit of channel i (0 ... 7), in plot coordinates.
    int CurveY(int i, uint16_t digit) const;
    bool CursorShown() const { return cursorShown; }

    // Takes a record now (what the interval timer does).
    void AddRecord();
    // Stops recording, drops every record, shows the empty plot, then restores StartRecording.
    void Clear();

    // The clock of the records' time stamps; tests replace it.
    std::function<QDateTime()> Now = [] { return QDateTime::currentDateTime(); };
    static double ToDateTime(const QDateTime &t);
    static QDateTime FromDateTime(double d);

    void ParamChange() override;
    void FlashMessage(uint32_t counter, int param) override;
    void loaded() override;

    std::function<void(QObject *sender)> OnInterval;
    std::function<void(QObject *sender)> OnMaxRecords;
    std::function<void(QObject *sender)> OnNewCursorPos;
    std::function<void(QObject *sender)> OnRecNoChanged;

protected:
    void BuildBackground(tg::TCanvas &c) override;
    void PaintForeground(QPainter &p, const QRegion &asked) override;
    void mouseMoveEvent(QMouseEvent *e) override;

private:
    struct TScaleLabels {
        QString text;
        int width = 0, height = 0;
    };
    TScaleLabels scaleLabels(tg::TCanvas &c, int ch) const;
    bool scaleShowsChannel() const;
    int labelRows() const; // label rows and gap under the curves, in pixels
    void rebuildPlotBackground();
    void gridColumn(QPainter &p, int x);
    void drawRecords();
    void insertSeparators();
    void updateRecordInfo();
    void moveCursor(int x);
    void hideCursor();
    void repaintPlot(int fromCol, int toCol);

    QString caption;
    TTrendLimit *limitUpper, *limitLower;
    int absScaleCh = 1, leftScaleCh = 0;
    TGvSBevel *bevelInner, *bevelOuter;
    TFont *captionFont;
    TChSettings *channels[8];
    TColor colorCursorLine = clLime;
    bool cursorLine = true;
    gv::TPenMode cursorLinePenMode = gv::pmNotMask;
    TColor colorGrid = clBtnShadow, colorSeparator = clBtnHighlight, colorTime = clBtnHighlight;
    int fillChannelNo = 0;
    bool flow = true;
    int gridXPixel = 60, gridYSteps = 10;
    uint interval = 1000, interval2 = 250;
    int maxRecords = 2000;
    TTrendOptions options = TTrendOptions(opCaption | opGrid | opCursorOnRec | opSeparator | opTime |
                                          opLeftScale | opRightScale);
    TRecInfo *recordInfo;
    bool startRecording = true;
    TVAtCursor *valueAtCursor;
    QString timeFormat;

    std::deque<TTrendRecord> records;
    QImage plot;
    QRect plotRect;
    int labelH = 0;
    int firstDisplayed = 0;
    int nextColumn = 0;
    double pixelFactor[8] = {};
    double pixelsPerPercent = 0, pixelsPerThousandth = 0;
    int cursorColumn = -1;
    bool cursorShown = false;
    bool recordingActive = true;
    bool busy = false;
};
Q_DECLARE_OPERATORS_FOR_FLAGS(TGvTrend::TTrendOptions)
