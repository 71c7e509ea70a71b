#include "FeatureSettings.h"

#include "IniFileStorage.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QString kLastPort = QStringLiteral("Port\\LastPort");
const QString kLastBaud = QStringLiteral("Port\\LastBaud");
const QString kConnectAtStart = QStringLiteral("Port\\ConnectAtStart");
const QString kReconnect = QStringLiteral("Port\\Reconnect");

} // namespace

QString TFeatureSettings::fileBeside(const QString &mainFile)
{
    const QFileInfo main(mainFile);
    return main.dir().filePath(main.completeBaseName() + QStringLiteral("-features.ini"));
}

TFeatureSettings::TFeatureSettings(const QString &mainFile)
{
    if (mainFile.isEmpty())
        return; // kept for this run only
    m_file = std::make_unique<IniFileStorage>(fileBeside(mainFile));
    m_file->FlushOnDestroy = false;
    // A value that cannot be read keeps its default rather than stop the start.
    auto read = [](auto &&load) {
        try {
            load();
        } catch (const EStorageError &) {
        }
    };
    read([this] { m_lastPort = m_file->LoadText(kLastPort, QString()); });
    read([this] { m_lastBaud = m_file->LoadText(kLastBaud, QString()); });
    read([this] { m_connectAtStart = m_file->LoadBool(kConnectAtStart, false); });
    read([this] { m_reconnect = m_file->LoadBool(kReconnect, true); });
}

TFeatureSettings::~TFeatureSettings() = default;

QString TFeatureSettings::FileName() const
{
    return m_file ? m_file->FileName() : QString();
}

void TFeatureSettings::SetLastConnection(const QString &port, const QString &baud)
{
    if (port == m_lastPort && baud == m_lastBaud)
        return;
    m_lastPort = port;
    m_lastBaud = baud;
    save();
}

void TFeatureSettings::SetConnectAtStart(bool on)
{
    if (on == m_connectAtStart)
        return;
    m_connectAtStart = on;
    save();
}

void TFeatureSettings::SetReconnect(bool on)
{
    if (on == m_reconnect)
        return;
    m_reconnect = on;
    save();
}

void TFeatureSettings::save()
{
    if (!m_file || m_failed)
        return;
    // A folder that takes no new file is reported once, by the main settings file saved into
    // it at the end; a second complaint about it would say nothing new.
    const QFileInfo file(m_file->FileName());
    if (!file.exists() && !QFileInfo(file.absolutePath()).isWritable())
        return;
    m_file->StoreText(kLastPort, m_lastPort);
    m_file->StoreText(kLastBaud, m_lastBaud);
    m_file->StoreBool(kConnectAtStart, m_connectAtStart);
    m_file->StoreBool(kReconnect, m_reconnect);
    // Said once: later changes are kept for the run only.
    m_failed = !m_file->SaveFile();
}
