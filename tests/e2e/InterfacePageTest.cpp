// The Interface page's port selector and the port lamps on the real window.
#include "../serial/Pty.h"
#include "../serial/RuntimeFolder.h"
#include "ComComboBox.h"
#include "ComLed.h"
#include "ComPort.h"
#include "MainWindow.h"
#include "PortLinks.h"

#include <gtest/gtest.h>

TEST(InterfacePage, PickedSimulatorPortConnectsAndLightsBothLamps)
{
    ScopedRuntimeFolder runtime;
    Pty device;
    tg::platform::PortAnnouncement sim;
    ASSERT_TRUE(sim.announce(QString(), device.slave));

    TFormMain w;
    QStringList warnings;
    w.showWarning = [&](const QString &t) { warnings << t; };
    TComComboBox *box = w.findChild<TComComboBox *>(QStringLiteral("ComComboBoxPort"));
    ASSERT_EQ(box, w.ComComboBoxPort);
    EXPECT_EQ(box->ComPort(), w.ComPort1);
    EXPECT_EQ(box->Text(), QString()) << "the port's COM1 is not offered, so nothing is selected";
    const int i = box->findText(sim.path());
    ASSERT_GE(i, 0) << "the simulator's port is offered";

    box->setCurrentIndex(i);
    box->Change();
    EXPECT_EQ(w.ComPort1->Port(), sim.path()) << "a pick applies at once";
    for (TComLed *lamp : {w.ComLed1, w.ComLed2}) {
        EXPECT_EQ(lamp->Kind(), TComLed::lkGreenLight);
        EXPECT_EQ(lamp->size(), QSize(25, 25));
        EXPECT_EQ(lamp->State(), TComLed::lsOff);
    }
    EXPECT_EQ(w.ComLed1->parentWidget(), w.TabSheetTerminal);

    w.ButtonConnectComPort1Click();
    ASSERT_TRUE(w.ComPort1->Connected()) << warnings.join(u'|').toStdString();
    EXPECT_EQ(w.ComLed1->State(), TComLed::lsOn);
    EXPECT_EQ(w.ComLed2->State(), TComLed::lsOn);
    device.write("#1M5<");
    w.ButtonDisConnectComPort1Click();
    EXPECT_EQ(w.ComLed1->State(), TComLed::lsOff);
    EXPECT_EQ(w.ComLed2->State(), TComLed::lsOff);
}
