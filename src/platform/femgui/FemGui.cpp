#include "FemGui.h"

#include <core/GuiProject.h>
#include <core/qPelmoraApplication.h>
#include <mainwindow/ToolBarGadget.h>

#include <obj/GeometryObject.h>
#include <obj/Project.h>

#include <mrml/vtkMRMLModelDisplayNode.h>
#include <mrml/vtkMRMLModelNode.h>
#include <mrml/vtkMRMLScene.h>
#include <vtkNew.h>

#include <string>

VEXIL_TYPESYSTEM_SOURCE(FemGui::ViewFeederProjectFem, Gui::ViewFeederProject)
VEXIL_TYPESYSTEM_SOURCE(FemGui::ViewFeederGeometry, Gui::ViewFeederTopoObject)
VEXIL_TYPESYSTEM_SOURCE(FemGui::SimModule, Gui::StdSimModule)
VEXIL_TYPESYSTEM_SOURCE(AuxillaryGui::SimModule, Gui::StdSimModule)

namespace {

vtkMRMLScene* sceneOf(const Obj::ProjectObject* object)
{
    Gui::qPelmoraApplication* app = Gui::qPelmoraApplication::application();
    Obj::Project* project = object ? object->get_project() : nullptr;
    Gui::GuiProject* gui = app && project ? app->get_project(project) : nullptr;
    return gui ? gui->mrmlScene() : nullptr;
}

} // namespace

Gui::ToolBarGadget* FemGui::SimModule::build_toolbars() const
{
    Gui::ToolBarGadget* root = Gui::StdSimModule::build_toolbars();
    auto* annotations = new Gui::ToolBarGadget(root);
    annotations->set_command("Annotations");
    *annotations << "Std_AnnotationsGroup" << "Std_AnnotationFiducial" << "Std_AnnotationRuler"
                 << "Std_AnnotationROI" << "Std_MRMLModel";
    return root;
}

void FemGui::ViewFeederGeometry::attach(Obj::ProjectObject* o)
{
    ViewFeederTopoObject::attach(o);
    auto* geometry = dynamic_cast<Obj::GeometryObject*>(o);
    vtkMRMLScene* scene = sceneOf(o);
    if (!geometry || !geometry->get_poly_data() || !scene || getMRMLNode())
        return;

    // One batch: views see the model only once it is complete.
    scene->StartState(vtkMRMLScene::BatchProcessState);
    vtkNew<vtkMRMLModelNode> model;
    model->SetName(scene->GetUniqueNameByString(geometry->get_label()).c_str());
    model->SetAndObservePolyData(geometry->get_poly_data());
    auto* added = vtkMRMLModelNode::SafeDownCast(scene->AddNode(model));
    if (added)
        added->CreateDefaultDisplayNodes();
    if (vtkMRMLModelDisplayNode* display = added ? added->GetModelDisplayNode() : nullptr) {
        const Obj::Color& shape = ShapeColor->get_value();
        display->SetColor(shape.r, shape.g, shape.b);
        const Obj::Color& line = LineColor->get_value();
        display->SetEdgeColor(line.r, line.g, line.b);
        display->SetOpacity(static_cast<float>(Opacity->get_value()) / 100.0f);
        display->SetClipping(ClipPlanes->get_value() ? 1 : 0);
        display->SetVisibility(Visibility->get_value() && !geometry->isSuppressed() ? 1 : 0);
    }
    scene->EndState(vtkMRMLScene::BatchProcessState);
    setMRMLNode(added);
    setDisplayMode(static_cast<int>(DisplayMode->get_value()));
}

void FemGui::ViewFeederGeometry::updateData(const Obj::Property* property)
{
    if (property && object && property->get_container() == object
        && property->is_inherited_from(Obj::PropertyBoolean::getClassTypeId())
        && std::string(property->get_name()) == "Visibility") {
        const bool visible = static_cast<const Obj::PropertyBoolean*>(property)->get_value();
        if (visible != Visibility->get_value())
            Visibility->set_value(visible);
        return;
    }
    ViewFeederTopoObject::updateData(property);
}

void FemGui::initModule()
{
    FemGui::ViewFeederProjectFem::init();
    FemGui::ViewFeederGeometry::init();
    FemGui::SimModule::init();
    AuxillaryGui::SimModule::init();
}
