#include "GfxDatabase.h"

#include "core/MetaTypes.h"

using namespace Gui;

void GfxDatabase::init()
{
    registerMetaTypes();
}
