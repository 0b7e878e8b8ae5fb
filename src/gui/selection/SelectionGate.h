#pragma once
// Gates: a selection singleton asks its installed gate whether a pick may enter.

#include "PelmoraGuiExport.h"

namespace Obj { class Project; class ProjectObject; }

namespace Gui {

// Gate of the tree selection (asked when one entry is added).
class PELMORAGUI_EXPORT TreeSelectionGate
{
public:
    virtual ~TreeSelectionGate() = default;
    // True admits the pick; `object` is null for a whole project, `sub_name` may be null.
    virtual bool allow(Obj::Project* project, Obj::ProjectObject* object, const char* sub_name) = 0;
};

// Gate of the entity selection (asked when pre-selecting).
class PELMORAGUI_EXPORT EntitySelectionGate
{
public:
    virtual ~EntitySelectionGate() = default;
    virtual bool allow(Obj::Project* project, Obj::ProjectObject* object, const char* sub_name) = 0;
};

// Gate of the selection instance (asked when adding one entry and when pre-selecting).
class PELMORAGUI_EXPORT CSelectionable
{
public:
    virtual ~CSelectionable() = default;
    virtual bool allow(Obj::Project* project, Obj::ProjectObject* object, const char* sub_name) = 0;
};

} // namespace Gui
