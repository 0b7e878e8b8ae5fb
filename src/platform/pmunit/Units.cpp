#include "Units.h"

#include <vexil/Exception.h>
#include <vexil/PrintableText.h>

#include <QRegularExpression>
#include <QStringList>

#include <charconv>
#include <cstring>
#include <cmath>
#include <limits>

namespace pmUnit {

namespace {

enum class Dimension { None, Length, Force, Pressure, Temperature, Angle, Time, Mass };

struct SystemInfo
{
    const char* key;
    const char* label;
    const char* length;
    bool metric;
    // The system's units of length, force, pressure and mass.
    UnitType lengthUnit, forceUnit, pressureUnit, massUnit;
};

// Base units of each system: length, mass, force, time, voltage, current.
const SystemInfo systems[] = {
    {"MKS", "Metric (m, kg, N, s, V, A)", "m", true, Meter, Newton, Pascal, Kilogram},
    {"CMGS", "Metric (cm, g, dyne, s, V, A)", "cm", true, Centimeter, Dyne, DynePerSquareCentimeter, Gram},
    {"MMKS", "Metric (mm, kg, N, s, mV, mA)", "mm", true, Millimeter, Newton, Megapascal, Kilogram},
    {"NMMTON", "Metric (mm, t, N, s, mV, mA)", "mm", true, Millimeter, Newton, Megapascal, Tonne},
    {"MMDATS", "Metric (mm, dat, N, s, mV, mA)", "mm", true, Millimeter, Newton, Megapascal, Kilogram},
    {"UMKS", "Metric (um, kg, uN, s, V, mA)", "um", true, Micrometer, Micronewton, Megapascal, Kilogram},
    {"BFT", "U.S. Customary (ft, lbm, lbf, s, V, A)", "ft", false, Foot, PoundForce, Psi, PoundMass},
    {"BIN", "U.S. Customary (in, lbm, lbf, s, V, A)", "in", false, Inch, PoundForce, Psi, PoundMass},
};

const SystemInfo* findSystem(const QString& key)
{
    for (const auto& s : systems) {
        if (key == QLatin1String(s.key))
            return &s;
    }
    return nullptr;
}

struct UnitInfo
{
    UnitType unit;
    const char* symbol;
    Dimension dimension;
    double factor;   // to the SI unit
    double offset;   // added after the factor (temperatures)
};

const UnitInfo units[] = {
    {NoUnit, "", Dimension::None, 1.0, 0.0},
    {Meter, "m", Dimension::Length, 1.0, 0.0},
    {Centimeter, "cm", Dimension::Length, 1e-2, 0.0},
    {Millimeter, "mm", Dimension::Length, 1e-3, 0.0},
    {Micrometer, "um", Dimension::Length, 1e-6, 0.0},
    {Foot, "ft", Dimension::Length, 0.3048, 0.0},
    {Inch, "in", Dimension::Length, 0.0254, 0.0},
    {Newton, "N", Dimension::Force, 1.0, 0.0},
    {Kilonewton, "kN", Dimension::Force, 1e3, 0.0},
    {Micronewton, "uN", Dimension::Force, 1e-6, 0.0},
    {Dyne, "dyne", Dimension::Force, 1e-5, 0.0},
    {PoundForce, "lbf", Dimension::Force, 4.4482216152605, 0.0},
    {Pascal, "Pa", Dimension::Pressure, 1.0, 0.0},
    {Kilopascal, "kPa", Dimension::Pressure, 1e3, 0.0},
    {Megapascal, "MPa", Dimension::Pressure, 1e6, 0.0},
    {Gigapascal, "GPa", Dimension::Pressure, 1e9, 0.0},
    {DynePerSquareCentimeter, "dyne/cm^2", Dimension::Pressure, 0.1, 0.0},
    {Psi, "psi", Dimension::Pressure, 6894.757293168361, 0.0},
    {Celsius, "C", Dimension::Temperature, 1.0, 273.15},
    {Kelvin, "K", Dimension::Temperature, 1.0, 0.0},
    {Fahrenheit, "F", Dimension::Temperature, 5.0 / 9.0, 273.15 - 32.0 * 5.0 / 9.0},
    {Degree, "deg", Dimension::Angle, 3.14159265358979323846 / 180.0, 0.0},
    {Radian, "rad", Dimension::Angle, 1.0, 0.0},
    {Second, "s", Dimension::Time, 1.0, 0.0},
    {Kilogram, "kg", Dimension::Mass, 1.0, 0.0},
    {Gram, "g", Dimension::Mass, 1e-3, 0.0},
    {Tonne, "t", Dimension::Mass, 1e3, 0.0},
    {PoundMass, "lbm", Dimension::Mass, 0.45359237, 0.0},
};

const UnitInfo* unitInfo(UnitType u)
{
    for (const auto& info : units) {
        if (info.unit == u)
            return &info;
    }
    return nullptr;
}

struct KindInfo
{
    pmQuantity kind;
    const char* name;
    Dimension dimension;
};

const KindInfo kinds[] = {
    {Dimensionless, "Dimensionless", Dimension::None},
    {Length, "Length", Dimension::Length},
    {Force, "Force", Dimension::Force},
    {Pressure, "Pressure", Dimension::Pressure},
    {Temperature, "Temperature", Dimension::Temperature},
    {Angle, "Angle", Dimension::Angle},
    {Time, "Time", Dimension::Time},
    {Mass, "Mass", Dimension::Mass},
    {DisplacementX, "Displacement X", Dimension::Length},
    {DisplacementY, "Displacement Y", Dimension::Length},
    {DisplacementZ, "Displacement Z", Dimension::Length},
};

const KindInfo* kindInfo(pmQuantity k)
{
    for (const auto& info : kinds) {
        if (info.kind == k)
            return &info;
    }
    return nullptr;
}

pmQuantity kindOfDimension(Dimension d)
{
    for (const auto& info : kinds) {
        if (info.dimension == d)
            return info.kind;
    }
    return Dimensionless;
}

std::string quoted(const QString& text);

// The blanks a number may hold between its digit groups: space, no-break space and the
// narrow no-break space (the group sign of French and several other locales).
bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c.unicode() == 0x00A0 || c.unicode() == 0x202F;
}

// How a locale groups the digits of a whole number: the size of the last group and of
// each one before it (3 and 3 mostly, 3 and 2 in India: "1,50,000").
struct Grouping
{
    int last = 3;
    int others = 3;
};

Grouping groupingOf(const QLocale& locale)
{
    QLocale probe = locale;
    probe.setNumberOptions(QLocale::DefaultNumberOptions);
    const QStringList groups = probe.toString(qlonglong(1234567890123LL)).split(locale.groupSeparator());
    Grouping g;
    if (groups.size() >= 3 && !groups.last().isEmpty() && !groups.at(groups.size() - 2).isEmpty()) {
        g.last = groups.last().size();
        g.others = groups.at(groups.size() - 2).size();
    }
    return g;
}

bool groupedAs(const QStringList& groups, const Grouping& g)
{
    const QString& first = groups.first();
    if (first.isEmpty() || first.size() > (groups.size() == 2 ? g.last : g.others) || first[0] == QLatin1Char('0'))
        return false;
    for (int i = 1; i + 1 < groups.size(); ++i) {
        if (groups.at(i).size() != g.others)
            return false;
    }
    return groups.last().size() == g.last;
}

// "1,500" or "1,50,000": a whole number grouped as the locale groups it.
QString groupedExample(QChar gs, const Grouping& g)
{
    if (g.last == 3 && g.others == 3)
        return QStringLiteral("1") + gs + QStringLiteral("500");
    return QStringLiteral("1") + gs + QString(g.others, QLatin1Char('0')).replace(0, 1, QLatin1Char('5')) + gs
        + QString(g.last, QLatin1Char('0'));
}

// A number of `locale` as the C locale writes it: signs and decimal point mapped, group
// separators dropped where they stand between groups as the locale groups them (or in
// threes).  A sign that may mean something else under another habit ("0,500" for a half,
// "1.500" for fifteen hundred) is refused with the reason, never read as another number.
QString cNumberText(const QString& text, const QLocale& locale)
{
    const bool noGroups = locale.numberOptions() & QLocale::RejectGroupSeparator;
    const QChar dp = locale.decimalPoint();
    const QChar gs = locale.groupSeparator();
    QString t = text;
    if (locale.negativeSign() != QLatin1Char('-'))
        t.replace(locale.negativeSign(), QLatin1Char('-'));
    if (locale.positiveSign() != QLatin1Char('+'))
        t.replace(locale.positiveSign(), QLatin1Char('+'));
    int start = 0;
    while (start < t.size() && t[start].isSpace())
        ++start;
    if (start < t.size() && (t[start] == QLatin1Char('-') || t[start] == QLatin1Char('+')))
        ++start;
    // The number: digits, the signs that may stand in one, and blanks between two digits.
    int end = start;
    while (end < t.size()) {
        const QChar ch = t[end];
        if (isBlank(ch)) {
            if (end > start && t[end - 1].isDigit() && end + 1 < t.size() && t[end + 1].isDigit()) {
                ++end;
                continue;
            }
            break;
        }
        if (!ch.isDigit() && ch != dp && ch != gs && ch != QLatin1Char('.') && ch != QLatin1Char(','))
            break;
        ++end;
    }
    QString number = t.mid(start, end - start);
    const std::string shown = quoted(text.trimmed());
    int blankAt = -1;
    for (int k = 0; k < number.size() && blankAt < 0; ++k) {
        if (isBlank(number[k]))
            blankAt = k;
    }
    if (noGroups) {
        // Files and value texts: the C form, without groups.  A comma is refused as the
        // number's end (see trailingText).
        if (blankAt >= 0)
            throw Vexil::ExceptionHandler(shown + " is not read: numbers here are written without group separators "
                                                  "such as " + quoted(QString(number[blankAt])) + ", with "
                                          + quoted(QString(dp)) + " as the decimal sign");
        return t;
    }
    const Grouping grouping = groupingOf(locale);
    const bool blankGroups = isBlank(gs);
    const std::string signs = "under " + locale.name().toStdString() + ", " + quoted(QString(dp))
        + " is the decimal sign and " + quoted(QString(gs)) + " groups, as in " + quoted(groupedExample(gs, grouping));
    for (const QChar ch : qAsConst(number)) {
        if ((ch == QLatin1Char('.') || ch == QLatin1Char(',')) && ch != dp && ch != gs)
            throw Vexil::ExceptionHandler(shown + " is not read: " + signs);
    }
    if (blankGroups) {
        for (QChar& ch : number) {
            if (isBlank(ch))
                ch = gs;
        }
    } else if (blankAt >= 0) {
        throw Vexil::ExceptionHandler(shown + " is not read: a blank does not group digits here: " + signs);
    }
    const int dpAt = number.indexOf(dp);
    QString whole = dpAt < 0 ? number : number.left(dpAt);
    const QString fraction = dpAt < 0 ? QString() : number.mid(dpAt + 1);
    const bool hasPoint = dpAt >= 0;
    auto refuse = [&]() {
        const bool threes = grouping.last == 3 && grouping.others == 3;
        const std::string rule = quoted(QString(gs)) + " only separates groups of "
            + (threes ? "three digits" : "digits") + ", as in " + quoted(groupedExample(gs, grouping))
            + (threes ? "" : " or " + quoted(groupedExample(gs, Grouping())));
        if (blankGroups)
            throw Vexil::ExceptionHandler(shown + " is not read: under " + locale.name().toStdString() + ", " + rule
                                          + ", and " + quoted(QString(dp)) + " is the decimal sign");
        throw Vexil::ExceptionHandler("The decimal sign here is " + quoted(QString(dp)) + ", not " + quoted(QString(gs))
                                      + " (in " + shown + "): " + rule);
    };
    if (whole.contains(gs)) {
        const QStringList groups = whole.split(gs);
        if (!groupedAs(groups, grouping) && !groupedAs(groups, Grouping()))
            refuse();
        whole.remove(gs);
    }
    if (fraction.contains(dp))
        throw Vexil::ExceptionHandler(shown + " has more than one decimal sign");
    if (fraction.contains(gs))
        refuse();
    return t.left(start) + whole + (hasPoint ? QStringLiteral(".") + fraction : QString()) + t.mid(end);
}

QString componentText(double value, bool given, const QLocale& locale)
{
    return given ? locale.toString(value, 'g', 15) : QStringLiteral("Free");
}

QString userString(const Quantity& q, const QLocale& given)
{
    // Without group separators: the text reads back as it is shown, also where a
    // separator could be taken for the decimal sign of another habit.
    QLocale locale = given;
    locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    QString number;
    if (q.isVector()) {
        const Vexil::Vector3d v = q.getVector3DValue();
        const Flags3 f = q.getVectorBool();
        number = QStringLiteral("[%1, %2, %3]")
                     .arg(componentText(v.x, f.x, locale), componentText(v.y, f.y, locale),
                          componentText(v.z, f.z, locale));
    } else {
        number = locale.toString(q.getValue(), 'g', 15);
    }
    const QString unit = q.getUnitString();
    return unit.isEmpty() ? number : number + QLatin1Char(' ') + unit;
}

// Through the shared escaping: control, format and bidirectional characters in a refused
// text would otherwise reach the console and the log as they are.
std::string quoted(const QString& text)
{
    return "\"" + Vexil::printableText(text.toStdString()) + "\"";
}

bool isOperator(QChar ch)
{
    return QStringLiteral("*/+-^()\u00d7\u00f7").contains(ch);
}

// Why a text without a number is refused.
std::string notANumber(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return "No number given";
    bool digit = false;
    bool op = false;
    for (int k = 0; k < t.size(); ++k) {
        digit = digit || t[k].isDigit();
        const bool afterOperand = k > 0 && (t[k - 1].isDigit() || t[k - 1] == QLatin1Char(')') || t[k - 1].isSpace());
        op = op || (afterOperand && isOperator(t[k])) || t[k] == QLatin1Char('(');
    }
    if (digit && op)
        return "Expressions such as " + quoted(t) + " are not read: type the resulting number";
    return quoted(t) + " is not a number";
}

// Why the text after a number (`rest`, in the C form that the parser reads) is refused.
// A hint names only a unit of the expected kind (any unit for Dimensionless).
std::string trailingText(const QString& text, const QString& rest, const QLocale& locale, pmQuantity kind)
{
    const QString t = text.trimmed();
    const QChar first = rest.at(0);
    if (isOperator(first))
        return "Expressions such as " + quoted(t) + " are not read: type the resulting number";
    const QChar point = locale.decimalPoint();
    if ((locale.numberOptions() & QLocale::RejectGroupSeparator) && first == locale.groupSeparator()
        && first != point)
        return quoted(t) + " is not read: numbers here are written without group separators such as "
            + quoted(QString(first)) + ", with " + quoted(QString(point)) + " as the decimal sign";
    if (first == QLatin1Char('.') || first == QLatin1Char(',')) {
        // The parser reads the locale's decimal sign as ".": one left over is a second one.
        if (first == point || (first == QLatin1Char('.') && t.contains(point)))
            return quoted(t) + " has more than one decimal sign";
        return "The decimal sign here is " + quoted(QString(point)) + ", not " + quoted(QString(first)) + " (in "
            + quoted(t) + ")";
    }
    // A unit followed by more text, a unit in the wrong case, or no unit at all.
    const int blank = rest.indexOf(QRegularExpression(QStringLiteral("\\s")));
    if (blank > 0 && UnitsManager::findUnit(rest.left(blank)) > NoUnit)
        return "Unexpected " + quoted(rest.mid(blank).trimmed()) + " after the unit in " + quoted(t);
    const QString word = blank > 0 ? rest.left(blank) : rest;
    const KindInfo* expected = kindInfo(kind);
    const bool anyKind = !expected || expected->dimension == Dimension::None;
    for (const auto& u : units) {
        const QString symbol = QString::fromLatin1(u.symbol);
        if (!symbol.isEmpty() && (anyKind || u.dimension == expected->dimension) && symbol.compare(word, Qt::CaseInsensitive) == 0)
            return "Unknown unit " + quoted(word) + ": units are case-sensitive (" + quoted(symbol) + "?)";
    }
    return "Unknown unit " + quoted(rest) + " in " + quoted(t);
}

} // namespace

QString shortestText(double value)
{
    char buffer[64];
    const std::to_chars_result r = std::to_chars(buffer, buffer + sizeof buffer, value);
    return QString::fromLatin1(buffer, static_cast<int>(r.ptr - buffer));
}

// ---------------------------------------------------------------------------------

Quantity::Quantity(double value, const QString& unitSymbol)
{
    v.x = value;
    setUnit(unitSymbol);
}

Quantity::Quantity(double value, pmQuantity k, UnitType u) : kind(k), unit(u)
{
    v.x = value;
}

Quantity::Quantity(double x, double y, double z, pmQuantity k, UnitType u)
    : v(x, y, z), kind(k), unit(u), vector(true)
{
}

Quantity::Quantity(bool fx, bool fy, bool fz, double x, double y, double z, pmQuantity k, UnitType u)
    : v(x, y, z), flags{fx, fy, fz}, kind(k), unit(u), vector(true), flagged(true)
{
}

void Quantity::setUnitType(UnitType u)
{
    unit = u;
    hasGivenAmount = false;
    unknownSymbol.clear();
}

QString Quantity::getUnitString() const
{
    if (!unknownSymbol.isEmpty())
        return unknownSymbol;
    return UnitsManager::getUnitSymbol(unit);
}

void Quantity::setUnit(const QString& unitSymbol)
{
    hasGivenAmount = false;
    const UnitType u = UnitsManager::findUnit(unitSymbol);
    if (u < 0) {
        unit = NoUnit;
        unknownSymbol = unitSymbol;
        return;
    }
    unit = u;
    unknownSymbol.clear();
    if (kind == Dimensionless)
        kind = kindOfDimension(unitInfo(u)->dimension);
}

QString Quantity::getUserString() const
{
    return userString(*this, QLocale::c());
}

QString Quantity::getUserString2() const
{
    return userString(*this, QLocale());
}

bool Quantity::convertTo(UnitType target, Quantity& out) const
{
    const UnitInfo* from = unitInfo(unit);
    const UnitInfo* to = unitInfo(target);
    if (!to || !unknownSymbol.isEmpty())
        return false;
    Quantity result = *this;
    result.unit = target;
    if (!from || unit == NoUnit || unit == target) {
        out = result;
        return true;
    }
    if (from->dimension != to->dimension)
        return false;
    // To the 15 significant digits that values are shown and sent with: the factors are
    // not held exactly in binary, and "3 ft" is 914.4 mm, not 914.40000000000009.
    // Without offsets by one factor: the product with the first one alone could leave the
    // numbers (or their digits) on the way, near the largest or the smallest of them.
    const bool scaled = from->offset == 0.0 && to->offset == 0.0;
    const double ratio = from->factor / to->factor;
    auto convert = [from, to, scaled, ratio](double value) {
        const double converted =
            scaled ? value * ratio : (value * from->factor + from->offset - to->offset) / to->factor;
        // Zero keeps its sign (the text of -0 would lose it).
        if (!std::isfinite(value) || !std::isfinite(converted) || converted == 0.0)
            return converted;
        // What the result is in the unit it came from: it must stay a number there, so
        // that the amount can always go back.
        // As the conversion the other way computes it.
        auto back = [from, to, scaled](double r) {
            return scaled ? r * (to->factor / from->factor) : (r * to->factor + to->offset - from->offset) / from->factor;
        };
        double result = converted;
        bool ok = false;
        const double rounded = QString::number(converted, 'g', 15).toDouble(&ok);
        if (ok && std::isfinite(rounded) && std::isfinite(back(rounded)) && (rounded != 0.0 || converted == 0.0))
            result = rounded;
        // Near the largest number even the exact quotient may round past it.
        for (int k = 0; k < 64 && result != 0.0 && !std::isfinite(back(result)); ++k)
            result = std::nextafter(result, 0.0);
        return result;
    };
    result.v.x = convert(v.x);
    if (vector) {
        result.v.y = convert(v.y);
        result.v.z = convert(v.z);
    }
    out = result;
    return true;
}

Quantity::Fit Quantity::fit(double source, double converted)
{
    if (!std::isfinite(source) || source == 0.0)
        return Fits;
    if (!std::isfinite(converted))
        return BeyondLargest;
    if (std::fabs(converted) < std::numeric_limits<double>::min())
        return BelowSmallest;
    return Fits;
}

int Quantity::compare(double a, UnitType aUnit, double b, UnitType bUnit)
{
    const UnitInfo* ua = unitInfo(aUnit);
    const UnitInfo* ub = unitInfo(bUnit);
    long double x = a, y = b;
    // The same unit, or one side without unit (taken in the other's): the numbers as they are.
    if (aUnit != bUnit && ua && ub && aUnit != NoUnit && bUnit != NoUnit) {
        // In the SI unit, with the extended precision the conversion to a double rounds away.
        x = x * static_cast<long double>(ua->factor) + static_cast<long double>(ua->offset);
        y = y * static_cast<long double>(ub->factor) + static_cast<long double>(ub->offset);
    }
    return x < y ? -1 : (x > y ? 1 : 0);
}

Quantity Quantity::parse(const QString& text, const QLocale& locale, pmQuantity expected)
{
    const QString c = cNumberText(text, locale).trimmed();
    int i = 0;
    const int n = c.size();
    auto digits = [&]() {
        const int from = i;
        while (i < n && c[i].isDigit() && c[i].unicode() < 128)
            ++i;
        return i - from;
    };
    if (i < n && (c[i] == QLatin1Char('+') || c[i] == QLatin1Char('-')))
        ++i;
    int count = digits();
    if (i < n && c[i] == QLatin1Char('.')) {
        ++i;
        count += digits();
    }
    if (count == 0)
        throw Vexil::ExceptionHandler(notANumber(text));
    if (i < n && (c[i] == QLatin1Char('e') || c[i] == QLatin1Char('E'))) {
        const int mark = i++;
        if (i < n && (c[i] == QLatin1Char('+') || c[i] == QLatin1Char('-')))
            ++i;
        if (digits() == 0)
            i = mark;   // "2 e" is not an exponent; the rest is read as a unit and fails
    }
    bool ok = false;
    const double value = c.left(i).toDouble(&ok);
    if (!ok || !std::isfinite(value))
        throw Vexil::ExceptionHandler(quoted(text.trimmed()) + " is beyond the numbers that can be held");
    const QString symbol = c.mid(i).trimmed();
    Quantity q(value, Dimensionless, NoUnit);
    if (!symbol.isEmpty()) {
        const UnitType u = UnitsManager::findUnit(symbol);
        if (u <= NoUnit)
            throw Vexil::ExceptionHandler(trailingText(text, symbol, locale, expected));
        q.unit = u;
        q.kind = kindOfDimension(unitInfo(u)->dimension);
    }
    return q;
}

bool Quantity::operator==(const Quantity& o) const
{
    if (vector != o.vector || flagged != o.flagged || unit != o.unit || unknownSymbol != o.unknownSymbol
        || kind != o.kind)
        return false;
    // Bit for bit: -0 typed over 0 is a new amount, and the same number is equal to itself.
    auto same = [](double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; };
    if (!vector)
        return same(v.x, o.v.x);
    return same(v.x, o.v.x) && same(v.y, o.v.y) && same(v.z, o.v.z) && (!flagged || flags == o.flags);
}


UnitsManager* UnitsManager::_instance = nullptr;

UnitsManager* UnitsManager::instance()
{
    if (!_instance)
        _instance = new UnitsManager;
    return _instance;
}

void UnitsManager::initialize()
{
    instance();
}

void UnitsManager::destruct()
{
    delete _instance;
    _instance = nullptr;
}

bool UnitsManager::is_initialized()
{
    return _instance != nullptr;
}

bool UnitsManager::setSystemUnits(const QString& s)
{
    if (!findSystem(s))
        return false;
    system = s;
    return true;
}

bool UnitsManager::setAngleUnits(const QString& units)
{
    if (units != QLatin1String("Degrees") && units != QLatin1String("Radians"))
        return false;
    angle = units;
    return true;
}

bool UnitsManager::setAngularVelocityUnits(const QString& units)
{
    if (units != QLatin1String("rad/s") && units != QLatin1String("RPM"))
        return false;
    angularVelocity = units;
    return true;
}

bool UnitsManager::setTemperatureUnits(const QString& units)
{
    if (units != QLatin1String("Celsius") && units != QLatin1String("Kelvin")
        && units != QLatin1String("Fahrenheit"))
        return false;
    temperature = units;
    return true;
}

QString UnitsManager::getUnitStatusLabel() const
{
    const SystemInfo* s = findSystem(system);
    const QString base = s ? QString::fromLatin1(s->label) : system;
    return QStringList{base, angle, angularVelocity, temperature}.join(QLatin1Char(' '));
}

bool UnitsManager::IsLengthUnitInMetric() const
{
    const SystemInfo* s = findSystem(system);
    return !s || s->metric;
}

QString UnitsManager::lengthUnit() const
{
    const SystemInfo* s = findSystem(system);
    return QString::fromLatin1(s ? s->length : "m");
}

UnitType UnitsManager::getDefaultUnitType(pmQuantity kind) const
{
    return getDefaultUnitType(kind, getUnitsData());
}

UnitType UnitsManager::getDefaultUnitType(pmQuantity kind, const UnitsData& units)
{
    const KindInfo* k = kindInfo(kind);
    if (!k)
        return NoUnit;
    const SystemInfo* s = findSystem(units.system);
    switch (k->dimension) {
    case Dimension::Length: return s ? s->lengthUnit : Meter;
    case Dimension::Force: return s ? s->forceUnit : Newton;
    case Dimension::Pressure: return s ? s->pressureUnit : Pascal;
    case Dimension::Mass: return s ? s->massUnit : Kilogram;
    case Dimension::Time: return Second;
    case Dimension::Angle: return units.angle == QLatin1String("Radians") ? Radian : Degree;
    case Dimension::Temperature:
        if (units.temperature == QLatin1String("Kelvin"))
            return Kelvin;
        return units.temperature == QLatin1String("Fahrenheit") ? Fahrenheit : Celsius;
    case Dimension::None: break;
    }
    return NoUnit;
}

QString UnitsManager::getDefaultUnitTypeString(pmQuantity kind) const
{
    return getUnitSymbol(getDefaultUnitType(kind));
}

std::vector<UnitType> UnitsManager::getUnitTypes(pmQuantity kind)
{
    std::vector<UnitType> list;
    const KindInfo* k = kindInfo(kind);
    if (!k || k->dimension == Dimension::None)
        return list;
    for (const auto& u : units) {
        if (u.dimension == k->dimension)
            list.push_back(u.unit);
    }
    return list;
}

QString UnitsManager::getUnitSymbol(UnitType unit)
{
    const UnitInfo* u = unitInfo(unit);
    return u ? QString::fromLatin1(u->symbol) : QString();
}

UnitType UnitsManager::findUnit(const QString& symbol)
{
    for (const auto& u : units) {
        if (symbol == QLatin1String(u.symbol))
            return u.unit;
    }
    return -1;
}

QString UnitsManager::getQuantityName(pmQuantity kind)
{
    const KindInfo* k = kindInfo(kind);
    return k ? QString::fromLatin1(k->name) : QString();
}

QStringList UnitsManager::unitSystems()
{
    QStringList list;
    for (const auto& s : systems)
        list << QString::fromLatin1(s.key);
    return list;
}

QString UnitsManager::unitSystemLabel(const QString& key)
{
    const SystemInfo* s = findSystem(key);
    return s ? QString::fromLatin1(s->label) : QString();
}

std::vector<std::pair<QString, QString>> UnitsManager::unitSystemUnits(const QString& key)
{
    std::vector<std::pair<QString, QString>> list;
    const SystemInfo* s = findSystem(key);
    if (!s)
        return list;
    list.emplace_back(QStringLiteral("Length"), getUnitSymbol(s->lengthUnit));
    list.emplace_back(QStringLiteral("Mass"), getUnitSymbol(s->massUnit));
    list.emplace_back(QStringLiteral("Force"), getUnitSymbol(s->forceUnit));
    list.emplace_back(QStringLiteral("Pressure"), getUnitSymbol(s->pressureUnit));
    list.emplace_back(QStringLiteral("Time"), getUnitSymbol(Second));
    return list;
}

} // namespace pmUnit
