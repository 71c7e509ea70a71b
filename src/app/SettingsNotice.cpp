#include "SettingsNotice.h"

#include "IniFileStorage.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMainWindow>
#include <QStyle>
#include <QToolButton>

#include <unistd.h>

namespace {

// Whether a file can be made at path: its folder, or the nearest folder above it that exists,
// takes new entries.
bool canCreate(const QString &path)
{
    QFileInfo up(QFileInfo(path).absolutePath());
    while (!up.exists() && !up.isRoot() && !up.isSymLink())
        up = QFileInfo(up.absolutePath());
    return up.isDir() && ::access(QFile::encodeName(up.absoluteFilePath()).constData(), W_OK | X_OK) == 0;
}

} // namespace

QString settingsProblem(const IniFileStorage &storage)
{
    const QString file = storage.FileName();
    if (file.isEmpty())
        return QString();
    if (storage.Unreadable())
        return QStringLiteral("Die Einstellungsdatei %1 kann nicht gelesen werden. Sie bleibt unverändert; "
                              "Einstellungen werden in diesem Lauf nicht gespeichert.")
            .arg(file);
    if (storage.ReadOnly())
        return QStringLiteral("Die Einstellungsdatei %1 ist schreibgeschützt: Einstellungen werden in diesem "
                              "Lauf nicht gespeichert.")
            .arg(file);
    if (!QFileInfo::exists(file) && !canCreate(file))
        return QStringLiteral("Die Einstellungsdatei %1 kann nicht angelegt werden: Einstellungen werden in "
                              "diesem Lauf nicht gespeichert.")
            .arg(file);
    return QString();
}

TSettingsNotice::TSettingsNotice(QMainWindow *window, const QString &text) : QToolBar(window)
{
    setObjectName(QStringLiteral("SettingsNotice"));
    setMovable(false);
    setFloatable(false);
    toggleViewAction()->setVisible(false);
    setStyleSheet(QStringLiteral("QToolBar { background: #FFF4C0; border: none; }"));
    auto *icon = new QLabel(this);
    const int side = style()->pixelMetric(QStyle::PM_SmallIconSize);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(side, side));
    addWidget(icon);
    label = new QLabel(text, this);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    addWidget(label);
    QAction *close = addAction(QStringLiteral("×"));
    close->setToolTip(QStringLiteral("Schließen"));
    connect(close, &QAction::triggered, this, &QWidget::hide);
    window->addToolBar(Qt::TopToolBarArea, this);
}

QString TSettingsNotice::Text() const
{
    return label->text();
}
