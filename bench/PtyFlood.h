#pragma once
// A device on the master side of a pseudo-terminal that writes a stream as fast as the pty
// takes it, and the plain read() loop over the slave side that the program is measured against.
#include <QByteArray>
#include <algorithm>
#include <atomic>
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

struct FloodingDevice {
    int master = -1;
    QByteArray slave;
    std::atomic<bool> stop{false};
    std::thread writer;
    FloodingDevice()
    {
        master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        grantpt(master);
        unlockpt(master);
        slave = ptsname(master);
    }
    FloodingDevice(const FloodingDevice &) = delete;
    FloodingDevice &operator=(const FloodingDevice &) = delete;
    void start(const QByteArray &stream)
    {
        writer = std::thread([this, stream] {
            qsizetype pos = 0;
            while (!stop) {
                pollfd p{master, POLLOUT, 0};
                if (poll(&p, 1, 20) <= 0)
                    continue;
                const ssize_t n = write(master, stream.constData() + pos, size_t(stream.size() - pos));
                if (n > 0)
                    pos = (pos + n) % stream.size();
            }
        });
    }
    ~FloodingDevice()
    {
        stop = true;
        if (writer.joinable())
            writer.join();
        close(master);
    }
};

// Reads the flooded stream with nothing but read(): the ceiling for any reader of the pty.
inline void plainReadOverPty(benchmark::State &state, const QByteArray &stream, int64_t packetsPerIteration)
{
    const double bytesPerPacket = double(stream.size()) / double(stream.count('<'));
    FloodingDevice device;
    const int fd = open(device.slave.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    termios raw{};
    tcgetattr(fd, &raw);
    cfmakeraw(&raw);
    tcsetattr(fd, TCSANOW, &raw);
    device.start(stream);
    const auto goalBytes = int64_t(double(packetsPerIteration) * bytesPerPacket);
    char buf[65536];
    int64_t total = 0, reads = 0;
    for (auto _ : state) {
        int64_t got = 0;
        while (got < goalBytes) {
            pollfd p{fd, POLLIN, 0};
            poll(&p, 1, -1);
            const ssize_t n = read(fd, buf, sizeof buf);
            if (n > 0) {
                got += n;
                ++reads;
            }
        }
        benchmark::DoNotOptimize(buf);
        total += packetsPerIteration;
    }
    close(fd);
    state.counters["packets/s"] = benchmark::Counter(double(total), benchmark::Counter::kIsRate);
    state.counters["MB/s"] = benchmark::Counter(double(total) * bytesPerPacket / 1e6, benchmark::Counter::kIsRate);
    state.counters["bytes/read"] = double(total) * bytesPerPacket / double(std::max<int64_t>(reads, 1));
}
