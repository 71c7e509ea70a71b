// The first minute on the real window: the hint on the empty panel, Arrange and its undo, and
// settings that cannot be kept said in the window.
#include "../serial/Pty.h"
#include "../serial/RuntimeFolder.h"
#include "ComPort.h"
#include "FirstStartHint.h"
#include "MainWindow.h"
#include "PortLinks.h"
#include "SettingsNotice.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

QPointer<TFirstStartHint> hintOf(TFormMain &w)
{
    return w.findChild<TFirstStartHint *>(QStringLiteral("FirstStartHint"));
}

bool isGone(const QPointer<TFirstStartHint> &hint)
{
    return QTest::qWaitFor([&] { return !hint || hint->isHidden(); });
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QAction *menuAction(TFormMain &w, const QString &text)
{
    for (QAction *a : w.menuBar()->findChildren<QAction *>())
        if (a->text().remove(QLatin1Char('&')) == text)
            return a;
    return nullptr;
}

std::vector<QWidget *> shownInstruments(TFormMain &w)
{
    std::vector<QWidget *> shown;
    for (int id = 0; id <= tg::app::kMaxId; ++id)
        if (auto *i = qobject_cast<QWidget *>(w.instrument(id)); i && i->isVisible() && i->parentWidget() == w.TabSheetShow)
            shown.push_back(i);
    return shown;
}

int overlappingPairs(const std::vector<QWidget *> &shown)
{
    int pairs = 0;
    for (size_t i = 0; i < shown.size(); ++i)
        for (size_t j = i + 1; j < shown.size(); ++j)
            pairs += shown[i]->geometry().intersects(shown[j]->geometry());
    return pairs;
}

} // namespace

TEST(FirstStart, HintOnlyWithoutASettingsFileAndGoneOnceAPortIsConnected)
{
    ScopedRuntimeFolder runtime;
    Pty device;
    tg::platform::PortAnnouncement sim;
    ASSERT_TRUE(sim.announce(QString(), device.slave));
    QTemporaryDir dir;

    {
        // An existing file, even an empty one, is no first start; no file name keeps nothing.
        const QString existing = dir.filePath(QStringLiteral("existing.ini"));
        QFile(existing).open(QIODevice::WriteOnly);
        TFormMain kept(existing), none;
        EXPECT_EQ(hintOf(kept), nullptr);
        EXPECT_EQ(hintOf(none), nullptr);
    }

    TFormMain w(dir.filePath(QStringLiteral("s.ini")));
    w.showWarning = [](const QString &text) { ADD_FAILURE() << text.toStdString(); };
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "no box on start";
    const QPointer<TFirstStartHint> hint = hintOf(w);
    ASSERT_NE(hint, nullptr);
    EXPECT_TRUE(hint->isVisible());
    EXPECT_EQ(hint->parentWidget(), w.TabSheetShow);
    EXPECT_TRUE(shownInstruments(w).empty()) << "every instrument still starts hidden";

    // The simulator's port is offered; Connect beside it connects it and leads to the switches.
    const int i = hint->PortBox()->findText(sim.path());
    ASSERT_GE(i, 0) << hint->Text().toStdString();
    hint->PortBox()->setCurrentIndex(i);
    QTest::mouseClick(hint->ConnectButton(), Qt::LeftButton);
    EXPECT_TRUE(w.ComPort1->Connected());
    EXPECT_EQ(w.ComPort1->Port(), sim.path());
    EXPECT_TRUE(isGone(hint));
    EXPECT_EQ(w.PageControl1->currentWidget(), w.TabSheetInstrumente);
    device.write("#8M25.5<");
    w.ComPort1->SetConnected(false);
}

TEST(FirstStart, HintGoesWhenAnInstrumentIsSwitchedOnAndIsNeverStored)
{
    QTemporaryDir dir;
    const QString withHint = dir.filePath(QStringLiteral("first.ini"));
    const QString withoutHint = dir.filePath(QStringLiteral("second.ini"));
    QFile(withoutHint).open(QIODevice::WriteOnly);
    {
        // The first window of a process comes out a pixel taller than later ones, with or
        // without the hint: the two compared are not the first.
        TFormMain first;
        first.show();
    }
    {
        TFormMain w(withoutHint);
        w.show();
        ASSERT_EQ(hintOf(w), nullptr);
    }
    {
        TFormMain w(withHint);
        w.show();
        ASSERT_TRUE(hintOf(w) && hintOf(w)->isVisible());
    }
    const QByteArray saved = fileBytes(withHint);
    EXPECT_FALSE(saved.isEmpty());
    EXPECT_EQ(saved, fileBytes(withoutHint));

    QFile::remove(withHint);
    TFormMain w(withHint);
    w.show();
    const QPointer<TFirstStartHint> hint = hintOf(w);
    ASSERT_NE(hint, nullptr);
    w.findChild<QCheckBox *>(QStringLiteral("CheckBox8"))->click();
    EXPECT_TRUE(isGone(hint));
    EXPECT_TRUE(w.instrument(8) && qobject_cast<QWidget *>(w.instrument(8))->isVisible());
}

TEST(FirstStart, WithoutPortsTheHintNamesTheSimulatorAndOffersAPortOnceThere)
{
    QWidget panel;
    panel.resize(800, 600);
    QStringList ports;
    TFirstStartHint hint(&panel, {}, nullptr, [&] { return ports; });
    QStringList asked;
    hint.OnConnect = [&](const QString &p) { asked << p; };
    EXPECT_TRUE(hint.Text().contains(QLatin1String("tavelgrid-sim"))) << hint.Text().toStdString();
    EXPECT_FALSE(hint.ConnectButton()->isEnabled());

    ports = {QStringLiteral("/dev/ttyUSB0"), QStringLiteral("/dev/ttyUSB1")};
    hint.RefreshPorts();
    EXPECT_FALSE(hint.Text().contains(QLatin1String("tavelgrid-sim")));
    ASSERT_TRUE(hint.ConnectButton()->isEnabled());
    hint.PortBox()->setCurrentIndex(1);
    ports.removeFirst(); // the chosen one stays chosen while it is there
    hint.RefreshPorts();
    QTest::mouseClick(hint.ConnectButton(), Qt::LeftButton);
    EXPECT_EQ(asked, QStringList{QStringLiteral("/dev/ttyUSB1")});
    EXPECT_TRUE(panel.rect().contains(hint.geometry()));
}

TEST(FirstStart, ArrangeSeparatesTheShownInstrumentsAndUndoPutsThemBack)
{
    TFormMain w;
    w.show();
    for (int id : tg::app::switchableIds())
        if (auto *c = w.findChild<QCheckBox *>(QStringLiteral("CheckBox%1").arg(id)); c && !c->isChecked())
            c->click();
    const std::vector<QWidget *> shown = shownInstruments(w);
    ASSERT_GT(shown.size(), 20u);
    ASSERT_GT(overlappingPairs(shown), 0) << "the catalogue's places overlap at the meters' real sizes";
    std::vector<QRect> before;
    for (QWidget *i : shown)
        before.push_back(i->geometry());

    QAction *arrange = menuAction(w, QStringLiteral("Arrange"));
    QAction *undo = menuAction(w, QStringLiteral("Undo arrange"));
    ASSERT_TRUE(arrange && undo);
    arrange->trigger();
    EXPECT_EQ(overlappingPairs(shown), 0);
    for (size_t k = 0; k < shown.size(); ++k) {
        EXPECT_EQ(shown[k]->size(), before[k].size()) << shown[k]->objectName().toStdString();
        EXPECT_TRUE(w.TabSheetShow->rect().contains(shown[k]->geometry())) << shown[k]->objectName().toStdString();
    }

    undo->trigger();
    for (size_t k = 0; k < shown.size(); ++k)
        EXPECT_EQ(shown[k]->geometry(), before[k]) << shown[k]->objectName().toStdString();

    // Arranging belongs to editing: not while the device is being served.
    Pty device;
    w.ComPort1->SetPort(device.slave);
    w.ButtonConnectComPort1Click();
    ASSERT_TRUE(w.ComPort1->Connected());
    arrange->trigger();
    for (size_t k = 0; k < shown.size(); ++k)
        EXPECT_EQ(shown[k]->geometry(), before[k]) << shown[k]->objectName().toStdString();
    w.ComPort1->SetConnected(false);
}

TEST(FirstStart, SettingsThatCannotBeKeptAreSaidInTheWindow)
{
    // Each made so that root, too, can neither read nor write it.
    struct Case {
        const char *what;
        std::function<QString(const QTemporaryDir &)> make;
        bool told;
    };
    const Case cases[] = {
        {"a folder where the file should be", [](const QTemporaryDir &d) {
             QDir(d.path()).mkdir(QStringLiteral("s.ini"));
             return d.filePath(QStringLiteral("s.ini"));
         }, true},
        {"a read-only file", [](const QTemporaryDir &d) {
             const QString f = d.filePath(QStringLiteral("s.ini"));
             QFile(f).open(QIODevice::WriteOnly);
             ::chmod(QFile::encodeName(f).constData(), 0444);
             return f;
         }, true},
        {"a plain file where its folder should be", [](const QTemporaryDir &d) {
             QFile(d.filePath(QStringLiteral("plain"))).open(QIODevice::WriteOnly);
             return d.filePath(QStringLiteral("plain/sub/s.ini"));
         }, true},
        {"a new file in a folder yet to be made", [](const QTemporaryDir &d) {
             return d.filePath(QStringLiteral("new/sub/s.ini"));
         }, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        const QString file = c.make(dir);
        TFormMain w(file);
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
        auto *notice = w.findChild<TSettingsNotice *>(QStringLiteral("SettingsNotice"));
        ASSERT_EQ(notice != nullptr, c.told);
        if (notice) {
            EXPECT_TRUE(notice->isVisible());
            EXPECT_TRUE(notice->Text().contains(file)) << notice->Text().toStdString();
        }
    }
}
