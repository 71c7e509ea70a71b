#pragma once
// The monitor's command line.
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

struct MonitorOptions {
    QString port;
    int32_t baud = 9600;
    bool quiet = false; // text output: the statistics line only
    bool json = false;  // one JSON object per message
    bool stats = false; // with json: one JSON object per second instead
    QStringList sends;  // written to the device, in order, once the port is open
    std::optional<int64_t> count; // end after this many messages
    std::optional<int> forMs;     // end after this time
};

// Reads the arguments after the program's name; returns what is wrong, or an empty text.
QString parseMonitorOptions(const QStringList &args, MonitorOptions &o);
