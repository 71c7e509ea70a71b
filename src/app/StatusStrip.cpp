#include "StatusStrip.h"

#include "ComDataPacket.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <chrono>

namespace {

QString count(double v)
{
    return QLocale::c().toString(v, 'f', 0);
}

QString bytes(double v)
{
    if (v >= 1e6)
        return QLocale::c().toString(v / 1e6, 'f', 2) + QStringLiteral(" MB");
    if (v >= 1e3)
        return QLocale::c().toString(v / 1e3, 'f', 1) + QStringLiteral(" kB");
    return count(v) + QStringLiteral(" B");
}

} // namespace

TStatusStrip::TStatusStrip(Sources sources, QWidget *parent) : QWidget(parent), src(std::move(sources))
{
    setObjectName(QStringLiteral("StatusStrip"));
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(6, 0, 6, 0);
    row->setSpacing(18);
    bytesRate = field("StatusBytes", QStringLiteral("Bytes received per second"));
    messageRate = field("StatusMessages", QStringLiteral("Messages per second"));
    discarded = field("StatusDiscarded", QStringLiteral("Bytes outside messages, thrown away by the framer"));
    ignored = field("StatusIgnored", QStringLiteral("Messages the value protocol could not read"));
    unknownIds = field("StatusUnknownIds", QStringLiteral("Ids received that no instrument shows"));
    latency = field("StatusLatency", QStringLiteral("Longest time from a byte's arrival to the painted value, last second"));
    row->addStretch(1);
    timer.setInterval(kRefreshMs);
    connect(&timer, &QTimer::timeout, this, &TStatusStrip::refresh);
}

QLabel *TStatusStrip::field(const char *name, const QString &tip)
{
    auto *l = new QLabel(this);
    l->setObjectName(QString::fromLatin1(name));
    l->setTextFormat(Qt::PlainText);
    l->setToolTip(tip);
    layout()->addWidget(l);
    return l;
}

void TStatusStrip::showEvent(QShowEvent *e)
{
    refresh();
    timer.start();
    QWidget::showEvent(e);
}

void TStatusStrip::hideEvent(QHideEvent *e)
{
    timer.stop();
    QWidget::hideEvent(e);
}

void TStatusStrip::refresh()
{
    const uint64_t nowBytes = src.journal->endOffset();
    const uint64_t nowPackets = src.stats->packets();
    const double seconds = sinceLast.isValid() ? double(sinceLast.nsecsElapsed()) / 1e9 : 0.0;
    sinceLast.start();
    const double byteRate = seconds > 0 ? double(nowBytes - lastBytes) / seconds : 0.0;
    const double packetRate = seconds > 0 ? double(nowPackets - lastPackets) / seconds : 0.0;
    lastBytes = nowBytes;
    lastPackets = nowPackets;

    int unseen = 0;
    src.stats->forEachId([&](int32_t id, const tg::app::IdStats &) { unseen += src.shows(id) ? 0 : 1; });
    const int64_t now =
        std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch()).count();
    const std::optional<int64_t> late = src.stats->latencyLastSecond(now);

    bytesRate->setText(bytes(byteRate) + QStringLiteral("/s"));
    messageRate->setText(count(packetRate) + QStringLiteral(" msg/s"));
    discarded->setText(QStringLiteral("discarded ") + bytes(double(src.framer->DiscardedBytes())));
    ignored->setText(QStringLiteral("ignored ") + count(double(src.stats->ignored())));
    unknownIds->setText(QStringLiteral("unknown ids ") + QString::number(unseen));
    latency->setText(QStringLiteral("latency ") +
                     (late ? QLocale::c().toString(double(*late) / 1e6, 'f', 1) + QStringLiteral(" ms") : QStringLiteral("-")));
}
