#include "RootClass.h"

#include <mutex>

namespace Vexil {

TypeInfo RootClass::classTypeId = TypeInfo();

namespace {
std::mutex& rootInitMutex()
{
    static std::mutex m;
    return m;
}
} // namespace

RootClass::RootClass() = default;
RootClass::~RootClass() = default;

TypeInfo RootClass::getClassTypeId()
{
    init();
    return classTypeId;
}

TypeInfo RootClass::getTypeId() const
{
    return getClassTypeId();
}

void RootClass::init()
{
    std::lock_guard<std::mutex> lock(rootInitMutex());
    if (classTypeId.is_sick())
        classTypeId = TypeInfo::create_type(TypeInfo::sick_type(), "Vexil::RootClass", nullptr);
}

void RootClass::initSubclass(TypeInfo& toInit, const char* className, const char* parentName,
                             TypeInfo::instantiationMethod method)
{
    init();
    // A class whose parent is not registered yet is refused: registering it under the
    // sick type would make it a second root and break every inheritance test.
    const TypeInfo parent = TypeInfo::get_type_from_name(parentName);
    if (parent.is_sick()) {
        toInit = TypeInfo::sick_type();
        return;
    }
    toInit = TypeInfo::create_type(parent, className, method);
}

} // namespace Vexil
