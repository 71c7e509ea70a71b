#include "MeterFields.h"

#include "FormatSettings.h"
#include "NumberFormat.h"
#include "NumberParse.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tg::config {

namespace {

using Options = TGvVMeter::TGvVMeterOptions;
constexpr Options BaseOptions = TGvVMeter::opValue | TGvVMeter::opName1 | TGvVMeter::opName2 | TGvVMeter::opUnit;

} // namespace

double FactorFromHint(const QString &hint, QChar decimalSeparator, bool *valid)
{
    if (valid)
        *valid = true;
    if (hint.isEmpty())
        return 1.0;
    QString text = hint;
    if (decimalSeparator == QLatin1Char('.')) {
        const qsizetype i = text.indexOf(QLatin1Char(','));
        if (i >= 0)
            text[i] = QLatin1Char('.');
    } else {
        const qsizetype i = text.indexOf(QLatin1Char('.'));
        if (i >= 0)
            text[i] = decimalSeparator;
    }
    double v = 0;
    if (tg::parseDecimal(text, decimalSeparator, v))
        return v;
    if (valid)
        *valid = false;
    return 1.0;
}

QString HintFromFactor(double factor)
{
    return FormatGeneral(static_cast<double>(static_cast<float>(factor)), FormatSettings());
}

void WriteRange(TSignalSettings *signal, float from, float to)
{
    const float oldFrom = signal->ValueFrom(), oldTo = signal->ValueTo();
    if (from == oldTo && to == oldFrom && from != to) {
        const float beyond = std::nextafter(std::max(from, to), std::numeric_limits<float>::infinity());
        if (std::isfinite(beyond))
            signal->SetValueTo(beyond);
    }
    if (from == signal->ValueTo() && to != signal->ValueFrom()) {
        signal->SetValueTo(to);
        signal->SetValueFrom(from);
    } else {
        signal->SetValueFrom(from);
        signal->SetValueTo(to);
    }
}

std::optional<TFrameBoxes> FrameBoxesFromOptions(Options options)
{
    if ((options & ~Options(TGvVMeter::opBevelInner | TGvVMeter::opBevelOuter)) != BaseOptions)
        return std::nullopt;
    return TFrameBoxes{options.testFlag(TGvVMeter::opBevelOuter), options.testFlag(TGvVMeter::opBevelInner)};
}

Options OptionsFromFrameBoxes(TFrameBoxes boxes)
{
    Options o = BaseOptions;
    if (boxes.inner)
        o |= TGvVMeter::opBevelInner;
    if (boxes.outer)
        o |= TGvVMeter::opBevelOuter;
    return o;
}

} // namespace tg::config
