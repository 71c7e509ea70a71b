// Throughput of the inbound path: the framer alone, and port + framer over a pseudo-terminal
// beside a plain read() loop over the same kind of pty as the baseline.
#include "ComDataPacket.h"
#include "ComPort.h"
#include "PtyFlood.h"

#include <QCoreApplication>

namespace {

QByteArray typicalStream(qsizetype bytes)
{
    QByteArray s;
    for (int i = 0; s.size() < bytes; ++i)
        s += "#" + QByteArray::number(i % 12 + 1) + "M" + QByteArray::number((i * 37) % 1000) + "." +
             QByteArray::number(i % 10) + "<";
    return s;
}

void BM_Framer(benchmark::State &state)
{
    const qsizetype chunk = state.range(0);
    const QByteArray stream = typicalStream(1 << 20);
    TComDataPacket framer;
    framer.SetStartString("#");
    framer.SetStopString("<");
    framer.SetIncludeStrings(true);
    int64_t packets = 0;
    framer.OnPacket = [&](TComDataPacket *, const QByteArray &) { ++packets; };
    for (auto _ : state)
        for (qsizetype pos = 0; pos < stream.size(); pos += chunk)
            framer.HandleData(QByteArrayView(stream).sliced(pos, std::min(chunk, stream.size() - pos)));
    state.SetBytesProcessed(int64_t(state.iterations()) * stream.size());
    state.counters["packets/s"] = benchmark::Counter(double(packets), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Framer)->Arg(65536)->Arg(1)->Unit(benchmark::kMillisecond);

constexpr int64_t kPacketsPerIteration = 200000;

void BM_PortAndFramerOverPty(benchmark::State &state)
{
    const QByteArray stream = typicalStream(1 << 16);
    const double bytesPerPacket = double(stream.size()) / double(stream.count('<'));
    FloodingDevice device;
    TComPort port;
    port.SetPort(QString::fromLocal8Bit(device.slave));
    TComDataPacket framer;
    framer.SetStartString("#");
    framer.SetStopString("<");
    framer.SetIncludeStrings(true);
    framer.SetComPort(&port);
    int64_t packets = 0;
    framer.OnPacket = [&](TComDataPacket *, const QByteArray &) { ++packets; };
    int64_t reads = 0;
    TComLink counter;
    counter.LinkRxBuf = [&](TCustomComPort *, const char *, int) { ++reads; };
    port.AttachLink(&counter);
    port.Open();
    device.start(stream);
    int64_t total = 0;
    for (auto _ : state) {
        const int64_t goal = packets + kPacketsPerIteration;
        while (packets < goal)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        total += kPacketsPerIteration;
    }
    port.Close();
    port.DetachLink(&counter);
    state.counters["packets/s"] = benchmark::Counter(double(total), benchmark::Counter::kIsRate);
    state.counters["MB/s"] = benchmark::Counter(double(total) * bytesPerPacket / 1e6, benchmark::Counter::kIsRate);
    state.counters["bytes/read"] = double(total) * bytesPerPacket / double(std::max<int64_t>(reads, 1));
}
BENCHMARK(BM_PortAndFramerOverPty)->UseRealTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_PlainReadOverPty(benchmark::State &state)
{
    plainReadOverPty(state, typicalStream(1 << 16), kPacketsPerIteration);
}
BENCHMARK(BM_PlainReadOverPty)->UseRealTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
