#include "TimeBar.h"

#include <QComboBox>
#include <QDateTime>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <algorithm>

TTimeBar::TTimeBar(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("TimeBar"));
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(6, 0, 6, 0);
    Slider = new QSlider(Qt::Horizontal, this);
    Slider->setObjectName(QStringLiteral("TimeSlider"));
    Shown = new QLabel(this);
    Shown->setObjectName(QStringLiteral("TimeShown"));
    Shown->setTextFormat(Qt::PlainText);
    Shown->setMinimumWidth(220);
    SpeedBox = new QComboBox(this);
    SpeedBox->setObjectName(QStringLiteral("ComboBoxReplaySpeed"));
    SpeedBox->addItem(QStringLiteral("1x"), 1);
    SpeedBox->addItem(QStringLiteral("10x"), 10);
    SpeedBox->addItem(QStringLiteral("Full speed"), 0);
    ButtonLive = new QPushButton(QStringLiteral("Live"), this);
    ButtonLive->setObjectName(QStringLiteral("ButtonLive"));
    row->addWidget(new QLabel(QStringLiteral("Frozen"), this));
    row->addWidget(Slider, 1);
    row->addWidget(Shown);
    row->addWidget(SpeedBox);
    row->addWidget(ButtonLive);
    connect(Slider, &QSlider::valueChanged, this, [this](int ms) {
        if (OnScrub)
            OnScrub(earliest + tg::journal::Micros(ms) * 1000);
    });
    connect(SpeedBox, &QComboBox::currentIndexChanged, this, [this] {
        if (OnSpeed)
            OnSpeed(Speed());
    });
    connect(ButtonLive, &QPushButton::clicked, this, [this] {
        if (OnLive)
            OnLive();
    });
}

void TTimeBar::SetRange(tg::journal::Micros from, tg::journal::Micros latest)
{
    earliest = from;
    const QSignalBlocker quiet(Slider);
    const tg::journal::Micros ms = std::clamp<tg::journal::Micros>((latest - from) / 1000, 0, INT32_MAX);
    Slider->setRange(0, int(ms));
    Slider->setValue(int(ms));
}

void TTimeBar::SetSliderEnabled(bool on)
{
    Slider->setEnabled(on);
}

void TTimeBar::SetShown(tg::journal::Micros t, const QString &note)
{
    const QString when = QDateTime::fromMSecsSinceEpoch(t / 1000).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
    Shown->setText(note.isEmpty() ? when : when + QStringLiteral("  ") + note);
}

int TTimeBar::Speed() const
{
    return SpeedBox->currentData().toInt();
}
