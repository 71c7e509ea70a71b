#pragma once
// The "PORT [BAUD]" arguments that the port tools share.
#include <QString>
#include <QStringList>
#include <cstdint>

// Reads PORT and an optional BAUD (default 9600) from args; returns what is wrong, or an empty
// text when both are fine.
QString parsePortArgs(const QStringList &args, QString &port, int32_t &baud);
