// Runs the settings back end in a process of its own, so a test can watch what it does as
// another user (root bypasses file permissions) or measure what a file costs to load.
//   storage-probe load FILE                   load, print "readonly=N sections=N"
//   storage-probe store UID FILE PATH VALUE   as UID: load, store VALUE at PATH, save at exit
#include "IniFileStorage.h"

#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>
#include <grp.h>
#include <unistd.h>

namespace {

bool becomeUser(uid_t uid)
{
    return ::setgroups(0, nullptr) == 0 && ::setgid(gid_t(uid)) == 0 && ::setuid(uid) == 0;
}

void report(const IniFileStorage &s)
{
    std::printf("readonly=%d sections=%lld\n", s.ReadOnly() ? 1 : 0,
                static_cast<long long>(s.Image().sectionCount()));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args[1] == QLatin1String("load")) {
        IniFileStorage s(args[2]);
        s.FlushOnDestroy = false;
        report(s);
        return 0;
    }
    if (args.size() == 6 && args[1] == QLatin1String("store")) {
        if (!becomeUser(uid_t(args[2].toUInt())))
            return 3;
        IniFileStorage s(args[3]);
        s.StoreText(args[4], args[5]);
        report(s);
        return 0; // the destructor saves
    }
    return 2;
}
