// The real window connected to a pty that plays the device.
#include "../serial/Pty.h"
#include "BackgroundFill.h"
#include "ComPort.h"
#include "FormatSettings.h"
#include "GvColBitBtn.h"
#include "GvDial.h"
#include "GvGradient.h"
#include "GvVMeter.h"
#include "MainWindow.h"
#include "SevenSeg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

namespace {

struct Rig {
    Pty device;
    TFormMain w;
    QStringList warnings;
    Rig()
    {
        w.showWarning = [this](const QString &t) { warnings << t; };
        w.ComPort1->SetPort(device.slave);
    }
    float meter(int id) { return qobject_cast<TGvVMeter *>(w.instrument(id))->Value(); }
};

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

    r.w.ButtonDisConnectComPort1Click();
    EXPECT_FALSE(r.w.ComPort1->Connected());
    EXPECT_ANY_THROW(r.w.ButtonSendStringClick()); // a closed port reports, it does not pretend
    EXPECT_EQ(r.device.read(1, 300), QByteArray());
}

TEST(Connect, FailuresLeaveThePortClosed)
{
    Rig r;
    r.w.ComPort1->SetPort(QStringLiteral("/dev/tavelgrid-no-such-port"));
    r.w.ButtonConnectComPort1Click();
    EXPECT_FALSE(r.w.ComPort1->Connected());
    ASSERT_EQ(r.warnings.size(), 1);
    EXPECT_EQ(r.warnings[0].count(QStringLiteral("\r\n")), 2);

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
    EXPECT_EQ(r.warnings.size(), 2);
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
