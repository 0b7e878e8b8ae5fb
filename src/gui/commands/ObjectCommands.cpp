#include "ObjectCommands.h"

#include "annotations/AnnotationProjectFiles.h"
#include "annotations/ViewFeederAnnotationBase.h"
#include "annotations/vtkMRMLAnnotationDisplayableManager.h"
#include "core/GuiProject.h"
#include "core/qPelmoraApplication.h"
#include "dialogs/widgets/FileDialog.h"
#include "mainwindow/MainWindow.h"
#include "selection/TreeSelectionSingleton.h"
#include "visualization/qPelmoraThreeDWidget.h"
#include "visualization/qView3DMRML.h"

#include <mrml/MRMLFreeSurferSurface.h>
#include <mrml/vtkMRMLFreeSurferModelStorageNode.h>
#include <mrml/vtkMRMLModelDisplayNode.h>
#include <mrml/vtkMRMLModelNode.h>
#include <mrml/vtkMRMLModelStorageNode.h>
#include <mrml/vtkMRMLScene.h>
#include <obj/Application.h>
#include <obj/Project.h>
#include <vexil/MsgConsole.h>
#include <vexil/PrintableText.h>

#include <vtkCollection.h>
#include <vtkNew.h>
#include <vtkPolyData.h>
#include <vtkSmartPointer.h>
#include <vtksys/SystemTools.hxx>

#include <QCoreApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QRandomGenerator>
#include <QStringList>
#include <QUrl>

#include <new>
#include <string>

namespace Gui {

namespace {

Obj::Project* currentProjectOrWarn()
{
    Obj::Project* project = Obj::Application::_pcSingleton ? Obj::Application::instance().get_current_project()
                                                             : nullptr;
    if (!project)
        QMessageBox::warning(MainWindow::get_main_window_inst(),
                             QCoreApplication::translate("Gui::Command", "No current project"),
                             QStringLiteral("Cannot find the current project, no object is created."),
                             QMessageBox::Ok);
    return project;
}

// Reads the model first: only a model that was read joins the scene, with its storage
// and display nodes, in one batch.
vtkMRMLModelNode* addModel(const char* fileName, vtkMRMLScene* scene, std::string& error)
{
    vtkNew<vtkMRMLModelStorageNode> modelStorage;
    vtkNew<vtkMRMLFreeSurferModelStorageNode> surfaceStorage;
    // A URI's path is decoded before its kind and name are taken from it, as the storage
    // node decodes it to read.
    const bool uri = vtkMRMLModelStorageNode::IsURI(fileName);
    std::string path = fileName;
    if (uri) {
        std::string problem;
        if (vtkMRMLModelStorageNode::ResolveURI(fileName, path, problem) == vtkMRMLModelStorageNode::RefusedURI) {
            error = "model file URI \"" + Vexil::printableText(fileName) + "\" cannot be read: " + problem;
            return nullptr;
        }
    }
    for (vtkMRMLStorageNode* storage : {static_cast<vtkMRMLStorageNode*>(modelStorage), static_cast<vtkMRMLStorageNode*>(surfaceStorage)}) {
        if (uri)
            storage->SetURI(fileName);
        else
            storage->SetFileName(fileName);
    }
    const std::string base = vtksys::SystemTools::GetFilenameName(path);
    vtkMRMLModelStorageNode* storage = nullptr;
    if (modelStorage->SupportedFileType(base.c_str()))
        storage = modelStorage;
    else if (surfaceStorage->SupportedFileType(base.c_str()))
        storage = surfaceStorage;
    if (!storage) {
        const std::string ext = vtksys::SystemTools::GetFilenameLastExtension(base);
        error = "model file \"" + Vexil::printableText(fileName) + "\" has an unknown kind" +
                (ext.empty() ? std::string() : " \"" + Vexil::printableText(ext) + "\"");
        return nullptr;
    }
    vtkNew<vtkMRMLModelNode> model;
    storage->StageReadData(model);
    if (storage->GetReadState() == vtkMRMLStorageNode::Pending) {
        error = "\"" + Vexil::printableText(fileName) + "\" names remote data, which is not fetched: its read stays pending";
        return nullptr;
    }
    const char* local = storage->GetFileName();
    vtkSmartPointer<vtkPolyData> data = vtkSmartPointer<vtkPolyData>::Take(
        storage == surfaceStorage.GetPointer() ? vtkMRMLFreeSurferModelStorageNode::ReadSurface(local, error)
                                               : vtkMRMLModelStorageNode::ReadPolyData(local, error));
    if (!data)
        return nullptr;

    // "ball.v3.stl" is named "ball"; a further "ball..." gets the scene's next free name.
    // A name that starts with a dot (".mesh.stl") is cut at its last dot instead, so that
    // the model keeps a name.
    std::string stem = vtksys::SystemTools::GetFilenameWithoutExtension(base);
    if (stem.empty())
        stem = vtksys::SystemTools::GetFilenameWithoutLastExtension(base);
    if (stem.empty())
        stem = base;
    // A name that is not UTF-8 is shown with its bytes escaped.
    stem = Vexil::printableText(stem);
    const std::string name = scene->GetUniqueNameByString(stem.c_str());
    scene->SaveStateForUndo();
    scene->StartState(vtkMRMLScene::BatchProcessState);
    vtkNew<vtkMRMLModelDisplayNode> display;
    vtkMRMLNode* addedStorage = scene->AddNode(storage);
    vtkMRMLNode* addedDisplay = scene->AddNode(display);
    model->SetName(name.c_str());
    model->SetAndObservePolyData(data);
    if (addedStorage)
        model->SetAndObserveStorageNodeID(addedStorage->GetID());
    if (addedDisplay)
        model->SetAndObserveDisplayNodeID(addedDisplay->GetID());
    auto* added = vtkMRMLModelNode::SafeDownCast(scene->AddNode(model));
    scene->EndState(vtkMRMLScene::BatchProcessState);
    return added;
}

} // namespace

StdCmdObjectRefresh::StdCmdObjectRefresh() : Command("Std_Refresh")
{
    sGroup = "File";
    set_texts(QT_TRANSLATE_NOOP("StdCmdObjectRefresh", "&Refresh"),
              QT_TRANSLATE_NOOP("StdCmdObjectRefresh", "Refresh object"), "view-refresh");
    set_shortcut("Ctrl+R");
    eType = 7;
}

StdCmdRandomShapeColor::StdCmdRandomShapeColor() : Command("Std_RandomShapeColor")
{
    sGroup = "File";
    set_texts(QT_TRANSLATE_NOOP("StdCmdRandomShapeColor", "Random color"),
              QT_TRANSLATE_NOOP("StdCmdRandomShapeColor", "Random color"), nullptr);
    eType = 7;
}

bool StdCmdRandomShapeColor::is_applicable()
{
    return TreeSelectionSingleton::instance().size() != 0;
}

void StdCmdRandomShapeColor::activated(int)
{
    qPelmoraApplication* app = qPelmoraApplication::application();
    if (!app)
        return;
    QRandomGenerator* random = QRandomGenerator::global();
    for (const SelObj& entry : TreeSelectionSingleton::instance().get_all_selections()) {
        GuiProject* project = entry.project ? app->get_project(entry.project) : nullptr;
        ViewFeeder* feeder = project && entry.object ? project->get_view_feeder(entry.object) : nullptr;
        auto* color = feeder ? dynamic_cast<Obj::PropertyColor*>(feeder->get_property_by_name("Shape Color"))
                             : nullptr;
        if (color)
            color->set_value(static_cast<float>(random->generateDouble()),
                             static_cast<float>(random->generateDouble()),
                             static_cast<float>(random->generateDouble()));
    }
}

StdCmdRelabel::StdCmdRelabel() : Command("Std_Relabel")
{
    sGroup = "Tool";
    set_texts(QT_TRANSLATE_NOOP("StdCmdRelabel", "Relabel"),
              QT_TRANSLATE_NOOP("StdCmdRelabel", "Relabel project/object name"), nullptr);
    eType = 7;
}

bool StdCmdRelabel::is_applicable()
{
    return TreeSelectionSingleton::instance().size() == 1;
}

StdCmdAnnotationsGroup::StdCmdAnnotationsGroup() : Command("Std_AnnotationsGroup")
{
    sGroup = "View";
    set_texts(QT_TRANSLATE_NOOP("StdCmdAnnotationsGroup", "Annotations"),
              QT_TRANSLATE_NOOP("StdCmdAnnotationsGroup", "Annotations"), "Std_AnnotationsGroup",
              QT_TRANSLATE_NOOP("StdCmdAnnotationsGroup", "Create a group object for annotations"),
              "AnnotationTextWithArrow.png");
    eType = 2;
}

void StdCmdAnnotationsGroup::activated(int)
{
    Obj::Project* project = currentProjectOrWarn();
    if (!project)
        return;
    if (!project->get_objects(Obj::AnnotationsGroup::getClassTypeId()).empty()) {
        QMessageBox::warning(MainWindow::get_main_window_inst(),
                             QCoreApplication::translate("Gui::Command", "Found Annotations"),
                             QStringLiteral("Annotations Group is already presented, no object is created."),
                             QMessageBox::Ok);
        return;
    }
    project->annotationsGroup = nullptr;
    annotationsGroupOf(project);
}

AnnotationPlacingCommand::AnnotationPlacingCommand(const char* name, const char* type, const char* objName,
                                                   const char* manager, const char* node)
    : Command(name), objectType(type), objectName(objName), managerClass(manager), nodeClass(node)
{
    sGroup = "View";
    eType = 2;
}

void AnnotationPlacingCommand::activated(int)
{
    Obj::Project* project = currentProjectOrWarn();
    if (!project)
        return;
    qPelmoraApplication* app = qPelmoraApplication::application();
    GuiProject* guiProject = app ? app->get_project(project) : nullptr;
    auto* view = guiProject ? dynamic_cast<qView3DMRML*>(guiProject->getActiveView()) : nullptr;
    if (!view)
        return;
    // A placement still under way ends first: its clicks are not the new one's.
    view->EndPlaceMode();
    Obj::ProjectObject* object = addAnnotationObject(project, objectType, objectName);
    if (!object || !object->parentGroup)
        return;
    expandObject(project, object->parentGroup);

    auto* feeder = dynamic_cast<ViewFeederAnnotationBase*>(guiProject->get_view_feeder(object));
    qPelmoraThreeDWidget* widget = view->getViewer();
    if (!feeder || !widget)
        return;
    vtkNew<vtkCollection> managers;
    widget->getDisplayableManagers(managers);
    for (int i = 0; i < managers->GetNumberOfItems(); ++i) {
        vtkObject* item = managers->GetItemAsObject(i);
        if (item && item->IsA(managerClass)) {
            if (auto* manager = vtkMRMLAnnotationDisplayableManager::SafeDownCast(item))
                manager->setViewFeederObject(feeder);
            break;
        }
    }
    view->StartPlaceMode(nodeClass, false);
}

StdCmdAnnotationRuler::StdCmdAnnotationRuler()
    : AnnotationPlacingCommand("Std_AnnotationRuler", "Obj::AnnotationRuler", "Ruler",
                               "vtkMRMLAnnotationRulerDisplayableManager", "vtkMRMLAnnotationRulerNode")
{
    set_texts(QT_TRANSLATE_NOOP("StdCmdAnnotationRuler", "Ruler"), QT_TRANSLATE_NOOP("StdCmdAnnotationRuler", "Ruler"),
              "Std_AnnotationRuler", QT_TRANSLATE_NOOP("StdCmdAnnotationRuler", "Ruler for measuring distance"),
              "AnnotationDistanceWithArrow.png");
}

StdCmdAnnotationROI::StdCmdAnnotationROI()
    : AnnotationPlacingCommand("Std_AnnotationROI", "Obj::AnnotationROI", "ROI",
                               "vtkMRMLAnnotationROIDisplayableManager", "vtkMRMLAnnotationROINode")
{
    set_texts(QT_TRANSLATE_NOOP("StdCmdAnnotationROI", "ROI"), QT_TRANSLATE_NOOP("StdCmdAnnotationROI", "ROI"),
              "Std_AnnotationROI", QT_TRANSLATE_NOOP("StdCmdAnnotationROI", "ROI for measuring distance"),
              "AnnotationROI.png");
}

StdCmdAnnotationFiducial::StdCmdAnnotationFiducial()
    : AnnotationPlacingCommand("Std_AnnotationFiducial", "Obj::AnnotationFiducial", "Fiducial",
                               "vtkMRMLAnnotationFiducialDisplayableManager", "vtkMRMLAnnotationFiducialNode")
{
    set_texts(QT_TRANSLATE_NOOP("StdCmdAnnotationFiducial", "Fiducial"),
              QT_TRANSLATE_NOOP("StdCmdAnnotationFiducial", "Fiducial"), "Std_AnnotationFiducial",
              QT_TRANSLATE_NOOP("StdCmdAnnotationFiducial", "Fiducial for measuring distance"),
              "AnnotationPointWithArrow.png");
}

StdCmdMRMLModel::StdCmdMRMLModel() : Command("Std_MRMLModel")
{
    sGroup = "View";
    set_texts(QT_TRANSLATE_NOOP("StdCmdMRMLModel", "Model"), QT_TRANSLATE_NOOP("StdCmdMRMLModel", "Model"),
              "Std_MRMLModel", QT_TRANSLATE_NOOP("StdCmdMRMLModel", "Model for display object"), "VizModels.png");
    eType = 2;
}

QString StdCmdMRMLModel::modelFileFilter()
{
    // The patterns are the readers' own lists: the dialog offers what they take, and
    // nothing else.
    auto patterns = [](const std::vector<std::string>& extensions) {
        QStringList out;
        for (const std::string& ext : extensions)
            out << QStringLiteral("*") + QString::fromStdString(ext);
        return out.join(QLatin1Char(' '));
    };
    const QString freeSurfer = patterns(mrmlmodelfile::freeSurferSurfaceExtensions());
    return QStringList{QStringLiteral("All formats (%1 %2)")
                           .arg(patterns(vtkMRMLModelStorageNode::GetSupportedFileExtensions()), freeSurfer),
                       QStringLiteral("VTK Poly Data (*.vtk)"), QStringLiteral("VTK XML Poly Data (*.vtp)"),
                       QStringLiteral("STL file (*.stl)"), QStringLiteral("PLY file (*.ply)"),
                       QStringLiteral("Wavefront OBJ file (*.obj)"),
                       QStringLiteral("FreeSurfer surface (%1)").arg(freeSurfer)}
        .join(QStringLiteral(";;"));
}

vtkMRMLModelNode* StdCmdMRMLModel::loadModel(const char* fileName, vtkMRMLScene* scene)
{
    if (!scene || !fileName || !*fileName)
        return nullptr;
    std::string error;
    vtkMRMLModelNode* model = nullptr;
    try {
        model = addModel(fileName, scene, error);
    } catch (const std::bad_alloc&) {
        // A model too large for the memory left is a file that cannot be opened.
        error = "model file \"" + Vexil::printableText(fileName) + "\" could not be read: it asks for more memory than there is";
    }
    // Reported as the command line reports a model file it cannot open.
    if (!model)
        Vexil::MsgConsoleSingleton::Instance().Error("Cannot open model file: %s\n", error.c_str());
    return model;
}

void StdCmdMRMLModel::activated(int)
{
    Obj::Project* project = currentProjectOrWarn();
    if (!project)
        return;
    // The models go with the project's annotations group: a project that cannot take the
    // group is refused before a file is chosen (and again once chosen, in case the project
    // grew meanwhile), and nothing is drawn.
    const auto refused = [project] {
        if (project->annotationsGroup || !Obj::Application::_pcSingleton)
            return false;
        const std::string refusal = Obj::Application::instance().growth_error(
            "Cannot load a model into " + Vexil::printableText(project->get_name()), 0, 1);
        if (!refusal.empty())
            Vexil::MsgConsoleSingleton::Instance().Error("%s\n", refusal.c_str());
        return !refusal.empty();
    };
    if (refused())
        return;
    const QStringList files =
        FileDialog::getOpenFileNames(MainWindow::get_main_window_inst(),
                                     QCoreApplication::translate("StdCmdMRMLModel", "Load model file"), QString(),
                                     modelFileFilter());
    if (files.isEmpty() || refused())
        return;
    qPelmoraApplication* app = qPelmoraApplication::application();
    bool loaded = false;
    for (const QString& file : files)
        loaded = loadModel(file.toUtf8().constData(), app ? app->mrmlScene() : nullptr) != nullptr || loaded;
    // A refused file changes nothing in the project.
    if (!loaded)
        return;
    // The models live in the scene only; the group is where the user looks for them.
    if (Obj::AnnotationsGroup* group = annotationsGroupOf(project))
        expandObject(project, group);
}

void register_object_commands(CommandController& controller)
{
    controller.new_command(new StdCmdObjectRefresh());
    controller.new_command(new StdCmdRandomShapeColor());
    controller.new_command(new StdCmdRelabel());
    controller.new_command(new StdCmdAnnotationsGroup());
    controller.new_command(new StdCmdAnnotationRuler());
    controller.new_command(new StdCmdAnnotationROI());
    controller.new_command(new StdCmdAnnotationFiducial());
    controller.new_command(new StdCmdMRMLModel());
}

} // namespace Gui
