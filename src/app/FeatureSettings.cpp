#include "FeatureSettings.h"

#include "IniFileStorage.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace {

const QString kLastPort = QStringLiteral("Port\\LastPort");
const QString kLastBaud = QStringLiteral("Port\\LastBaud");
const QString kConnectAtStart = QStringLiteral("Port\\ConnectAtStart");
const QString kReconnect = QStringLiteral("Port\\Reconnect");
const QString kStatusStrip = QStringLiteral("Journal\\StatusStrip");
const QString kStaleMarking = QStringLiteral("Panel\\StaleMarking");
const QString kStaleSeconds = QStringLiteral("Panel\\StaleSeconds");
constexpr int kMaxStaleSeconds = 24 * 3600;
const QString kMaxMinutes = QStringLiteral("Journal\\MaxMinutes");
const QString kMaxMiB = QStringLiteral("Journal\\MaxMiB");
constexpr qint64 kMinute = 60 * 1000 * 1000;

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
    read([this] { m_statusStrip = m_file->LoadBool(kStatusStrip, false); });
    read([this] { m_staleMarking = m_file->LoadBool(kStaleMarking, false); });
    read([this] {
        m_staleSeconds = int(std::clamp<qint64>(m_file->LoadInt(kStaleSeconds, m_staleSeconds), 1, kMaxStaleSeconds));
    });
    read([this] {
        const qint64 minutes = m_file->LoadInt(kMaxMinutes, m_journalLimits.maxAge / kMinute);
        m_journalLimits.maxAge = std::clamp<qint64>(minutes, 1, 7 * 24 * 60) * kMinute;
    });
    read([this] {
        const qint64 mib = m_file->LoadInt(kMaxMiB, qint64(m_journalLimits.maxBytes >> 20));
        m_journalLimits.maxBytes = size_t(std::clamp<qint64>(mib, 4, 64 * 1024)) << 20;
    });
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

void TFeatureSettings::SetStatusStrip(bool on)
{
    if (on == m_statusStrip)
        return;
    m_statusStrip = on;
    save();
}

void TFeatureSettings::SetStaleMarking(bool on)
{
    if (on == m_staleMarking)
        return;
    m_staleMarking = on;
    save();
}

void TFeatureSettings::SetStaleSeconds(int seconds)
{
    seconds = std::clamp(seconds, 1, kMaxStaleSeconds);
    if (seconds == m_staleSeconds)
        return;
    m_staleSeconds = seconds;
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
    m_file->StoreBool(kStatusStrip, m_statusStrip);
    m_file->StoreBool(kStaleMarking, m_staleMarking);
    m_file->StoreInt(kStaleSeconds, m_staleSeconds);
    m_file->StoreInt(kMaxMinutes, m_journalLimits.maxAge / kMinute);
    m_file->StoreInt(kMaxMiB, qint64(m_journalLimits.maxBytes >> 20));
    // Said once: later changes are kept for the run only.
    m_failed = !m_file->SaveFile();
}
