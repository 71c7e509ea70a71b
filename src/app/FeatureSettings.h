#pragma once
// Settings of the port conveniences (the port and rate last connected with, connecting at
// start, reconnecting a lost device) and of the journal's views (the status strip, how much
// the journal keeps, marking stale instruments) in a file of their own beside the main settings file,
// "<name>-features.ini", so the main file keeps exactly the keys it always had.
#include "Journal.h"

#include <QString>
#include <memory>

class IniFileStorage;

class TFeatureSettings {
public:
    // mainFile: the main settings file; its sibling holds these settings. Without one they
    // are kept for the run only.
    explicit TFeatureSettings(const QString &mainFile);
    ~TFeatureSettings();

    // "Tavelgrid-features.ini" beside "Tavelgrid.ini", "s-features.ini" beside "s.ini".
    static QString fileBeside(const QString &mainFile);
    QString FileName() const; // empty when there is no file

    QString LastPort() const { return m_lastPort; }
    QString LastBaud() const { return m_lastBaud; }
    bool ConnectAtStart() const { return m_connectAtStart; }
    bool Reconnect() const { return m_reconnect; }
    bool StatusStrip() const { return m_statusStrip; }
    tg::journal::Limits JournalLimits() const { return m_journalLimits; }
    // Instruments without a new value for StaleSeconds() are dimmed, when StaleMarking() is on.
    bool StaleMarking() const { return m_staleMarking; }
    int StaleSeconds() const { return m_staleSeconds; }

    // Each change is written at once, so it survives however the program ends; setting what is
    // already set writes nothing.
    void SetLastConnection(const QString &port, const QString &baud);
    void SetConnectAtStart(bool on);
    void SetReconnect(bool on);
    void SetStatusStrip(bool on);
    void SetStaleMarking(bool on);
    void SetStaleSeconds(int seconds);

private:
    void save();

    std::unique_ptr<IniFileStorage> m_file;
    QString m_lastPort, m_lastBaud;
    bool m_connectAtStart = false;
    bool m_reconnect = true;
    bool m_statusStrip = false;
    tg::journal::Limits m_journalLimits;
    bool m_staleMarking = false;
    int m_staleSeconds = 10;
    bool m_failed = false; // a save failed and was reported
};
