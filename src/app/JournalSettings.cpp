#include "JournalSettings.h"

#include "IniFileStorage.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace {

const QString kStatusStrip = QStringLiteral("Journal\\StatusStrip");
const QString kMaxMinutes = QStringLiteral("Journal\\MaxMinutes");
const QString kMaxMiB = QStringLiteral("Journal\\MaxMiB");

} // namespace

QString TJournalSettings::fileBeside(const QString &mainFile)
{
    const QFileInfo main(mainFile);
    return main.dir().filePath(main.completeBaseName() + QStringLiteral("-features.ini"));
}

TJournalSettings::TJournalSettings(const QString &mainFile)
{
    if (mainFile.isEmpty())
        return;
    m_file = std::make_unique<IniFileStorage>(fileBeside(mainFile));
    // Nothing is written until something is changed: an unused feature leaves no file.
    m_file->FlushOnDestroy = false;
    // A value that cannot be read keeps its default rather than stop the start.
    try {
        m_statusStrip = m_file->LoadBool(kStatusStrip, m_statusStrip);
    } catch (const EStorageError &) {
    }
    try {
        const qint64 minutes = m_file->LoadInt(kMaxMinutes, m_limits.maxAge / 60000000);
        m_limits.maxAge = std::clamp<qint64>(minutes, 1, 7 * 24 * 60) * 60000000;
    } catch (const EStorageError &) {
    }
    try {
        const qint64 mib = m_file->LoadInt(kMaxMiB, qint64(m_limits.maxBytes >> 20));
        m_limits.maxBytes = size_t(std::clamp<qint64>(mib, 4, 64 * 1024)) << 20;
    } catch (const EStorageError &) {
    }
}

TJournalSettings::~TJournalSettings() = default;

void TJournalSettings::SetStatusStrip(bool on)
{
    m_statusStrip = on;
    if (!m_file)
        return;
    m_file->StoreBool(kStatusStrip, m_statusStrip);
    m_file->StoreInt(kMaxMinutes, m_limits.maxAge / 60000000);
    m_file->StoreInt(kMaxMiB, qint64(m_limits.maxBytes >> 20));
    m_file->SaveFile();
}
