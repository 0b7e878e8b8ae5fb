#pragma once
// Values with units: a quantity, one with limits, the quantities of a boundary condition
// (given as a constant, by a table or left free) and vectors of quantities.  Each holds
// its kind and the unit its number is in.

#include "PropertyVector.h"

#include <pmunit/Units.h>

#include <string>

namespace Obj {

// How a boundary-condition value is given.
enum LoadValueType { LoadConstant = 1, LoadTabular = 2, LoadFunction = 3, LoadFree = 4 };

// The numbers of a quantity as they were last given (typed, read from a file or a paste,
// or set) and the unit each was given in, exactly as its text gave it.  A change of unit
// converts from these, never from an earlier conversion: the factors are not exact in
// binary, and going back to the unit a number was given in gives back that very number,
// however often the unit changed in between.  A file keeps them as given, too.
class GivenNumbers
{
public:
    static constexpr int Most = 3;
    // `numbers` (n of them, in `unit`) in `target`, into `out`; false when the units
    // measure different things or a number would leave the normal ones (`why` then says
    // how, in words that follow the amount).  A number marked in `difference` (a step)
    // converts without a temperature scale's offset.
    bool convert(const double* numbers, int n, pmUnit::pmQuantity kind, pmUnit::UnitType unit,
                 pmUnit::UnitType target, double* out, const bool* difference = nullptr,
                 std::string* why = nullptr) const;
    // Notes that `numbers` in `unit` became `out` in `target`.
    void remember(const double* numbers, int n, pmUnit::UnitType unit, const double* out, pmUnit::UnitType target);
    // Notes that `held` (in `heldUnit`) was given as `numbers`, each in its unit of `units`.
    void give(const double* numbers, const pmUnit::UnitType* units, int n, const double* held,
              pmUnit::UnitType heldUnit);
    // The amounts to write for `numbers` held in `unit`: as given while they are unchanged.
    void amounts(const double* numbers, int n, pmUnit::UnitType unit, double* out, pmUnit::UnitType* units) const;
private:
    // Whether `numbers` in `unit` are still those of the last conversion.
    bool unchangedSince(const double* numbers, int n, pmUnit::UnitType unit) const;
    double given[Most] = {};
    pmUnit::UnitType givenUnit[Most] = {};
    double last[Most] = {};
    pmUnit::UnitType lastUnit = pmUnit::NoUnit;
    int count = 0;
};

class PropertyQuantity : public PropertyDecimal
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    pmUnit::pmQuantity getQuantityKind() const { return kind; }
    pmUnit::UnitType getUnitType() const { return unit; }
    void setQuantityKind(pmUnit::pmQuantity k, pmUnit::UnitType u) { kind = k; unit = u; }
    pmUnit::Quantity getQuantityValue() const;
    // A number in the property's unit, or a number with a unit of the same kind, which is
    // converted ("12.5", "1.25 cm"); C locale.
    bool set_value_text(const std::string& v) override;
    const char* get_editor_name() const override { return "Gui::PropertyOperator::PropertyQuantityItem"; }
    // The same amount in another unit of its kind (limits too); false, with nothing
    // changed, for a unit of another kind or an amount beyond the largest number there.
    // Nobody is told: the value is the same.  With `apply` false it only tells.
    virtual bool convert_unit(pmUnit::UnitType target, bool apply = true);
    // The amount as it was given: its number and the unit of that number.
    double given_amount(pmUnit::UnitType& givenUnit) const;
protected:
    // The value just stored was given as `number` in `givenUnit`.
    void keep_given(double number, pmUnit::UnitType givenUnit);
private:
    pmUnit::pmQuantity kind = pmUnit::Dimensionless;
    pmUnit::UnitType unit = pmUnit::NoUnit;
    GivenNumbers given;
};

// Minimum, maximum and step of a limited value.
struct Constraints
{
    double minimum;
    double maximum;
    double step;
};

class PropertyQuantityConstraint : public PropertyQuantity
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    // Null until limits are set.
    const Constraints* getConstraints() const { return hasConstraints ? &constraints : nullptr; }
    void setConstraints(double minimum, double maximum, double step);
    // A number outside the limits is refused.
    bool set_value_text(const std::string& v) override;
    const char* get_editor_name() const override { return "Gui::PropertyOperator::PropertyQuantityConstraintItem"; }
    bool convert_unit(pmUnit::UnitType target, bool apply = true) override;
    // The limits as they were set (minimum, maximum, step), each with its unit: an amount
    // is held to these, so that the unit system it is read under does not matter.
    void given_limits(double amounts[3], pmUnit::UnitType units[3]) const;
private:
    Constraints constraints{0.0, 0.0, 1.0};
    bool hasConstraints = false;
    GivenNumbers givenLimits;
};

class PropertyBCQuantity : public PropertyQuantity
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    int getLoadValueType() const { return loadType; }
    // Changes the type and tells the container.
    void setLoadValueType(int type);
    // Changes the type or the number without telling anyone.
    void setLoadValueType_NoEvent(int type) { loadType = type; }
    void set_value_no_event(double v);
    // The number, followed by "|" and the type when that is not constant; a type that is
    // none of LoadValueType is refused.
    std::string get_value_text() const override;
    bool set_value_text(const std::string& v) override;
    const char* get_editor_name() const override { return "Gui::PropertyOperator::PropertyBCQuantityItem"; }
private:
    int loadType = LoadConstant;
};

class PropertyBCQuantityConstraint : public PropertyBCQuantity
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    const Constraints* getConstraints() const { return hasConstraints ? &constraints : nullptr; }
    void setConstraints(double minimum, double maximum, double step);
    // Limits given in `limitUnit`, held in the property's unit: amounts are held to the
    // limits as given, the same under every unit system.
    void setConstraints(double minimum, double maximum, double step, pmUnit::UnitType limitUnit);
    // A number outside the limits is refused, whatever the type.
    bool set_value_text(const std::string& v) override;
    const char* get_editor_name() const override { return "Gui::PropertyOperator::PropertyBCQuantityConstraintItem"; }
    bool convert_unit(pmUnit::UnitType target, bool apply = true) override;
    // The limits as they were set (minimum, maximum, step), each with its unit: an amount
    // is held to these, so that the unit system it is read under does not matter.
    void given_limits(double amounts[3], pmUnit::UnitType units[3]) const;
private:
    Constraints constraints{0.0, 0.0, 1.0};
    bool hasConstraints = false;
    GivenNumbers givenLimits;
};

// Three components x, y, z, each given (with its number) or left free.
class PropertyInputBC : public Property
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    pmUnit::pmQuantity getQuantityKind() const { return kind; }
    pmUnit::UnitType getUnitType() const { return unit; }
    void setQuantityKind(pmUnit::pmQuantity k, pmUnit::UnitType u) { kind = k; unit = u; }
    void getBCValues(bool enabled[3], double values[3]) const;
    void setBCValues(const bool enabled[3], const double values[3]);
    // "(5, Free, -1.5)": exactly three entries, each a number (C locale) or "Free".
    std::string get_value_text() const override;
    bool set_value_text(const std::string& v) override;
    const char* get_editor_name() const override { return "Gui::PropertyOperator::PropertyInputBCItem"; }
    bool convert_unit(pmUnit::UnitType target, bool apply = true);
    // The components as they were given: their numbers and the unit of each.
    void given_amounts(double values[3], pmUnit::UnitType units[3]) const;
private:
    bool given[3] = {true, true, true};
    double numbers[3] = {0.0, 0.0, 0.0};
    pmUnit::pmQuantity kind = pmUnit::Dimensionless;
    pmUnit::UnitType unit = pmUnit::NoUnit;
    GivenNumbers givenNumbers;
};

// A vector of three numbers of one kind, in one unit.
class PropertyQuantityVector : public PropertyVector
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    pmUnit::pmQuantity getQuantityKind() const { return kind; }
    pmUnit::UnitType getUnitType() const { return unit; }
    void setQuantityKind(pmUnit::pmQuantity k, pmUnit::UnitType u) { kind = k; unit = u; }
    // Also reads components with units of the vector's kind: "(1 mm, 2 mm, 0.5 cm)".
    bool set_value_text(const std::string& v) override;
    const char* get_editor_name() const override { return "Gui::PropertyOperator::PropertyQuantityVectorItem"; }
    bool convert_unit(pmUnit::UnitType target, bool apply = true);
    // The components as they were given: their numbers and the unit of each.
    void given_amounts(double values[3], pmUnit::UnitType units[3]) const;
private:
    pmUnit::pmQuantity kind = pmUnit::Dimensionless;
    pmUnit::UnitType unit = pmUnit::NoUnit;
    GivenNumbers given;
};

// The same, edited as a plain three-component vector.
class PropertyVector3D : public PropertyQuantityVector
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    const char* get_editor_name() const override { return "Gui::PropertyOperator::PropertyVector3DItem"; }
};

// The same, as the components of a boundary condition.
class PropertyBCQuantityVector : public PropertyQuantityVector
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    const char* get_editor_name() const override { return "Gui::PropertyOperator::PropertyBCQuantityVectorItem"; }
};

// The value text with its unit after each number ("12.5 mm", "(5 mm, Free, -1.5 mm)"), so
// that it reads back as the same amount whatever unit the reading property is in; each
// amount as it was given (number and unit), its number in the shortest text that reads
// back as the very same number.  A property without a unit gives its plain value text.
std::string valueTextWithUnits(const Property& property);

// A quantity property (of any of the kinds above) in the unit its kind has under `units`:
// the same amount, named in other units; nobody is told.  False for any other property.
bool convertToUnits(Property& property, const pmUnit::UnitsData& units);

// Why `property` (a quantity of any kind above) cannot be named in the units `units` (a
// number would go beyond the largest or below the smallest normal number there); empty
// when it can, and for any other property.
std::string unitsProblem(const Property& property, const pmUnit::UnitsData& units);

// Why `text` is not taken as the value of `property` (a quantity of any kind above): the
// text is not read, its unit is of another kind, its amount is beyond the largest number
// in the property's unit, it lies outside the limits, it names no load value type.  Empty
// when it is taken, and for any other property.
std::string quantityTextProblem(const Property& property, const std::string& text);

// The same for a text that a project file or a copy holds: besides, an amount of a kind
// that has units must name its unit there ("5" is refused, "5 mm" read), since the
// program writes every such amount with its unit and the writer's units are not known.
std::string writtenAmountProblem(const Property& property, const std::string& text);

// An amount as a file writes it: the shortest text of its number, a blank and its unit's
// symbol (the number alone for a unit without one, and for the no-value mark).
std::string amountText(double number, pmUnit::UnitType unit);

} // namespace Obj
