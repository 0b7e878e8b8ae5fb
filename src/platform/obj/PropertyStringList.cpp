#include "PropertyStringList.h"

#include "ValueText.h"

#include <vexil/UtilityBox.h>

VEXIL_TYPESYSTEM_SOURCE(Obj::PropertyStringList, Obj::Property)
VEXIL_TYPESYSTEM_SOURCE(Obj::PropertyDecimalList, Obj::Property)
VEXIL_TYPESYSTEM_SOURCE(Obj::PropertyIntegerList, Obj::Property)

namespace Obj {

namespace {

// Parses every non-blank entry with `parse`; false when one does not parse.
template <typename T, typename Parse>
bool parseEntries(const std::string& text, std::vector<T>& out, Parse parse)
{
    std::vector<std::string> entries;
    if (!ValueText::parseList(text, entries))
        return false;
    std::vector<T> parsed;
    parsed.reserve(entries.size());
    for (const std::string& e : entries) {
        if (Vexil::UtilityBox::trimmed(e).empty())
            continue;
        T v{};
        if (!parse(e, v))
            return false;
        parsed.push_back(v);
    }
    out = std::move(parsed);
    return true;
}

} // namespace

void PropertyStringList::set_values(const std::vector<std::string>& v)
{
    about_to_set_value();
    values = v;
    has_set_value();
}

std::string PropertyStringList::get_value_text() const
{
    return ValueText::listText(values);
}

bool PropertyStringList::set_value_text(const std::string& text)
{
    std::vector<std::string> parsed;
    if (!ValueText::parseList(text, parsed))
        return false;
    set_values(parsed);
    return true;
}

void PropertyDecimalList::set_values(const std::vector<double>& v)
{
    about_to_set_value();
    values = v;
    has_set_value();
}

std::string PropertyDecimalList::get_value_text() const
{
    std::string text = "[";
    for (double v : values)
        text += Vexil::UtilityBox::exact_number_text(v) + ",";
    return text + "]";
}

bool PropertyDecimalList::set_value_text(const std::string& text)
{
    std::vector<double> parsed;
    if (!parseEntries(text, parsed, [](const std::string& e, double& v) { return ValueText::parseNumber(e, v); }))
        return false;
    set_values(parsed);
    return true;
}

void PropertyIntegerList::set_values(const std::vector<long>& v)
{
    about_to_set_value();
    values = v;
    has_set_value();
}

std::string PropertyIntegerList::get_value_text() const
{
    std::string text = "[";
    for (long v : values)
        text += std::to_string(v) + ",";
    return text + "]";
}

bool PropertyIntegerList::set_value_text(const std::string& text)
{
    std::vector<long> parsed;
    if (!parseEntries(text, parsed, [](const std::string& e, long& v) { return ValueText::parseInteger(e, v); }))
        return false;
    set_values(parsed);
    return true;
}

} // namespace Obj
