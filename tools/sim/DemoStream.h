#pragma once
// The messages the simulated device sends: a demo that moves every instrument of the panel
// like a small plant would (levels, temperatures, pressures drifting smoothly, a status byte,
// status texts), or the messages of a recorded file, optionally mixed with line noise.
#include <QByteArray>
#include <QList>
#include <random>

class DemoStream {
public:
    explicit DemoStream(double noise = 0.0, unsigned seed = 1);
    // Replays these bytes (cut after each "<") instead of the demo, over and over.
    void setReplay(const QByteArray &raw);
    // Replays these pieces (the records of a recording) in turn, over and over.
    void setReplayPieces(const QList<QByteArray> &pieces);

    // The next piece to send at time t (seconds since start): one message, possibly with noise.
    QByteArray next(double t);

    // The instrument ids the demo drives, in the order it sends them.
    static QList<int> demoIds();

private:
    QByteArray demoMessage(double t);
    QByteArray addNoise(QByteArray message);

    double m_noise;
    std::mt19937 m_rng;
    QList<QByteArray> m_replay;
    qsizetype m_replayPos = 0;
    int m_step = 0;
};
