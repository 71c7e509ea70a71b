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

QString FitReadout(const TCanvas &c, const QString &text, int width, int &textWidth)
{
    textWidth = c.TextWidth(text);
    if (textWidth <= width)
        return text;
    const int hash = std::max(1, c.TextWidth(QStringLiteral("#")));
    const QString hashes(std::max(1, width / hash), u'#');
    textWidth = c.TextWidth(hashes);
    return hashes;
}

} // namespace tg
