#include "Font.h"

#include "Numeric.h"

#include <QFontMetrics>
#include <array>
#include <cstdlib>

namespace {

struct NamedCharset {
    const char *name;
    TFontCharset charset;
};

const std::array<NamedCharset, 18> kCharsetNames = {{
    {"ANSI_CHARSET", ANSI_CHARSET},
    {"DEFAULT_CHARSET", DEFAULT_CHARSET},
    {"SYMBOL_CHARSET", SYMBOL_CHARSET},
    {"MAC_CHARSET", MAC_CHARSET},
    {"SHIFTJIS_CHARSET", SHIFTJIS_CHARSET},
    {"HANGEUL_CHARSET", HANGEUL_CHARSET},
    {"JOHAB_CHARSET", JOHAB_CHARSET},
    {"GB2312_CHARSET", GB2312_CHARSET},
    {"CHINESEBIG5_CHARSET", CHINESEBIG5_CHARSET},
    {"GREEK_CHARSET", GREEK_CHARSET},
    {"TURKISH_CHARSET", TURKISH_CHARSET},
    {"HEBREW_CHARSET", HEBREW_CHARSET},
    {"ARABIC_CHARSET", ARABIC_CHARSET},
    {"BALTIC_CHARSET", BALTIC_CHARSET},
    {"RUSSIAN_CHARSET", RUSSIAN_CHARSET},
    {"THAI_CHARSET", THAI_CHARSET},
    {"EASTEUROPE_CHARSET", EASTEUROPE_CHARSET},
    {"OEM_CHARSET", OEM_CHARSET},
}};

// a * b / c rounded half away from zero, as point/pixel conversions round.
int mulDiv(int a, int b, int c)
{
    const long long p = static_cast<long long>(a) * b;
    const long long q = (std::llabs(p) * 2 + c) / (2LL * c);
    return tg::saturate64<int>(p < 0 ? -q : q);
}

constexpr int kMaxPixelSize = 1000;

} // namespace

QString charsetToString(TFontCharset c)
{
    for (const auto &n : kCharsetNames)
        if (n.charset == c)
            return QString::fromLatin1(n.name);
    return QString::number(c.value);
}

std::optional<TFontCharset> charsetFromString(const QString &text)
{
    for (const auto &n : kCharsetNames)
        if (text.compare(QLatin1String(n.name), Qt::CaseInsensitive) == 0)
            return n.charset;
    int i = 0;
    if (i < text.size() && text[i] == u'+')
        ++i;
    if (i >= text.size())
        return std::nullopt;
    int v = 0;
    for (; i < text.size(); ++i) {
        const char16_t ch = text[i].unicode();
        if (ch < u'0' || ch > u'9')
            return std::nullopt;
        v = v * 10 + (ch - u'0');
        if (v > 255)
            return std::nullopt;
    }
    return TFontCharset(static_cast<quint8>(v));
}

TFont::TFont(QObject *parent) : QObject(parent) {}

void TFont::changed()
{
    if (m_lock > 0) {
        m_pending = true;
        return;
    }
    if (OnChange)
        OnChange();
}

void TFont::SetCharset(TFontCharset v)
{
    if (v == m_charset)
        return;
    m_charset = v;
    changed();
}

void TFont::SetColor(TColor v)
{
    if (v == m_color)
        return;
    m_color = v;
    changed();
}

void TFont::SetHeight(int v)
{
    if (v == m_height)
        return;
    m_height = v;
    changed();
}

void TFont::SetName(const QString &v)
{
    if (v == m_name)
        return;
    m_name = v;
    changed();
}

void TFont::SetPitch(TFontPitch v)
{
    if (v == m_pitch)
        return;
    m_pitch = v;
    changed();
}

int TFont::Size() const
{
    return -mulDiv(m_height, 72, kPixelsPerInch);
}

void TFont::SetSize(int points)
{
    SetHeight(-mulDiv(points, kPixelsPerInch, 72));
}

void TFont::SetStyle(TFontStyles v)
{
    if (v == m_style)
        return;
    m_style = v;
    changed();
}

void TFont::Assign(const TFont &other)
{
    if (&other == this)
        return;
    ++m_lock;
    SetCharset(other.m_charset);
    SetColor(other.m_color);
    SetHeight(other.m_height);
    SetName(other.m_name);
    SetPitch(other.m_pitch);
    SetStyle(other.m_style);
    --m_lock;
    if (m_pending) {
        m_pending = false;
        changed();
    }
}

void TFont::installSubstitutions()
{
    static const bool done = [] {
        const QStringList sans = {QStringLiteral("Microsoft Sans Serif"),
                                  QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")};
        QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"), sans);
        QFont::insertSubstitutions(QStringLiteral("System"), {QStringLiteral("DejaVu Sans")});
        QFont::insertSubstitutions(QStringLiteral("Arial"),
                                   {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
        QFont::insertSubstitutions(QStringLiteral("Arial Narrow"),
                                   {QStringLiteral("Liberation Sans Narrow"),
                                    QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
        const QStringList mono = {QStringLiteral("Liberation Mono"),
                                  QStringLiteral("DejaVu Sans Mono")};
        QFont::insertSubstitutions(QStringLiteral("Courier"), mono);
        QFont::insertSubstitutions(QStringLiteral("Courier New"), mono);
        QFont::insertSubstitutions(QStringLiteral("Fixedsys"),
                                   {QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Liberation Mono")});
        return true;
    }();
    (void)done;
}

QFont TFont::toQFont() const
{
    installSubstitutions();
    QFont f(m_name);
    f.setBold(m_style.testFlag(fsBold)
              || m_name.compare(QLatin1String("System"), Qt::CaseInsensitive) == 0);
    f.setItalic(m_style.testFlag(fsItalic));
    f.setUnderline(m_style.testFlag(fsUnderline));
    f.setStrikeOut(m_style.testFlag(fsStrikeOut));

    if (m_height < 0) {
        f.setPixelSize(tg::clampInt(-static_cast<long long>(m_height), 1LL, (long long)kMaxPixelSize));
    } else if (m_height == 0) {
        f.setPixelSize(-mulDiv(-8, kPixelsPerInch, 72)); // the default size, 8 points
    } else {
        // A cell height: the pixel size whose line height comes closest to it.
        const int target = tg::clampInt(m_height, 1, kMaxPixelSize);
        int best = target;
        int bestDiff = -1;
        int px = tg::clampInt(target * 3 / 4, 1, kMaxPixelSize);
        for (int step = 0; step < 8; ++step) {
            f.setPixelSize(px);
            const int h = QFontMetrics(f).height();
            const int diff = std::abs(h - target);
            if (bestDiff < 0 || diff < bestDiff) {
                bestDiff = diff;
                best = px;
            }
            if (h == target)
                break;
            const int next = tg::clampInt(px + (target - h), 1, kMaxPixelSize);
            if (next == px)
                break;
            px = next;
        }
        f.setPixelSize(best);
    }
    return f;
}
