#pragma once
// Feeder of a geometry or mesh object: holds the object's model node in the project's
// scene and turns the display properties into calls on the node's display node.

#include "visualization/ViewFeeder.h"

#include <vtkWeakPointer.h>

class vtkMRMLDisplayableNode;
class vtkMRMLScene;
class vtkMRMLTransformNode;

namespace Gui {

class PELMORAGUI_EXPORT ViewFeederTopoObject : public ViewFeederProjectObject
{
    VEXIL_TYPESYSTEM_HEADER();
    OBJ_PROPERTY_HEADER()
public:
    static const char* DisplayModeEnums[];
    static const char* ColorByEnums[];

    ViewFeederTopoObject();
    ~ViewFeederTopoObject() override;

    void on_changed(const Obj::Property* property) override;
    bool isSelectable() const override;
    void updateData(const Obj::Property* property) override;
    void show() override;
    void hide() override;
    bool on_double_clicked() override { return false; }
    void build_context_menu(QMenu* menu, QObject* receiver, const char* member) override;
    using ViewFeederProjectObject::build_context_menu;
    // The placement moves the model node too, through a transform node of this feeder.
    void setTransformation(const vtkMatrix4x4& matrix) override;
    void setTransformation(const Vexil::Matrix4D& matrix) override;

    // 0 "Shaded + Wireframe", 1 "Shaded", 2 "Wireframe"; other indexes change nothing.
    virtual void setDisplayMode(int index);
    using ViewFeederProjectObject::setDisplayMode;
    void setMeshDisplayMode(int index);

    // The model node, owned by the project's scene; null once the node is gone.
    vtkMRMLDisplayableNode* getMRMLNode() const;
    void setMRMLNode(vtkMRMLDisplayableNode* node);

    Obj::PropertyEnumType* DisplayMode = nullptr;
    Obj::PropertyEnumType* ColorBy = nullptr;
    Obj::PropertyColor* ShapeColor = nullptr;
    Obj::PropertyColor* LineColor = nullptr;
    Obj::PropertyColor* PointColor = nullptr;
    Obj::PropertyRangeSlider* Opacity = nullptr;
    Obj::PropertyBoolean* Selectable = nullptr;
    Obj::PropertyBoolean* ClipPlanes = nullptr;

protected:
    bool setEdit(int) override { return false; }
    void unsetEdit(int) override {}

private:
    // Hands the feeder's transform to the model node; a transform node is made only once
    // the placement is not the identity.
    void applyPlacement();

    // Weak: the scene owns the nodes and may drop them before this feeder goes.
    vtkWeakPointer<vtkMRMLDisplayableNode> modelNode;
    vtkWeakPointer<vtkMRMLScene> modelScene;
    vtkWeakPointer<vtkMRMLTransformNode> placementNode;
};

// Removes `node` and its display nodes from `scene`, but only those still in it.
void removeNodeFromScene(vtkMRMLScene* scene, vtkMRMLDisplayableNode* node);

} // namespace Gui
