#pragma once
// The controls of a frozen panel: a slider over the time the journal holds, the moment shown,
// the pace of a recording being played, and the way back to live.
#include "Journal.h"

#include <QWidget>
#include <functional>

class QComboBox;
class QLabel;
class QPushButton;
class QSlider;

class TTimeBar : public QWidget {
public:
    explicit TTimeBar(QWidget *parent = nullptr);

    // The slider spans earliest to latest; it is idle while a recording plays.
    void SetRange(tg::journal::Micros earliest, tg::journal::Micros latest);
    void SetSliderEnabled(bool on);
    void SetShown(tg::journal::Micros t, const QString &note = QString());
    // 1, 10, or 0 for full speed.
    int Speed() const;

    std::function<void(tg::journal::Micros)> OnScrub;
    std::function<void(int)> OnSpeed;
    std::function<void()> OnLive;

    QSlider *Slider;
    QLabel *Shown;
    QComboBox *SpeedBox;
    QPushButton *ButtonLive;

private:
    tg::journal::Micros earliest = 0;
};
