#include "AnnotationProjectFiles.h"

#include "ViewFeederAnnotationBase.h"
#include "core/GuiProject.h"
#include "core/qPelmoraApplication.h"
#include "vtkMRMLAnnotationFiducialNode.h"
#include "vtkMRMLAnnotationFiducialsStorageNode.h"
#include "vtkMRMLAnnotationLinesNode.h"
#include "vtkMRMLAnnotationLinesStorageNode.h"
#include "vtkMRMLAnnotationRulerNode.h"
#include "vtkMRMLAnnotationRulerStorageNode.h"

#include <mrml/vtkMRMLDisplayNode.h>
#include <mrml/vtkMRMLScene.h>
#include <obj/Application.h>
#include <obj/Project.h>
#include <obj/ProjectFile.h>
#include <obj/PropertyCouple.h>
#include <vexil/MsgConsole.h>
#include <vexil/Exception.h>
#include <vexil/PrintableText.h>

#include <mrml/VtkMessageText.h>

#include <vtkCallbackCommand.h>
#include <vtkCommand.h>
#include <vtkNew.h>
#include <vtkSmartPointer.h>

#include <QFile>
#include <QFileInfo>

#include <cctype>
#include <cerrno>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <limits>
#include <new>
#include <string_view>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace Gui {

namespace {

enum class Kind { None, Fiducial, Ruler };

bool startsWith(std::string_view line, std::string_view word)
{
    return line.substr(0, word.size()) == word;
}

// What the file holds, from the starts of its lines (as the readers see them, at most
// 1023 characters each): a ruler row makes a ruler, else a point row a fiducial. An
// annotation list file must begin with its header line.
Kind kindOf(const std::string& fileName, bool fiducialList)
{
    std::ifstream in(fileName, std::ios::binary);
    if (!in)
        return Kind::None;
    char buffer[1024];
    bool first = true;
    bool point = false;
    while (in.getline(buffer, sizeof buffer) || in.gcount() > 0) {
        if (in.fail() && !in.eof()) {
            // A longer line: its start is read, the rest skipped.
            in.clear();
            in.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
        }
        const std::string_view line(buffer);
        if (first && !fiducialList && !startsWith(line, "# Annotation file"))
            return Kind::None;
        first = false;
        if (startsWith(line, "ruler|") && !fiducialList)
            return Kind::Ruler;
        if (startsWith(line, "point"))
            point = true;
        if (in.eof())
            break;
    }
    return point ? Kind::Fiducial : Kind::None;
}

// The storage node that writes and reads annotations of the node's class.
vtkSmartPointer<vtkMRMLAnnotationStorageNode> storageFor(vtkMRMLAnnotationNode* node)
{
    if (vtkMRMLAnnotationRulerNode::SafeDownCast(node))
        return vtkSmartPointer<vtkMRMLAnnotationRulerStorageNode>::New();
    if (vtkMRMLAnnotationFiducialNode::SafeDownCast(node))
        return vtkSmartPointer<vtkMRMLAnnotationFiducialsStorageNode>::New();
    if (vtkMRMLAnnotationLinesNode::SafeDownCast(node))
        return vtkSmartPointer<vtkMRMLAnnotationLinesStorageNode>::New();
    if (vtkMRMLAnnotationControlPointsNode::SafeDownCast(node))
        return vtkSmartPointer<vtkMRMLAnnotationControlPointsStorageNode>::New();
    return vtkSmartPointer<vtkMRMLAnnotationStorageNode>::New();
}

// Adds the node to the scene and fills it with `read`; when that fails, the node, its
// display nodes and `storage` (when given) leave the scene again.  The views take the
// annotation up when the batch ends.
bool addReadNode(vtkMRMLScene* scene, vtkMRMLAnnotationNode* node, vtkMRMLStorageNode* storage,
                 const std::function<bool()>& read)
{
    scene->StartState(vtkMRMLScene::BatchProcessState);
    node->Initialize(scene);
    if (storage) {
        scene->AddNode(storage);
        node->SetAndObserveStorageNodeID(storage->GetID());
    }
    const bool ok = read();
    if (!ok) {
        for (int i = node->GetNumberOfDisplayNodes() - 1; i >= 0; --i)
            scene->RemoveNode(node->GetNthDisplayNode(i));
        if (storage)
            scene->RemoveNode(storage);
        scene->RemoveNode(node);
    }
    scene->EndState(vtkMRMLScene::BatchProcessState);
    return ok;
}

// Takes the errors and warnings that the observed objects raise while it lives, each as
// one printable sentence.
class ReaderComplaints
{
public:
    explicit ReaderComplaints(std::initializer_list<vtkObject*> objects)
    {
        command->SetClientData(this);
        command->SetCallback([](vtkObject*, unsigned long event, void* client, void* callData) {
            auto* self = static_cast<ReaderComplaints*>(client);
            const std::string text = Vexil::printableText(
                mrml::vtkMessageSentence(callData ? static_cast<const char*>(callData) : ""));
            if (event != vtkCommand::ErrorEvent)
                self->warnings.push_back(text);
            else if (self->firstError.empty())
                self->firstError = text;
        });
        for (vtkObject* object : objects) {
            object->AddObserver(vtkCommand::ErrorEvent, command);
            object->AddObserver(vtkCommand::WarningEvent, command);
            observed.emplace_back(object);
        }
    }
    ~ReaderComplaints()
    {
        for (auto& object : observed)
            object->RemoveObserver(command);
    }
    ReaderComplaints(const ReaderComplaints&) = delete;
    ReaderComplaints& operator=(const ReaderComplaints&) = delete;

    std::string firstError;
    std::vector<std::string> warnings;

private:
    vtkNew<vtkCallbackCommand> command;
    std::vector<vtkSmartPointer<vtkObject>> observed;
};

} // namespace

bool annotationNodeText(vtkMRMLAnnotationNode* node, std::string& text)
{
    text.clear();
    return node && storageFor(node)->WriteToText(node, text) == 1;
}

bool addAnnotationNodeFromText(vtkMRMLScene* scene, vtkMRMLAnnotationNode* node, const std::string& text,
                               std::string* problem)
{
    if (!scene || !node)
        return false;
    auto storage = storageFor(node);
    // The reader's complaints are taken here instead of being printed in VTK's form (its
    // source file and line, the class and address of the object).
    ReaderComplaints complaints({storage, node});
    const bool read = addReadNode(scene, node, nullptr, [&] { return storage->ReadFromText(node, text) == 1; });
    if (!read && problem)
        *problem = complaints.firstError;
    for (const std::string& warning : complaints.warnings)
        Vexil::MsgConsoleSingleton::Instance().Warning("%s\n", warning.c_str());
    return read;
}

Obj::AnnotationsGroup* annotationsGroupOf(Obj::Project* project)
{
    if (!project)
        return nullptr;
    if (!project->annotationsGroup)
        project->annotationsGroup =
            dynamic_cast<Obj::AnnotationsGroup*>(project->add_object("Obj::AnnotationsGroup", "Annotations"));
    return project->annotationsGroup;
}

Obj::ProjectObject* addAnnotationObject(Obj::Project* project, const char* type, const char* name)
{
    // The group and the annotation both, or neither.
    if (project && Obj::Application::_pcSingleton) {
        const std::string refusal = Obj::Application::instance().growth_error(
            std::string("Cannot add an annotation to ") + project->get_name(), 0, project->annotationsGroup ? 1 : 2);
        if (!refusal.empty())
            throw Vexil::ExceptionHandler(refusal);
    }
    Obj::AnnotationsGroup* group = annotationsGroupOf(project);
    if (!group)
        return nullptr;
    Obj::ProjectObject* object = project->add_object(type, name);
    if (!object)
        return nullptr;
    if (auto* members = dynamic_cast<Obj::PropertyCoupleArray*>(group->get_property_by_name("Member"))) {
        members->add_value(object);
        object->parentGroup = group;
    }
    return object;
}

namespace {
// The suffix of the file's name, lowered; from the name's bytes, which need not be text.
std::string suffixOf(const std::string& fileName)
{
    const size_t slash = fileName.rfind('/');
    const size_t dot = fileName.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    std::string suffix = fileName.substr(dot + 1);
    for (char& c : suffix)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return suffix;
}

// The bytes of an absolute name for `fileName`, kept as they are.
std::string absoluteName(const std::string& fileName)
{
    if (!fileName.empty() && fileName[0] == '/')
        return fileName;
    std::vector<char> cwd(4096);
    while (!::getcwd(cwd.data(), cwd.size())) {
        if (errno != ERANGE || cwd.size() > (1u << 20))
            return QFile::encodeName(QFileInfo(QFile::decodeName(fileName.c_str())).absoluteFilePath()).toStdString();
        cwd.resize(cwd.size() * 2);
    }
    return std::string(cwd.data()) + '/' + fileName;
}
} // namespace

bool isAnnotationListFile(const std::string& fileName)
{
    const std::string suffix = suffixOf(fileName);
    return suffix == "acsv" || suffix == "fcsv";
}

bool openAnnotationListFile(const std::string& fileName)
{
    auto& console = Vexil::MsgConsoleSingleton::Instance();
    // The name's own bytes throughout: one that is not valid text would name no file once decoded.
    const QFileInfo info(QFile::decodeName(fileName.c_str()));
    const bool fiducialList = suffixOf(fileName) == "fcsv";
    struct stat st;
    const bool isFile = ::stat(fileName.c_str(), &st) == 0 && S_ISREG(st.st_mode);
    const Kind kind = isFile ? kindOf(fileName, fiducialList) : Kind::None;
    if (kind == Kind::None) {
        console.Error("Cannot open %s: it is not an annotation list file with a fiducial or a ruler\n",
                      Vexil::printableText(fileName).c_str());
        return false;
    }
    qPelmoraApplication* app = qPelmoraApplication::application();
    if (!app || !Obj::Application::_pcSingleton)
        return false;
    Obj::Application& logic = Obj::Application::instance();
    Obj::Project* project = logic.get_current_project();
    const std::string refusal = logic.growth_error("Cannot open " + Vexil::printableText(fileName), project ? 0 : 1,
                                                   project && project->annotationsGroup ? 1 : 2);
    if (!refusal.empty()) {
        console.Error("%s\n", refusal.c_str());
        return false;
    }
    std::string createdProject;
    if (!project) {
        const std::string label = info.completeBaseName().toStdString();
        project = logic.create_project(label.c_str(), label.c_str());
        if (project)
            createdProject = project->get_name();
    }
    GuiProject* gui = project ? app->get_project(project) : nullptr;
    vtkMRMLScene* scene = gui ? gui->mrmlScene() : nullptr;
    if (!scene) {
        console.Error("Cannot open %s: there is no project to read it into\n", Vexil::printableText(fileName).c_str());
        return false;
    }

    vtkSmartPointer<vtkMRMLAnnotationNode> node;
    vtkSmartPointer<vtkMRMLStorageNode> storage;
    if (kind == Kind::Ruler) {
        node = vtkSmartPointer<vtkMRMLAnnotationRulerNode>::New();
        storage = vtkSmartPointer<vtkMRMLAnnotationRulerStorageNode>::New();
    } else {
        node = vtkSmartPointer<vtkMRMLAnnotationFiducialNode>::New();
        storage = vtkSmartPointer<vtkMRMLAnnotationFiducialsStorageNode>::New();
    }
    scene->SaveStateForUndo();
    // Absolute: the scene would take a relative name as relative to its own folder.
    storage->SetFileName(absoluteName(fileName).c_str());
    // The reader's first complaint is the reason, said once in the refusal below.  What no
    // project file can hold is refused too: taken in, it would make every later save of
    // its project fail.
    std::string reason;
    std::string unsavable;
    bool read = false;
    bool outOfMemory = false;
    {
        ReaderComplaints complaints({storage, node});
        read = addReadNode(scene, node, storage, [&] {
            // A file memory cannot hold is refused like any other: the node goes, and the
            // scene's batch ends.
            try {
                std::string text;
                if (storage->ReadData(node) != 1)
                    return false;
                if (annotationNodeText(node, text))
                    unsavable = Obj::ProjectFile::value_error(text);
                return unsavable.empty();
            } catch (const std::bad_alloc&) {
                outOfMemory = true;
                return false;
            }
        });
        reason = outOfMemory ? "there is not enough memory to read it" : complaints.firstError;
        for (const std::string& warning : complaints.warnings)
            console.Warning("%s\n", warning.c_str());
    }
    if (!read) {
        if (!unsavable.empty())
            console.Error("Cannot open %s: %s\n", Vexil::printableText(fileName).c_str(), unsavable.c_str());
        else
            console.Error("Cannot read the annotation list file %s%s%s\n", Vexil::printableText(fileName).c_str(),
                          reason.empty() ? "" : ": ", reason.c_str());
        // A project made for the file does not stay behind empty.
        if (!createdProject.empty())
            logic.close_project(createdProject.c_str());
        return false;
    }

    const bool ruler = kind == Kind::Ruler;
    const std::string name = node->GetName() && *node->GetName() ? node->GetName() : ruler ? "Ruler" : "Fiducial";
    Obj::ProjectObject* object =
        addAnnotationObject(project, ruler ? "Obj::AnnotationRuler" : "Obj::AnnotationFiducial", name.c_str());
    if (auto* feeder = dynamic_cast<ViewFeederAnnotationBase*>(object ? gui->get_view_feeder(object) : nullptr))
        feeder->setMRMLNode(node);
    return true;
}

} // namespace Gui
