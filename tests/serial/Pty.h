#pragma once
// A pseudo-terminal that tests use as a serial device: the test holds the master side and
// plays the device; the port under test opens the slave path.
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>

struct Pty {
    Pty();
    ~Pty();
    Pty(const Pty &) = delete;
    Pty &operator=(const Pty &) = delete;

    void write(QByteArrayView data) const;
    // Reads until n bytes arrived or timeoutMs passed.
    QByteArray read(qsizetype n, int timeoutMs = 5000) const;
    void closeMaster();

    // The line settings the slave was given, as the master sees them.
    struct Line {
        uint32_t speed;
        uint32_t cflag;
        uint32_t iflag;
    };
    Line line() const;

    int master = -1;
    QString slave;
};

// Runs the event loop until cond holds or timeoutMs passed; returns cond().
bool waitFor(const std::function<bool()> &cond, int timeoutMs = 5000);

// Open descriptors and threads of this process, to find leaks.
int openDescriptors();
int threadCount();
