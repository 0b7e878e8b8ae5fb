#include "ValueText.h"

#include <vexil/PrintableText.h>
#include <vexil/UtilityBox.h>

#include <locale>
#include <sstream>

namespace Obj {
namespace ValueText {

namespace {

template <typename T>
bool parseWhole(const std::string& text, T& out)
{
    const std::string v = Vexil::UtilityBox::trimmed(text);
    if (v.empty())
        return false;
    std::istringstream in(v);
    in.imbue(std::locale::classic());
    T parsed{};
    in >> parsed;
    if (in.fail() || !in.eof())
        return false;
    out = parsed;
    return true;
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

} // namespace

bool parseNumber(const std::string& text, double& out)
{
    return parseWhole(text, out);
}

bool parseInteger(const std::string& text, long& out)
{
    return parseWhole(text, out);
}

bool parseVector(const std::string& text, Vexil::Vector3d& out)
{
    std::string v = Vexil::UtilityBox::trimmed(text);
    if (v.size() >= 2 && ((v.front() == '(' && v.back() == ')') || (v.front() == '[' && v.back() == ']')))
        v = v.substr(1, v.size() - 2);
    std::vector<std::string> parts;
    std::string current;
    for (char c : v) {
        if (c == ',' || isBlank(c)) {
            if (!current.empty())
                parts.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty())
        parts.push_back(current);
    if (parts.size() != 3)
        return false;
    double n[3];
    for (int i = 0; i < 3; ++i) {
        if (!parseNumber(parts[static_cast<std::size_t>(i)], n[i]))
            return false;
    }
    out = Vexil::Vector3d(n[0], n[1], n[2]);
    return true;
}

std::string vectorText(const Vexil::Vector3d& v)
{
    using Vexil::UtilityBox;
    return "(" + UtilityBox::exact_number_text(v.x) + ", " + UtilityBox::exact_number_text(v.y) + ", "
        + UtilityBox::exact_number_text(v.z) + ")";
}

bool parseList(const std::string& text, std::vector<std::string>& out)
{
    const std::string v = Vexil::UtilityBox::trimmed(text);
    if (v.size() < 2 || v.front() != '[' || v.back() != ']')
        return false;
    static const std::string unicodeOpen = "unicode('";
    static const std::string unicodeClose = "', 'utf-8')";
    std::vector<std::string> entries;
    const std::size_t end = v.size() - 1;
    std::size_t i = 1;
    while (i < end) {
        while (i < end && isBlank(v[i]))
            ++i;
        if (i >= end)
            break;
        std::string entry;
        if (v.compare(i, unicodeOpen.size(), unicodeOpen) == 0) {
            i += unicodeOpen.size();
            bool closed = false;
            while (i < end) {
                if (v[i] == '\\' && i + 1 < end) {
                    entry += v[i + 1];
                    i += 2;
                } else if (v[i] == '\'') {
                    closed = v.compare(i, unicodeClose.size(), unicodeClose) == 0;
                    break;
                } else {
                    entry += v[i++];
                }
            }
            if (!closed)
                return false;
            i += unicodeClose.size();
            while (i < end && isBlank(v[i]))
                ++i;
            if (i < end && v[i] != ',')
                return false;
        } else {
            while (i < end && v[i] != ',') {
                if (v[i] == '\\' && i + 1 < end) {
                    entry += v[i + 1];
                    i += 2;
                } else {
                    entry += v[i++];
                }
            }
        }
        entries.push_back(entry);
        if (i < end)
            ++i;   // the comma after the entry
    }
    out = std::move(entries);
    return true;
}

std::string escaped(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '\\' || c == '\'' || c == ',' || c == '"')
            out += '\\';
        out += c;
    }
    return out;
}

std::string listText(const std::vector<std::string>& entries)
{
    std::string text = "[";
    for (const std::string& e : entries) {
        // Blanks before an entry are skipped when it is read: a leading one is escaped.
        if (!e.empty() && isBlank(e.front()))
            text += '\\';
        text += escaped(e) + ",";
    }
    return text + "]";
}

std::string unquoted(const std::string& text)
{
    if (text.size() < 2 || text.front() != '"' || text.back() != '"')
        return text;
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 1; i + 1 < text.size(); ++i) {
        if (text[i] == '\\' && i + 2 < text.size())
            ++i;
        out += text[i];
    }
    return out;
}

std::string quoted(const std::string& text)
{
    return "\"" + escaped(text) + "\"";
}

std::string printable(const std::string& text)
{
    return Vexil::printableText(text);
}

} // namespace ValueText
} // namespace Obj
