#pragma once
// Percent-escaping ("%XX", upper-case hex) of the bytes a text layout reserves, and its
// inverse.  Header-only, so that libraries which do not link Vexil can share it.

#include <string>
#include <string_view>

namespace Vexil {

// The value of a hexadecimal digit of either case, or -1.
inline int hexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// Appends `byte` as two upper-case hex digits to a std::string or a QByteArray.
template <class Out>
void appendHexByte(Out& out, unsigned char byte)
{
    static const char digits[] = "0123456789ABCDEF";
    out += digits[byte >> 4];
    out += digits[byte & 15];
}

// Appends `text` to `out`, each byte for which `reserved(byte)` holds as "%XX" and the
// others (UTF-8 included) as they are.
template <class Out, class Reserved>
void percentEncodeTo(Out& out, std::string_view text, Reserved reserved)
{
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (reserved(byte)) {
            out += '%';
            appendHexByte(out, byte);
        } else {
            out += c;
        }
    }
}

template <class Reserved>
std::string percentEncoded(std::string_view text, Reserved reserved)
{
    std::string out;
    out.reserve(text.size());
    percentEncodeTo(out, text, reserved);
    return out;
}

// What to do with a "%" that is not followed by two hex digits.
enum class StrayPercent { Keep, Reject };

// Appends `text` to `out` with every "%XX" turned back into its byte.  With
// StrayPercent::Reject it stops at a stray "%" and returns false.
inline bool percentDecodeTo(std::string& out, std::string_view text, StrayPercent stray)
{
    out.reserve(out.size() + text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        const int hi = i + 2 < text.size() ? hexDigitValue(text[i + 1]) : -1;
        const int lo = i + 2 < text.size() ? hexDigitValue(text[i + 2]) : -1;
        if (hi >= 0 && lo >= 0) {
            out += static_cast<char>(hi * 16 + lo);
            i += 2;
        } else if (stray == StrayPercent::Keep) {
            out += '%';
        } else {
            return false;
        }
    }
    return true;
}

// The decoded text; a stray "%" stays as it is.
inline std::string percentDecoded(std::string_view text)
{
    std::string out;
    percentDecodeTo(out, text, StrayPercent::Keep);
    return out;
}

} // namespace Vexil
