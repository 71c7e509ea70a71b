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

namespace {

const char kUsage[] =
    "usage: tavelgrid-gallery [--ratio R] OUTDIR\n"
    "Renders every instrument into PNG files in OUTDIR; --ratio renders at device pixel ratio R.\n";

int usageError(const char *problem, const char *what)
{
    std::fprintf(stderr, "tavelgrid-gallery: %s%s\n", problem, what);
    std::fputs(kUsage, stderr);
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    // Read before anything is written, so that no option is ever taken for the folder.
    const char *ratio = nullptr;
    const char *out = nullptr;
    for (int i = 1; i < argc; ++i) {
        const char *a = argv[i];
        if (std::strcmp(a, "--help") == 0 || std::strcmp(a, "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (std::strcmp(a, "--ratio") == 0) {
            if (++i == argc)
                return usageError("--ratio needs a value", "");
            ratio = argv[i];
        } else if (a[0] == '-') {
            return usageError("unknown option ", a);
        } else if (out) {
            return usageError("one output folder only, not also ", a);
        } else {
            out = a;
        }
    }
    if (!out)
        return usageError("no output folder given", "");
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (ratio)
        qputenv("QT_SCALE_FACTOR", ratio); // read when the application starts
    QApplication app(argc, argv);
    gallery::outDir = QString::fromLocal8Bit(out);
    if (!QDir().mkpath(gallery::outDir)) {
        std::fprintf(stderr, "cannot create %s\n", out);
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
