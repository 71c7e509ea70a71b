#pragma once
// The locale's number and date formats, read once from the system locale and replaceable by
// tests, so that a "," decimal separator can be tested on any machine. Nothing here follows
// setlocale().
#include <QChar>
#include <QDateTime>
#include <QString>

struct TFormatSettings {
    QChar DecimalSeparator = QLatin1Char('.');
    QChar ThousandSeparator = QLatin1Char(',');
    QString ShortDateFormat = QStringLiteral("dd.MM.yyyy"); // QLocale/QDateTime format syntax
    QString LongTimeFormat = QStringLiteral("HH:mm:ss");

    // From QLocale::system(): separators are the first character of the locale's strings; the
    // long time format loses its time-zone part.
    static TFormatSettings fromSystem();
    // Fixed "." / "," settings with ISO-like date and time, for tests.
    static TFormatSettings dot();
    // Fixed "," / "." settings, for tests.
    static TFormatSettings comma();

    QString formatShortDate(const QDateTime &dt) const;
    QString formatLongTime(const QDateTime &dt) const;
};

// The settings in force (taken from the system on first use).
const TFormatSettings &FormatSettings();
// Replaces the settings in force; returns the previous ones.
TFormatSettings SetFormatSettings(const TFormatSettings &fs);
// Counts the replacements, so that texts built with the settings can be cached.
unsigned FormatSettingsGeneration();

// Sets the format settings for the life of a scope (tests).
class TScopedFormatSettings {
public:
    explicit TScopedFormatSettings(const TFormatSettings &fs) : saved(SetFormatSettings(fs)) {}
    ~TScopedFormatSettings() { SetFormatSettings(saved); }
    TScopedFormatSettings(const TScopedFormatSettings &) = delete;
    TScopedFormatSettings &operator=(const TScopedFormatSettings &) = delete;

private:
    TFormatSettings saved;
};
