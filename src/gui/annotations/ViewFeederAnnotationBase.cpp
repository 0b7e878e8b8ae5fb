#include "ViewFeederAnnotationBase.h"

VEXIL_TYPESYSTEM_SOURCE(Gui::ViewFeederAnnotationBase, Gui::ViewFeederProjectObject)
VEXIL_TYPESYSTEM_SOURCE(Gui::ViewFeederAnnotationRuler, Gui::ViewFeederAnnotationBase)
VEXIL_TYPESYSTEM_SOURCE(Gui::ViewFeederAnnotationROI, Gui::ViewFeederAnnotationBase)
VEXIL_TYPESYSTEM_SOURCE(Gui::ViewFeederAnnotationFiducial, Gui::ViewFeederAnnotationBase)
