#include "FormatSettings.h"

#include <QLocale>
#include <QRegularExpression>
#include <optional>

namespace {
unsigned generation = 0;

std::optional<TFormatSettings> &current()
{
    static std::optional<TFormatSettings> fs;
    return fs;
}

// Drops the time-zone part ("t", "tt", "ttt", "tttt") with the blanks before it.
QString withoutZone(QString format)
{
    static const QRegularExpression zone(QStringLiteral("\\s*t+"));
    format.remove(zone);
    return format.trimmed();
}
} // namespace

TFormatSettings TFormatSettings::fromSystem()
{
    const QLocale loc = QLocale::system();
    TFormatSettings fs;
    const QString dp = loc.decimalPoint();
    const QString gs = loc.groupSeparator();
    if (!dp.isEmpty())
        fs.DecimalSeparator = dp.at(0);
    if (!gs.isEmpty())
        fs.ThousandSeparator = gs.at(0);
    fs.ShortDateFormat = loc.dateFormat(QLocale::ShortFormat);
    fs.LongTimeFormat = withoutZone(loc.timeFormat(QLocale::LongFormat));
    return fs;
}

TFormatSettings TFormatSettings::dot()
{
    TFormatSettings fs;
    fs.DecimalSeparator = QLatin1Char('.');
    fs.ThousandSeparator = QLatin1Char(',');
    fs.ShortDateFormat = QStringLiteral("yyyy-MM-dd");
    fs.LongTimeFormat = QStringLiteral("HH:mm:ss");
    return fs;
}

TFormatSettings TFormatSettings::comma()
{
    TFormatSettings fs;
    fs.DecimalSeparator = QLatin1Char(',');
    fs.ThousandSeparator = QLatin1Char('.');
    fs.ShortDateFormat = QStringLiteral("dd.MM.yyyy");
    fs.LongTimeFormat = QStringLiteral("HH:mm:ss");
    return fs;
}

QString TFormatSettings::formatShortDate(const QDateTime &dt) const
{
    // QLocale::c() keeps month and day names independent of the environment.
    return QLocale::c().toString(dt.date(), ShortDateFormat);
}

QString TFormatSettings::formatLongTime(const QDateTime &dt) const
{
    return QLocale::c().toString(dt.time(), LongTimeFormat);
}

const TFormatSettings &FormatSettings()
{
    auto &fs = current();
    if (!fs)
        fs = TFormatSettings::fromSystem();
    return *fs;
}

TFormatSettings SetFormatSettings(const TFormatSettings &fs)
{
    TFormatSettings previous = FormatSettings();
    current() = fs;
    ++generation;
    return previous;
}

unsigned FormatSettingsGeneration() { return generation; }
