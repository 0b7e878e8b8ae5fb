#pragma once
// Feeder of a model loaded into the scene from a file; shows its parts below itself.

#include "visualization/ViewFeeder.h"

namespace Gui {

class PELMORAGUI_EXPORT ViewFeederMRMLModel : public ViewFeederProjectObject
{
    VEXIL_TYPESYSTEM_HEADER();
    OBJ_PROPERTY_HEADER()
public:
    ViewFeederMRMLModel();
    bool useNewSelectionModel() const override { return true; }
    bool onDelete(const std::vector<std::string>&) override { return true; }
    std::vector<Obj::ProjectObject*> claim_descendants() const override;
    void build_context_menu(const char* receiver, MenuItem* item) const override;
    using ViewFeederProjectObject::build_context_menu;
};

// Delete, a separator, then Suppress or Unsuppress as the object stands: the context
// menu of models and annotations.
void appendAnnotationContextMenu(const Obj::ProjectObject* object, MenuItem* item);

} // namespace Gui
