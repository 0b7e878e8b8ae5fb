#pragma once
// The records of the selection: the change record every selection singleton sends to
// its observers and signal slots, and the plain entry record that its queries return.

#include "PelmoraGuiExport.h"

namespace Obj { class Project; class ProjectObject; }

namespace Gui {

// One change of a selection.  Holds no storage: the texts point into the sender's
// storage and are valid only while the notification runs (the stored pre-selection
// record excepted, whose texts live until the pre-selection changes).
struct PELMORAGUI_EXPORT SelectionModification
{
    enum Kind : int {
        AddSelection = 0,
        RemoveSelection = 1,
        SetSelection = 2,
        ClearSelection = 3,
        SetPreselect = 4,
        RemovePreselect = 5
    };

    SelectionModification() = default;
    SelectionModification(int kind, int source, const char* project, unsigned int id,
                          const char* sub, float px = 0.f, float py = 0.f, float pz = 0.f)
        : source(source), kind(kind), project_name(project ? project : ""), object_id(id),
          sub_name(sub ? sub : ""), x(px), y(py), z(pz)
    {
    }

    // 1 from the entity selection, 0 from the tree selection and the selection instance.
    int source = 0;
    int kind = AddSelection;
    const char* project_name = "";
    unsigned int object_id = 0;
    const char* sub_name = "";
    float x = 0.f;
    float y = 0.f;
    float z = 0.f;
};

// A copy of one selection entry.  The texts point into the entry and stay valid while
// the entry stays selected.
struct PELMORAGUI_EXPORT SelObj
{
    const char* project_name = "";
    unsigned int object_id = 0;
    const char* sub_name = "";
    const char* type_name = "";
    Obj::Project* project = nullptr;
    Obj::ProjectObject* object = nullptr;
    float x = 0.f;
    float y = 0.f;
    float z = 0.f;
};

} // namespace Gui
