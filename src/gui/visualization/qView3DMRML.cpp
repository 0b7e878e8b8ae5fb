#include "qView3DMRML.h"

#include "core/GuiProject.h"

#include <mrml/vtkMRMLScene.h>

using namespace Gui;

VEXIL_TYPESYSTEM_SOURCE_ABSTRACT(Gui::qView3DMRML, Gui::MDIWindow)

qView3DMRML::qView3DMRML(GuiProject* p, QWidget* parent, QOpenGLWidget* shared, Qt::WindowFlags flags)
    : MDIWindow(p, parent, flags), shareWidget(shared)
{
}

qView3DMRML::~qView3DMRML() = default;

void qView3DMRML::setMRMLScene(vtkMRMLScene* s)
{
    if (scene.GetPointer() != s)
        scene = s;
}

vtkMRMLScene* qView3DMRML::mrmlScene() const
{
    return scene;
}

void qView3DMRML::createThreeDWidget()
{
    // The 3D widget arrives with the 3D view itself.
}

QOpenGLWidget* qView3DMRML::sharedGLWidget() const
{
    return nullptr;
}
