#include "SceneLengthUnit.h"

#include <mrml/vtkMRMLUnitNode.h>
#include <obj/Application.h>
#include <obj/Project.h>
#include <pmunit/Units.h>
#include <vexil/PreferenceManager.h>

void Gui::selectSceneLengthUnit(vtkMRMLScene* scene, const Obj::Project* project)
{
    pmUnit::UnitsManager* units = pmUnit::UnitsManager::is_initialized() ? pmUnit::UnitsManager::instance() : nullptr;
    if (!scene || !units)
        return;
    // The preference itself: the property editor reads it there too, also after a change.
    int decimals = units->getDecimals();
    if (Obj::Application::_pcSingleton)
        if (Vexil::PreferenceManager* prefs = Obj::Application::instance().getPrefMgr())
            decimals = prefs->getInt(Vexil::PM_SIGNIFICANT_DIGITS);
    // One length, whatever it is shown in: the scene's coordinates converted.
    const pmUnit::UnitType shown = units->getDefaultUnitType(pmUnit::Length);
    double coefficient = 1.0;
    pmUnit::Quantity one;
    if (project && pmUnit::Quantity(1.0, pmUnit::Length, project->get_length_unit()).convertTo(shown, one))
        coefficient = one.getValue();
    vtkMRMLUnitNode::SelectSceneUnit(scene, "length", pmUnit::UnitsManager::getUnitSymbol(shown).toUtf8().constData(),
                                     decimals, coefficient);
}
