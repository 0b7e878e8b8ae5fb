#pragma once
// Feeders of the annotation objects: rulers, regions of interest and fiducials.

#include "visualization/ViewFeeder.h"

namespace Gui {

class PELMORAGUI_EXPORT ViewFeederAnnotationBase : public ViewFeederProjectObject
{
    VEXIL_TYPESYSTEM_HEADER();
};

class PELMORAGUI_EXPORT ViewFeederAnnotationRuler : public ViewFeederAnnotationBase
{
    VEXIL_TYPESYSTEM_HEADER();
};

class PELMORAGUI_EXPORT ViewFeederAnnotationROI : public ViewFeederAnnotationBase
{
    VEXIL_TYPESYSTEM_HEADER();
};

class PELMORAGUI_EXPORT ViewFeederAnnotationFiducial : public ViewFeederAnnotationBase
{
    VEXIL_TYPESYSTEM_HEADER();
};

} // namespace Gui
