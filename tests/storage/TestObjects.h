#pragma once
// Small components with the kinds of published properties the panel stores.
#include "Color.h"
#include "Font.h"

#include <QObject>
#include <QStringList>
#include <QWidget>

class TTestScale : public QObject {
    Q_OBJECT
    Q_PROPERTY(TColor Color MEMBER Color)
    Q_PROPERTY(TColor PointerColor MEMBER PointerColor)
    Q_PROPERTY(bool DrawLine MEMBER DrawLine)
    Q_PROPERTY(int Steps MEMBER Steps)
    Q_PROPERTY(QString ValueFormat MEMBER ValueFormat)
    Q_PROPERTY(TFont *Font READ Font)

public:
    explicit TTestScale(QObject *parent = nullptr) : QObject(parent) { m_font.SetName("Arial"); }
    TFont *Font() { return &m_font; }

    TColor Color = clBlack;
    TColor PointerColor = clRed;
    bool DrawLine = true;
    int Steps = 5;
    QString ValueFormat = "##0";

private:
    TFont m_font;
};

// Every value type of the back end on one object.
class TTestRecord : public QObject {
    Q_OBJECT
public:
    enum TAlign { taLeftJustify, taRightJustify, taCenter };
    Q_ENUM(TAlign)
    enum TOption { opBevelInner = 1, opBevelOuter = 2, opName1 = 4, opValue = 8 };
    Q_DECLARE_FLAGS(TOptions, TOption)
    Q_FLAG(TOptions)

private:
    Q_PROPERTY(int Left MEMBER Left)
    Q_PROPERTY(short Small MEMBER Small)
    Q_PROPERTY(qint64 Big MEMBER Big)
    Q_PROPERTY(bool Visible MEMBER Visible)
    Q_PROPERTY(float Single MEMBER Single)
    Q_PROPERTY(double Number MEMBER Number)
    Q_PROPERTY(QString Hint MEMBER Hint)
    Q_PROPERTY(TColor Color MEMBER Color)
    Q_PROPERTY(TFontCharset Charset MEMBER Charset)
    Q_PROPERTY(TAlign Alignment MEMBER Alignment)
    Q_PROPERTY(TOptions Options READ getOptions WRITE setOptions)
    Q_PROPERTY(QStringList Lines MEMBER Lines)
    Q_PROPERTY(TTestScale *ScaleSettings READ ScaleSettings)
    Q_PROPERTY(QObject *Picture READ Picture)

public:
    explicit TTestRecord(QObject *parent = nullptr) : QObject(parent) {}
    TTestScale *ScaleSettings() { return &m_scale; }
    QObject *Picture() { return &m_picture; }
    TOptions getOptions() const { return Options; }
    void setOptions(TOptions v) { Options = v; }

    int Left = 8;
    short Small = 3;
    qint64 Big = 1;
    bool Visible = false;
    float Single = 1.0f;
    double Number = 100.0;
    QString Hint = "1";
    TColor Color = clSilver;
    TFontCharset Charset = DEFAULT_CHARSET;
    TAlign Alignment = taCenter;
    TOptions Options = opBevelInner;
    QStringList Lines;

private:
    TTestScale m_scale;
    QObject m_picture;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TTestRecord::TOptions)

class TTestCheckBox : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool Checked READ Checked WRITE SetChecked)

public:
    using QWidget::QWidget;
    bool Checked() const { return m_checked; }
    void SetChecked(bool v)
    {
        if (v == m_checked)
            return;
        m_checked = v;
        if (OnChange)
            OnChange(this);
    }
    std::function<void(TTestCheckBox *)> OnChange;

private:
    bool m_checked = false;
};

// An object whose sub-object is itself.
class TTestLoop : public QObject {
    Q_OBJECT
    Q_PROPERTY(int A MEMBER A)
    Q_PROPERTY(TTestLoop *Next READ Next)

public:
    TTestLoop *Next() { return this; }
    int A = 1;
};

// A component with a stored property that can be read but not set.
class TTestReadOnly : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int Count READ Count)
    Q_PROPERTY(int Left MEMBER Left)

public:
    using QWidget::QWidget;
    int Count() const { return 7; }
    int Left = 1;
};
