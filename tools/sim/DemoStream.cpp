#include "DemoStream.h"

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

// The instruments the demo drives, one message each per round.
constexpr int kIds[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 35, 36, 40, 41, 42, 43, 44, 60, 90};

} // namespace

DemoStream::DemoStream(double noise, unsigned seed) : m_noise(noise), m_rng(seed) {}

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
    const int id = kIds[m_step];
    m_step = (m_step + 1) % int(std::size(kIds));
    const double wave = std::sin(t * (0.3 + 0.07 * id) + id);
    switch (id) {
    case 35: {
        static const char *const states[] = {"Pumpe an", "Pumpe aus", "Heizen", "Bereit"};
        return message(id, states[int(t / 3) % 4]);
    }
    case 36:
        return message(id, "Laufzeit " + QByteArray::number(int(t)) + " s");
    case 40:
        return message(id, number(20 + 5 * wave, 2));
    case 60:
        return message(id, QByteArray::number(1 << (int(t * 4) % 8)));
    case 90:
        return message(id, number(50 + 40 * std::sin(t * 0.5), 1));
    default:
        if (id >= 41)
            return message(id, number(50 + 45 * wave, 1));
        // Meters sweep their whole range and a little beyond, so alarms show.
        return message(id, number(50 + 55 * wave, 1));
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
