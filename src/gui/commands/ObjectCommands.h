#pragma once
// The commands that work on project objects and on the annotations of the 3D view:
// refresh, random colour, relabel, the annotations group, the ruler, region-of-interest
// and fiducial placing commands, and loading surface models into the scene.

#include "Command.h"

class vtkMRMLModelNode;
class vtkMRMLScene;

namespace Gui {

class PELMORAGUI_EXPORT StdCmdObjectRefresh : public Command
{
public:
    StdCmdObjectRefresh();
    const char* get_class_name() const override { return "StdCmdObjectRefresh"; }
    void activated(int) override {}
};

// Gives every selected object's feeder a random "Shape Color".
class PELMORAGUI_EXPORT StdCmdRandomShapeColor : public Command
{
public:
    StdCmdRandomShapeColor();
    const char* get_class_name() const override { return "StdCmdRandomShapeColor"; }
    void activated(int) override;
    bool is_applicable() override;
};

class PELMORAGUI_EXPORT StdCmdRelabel : public Command
{
public:
    StdCmdRelabel();
    const char* get_class_name() const override { return "StdCmdRelabel"; }
    void activated(int) override {}
    bool is_applicable() override;
};

// Creates the current project's annotations group, or says that there is one.
class PELMORAGUI_EXPORT StdCmdAnnotationsGroup : public Command
{
public:
    StdCmdAnnotationsGroup();
    const char* get_class_name() const override { return "StdCmdAnnotationsGroup"; }
    void activated(int) override;
};

// Adds an annotation object to the project's annotations group, hands its feeder to the
// 3D view's manager of that kind and lets the next click in the view place it.
class PELMORAGUI_EXPORT AnnotationPlacingCommand : public Command
{
public:
    AnnotationPlacingCommand(const char* name, const char* objectType, const char* objectName,
                             const char* managerClass, const char* nodeClass);
    void activated(int) override;

private:
    const char* objectType;
    const char* objectName;
    const char* managerClass;
    const char* nodeClass;
};

class PELMORAGUI_EXPORT StdCmdAnnotationRuler : public AnnotationPlacingCommand
{
public:
    StdCmdAnnotationRuler();
    const char* get_class_name() const override { return "StdCmdAnnotationRuler"; }
};

class PELMORAGUI_EXPORT StdCmdAnnotationROI : public AnnotationPlacingCommand
{
public:
    StdCmdAnnotationROI();
    const char* get_class_name() const override { return "StdCmdAnnotationROI"; }
};

class PELMORAGUI_EXPORT StdCmdAnnotationFiducial : public AnnotationPlacingCommand
{
public:
    StdCmdAnnotationFiducial();
    const char* get_class_name() const override { return "StdCmdAnnotationFiducial"; }
};

// Loads surface-model files chosen by the user into the current project's scene.
class PELMORAGUI_EXPORT StdCmdMRMLModel : public Command
{
public:
    StdCmdMRMLModel();
    const char* get_class_name() const override { return "StdCmdMRMLModel"; }
    void activated(int) override;

    // The file dialog's filter.
    static QString modelFileFilter();
    // Adds the model of the file (a name or a file:// URI) to the scene. Null, the scene
    // unchanged and the reason written to the console as an error, when no storage node
    // takes the file, it cannot be read, or it names remote data (not fetched).
    static vtkMRMLModelNode* loadModel(const char* fileName, vtkMRMLScene* scene);
};

// Creates the object and annotation commands and hands them to `controller` in order.
PELMORAGUI_EXPORT void register_object_commands(CommandController& controller);

} // namespace Gui
