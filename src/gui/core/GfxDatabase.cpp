#include "GfxDatabase.h"

#include "annotations/ViewFeederAnnotationBase.h"
#include "annotations/ViewFeederAnnotationsGroup.h"
#include "core/MetaTypes.h"
#include "propertyeditor/PropertyItem.h"
#include "visualization/ViewFeederMRMLModel.h"

using namespace Gui;

void GfxDatabase::init()
{
    // Parents first: the feeders hang below Gui::ViewFeederProjectObject, which start-up
    // registered already.
    PropertyOperator::initPropertyItems();
    ViewFeederAnnotationsGroup::init();
    ViewFeederAnnotationBase::init();
    ViewFeederAnnotationRuler::init();
    ViewFeederAnnotationROI::init();
    ViewFeederAnnotationFiducial::init();
    ViewFeederMRMLModel::init();

    registerMetaTypes();
}
