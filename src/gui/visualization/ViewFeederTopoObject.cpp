#include "ViewFeederTopoObject.h"

#include <obj/Project.h>
#include <obj/ProjectObject.h>
#include <vexil/SpaceLocation.h>

#include <QAction>
#include <QKeySequence>
#include <QMenu>

#include <mrml/vtkMRMLDisplayNode.h>
#include <mrml/vtkMRMLDisplayableNode.h>
#include <mrml/vtkMRMLScene.h>
#include <mrml/vtkMRMLStorageNode.h>
#include <mrml/vtkMRMLTransformNode.h>
#include <vtkMatrix4x4.h>
#include <vtkNew.h>
#include <vtkSmartPointer.h>
#include <vtkTransform.h>

#include <cstring>
#include <string>
#include <vector>

using namespace Gui;

VEXIL_TYPESYSTEM_SOURCE(Gui::ViewFeederTopoObject, Gui::ViewFeederProjectObject)
OBJ_PROPERTY_SOURCE(Gui::ViewFeederTopoObject, Gui::ViewFeederProjectObject)

const char* ViewFeederTopoObject::DisplayModeEnums[] = {"Shaded + Wireframe", "Shaded", "Wireframe", nullptr};
const char* ViewFeederTopoObject::ColorByEnums[] = {"Part", "Material", nullptr};

namespace {

bool isNamed(const Obj::Property* property, const char* name)
{
    return property && std::strcmp(property->get_name(), name) == 0;
}

// The display-node value of a "Display Mode" index: 3 shaded with edges, 2 shaded,
// 1 edges only; 0 for an index outside the list.
int displayModeValue(int index)
{
    switch (index) {
    case 0: return 3;
    case 1: return 2;
    case 2: return 1;
    default: return 0;
    }
}

template <typename P>
P* hiddenIf(P* property, bool hidden)
{
    property->set_object_status(Obj::Property::Hidden, hidden);
    return property;
}

} // namespace

void Gui::removeNodeFromScene(vtkMRMLScene* scene, vtkMRMLDisplayableNode* node)
{
    if (!scene || !node || !scene->IsNodePresent(node))
        return;
    // Hold the node while its display nodes go: removing it may drop the last reference.
    vtkSmartPointer<vtkMRMLDisplayableNode> keep = node;
    std::vector<vtkSmartPointer<vtkMRMLNode>> companions;
    for (int i = 0; i < node->GetNumberOfDisplayNodes(); ++i)
        if (vtkMRMLDisplayNode* display = node->GetNthDisplayNode(i))
            companions.emplace_back(display);
    if (vtkMRMLStorageNode* storage = node->GetStorageNode())
        companions.emplace_back(storage);
    scene->RemoveNode(node);
    for (vtkMRMLNode* companion : companions)
        if (scene->IsNodePresent(companion))
            scene->RemoveNode(companion);
}

ViewFeederTopoObject::ViewFeederTopoObject()
{
    // "Visibility" shows in the editor here, unlike for the plain object feeder.
    Visibility->set_object_status(Obj::Property::Hidden, false);

    auto& table = property_data_table();
    auto* displayMode = hiddenIf(new Obj::PropertyEnumType, true);
    displayMode->set_enums(DisplayModeEnums);
    DisplayMode = static_cast<Obj::PropertyEnumType*>(table.add_property(
        this, displayMode, "Display Mode", "Definition", 8, "Display mode in the graphics window."));

    auto* colorBy = hiddenIf(new Obj::PropertyEnumType, true);
    colorBy->set_enums(ColorByEnums);
    ColorBy = static_cast<Obj::PropertyEnumType*>(
        table.add_property(this, colorBy, "Color By", "Definition", 1, "Color of the shape."));

    Obj::Color random;
    random.setRandomType();
    auto* shapeColor = hiddenIf(new Obj::PropertyColor, false);
    shapeColor->set_value(random);
    ShapeColor = static_cast<Obj::PropertyColor*>(
        table.add_property(this, shapeColor, "Shape Color", "Definition", 8, "Color of the shape."));

    auto* lineColor = hiddenIf(new Obj::PropertyColor, false);
    lineColor->set_value(Obj::Color(0.0f, 0.0f, 0.0f, 0.0f));
    LineColor = static_cast<Obj::PropertyColor*>(
        table.add_property(this, lineColor, "Line Color", "Definition", 8, "Line color of the shape"));

    auto* pointColor = hiddenIf(new Obj::PropertyColor, true);
    pointColor->set_value(Obj::Color(0.0f, 0.0f, 0.0f, 0.0f));
    PointColor = static_cast<Obj::PropertyColor*>(
        table.add_property(this, pointColor, "Point Color", "Definition", 8, "Point color of the shape"));

    auto* opacity = hiddenIf(new Obj::PropertyRangeSlider, true);
    opacity->set_ranges(0, 100, 1);
    opacity->set_value(100);
    Opacity = static_cast<Obj::PropertyRangeSlider*>(table.add_property(
        this, opacity, "Opacity", "Definition", 8, "Transparency of the object in the graphical window"));

    auto* selectable = hiddenIf(new Obj::PropertyBoolean, true);
    selectable->set_value(true);
    Selectable = static_cast<Obj::PropertyBoolean*>(table.add_property(this, selectable, "Selectable"));

    auto* clipPlanes = hiddenIf(new Obj::PropertyBoolean, true);
    clipPlanes->set_value(false);
    ClipPlanes = static_cast<Obj::PropertyBoolean*>(table.add_property(
        this, clipPlanes, "Clip Planes", "Definition", 8, "Clip plane to display the section of objects"));
}

ViewFeederTopoObject::~ViewFeederTopoObject()
{
    DisplayMode->set_enums(nullptr);
    // Only a node that is still in its scene is removed; one the scene dropped is gone.
    removeNodeFromScene(modelScene, modelNode);
    if (modelScene && placementNode && modelScene->IsNodePresent(placementNode))
        modelScene->RemoveNode(placementNode);
}

vtkMRMLDisplayableNode* ViewFeederTopoObject::getMRMLNode() const
{
    return modelNode;
}

void ViewFeederTopoObject::setMRMLNode(vtkMRMLDisplayableNode* node)
{
    modelNode = node;
    modelScene = node ? node->GetScene() : nullptr;
    // The 3D view reports a pick on this node as an entity of our object: it reads the
    // owner from these two attributes.  The selection finds projects by their name, not
    // by the label the user sees (a file "a.b.stl" gives the label "a.b" and the name "a_b").
    Obj::ProjectObject* owner = get_object();
    if (node && owner) {
        if (Obj::Project* project = owner->get_project())
            node->SetAttribute("ProjectName", project->get_name());
        node->SetAttribute("ObjectId", std::to_string(owner->getObjectId()).c_str());
    }
    applyPlacement();
}

void ViewFeederTopoObject::setTransformation(const vtkMatrix4x4& matrix)
{
    ViewFeederProjectObject::setTransformation(matrix);
    applyPlacement();
}

void ViewFeederTopoObject::setTransformation(const Vexil::Matrix4D& matrix)
{
    ViewFeederProjectObject::setTransformation(matrix);
    applyPlacement();
}

void ViewFeederTopoObject::applyPlacement()
{
    vtkMRMLScene* scene = modelScene;
    vtkMRMLDisplayableNode* node = modelNode;
    if (!scene || !node || !scene->IsNodePresent(node))
        return;
    vtkMatrix4x4* matrix = getTransform()->GetMatrix();
    vtkMRMLTransformNode* placement = placementNode;
    if (!placement || !scene->IsNodePresent(placement)) {
        if (matrix->IsIdentity())
            return;
        vtkNew<vtkMRMLTransformNode> created;
        created->SetName(scene->GetUniqueNameByString((std::string(node->GetName() ? node->GetName() : "Model") + " placement").c_str()).c_str());
        placement = vtkMRMLTransformNode::SafeDownCast(scene->AddNode(created));
        placementNode = placement;
        if (!placement)
            return;
        node->SetAndObserveTransformNodeID(placement->GetID());
    }
    placement->SetMatrixTransformToParent(matrix);
}

bool ViewFeederTopoObject::isSelectable() const
{
    return Selectable->get_value();
}

void ViewFeederTopoObject::on_changed(const Obj::Property* property)
{
    vtkMRMLDisplayNode* display = modelNode ? modelNode->GetDisplayNode() : nullptr;
    if (property == Visibility) {
        followVisibility();
        return;
    }
    if (property == DisplayMode) {
        setDisplayMode(static_cast<int>(DisplayMode->get_value()));
        return;
    }
    if (property == Selectable || property == ColorBy || property == ShapeColor || property == LineColor)
        return;
    if (property == ClipPlanes) {
        if (display) {
            if (ClipPlanes->get_value())
                display->ClippingOn();
            else
                display->ClippingOff();
        }
        return;
    }
    if (property == Opacity) {
        if (display)
            display->SetOpacity(static_cast<float>(Opacity->get_value()) / 100.0f);
        return;
    }
    ViewFeederProjectObject::on_changed(property);
}

void ViewFeederTopoObject::show()
{
    if ((object && object->isSuppressed()) || !visibleFlag())
        return;
    if (Visibility->test_object_status(VisibilityInProgress)) {
        vtkMRMLDisplayNode* display = modelNode ? modelNode->GetDisplayNode() : nullptr;
        if (!display)
            return;
        display->SetVisibility(1);
    }
    ViewFeederProjectObject::show();
}

void ViewFeederTopoObject::hide()
{
    if (Visibility->test_object_status(VisibilityInProgress)) {
        vtkMRMLDisplayNode* display = modelNode ? modelNode->GetDisplayNode() : nullptr;
        if (!display)
            return;
        display->SetVisibility(0);
    }
    ViewFeederProjectObject::hide();
}

void ViewFeederTopoObject::setDisplayMode(int index)
{
    const int mode = displayModeValue(index);
    vtkMRMLDisplayNode* display = modelNode ? modelNode->GetDisplayNode() : nullptr;
    if (mode && display)
        display->SetDisplayMode(mode);
}

void ViewFeederTopoObject::setMeshDisplayMode(int index)
{
    const int mode = displayModeValue(index);
    vtkMRMLDisplayNode* display = modelNode ? modelNode->GetDisplayNode() : nullptr;
    if (mode && display)
        display->SetMeshDisplayMode(mode);
}

void ViewFeederTopoObject::updateData(const Obj::Property* property)
{
    if (!property || property->is_inherited_from(Obj::PropertyAdvancedTopoData::getClassTypeId()))
        return;
    if (property->is_inherited_from(Obj::PropertySpaceLocation::getClassTypeId())
        && isNamed(property, "Spatial Parameters")) {
        const Vexil::SpaceLocation& placement = static_cast<const Obj::PropertySpaceLocation*>(property)->get_value();
        double angle = 0, ax = 0, ay = 0, az = 1;
        placement.getRotation().getValue(angle, ax, ay, az);
        const Vexil::Vector3d& p = placement.getPosition();
        // A placement replaces the previous one: rotate about the origin, then move.
        vtkTransform* t = getTransform();
        t->Identity();
        t->PostMultiply();
        t->RotateWXYZ(static_cast<float>(angle), static_cast<float>(ax), static_cast<float>(ay),
                      static_cast<float>(az));
        t->Translate(static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z));
        t->Scale(1.0f, 1.0f, 1.0f);
        t->PreMultiply();
        applyPlacement();
        return;
    }
    if (isNamed(property, "Suppressed") && property->is_inherited_from(Obj::PropertyBoolean::getClassTypeId())) {
        // A suppressed object is hidden; otherwise it is shown as its own "Visibility" says
        // (a hidden object, a hidden one's copy, stays hidden when it is not suppressed).
        const bool suppressed = static_cast<const Obj::PropertyBoolean*>(property)->get_value();
        const auto* own = object ? dynamic_cast<const Obj::PropertyBoolean*>(object->get_property_by_name("Visibility"))
                                 : nullptr;
        const bool shown = !suppressed && (!own || own->get_value());
        if (shown != Visibility->get_value())
            Visibility->set_value(shown);
    }
}

void ViewFeederTopoObject::build_context_menu(QMenu* menu, QObject* receiver, const char* member)
{
    if (!menu)
        return;
    QAction* action = menu->addAction(QObject::tr("Transform"));
    if (receiver && member)
        QObject::connect(action, SIGNAL(triggered()), receiver, member);
    action->setShortcut(QKeySequence());
    action->setData(QVariant(1));
}
