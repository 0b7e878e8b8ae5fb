#pragma once
// Private helpers of the node classes for scene-file attribute values: numbers are written
// so they read back exactly and are parsed in the C locale.

#include <vexil/PercentCoding.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <locale>
#include <sstream>
#include <string>
#include <string_view>

namespace mrmlxml {

inline std::string formatDoubles(const double* v, int n)
{
    std::ostringstream os;
    os.imbue(std::locale::classic());
    os.precision(std::numeric_limits<double>::max_digits10);
    for (int i = 0; i < n; ++i)
        os << (i ? " " : "") << v[i];
    return os.str();
}

// Reads up to n blank-separated numbers; returns how many were read.
inline int parseDoubles(const char* text, double* v, int n)
{
    std::istringstream is(text ? text : "");
    is.imbue(std::locale::classic());
    int i = 0;
    for (; i < n; ++i)
        if (!(is >> v[i]))
            break;
    return i;
}

inline int parseInt(const char* text)
{
    return text ? std::atoi(text) : 0;
}

inline int parseFlag(const char* value)
{
    if (!value)
        return 0;
    if (std::strcmp(value, "true") == 0)
        return 1;
    if (std::strcmp(value, "false") == 0)
        return 0;
    return std::atoi(value) != 0 ? 1 : 0;
}

// An item of a ";"-separated list (with "key:value" items) written into one attribute:
// "%", ";" and ":" are percent-escaped so that an item holding them stays one item.
inline std::string escapeListItem(const std::string& item)
{
    return Vexil::percentEncoded(item, [](unsigned char c) { return c == '%' || c == ';' || c == ':'; });
}

// The inverse of escapeListItem; a "%" not followed by two hex digits stays as it is.
inline std::string unescapeListItem(const std::string& item)
{
    return Vexil::percentDecoded(item);
}

// Calls `item(key, rest)` for every "key:rest" item of a ";"-separated list, the key
// unescaped and the rest as written; an item without ":" is skipped.
template <class Item>
void forEachKeyedItem(std::string_view list, Item item)
{
    while (!list.empty()) {
        const size_t end = std::min(list.find(';'), list.size());
        const std::string_view entry = list.substr(0, end);
        const size_t colon = entry.find(':');
        if (colon != std::string_view::npos)
            item(Vexil::percentDecoded(entry.substr(0, colon)), std::string(entry.substr(colon + 1)));
        list.remove_prefix(std::min(end + 1, list.size()));
    }
}

} // namespace mrmlxml
