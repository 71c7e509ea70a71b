#pragma once
// Settings of the journal and its views (status strip shown, how much the journal keeps), in
// the features file beside the main settings file, "<name>-features.ini", so the main file
// keeps exactly the keys it always had.
#include "Journal.h"

#include <QString>
#include <memory>

class IniFileStorage;

class TJournalSettings {
public:
    // Without a main file the settings are kept for the run only.
    explicit TJournalSettings(const QString &mainFile);
    ~TJournalSettings();

    static QString fileBeside(const QString &mainFile);

    bool StatusStrip() const { return m_statusStrip; }
    tg::journal::Limits Limits() const { return m_limits; }

    // Written at once, so it survives however the program ends.
    void SetStatusStrip(bool on);

private:
    std::unique_ptr<IniFileStorage> m_file;
    bool m_statusStrip = false;
    tg::journal::Limits m_limits;
};
