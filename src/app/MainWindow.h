#pragma once
// The program's one window: pages reached through the menu, the port with its packet framer,
// and the panel the device drives.
#include "Arrange.h"
#include "Catalogue.h"
#include "FormControls.h"
#include "FormStorage.h"
#include "OverflowNotice.h"
#include "PacketHandler.h"

#include <QCoreApplication>
#include <QMainWindow>
#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class TComComboBox;
class TComDataPacket;
class TComLed;
class TComPort;
class TComTerminal;
class TBackgroundFill;
class TColorBox;
class TFrame1;
class TImage;
class TInstrumentsPage;
class TPanelEditor;
class TRadioButton;

class TFormMain : public QMainWindow {
    Q_OBJECT
public:
    // With a settings file the window restores its settings when first shown and saves them
    // at the end; without one it keeps nothing.
    explicit TFormMain(const QString &settingsFile = QString(), QWidget *parent = nullptr);
    ~TFormMain() override;

    // Handlers of the window's controls, callable from tests.
    void ButtonConnectComPort1Click();
    void ButtonDisConnectComPort1Click();
    void ComboBoxBaudExit();
    void ButtonSendStringClick();
    void ButtonTerminalConnectClick();
    void ButtonTerminalDisconnectClick();
    void ButtonClearTerminalClick();
    void TabSheetTerminalShow();
    void StandardViewClick();
    void HilfeClick();
    void applyVisibility();
    void EditMode1Click();
    void Beenden1Click();
    // The device-facing handlers of the push buttons and dials.
    void Instr1MouseDown(QObject *sender, Qt::MouseButton button);
    void Instr70MouseUp(QObject *sender);
    void Instr81ValueChanged(QObject *sender);
    void Instr81MouseUp(Qt::MouseButton button);
    void loadPicture(const QString &fileName);

    TPanelEditor *Editor() const { return editor.get(); }
    // How the link is doing, as one line of JSON: port, whether connected, packets handled and
    // bytes dropped at a full input queue since the start.
    QByteArray StatusLine() const;
    QObject *instrument(int id) const { return id >= 0 && id <= tg::app::kMaxId ? instruments[size_t(id)] : nullptr; }

    // The folder of the help document: the program's own.
    QString helpFolder = QCoreApplication::applicationDirPath();
    // Where warnings go; a message box unless replaced (tests record them).
    std::function<void(const QString &)> showWarning;
    // Tells of received bytes dropped at a full input queue.
    TOverflowNotice overflowNotice{this};

    TComPort *ComPort1;
    TComDataPacket *ComDataPacket1;
    QTabWidget *PageControl1;
    QWidget *TabSheetShow, *TabSheetInstrumente, *TabSheetSchnittstelle, *TabSheetTerminal,
        *TabSheetOptionen, *TabSheetHilfe;
    TBackgroundFill *BackgroundFill1;
    TImage *Image1;
    TFrame1 *TFrame11;
    TComComboBox *ComComboBoxPort;
    TComLed *ComLed1, *ComLed2;
    TTextComboBox *ComboBoxBaud;
    TColorBox *ColorBoxShowFarbeVon;
    QPushButton *ButtonConnectComPort1, *ButtonDisConnectComPort1;
    QLineEdit *EditTerminalSendString;
    TComTerminal *ComTerminal1;
    QLabel *LabelTerminal;
    QPushButton *ButtonSendString, *ButtonTerminalConnect, *ButtonTerminalDisconnect, *ButtonClearTerminal;
    TMainFormStorages storages{};

protected:
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    QWidget *page(const QString &name, const QString &caption);
    void buildMenu();
    void buildShowPage();
    void buildInstrumentsPage();
    void buildInterfacePage();
    TComLed *portLamp(QWidget *parent, const QString &name);
    void buildTerminalPage();
    void buildOptionsPage();
    void buildInfoPage();
    void setFlow(bool on);
    void wireInputs();
    void sendToDevice(const QString &text);

    void showFirstStartHint();
    std::vector<QWidget *> panelControls() const;
    void centreOnScreen();
    void watchPanelMouse();
    QWidget *instrumentOf(QObject *o) const;

    tg::app::InstrumentTable instruments{};
    std::unique_ptr<IniFileStorage> settings;
    TFormEvents formEvents;
    std::unique_ptr<tg::app::PacketHandler> handler;
    qint64 packetsHandled = 0;
    TRadioButton *radioVisible = nullptr;
    TInstrumentsPage *instrumentsPage = nullptr;
    std::unique_ptr<TPanelEditor> editor;
    tg::edit::TArrange arrange;
};
