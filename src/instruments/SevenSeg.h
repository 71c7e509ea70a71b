#pragma once
// A row of slanted seven-segment digits showing a short text, each digit with an optional
// decimal point, inside a 3-D frame. Characters are scaled once into a strip of cells when
// size or colours change; a new caption only copies cells.
#include "BaseControls.h"

#include <QImage>
#include <QList>
#include <functional>

class TSevenSeg : public TGvGraphicControl {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(TColor ColorBackGnd READ ColorBackGnd WRITE SetColorBackGnd)
    Q_PROPERTY(TColor ColorText READ ColorText WRITE SetColorText)
    Q_PROPERTY(TColorScheme ColorScheme READ ColorScheme WRITE SetColorScheme)
    Q_PROPERTY(TFrameStyle FrameStyle READ FrameStyle WRITE SetFrameStyle)
    Q_PROPERTY(int NumDigits READ NumDigits WRITE SetNumDigits)
    Q_PROPERTY(int Margin READ Margin WRITE SetMargin)
    Q_PROPERTY(int InterDigDist READ InterDigDist WRITE SetInterDigDist)
public:
    enum TColorScheme { csBWG, csSystem };
    Q_ENUM(TColorScheme)
    enum TFrameStyle { fsNone, fsSimple, fsLowered, fsRaised, fsEmbossed, fsEngraved };
    Q_ENUM(TFrameStyle)

    explicit TSevenSeg(QWidget *parent = nullptr);

    QString Caption() const { return caption; }
    void SetCaption(const QString &s);
    TColor ColorBackGnd() const { return colorBackGnd; }
    void SetColorBackGnd(TColor c);
    TColor ColorText() const { return colorText; }
    void SetColorText(TColor c);
    TColorScheme ColorScheme() const { return colorScheme; }
    void SetColorScheme(TColorScheme s);
    TFrameStyle FrameStyle() const { return frameStyle; }
    void SetFrameStyle(TFrameStyle s);
    int NumDigits() const { return numDigits; }
    void SetNumDigits(int n);   // 1 ... 32, others ignored
    int Margin() const { return margin; }
    void SetMargin(int m);      // limited to Height div 2 - 1
    int InterDigDist() const { return interDigDist; }
    void SetInterDigDist(int d); // at most 255

    // The colour trio the scheme stands for (dark, shadow, light).
    struct TSchemeColors {
        TColor dark, shadow, light;
    };
    TSchemeColors SchemeColors() const;

    // Cell width and strip height of the current layout; either may be 0 or less when the
    // control is too small for its digits (then only background and frame are drawn).
    int CellWidth() const;
    int CellHeight() const;
    // Strip cells shown per position (-1 blank) and whether the position has its point.
    struct TDigit {
        int cell;
        bool point;
    };
    QList<TDigit> Digits() const { return Walk(caption, numDigits); }
    // The positions of text, at most limit of them; and how many positions the whole text
    // takes (whether a number fits the display).
    static QList<TDigit> Walk(const QString &text, int limit);
    static int PositionsOf(const QString &text);

    std::function<void(QObject *sender)> OnResize;

    void ParamChange() override;

protected:
    void BuildBackground(tg::TCanvas &c) override;
    void PaintForeground(QPainter &p, const QRegion &asked) override;
    void resizeEvent(QResizeEvent *e) override;

private:
    void settingsChanged();
    void rebuildStrip();
    void repaintDigits();
    QRect digitArea() const;

    QString caption = QStringLiteral("8.8.8.8.");
    TColor colorBackGnd = rgbColor(51, 51, 51);
    TColor colorText = clRed;
    TColorScheme colorScheme = csBWG;
    TFrameStyle frameStyle = fsLowered;
    int numDigits = 4;
    int margin = 8;
    int interDigDist = 2;

    QList<QImage> strip; // the 21 character cells, at the device pixel ratio of the build
    QSize stripSize;    // control size at the last strip build
    qreal stripDpr = 1;
};

// The panel's seven-segment display as the application sets it up.
void SetUpPanelSevenSeg(TSevenSeg &s);
