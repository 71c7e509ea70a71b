#include "MonitorOptions.h"

#include "NumberParse.h"
#include "PortArgs.h"

#include <cmath>

namespace {

// A QTimer counts in int milliseconds.
constexpr double kMaxSeconds = 2147483;

bool readValue(const QString &name, const QString &text, MonitorOptions &o)
{
    if (name == QLatin1String("--send")) {
        o.sends += text;
        return true;
    }
    if (name == QLatin1String("--count")) {
        qint64 n = 0;
        if (!tg::parseInt64(text, n) || n < 1)
            return false;
        o.count = n;
        return true;
    }
    double seconds = 0;
    if (!tg::parseDecimal(text, QLatin1Char('.'), seconds) || seconds < 0 || seconds > kMaxSeconds)
        return false;
    o.forMs = int(std::llround(seconds * 1000));
    return true;
}

QString hint(const QString &name)
{
    if (name == QLatin1String("--count"))
        return QStringLiteral("give a whole number of messages from 1 on");
    return QStringLiteral("give seconds from 0 to 2147483");
}

} // namespace

QString parseMonitorOptions(const QStringList &args, MonitorOptions &o)
{
    QStringList positional;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        if (arg == QLatin1String("--quiet")) {
            o.quiet = true;
        } else if (arg == QLatin1String("--json")) {
            o.json = true;
        } else if (arg == QLatin1String("--stats")) {
            o.stats = true;
        } else if (arg == QLatin1String("--send") || arg == QLatin1String("--count") || arg == QLatin1String("--for")) {
            if (i + 1 >= args.size())
                return arg + QStringLiteral(" needs a value");
            const QString &value = args[++i];
            if (!readValue(arg, value, o))
                return QStringLiteral("bad value for ") + arg + QStringLiteral(": \"") + value + QStringLiteral("\": ") +
                       hint(arg);
        } else if (arg.startsWith(QLatin1Char('-'))) {
            return QStringLiteral("unknown option ") + arg;
        } else {
            positional += arg;
        }
    }
    if (o.stats && !o.json)
        return QStringLiteral("--stats goes with --json");
    if (o.quiet && o.json)
        return QStringLiteral("--quiet is for the text output; with --json use --stats");
    return parsePortArgs(positional, o.port, o.baud);
}
