#include "MainWindow.h"

#include "ApplicationException.h"
#include "BackgroundFill.h"
#include "ColorBox.h"
#include "ComComboBox.h"
#include "ComDataPacket.h"
#include "ComLed.h"
#include "ComPort.h"
#include "ComTerminal.h"
#include "EComPort.h"
#include "FeatureSettings.h"
#include "FirstStartHint.h"
#include "FramePacer.h"
#include "PanelTerminal.h"
#include "InstrumentsPage.h"
#include "PanelEditor.h"
#include "RecordingPlayer.h"
#include "StaleMarker.h"
#include "StatusStrip.h"
#include "TimeBar.h"
#include "TimeMachine.h"
#include "PanelTabOrder.h"
#include "WindowFrame.h"
#include "FrameTrendFull.h"
#include "GvColBitBtn.h"
#include "GvDial.h"
#include "GvMiniTrend.h"
#include "Image.h"
#include "IniFileStorage.h"
#include "IniImage.h"
#include "NumberParse.h"
#include "NetLink.h"
#include "PortDoctor.h"
#include "PortIdentity.h"
#include "SerialPorts.h"
#include "SettingsNotice.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QImageReader>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QGuiApplication>
#include <QScreen>
#include <QSignalBlocker>
#include <QSaveFile>
#include <QStatusBar>
#include <QTabWidget>
#include <QTime>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <stdexcept>

namespace {

const char kPortWarning[] = "-  ComPort existiert nicht\r\n-  ComPort ist nicht selektiert    \r\n"
                            "-  ComPort kann nicht aktiviert werden";

const char kInterfaceHelp[] =
    "Die möglichen ComPorts 2...99 werden\r\nautomatisch angezeigt. Trotzdem  muss\r\nder Com Port "
    "zusätzlich mit der Mouse\r\nzur Selektierung gewählt werden.\r\n\r\nDie Schnittstelle ist fest "
    "eingestellt auf:\r\n8 DataBit\r\n1 Stopbit\r\nNo Parity\r\nKeine Hard- oder Software-Flusskontrolle\r\n";

const char kProtocol[] =
    "Das Protokoll      #nMm<     als String\r\nhat folgende Parameter:\r\n#   -  Identifier "
    "Messwertübertragung\r\nn   -  gewünschte Instrumenten Nummer\r\nM  -  Identifier für Messwert\r\n"
    "m  -  Messwert\r\n<  -  Ende eines Datensatzes \r\n\r\nMesswerte können beliebig aneinander "
    "gereiht,\r\ngemischt oder einzeln übertragen werden. \r\n#nMm<#nMm<#nMm<#nMm<\r\n\r\nDieses "
    "Programm erwartet alle seriellen \r\nDaten als Strings vom Mikrokontroller.\r\nDiese sehen mit "
    "realen Werten z.B. so aus:\r\n#8M25.5<#2M1.34564<\r\n\r\n\r\n\r\n\r\n";

const char *const kBaudRates[] = {"110",    "300",    "600",    "1200",   "2400",   "4800",
                                  "9600",   "14400",  "19200",  "38400",  "56000",  "57600",
                                  "115200", "128000", "230400", "256000", "460800", "921600"};

int32_t baudFromText(const QString &text)
{
    qint64 v = 0;
    if (!tg::parseInt64(text.trimmed(), v) || v < INT32_MIN || v > INT32_MAX)
        throw std::runtime_error("'" + text.toStdString() + "' is not a valid integer value");
    return int32_t(v);
}

} // namespace

TFormMain::TFormMain(const QString &settingsFile, QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("FormMain"));
    setWindowTitle(QStringLiteral("       Tavelgrid"));
    setMinimumSize(500, 500);
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPixelSize(13);
    setFont(f);

    ComPort1 = new TComPort(this);
    ComPort1->setObjectName(QStringLiteral("ComPort1"));
    ComPort1->SetBaudRate(Com::brCustom);
    ComDataPacket1 = new TComDataPacket(this);
    ComDataPacket1->setObjectName(QStringLiteral("ComDataPacket1"));
    ComDataPacket1->SetStartString("#");
    ComDataPacket1->SetStopString("<");
    ComDataPacket1->SetIncludeStrings(true);
    // The journal hears each chunk before the framer, so a chunk's time is known to its packets.
    journalLink.LinkRxBuf = [this](TCustomComPort *port, const char *data, int count) {
        chunkReceived = port->ReceiveTime();
        chunkTime = tg::journal::wallFromSteady(chunkReceived);
        journal.append(chunkTime, data, size_t(count));
    };
    journalLink.LinkConn = [this](TCustomComPort *, bool on) {
        if (on) {
            journal.markBreak(tg::journal::nowMicros());
            linkStats.forgetIds();
        }
    };
    ComPort1->AttachLink(&journalLink);
    ComDataPacket1->SetComPort(ComPort1);

    PageControl1 = new TPageControl(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setTabPosition(QTabWidget::South);
    PageControl1->tabBar()->hide();
    // Its tabs are hidden (the menu switches pages): Tab goes straight to the page's controls.
    PageControl1->setFocusPolicy(Qt::NoFocus);
    setCentralWidget(PageControl1);

    showWarning = [this](const QString &text) { QMessageBox::warning(this, windowTitle(), text); };

    buildShowPage();
    buildInstrumentsPage();
    buildInterfacePage();
    buildTerminalPage();
    buildOptionsPage();
    buildInfoPage();
    buildMenu();

    watchPanelMouse();
    // Made after the window watches the panel, so that a selection sees its control's mouse
    // before the window's own routing does.
    editor = std::make_unique<TPanelEditor>(TabSheetShow, [this] { return ComPort1->Connected(); });

    handler = std::make_unique<tg::app::PacketHandler>(instruments, *instrumentsPage->SevenSegPage());
    ComDataPacket1->OnPacket = [this](TComDataPacket *, const QByteArray &packet) {
        ++packetsHandled;
        const bool live = !timeMachine->Frozen();
        const std::optional<tg::app::Packet> p = handler->handle(packet, live);
        linkStats.record(chunkTime, packet, p);
        if (p && live)
            linkStats.valueShown(chunkReceived);
    };
    timeMachine = std::make_unique<tg::app::TimeMachine>(journal, *handler, instruments, *ComDataPacket1, *ComTerminal1);
    player = new TRecordingPlayer(*timeMachine, this);
    player->OnFinished = [this] { TimeBar1->SetShown(timeMachine->ShownTime(), QStringLiteral("recording ended")); };
    ComPort1->OnError = [this](TCustomComPort *port, Com::TComErrors errors) {
        // Other line errors pass unseen.
        if (errors & Com::ceIO)
            deviceLost(port->LostError());
        if (errors & Com::ceRxOver)
            overflowNotice.Report(port->Port(), port->DroppedInput());
    };
    Reconnect1.OnBack = [this](const QString &name) { return reopen(name); };
    LabelWaiting = new QLabel(PageControl1);
    LabelWaiting->setObjectName(QStringLiteral("LabelWaiting"));
    LabelWaiting->setTextFormat(Qt::PlainText);
    LabelWaiting->setStyleSheet(QStringLiteral("QLabel { background: #fff4c2; color: black; border: 1px solid #a08020; "
                                               "padding: 4px 8px; }"));
    LabelWaiting->hide();
    StaleMarker1 = new TStaleMarker(TabSheetShow, instruments, [this](int id) -> std::optional<tg::journal::Micros> {
        const tg::app::IdStats *s = linkStats.id(id);
        return s ? std::optional(s->lastTime) : std::nullopt;
    });
    buildStatusBar();
    resize(1164, 710 + menuBar()->sizeHint().height());
    PageControl1->setCurrentWidget(TabSheetShow);

    formEvents.OnShow = [this](QWidget *) {
        // The second dial's box is not among the stored ones: it follows the dial as restored,
        // without running the visibility rule.
        if (auto *c = findChild<QCheckBox *>(QStringLiteral("CheckBox81"))) {
            const QSignalBlocker quiet(c);
            c->setChecked(!qobject_cast<QWidget *>(instruments[81])->isHidden());
        }
        if (!storages.Allgemein || !storages.Allgemein->PlacementRestored())
            centreOnScreen();
    };
    // Closing lets queued work run before the storages save (packets still queued, the
    // minimise a restore posted), so that they save the state it leads to.
    formEvents.OnCloseQuery = [](QWidget *, bool &) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    };
    const bool firstStart = !settingsFile.isEmpty() && !QFileInfo::exists(settingsFile);
    if (!settingsFile.isEmpty()) {
        settings = std::make_unique<IniFileStorage>(settingsFile);
        storages = createMainFormStorages(this, settings.get(), formEvents);
        if (const QString problem = settingsProblem(*settings); !problem.isEmpty())
            new TSettingsNotice(this, problem);
    }
    features = std::make_unique<TFeatureSettings>(settingsFile);
    ReconnectAutomatically1->setChecked(features->Reconnect());
    ConnectAtStart1->setChecked(features->ConnectAtStart());
    journal.setLimits(features->JournalLimits());
    SetStatusStripShown(features->StatusStrip());
    StaleMarker1->SetAfterSeconds(features->StaleSeconds());
    SetStaleMarking(features->StaleMarking());
    if (firstStart)
        showFirstStartHint();
    new FormEventBridge(this, formEvents);
    pacer = new FramePacer(this);
    pacer->OnFrame = [this] {
        linkStats.framePainted(
            std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
                .count());
    };
}

TFormMain::~TFormMain()
{
    // The save at destruction needs every component still alive.
    if (formEvents.OnDestroy)
        formEvents.OnDestroy(this);
    ComDataPacket1->OnPacket = nullptr;
    ComDataPacket1->SetComPort(nullptr);
    player->Stop();
    timeMachine.reset();
    ComPort1->DetachLink(&journalLink);
    ComTerminal1->SetComPort(nullptr);
}

void TFormMain::showFirstStartHint()
{
    std::vector<QWidget *> shown;
    for (QObject *o : instruments)
        if (auto *w = qobject_cast<QWidget *>(o))
            shown.push_back(w);
    auto *hint = new TFirstStartHint(TabSheetShow, shown, ComPort1, [] { return tg::platform::listSerialPorts(); });
    hint->OnConnect = [this](const QString &port) {
        ComPort1->SetPort(port);
        ComComboBoxPort->SetText(port);
        ButtonConnectComPort1Click();
        // The panel is still empty: the next step is switching instruments on.
        if (ComPort1->Connected())
            PageControl1->setCurrentWidget(TabSheetInstrumente);
    };
    hint->OnInstruments = [this] { PageControl1->setCurrentWidget(TabSheetInstrumente); };
}

// What "Arrange" places: every instrument of the panel and the full trend frame.
std::vector<QWidget *> TFormMain::panelControls() const
{
    std::vector<QWidget *> controls{TFrame11};
    for (QObject *o : instruments)
        if (auto *w = qobject_cast<QWidget *>(o))
            controls.push_back(w);
    return controls;
}

QWidget *TFormMain::page(const QString &name, const QString &caption)
{
    auto *w = new QWidget;
    w->setObjectName(name);
    PageControl1->addTab(w, caption);
    if (name != QLatin1String("TabSheetShow")) {
        auto *g = new TGvGradient(w);
        g->GradSettings()->SetColorFrom(rgbColor(0xC0, 0xDC, 0xC0));
        g->GradSettings()->SetVisible(false);
        g->SetAlign(TGvGradient::alClient);
        g->loaded();
    }
    return w;
}

void TFormMain::buildShowPage()
{
    TabSheetShow = page(QStringLiteral("TabSheetShow"), QStringLiteral("  Show  "));
    BackgroundFill1 = new TBackgroundFill(TabSheetShow);
    BackgroundFill1->setObjectName(QStringLiteral("BackgroundFill1"));
    BackgroundFill1->GradSettings()->SetColorFrom(rgbColor(0xC0, 0xDC, 0xC0));
    BackgroundFill1->GradSettings()->SetColorTo(rgbColor(0xA0, 0xA0, 0xA4));
    BackgroundFill1->GradSettings()->SetVisible(true);
    BackgroundFill1->SetAlign(TGvGradient::alClient);
    BackgroundFill1->loaded();
    BackgroundFill1->FillObject()->SetBrush(clMoneyGreen);
    Image1 = new TImage(TabSheetShow);
    Image1->setObjectName(QStringLiteral("Image1"));
    instruments = tg::app::createInstruments(TabSheetShow);
    // The full trend frame waits hidden, without an id; edit mode can select it like an instrument.
    TFrame11 = new TFrame1(TabSheetShow);
    TFrame11->setObjectName(QStringLiteral("TFrame11"));
    TFrame11->setGeometry(512, 8, 770, 480);
    TFrame11->hide();
    wireInputs();
    new TPanelTabOrder(TabSheetShow);
}

void TFormMain::wireInputs()
{
    for (int id = 70; id <= 73; ++id) {
        auto *b = qobject_cast<TGvColBitBtn *>(instruments[size_t(id)]);
        b->OnMouseDown = [this](QObject *s, Qt::MouseButton button, Qt::KeyboardModifiers, int, int) {
            Instr1MouseDown(s, button);
        };
        b->OnMouseUp = [this](QObject *s, Qt::MouseButton, Qt::KeyboardModifiers, int, int) { Instr70MouseUp(s); };
    }
    for (int id : {80, 81}) {
        auto *d = qobject_cast<TGvDial *>(instruments[size_t(id)]);
        d->OnValueChanged = [this](QObject *s) { Instr81ValueChanged(s); };
        d->OnMouseUp = [this](QObject *, Qt::MouseButton button, Qt::KeyboardModifiers, int, int) {
            Instr81MouseUp(button);
        };
        // Red while the value is being moved, cream again once the dial is clicked.
        d->OnValueChange = [d](QObject *) { d->BevelDial()->SetColor(clRed); };
        d->OnClick = [d](QObject *) { d->BevelDial()->SetColor(clCream); };
    }
}

// Panel sends go only to an open port and never interrupt the user: a failed write is dropped
// (a lost device is reported by the port's own error path).
void TFormMain::sendToDevice(const QString &text)
{
    // A frozen panel shows the past: what its controls do would not fit the device's present.
    if (!ComPort1->Connected() || timeMachine->Frozen())
        return;
    try {
        ComPort1->WriteText(text.toLatin1());
    } catch (const std::exception &) {
    }
}

void TFormMain::Instr1MouseDown(QObject *sender, Qt::MouseButton button)
{
    const int tag = sender->property("Tag").toInt();
    if (button == Qt::LeftButton && qobject_cast<TGvColBitBtn *>(sender) && tag >= 70 && tag <= 73)
        sendToDevice(QStringLiteral("#%1M1<").arg(tag));
    // Right-click leads to the instrument switches, but not while the device is being served.
    if (button == Qt::RightButton && !ComPort1->Connected())
        PageControl1->setCurrentWidget(TabSheetInstrumente);
}

void TFormMain::Instr81MouseUp(Qt::MouseButton button)
{
    // The dial keeps no keyboard focus after use, so arrow keys do not move it by accident.
    PageControl1->setFocus();
    if (button == Qt::RightButton)
        PageControl1->setCurrentWidget(TabSheetInstrumente);
}

void TFormMain::Instr70MouseUp(QObject *sender)
{
    BackgroundFill1->show();
    const int tag = sender->property("Tag").toInt();
    if (!qobject_cast<TGvColBitBtn *>(sender) || tag < 70 || tag > 73)
        return;
    if (qobject_cast<TGvColBitBtn *>(instruments[size_t(tag)])->Hint() == QLatin1String("0"))
        sendToDevice(QStringLiteral("#%1M0<").arg(tag));
}

void TFormMain::Instr81ValueChanged(QObject *sender)
{
    const int tag = sender->property("Tag").toInt();
    if (qobject_cast<TGvDial *>(sender) && (tag == 80 || tag == 81))
        sendToDevice(QStringLiteral("#%1M%2<").arg(tag).arg(qobject_cast<TGvDial *>(instruments[size_t(tag)])->ValueText()));
}

void TFormMain::buildInstrumentsPage()
{
    instrumentsPage = new TInstrumentsPage(TabSheetShow, PageControl1);
    TabSheetInstrumente = instrumentsPage;
    PageControl1->addTab(instrumentsPage, QStringLiteral("  Instruments "));
    instrumentsPage->OnShowPanel = [this] { PageControl1->setCurrentWidget(TabSheetShow); };
    // The visibility rule follows every change of a box, also one read from the settings.
    for (int id : tg::app::switchableIds())
        if (auto *c = findChild<QCheckBox *>(QStringLiteral("CheckBox%1").arg(id)))
            connect(c, &QCheckBox::toggled, this, &TFormMain::applyVisibility);
    connect(PageControl1, &QTabWidget::currentChanged, this, [this] {
        if (PageControl1->currentWidget() == TabSheetInstrumente)
            instrumentsPage->PageShown();
    });
}

void TFormMain::Beenden1Click()
{
    ComPort1->SetConnected(false);
    ComPort1->Close();
    close();
}

void TFormMain::EditMode1Click()
{
    editor->EditModeClick([this] { ComPort1->SetConnected(false); });
}

// Double-clicks select for edit mode; a click on the background picture ends a selection; a
// right press on the instruments that lead to the Instruments page goes there. The lamps of the
// lamp block take the mouse themselves, so they are watched as part of it.
void TFormMain::watchPanelMouse()
{
    for (QObject *o : instruments) {
        auto *w = qobject_cast<QWidget *>(o);
        if (!w)
            continue;
        w->installEventFilter(this);
        for (TGvControl *lamp : w->findChildren<TGvControl *>())
            lamp->installEventFilter(this);
    }
    for (int id : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 41, 42, 43, 44, 90})
        qobject_cast<TGvControl *>(instruments[size_t(id)])->OnMouseDown =
            [this](QObject *s, Qt::MouseButton button, Qt::KeyboardModifiers, int, int) { Instr1MouseDown(s, button); };
    Image1->installEventFilter(this);
    TFrame11->installEventFilter(this);
}

QWidget *TFormMain::instrumentOf(QObject *o) const
{
    for (auto *w = qobject_cast<QWidget *>(o); w && w != TabSheetShow; w = w->parentWidget())
        if (std::find(instruments.begin(), instruments.end(), w) != instruments.end())
            return w;
    return nullptr;
}

bool TFormMain::eventFilter(QObject *watched, QEvent *e)
{
    if (watched == Image1 && e->type() == QEvent::MouseButtonRelease) {
        // A click: the left button let go over the picture.
        const auto *m = static_cast<QMouseEvent *>(e);
        if (m->button() == Qt::LeftButton && Image1->rect().contains(m->position().toPoint()))
            editor->InstrDblClick(Image1);
    } else if (e->type() == QEvent::MouseButtonDblClick && static_cast<QMouseEvent *>(e)->button() == Qt::LeftButton) {
        if (watched == TFrame11)
            editor->InstrDblClick(TFrame11);
        else if (QWidget *instrument = instrumentOf(watched))
            editor->InstrDblClick(instrument);
    } else if (e->type() == QEvent::MouseButtonPress && static_cast<QMouseEvent *>(e)->button() == Qt::RightButton) {
        QWidget *instrument = instrumentOf(watched);
        if (instrument && (instrument == instruments[35] || instrument == instruments[36] || instrument == instruments[60]))
            Instr1MouseDown(instrument, Qt::RightButton);
    }
    return QMainWindow::eventFilter(watched, e);
}

void TFormMain::applyVisibility()
{
    for (int id : tg::app::switchableIds()) {
        auto *w = qobject_cast<QWidget *>(instruments[size_t(id)]);
        auto *c = findChild<QCheckBox *>(QStringLiteral("CheckBox%1").arg(id));
        if (!w || !c)
            continue;
        if (c->isChecked()) {
            w->show();
            w->raise();
        } else {
            w->hide();
            if (id == 90)
                setFlow(false);
        }
    }
}

void TFormMain::setFlow(bool on)
{
    if (auto *t = qobject_cast<TGvMiniTrend *>(instruments[90]))
        t->SetFlow(on);
}

// A green lamp that shows whether the port is open.
TComLed *TFormMain::portLamp(QWidget *parent, const QString &name)
{
    auto *led = new TComLed(parent);
    led->setObjectName(name);
    led->SetKind(TComLed::lkGreenLight);
    led->SetComPort(ComPort1);
    return led;
}

void TFormMain::buildInterfacePage()
{
    TabSheetSchnittstelle = page(QStringLiteral("TabSheetSchnittstelle"), QStringLiteral("  Interface"));
    auto *com = new QGroupBox(QStringLiteral("  Serial Communication Interface    "), TabSheetSchnittstelle);
    com->setGeometry(24, 24, 420, 470);
    new QLabel(QStringLiteral("Com Port"), com);
    com->findChild<QLabel *>()->move(24, 40);
    ComComboBoxPort = new TComComboBox(com);
    ComComboBoxPort->setObjectName(QStringLiteral("ComComboBoxPort"));
    ComComboBoxPort->setGeometry(120, 36, 260, 24);
    ComComboBoxPort->SetComProperty(ComSelect::cpPort);
    ComComboBoxPort->SetAutoApply(true);
    ComComboBoxPort->SetComPort(ComPort1);
    ComComboBoxPort->SetText(QStringLiteral("COM10"));
    auto *baudLabel = new QLabel(QStringLiteral("Baud Rate"), com);
    baudLabel->move(24, 80);
    ComboBoxBaud = new TTextComboBox(com);
    ComboBoxBaud->setObjectName(QStringLiteral("ComboBoxBaud"));
    ComboBoxBaud->setEditable(true);
    ComboBoxBaud->setMaxVisibleItems(16);
    for (const char *b : kBaudRates)
        ComboBoxBaud->addItem(QString::fromLatin1(b));
    ComboBoxBaud->setCurrentText(QStringLiteral("115200"));
    ComboBoxBaud->setGeometry(120, 76, 140, 24);
    connect(ComboBoxBaud->lineEdit(), &QLineEdit::editingFinished, this, &TFormMain::ComboBoxBaudExit);
    ButtonConnectComPort1 = new QPushButton(QStringLiteral("Connect"), com);
    ButtonConnectComPort1->setObjectName(QStringLiteral("ButtonConnectComPort1"));
    ButtonConnectComPort1->setGeometry(24, 120, 160, 32);
    ButtonDisConnectComPort1 = new QPushButton(QStringLiteral("Disconnect"), com);
    ButtonDisConnectComPort1->setObjectName(QStringLiteral("ButtonDisConnectComPort1"));
    ButtonDisConnectComPort1->setGeometry(200, 120, 160, 32);
    connect(ButtonConnectComPort1, &QPushButton::clicked, this, &TFormMain::ButtonConnectComPort1Click);
    connect(ButtonDisConnectComPort1, &QPushButton::clicked, this, &TFormMain::ButtonDisConnectComPort1Click);
    ComLed2 = portLamp(com, QStringLiteral("ComLed2"));
    ComLed2->move(380, 124);
    auto *help = new QLabel(QString::fromUtf8(kInterfaceHelp).remove(QLatin1Char('\r')), com);
    help->setWordWrap(true);
    help->setGeometry(24, 170, 380, 280);
    help->setAlignment(Qt::AlignTop | Qt::AlignLeft);

    auto *proto = new QGroupBox(QStringLiteral("  Protokoll / Daten-Format  "), TabSheetSchnittstelle);
    proto->setGeometry(470, 24, 420, 470);
    auto *text = new QLabel(QString::fromUtf8(kProtocol).remove(QLatin1Char('\r')), proto);
    text->setGeometry(24, 30, 380, 420);
    text->setAlignment(Qt::AlignTop | Qt::AlignLeft);
}

void TFormMain::buildTerminalPage()
{
    TabSheetTerminal = page(QStringLiteral("TabSheetTerminal"), QStringLiteral("  Terminal  "));
    ComLed1 = portLamp(TabSheetTerminal, QStringLiteral("ComLed1"));
    ComLed1->move(808, 33);
    EditTerminalSendString = new QLineEdit(TabSheetTerminal);
    EditTerminalSendString->setObjectName(QStringLiteral("EditTerminalSendString"));
    EditTerminalSendString->setGeometry(32, 32, 600, 26);
    auto button = [this](const char *name, const char *caption, int x, int y, void (TFormMain::*click)()) {
        auto *b = new QPushButton(QString::fromLatin1(caption), TabSheetTerminal);
        b->setObjectName(QString::fromLatin1(name));
        b->setGeometry(x, y, 140, 30);
        connect(b, &QPushButton::clicked, this, click);
        return b;
    };
    ButtonSendString = button("ButtonSendString", "Send String", 650, 30, &TFormMain::ButtonSendStringClick);
    // Enter sends as the button does, and not while the button is off.
    connect(EditTerminalSendString, &QLineEdit::returnPressed, ButtonSendString, &QPushButton::click);
    ButtonTerminalConnect = button("ButtonTerminalConnect", "Start View", 1016, 80, &TFormMain::ButtonTerminalConnectClick);
    ButtonTerminalDisconnect =
        button("ButtonTerminalDisconnect", "Stop View", 1016, 120, &TFormMain::ButtonTerminalDisconnectClick);
    ButtonClearTerminal = button("ButtonClearTerminal", "Clear View", 1016, 180, &TFormMain::ButtonClearTerminalClick);
    LabelTerminal = new QLabel(QStringLiteral("xxx"), TabSheetTerminal);
    LabelTerminal->setObjectName(QStringLiteral("LabelTerminal"));
    LabelTerminal->setTextFormat(Qt::PlainText);
    LabelTerminal->setGeometry(840, 30, 310, 30); // right of the lamp

    ComTerminal1 = new TComTerminal(TabSheetTerminal);
    ComTerminal1->setObjectName(QStringLiteral("ComTerminal1"));
    setupPanelTerminal(*ComTerminal1);
    ComTerminal1->setGeometry(32, 80, 969, 481);

    // The view shows traffic only while its page is up; the Show page keeps it, as the framer.
    connect(PageControl1, &QTabWidget::currentChanged, this, [this] {
        QWidget *shown = PageControl1->currentWidget();
        if (shown == TabSheetTerminal)
            TabSheetTerminalShow();
        else if (shown != TabSheetShow)
            ComTerminal1->SetComPort(nullptr);
    });
}

void TFormMain::TabSheetTerminalShow()
{
    ButtonSendString->setEnabled(true);
    // "COM1" is the name before any port was chosen.
    const QString name = ComPort1->Port();
    LabelTerminal->setText(name == QLatin1String("COM1") ? QString() : name);
    ComTerminal1->ClearView();
}

void TFormMain::ButtonTerminalConnectClick()
{
    ButtonSendString->setEnabled(true);
    ComTerminal1->SetComPort(ComPort1);
    try {
        ComTerminal1->SetConnected(true);
    } catch (const std::exception &) {
        showWarning(QString::fromLatin1("Die Schnittstelle ist nicht aktiviert\r\nund muss unter der Seite "
                                        "\"Schnittstelle\"      \r\nkonfiguriert werden."));
    }
}

void TFormMain::ButtonTerminalDisconnectClick()
{
    ButtonSendString->setEnabled(false);
    // Detached first, so the port itself stays open for the panel.
    ComTerminal1->SetComPort(nullptr);
    ComTerminal1->SetConnected(false);
}

void TFormMain::ButtonClearTerminalClick()
{
    ComTerminal1->ClearView();
}

void TFormMain::buildOptionsPage()
{
    TabSheetOptionen = page(QStringLiteral("TabSheetOptionen"), QStringLiteral("  Options"));
    auto *colour = new QGroupBox(QStringLiteral("  Set Show Background Color    "), TabSheetOptionen);
    colour->setGeometry(24, 24, 360, 100);
    new QLabel(QStringLiteral("Color"), colour);
    colour->findChild<QLabel *>()->move(24, 44);
    ColorBoxShowFarbeVon = tg::config::MakeColorBox("ColorBoxShowFarbeVon", colour);
    ColorBoxShowFarbeVon->SetSelected(clSilver);
    ColorBoxShowFarbeVon->setGeometry(80, 40, 200, 26);
    connect(ColorBoxShowFarbeVon, &TColorBox::Change, this,
            [this] { BackgroundFill1->GradSettings()->SetColorFrom(ColorBoxShowFarbeVon->Selected()); });

    auto *picture = new QGroupBox(QStringLiteral("  Background Picture  "), TabSheetOptionen);
    picture->setGeometry(24, 140, 360, 200);
    radioVisible = new TRadioButton(QStringLiteral("Visible"), picture);
    radioVisible->setObjectName(QStringLiteral("RadioButtonBildSichtbar"));
    radioVisible->move(24, 36);
    radioVisible->setChecked(true);
    auto *hidden = new TRadioButton(QStringLiteral("Unvisible"), picture);
    hidden->setObjectName(QStringLiteral("RadioButtonBildUnsichtbar"));
    hidden->move(24, 64);
    connect(radioVisible, &QRadioButton::clicked, Image1, &QWidget::show);
    connect(hidden, &QRadioButton::clicked, Image1, &QWidget::hide);
    auto *load = new QPushButton(QStringLiteral("Load Background Picture"), picture);
    load->setObjectName(QStringLiteral("ButtonHintergrundBildLaden"));
    load->setGeometry(24, 100, 220, 30);
    auto *hint = new QLabel(QStringLiteral("Use graphics in jpg format."), picture);
    hint->move(24, 145);
    connect(load, &QPushButton::clicked, this, [this] {
        QFileDialog dialog(this);
        dialog.setObjectName(QStringLiteral("OpenDialog1"));
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setDefaultSuffix(QStringLiteral("jpg"));
        // File names differ by case here: every spelling of the suffix is offered.
        dialog.setNameFilter(QStringLiteral("Portable Network Graphics Files (*.JPG *.jpg *.jpeg *.JPEG)"));
        dialog.setOption(QFileDialog::HideNameFilterDetails);
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            loadPicture(dialog.selectedFiles().constFirst());
    });
}

void TFormMain::loadPicture(const QString &fileName)
{
    QImageReader reader(fileName);
    const QImage img = reader.read();
    if (img.isNull())
        throw std::runtime_error("Cannot load picture " + fileName.toStdString() + ": " +
                                 reader.errorString().toStdString());
    Image1->SetPicture(img);
    radioVisible->setChecked(true);
    Image1->show();
}

void TFormMain::buildInfoPage()
{
    TabSheetHilfe = page(QStringLiteral("TabSheetHilfe"), QStringLiteral("  Info  "));
    auto *box = new QGroupBox(QStringLiteral("   Über diese Software"), TabSheetHilfe);
    box->setGeometry(24, 24, 700, 300);
    auto *text = new QLabel(
        QStringLiteral("Tavelgrid %1\n\nZeigt Messwerte eines Mikrokontrollers an der seriellen "
                       "Schnittstelle als Instrumente an.\n\nSchnittstelle wählen, Connect drücken; "
                       "Instrumente auf der Seite Instruments einschalten.")
            .arg(QCoreApplication::applicationVersion()),
        box);
    text->setGeometry(24, 30, 650, 250);
    text->setWordWrap(true);
    text->setAlignment(Qt::AlignCenter);
}

void TFormMain::buildMenu()
{
    QMenuBar *bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    // Alt and the underlined letter open a menu or run an item; Ctrl+Q ends as Beenden does.
    QMenu *file = bar->addMenu(QStringLiteral("&File    "));
    file->addAction(QStringLiteral("&Load Project"))->setEnabled(false);
    file->addAction(QStringLiteral("&Save Project as"))->setEnabled(false);
    file->addAction(QStringLiteral("&Open Recording"), this, [this] {
        const QString name = QFileDialog::getOpenFileName(this, QStringLiteral("Open Recording"), QString(),
                                                          QStringLiteral("Recordings (*.tgrec);;All files (*)"));
        if (const QString error = name.isEmpty() ? QString() : OpenRecording(name); !error.isEmpty())
            showWarning(QStringLiteral("Die Aufzeichnung kann nicht abgespielt werden:\n%1\n\n%2").arg(name, error));
    });
    file->addAction(QStringLiteral("Save &Recording"), this, [this] {
        const QString name = QFileDialog::getSaveFileName(this, QStringLiteral("Save Recording"), QString(),
                                                          QStringLiteral("Recordings (*.tgrec)"));
        if (const QString error = name.isEmpty() ? QString() : SaveRecording(name); !error.isEmpty())
            showWarning(QStringLiteral("Die Aufzeichnung kann nicht gespeichert werden:\n%1\n\n%2").arg(name, error));
    });
    addExportItems(file);
    file->addAction(QStringLiteral("&Beenden"), QKeySequence(Qt::CTRL | Qt::Key_Q), this, &TFormMain::Beenden1Click);
    QMenu *show = bar->addMenu(QStringLiteral("&Show "));
    connect(show, &QMenu::aboutToShow, this, [this] { PageControl1->setCurrentWidget(TabSheetShow); });
    show->addAction(QStringLiteral("&Connect Interface"), this, &TFormMain::ButtonConnectComPort1Click);
    show->addAction(QStringLiteral("&Disconnect Interface"), this, &TFormMain::ButtonDisConnectComPort1Click);
    ReleaseInterface1 = show->addAction(QStringLiteral("&Release Interface"), this, [this] { ReleaseInterface1Click(); });
    ReleaseInterface1->setObjectName(QStringLiteral("ReleaseInterface1"));
    ReconnectAutomatically1 = show->addAction(QStringLiteral("Reconnect &Automatically"));
    ReconnectAutomatically1->setObjectName(QStringLiteral("ReconnectAutomatically1"));
    ReconnectAutomatically1->setCheckable(true);
    connect(ReconnectAutomatically1, &QAction::toggled, this, [this](bool on) {
        features->SetReconnect(on);
        if (!on && Reconnect1.Waiting() && Reconnect1.WaitReason() == TReconnect::Lost)
            stopWaiting();
    });
    ConnectAtStart1 = show->addAction(QStringLiteral("Connect at &Start"));
    ConnectAtStart1->setObjectName(QStringLiteral("ConnectAtStart1"));
    ConnectAtStart1->setCheckable(true);
    connect(ConnectAtStart1, &QAction::toggled, this, [this](bool on) { features->SetConnectAtStart(on); });
    show->addAction(QStringLiteral("&Edit Mode"), this, &TFormMain::EditMode1Click);
    show->addSeparator();
    show->addAction(QStringLiteral("&Freeze"), this, &TFormMain::FreezeClick)->setObjectName(QStringLiteral("FreezeItem"));
    show->addAction(QStringLiteral("&Live"), this, &TFormMain::LiveClick)->setObjectName(QStringLiteral("LiveItem"));
    statusStripItem = show->addAction(QStringLiteral("Status &Bar"));
    statusStripItem->setObjectName(QStringLiteral("StatusBar1Item"));
    statusStripItem->setCheckable(true);
    connect(statusStripItem, &QAction::triggered, this, &TFormMain::SetStatusStripShown);
    // Arranging is part of editing: only while the port is closed.
    addLinkViewItems(show);
    QAction *arrangeAction = show->addAction(QStringLiteral("Arran&ge"), this, [this] {
        if (!ComPort1->Connected())
            arrange.Arrange(TabSheetShow, panelControls());
    });
    QAction *undoArrange = show->addAction(QStringLiteral("&Undo arrange"), this, [this] { arrange.Undo(); });
    connect(show, &QMenu::aboutToShow, this, [this, arrangeAction, undoArrange] {
        arrangeAction->setEnabled(!ComPort1->Connected());
        undoArrange->setEnabled(!ComPort1->Connected() && arrange.CanUndo());
    });
    bar->addAction(QStringLiteral("&Instruments"), this, [this] { PageControl1->setCurrentWidget(TabSheetInstrumente); });
    bar->addAction(QStringLiteral("I&nterface"), this, [this] { PageControl1->setCurrentWidget(TabSheetSchnittstelle); });
    bar->addAction(QStringLiteral("&Terminal"), this, [this] { PageControl1->setCurrentWidget(TabSheetTerminal); });
    bar->addAction(QStringLiteral("&Options"), this, [this] { PageControl1->setCurrentWidget(TabSheetOptionen); });
    bar->addAction(QStringLiteral("Normal&View"), this, &TFormMain::StandardViewClick);
    QMenu *help = bar->addMenu(QStringLiteral("&Help"));
    help->addAction(QStringLiteral("&Hilfe"), this, &TFormMain::HilfeClick);
    help->addAction(QStringLiteral("I&nfo"), this, [this] { PageControl1->setCurrentWidget(TabSheetHilfe); });
}

void TFormMain::ButtonConnectComPort1Click()
{
    stopWaiting();
    BackgroundFill1->show();
    TabSheetShow->setEnabled(true);
    ComPort1->SetConnected(false);
    ComTerminal1->SetConnected(false);
    ComPort1->Close();
    ComPort1->SetBaudRate(Com::brCustom);
    ComPort1->SetCustomBaudRate(baudFromText(ComboBoxBaud->currentText()));
    try {
        openPort();
    } catch (const std::exception &e) {
        // The three lines as they always were, then what the system says is wrong.
        QString text = QString::fromLatin1(kPortWarning);
        if (const auto *portError = dynamic_cast<const EComPort *>(&e))
            if (const QString why = portError->Explanation(ComPort1->Port()); !why.isEmpty())
                text += QStringLiteral("\n\n") + why;
        showWarning(text);
    }
}

// Opens the port on the settings it has, as Connect does; the port stays closed on failure.
void TFormMain::openPort()
{
    // Packets of the old connection still queued are handled before the buffer is emptied.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    ComDataPacket1->ResetBuffer();
    try {
        ComPort1->Open();
        ComPort1->SetConnected(true);
        ComDataPacket1->ResetBuffer();
        setFlow(true);
    } catch (...) {
        ComPort1->Close();
        throw;
    }
    // Who the device is, found out while it is there, so it can be found again once it is gone.
    connectedTarget = TDeviceTarget::of(ComPort1->Port());
    features->SetLastConnection(ComPort1->Port(), QString::number(ComPort1->CustomBaudRate()));
}

void TFormMain::ButtonDisConnectComPort1Click()
{
    stopWaiting();
    setFlow(false);
    ComPort1->SetConnected(false);
}

QString TFormMain::ReleaseInterface1Click()
{
    if (Reconnect1.Waiting()) {
        // Already closed: it is opened again only once the other program has let it go.
        waitFor(TReconnect::Released);
        return QString();
    }
    if (!ComPort1->Connected())
        return QString();
    const QString node = tg::platform::portDeviceNode(ComPort1->Port());
    // The mini trend keeps running: the panel goes on once the device is back.
    ComPort1->SetConnected(false);
    waitFor(TReconnect::Released);
    return node;
}

void TFormMain::deviceLost(int error)
{
    const QString port = ComPort1->Port();
    QString text = EComPort::MessageFor(Com::ErrorCode(Com::CE_WaitFailed), error) + QStringLiteral("\n\n") +
                   tg::platform::explainLostDevice(port, error, connectedTarget.description) + QStringLiteral("\n\n");
    // A server is not watched for: each try to reach it could hold the window for seconds.
    if (features->Reconnect() && !tg::platform::NetLink::isNetworkName(port)) {
        waitFor(TReconnect::Lost);
        text += QStringLiteral("It is opened again as soon as it is back (Show \u2192 Reconnect Automatically).");
    } else {
        text += QStringLiteral("Press Connect once it is back.");
    }
    std::fprintf(stderr, "tavelgrid: %s lost: %s\n", port.toLocal8Bit().constData(),
                 EComPort::MessageFor(Com::ErrorCode(Com::CE_WaitFailed), error).toLocal8Bit().constData());
    lostNotice.Show(text);
}

void TFormMain::waitFor(TReconnect::Reason reason)
{
    Reconnect1.Wait(connectedTarget, reason);
    const QString device = connectedTarget.label();
    LabelWaiting->setText(reason == TReconnect::Lost
                              ? QStringLiteral("Waiting for %1: the device was lost and is opened again as soon as "
                                               "it is back.").arg(device)
                              : QStringLiteral("Waiting for %1: the port is released for another program and is "
                                               "opened again once that program has let it go.").arg(device));
    LabelWaiting->adjustSize();
    // At the page's foot, where a panel is least often laid out, so the values stay readable.
    LabelWaiting->move(8, std::max(8, PageControl1->height() - LabelWaiting->height() - 8));
    LabelWaiting->raise();
    LabelWaiting->show();
}

void TFormMain::stopWaiting()
{
    Reconnect1.Stop();
    LabelWaiting->hide();
}

// The device waited for is back under name: opened as Connect opens it, without a warning when
// it cannot be yet (it is tried again).
bool TFormMain::reopen(const QString &name)
{
    if (name != ComPort1->Port()) {
        ComPort1->SetPort(name);
        ComComboBoxPort->SetText(name);
    }
    try {
        openPort();
    } catch (const std::exception &) {
        return false;
    }
    stopWaiting();
    if (const QString told = lostNotice.Text(); !told.isEmpty())
        lostNotice.Show(told + QStringLiteral("\n\nBack at %1: %2 is open again.")
                                   .arg(QTime::currentTime().toString(QStringLiteral("HH:mm:ss")), name));
    return true;
}

void TFormMain::StartWith(const QString &port, const QString &baud, bool connect)
{
    const bool remembered = port.isEmpty() && !features->LastPort().isEmpty();
    UsePort(remembered ? features->LastPort() : port, remembered && baud.isEmpty() ? features->LastBaud() : baud,
            connect || (features->ConnectAtStart() && (remembered || !port.isEmpty())));
}

void TFormMain::UsePort(const QString &port, const QString &baud, bool connect)
{
    if (!baud.isEmpty())
        ComboBoxBaud->setCurrentText(baud);
    if (!port.isEmpty()) {
        // The Interface page shows the port given, or the listed device it leads to (a by-id
        // name); the port keeps the name as given.
        ComComboBoxPort->SetText(port);
        try {
            ComPort1->SetPort(port); // an open port moves to it, as when picked in the list
        } catch (...) {
            tg::handleApplicationException(std::current_exception());
        }
    }
    if (connect)
        QTimer::singleShot(0, this, &TFormMain::ButtonConnectComPort1Click);
}

void TFormMain::ComboBoxBaudExit()
{
    ComPort1->SetCustomBaudRate(baudFromText(ComboBoxBaud->currentText()));
}

void TFormMain::ButtonSendStringClick()
{
    const QString text = EditTerminalSendString->text();
    if (text.isEmpty())
        return;
    try {
        ComPort1->WriteText(tg::encodeCp1252(text));
    } catch (const EComPort &e) {
        // The port's own text first, then which port and what to do; while the device is waited
        // for, "press Connect" would be wrong advice.
        const QString why = Reconnect1.Waiting() ? LabelWaiting->text() : e.Explanation(ComPort1->Port());
        throw std::runtime_error(std::string(e.what()) + (why.isEmpty() ? std::string() : "\n\n" + why.toStdString()));
    }
}

void TFormMain::StandardViewClick()
{
    const QSize frame = frameGeometry().size() - geometry().size();
    resize(QSize(1190, 740) - frame + QSize(0, bottomBar->isHidden() ? 0 : bottomBarHeight));
}

void TFormMain::buildStatusBar()
{
    bottomBar = new QStatusBar(this);
    bottomBar->setObjectName(QStringLiteral("StatusBar1"));
    bottomBar->setSizeGripEnabled(false);
    StatusStrip1 = new TStatusStrip({&journal, &linkStats, ComDataPacket1, [this](int32_t id) { return ShowsId(id); }},
                                    bottomBar);
    StatusStrip1->hide();
    bottomBar->addWidget(StatusStrip1, 1);
    TimeBar1 = new TTimeBar(bottomBar);
    TimeBar1->hide();
    TimeBar1->OnScrub = [this](tg::journal::Micros t) { ShowMoment(t); };
    TimeBar1->OnLive = [this] { LiveClick(); };
    TimeBar1->OnSpeed = [this](int factor) { player->SetSpeed(factor); };
    bottomBar->addWidget(TimeBar1, 2);
    setStatusBar(bottomBar);
    bottomBar->hide();
}

void TFormMain::FreezeClick()
{
    player->Stop();
    timeMachine->Freeze();
    TimeBar1->SetRange(timeMachine->EarliestTime(), journal.lastTime());
    TimeBar1->SetSliderEnabled(true);
    TimeBar1->SetShown(timeMachine->ShownTime());
    TimeBar1->show();
    fitBottomBar();
}

void TFormMain::ShowMoment(tg::journal::Micros t)
{
    if (!timeMachine->Frozen())
        FreezeClick();
    timeMachine->ShowAt(t);
    TimeBar1->SetShown(timeMachine->ShownTime());
}

void TFormMain::LiveClick()
{
    player->Stop();
    timeMachine->Live();
    TimeBar1->hide();
    fitBottomBar();
}

QString TFormMain::SaveRecording(const QString &fileName)
{
    QSaveFile f(fileName);
    if (!f.open(QIODevice::WriteOnly))
        return f.errorString();
    const bool written = tg::journal::writeRecording(journal, [&f](std::string_view b) {
        return f.write(b.data(), qint64(b.size())) == qint64(b.size());
    });
    if (!written || !f.commit())
        return f.errorString();
    return {};
}

QString TFormMain::OpenRecording(const QString &fileName)
{
    const QString error = player->Play(fileName);
    if (!error.isEmpty())
        return error;
    player->SetSpeed(TimeBar1->Speed());
    TimeBar1->SetSliderEnabled(false);
    TimeBar1->SetShown(timeMachine->ShownTime(), QFileInfo(fileName).fileName());
    TimeBar1->show();
    fitBottomBar();
    return {};
}

bool TFormMain::PlayingRecording() const
{
    return player->Playing();
}

bool TFormMain::ShowsId(int32_t id) const
{
    const auto *w = qobject_cast<const QWidget *>(instrument(id));
    return w && !w->isHidden();
}

bool TFormMain::StatusStripShown() const
{
    return !StatusStrip1->isHidden();
}

void TFormMain::SetStatusStripShown(bool on)
{
    StatusStrip1->setVisible(on);
    statusStripItem->setChecked(on);
    features->SetStatusStrip(on);
    fitBottomBar();
}

// The bar below the pages is shown while something in it is; the window grows or shrinks by
// its height, so the pages keep their size.
void TFormMain::fitBottomBar()
{
    const bool wanted = !StatusStrip1->isHidden() || !TimeBar1->isHidden();
    if (wanted == !bottomBar->isHidden())
        return;
    if (wanted) {
        bottomBar->show();
        bottomBarHeight = bottomBar->sizeHint().height();
    }
    else
        bottomBar->hide();
    if (!(windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)))
        resize(width(), height() + (wanted ? bottomBarHeight : -bottomBarHeight));
}

QByteArray TFormMain::StatusLine() const
{
    return QJsonDocument(QJsonObject{{QStringLiteral("port"), ComPort1->Port()},
                                     {QStringLiteral("connected"), ComPort1->Connected()},
                                     {QStringLiteral("packets"), packetsHandled},
                                     {QStringLiteral("dropped"), qint64(ComPort1->DroppedInput())},
                                     {QStringLiteral("waiting"), Reconnect1.State()}})
        .toJson(QJsonDocument::Compact);
}

void TFormMain::HilfeClick()
{
    const QString doc = QDir(helpFolder).filePath(tg::kHelpDocumentName);
    // Say so rather than do nothing: a silent menu item looks like a hang.
    if (!QFileInfo(doc).isFile())
        showWarning(QStringLiteral("Die Hilfe-Datei wurde nicht gefunden:\n%1").arg(doc));
    else if (!QDesktopServices::openUrl(QUrl::fromLocalFile(doc)))
        showWarning(QStringLiteral("Die Hilfe-Datei kann nicht geöffnet werden:\n%1").arg(doc));
}

void TFormMain::centreOnScreen()
{
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        tg::placeFrame(this, [client = size(), area = screen->availableGeometry()](const QMargins &m) {
            QRect frame(QPoint(), client.grownBy(m));
            frame.moveCenter(area.center());
            return frame;
        });
}

