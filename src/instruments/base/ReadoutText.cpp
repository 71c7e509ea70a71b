#include "ReadoutText.h"

#include "NumberFormat.h"

#include <algorithm>

namespace tg {

int ReadoutWidth(const TCanvas &c, const TSignalSettings &s)
{
    const QString sample = s.FormatSample();
    return std::max({c.TextWidth(sample), c.TextWidth(u'-' + sample),
                     c.TextWidth(FormatFloat(s.ValueFormat(), s.ValueFrom())),
                     c.TextWidth(FormatFloat(s.ValueFormat(), s.ValueTo()))});
}

QString FitReadout(const TCanvas &c, const QString &text, int width)
{
    if (c.TextWidth(text) <= width)
        return text;
    const int hash = std::max(1, c.TextWidth(QStringLiteral("#")));
    return QString(std::max(1, width / hash), u'#');
}

} // namespace tg
