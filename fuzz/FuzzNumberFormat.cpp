// Number pictures come from the settings file (ValueFormat, ValueFormatLog), so the picture
// parser sees outside input. Input: 8 bytes of a double, then the picture as Latin-1.
#include "NumberFormat.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 8)
        return 0;
    double v;
    std::memcpy(&v, data, 8);
    const QString format = QString::fromLatin1(reinterpret_cast<const char *>(data + 8), qsizetype(size - 8));
    for (const TFormatSettings &fs : {TFormatSettings::dot(), TFormatSettings::comma()}) {
        const QString out = FormatFloat(format, v, fs);
        // Literal text is copied once, and every digit placeholder gives at most its digit and,
        // with grouping, one separator per three digits; the number itself never takes more
        // than a few hundred characters (huge values fall back to the general format).
        if (out.size() > format.size() + format.size() / 3 + 400)
            std::abort();
    }
    return 0;
}
