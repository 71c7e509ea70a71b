// Saves a settings file of N keys again and again, each save with a new generation number in
// every value, until it is killed.
#include "IniFileStorage.h"

#include <QCoreApplication>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 3)
        return 2;
    const QString path = QString::fromLocal8Bit(argv[1]);
    const int keys = atoi(argv[2]);
    IniFileStorage s(path);
    s.AutoReload = false;
    s.FlushOnDestroy = false;
    for (qint64 generation = 0;; ++generation) {
        const QString g = QString::number(generation);
        s.StoreText("Data\\Generation", g);
        for (int k = 0; k < keys; ++k)
            s.StoreText(QStringLiteral("Data\\Key%1").arg(k), g + QStringLiteral("-%1").arg(k));
        s.SaveFile();
    }
}
