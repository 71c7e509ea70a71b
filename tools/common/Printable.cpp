#include "Printable.h"

QByteArray printable(QByteArrayView bytes)
{
    static const char hex[] = "0123456789abcdef";
    QByteArray out;
    out.reserve(bytes.size());
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
        case '\\': out += "\\\\"; continue;
        case '\0': out += "\\0"; continue;
        case '\t': out += "\\t"; continue;
        case '\n': out += "\\n"; continue;
        case '\r': out += "\\r"; continue;
        default: break;
        }
        if (c < 0x20 || c >= 0x7F) {
            out += "\\x";
            out += hex[c >> 4];
            out += hex[c & 0xF];
        } else {
            out += char(c);
        }
    }
    return out;
}

void printLine(std::FILE *out, QByteArrayView bytes)
{
    const QByteArray text = printable(bytes) + '\n';
    std::fwrite(text.constData(), 1, size_t(text.size()), out);
    std::fflush(out);
}
