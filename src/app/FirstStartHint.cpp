#include "FirstStartHint.h"

#include "ComPort.h"

#include <QComboBox>
#include <QEvent>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TFirstStartHint::TFirstStartHint(QWidget *panel, const std::vector<QWidget *> &instruments, TCustomComPort *port,
                                 PortList ports)
    : QFrame(panel), panel(panel), port(port), ports(std::move(ports))
{
    setObjectName(QStringLiteral("FirstStartHint"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    setMinimumWidth(460);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 16, 20, 16);
    auto *title = new QLabel(QStringLiteral("Noch keine Messwerte"), this);
    QFont bold = title->font();
    bold.setBold(true);
    bold.setPixelSize(bold.pixelSize() > 0 ? bold.pixelSize() + 3 : 16);
    title->setFont(bold);
    layout->addWidget(title);
    portText = new QLabel(this);
    portText->setTextFormat(Qt::PlainText);
    portText->setWordWrap(true);
    layout->addWidget(portText);
    command = new QLabel(QStringLiteral("tavelgrid-sim"), this);
    command->setTextFormat(Qt::PlainText);
    command->setTextInteractionFlags(Qt::TextSelectableByMouse);
    command->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    command->setContentsMargins(16, 4, 0, 4);
    layout->addWidget(command);
    auto *row = new QHBoxLayout;
    portBox = new QComboBox(this);
    portBox->setMinimumWidth(260);
    connectButton = new QPushButton(QStringLiteral("Connect"), this);
    connectButton->setDefault(true);
    row->addWidget(portBox, 1);
    row->addWidget(connectButton);
    layout->addLayout(row);
    auto *next = new QHBoxLayout;
    next->addWidget(new QLabel(QStringLiteral("Danach Instrumente einschalten:"), this));
    auto *instrumentsButton = new QPushButton(QStringLiteral("Instruments"), this);
    next->addWidget(instrumentsButton);
    next->addStretch(1);
    layout->addLayout(next);

    connect(connectButton, &QPushButton::clicked, this, [this] {
        if (OnConnect && portBox->currentIndex() >= 0)
            OnConnect(portBox->currentText());
    });
    connect(instrumentsButton, &QPushButton::clicked, this, [this] {
        if (OnInstruments)
            OnInstruments();
    });
    for (QWidget *w : instruments)
        w->installEventFilter(this);
    panel->installEventFilter(this);
    if (port) {
        link.LinkConn = [this](TCustomComPort *, bool open) {
            if (open)
                dismiss();
        };
        port->AttachLink(&link);
    }
    connect(&refresh, &QTimer::timeout, this, &TFirstStartHint::RefreshPorts);
    refresh.start(kRefreshMs);
    RefreshPorts();
    raise();
    show();
}

TFirstStartHint::~TFirstStartHint()
{
    if (port)
        port->DetachLink(&link);
}

QString TFirstStartHint::Text() const
{
    return command->isHidden() ? portText->text() : portText->text() + QLatin1Char('\n') + command->text();
}

void TFirstStartHint::RefreshPorts()
{
    const QStringList found = ports ? ports() : QStringList();
    QStringList shown;
    for (int i = 0; i < portBox->count(); ++i)
        shown << portBox->itemText(i);
    if (found != shown || portText->text().isEmpty()) {
        // The choice stays on the port it was on, as long as that port is still there.
        const QString chosen = portBox->currentText();
        portBox->clear();
        portBox->addItems(found);
        if (found.contains(chosen))
            portBox->setCurrentText(chosen);
        portText->setText(found.isEmpty() ? QStringLiteral("Keine serielle Schnittstelle gefunden. Zum Ausprobieren in "
                                                           "einem Terminal den Simulator starten; seine Schnittstelle "
                                                           "erscheint dann hier:")
                          : found.size() == 1 ? QStringLiteral("Eine Schnittstelle gefunden:")
                                              : QStringLiteral("%1 Schnittstellen gefunden:").arg(found.size()));
        command->setVisible(found.isEmpty());
    }
    portBox->setEnabled(!found.isEmpty());
    connectButton->setEnabled(!found.isEmpty());
    adjustSize();
    centre();
}

void TFirstStartHint::centre()
{
    QRect r(QPoint(), size());
    r.moveCenter(panel->rect().center());
    move(r.topLeft());
}

bool TFirstStartHint::eventFilter(QObject *watched, QEvent *e)
{
    if (watched == panel && e->type() == QEvent::Resize)
        centre();
    else if (watched != panel && e->type() == QEvent::ShowToParent)
        dismiss();
    return QFrame::eventFilter(watched, e);
}

void TFirstStartHint::dismiss()
{
    refresh.stop();
    hide();
    deleteLater();
}
