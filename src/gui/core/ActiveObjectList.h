#pragma once
// The named active objects of a document view ("pdbody", "part", ...).  Setting one
// un-highlights the previous object in the project tree and highlights the new one.

#include "PelmoraGuiExport.h"
#include "core/ObjectModes.h"

#include <map>
#include <string>

namespace Obj { class ProjectObject; }

namespace Gui {

class ViewFeederProjectObject;

class PELMORAGUI_EXPORT ActiveObjectList
{
public:
    bool hasObject(const char* name) const;
    Obj::ProjectObject* getObject(const char* name) const;
    // Null `object` removes the entry of `name`.
    void setObject(Obj::ProjectObject* object, const char* name, const HighlightMode& mode);
    // Forgets the feeder's object under every name it is registered with.
    void objectDeleted(const ViewFeederProjectObject& feeder);
    std::size_t size() const { return objects.size(); }

private:
    std::map<std::string, Obj::ProjectObject*> objects;
};

// Names of picked entities: kind 1 vertex, 2 edge, 3 face, 4 body.
PELMORAGUI_EXPORT std::string entity_subelement_name(unsigned int kind, int number);
PELMORAGUI_EXPORT std::string entity_type_name(unsigned int kind);

} // namespace Gui
