#pragma once
// The monitor's output for scripts: one JSON object per line, in ASCII only (every other
// character as a \u escape), so that it passes any pipe and any terminal unchanged.
#include <QByteArray>
#include <QByteArrayView>
#include <QStringView>
#include <cstdint>
#include <ctime>

// A received message: "t" the receive time in seconds since the epoch, "id" and "value" as
// the panel's value protocol reads them, null where it reads no id (a message the panel
// ignores) or no number (a text id, a value that is not a number), "raw" the message's
// bytes decoded as the line's single-byte encoding, which maps every byte to its own
// character.
QByteArray messageJson(timespec received, QByteArrayView message);

// What the link did in one interval: counts in the interval, and totals since the start.
struct LinkStats {
    timespec end{};
    int64_t milliseconds = 0;
    int64_t bytes = 0, messages = 0;
    int64_t discardedBytes = 0, ignoredMessages = 0;
    uint64_t droppedBytes = 0;
};
QByteArray statsJson(const LinkStats &s);

// Appends text as a JSON string, quotes included.
void appendJsonString(QByteArray &out, QStringView text);
