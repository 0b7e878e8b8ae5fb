#pragma once
// The 3D document view of a project.

#include "mainwindow/MDIWindow.h"

#include <vtkSmartPointer.h>

class QOpenGLWidget;
class vtkMRMLScene;

namespace Gui {

class PELMORAGUI_EXPORT qView3DMRML : public MDIWindow
{
    Q_OBJECT
    VEXIL_TYPESYSTEM_HEADER();
public:
    // `shared`: the OpenGL widget of another 3D view of the project, or null.
    qView3DMRML(GuiProject* project, QWidget* parent = nullptr, QOpenGLWidget* shared = nullptr,
                Qt::WindowFlags flags = Qt::WindowFlags());
    ~qView3DMRML() override;

    void setMRMLScene(vtkMRMLScene* scene);
    vtkMRMLScene* mrmlScene() const;
    // Builds the view's 3D widget for the project's view node.
    void createThreeDWidget();
    // The OpenGL widget that a further 3D view of the same project shares; null until
    // the view has a 3D widget.
    QOpenGLWidget* sharedGLWidget() const;
    QOpenGLWidget* sharedWith() const { return shareWidget; }

private:
    vtkSmartPointer<vtkMRMLScene> scene;
    QOpenGLWidget* shareWidget;
};

} // namespace Gui
