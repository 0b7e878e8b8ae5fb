#pragma once
// The units library: the active unit systems, the kinds of physical quantity with their
// units, and values with units (scalars, three-component vectors, vectors with flags).

#include <vexil/Vector3D.h>

#include <QLocale>
#include <QString>
#include <QStringList>

#include <string>
#include <utility>
#include <vector>

namespace pmUnit {

// The kind of physical quantity, as the library numbers it.
using pmQuantity = int;
// A unit, as the library numbers it.
using UnitType = int;

enum QuantityKind : pmQuantity {
    Dimensionless = 0,
    Length = 4,
    Force = 100,
    Pressure = 101,
    Temperature = 102,
    Angle = 103,
    Time = 104,
    Mass = 105,
    // Displacements along x, y and z: lengths that a boundary condition may leave free.
    DisplacementX = 269,
    DisplacementY = 270,
    DisplacementZ = 271,
};

enum Unit : UnitType {
    NoUnit = 0,
    Meter, Centimeter, Millimeter, Micrometer, Foot, Inch,
    Newton, Kilonewton, Micronewton, Dyne, PoundForce,
    Pascal, Kilopascal, Megapascal, Gigapascal, DynePerSquareCentimeter, Psi,
    Celsius, Kelvin, Fahrenheit,
    Degree, Radian,
    Second,
    Kilogram, Gram, Tonne, PoundMass,
};

struct Flags3
{
    bool x = true, y = true, z = true;
    bool operator==(const Flags3& o) const { return x == o.x && y == o.y && z == o.z; }
};

// A value with its kind and unit.  A vector quantity holds three components; one made
// with flags also tells for each component whether it is given (a clear flag: free).
class Quantity
{
public:
    Quantity() = default;
    // A scalar in the unit of that symbol; an unknown symbol is kept as text only.
    Quantity(double value, const QString& unitSymbol);
    Quantity(double value, pmQuantity kind, UnitType unit);
    Quantity(double x, double y, double z, pmQuantity kind, UnitType unit);
    Quantity(bool fx, bool fy, bool fz, double x, double y, double z, pmQuantity kind, UnitType unit);

    // A scalar's value, a vector's x component.
    double getValue() const { return v.x; }
    void setValue(double value) { v.x = value; hasGivenAmount = false; }
    // A scalar as its text gave it, when that was in another unit than the one it is
    // held in: the number and its unit, exactly.  Kept through conversions; a new value or
    // unit drops it.  Not part of the comparison: the amount is the same.
    void setGiven(double number, UnitType givenUnit)
    {
        givenNumberValue = number;
        givenUnitType = givenUnit;
        hasGivenAmount = true;
    }
    bool hasGiven() const { return hasGivenAmount; }
    double givenNumber() const { return hasGivenAmount ? givenNumberValue : v.x; }
    UnitType givenUnit() const { return hasGivenAmount ? givenUnitType : unit; }
    pmQuantity getQuantityKind() const { return kind; }
    void setQuantityKind(pmQuantity k) { kind = k; }
    UnitType getUnitType() const { return unit; }
    void setUnitType(UnitType u);
    // The unit's symbol ("mm", "N"; empty without a unit).
    QString getUnit() const { return getUnitString(); }
    QString getUnitString() const;
    void setUnit(const QString& unitSymbol);

    bool isVector() const { return vector; }
    bool hasFlags() const { return flagged; }
    Vexil::Vector3d getVector3DValue() const { return v; }
    void setVector3DValue(const Vexil::Vector3d& value) { v = value; }
    Flags3 getVectorBool() const { return flags; }

    // The number in the C locale (15 significant digits), a blank and the unit symbol; a
    // vector "[x, y, z] unit" with "Free" for a component whose flag is clear.
    QString getUserString() const;
    // The same in the user's locale (QLocale()), for showing in a table cell; no group
    // separators, so that the text reads back with parse as it is shown.
    QString getUserString2() const;

    // The quantity in another unit of the same dimension, to 15 significant digits; false
    // (and `out` untouched) when the units measure different things.  A quantity without
    // unit converts to any unit unchanged.  The rounding never carries a number past the
    // largest one its own unit can hold, so the result always converts back.  A number
    // beyond the largest one in the target unit comes out infinite, one below the smallest
    // normal number there loses digits or becomes 0: callers that keep it check (fit).
    bool convertTo(UnitType target, Quantity& out) const;

    // How the conversion of `source` to `converted` fits the numbers a double holds with
    // all its digits.
    enum Fit { Fits, BeyondLargest, BelowSmallest };
    static Fit fit(double source, double converted);

    // Whether amount `a` in `aUnit` is less than (-1), equal to (0) or more than (1) amount
    // `b` in `bUnit` of the same dimension, compared without the rounding of convertTo, so
    // that the verdict does not depend on the unit either is shown in.
    static int compare(double a, UnitType aUnit, double b, UnitType bUnit);

    // Reads a number with an optional unit symbol ("12.5", "-3e2 mm", "1,500 N", "1,5 kN" in
    // a decimal-comma locale, "1 500,5 N" in French, "1,50,000" in India).  Numbers follow
    // `locale`: its decimal sign, its signs, and its group sign only between groups as the
    // locale groups them (or in threes: a first group of one to three digits not starting
    // with 0); a space, a no-break or a narrow no-break space between digits is the group
    // sign where the locale groups with a blank.  A group sign anywhere else ("0,500", "1,5"
    // in the C locale), a blank between digits elsewhere, and a "." or "," that is neither
    // the locale's decimal nor its group sign ("1.500" in French) are refused with the
    // reason naming the signs, never read as another number.  With
    // QLocale::RejectGroupSeparator no group separator is taken.  The kind is the unit's
    // dimension (Dimensionless without unit).  The whole text must be read: for anything
    // else (an unknown or wrongly cased unit, text after it, an expression) it throws
    // Vexil::ExceptionHandler with a message that tells the user what is wrong; a
    // wrongly cased unit is named only among the units of the `expected` kind (any, for
    // Dimensionless).
    static Quantity parse(const QString& text, const QLocale& locale = QLocale::c(),
                          pmQuantity expected = Dimensionless);

    bool operator==(const Quantity& o) const;
    bool operator!=(const Quantity& o) const { return !(*this == o); }

private:
    Vexil::Vector3d v;
    Flags3 flags;
    pmQuantity kind = Dimensionless;
    UnitType unit = NoUnit;
    QString unknownSymbol;
    bool vector = false;
    bool flagged = false;
    bool hasGivenAmount = false;
    double givenNumberValue = 0.0;
    UnitType givenUnitType = NoUnit;
};

// The four unit choices that projects convert their values with.
struct UnitsData
{
    QString system;
    QString angle;
    QString angularVelocity;
    QString temperature;
    bool operator==(const UnitsData& o) const
    {
        return system == o.system && angle == o.angle && angularVelocity == o.angularVelocity
            && temperature == o.temperature;
    }
};

// The shortest text (C locale, no group separators) that reads back as exactly `value`;
// "-0" for negative zero, "inf"/"nan" for what no number is.
QString shortestText(double value);

class UnitsManager
{
public:
    static UnitsManager* instance();
    static void initialize();
    static void destruct();
    static bool is_initialized();

    // Each setter takes the settings text; an unknown text leaves the value unchanged
    // and returns false.
    bool setSystemUnits(const QString& system);             // "MKS", "CMGS", "MMKS", ...
    bool setAngleUnits(const QString& units);               // "Degrees", "Radians"
    bool setAngularVelocityUnits(const QString& units);     // "rad/s", "RPM"
    bool setTemperatureUnits(const QString& units);         // "Celsius", "Kelvin", "Fahrenheit"
    QString systemUnits() const { return system; }
    QString angleUnits() const { return angle; }
    QString angularVelocityUnits() const { return angularVelocity; }
    QString temperatureUnits() const { return temperature; }

    UnitsData getUnitsData() const { return {system, angle, angularVelocity, temperature}; }

    int getDecimals() const { return decimals; }
    void setDecimals(int d) { decimals = d; }

    // The status-bar text, e.g. "Metric (m, kg, N, s, V, A) Degrees rad/s Celsius".
    QString getUnitStatusLabel() const;
    bool IsLengthUnitInMetric() const;
    // The length unit of the system ("m", "cm", "mm", "um", "ft", "in").
    QString lengthUnit() const;

    // The unit a kind is shown in under the current choices; NoUnit for a kind without
    // units or one the library does not know.
    UnitType getDefaultUnitType(pmQuantity kind) const;
    QString getDefaultUnitTypeString(pmQuantity kind) const;
    // The same under the given choices (an unknown system counts as "MKS").
    static UnitType getDefaultUnitType(pmQuantity kind, const UnitsData& units);
    // Every unit a kind can be given in, in the library's order.
    static std::vector<UnitType> getUnitTypes(pmQuantity kind);
    static QString getUnitSymbol(UnitType unit);
    // The unit with that symbol, or -1.
    static UnitType findUnit(const QString& symbol);
    // "Length", "Force", ...; empty for an unknown kind.
    static QString getQuantityName(pmQuantity kind);

    // The unit systems in the library's order (their settings texts), their labels and,
    // for the units dialog, the quantities with the unit each system gives them.
    static QStringList unitSystems();
    static QString unitSystemLabel(const QString& system);
    static std::vector<std::pair<QString, QString>> unitSystemUnits(const QString& system);

private:
    UnitsManager() = default;
    QString system = "MKS";
    QString angle = "Degrees";
    QString angularVelocity = "rad/s";
    QString temperature = "Celsius";
    int decimals = 6;
    static UnitsManager* _instance;
};

} // namespace pmUnit
