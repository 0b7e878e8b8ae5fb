#include "vtkMRMLAnnotationNode.h"

#include "AnnotationFileText.h"
#include "vtkMRMLAnnotationBidimensionalNode.h"
#include "vtkMRMLAnnotationControlPointsStorageNode.h"
#include "vtkMRMLAnnotationFiducialNode.h"
#include "vtkMRMLAnnotationFiducialsStorageNode.h"
#include "vtkMRMLAnnotationLineDisplayNode.h"
#include "vtkMRMLAnnotationLinesStorageNode.h"
#include "vtkMRMLAnnotationPointDisplayNode.h"
#include "vtkMRMLAnnotationROINode.h"
#include "vtkMRMLAnnotationRulerNode.h"
#include "vtkMRMLAnnotationRulerStorageNode.h"
#include "vtkMRMLAnnotationStorageNode.h"
#include "vtkMRMLAnnotationTextDisplayNode.h"
#include "vtkMRMLAnnotationTextNode.h"

#include <mrml/MRMLXMLHelpers.h>
#include <mrml/vtkMRMLCameraNode.h>
#include <mrml/vtkMRMLScene.h>
#include <mrml/vtkMRMLSliceNode.h>

#include <vtkBitArray.h>
#include <vtkCellArray.h>
#include <vtkNew.h>
#include <vtkObjectFactory.h>
#include <vtkPointData.h>
#include <vtkPolyData.h>
#include <vtkStringArray.h>

#include <cstring>
#include <sstream>

vtkStandardNewMacro(vtkMRMLAnnotationNode);

namespace {
// Every scene made once this library is loaded can create the annotation classes by name,
// so a scene file holding annotation nodes recreates them.
[[maybe_unused]] const bool RegisteredWithScenes =
    (vtkMRMLScene::AddNodeClassRegistrar(&vtkMRMLAnnotationNode::RegisterNodeClasses), true);
} // namespace

vtkMRMLAnnotationNode::vtkMRMLAnnotationNode()
{
    TextList = vtkStringArray::New();
}

vtkMRMLAnnotationNode::~vtkMRMLAnnotationNode()
{
    TextList->Delete();
    delete[] ReferenceNodeID;
    ClearBackup();
}

void vtkMRMLAnnotationNode::RegisterNodeClasses(vtkMRMLScene* scene)
{
    if (!scene || scene->IsNodeClassRegistered("vtkMRMLAnnotationRulerStorageNode"))
        return;
    auto reg = [scene](vtkMRMLNode* prototype) {
        scene->RegisterNodeClass(prototype);
        prototype->Delete();
    };
    reg(vtkMRMLAnnotationNode::New());
    reg(vtkMRMLAnnotationControlPointsNode::New());
    reg(vtkMRMLAnnotationLinesNode::New());
    reg(vtkMRMLAnnotationFiducialNode::New());
    reg(vtkMRMLAnnotationTextNode::New());
    reg(vtkMRMLAnnotationRulerNode::New());
    reg(vtkMRMLAnnotationROINode::New());
    reg(vtkMRMLAnnotationBidimensionalNode::New());
    reg(vtkMRMLAnnotationDisplayNode::New());
    reg(vtkMRMLAnnotationPointDisplayNode::New());
    reg(vtkMRMLAnnotationLineDisplayNode::New());
    reg(vtkMRMLAnnotationTextDisplayNode::New());
    reg(vtkMRMLAnnotationStorageNode::New());
    reg(vtkMRMLAnnotationControlPointsStorageNode::New());
    reg(vtkMRMLAnnotationLinesStorageNode::New());
    reg(vtkMRMLAnnotationRulerStorageNode::New());
    reg(vtkMRMLAnnotationFiducialsStorageNode::New());
}

const char* vtkMRMLAnnotationNode::GetAttributeTypesEnumAsString(int type)
{
    switch (type) {
    case TEXT_SELECTED: return "textSelected";
    case TEXT_VISIBLE: return "textVisible";
    default: return "(unknown)";
    }
}

// ---- texts ----------------------------------------------------------------------

int vtkMRMLAnnotationNode::AddText(const char* text, int selected, int visible)
{
    if (!TextList) {
        vtkErrorMacro("Annotation: For " << IdText() << " text is not defined");
        return -1;
    }
    const int id = GetNumberOfTexts();
    SetText(id, text, selected, visible);
    return id;
}

void vtkMRMLAnnotationNode::SetText(int id, const char* text, int selected, int visible)
{
    if (id < 0) {
        vtkErrorMacro("Invalid ID");
        return;
    }
    if (!TextList) {
        vtkErrorMacro("TextList is NULL");
        return;
    }
    const vtkStdString value(text ? text : "");
    if (TextList->GetNumberOfValues() == 0 && value.empty())
        return;
    if (id < TextList->GetNumberOfValues() && TextList->GetValue(id) == value
        && GetAnnotationAttribute(id, TEXT_SELECTED) == selected
        && GetAnnotationAttribute(id, TEXT_VISIBLE) == visible)
        return;
    if (!GetPolyData() || !GetPolyData()->GetPointData())
        ResetTextAttributesAll();
    TextList->InsertValue(id, value);
    const vtkIdType n = TextList->GetNumberOfValues();
    SetAttributeSize(TEXT_SELECTED, n);
    SetAttributeSize(TEXT_VISIBLE, n);
    SetAnnotationAttribute(id, TEXT_SELECTED, selected);
    SetAnnotationAttribute(id, TEXT_VISIBLE, visible);
    if (!GetDisableModifiedEvent())
        InvokeEvent(vtkCommand::ModifiedEvent);
}

vtkStdString vtkMRMLAnnotationNode::GetText(int id)
{
    if (!TextList || id < 0 || id >= TextList->GetNumberOfValues())
        return vtkStdString();
    return TextList->GetValue(id);
}

int vtkMRMLAnnotationNode::GetNumberOfTexts()
{
    return TextList ? static_cast<int>(TextList->GetNumberOfValues()) : -1;
}

int vtkMRMLAnnotationNode::DeleteText(int id)
{
    if (!TextList)
        return -1;
    const vtkIdType n = TextList->GetNumberOfValues();
    if (id < 0 || id >= n)
        return -1;
    for (vtkIdType i = id; i + 1 < n; ++i)
        TextList->SetValue(i, TextList->GetValue(i + 1));
    TextList->Resize(n - 1);
    TextList->SetNumberOfValues(n - 1);
    if (GetPolyData() && GetPolyData()->GetPointData()) {
        for (int att = TEXT_SELECTED; att <= TEXT_VISIBLE; ++att) {
            if (GetAnnotationAttributes(att))
                DeleteAttribute(id, att);
            else
                SetAttributeSize(att, n - 1);
        }
    } else {
        ResetTextAttributesAll();
    }
    return 1;
}

double vtkMRMLAnnotationNode::GetTextScale()
{
    auto* display = GetAnnotationTextDisplayNode();
    return display ? display->GetTextScale() : 0.0;
}

void vtkMRMLAnnotationNode::SetTextScale(double scale)
{
    auto* display = GetAnnotationTextDisplayNode();
    if (!display) {
        vtkErrorMacro("SetTextScale: no text display node");
        return;
    }
    display->SetTextScale(scale);
    InvokeEvent(vtkCommand::ModifiedEvent);
}

// ---- attributes -----------------------------------------------------------------

vtkDataArray* vtkMRMLAnnotationNode::GetAnnotationAttributes(int att)
{
    if (!GetPolyData() || !GetPolyData()->GetPointData()) {
        vtkErrorMacro("Annotation: " << IdText() << " PolyData or  PolyData->GetPointData() is NULL");
        return nullptr;
    }
    return GetPolyData()->GetPointData()->GetArray(GetAttributeTypesEnumAsString(att));
}

int vtkMRMLAnnotationNode::GetAnnotationAttribute(vtkIdType id, int att)
{
    vtkDataArray* values = GetPolyData() && GetPolyData()->GetPointData()
                               ? GetAnnotationAttributes(att) : nullptr;
    if (!values) {
        vtkErrorMacro("Annotation: " << IdText() << " Attributes for " << att << " are not defined");
        return -1;
    }
    // An id past the end has no flag yet; it reads as unset rather than out of bounds.
    if (id < 0 || id >= values->GetNumberOfTuples())
        return -1;
    return static_cast<int>(values->GetTuple1(id));
}

void vtkMRMLAnnotationNode::SetAnnotationAttribute(vtkIdType id, int att, double value)
{
    vtkDataArray* values = GetPolyData() && GetPolyData()->GetPointData()
                               ? GetAnnotationAttributes(att) : nullptr;
    if (!values)
        return;
    if (id < 0 || id >= values->GetNumberOfTuples()) {
        vtkErrorMacro("SetAnnotationAttribute: id is out of range: id " << id << " Size: "
                                                                         << values->GetNumberOfTuples());
        return;
    }
    // NaN or huge values have no integer; anything not zero sets the bit.
    const int bit = (value != value) ? 0 : (value >= 1.0 || value <= -1.0) ? 1 : 0;
    values->SetTuple1(id, bit);
}

int vtkMRMLAnnotationNode::DeleteAttribute(vtkIdType id, int att)
{
    vtkDataArray* values = GetAnnotationAttributes(att);
    if (!values) {
        vtkErrorMacro("Annotation " << IdText() << " Attribute " << att << " does not exist");
        return 0;
    }
    const vtkIdType n = values->GetNumberOfTuples();
    if (id < 0 || id >= n) {
        vtkErrorMacro("Annotation " << IdText() << " Annotation out of range");
        return 0;
    }
    for (vtkIdType i = id; i + 1 < n; ++i)
        values->SetTuple1(i, values->GetTuple1(i + 1));
    values->SetNumberOfTuples(n - 1);
    return 1;
}

void vtkMRMLAnnotationNode::SetAttributeSize(int att, vtkIdType n)
{
    vtkDataArray* values = GetPolyData() && GetPolyData()->GetPointData()
                               ? GetPolyData()->GetPointData()->GetArray(GetAttributeTypesEnumAsString(att))
                               : nullptr;
    if (!values) {
        ResetAttributes(att);
        values = GetAnnotationAttributes(att);
        if (!values)
            return;
    }
    const vtkIdType old = values->GetNumberOfTuples();
    if (n < old) {
        values->SetNumberOfTuples(n);
        return;
    }
    // Inserting grows the storage geometrically: sizing it to each new count would copy
    // the whole array for every point added.
    for (vtkIdType i = old; i < n; ++i)
        values->InsertTuple1(i, 0);
}

void vtkMRMLAnnotationNode::ResetAttributes(int att)
{
    if (!GetPolyData() || !GetPolyData()->GetPointData()) {
        vtkErrorMacro("Annotation: " << IdText() << " PolyData or  PolyData->GetPointData() is NULL");
        return;
    }
    if (att < 0) {
        vtkErrorMacro("Annotation: " << IdText() << " ID is out of range");
        return;
    }
    vtkPointData* pd = GetPolyData()->GetPointData();
    vtkDataArray* values = pd->GetArray(GetAttributeTypesEnumAsString(att));
    if (!values) {
        vtkNew<vtkBitArray> bits;
        bits->SetName(GetAttributeTypesEnumAsString(att));
        pd->AddArray(bits);
        values = bits;
    }
    values->Initialize();
}

void vtkMRMLAnnotationNode::ResetTextAttributesAll()
{
    if (!GetPolyData() || !GetPolyData()->GetPointData())
        CreatePolyData();
    ResetAttributes(TEXT_SELECTED);
    ResetAttributes(TEXT_VISIBLE);
}

void vtkMRMLAnnotationNode::CreatePolyData()
{
    if (!GetPolyData()) {
        vtkNew<vtkPolyData> polyData;
        SetAndObservePolyData(polyData);
    }
}

vtkPoints* vtkMRMLAnnotationNode::GetPoints()
{
    return GetPolyData() ? GetPolyData()->GetPoints() : nullptr;
}

vtkCellArray* vtkMRMLAnnotationNode::GetPipelineLines()
{
    return GetPolyData() ? GetPolyData()->GetLines() : nullptr;
}

void vtkMRMLAnnotationNode::ResetAnnotations()
{
    if (!TextList)
        TextList = vtkStringArray::New();
    TextList->Initialize();
    ResetTextAttributesAll();
}

// ---- other state ----------------------------------------------------------------

void vtkMRMLAnnotationNode::ApplyLocked(int locked)
{
    if (Locked == locked)
        return;
    Locked = locked;
    if (!GetDisableModifiedEvent())
        InvokeEvent(LockModifiedEvent);
    Modified();
}

void vtkMRMLAnnotationNode::SetLocked(int locked)
{
    ApplyLocked(locked);
}

void vtkMRMLAnnotationNode::SetReferenceNodeID(const char* id)
{
    if ((!id && !ReferenceNodeID) || (id && ReferenceNodeID && std::strcmp(id, ReferenceNodeID) == 0))
        return;
    delete[] ReferenceNodeID;
    ReferenceNodeID = nullptr;
    if (id) {
        ReferenceNodeID = new char[std::strlen(id) + 1];
        std::strcpy(ReferenceNodeID, id);
    }
    Modified();
}

void vtkMRMLAnnotationNode::CreateBackup()
{
    auto* copy = vtkMRMLAnnotationNode::New();
    copy->CopyWithoutModifiedEvent(this);
    ClearBackup();
    Backup = copy;
}

void vtkMRMLAnnotationNode::ClearBackup()
{
    if (Backup) {
        Backup->Delete();
        Backup = nullptr;
    }
}

void vtkMRMLAnnotationNode::SaveView()
{
    vtkMRMLScene* scene = GetScene();
    if (!scene) {
        vtkWarningMacro("vtkMRMLAnnotationNode::SaveView failed: scene is invalid");
        return;
    }
    for (int i = 0; i < 3; ++i) {
        SavedSliceNodes[i] = vtkSmartPointer<vtkMRMLSliceNode>::New();
        if (vtkMRMLNode* slice = scene->GetNthNodeByClass(i, "vtkMRMLSliceNode"))
            SavedSliceNodes[i]->Copy(slice);
    }
    SavedCameraNode = vtkSmartPointer<vtkMRMLCameraNode>::New();
    if (vtkMRMLNode* camera = scene->GetNthNodeByClass(0, "vtkMRMLCameraNode"))
        SavedCameraNode->Copy(camera);
}

void vtkMRMLAnnotationNode::RestoreView()
{
    vtkMRMLScene* scene = GetScene();
    if (!scene || !SavedSliceNodes[0] || !SavedSliceNodes[1] || !SavedSliceNodes[2] || !SavedCameraNode)
        return;
    for (int i = 0; i < 3; ++i)
        if (vtkMRMLNode* slice = scene->GetNthNodeByClass(i, "vtkMRMLSliceNode"))
            slice->CopyWithSingleModifiedEvent(SavedSliceNodes[i]);
    if (vtkMRMLNode* camera = scene->GetNthNodeByClass(0, "vtkMRMLCameraNode"))
        camera->CopyWithSingleModifiedEvent(SavedCameraNode);
}

void vtkMRMLAnnotationNode::RestoreBackup()
{
    if (!Backup) {
        vtkErrorMacro("RestoreBackup - could not get the attached backup");
        return;
    }
    vtkMRMLAnnotationNode* held = Backup;
    Backup = nullptr;
    CopyWithSingleModifiedEvent(held);
    Backup = held;
}

void vtkMRMLAnnotationNode::Initialize(vtkMRMLScene* scene)
{
    if (!scene) {
        vtkErrorMacro("Scene was null!");
        return;
    }
    RegisterNodeClasses(scene);
    SetDisableModifiedEvent(1);
    if (GetScene() != scene)
        SetScene(scene);
    CreateAnnotationTextDisplayNode();
    SetDisableModifiedEvent(0);
    if (!scene->IsNodePresent(this))
        scene->AddNode(this);
}

void vtkMRMLAnnotationNode::CreateAnnotationTextDisplayNode()
{
    if (GetAnnotationTextDisplayNode())
        return;
    AddNewDisplayNodeOfClass<vtkMRMLAnnotationTextDisplayNode>("vtkMRMLAnnotationNode::CreateAnnotationTextDisplayNode Annotation: No scene defined");
}

vtkMRMLAnnotationTextDisplayNode* vtkMRMLAnnotationNode::GetAnnotationTextDisplayNode()
{
    return FirstDisplayNodeOfClass<vtkMRMLAnnotationTextDisplayNode>();
}

bool vtkMRMLAnnotationNode::HasSceneFor(const char* noSceneMessage)
{
    if (GetScene())
        return true;
    vtkErrorMacro(<< noSceneMessage);
    return false;
}

void vtkMRMLAnnotationNode::SetSelectedColorOf(vtkMRMLDisplayNode* node, const char* owner, const char* kind,
                                               const double color[3])
{
    if (!node) {
        vtkErrorMacro(<< owner << ": " << NameText() << " cannot get " << kind);
        return;
    }
    node->SetSelectedColor(color[0], color[1], color[2]);
}

void vtkMRMLAnnotationNode::AddAndObserveNewDisplayNode(vtkMRMLDisplayNode* node)
{
    GetScene()->AddNode(node);
    AddAndObserveDisplayNodeID(node->GetID());
    node->Delete();
}

vtkMRMLStorageNode* vtkMRMLAnnotationNode::CreateStorageNodeOfClass(const char* className)
{
    vtkMRMLScene* scene = GetScene();
    if (!scene) {
        vtkErrorMacro("CreateDefaultStorageNode failed: scene is invalid");
        return nullptr;
    }
    RegisterNodeClasses(scene);
    vtkMRMLNode* node = scene->CreateNodeByClass(className);
    auto* storage = vtkMRMLStorageNode::SafeDownCast(node);
    if (!storage && node)
        node->Delete();
    return storage;
}

vtkMRMLStorageNode* vtkMRMLAnnotationNode::CreateDefaultStorageNode()
{
    return CreateStorageNodeOfClass("vtkMRMLAnnotationStorageNode");
}

void vtkMRMLAnnotationNode::ProcessMRMLEvents(vtkObject* caller, unsigned long event, void* callData)
{
    if (event == vtkCommand::ModifiedEvent && vtkMRMLDisplayNode::SafeDownCast(caller))
        vtkObject::Modified(); // the time only: the display node's own event says enough
    Superclass::ProcessMRMLEvents(caller, event, callData);
}

// ---- copy, XML, printing -----------------------------------------------------------

void vtkMRMLAnnotationNode::Copy(vtkMRMLNode* anode)
{
    int wasModifying = StartModify();
    Superclass::Copy(anode);
    if (auto* node = vtkMRMLAnnotationNode::SafeDownCast(anode)) {
        SetReferenceNodeID(node->ReferenceNodeID);
        ApplyLocked(node->Locked);
        TextList->DeepCopy(node->TextList);
    }
    EndModify(wasModifying);
}

void vtkMRMLAnnotationNode::WriteXML(ostream& of, int indent)
{
    // The model layer's attributes are not ours to carry: the poly data goes to the file.
    vtkMRMLDisplayableNode::WriteXML(of, indent);
    of << " referenceNodeID=\""
       << XMLAttributeEncodeString(ReferenceNodeID ? ReferenceNodeID : "None") << "\"";
    of << " locked=\"" << Locked << "\"";
    std::string texts;
    const int n = GetNumberOfTexts();
    for (int i = 0; i < n; ++i) {
        if (i)
            texts += '|';
        texts += annotationtext::escape(GetText(i));
    }
    of << " textList=\"" << XMLAttributeEncodeString(texts) << "\"";
    for (int att = TEXT_SELECTED; att <= TEXT_VISIBLE; ++att) {
        of << " " << GetAttributeTypesEnumAsString(att) << "=\"";
        for (int i = 0; i < n; ++i)
            of << (i ? " " : "") << GetAnnotationAttribute(i, att);
        of << "\"";
    }
}

namespace {
// Blank-separated numbers up to the first token that is not one.
std::vector<double> readNumbers(const char* text)
{
    std::vector<double> values;
    std::istringstream is(text ? text : "");
    is.imbue(std::locale::classic());
    double v;
    while (is >> v)
        values.push_back(v);
    return values;
}
} // namespace

void vtkMRMLAnnotationNode::ReadXMLAttributes(const char** atts)
{
    int wasModifying = StartModify();
    ResetAnnotations();
    vtkMRMLDisplayableNode::ReadXMLAttributes(atts);
    for (int i = 0; atts && atts[i] && atts[i + 1]; i += 2) {
        const std::string key = atts[i];
        const char* value = atts[i + 1];
        if (key == "textList") {
            if (*value)
                for (std::string_view piece : annotationtext::splitEscaped(value))
                    AddText(annotationtext::unescape(piece).c_str(), 1, 1);
        } else if (key == "referenceNodeID") {
            SetReferenceNodeID(value);
        } else if (key == "locked") {
            const double locked = annotationtext::parseDouble(value);
            // Only a number an int can hold is taken; anything else reads as unlocked.
            ApplyLocked(locked > -2147483649.0 && locked < 2147483648.0 ? static_cast<int>(locked) : 0);
        } else {
            for (int att = TEXT_SELECTED; att <= TEXT_VISIBLE; ++att)
                if (key == GetAttributeTypesEnumAsString(att)) {
                    const std::vector<double> values = readNumbers(value);
                    const int n = GetNumberOfTexts();
                    for (size_t k = 0; k < values.size() && static_cast<int>(k) < n; ++k)
                        SetAnnotationAttribute(static_cast<vtkIdType>(k), att, values[k]);
                }
        }
    }
    EndModify(wasModifying);
}

void vtkMRMLAnnotationNode::PrintSelf(ostream& os, vtkIndent indent)
{
    Superclass::PrintSelf(os, indent);
    PrintAnnotationInfo(os, indent, 0);
}

void vtkMRMLAnnotationNode::PrintAnnotationInfo(ostream& os, vtkIndent indent, int titleFlag)
{
    if (titleFlag) {
        os << indent << "vtkMRMLAnnotationNode: Annotation Summary";
        if (GetName())
            os << " of " << GetName();
        os << "\n";
    }
    os << indent << "ReferenceNodeID: " << (ReferenceNodeID ? ReferenceNodeID : "None") << "\n";
    os << indent << "Selected: " << GetSelected() << "\n";
    os << indent << "Locked: " << Locked << "\n";
    os << indent << "textList: ";
    const int n = GetNumberOfTexts();
    if (n <= 0)
        os << "None\n";
    else {
        os << "\n";
        for (int i = 0; i < n; ++i) {
            const vtkStdString text = GetText(i);
            os << indent << "  " << i << ": " << (text.empty() ? "(none)" : text.c_str()) << "\n";
        }
    }
    for (int att = TEXT_SELECTED; att <= TEXT_VISIBLE; ++att) {
        os << indent << GetAttributeTypesEnumAsString(att) << ":";
        if (n <= 0)
            os << " None";
        else {
            os << " ";
            for (int i = 0; i < n; ++i)
                os << GetAnnotationAttribute(i, att) << " ";
        }
        os << "\n";
    }
}
