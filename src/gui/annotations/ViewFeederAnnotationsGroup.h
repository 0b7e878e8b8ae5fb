#pragma once
// Feeder of the project's annotations group: shows the annotations below itself.

#include "visualization/ViewFeeder.h"

namespace Gui {

class PELMORAGUI_EXPORT ViewFeederAnnotationsGroup : public ViewFeederProjectObject
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    std::vector<Obj::ProjectObject*> claim_descendants() const override;
};

} // namespace Gui
