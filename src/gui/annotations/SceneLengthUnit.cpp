#include "SceneLengthUnit.h"

#include <mrml/vtkMRMLUnitNode.h>
#include <obj/Application.h>
#include <pmunit/Units.h>
#include <vexil/PreferenceManager.h>

void Gui::selectSceneLengthUnit(vtkMRMLScene* scene)
{
    pmUnit::UnitsManager* units = pmUnit::UnitsManager::is_initialized() ? pmUnit::UnitsManager::instance() : nullptr;
    if (!scene || !units)
        return;
    // The preference itself: the property editor reads it there too, also after a change.
    int decimals = units->getDecimals();
    if (Obj::Application::_pcSingleton)
        if (Vexil::PreferenceManager* prefs = Obj::Application::instance().getPrefMgr())
            decimals = prefs->getInt(Vexil::PM_SIGNIFICANT_DIGITS);
    vtkMRMLUnitNode::SelectSceneUnit(scene, "length", units->lengthUnit().toUtf8().constData(), decimals);
}
