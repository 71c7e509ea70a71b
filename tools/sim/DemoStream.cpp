#include "DemoStream.h"

#include <array>
#include <cmath>

namespace {

QByteArray message(int id, const QByteArray &value)
{
    return "#" + QByteArray::number(id) + "M" + value + "<";
}

QByteArray number(double v, int decimals)
{
    return QByteArray::number(v, 'f', decimals);
}

// The instruments of the panel that take values, one message each per round.
constexpr std::array kIds = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 35, 36, 40, 41, 42, 43, 44, 60, 90};

// A slowly drifting process value: two slow waves around a mean, periods of 24 s and more,
// so that neighbouring readings differ by little even when an instrument is updated only a
// few times a second.
double drift(double t, int id, double mean, double swing)
{
    const double phase = id * 1.7;
    const double slow = std::sin(2 * M_PI * t / (24.0 + 3.0 * (id % 7)) + phase);
    const double slower = std::sin(2 * M_PI * t / (47.0 + 5.0 * (id % 5)) + 2 * phase);
    return mean + swing * (0.75 * slow + 0.25 * slower);
}

// Level of the tank that drives the pump, on meter 1.
double tankLevel(double t) { return drift(t, 1, 50, 48); }

} // namespace

DemoStream::DemoStream(double noise, unsigned seed) : m_noise(noise), m_rng(seed) {}

QList<int> DemoStream::demoIds()
{
    return QList<int>(kIds.begin(), kIds.end());
}

void DemoStream::setReplay(const QByteArray &raw)
{
    m_replay.clear();
    qsizetype start = 0;
    for (qsizetype i = 0; i < raw.size(); ++i)
        if (raw[i] == '<') {
            m_replay << raw.mid(start, i + 1 - start);
            start = i + 1;
        }
    if (start < raw.size())
        m_replay << raw.mid(start);
    m_replayPos = 0;
}

void DemoStream::setReplayPieces(const QList<QByteArray> &pieces)
{
    m_replay = pieces;
    m_replayPos = 0;
}

QByteArray DemoStream::next(double t)
{
    QByteArray piece;
    if (!m_replay.isEmpty()) {
        piece = m_replay[m_replayPos];
        m_replayPos = (m_replayPos + 1) % m_replay.size();
    } else {
        piece = demoMessage(t);
    }
    return m_noise > 0 ? addNoise(piece) : piece;
}

QByteArray DemoStream::demoMessage(double t)
{
    const int id = kIds[size_t(m_step)];
    m_step = (m_step + 1) % int(kIds.size());
    // A little sensor noise on top of the drift, as real readings have.
    std::normal_distribution<double> jitter(0.0, 0.15);
    const bool pumpOn = tankLevel(t) > 55;
    switch (id) {
    case 1:
        return message(id, number(tankLevel(t) + jitter(m_rng), 1));
    case 35:
        return message(id, pumpOn ? "Pumpe an" : "Pumpe aus");
    case 36: {
        const int s = int(t);
        return message(id, "Laufzeit " + QByteArray::number(s / 3600) + ":" +
                               QByteArray::number(s / 60 % 60).rightJustified(2, '0') + ":" +
                               QByteArray::number(s % 60).rightJustified(2, '0'));
    }
    case 40: // a supply voltage around 12 V
        return message(id, number(drift(t, id, 12.0, 0.6) + jitter(m_rng) / 20, 2));
    case 60: {
        // A status byte: bit 0 a 1-Hz heartbeat, bit 1 the pump, bit 2 a high-level alarm,
        // bits 4 to 7 a four-step bar of the tank level.
        const double level = tankLevel(t);
        int bits = (int(t) % 2 == 0 ? 1 : 0) | (pumpOn ? 2 : 0) | (level > 90 ? 4 : 0);
        for (int step = 0; step < 4; ++step)
            if (level > 20 + 20 * step)
                bits |= 0x10 << step;
        return message(id, QByteArray::number(bits));
    }
    case 90: // the trend follows a flow that rises and falls with the tank level
        return message(id, number(20 + 0.6 * tankLevel(t) + drift(t, id, 0, 8) + jitter(m_rng), 2));
    default:
        // Meters 2-10 and indicators 41-44: process values over 0 to 100 %; some swing past
        // their limits now and then so that the alarm colours show.
        return message(id, number(drift(t, id, 50, id % 3 == 0 ? 46 : 35) + jitter(m_rng), 1));
    }
}

QByteArray DemoStream::addNoise(QByteArray piece)
{
    std::uniform_real_distribution<double> chance(0.0, 1.0);
    if (chance(m_rng) >= m_noise)
        return piece;
    std::uniform_int_distribution<int> kind(0, 3);
    std::uniform_int_distribution<int> byte(0, 255);
    switch (kind(m_rng)) {
    case 0: { // stray bytes between messages
        QByteArray junk;
        for (int i = 0, n = 1 + byte(m_rng) % 8; i < n; ++i)
            junk += char(byte(m_rng));
        return junk + piece;
    }
    case 1: // the end marker is lost
        piece.chop(1);
        return piece;
    case 2: // the message is cut short
        return piece.left(1 + byte(m_rng) % std::max<qsizetype>(1, piece.size() - 1));
    default: // a byte is corrupted
        piece[byte(m_rng) % piece.size()] = char(byte(m_rng));
        return piece;
    }
}
