#pragma once
// The units library: the active unit systems and values with units.

#include <QString>

#include <string>

namespace pmUnit {

// A value with its unit (unit text such as "mm", "N", "MPa").
class Quantity
{
public:
    Quantity() = default;
    Quantity(double value, const QString& unit) : val(value), unitText(unit) {}

    double getValue() const { return val; }
    void setValue(double v) { val = v; }
    const QString& getUnit() const { return unitText; }
    void setUnit(const QString& u) { unitText = u; }
    QString getUserString() const;
    bool operator==(const Quantity& o) const { return val == o.val && unitText == o.unitText; }

private:
    double val = 0.0;
    QString unitText;
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
