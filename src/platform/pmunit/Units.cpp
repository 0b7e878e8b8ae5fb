#include "Units.h"

#include <QStringList>

namespace pmUnit {

namespace {

struct SystemInfo
{
    const char* key;
    const char* label;
    const char* length;
    bool metric;
};

// Base units of each system: length, mass, force, time, voltage, current.
const SystemInfo systems[] = {
    {"MKS", "Metric (m, kg, N, s, V, A)", "m", true},
    {"CMGS", "Metric (cm, g, dyne, s, V, A)", "cm", true},
    {"MMKS", "Metric (mm, kg, N, s, mV, mA)", "mm", true},
    {"NMMTON", "Metric (mm, t, N, s, mV, mA)", "mm", true},
    {"MMDATS", "Metric (mm, dat, N, s, mV, mA)", "mm", true},
    {"UMKS", "Metric (um, kg, uN, s, V, mA)", "um", true},
    {"BFT", "U.S. Customary (ft, lbm, lbf, s, V, A)", "ft", false},
    {"BIN", "U.S. Customary (in, lbm, lbf, s, V, A)", "in", false},
};

const SystemInfo* findSystem(const QString& key)
{
    for (const auto& s : systems) {
        if (key == QLatin1String(s.key))
            return &s;
    }
    return nullptr;
}

} // namespace

UnitsManager* UnitsManager::_instance = nullptr;

QString Quantity::getUserString() const
{
    // QString::number always writes the C locale.
    const QString number = QString::number(val, 'g', 15);
    return unitText.isEmpty() ? number : number + QLatin1Char(' ') + unitText;
}

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

} // namespace pmUnit
