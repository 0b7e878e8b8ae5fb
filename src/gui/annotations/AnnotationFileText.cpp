#include "AnnotationFileText.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>

namespace annotationtext {

void appendDouble(std::string& out, double value)
{
    char buffer[64];
    // The shortest digits that read back exactly; six or fewer are written as six
    // significant digits always were, so files of such values keep their old form. One
    // conversion suffices for most values: the digit count is read off the shortest form.
    if (std::isfinite(value)) {
        const auto res = std::to_chars(buffer, buffer + sizeof buffer, value);
        const char* begin = buffer + (buffer[0] == '-');
        const char* end = res.ptr;
        const char* mantissaEnd = std::find(begin, end, 'e');
        const char* point = std::find(begin, mantissaEnd, '.');
        int digits = 0;
        if (*begin != '0' && point != mantissaEnd) {
            // "123.456" or "1.23456": every digit counts.
            digits = static_cast<int>(mantissaEnd - begin) - 1;
        } else {
            // Leading zeros do not count; trailing ones of a whole number only pad.
            int trailingZeros = 0;
            for (const char* p = begin; p < mantissaEnd; ++p) {
                if (*p == '0') {
                    if (digits) {
                        ++digits;
                        ++trailingZeros;
                    }
                } else if (*p != '.') {
                    ++digits;
                    trailingZeros = 0;
                }
            }
            if (point == mantissaEnd)
                digits -= trailingZeros;
        }
        if (digits > 6) {
            out.append(buffer, res.ptr);
            return;
        }
    }
    const auto res = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 6);
    out.append(buffer, res.ptr);
}

std::string formatDouble(double value)
{
    std::string out;
    appendDouble(out, value);
    return out;
}

namespace {
const char* skipBlanks(const char* p, const char* end)
{
    while (p < end && (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\v' || *p == '\f'))
        ++p;
    return p;
}
} // namespace

namespace {
bool blank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// What strtod gives for the number from p to q that a double cannot hold: infinity when it
// overflows, zero when it underflows.  Which one it is follows from the decimal magnitude:
// the digits before the point (leading zeros aside) plus the exponent; "1000…0" with no
// exponent overflows as "1e400" does.
double outOfRange(const char* p, const char* q)
{
    const bool negative = *p == '-';
    const char* at = negative ? p + 1 : p;
    while (at < q && *at == '0')
        ++at;
    long long magnitude = 0;
    while (at < q && *at >= '0' && *at <= '9') {
        ++magnitude;
        ++at;
    }
    const char* e = at;
    while (e < q && *e != 'e' && *e != 'E')
        ++e;
    if (e + 1 < q) {
        const char* digits = e + 1;
        const bool down = *digits == '-';
        if (*digits == '-' || *digits == '+')
            ++digits;
        long long exponent = 0;
        const auto parsed = std::from_chars(digits, q, exponent);
        if (parsed.ec == std::errc::result_out_of_range)
            exponent = LLONG_MAX / 4;
        magnitude += down ? -exponent : exponent;
    }
    return magnitude > 0 ? (negative ? -HUGE_VAL : HUGE_VAL) : 0.0;
}
} // namespace

NumberFit readDouble(std::string_view text, double& value)
{
    value = 0;
    const char* end = text.data() + text.size();
    const char* p = skipBlanks(text.data(), end);
    // One sign only: "+-20" is no number.
    if (p < end && *p == '+' && ++p < end && (*p == '-' || *p == '+'))
        return NumberFit::None;
    double read = 0;
    const auto res = std::from_chars(p, end, read);
    if (res.ptr == p)
        return NumberFit::None;
    value = res.ec == std::errc::result_out_of_range ? outOfRange(p, res.ptr) : read;
    return std::all_of(res.ptr, end, blank) ? NumberFit::Whole : NumberFit::Leading;
}

NumberFit readInt(std::string_view text, int& value)
{
    // Flags are single digits.
    if (text.size() == 1 && text[0] >= '0' && text[0] <= '9') {
        value = text[0] - '0';
        return NumberFit::Whole;
    }
    value = 0;
    const char* end = text.data() + text.size();
    const char* p = skipBlanks(text.data(), end);
    if (p < end && *p == '+' && ++p < end && (*p == '-' || *p == '+'))
        return NumberFit::None;
    long long read = 0;
    const auto res = std::from_chars(p, end, read);
    if (res.ptr == p)
        return NumberFit::None;
    if (res.ec == std::errc::result_out_of_range || read > INT_MAX || read < INT_MIN) {
        value = (*p == '-') ? INT_MIN : INT_MAX;
        return NumberFit::OutOfRange;
    }
    value = static_cast<int>(read);
    return std::all_of(res.ptr, end, blank) ? NumberFit::Whole : NumberFit::Leading;
}

double parseDouble(std::string_view text)
{
    double value = 0;
    readDouble(text, value);
    return value;
}

int parseInt(std::string_view text)
{
    int value = 0;
    readInt(text, value);
    return value;
}

NumberFit doubleFit(std::string_view text)
{
    double value = 0;
    return readDouble(text, value);
}

NumberFit intFit(std::string_view text)
{
    int value = 0;
    return readInt(text, value);
}

bool nonzeroDigits(std::string_view text)
{
    for (char c : text) {
        if (c == 'e' || c == 'E')
            return false;
        if (c >= '1' && c <= '9')
            return true;
    }
    return false;
}

int parseId(std::string_view text)
{
    const double value = parseDouble(text);
    if (!std::isfinite(value) || value >= 2147483648.0 || value <= -2147483649.0)
        return -1;
    return static_cast<int>(value);
}

std::string escape(std::string_view text)
{
    if (text.find_first_of("\\|\n\r") == std::string_view::npos)
        return std::string(text);
    std::string out;
    out.reserve(text.size() + 8);
    for (char c : text) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '|': out += "\\|"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        default: out += c;
        }
    }
    return out;
}

std::string unescape(std::string_view text)
{
    if (text.find('\\') == std::string_view::npos)
        return std::string(text);
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\\' && i + 1 < text.size()) {
            const char n = text[i + 1];
            if (n == '\\' || n == '|') {
                out += n;
                ++i;
                continue;
            }
            if (n == 'n' || n == 'r') {
                out += n == 'n' ? '\n' : '\r';
                ++i;
                continue;
            }
        }
        // A backslash before anything else is kept: older files wrote texts as they were.
        out += c;
    }
    return out;
}

std::vector<std::string_view> splitEscaped(std::string_view text)
{
    std::vector<std::string_view> pieces;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            ++i;
            continue;
        }
        if (text[i] == '|') {
            pieces.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    pieces.push_back(text.substr(start));
    return pieces;
}

} // namespace annotationtext
