#include "PortArgs.h"

#include "NumberParse.h"

QString parsePortArgs(const QStringList &args, QString &port, int32_t &baud)
{
    if (args.isEmpty())
        return QStringLiteral("no port given");
    if (args.size() > 2)
        return QStringLiteral("too many arguments");
    qint64 rate = 9600;
    if (args.size() == 2 && (!tg::parseInt64(args[1], rate) || rate <= 0 || rate > INT32_MAX))
        return QStringLiteral("bad baud rate \"") + args[1] +
               QStringLiteral("\": give a whole number from 1 to 2147483647");
    port = args[0];
    baud = int32_t(rate);
    return QString();
}
