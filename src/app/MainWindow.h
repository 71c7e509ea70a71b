#pragma once
// The program's one window: pages reached through the menu, the port with its packet framer,
// and the panel the device drives.
#include "Arrange.h"
#include "Catalogue.h"
#include "ComLink.h"
#include "FormControls.h"
#include "FormStorage.h"
#include "Journal.h"
#include "LinkStats.h"
#include "HelpDocument.h"
#include "NoticeBox.h"
#include "OverflowNotice.h"
#include "PacketHandler.h"
#include "Reconnect.h"

#include <QCoreApplication>
#include <QMainWindow>
#include <functional>
#include <memory>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QStatusBar;
class FramePacer;
class TStatusStrip;
class TIdInspector;
class TStaleMarker;
class TTimeBar;
class TRecordingPlayer;
namespace tg::app {
class TimeMachine;
}
class QTabWidget;
class TComComboBox;
class TComDataPacket;
class TComLed;
class TComPort;
class TComTerminal;
class TBackgroundFill;
class TFeatureSettings;
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
    // Closes the port for another program (a firmware tool) and opens it again once that
    // program has let the device go; returns the device node freed, empty when none was open.
    QString ReleaseInterface1Click();
    // At start: the port and rate given, else those last connected with; connects when asked
    // or when "Connect at Start" is on. Called once the window is shown (its settings restored).
    void StartWith(const QString &port, const QString &baud, bool connect);
    // What a later start hands over: the port and rate given (empty: unchanged), and Connect.
    void UsePort(const QString &port, const QString &baud, bool connect);
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
    // bytes dropped at a full input queue since the start, what a device is waited for.
    QByteArray StatusLine() const;
    QObject *instrument(int id) const { return id >= 0 && id <= tg::app::kMaxId ? instruments[size_t(id)] : nullptr; }

    // Every received byte with its time, and what the link delivered, for the views of the link.
    const tg::journal::Journal &Journal() const { return journal; }
    const tg::app::LinkStats &LinkStats() const { return linkStats; }
    // Whether an instrument on the panel shows this id.
    bool ShowsId(int32_t id) const;
    // The status strip under the pages; the window grows by its height, so the panel keeps its size.
    void SetStatusStripShown(bool on);
    bool StatusStripShown() const;

    // The window listing every id seen, made when first opened.
    TIdInspector *IdInspector();
    // Dims instruments without a recent value; off unless switched on.
    void SetStaleMarking(bool on);
    void SetStaleSeconds(int seconds);
    // The values of [from, until] of the journal as CSV, and the panel as PNG; the reason when
    // the file cannot be written, empty on success.
    QString ExportValues(const QString &fileName, tg::journal::Micros from, tg::journal::Micros until);
    QString ExportPanel(const QString &fileName);

    // The time machine: the panel frozen on a moment of the journal, or playing a recording.
    tg::app::TimeMachine &TimeMachine() const { return *timeMachine; }
    void FreezeClick();
    void ShowMoment(tg::journal::Micros t);
    void LiveClick();
    // The reason when the file cannot be written or played; empty on success.
    QString SaveRecording(const QString &fileName);
    QString OpenRecording(const QString &fileName);
    bool PlayingRecording() const;

    // The folder of the help document.
    QString helpFolder = tg::helpFolder(QCoreApplication::applicationDirPath());
    // Where warnings go; a message box unless replaced (tests record them).
    std::function<void(const QString &)> showWarning;
    // Tells of received bytes dropped at a full input queue.
    TOverflowNotice overflowNotice{this};
    // Tells that the device was lost, without stopping the window.
    TNoticeBox lostNotice{this};
    // Waits for a lost or released device to come back.
    TReconnect Reconnect1{this};
    TFeatureSettings &Features() const { return *features; }

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
    // Over the pages while a device is waited for; hidden otherwise.
    QLabel *LabelWaiting;
    QAction *ReleaseInterface1, *ReconnectAutomatically1, *ConnectAtStart1;
    TMainFormStorages storages{};
    TStatusStrip *StatusStrip1;
    TTimeBar *TimeBar1;
    TStaleMarker *StaleMarker1;

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
    void openPort();
    bool reopen(const QString &name);
    void deviceLost(int error);
    void waitFor(TReconnect::Reason reason);
    void stopWaiting();
    void wireInputs();
    void sendToDevice(const QString &text);
    void buildStatusBar();
    void addExportItems(QMenu *file);
    void addLinkViewItems(QMenu *show);
    void fitBottomBar();

    void showFirstStartHint();
    std::vector<QWidget *> panelControls() const;
    void centreOnScreen();
    void watchPanelMouse();
    QWidget *instrumentOf(QObject *o) const;

    tg::app::InstrumentTable instruments{};
    std::unique_ptr<IniFileStorage> settings;
    std::unique_ptr<TFeatureSettings> features;
    // The device of the last successful open, as it can be found again.
    TDeviceTarget connectedTarget;
    TFormEvents formEvents;
    std::unique_ptr<tg::app::PacketHandler> handler;
    qint64 packetsHandled = 0;
    tg::journal::Journal journal;
    tg::app::LinkStats linkStats;
    TComLink journalLink;
    // The receive time of the chunk being handled: steady clock and wall time.
    int64_t chunkReceived = 0;
    tg::journal::Micros chunkTime = 0;
    QStatusBar *bottomBar = nullptr;
    QAction *statusStripItem = nullptr;
    QAction *staleMarkingItem = nullptr;
    TIdInspector *inspector = nullptr;
    int bottomBarHeight = 0;
    FramePacer *pacer = nullptr;
    std::unique_ptr<tg::app::TimeMachine> timeMachine;
    TRecordingPlayer *player = nullptr;
    TRadioButton *radioVisible = nullptr;
    TInstrumentsPage *instrumentsPage = nullptr;
    std::unique_ptr<TPanelEditor> editor;
    tg::edit::TArrange arrange;
};
