#include "PropertyQuantity.h"

#include "ValueText.h"

#include <vexil/Exception.h>
#include <vexil/UtilityBox.h>

#include <QLocale>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

VEXIL_TYPESYSTEM_SOURCE(Obj::PropertyQuantity, Obj::PropertyDecimal)
VEXIL_TYPESYSTEM_SOURCE(Obj::PropertyQuantityConstraint, Obj::PropertyQuantity)
VEXIL_TYPESYSTEM_SOURCE(Obj::PropertyBCQuantity, Obj::PropertyQuantity)
VEXIL_TYPESYSTEM_SOURCE(Obj::PropertyBCQuantityConstraint, Obj::PropertyBCQuantity)
VEXIL_TYPESYSTEM_SOURCE(Obj::PropertyInputBC, Obj::Property)
VEXIL_TYPESYSTEM_SOURCE(Obj::PropertyQuantityVector, Obj::PropertyVector)
VEXIL_TYPESYSTEM_SOURCE(Obj::PropertyVector3D, Obj::PropertyQuantityVector)
VEXIL_TYPESYSTEM_SOURCE(Obj::PropertyBCQuantityVector, Obj::PropertyQuantityVector)

namespace Obj {

namespace {

// The property editor's mark for "no value": never a number to convert.
const double NoValue = std::ldexp(1.0, -100);

// Numbers in files and value texts are C-locale numbers without group separators.
const QLocale& plainNumbers()
{
    static const QLocale locale = [] {
        QLocale c = QLocale::c();
        c.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
        return c;
    }();
    return locale;
}

std::string quotedText(const std::string& text)
{
    return "'" + ValueText::printable(Vexil::UtilityBox::trimmed(text)) + "'";
}

std::string unitName(pmUnit::UnitType unit)
{
    const QString symbol = pmUnit::UnitsManager::getUnitSymbol(unit);
    return symbol.isEmpty() ? std::string("numbers without unit") : symbol.toStdString();
}

// How a conversion that left the normal numbers failed, in words that follow the amount.
std::string outside(pmUnit::Quantity::Fit fit, pmUnit::UnitType unit)
{
    return fit == pmUnit::Quantity::BelowSmallest ? " is below the smallest normal number in " + unitName(unit)
                                                  : " is beyond the largest number in " + unitName(unit);
}

// Why an amount cannot be held in `unit`: its number there is the mark for "no value".
std::string markReason(pmUnit::UnitType unit)
{
    return " is in " + unitName(unit) + " the number that stands for no value: it cannot be held in "
        + unitName(unit);
}

// How strictly an amount's text is read.  What the user types may leave out the unit (the
// number is then in the units shown); what a file or a copy holds was written by the
// program, which always names the unit, so a bare number there has no known meaning.
enum class Reading { Typed, Written };

// A number with an optional unit, in `unit` (converted from a unit of the same kind);
// empty, or why the text is not taken.  `typed` and `typedUnit`, when given, receive the
// number as the text gave it and its unit (`unit` for a bare number).
std::string readQuantity(const std::string& text, pmUnit::UnitType unit, double& out, double* typed = nullptr,
                         pmUnit::UnitType* typedUnit = nullptr, Reading reading = Reading::Typed)
{
    if (reading == Reading::Written) {
        // The program writes an amount with plain blanks only: an invisible character at
        // either end (a byte-order mark, a no-break or a line separator) would be dropped
        // unseen on the next save.
        // (Led by a blank: the decoding would drop a leading byte-order mark unseen.)
        const QString t = QString::fromStdString(" " + Vexil::UtilityBox::trimmed(text)).mid(1);
        for (const QChar end : {t.isEmpty() ? QChar() : t.front(), t.isEmpty() ? QChar() : t.back()})
            if (!end.isNull() && (end.isSpace() || end.category() == QChar::Other_Format))
                return quotedText(text) + " holds an invisible character (U+"
                    + QString::number(end.unicode(), 16).toUpper().rightJustified(4, QLatin1Char('0')).toStdString()
                    + ") at an end of its amount";
    }
    try {
        const pmUnit::Quantity q = pmUnit::Quantity::parse(
            QString::fromStdString(text), plainNumbers(),
            pmUnit::Quantity(0.0, pmUnit::UnitsManager::getUnitSymbol(unit)).getQuantityKind());
        pmUnit::Quantity converted;
        if (!q.convertTo(unit, converted)) {
            const QString kind = pmUnit::UnitsManager::getQuantityName(q.getQuantityKind()).toLower();
            const std::string what = kind.isEmpty() ? std::string("of another kind") : "a " + kind.toStdString();
            if (unit == pmUnit::NoUnit)
                return quotedText(text) + " is " + what + ": this value takes no unit";
            return quotedText(text) + " is " + what + ", not a value in " + unitName(unit);
        }
        const bool bare = q.getUnitType() == pmUnit::NoUnit;
        // Whose units the number was meant in cannot be told: the writer's are not known.
        if (bare && reading == Reading::Written && unit != pmUnit::NoUnit && q.getValue() != NoValue)
            return quotedText(text) + " names no unit: an amount read from a file or a copy must name its unit ("
                + unitName(unit) + " or another of its kind)";
        if (typed)
            *typed = q.getValue();
        if (typedUnit)
            *typedUnit = bare ? unit : q.getUnitType();
        // Only a bare number is the mark: one with a unit is an amount.
        if (bare && q.getValue() == NoValue) {
            out = NoValue;
            return {};
        }
        if (converted.getValue() == NoValue)
            return quotedText(text) + markReason(unit);
        // A number in the property's own unit is taken as it is, a denormal one too.
        const pmUnit::Quantity::Fit fit = bare || q.getUnitType() == unit
            ? pmUnit::Quantity::Fits
            : pmUnit::Quantity::fit(q.getValue(), converted.getValue());
        if (fit != pmUnit::Quantity::Fits)
            return quotedText(text) + outside(fit, unit);
        out = converted.getValue();
        return {};
    }
    catch (const Vexil::ExceptionHandler& e) {
        return e.get_message();
    }
}

std::vector<std::string> splitEntries(const std::string& text)
{
    std::string v = Vexil::UtilityBox::trimmed(text);
    if (v.size() >= 2 && ((v.front() == '(' && v.back() == ')') || (v.front() == '[' && v.back() == ']')))
        v = v.substr(1, v.size() - 2);
    std::vector<std::string> parts;
    std::string current;
    for (char c : v) {
        if (c == ',') {
            parts.push_back(Vexil::UtilityBox::trimmed(current));
            current.clear();
        } else {
            current += c;
        }
    }
    parts.push_back(Vexil::UtilityBox::trimmed(current));
    return parts;
}

// `value` from one unit to another of the same kind; false when they measure different
// things.  A difference (a step) converts without the offset of a temperature scale.
bool convertNumber(double& value, pmUnit::pmQuantity kind, pmUnit::UnitType from, pmUnit::UnitType to,
                   bool difference = false, bool mark = true)
{
    if (from == to || (mark && value == NoValue))
        return true;
    pmUnit::Quantity converted, zero;
    if (!pmUnit::Quantity(value, kind, from).convertTo(to, converted)
        || !pmUnit::Quantity(0.0, kind, from).convertTo(to, zero))
        return false;
    value = converted.getValue() - (difference ? zero.getValue() : 0.0);
    return true;
}

// `noValue`: the number is the mark for no value (written bare), not an amount.
std::string withUnit(double value, pmUnit::UnitType unit, bool noValue)
{
    std::string text = pmUnit::shortestText(value).toStdString();
    const QString symbol = pmUnit::UnitsManager::getUnitSymbol(unit);
    if (!noValue && !symbol.isEmpty())
        text += " " + symbol.toStdString();
    return text;
}

// Stores a value without telling the container: a change of unit is no edit.
template <class P, class V>
void setQuietly(P& property, const V& value)
{
    PropertyContainer* owner = property.get_container();
    property.set_container(nullptr);
    property.set_value(value);
    property.set_container(owner);
}

// The reason a boundary-condition text is refused, with its number and type when taken.
std::string readLoad(const std::string& text, pmUnit::UnitType unit, int currentType, double& number, int& type,
                     double* typed = nullptr, pmUnit::UnitType* typedUnit = nullptr, Reading reading = Reading::Typed)
{
    const std::size_t bar = text.find('|');
    long parsed = currentType;
    if (bar != std::string::npos) {
        const std::string typeText = text.substr(bar + 1);
        if (!ValueText::parseInteger(typeText, parsed) || parsed < LoadConstant || parsed > LoadFree)
            return quotedText(typeText) + " is not a load value type (1 constant, 2 tabular, 3 function, 4 free)";
    }
    const std::string why = readQuantity(text.substr(0, bar), unit, number, typed, typedUnit, reading);
    if (why.empty())
        type = static_cast<int>(parsed);
    return why;
}

// The limits of a value: as held (in the property's unit, for the reason) and as given.
struct Limits
{
    Constraints held;
    double given[3];
    pmUnit::UnitType givenUnits[3];
};

template <class P>
std::unique_ptr<Limits> limitsOf(const P& property)
{
    if (!property.getConstraints())
        return nullptr;
    auto limits = std::make_unique<Limits>();
    limits->held = *property.getConstraints();
    property.given_limits(limits->given, limits->givenUnits);
    return limits;
}

// Whether `amount` (in `unit`) lies within `limits`.  The amount as given is compared with
// the limits as given, without rounding: a conversion to the units shown could carry a
// number just past a limit onto it, and the verdict would depend on the unit system.
bool within(double amount, pmUnit::UnitType unit, const Limits& limits)
{
    return amount == NoValue
        || (pmUnit::Quantity::compare(amount, unit, limits.given[0], limits.givenUnits[0]) >= 0
            && pmUnit::Quantity::compare(amount, unit, limits.given[1], limits.givenUnits[1]) <= 0);
}

// Why the amount `typed` in `typedUnit` (read from `text`) is not within `limits`, shown
// in `unit`; empty when it is.
std::string outsideLimits(const std::string& text, double typed, pmUnit::UnitType typedUnit, pmUnit::UnitType unit,
                          const Limits* limits)
{
    if (!limits || within(typed, typedUnit, *limits))
        return {};
    return quotedText(text) + " lies outside " + withUnit(limits->held.minimum, unit, false) + " to "
        + withUnit(limits->held.maximum, unit, false);
}

std::string readLimited(const std::string& text, pmUnit::UnitType unit, const Limits* limits, double& number,
                        double* typed = nullptr, pmUnit::UnitType* typedUnit = nullptr,
                        Reading reading = Reading::Typed)
{
    double amount = 0.0;
    pmUnit::UnitType amountUnit = unit;
    const std::string why = readQuantity(text, unit, number, &amount, &amountUnit, reading);
    if (typed)
        *typed = amount;
    if (typedUnit)
        *typedUnit = amountUnit;
    return why.empty() ? outsideLimits(text, amount, amountUnit, unit, limits) : why;
}

// A boundary-condition value with limits: its number is held to them whatever its type.
std::string readLimitedLoad(const std::string& text, pmUnit::UnitType unit, const Limits* limits,
                            int currentType, double& number, int& type, double* typed = nullptr,
                            pmUnit::UnitType* typedUnit = nullptr, Reading reading = Reading::Typed)
{
    double amount = 0.0;
    pmUnit::UnitType amountUnit = unit;
    const std::string why = readLoad(text, unit, currentType, number, type, &amount, &amountUnit, reading);
    if (typed)
        *typed = amount;
    if (typedUnit)
        *typedUnit = amountUnit;
    return why.empty() ? outsideLimits(text.substr(0, text.find('|')), amount, amountUnit, unit, limits) : why;
}

std::string readInputBC(const std::string& text, pmUnit::UnitType unit, const double current[3], bool enabled[3],
                        double values[3], double typed[3] = nullptr, pmUnit::UnitType typedUnits[3] = nullptr,
                        Reading reading = Reading::Typed)
{
    const std::vector<std::string> parts = splitEntries(text);
    if (parts.size() != 3)
        return quotedText(text) + " does not hold three entries, each a number or Free";
    for (std::size_t i = 0; i < 3; ++i) {
        enabled[i] = parts[i] != "Free";
        values[i] = enabled[i] ? 0.0 : current[i];
        if (typed) {
            typed[i] = values[i];
            typedUnits[i] = unit;
        }
        if (enabled[i]) {
            const std::string why = readQuantity(parts[i], unit, values[i], typed ? &typed[i] : nullptr,
                                                 typed ? &typedUnits[i] : nullptr, reading);
            if (!why.empty())
                return why;
        }
    }
    return {};
}

std::string readVector(const std::string& text, pmUnit::UnitType unit, double values[3], double typed[3] = nullptr,
                       pmUnit::UnitType typedUnits[3] = nullptr, Reading reading = Reading::Typed)
{
    const std::vector<std::string> parts = splitEntries(text);
    if (parts.size() != 3)
        return quotedText(text) + " does not hold three numbers";
    for (std::size_t i = 0; i < 3; ++i) {
        const std::string why = readQuantity(parts[i], unit, values[i], typed ? &typed[i] : nullptr,
                                             typed ? &typedUnits[i] : nullptr, reading);
        if (!why.empty())
            return why;
    }
    return {};
}

// The amount and its limits in another unit, all of them or none; `convertAmount(apply)`
// converts the amount itself.
template <class ConvertAmount>
bool convertWithLimits(const PropertyQuantity& amount, pmUnit::UnitType target, bool apply, bool hasConstraints,
                       Constraints& constraints, GivenNumbers& givenLimits, ConvertAmount convertAmount)
{
    const double limits[3] = {constraints.minimum, constraints.maximum, constraints.step};
    const bool step[3] = {false, false, true};
    double converted[3] = {limits[0], limits[1], limits[2]};
    if (hasConstraints
        && !givenLimits.convert(limits, 3, amount.getQuantityKind(), amount.getUnitType(), target, converted, step))
        return false;
    // The amount as given against the limits as given: what a unit change keeps.
    pmUnit::UnitType givenUnit = amount.getUnitType();
    const double given = amount.given_amount(givenUnit);
    double limitAmounts[3];
    pmUnit::UnitType limitUnits[3];
    givenLimits.amounts(limits, 3, amount.getUnitType(), limitAmounts, limitUnits);
    if (hasConstraints
        && !within(given, givenUnit, Limits{constraints, {limitAmounts[0], limitAmounts[1], limitAmounts[2]},
                                            {limitUnits[0], limitUnits[1], limitUnits[2]}}))
        return false;
    if (!apply)
        return convertAmount(false);
    const pmUnit::UnitType from = amount.getUnitType();
    if (!convertAmount(true))
        return false;
    if (hasConstraints) {
        givenLimits.remember(limits, 3, from, converted, target);
        constraints = {converted[0], converted[1], converted[2]};
    }
    return true;
}

} // namespace

bool GivenNumbers::unchangedSince(const double* numbers, int n, pmUnit::UnitType unit) const
{
    // Compared bit for bit: a number set anew, even an equal one, is given anew.
    return count == n && lastUnit == unit && std::memcmp(last, numbers, sizeof(double) * static_cast<std::size_t>(n)) == 0;
}

bool GivenNumbers::convert(const double* numbers, int n, pmUnit::pmQuantity kind, pmUnit::UnitType unit,
                           pmUnit::UnitType target, double* out, const bool* difference, std::string* why) const
{
    const bool fromGiven = unchangedSince(numbers, n, unit);
    for (int i = 0; i < n; ++i) {
        // The held number says whether this is the mark for no value; an amount given as
        // that very number in some unit is an amount like any other.
        const bool mark = numbers[i] == NoValue;
        const double source = mark ? NoValue : fromGiven ? given[i] : numbers[i];
        const pmUnit::UnitType from = mark ? target : fromGiven ? givenUnit[i] : unit;
        out[i] = source;
        if (!convertNumber(out[i], kind, from, target, difference && difference[i], mark))
            return false;
        if (!mark && out[i] == NoValue) {
            if (why)
                *why = markReason(target);
            return false;
        }
        const pmUnit::Quantity::Fit fit = from == target || mark
            ? pmUnit::Quantity::Fits
            : pmUnit::Quantity::fit(source, out[i]);
        if (fit != pmUnit::Quantity::Fits) {
            if (why)
                *why = outside(fit, target);
            return false;
        }
    }
    return true;
}

void GivenNumbers::remember(const double* numbers, int n, pmUnit::UnitType unit, const double* out,
                            pmUnit::UnitType target)
{
    if (!unchangedSince(numbers, n, unit)) {
        std::copy(numbers, numbers + n, given);
        std::fill(givenUnit, givenUnit + n, unit);
    }
    std::copy(out, out + n, last);
    lastUnit = target;
    count = n;
}

void GivenNumbers::give(const double* numbers, const pmUnit::UnitType* units, int n, const double* held,
                        pmUnit::UnitType heldUnit)
{
    std::copy(numbers, numbers + n, given);
    std::copy(units, units + n, givenUnit);
    std::copy(held, held + n, last);
    lastUnit = heldUnit;
    count = n;
}

void GivenNumbers::amounts(const double* numbers, int n, pmUnit::UnitType unit, double* out,
                           pmUnit::UnitType* units) const
{
    const bool fromGiven = unchangedSince(numbers, n, unit);
    for (int i = 0; i < n; ++i) {
        out[i] = fromGiven ? given[i] : numbers[i];
        units[i] = fromGiven ? givenUnit[i] : unit;
    }
}

pmUnit::Quantity PropertyQuantity::getQuantityValue() const
{
    return pmUnit::Quantity(get_value(), kind, unit);
}

bool PropertyQuantity::set_value_text(const std::string& text)
{
    double parsed = 0.0, typed = 0.0;
    pmUnit::UnitType typedUnit = unit;
    if (!readQuantity(text, unit, parsed, &typed, &typedUnit).empty())
        return false;
    set_value(parsed);
    keep_given(typed, typedUnit);
    return true;
}

void PropertyQuantity::keep_given(double number, pmUnit::UnitType givenUnit)
{
    const double held = get_value();
    given.give(&number, &givenUnit, 1, &held, unit);
}

double PropertyQuantity::given_amount(pmUnit::UnitType& givenUnit) const
{
    const double held = get_value();
    double out = held;
    given.amounts(&held, 1, unit, &out, &givenUnit);
    return out;
}

bool PropertyQuantity::convert_unit(pmUnit::UnitType target, bool apply)
{
    const double v = get_value();
    double converted = v;
    if (!given.convert(&v, 1, kind, unit, target, &converted))
        return false;
    if (!apply)
        return true;
    given.remember(&v, 1, unit, &converted, target);
    setQuietly(*this, converted);
    unit = target;
    return true;
}

bool PropertyQuantityConstraint::convert_unit(pmUnit::UnitType target, bool apply)
{
    return convertWithLimits(*this, target, apply, hasConstraints, constraints, givenLimits,
                             [this, target](bool really) { return PropertyQuantity::convert_unit(target, really); });
}

void PropertyQuantityConstraint::given_limits(double amounts[3], pmUnit::UnitType units[3]) const
{
    const double held[3] = {constraints.minimum, constraints.maximum, constraints.step};
    givenLimits.amounts(held, 3, getUnitType(), amounts, units);
}

void PropertyQuantityConstraint::setConstraints(double minimum, double maximum, double step)
{
    constraints = {minimum, maximum, step};
    hasConstraints = true;
}

bool PropertyQuantityConstraint::set_value_text(const std::string& text)
{
    double parsed = 0.0, typed = 0.0;
    pmUnit::UnitType typedUnit = getUnitType();
    if (!readLimited(text, getUnitType(), limitsOf(*this).get(), parsed, &typed, &typedUnit).empty())
        return false;
    set_value(parsed);
    keep_given(typed, typedUnit);
    return true;
}

void PropertyBCQuantity::setLoadValueType(int type)
{
    about_to_set_value();
    loadType = type;
    has_set_value();
}

void PropertyBCQuantity::set_value_no_event(double v)
{
    // The container is told nothing: it is detached while the number is stored.
    PropertyContainer* owner = get_container();
    set_container(nullptr);
    set_value(v);
    set_container(owner);
}

std::string PropertyBCQuantity::get_value_text() const
{
    std::string text = PropertyDecimal::get_value_text();
    if (loadType != LoadConstant)
        text += "|" + std::to_string(loadType);
    return text;
}

bool PropertyBCQuantity::set_value_text(const std::string& text)
{
    double parsed = 0.0, typed = 0.0;
    pmUnit::UnitType typedUnit = getUnitType();
    int type = loadType;
    if (!readLoad(text, getUnitType(), loadType, parsed, type, &typed, &typedUnit).empty())
        return false;
    if (type != loadType)
        loadType = type;
    set_value(parsed);
    keep_given(typed, typedUnit);
    return true;
}

void PropertyBCQuantityConstraint::setConstraints(double minimum, double maximum, double step)
{
    constraints = {minimum, maximum, step};
    hasConstraints = true;
}

void PropertyBCQuantityConstraint::setConstraints(double minimum, double maximum, double step,
                                                  pmUnit::UnitType limitUnit)
{
    const double given[3] = {minimum, maximum, step};
    const pmUnit::UnitType units[3] = {limitUnit, limitUnit, limitUnit};
    double held[3] = {minimum, maximum, step};
    for (int i = 0; i < 3; ++i)
        convertNumber(held[i], getQuantityKind(), limitUnit, getUnitType(), i == 2);
    setConstraints(held[0], held[1], held[2]);
    givenLimits.give(given, units, 3, held, getUnitType());
}

bool PropertyBCQuantityConstraint::set_value_text(const std::string& text)
{
    double parsed = 0.0;
    int type = getLoadValueType();
    if (!readLimitedLoad(text, getUnitType(), limitsOf(*this).get(), type, parsed, type).empty())
        return false;
    return PropertyBCQuantity::set_value_text(text);
}

bool PropertyBCQuantityConstraint::convert_unit(pmUnit::UnitType target, bool apply)
{
    return convertWithLimits(*this, target, apply, hasConstraints, constraints, givenLimits,
                             [this, target](bool really) { return PropertyBCQuantity::convert_unit(target, really); });
}

void PropertyBCQuantityConstraint::given_limits(double amounts[3], pmUnit::UnitType units[3]) const
{
    const double held[3] = {constraints.minimum, constraints.maximum, constraints.step};
    givenLimits.amounts(held, 3, getUnitType(), amounts, units);
}

void PropertyInputBC::getBCValues(bool enabled[3], double values[3]) const
{
    for (int i = 0; i < 3; ++i) {
        enabled[i] = given[i];
        values[i] = numbers[i];
    }
}

void PropertyInputBC::setBCValues(const bool enabled[3], const double values[3])
{
    // A component whose number stays (bit for bit) keeps the amount it was given as; the
    // others are given anew, in the property's unit.
    double amounts[3];
    pmUnit::UnitType units[3];
    givenNumbers.amounts(numbers, 3, unit, amounts, units);
    about_to_set_value();
    for (int i = 0; i < 3; ++i) {
        given[i] = enabled[i];
        if (std::memcmp(&numbers[i], &values[i], sizeof(double)) != 0) {
            amounts[i] = values[i];
            units[i] = unit;
        }
        numbers[i] = values[i];
    }
    givenNumbers.give(amounts, units, 3, numbers, unit);
    has_set_value();
}

std::string PropertyInputBC::get_value_text() const
{
    std::string text = "(";
    for (int i = 0; i < 3; ++i) {
        if (i)
            text += ", ";
        text += given[i] ? Vexil::UtilityBox::exact_number_text(numbers[i]) : std::string("Free");
    }
    return text + ")";
}

bool PropertyInputBC::set_value_text(const std::string& text)
{
    bool enabled[3];
    double values[3], typed[3];
    pmUnit::UnitType typedUnits[3];
    if (!readInputBC(text, unit, numbers, enabled, values, typed, typedUnits).empty())
        return false;
    setBCValues(enabled, values);
    givenNumbers.give(typed, typedUnits, 3, numbers, unit);
    return true;
}

void PropertyInputBC::given_amounts(double values[3], pmUnit::UnitType units[3]) const
{
    givenNumbers.amounts(numbers, 3, unit, values, units);
}

bool PropertyInputBC::convert_unit(pmUnit::UnitType target, bool apply)
{
    double converted[3];
    if (!givenNumbers.convert(numbers, 3, kind, unit, target, converted))
        return false;
    if (!apply)
        return true;
    givenNumbers.remember(numbers, 3, unit, converted, target);
    std::copy(converted, converted + 3, numbers);
    unit = target;
    return true;
}

bool PropertyQuantityVector::set_value_text(const std::string& text)
{
    Vexil::Vector3d plain;
    double v[3], typed[3];
    pmUnit::UnitType typedUnits[3] = {unit, unit, unit};
    if (ValueText::parseVector(text, plain)) {
        if (!PropertyVector::set_value_text(text))
            return false;
        const Vexil::Vector3d& held = get_value();
        const double numbers[3] = {held.x, held.y, held.z};
        given.give(numbers, typedUnits, 3, numbers, unit);
        return true;
    }
    if (!readVector(text, unit, v, typed, typedUnits).empty())
        return false;
    set_value(v[0], v[1], v[2]);
    const Vexil::Vector3d& held = get_value();
    const double numbers[3] = {held.x, held.y, held.z};
    given.give(typed, typedUnits, 3, numbers, unit);
    return true;
}

void PropertyQuantityVector::given_amounts(double values[3], pmUnit::UnitType units[3]) const
{
    const Vexil::Vector3d& held = get_value();
    const double numbers[3] = {held.x, held.y, held.z};
    given.amounts(numbers, 3, unit, values, units);
}

bool PropertyQuantityVector::convert_unit(pmUnit::UnitType target, bool apply)
{
    const Vexil::Vector3d& v = get_value();
    const double numbers[3] = {v.x, v.y, v.z};
    double converted[3];
    if (!given.convert(numbers, 3, kind, unit, target, converted))
        return false;
    if (!apply)
        return true;
    given.remember(numbers, 3, unit, converted, target);
    setQuietly(*this, Vexil::Vector3d(converted[0], converted[1], converted[2]));
    unit = target;
    return true;
}

std::string valueTextWithUnits(const Property& property)
{
    if (const auto* q = dynamic_cast<const PropertyQuantity*>(&property)) {
        pmUnit::UnitType unit = q->getUnitType();
        const double number = q->given_amount(unit);
        std::string text = withUnit(number, unit, q->get_value() == NoValue);
        const auto* bc = dynamic_cast<const PropertyBCQuantity*>(&property);
        if (bc && bc->getLoadValueType() != LoadConstant)
            text += "|" + std::to_string(bc->getLoadValueType());
        return text;
    }
    if (const auto* input = dynamic_cast<const PropertyInputBC*>(&property)) {
        bool given[3];
        double values[3], amounts[3];
        pmUnit::UnitType units[3];
        input->getBCValues(given, values);
        input->given_amounts(amounts, units);
        std::string text = "(";
        for (int i = 0; i < 3; ++i) {
            if (i)
                text += ", ";
            text += given[i] ? withUnit(amounts[i], units[i], values[i] == NoValue) : std::string("Free");
        }
        return text + ")";
    }
    if (const auto* vector = dynamic_cast<const PropertyQuantityVector*>(&property)) {
        if (pmUnit::UnitsManager::getUnitSymbol(vector->getUnitType()).isEmpty())
            return vector->get_value_text();
        double amounts[3];
        pmUnit::UnitType units[3];
        vector->given_amounts(amounts, units);
        const Vexil::Vector3d& held = vector->get_value();
        return "(" + withUnit(amounts[0], units[0], held.x == NoValue) + ", "
            + withUnit(amounts[1], units[1], held.y == NoValue) + ", " + withUnit(amounts[2], units[2], held.z == NoValue)
            + ")";
    }
    return property.get_value_text();
}

std::string amountText(double number, pmUnit::UnitType unit)
{
    return withUnit(number, unit, number == NoValue);
}

namespace {

// The unit `property` takes under `units`, or -1 for a property without one.
pmUnit::UnitType unitUnder(const Property& property, const pmUnit::UnitsData& units)
{
    using Manager = pmUnit::UnitsManager;
    if (const auto* q = dynamic_cast<const PropertyQuantity*>(&property))
        return Manager::getDefaultUnitType(q->getQuantityKind(), units);
    if (const auto* input = dynamic_cast<const PropertyInputBC*>(&property))
        return Manager::getDefaultUnitType(input->getQuantityKind(), units);
    if (const auto* vector = dynamic_cast<const PropertyQuantityVector*>(&property))
        return Manager::getDefaultUnitType(vector->getQuantityKind(), units);
    return -1;
}

// Why the amounts of `property` do not go into `target`: the first one that does not.
std::string whyNotIn(const Property& property, pmUnit::UnitType target)
{
    double amounts[3] = {0.0, 0.0, 0.0};
    pmUnit::UnitType units[3] = {pmUnit::NoUnit, pmUnit::NoUnit, pmUnit::NoUnit};
    if (const auto* q = dynamic_cast<const PropertyQuantity*>(&property))
        amounts[0] = q->given_amount(units[0]);
    else if (const auto* input = dynamic_cast<const PropertyInputBC*>(&property))
        input->given_amounts(amounts, units);
    else if (const auto* vector = dynamic_cast<const PropertyQuantityVector*>(&property))
        vector->given_amounts(amounts, units);
    for (int i = 0; i < 3; ++i) {
        pmUnit::Quantity converted;
        if (amounts[i] == NoValue || units[i] == target
            || !pmUnit::Quantity(amounts[i], pmUnit::Dimensionless, units[i]).convertTo(target, converted))
            continue;
        const pmUnit::Quantity::Fit fit = pmUnit::Quantity::fit(amounts[i], converted.getValue());
        if (fit != pmUnit::Quantity::Fits)
            return outside(fit, target);
    }
    std::unique_ptr<Limits> limits;
    pmUnit::UnitType unit = pmUnit::NoUnit;
    if (const auto* limited = dynamic_cast<const PropertyQuantityConstraint*>(&property)) {
        limits = limitsOf(*limited);
        unit = limited->getUnitType();
    } else if (const auto* limitedLoad = dynamic_cast<const PropertyBCQuantityConstraint*>(&property)) {
        limits = limitsOf(*limitedLoad);
        unit = limitedLoad->getUnitType();
    }
    for (int i = 0; i < 3; ++i) {
        pmUnit::Quantity converted(amounts[i], pmUnit::Dimensionless, units[i]);
        if ((units[i] == target || converted.convertTo(target, converted)) && converted.getValue() == NoValue)
            return markReason(target);
    }
    if (limits && !within(amounts[0], units[0], *limits))
        return " lies outside " + withUnit(limits->held.minimum, unit, false) + " to "
            + withUnit(limits->held.maximum, unit, false);
    return outside(pmUnit::Quantity::BeyondLargest, target);
}

bool convertTo(Property& property, pmUnit::UnitType target, bool apply)
{
    if (auto* q = dynamic_cast<PropertyQuantity*>(&property))
        return q->convert_unit(target, apply);
    if (auto* input = dynamic_cast<PropertyInputBC*>(&property))
        return input->convert_unit(target, apply);
    if (auto* vector = dynamic_cast<PropertyQuantityVector*>(&property))
        return vector->convert_unit(target, apply);
    return true;
}

} // namespace

bool convertToUnits(Property& property, const pmUnit::UnitsData& units)
{
    const pmUnit::UnitType target = unitUnder(property, units);
    if (target < 0)
        return false;
    convertTo(property, target, true);
    return true;
}

std::string unitsProblem(const Property& property, const pmUnit::UnitsData& units)
{
    const pmUnit::UnitType target = unitUnder(property, units);
    // Only a look: nothing is converted.
    if (target < 0 || convertTo(const_cast<Property&>(property), target, false))
        return {};
    return valueTextWithUnits(property) + whyNotIn(property, target);
}

namespace {

std::string textProblem(const Property& property, const std::string& text, Reading reading)
{
    double number = 0.0;
    if (const auto* limitedLoad = dynamic_cast<const PropertyBCQuantityConstraint*>(&property)) {
        int type = limitedLoad->getLoadValueType();
        return readLimitedLoad(text, limitedLoad->getUnitType(), limitsOf(*limitedLoad).get(), type, number, type,
                               nullptr, nullptr, reading);
    }
    if (const auto* bc = dynamic_cast<const PropertyBCQuantity*>(&property)) {
        int type = bc->getLoadValueType();
        return readLoad(text, bc->getUnitType(), type, number, type, nullptr, nullptr, reading);
    }
    if (const auto* limited = dynamic_cast<const PropertyQuantityConstraint*>(&property))
        return readLimited(text, limited->getUnitType(), limitsOf(*limited).get(), number, nullptr, nullptr, reading);
    if (const auto* q = dynamic_cast<const PropertyQuantity*>(&property))
        return readQuantity(text, q->getUnitType(), number, nullptr, nullptr, reading);
    if (const auto* input = dynamic_cast<const PropertyInputBC*>(&property)) {
        bool enabled[3], given[3];
        double current[3], values[3];
        input->getBCValues(given, current);
        return readInputBC(text, input->getUnitType(), current, enabled, values, nullptr, nullptr, reading);
    }
    if (const auto* vector = dynamic_cast<const PropertyQuantityVector*>(&property)) {
        // Plain numbers are the components of a vector without unit; written ones of a
        // kind with units name theirs.
        const bool unitless = pmUnit::UnitsManager::getUnitSymbol(vector->getUnitType()).isEmpty();
        Vexil::Vector3d plain;
        if ((reading == Reading::Typed || unitless) && ValueText::parseVector(text, plain))
            return {};
        double values[3];
        return readVector(text, vector->getUnitType(), values, nullptr, nullptr, reading);
    }
    return {};
}

} // namespace

std::string quantityTextProblem(const Property& property, const std::string& text)
{
    return textProblem(property, text, Reading::Typed);
}

std::string writtenAmountProblem(const Property& property, const std::string& text)
{
    return textProblem(property, text, Reading::Written);
}

} // namespace Obj
