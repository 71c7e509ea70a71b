// The real program under a window manager, which frames its window: the settings file keeps
// the outer frame, and a restart brings the window back exactly there.
#include "../instruments/QtPrint.h"
#include "Desktop.h"
#include "ProgramRun.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

const QString kTitle = QStringLiteral("       Tavelgrid");

QString settingsText(const QString &file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll().replace("\r\n", "\n")) : QString();
}

void writeSettings(const QString &file, const QString &text)
{
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text.toLatin1());
}

// NormPos (both keys must agree) and ShowCmd as the program left them.
QRect normPos(const QString &ini)
{
    const auto all = QRegularExpression(QStringLiteral("^NormPos(\\(\\d+x\\d+\\))?=(-?\\d+),(-?\\d+),(-?\\d+),(-?\\d+)$"),
                                        QRegularExpression::MultilineOption)
                         .globalMatch(ini);
    QList<QRect> found;
    for (const QRegularExpressionMatch &m : all)
        found << QRect(QPoint(m.captured(2).toInt(), m.captured(3).toInt()), QPoint(m.captured(4).toInt() - 1, m.captured(5).toInt() - 1));
    return found.size() == 2 && found[0] == found[1] ? found[0] : QRect();
}

QString showCmd(const QString &ini)
{
    return QRegularExpression(QStringLiteral("\nShowCmd=(\\d+)\n")).match(ini).captured(1);
}

} // namespace

TEST(Placement, TheWindowComesBackWhereItWasUnderAWindowManager)
{
    Desktop desktop;
    if (!desktop.start())
        GTEST_SKIP() << "needs Xvfb, openbox, xwininfo and xprop (scripts/deps installs them)";
    QTemporaryDir dir;
    const QString settings = dir.filePath(QStringLiteral("s.ini"));
    // One run: shows, waits until the window manager shows the frame that `expected` accepts,
    // ends; returns that frame.
    auto run = [&](const std::function<bool(const QRect &)> &expected, const char *what) {
        SCOPED_TRACE(what);
        ProgramRun r({QStringLiteral("--settings"), settings}, std::nullopt, QProcess::ForwardedChannels, desktop.display);
        EXPECT_TRUE(r.started());
        QRect seen;
        EXPECT_TRUE(QTest::qWaitFor([&] {
            const auto frame = desktop.frameOf(kTitle);
            seen = frame.value_or(QRect());
            return frame && expected(*frame);
        }, 30000)) << "last seen " << testing::PrintToString(seen);
        EXPECT_TRUE(r.endsNormallyOn(SIGTERM));
        return seen;
    };

    // The first start centres the frame on the screen (no panels: all of it is available).
    const QRect first = run([](const QRect &f) {
        return std::abs(f.left() + f.right() + 1 - 1600) <= 1 && std::abs(f.top() + f.bottom() + 1 - 1000) <= 1;
    }, "first start");
    EXPECT_EQ(normPos(settingsText(settings)), first);
    // Start, end, start: it comes back to the same frame, and the file stays as it was.
    for (const char *what : {"second start", "third start"}) {
        run([&](const QRect &f) { return f == first; }, what);
        EXPECT_EQ(normPos(settingsText(settings)), first) << what;
    }

    // A place of the user's own, and the window maximised there: its normal frame is kept.
    const QRect own(100, 80, 800, 620);
    QString ini = settingsText(settings);
    writeSettings(settings, ini.replace(QRegularExpression(QStringLiteral("\nNormPos(\\(\\d+x\\d+\\))?=[^\n]*")),
                                        QStringLiteral("\nNormPos\\1=100,80,900,700")));
    run([&](const QRect &f) { return f == own; }, "placed by the user");
    EXPECT_EQ(normPos(settingsText(settings)), own);
    writeSettings(settings, settingsText(settings).replace(QStringLiteral("\nShowCmd=1\n"), QStringLiteral("\nShowCmd=3\n")));
    run([](const QRect &f) { return f.width() == 1600; }, "maximised");
    EXPECT_EQ(showCmd(settingsText(settings)), QStringLiteral("3"));
    EXPECT_EQ(normPos(settingsText(settings)), own);
}
