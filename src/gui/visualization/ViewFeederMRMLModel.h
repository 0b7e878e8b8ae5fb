#pragma once
// Feeder of a model loaded into the scene from a file; shows its parts below itself.

#include "visualization/ViewFeeder.h"

namespace Gui {

class PELMORAGUI_EXPORT ViewFeederMRMLModel : public ViewFeederProjectObject
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    std::vector<Obj::ProjectObject*> claim_descendants() const override;
};

} // namespace Gui
