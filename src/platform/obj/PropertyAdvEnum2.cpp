#include "PropertyAdvEnum2.h"

VEXIL_TYPESYSTEM_SOURCE(Obj::PropertyAdvEnum2, Obj::PropertyAdvEnum)
