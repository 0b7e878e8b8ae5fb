#pragma once
// Feeder of the project's annotations group: shows the annotations below itself.

#include "visualization/ViewFeeder.h"

namespace Gui {

class PELMORAGUI_EXPORT ViewFeederAnnotationsGroup : public ViewFeederProjectObject
{
    VEXIL_TYPESYSTEM_HEADER();
    OBJ_PROPERTY_HEADER()
public:
    ViewFeederAnnotationsGroup();
    bool useNewSelectionModel() const override { return true; }
    std::vector<Obj::ProjectObject*> claim_descendants() const override;
    // Only an empty group may go.
    bool onDelete(const std::vector<std::string>& subElements) override;
    void build_context_menu(const char* receiver, MenuItem* item) const override;
    using ViewFeederProjectObject::build_context_menu;
};

} // namespace Gui
