#include "RecordingPlayer.h"

#include <QFile>

TRecordingPlayer::TRecordingPlayer(tg::app::TimeMachine &machine, QObject *parent) : QObject(parent), machine(machine)
{
    timer.setInterval(1);
    connect(&timer, &QTimer::timeout, this, &TRecordingPlayer::tick);
}

QString TRecordingPlayer::Play(const QString &fileName)
{
    Stop();
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly))
        return f.errorString();
    QByteArray content = f.readAll();
    if (f.error() != QFileDevice::NoError)
        return f.errorString();
    std::vector<tg::journal::Record> read;
    const std::string error = tg::journal::readRecording(
        std::string_view(content.constData(), size_t(content.size())),
        [&read](const tg::journal::Record &r) { read.push_back(r); });
    if (!error.empty())
        return QString::fromStdString(error);
    // The records point into the file's bytes, which stay with them.
    file = std::move(content);
    records = std::move(read);
    next = 0;
    machine.BeginPlayback();
    base = records.empty() ? 0 : records.front().time;
    clock.start();
    timer.start();
    return {};
}

void TRecordingPlayer::Stop()
{
    timer.stop();
}

void TRecordingPlayer::SetSpeed(int factor)
{
    // The pace changes from the record played last on.
    if (next > 0 && next <= records.size())
        base = records[next - 1].time;
    clock.start();
    speed = factor;
}

void TRecordingPlayer::tick()
{
    QElapsedTimer slice;
    slice.start();
    const tg::journal::Micros due = base + clock.nsecsElapsed() / 1000 * speed;
    while (next < records.size() && (speed == 0 || records[next].time <= due)) {
        machine.Play(records[next++]);
        if (speed == 0 && (next & 255) == 0 && slice.elapsed() >= kSliceMs)
            return;
    }
    if (next >= records.size()) {
        timer.stop();
        if (OnFinished)
            OnFinished();
    }
}
