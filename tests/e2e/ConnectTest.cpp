// The real window connected to a pty that plays the device.
#include "BackgroundFill.h"
#include "ComDataPacket.h"
#include "ComPort.h"
#include "FormatSettings.h"
#include "GvColBitBtn.h"
#include "GvDial.h"
#include "GvGradient.h"
#include "GvVMeter.h"
#include "MainWindow.h"
#include "PanelAccessible.h"
#include "PtyRig.h"
#include "SevenSeg.h"

#include <QAccessible>
#include <QCheckBox>
#include <QDeadlineTimer>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>
#include <poll.h>
#include <thread>
#include <unistd.h>

namespace {

using Rig = PtyRig;

} // namespace

TEST(Connect, DeviceDrivesThePanel)
{
    TScopedFormatSettings fs(TFormatSettings::dot());
    Rig r;
    r.w.ComboBoxBaud->setCurrentText(QStringLiteral("57600"));
    r.w.ButtonConnectComPort1Click();
    ASSERT_TRUE(r.w.ComPort1->Connected());
    EXPECT_TRUE(r.warnings.isEmpty());
    EXPECT_EQ(r.device.line().speed, 57600u);
    r.device.write("#8M25.5<#2M1.34564<#40M12.5<");
    EXPECT_TRUE(waitFor([&] { return r.meter(2) != 50.0f; }));
    EXPECT_FLOAT_EQ(r.meter(8), 25.5f);
    EXPECT_FLOAT_EQ(r.meter(2), 1.34564f);
    EXPECT_EQ(qobject_cast<TSevenSeg *>(r.w.instrument(40))->Caption(), QStringLiteral("12.50"));

    // A packet split across reads, then connect again: the old half is dropped.
    r.device.write("#1M9");
    EXPECT_TRUE(waitFor([&] { return r.meter(8) == 25.5f; }));
    r.w.ButtonConnectComPort1Click();
    ASSERT_TRUE(r.w.ComPort1->Connected());
    r.device.write("9<#1M7<");
    EXPECT_TRUE(waitFor([&] { return r.meter(1) == 7.0f; }));

    r.w.EditTerminalSendString->setText(QStringLiteral("#70M1<"));
    r.w.ButtonSendStringClick();
    EXPECT_EQ(r.device.read(6), QByteArray("#70M1<"));
    // Enter in the line sends as the button does, and nothing while the button is off.
    QTest::keyClick(r.w.EditTerminalSendString, Qt::Key_Return);
    EXPECT_EQ(r.device.read(6), QByteArray("#70M1<"));
    r.w.ButtonTerminalDisconnectClick();
    QTest::keyClick(r.w.EditTerminalSendString, Qt::Key_Return);
    EXPECT_EQ(r.device.read(1, 300), QByteArray());

    r.w.ButtonDisConnectComPort1Click();
    EXPECT_FALSE(r.w.ComPort1->Connected());
    // A closed port reports, it does not pretend, and says which port and what to do.
    try {
        r.w.ButtonSendStringClick();
        ADD_FAILURE() << "sent to a closed port";
    } catch (const std::exception &e) {
        EXPECT_EQ(QString::fromUtf8(e.what()),
                  QStringLiteral("Port Not Open\n\n%1 is not open: press Connect on the Interface page first.")
                      .arg(r.device.slave));
    }
    EXPECT_EQ(r.device.read(1, 300), QByteArray());
}

TEST(Connect, FailuresLeaveThePortClosedAndSayWhy)
{
    // The three lines as they always were, a blank line, then what is wrong.
    const QString warning = QStringLiteral("-  ComPort existiert nicht\r\n-  ComPort ist nicht selektiert    \r\n"
                                           "-  ComPort kann nicht aktiviert werden\n\n");
    Rig r;
    r.w.ComPort1->SetPort(QStringLiteral("/dev/tavelgrid-no-such-port"));
    r.w.ButtonConnectComPort1Click();
    EXPECT_FALSE(r.w.ComPort1->Connected());
    ASSERT_EQ(r.warnings.size(), 1);
    EXPECT_EQ(r.warnings[0].count(QStringLiteral("\r\n")), 2);
    EXPECT_TRUE(r.warnings[0].startsWith(warning + QStringLiteral("/dev/tavelgrid-no-such-port does not exist.\n")))
        << qPrintable(r.warnings[0]);

    r.w.ComPort1->SetPort(r.device.slave);
    r.w.ComboBoxBaud->setCurrentText(QStringLiteral("fast"));
    EXPECT_ANY_THROW(r.w.ButtonConnectComPort1Click());
    EXPECT_FALSE(r.w.ComPort1->Connected());

    // A port another program holds cannot be opened twice.
    r.w.ComboBoxBaud->setCurrentText(QStringLiteral("9600"));
    TComPort other;
    other.SetPort(r.device.slave);
    other.Open();
    r.w.ButtonConnectComPort1Click();
    EXPECT_EQ(r.w.ComPort1->Connected(), false);
    ASSERT_EQ(r.warnings.size(), 2);
    EXPECT_TRUE(r.warnings[1].startsWith(warning + r.device.slave + QStringLiteral(" is in use:\n")));
    EXPECT_TRUE(r.warnings[1].contains(QStringLiteral("(pid %1, this program) holds ").arg(QCoreApplication::applicationPid())))
        << qPrintable(r.warnings[1]);
}

TEST(Connect, CheckBoxesSwitchInstruments)
{
    TFormMain w;
    auto *box = w.findChild<QCheckBox *>(QStringLiteral("CheckBox5"));
    ASSERT_TRUE(box);
    w.show();
    auto *meter = qobject_cast<QWidget *>(w.instrument(5));
    EXPECT_FALSE(meter->isVisibleTo(&w));
    box->setChecked(true);
    EXPECT_TRUE(meter->isVisibleTo(&w));
    box->setChecked(false);
    EXPECT_FALSE(meter->isVisibleTo(&w));
}

namespace {

// The panel's inputs shown and the port connected to the pty's device side.
struct InputRig : Rig {
    InputRig()
    {
        for (int id : {70, 80})
            w.findChild<QCheckBox *>(QStringLiteral("CheckBox%1").arg(id))->setChecked(true);
        w.show();
        w.ButtonConnectComPort1Click();
    }
    QWidget *widget(int id) { return qobject_cast<QWidget *>(w.instrument(id)); }
    TGvColBitBtn *button() { return qobject_cast<TGvColBitBtn *>(w.instrument(70)); }
    TGvDial *dial() { return qobject_cast<TGvDial *>(w.instrument(80)); }
    // The window takes the keyboard again, after a box that had it.
    void activate()
    {
        w.activateWindow();
        ASSERT_TRUE(QTest::qWaitFor([this] { return QApplication::activeWindow() == &w; }));
    }
    void click(Qt::MouseButton b)
    {
        QTest::mousePress(widget(70), b);
        QTest::mouseRelease(widget(70), b);
    }
};

} // namespace

TEST(Connect, PushButtonsSendPressAndRelease)
{
    InputRig r;
    ASSERT_TRUE(r.w.ComPort1->Connected());
    ASSERT_EQ(r.button()->Hint(), QStringLiteral("1"));
    r.click(Qt::LeftButton); // press only
    r.click(Qt::RightButton); // neither a right press nor a release in this mode
    EXPECT_EQ(r.device.read(64, 300), QByteArray("#70M1<"));

    r.button()->SetHint(QStringLiteral("0"));
    r.w.BackgroundFill1->hide();
    r.click(Qt::LeftButton);
    EXPECT_TRUE(r.w.BackgroundFill1->isVisibleTo(&r.w));
    r.click(Qt::RightButton);
    EXPECT_EQ(r.device.read(64, 300), QByteArray("#70M1<#70M0<#70M0<"));

    EXPECT_EQ(r.w.PageControl1->currentWidget(), r.w.TabSheetShow); // no page change while connected

    r.w.ButtonDisConnectComPort1Click();
    r.click(Qt::LeftButton);
    EXPECT_EQ(r.device.read(1, 300), QByteArray());
    r.click(Qt::RightButton);
    EXPECT_EQ(r.w.PageControl1->currentWidget(), r.w.TabSheetInstrumente);
}

namespace {

// The ways a press can end without its release reaching the instrument. Each ends the press
// of instrument id and returns what puts the panel back.
using Undo = std::function<void()>;
struct PressEnd {
    const char *what;
    std::function<Undo(InputRig &, int id)> end;
};
const PressEnd pressEnds[] = {
    {"its box unchecked",
     [](InputRig &r, int id) -> Undo {
         auto *box = r.w.findChild<QCheckBox *>(QStringLiteral("CheckBox%1").arg(id));
         box->click();
         return [box] { box->click(); };
     }},
    {"another page",
     [](InputRig &r, int) -> Undo {
         r.w.PageControl1->setCurrentWidget(r.w.TabSheetSchnittstelle);
         return [&r] { r.w.PageControl1->setCurrentWidget(r.w.TabSheetShow); };
     }},
    {"the page disabled",
     [](InputRig &r, int) -> Undo {
         r.w.TabSheetShow->setEnabled(false);
         return [&r] { r.w.TabSheetShow->setEnabled(true); };
     }},
    {"a modal box",
     [](InputRig &r, int) -> Undo {
         auto box = std::make_shared<QDialog>(&r.w);
         box->setModal(true);
         box->show();
         return [box] { box->hide(); };
     }},
    // How the menu's Edit Mode or Disconnect is reached while a button is held: from the
    // keyboard, through the popup menu, which takes the mouse.
    {"the Show menu opened",
     [](InputRig &r, int) -> Undo {
         QMenu *show = nullptr;
         for (QMenu *m : r.w.menuBar()->findChildren<QMenu *>())
             if (m->title() == QLatin1String("&Show "))
                 show = m;
         show->popup(r.w.mapToGlobal(QPoint(600, 300)));
         return [show] { show->close(); };
     }},
};

} // namespace

// The keys and assistive technology press a button exactly as the mouse does.
TEST(Connect, KeysAndTheAccessiblePressSendWhatAClickSends)
{
    tg::app::installPanelAccessibility();
    InputRig r;
    ASSERT_TRUE(r.w.ComPort1->Connected());
    QAccessibleInterface *button = QAccessible::queryAccessibleInterface(r.widget(70));
    const std::pair<const char *, std::function<void()>> ways[] = {
        {"a click", [&] { r.click(Qt::LeftButton); }},
        {"Space", [&] { QTest::keyClick(r.widget(70), Qt::Key_Space); }},
        {"Enter", [&] { QTest::keyClick(r.widget(70), Qt::Key_Enter, Qt::KeypadModifier); }},
        {"the press action", [&] { button->actionInterface()->doAction(QAccessibleActionInterface::pressAction()); }},
    };
    for (const char *hint : {"0", "1"}) {
        r.button()->SetHint(QString::fromLatin1(hint));
        for (const auto &[way, press] : ways) {
            press();
            EXPECT_EQ(r.device.read(64, 300), *hint == '0' ? QByteArray("#70M1<#70M0<") : QByteArray("#70M1<"))
                << way << " hint " << hint;
            EXPECT_FALSE(r.button()->Checked()) << way;
        }
    }
    // Space holds the button down until it is let go, or until the focus leaves it.
    r.button()->SetHint(QStringLiteral("0"));
    QTest::keyPress(r.widget(70), Qt::Key_Space);
    EXPECT_EQ(r.device.read(64, 300), QByteArray("#70M1<"));
    EXPECT_TRUE(button->state().pressed);
    QTest::keyRelease(r.widget(70), Qt::Key_Space);
    EXPECT_EQ(r.device.read(64, 300), QByteArray("#70M0<"));
    r.activate();
    r.widget(70)->setFocus(Qt::TabFocusReason);
    QTest::keyPress(r.widget(70), Qt::Key_Space);
    r.widget(70)->clearFocus();
    QTest::keyRelease(&r.w, Qt::Key_Space);
    EXPECT_EQ(r.device.read(64, 300), QByteArray("#70M1<#70M0<"));
    EXPECT_FALSE(r.button()->Checked());
}

TEST(Connect, APushButtonPressEndedAnyOtherWaySendsItsReleaseOnce)
{
    InputRig r;
    ASSERT_TRUE(r.w.ComPort1->Connected());
    for (const PressEnd &way : pressEnds) {
        for (const char *hint : {"0", "1"}) {
            r.button()->SetHint(QString::fromLatin1(hint));
            QTest::mousePress(r.widget(70), Qt::LeftButton);
            EXPECT_EQ(r.device.read(64, 300), QByteArray("#70M1<")) << way.what;
            const Undo undo = way.end(r, 70);
            EXPECT_EQ(r.device.read(64, 300), *hint == '0' ? QByteArray("#70M0<") : QByteArray()) << way.what;
            EXPECT_FALSE(r.button()->Checked()) << way.what;
            // The release itself, should it still come, sends nothing more.
            QTest::mouseRelease(r.widget(70), Qt::LeftButton);
            undo();
            EXPECT_EQ(r.device.read(64, 300), QByteArray()) << way.what;
            ASSERT_TRUE(r.w.ComPort1->Connected()) << way.what;
        }
    }
    // Pressed and released as usual afterwards.
    r.button()->SetHint(QStringLiteral("0"));
    r.click(Qt::LeftButton);
    EXPECT_EQ(r.device.read(64, 300), QByteArray("#70M1<#70M0<"));

    // Nothing is sent while the port is closed.
    QTest::mousePress(r.widget(70), Qt::LeftButton);
    EXPECT_EQ(r.device.read(64, 300), QByteArray("#70M1<"));
    r.w.ButtonDisConnectComPort1Click();
    r.w.PageControl1->setCurrentWidget(r.w.TabSheetHilfe);
    EXPECT_EQ(r.device.read(1, 300), QByteArray());
}

TEST(Connect, ADialChangeInProgressIsSentOnceWhenThePressOrTheKeyIsLost)
{
    InputRig r;
    ASSERT_TRUE(r.w.ComPort1->Connected());
    TGvDial *d = r.dial();
    const QPoint centre = d->SlideArea.center();
    const int radius = d->SlideArea.width() / 2 - 4;
    const QPoint left = centre - QPoint(radius, 0), top = centre - QPoint(0, radius);
    for (const PressEnd &way : pressEnds) {
        r.activate();
        // A drag of a quarter turn, towards the other end of the scale, the button still held.
        const float before = d->Value();
        const bool up = before < 50.0f;
        QTest::mousePress(d, Qt::LeftButton, {}, up ? left : top);
        QTest::mouseMove(d, centre - QPoint(radius / 2, radius / 2));
        QTest::mouseMove(d, up ? top : left);
        ASSERT_NE(d->Value(), before) << way.what;
        EXPECT_EQ(r.device.read(1, 200), QByteArray()) << way.what;
        Undo undo = way.end(r, 80);
        EXPECT_EQ(r.device.read(64, 300), "#80M" + d->ValueText().toLatin1() + "<") << way.what;
        QTest::mouseRelease(d, Qt::LeftButton, {}, up ? top : left);
        undo();
        EXPECT_EQ(r.device.read(64, 300), QByteArray()) << way.what;

        // A key held down on the dial, whose release then goes elsewhere.
        r.activate();
        d->setFocus();
        ASSERT_TRUE(d->hasFocus()) << way.what;
        const Qt::Key key = d->Value() > 50.0f ? Qt::Key_Home : Qt::Key_End;
        QTest::keyPress(d, key);
        EXPECT_EQ(r.device.read(1, 200), QByteArray()) << way.what;
        undo = way.end(r, 80);
        EXPECT_EQ(r.device.read(64, 300), "#80M" + d->ValueText().toLatin1() + "<") << way.what;
        QTest::keyRelease(d, key);
        undo();
        EXPECT_EQ(r.device.read(64, 300), QByteArray()) << way.what;
    }
}

TEST(Connect, DialSendsItsValueText)
{
    for (const bool comma : {false, true}) {
        TScopedFormatSettings fs(comma ? TFormatSettings::comma() : TFormatSettings::dot());
        InputRig r;
        ASSERT_TRUE(r.w.ComPort1->Connected());
        TGvDial *d = r.dial();
        QTest::keyPress(d, Qt::Key_End);
        EXPECT_EQ(d->BevelDial()->Color(), clRed);
        EXPECT_EQ(r.device.read(1, 200), QByteArray()); // sent when the change is completed
        QTest::keyRelease(d, Qt::Key_End);
        EXPECT_EQ(r.device.read(64, 300), comma ? QByteArray("#80M100,0<") : QByteArray("#80M100.0<"));

        QTest::mouseClick(d, Qt::LeftButton, {}, QPoint(2, 2));
        EXPECT_EQ(d->BevelDial()->Color(), clCream);

        QWheelEvent down(QPointF(60, 60), d->mapToGlobal(QPointF(60, 60)), {}, QPoint(0, -120), Qt::NoButton,
                         Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(d, &down);
        ASSERT_LT(d->Value(), 100.0f);
        const QByteArray sent = r.device.read(64, 300);
        EXPECT_EQ(sent, "#80M" + d->ValueText().toLatin1() + "<");
        EXPECT_TRUE(sent.contains(comma ? ',' : '.'));

        r.w.ButtonDisConnectComPort1Click();
        QTest::keyClick(d, Qt::Key_Home);
        EXPECT_EQ(r.device.read(1, 300), QByteArray());
    }
}

TEST(Connect, RightReleaseOnADialShowsTheInstrumentsPage)
{
    InputRig r;
    ASSERT_TRUE(r.w.ComPort1->Connected());
    r.w.PageControl1->setCurrentWidget(r.w.TabSheetShow);
    QTest::mouseClick(r.dial(), Qt::RightButton, {}, QPoint(2, 2));
    EXPECT_EQ(r.w.PageControl1->currentWidget(), r.w.TabSheetInstrumente);
}

namespace {

// A button of the window by name, or by caption inside the named group box.
QAbstractButton *findButton(QWidget &w, const char *name, const char *caption = nullptr)
{
    if (!caption)
        return w.findChild<QAbstractButton *>(QString::fromLatin1(name));
    for (auto *b : w.findChild<QWidget *>(QString::fromLatin1(name))->findChildren<QAbstractButton *>())
        if (b->text() == QLatin1String(caption))
            return b;
    return nullptr;
}

void clickOn(QAbstractButton *b) { QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(4, b->height() / 2)); }

} // namespace

TEST(Connect, InputPagesChangeWhatTheButtonAndTheDialSend)
{
    InputRig r;
    ASSERT_TRUE(r.w.ComPort1->Connected());
    r.w.PageControl1->setCurrentWidget(r.w.TabSheetInstrumente);

    // Press and release mode through the Taster page; "Zuweisen+Show" returns to the panel.
    clickOn(findButton(r.w, "CButton70"));
    clickOn(findButton(r.w, "RadioButtonTasterDouble"));
    clickOn(findButton(r.w, "GroupBoxTaster", "Zuweisen+Show"));
    EXPECT_EQ(r.w.PageControl1->currentWidget(), r.w.TabSheetShow);
    r.click(Qt::LeftButton);
    EXPECT_EQ(r.device.read(64, 300), QByteArray("#70M1<#70M0<"));

    // A new range and format for the dial: its end sends the new maximum in the new format.
    r.w.PageControl1->setCurrentWidget(r.w.TabSheetInstrumente);
    clickOn(findButton(r.w, "CButton80"));
    for (const auto &[name, text] : {std::pair{"EditADrehSliderValueTo", "250"}, {"EditADrehSliderFormat", "##0"}}) {
        auto *e = r.w.findChild<QLineEdit *>(QString::fromLatin1(name));
        e->selectAll();
        QTest::keyClick(e, Qt::Key_Delete);
        QTest::keyClicks(e, QString::fromLatin1(text));
    }
    clickOn(findButton(r.w, "GroupBoxDrehDial", "Zuweisen+Show"));
    EXPECT_EQ(r.w.PageControl1->currentWidget(), r.w.TabSheetShow);
    QTest::keyClick(r.dial(), Qt::Key_End);
    EXPECT_EQ(r.device.read(64, 300), QByteArray("#80M250<"));
}

namespace {

// One run of the program on the settings file, connected to the device.
struct Session {
    TFormMain w;
    Session(const QString &file, const Pty &device) : w(file)
    {
        w.ComPort1->SetPort(device.slave);
        w.show();
        w.ButtonConnectComPort1Click();
    }
    QString display() { return qobject_cast<TSevenSeg *>(w.instrument(40))->Caption(); }
    void type(const char *field, const char *text)
    {
        auto *e = w.findChild<QLineEdit *>(QString::fromLatin1(field));
        e->selectAll();
        QTest::keyClicks(e, QString::fromLatin1(text));
        QTest::keyClick(e, Qt::Key_Return);
    }
};

} // namespace

TEST(Connect, SevenSegmentFieldsFormatTheValuesAtOnceAndAfterARestart)
{
    TScopedFormatSettings fs(TFormatSettings::dot());
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("s.ini"));
    Pty device;
    {
        Session s(file, device);
        ASSERT_TRUE(s.w.ComPort1->Connected());
        s.w.PageControl1->setCurrentWidget(s.w.TabSheetInstrumente);
        clickOn(findButton(s.w, "CButton40"));
        s.type("GvEdit7SegStellen", "7");
        s.type("GvEdit7SegStellenNK", "3");
        s.type("GvEdit7SegSkalFaktor", "2");
        device.write("#40M1.5<");
        EXPECT_TRUE(waitFor([&] { return s.display() == QStringLiteral("  3.000"); })) << qPrintable(s.display());
        // Each field acts on the next value, without an apply.
        s.type("GvEdit7SegStellenNK", "1");
        device.write("#40M1.25<");
        EXPECT_TRUE(waitFor([&] { return s.display() == QStringLiteral("    2.5"); })) << qPrintable(s.display());
        s.w.close();
    }
    {
        Session s(file, device);
        ASSERT_TRUE(s.w.ComPort1->Connected());
        device.write("#40M2.25<");
        EXPECT_TRUE(waitFor([&] { return s.display() == QStringLiteral("    4.5"); })) << qPrintable(s.display());
    }
}

TEST(Connect, AFloodTheWindowCannotTakeIsCountedAndToldOf)
{
    TScopedFormatSettings fs(TFormatSettings::dot());
    const QByteArray message("#1M25.5<");
    const QByteArray flood = message.repeated(3 * 1024 * 1024); // 24 MiB
    // A queue as large as the flood keeps every message; the usual one drops and says so.
    for (int32_t inputSize : {64 * 1024 * 1024, 0}) {
        Rig r;
        QStringList notices;
        r.w.overflowNotice.Show = [&](const QString &t) { notices << t; };
        if (inputSize)
            r.w.ComPort1->Buffer()->SetInputSize(inputSize);
        qint64 packets = 0;
        auto handle = r.w.ComDataPacket1->OnPacket;
        r.w.ComDataPacket1->OnPacket = [&](TComDataPacket *sender, const QByteArray &packet) {
            packets += packet == message;
            handle(sender, packet);
        };
        r.w.ButtonConnectComPort1Click();
        ASSERT_TRUE(r.w.ComPort1->Connected());
        // The window's thread is busy elsewhere while the device sends everything.
        qsizetype written = 0;
        std::thread device([&] {
            QDeadlineTimer deadline(60000);
            while (written < flood.size() && !deadline.hasExpired()) {
                const ssize_t n = ::write(r.device.master, flood.constData() + written, size_t(flood.size() - written));
                if (n > 0)
                    written += n;
                pollfd p{r.device.master, POLLOUT, 0};
                ::poll(&p, 1, 10);
            }
        });
        device.join();
        ASSERT_EQ(written, flood.size()) << "the device was held up by a busy window";
        const qint64 total = flood.size() / message.size();
        auto dropped = [&] { return qint64(r.w.ComPort1->DroppedInput()); };
        // Every message is shown or counted as dropped; a cut message may be neither.
        EXPECT_TRUE(waitFor([&] { return packets + dropped() / message.size() >= total - 2; }, 60000));
        EXPECT_LE(packets * message.size() + dropped(), flood.size());
        if (inputSize) {
            EXPECT_EQ(packets, total);
            EXPECT_TRUE(notices.isEmpty());
        } else {
            EXPECT_GT(dropped(), 0);
            // The last count is told, however soon after the one before it came.
            EXPECT_TRUE(waitFor([&] {
                return !notices.isEmpty() && notices.last() == TOverflowNotice::Text(r.device.slave, quint64(dropped()));
            }));
        }
        r.w.ButtonDisConnectComPort1Click();
    }
}
