#pragma once
// Plays a recording file into the time machine at its own pace, ten times faster, or as fast
// as the panel takes it (in slices, so the window stays responsive).
#include "Recording.h"
#include "TimeMachine.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <vector>

class TRecordingPlayer : public QObject {
public:
    // Played with a slice of at most this much time per turn of the event loop.
    static constexpr int kSliceMs = 8;

    TRecordingPlayer(tg::app::TimeMachine &machine, QObject *parent = nullptr);

    // Reads the whole file and starts playing it; the reason when it cannot be played.
    QString Play(const QString &fileName);
    void Stop();
    bool Playing() const { return timer.isActive(); }
    // 1 or 10 times the recorded pace; 0 for as fast as it goes.
    void SetSpeed(int factor);
    size_t Played() const { return next; }
    size_t Records() const { return records.size(); }

    std::function<void()> OnFinished;

private:
    void tick();

    tg::app::TimeMachine &machine;
    QByteArray file;
    std::vector<tg::journal::Record> records;
    size_t next = 0;
    int speed = 1;
    QTimer timer;
    QElapsedTimer clock;
    tg::journal::Micros base = 0;
};
