// tavelgrid-gallery OUTDIR: renders every instrument offscreen into PNG files in a set of telling
// states, so that a change in drawing can be looked at without running the panel.
#include "Gallery.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QTextStream>
#include <cstdio>
#include <memory>

namespace gallery {

namespace {
QString outDir;
int written = 0;
SteppedClock *theClock = nullptr;
TFlashService *theService = nullptr;
} // namespace

void save(QWidget &w, const QString &name)
{
    QImage img(w.size(), QImage::Format_ARGB32_Premultiplied);
    img.fill(QColor(0xC0, 0xDC, 0xC0)); // the panel's money-green background
    w.render(&img, QPoint(), QRegion(), QWidget::DrawChildren);
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
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: tavelgrid-gallery OUTDIR\n");
        return 2;
    }
    gallery::outDir = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(gallery::outDir)) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
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

    SetFlashService(nullptr);
    QTextStream(stdout) << gallery::written << " pictures in " << gallery::outDir << '\n';
    return 0;
}
