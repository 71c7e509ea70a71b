// tavelgrid-gallery [--ratio R] OUTDIR: renders every instrument offscreen into PNG files in a set
// of telling states, so that a change in drawing can be looked at without running the panel.
// --ratio renders at that device pixel ratio, as a high-DPI screen shows the panel.
#include "Gallery.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QTextStream>
#include <QtMath>
#include <cstdio>
#include <cstring>
#include <memory>

namespace gallery {

namespace {
QString outDir;
int written = 0;
SteppedClock *theClock = nullptr;
TFlashService *theService = nullptr;
} // namespace

QImage image(QWidget &w)
{
    const qreal dpr = w.devicePixelRatioF();
    QImage img(QSize(qCeil(w.width() * dpr), qCeil(w.height() * dpr)), QImage::Format_ARGB32_Premultiplied);
    img.setDevicePixelRatio(dpr);
    img.fill(QColor(0xC0, 0xDC, 0xC0)); // the panel's money-green background
    w.render(&img, QPoint(), QRegion(), QWidget::DrawChildren);
    return img;
}

void save(QWidget &w, const QString &name)
{
    save(image(w), name);
}

void save(const QImage &img, const QString &name)
{
    const QString path = outDir + u'/' + name + QStringLiteral(".png");
    if (!img.save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::exit(1);
    }
    ++written;
}

void tickUntil(const std::function<bool()> &done)
{
    for (int i = 0; i < 300 && !done(); ++i) {
        theClock->ms += TFlashService::TickMs;
        theService->Tick();
    }
}

SteppedClock &clock() { return *theClock; }

} // namespace gallery

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const bool ratio = argc == 4 && std::strcmp(argv[1], "--ratio") == 0;
    if (ratio)
        qputenv("QT_SCALE_FACTOR", argv[2]); // read when the application starts
    QApplication app(argc, argv);
    if (argc != 2 && !ratio) {
        std::fprintf(stderr, "usage: tavelgrid-gallery [--ratio R] OUTDIR\n");
        return 2;
    }
    gallery::outDir = QString::fromLocal8Bit(argv[argc - 1]);
    if (!QDir().mkpath(gallery::outDir)) {
        std::fprintf(stderr, "cannot create %s\n", argv[argc - 1]);
        return 1;
    }
    auto clock = std::make_shared<gallery::SteppedClock>();
    TFlashService service(clock, false);
    SetFlashService(&service);
    gallery::theClock = clock.get();
    gallery::theService = &service;

    gallery::vmeter();
    gallery::valueInd();
    gallery::led();
    gallery::gradient();
    gallery::sevenSeg();
    gallery::miniTrend();
    gallery::roundTrend();
    gallery::numEdit();
    gallery::input();
    gallery::comLed();
    gallery::configPages();
    gallery::displayPages();
    gallery::terminalPage();
    gallery::interfacePage();
    gallery::windowPages();

    SetFlashService(nullptr);
    QTextStream(stdout) << gallery::written << " pictures in " << gallery::outDir << '\n';
    return 0;
}
