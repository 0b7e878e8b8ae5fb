#pragma once
// Base of every class that takes part in the runtime type registry.

#include "TypeInfo.h"

namespace Vexil {

class RootClass
{
public:
    RootClass();
    virtual ~RootClass();

    static TypeInfo getClassTypeId();
    virtual TypeInfo getTypeId() const;
    bool is_inherited_from(const TypeInfo& type) const { return getTypeId().is_inherited_from(type); }

    // Registers Vexil::RootClass itself; harmless to call more than once.
    static void init();

protected:
    // Registers `className` under `parentName` and stores the new type in `toInit`.
    static void initSubclass(TypeInfo& toInit, const char* className, const char* parentName,
                             TypeInfo::instantiationMethod method = nullptr);

private:
    static TypeInfo classTypeId;
};

} // namespace Vexil

// Declarations and definitions that every registered class repeats.
#define VEXIL_TYPESYSTEM_HEADER()                                        \
public:                                                                  \
    static Vexil::TypeInfo getClassTypeId();                             \
    Vexil::TypeInfo getTypeId() const override;                          \
    static void init();                                                  \
    static Vexil::RootClass* create();                                   \
private:                                                                 \
    static Vexil::TypeInfo classTypeId

#define VEXIL_TYPESYSTEM_SOURCE_P(_class_)                               \
    Vexil::TypeInfo _class_::getClassTypeId() { return _class_::classTypeId; } \
    Vexil::TypeInfo _class_::getTypeId() const { return _class_::classTypeId; } \
    Vexil::TypeInfo _class_::classTypeId = Vexil::TypeInfo()

#define VEXIL_TYPESYSTEM_SOURCE(_class_, _parent_)                        \
    VEXIL_TYPESYSTEM_SOURCE_P(_class_);                                  \
    Vexil::RootClass* _class_::create() { return new _class_(); }        \
    void _class_::init() { initSubclass(_class_::classTypeId, #_class_, #_parent_, &(_class_::create)); }

#define VEXIL_TYPESYSTEM_SOURCE_ABSTRACT(_class_, _parent_)               \
    VEXIL_TYPESYSTEM_SOURCE_P(_class_);                                  \
    Vexil::RootClass* _class_::create() { return nullptr; }              \
    void _class_::init() { initSubclass(_class_::classTypeId, #_class_, #_parent_, nullptr); }
