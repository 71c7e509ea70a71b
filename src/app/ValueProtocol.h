#pragma once
// The text messages "#<id>M<value><" exchanged with the device: parsing an inbound packet and
// the conversions the panel applies to its value. Pure functions, so every rule can be tested
// without a window.
#include <QByteArrayView>
#include <QChar>
#include <QString>
#include <cstdint>
#include <optional>

namespace tg::app {

// Strict integer: blanks, optional sign, decimal digits or hex digits after "$", "x", "X",
// "0x", "0X". Empty text, any other character or an overflow of int32 fail.
std::optional<int32_t> parseId(QStringView text);

// The value conversion with the separator swap: with "." as separator the first "," becomes
// "."; otherwise the first "." becomes the separator. Fails on anything the strict decimal
// syntax rejects; a number too large for a double reads as the largest double (of its sign),
// so that callers tell it from malformed text.
std::optional<double> parseValue(QString text, QChar decimalSeparator);

// A factor kept in a hint text; 1.0 when the text is not a number (also when empty).
double factorFromHint(const QString &hint, QChar decimalSeparator);

// Ids 35 to 39 carry text, never a number.
constexpr bool isTextId(int32_t id)
{
    return id >= 35 && id <= 39;
}

struct Packet {
    int32_t id = 0;
    QByteArrayView value; // the value's bytes, inside the packet given to parsePacket
    float number = 1.0f; // a malformed value reads as 1.0; not formed for text ids
    bool converted = false; // number was read from the value text
    // The value as text, decoded from the single-byte line encoding.
    QString text() const;
};

// Splits a framed packet ("#", id, "M", value, one closing character), without a copy or an
// allocation for a number that fits a short buffer. Empty for a packet
// that must be ignored: wrong start, too short, no valid id, or a number beyond the single
// range (which no instrument could show).
std::optional<Packet> parsePacket(QByteArrayView packet, QChar decimalSeparator);

// The seven-segment caption of value: fixed notation with `decimals` decimals and the given
// separator, padded with blanks to |width| (on the left, or on the right for a negative
// width). Empty for negative decimals and for a value that is not finite. When the integer
// part with sign and padding needs more than `cells` positions the caption is a dash in every
// cell, so a too large number never reads as a smaller one.
// The value is a product of two singles, which a double holds exactly, so its text is the
// same as at any wider precision.
std::optional<QString> sevenSegCaption(double value, int width, int decimals, int cells,
                                       QChar decimalSeparator);

// The LED byte: the number truncated towards zero when it lies in (-1, 256).
std::optional<uint8_t> ledByte(float number);

} // namespace tg::app
