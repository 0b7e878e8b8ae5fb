#pragma once
// Base of every annotation node: a model node with texts (each with a selected and a
// visible flag kept as bit arrays in the point data of its poly data), a lock, a
// reference to another node, a backup copy for undoing an interactive edit and the view
// (slice views and camera) saved when the annotation was placed.

#include "PelmoraAnnotationsExport.h"

#include <mrml/vtkMRMLModelNode.h>
#include <vtkSmartPointer.h>
#include <vtkStdString.h>

class vtkBitArray;
class vtkCellArray;
class vtkDataArray;
class vtkMRMLAnnotationTextDisplayNode;
class vtkMRMLCameraNode;
class vtkMRMLSliceNode;
class vtkPoints;
class vtkStringArray;

class PELMORAANNOTATIONS_EXPORT vtkMRMLAnnotationNode : public vtkMRMLModelNode
{
public:
    static vtkMRMLAnnotationNode* New();
    vtkTypeMacro(vtkMRMLAnnotationNode, vtkMRMLModelNode);
    void PrintSelf(ostream& os, vtkIndent indent) override;

    vtkMRMLNode* CreateNodeInstance() override { return vtkMRMLAnnotationNode::New(); }
    const char* GetNodeTagName() override { return "Annotation"; }
    void ReadXMLAttributes(const char** atts) override;
    void WriteXML(ostream& of, int indent) override;
    void Copy(vtkMRMLNode* node) override;
    void ProcessMRMLEvents(vtkObject* caller, unsigned long event, void* callData) override;
    vtkMRMLStorageNode* CreateDefaultStorageNode() override;
    virtual bool CanApplyNonLinearTransforms() const { return false; }

    enum
    {
        LockModifiedEvent = 3,
    };
    enum
    {
        TEXT_SELECTED = 0,
        TEXT_VISIBLE = 1,
        NUM_TEXT_ATTRIBUTE_TYPES = 2,
    };

    virtual void PrintAnnotationInfo(ostream& os, vtkIndent indent, int titleFlag = 1);
    virtual const char* GetIcon() { return ""; }
    virtual const char* GetAttributeTypesEnumAsString(int type);
    virtual void ResetAnnotations();
    virtual const char* GetReferenceNodeID() { return ReferenceNodeID; }
    virtual void SetReferenceNodeID(const char* id);
    virtual int GetLocked() { return Locked; }
    virtual void Initialize(vtkMRMLScene* scene);

    // Texts.
    int AddText(const char* text, int selected, int visible);
    void SetText(int id, const char* text, int selected, int visible);
    vtkStdString GetText(int id);
    int GetNumberOfTexts();
    int DeleteText(int id);
    double GetTextScale();
    void SetTextScale(double scale);

    // Per-item flags.
    vtkDataArray* GetAnnotationAttributes(int att);
    int GetAnnotationAttribute(vtkIdType id, int att);
    void SetAnnotationAttribute(vtkIdType id, int att, double value);
    int DeleteAttribute(vtkIdType id, int att);

    void SetLocked(int locked);

    void CreateBackup();
    vtkMRMLAnnotationNode* GetBackup() { return Backup; }
    void ClearBackup();
    void RestoreBackup();

    // Keeps copies of the scene's first three slice nodes and its first camera node, and
    // puts them back into those scene nodes.
    void SaveView();
    void RestoreView();

    void CreateAnnotationTextDisplayNode();
    vtkMRMLAnnotationTextDisplayNode* GetAnnotationTextDisplayNode();

    // Makes the scene able to create every annotation node, display node and storage node
    // class by name (scene files and default storage nodes need it).
    static void RegisterNodeClasses(vtkMRMLScene* scene);

protected:
    vtkMRMLAnnotationNode();
    ~vtkMRMLAnnotationNode() override;
    vtkMRMLAnnotationNode(const vtkMRMLAnnotationNode&) = delete;
    void operator=(const vtkMRMLAnnotationNode&) = delete;

    void SetAttributeSize(int att, vtkIdType n);
    void ResetAttributes(int att);
    void ResetTextAttributesAll();
    virtual void CreatePolyData();
    vtkPoints* GetPoints();
    // The poly data's line cells themselves, for the VTK pipeline (installing, handing on):
    // a walk over them here is seen by no count.  The lines node reads and writes its lines
    // through its own counted GetLines().
    vtkCellArray* GetPipelineLines();
    // The node's id for messages ("" when it has none).
    const char* IdText() const { return GetID() ? GetID() : ""; }
    const char* NameText() { return GetName() ? GetName() : ""; }
    // Asks the scene for a storage node of the class, registering the classes first.
    vtkMRMLStorageNode* CreateStorageNodeOfClass(const char* className);
    void ApplyLocked(int locked);
    // The first display node of class T among this node's display nodes (none: null).
    template <class T> T* FirstDisplayNodeOfClass()
    {
        for (int i = 0; i < GetNumberOfDisplayNodes(); ++i)
            if (auto* node = T::SafeDownCast(GetNthDisplayNode(i)))
                return node;
        return nullptr;
    }
    // Adds a display node of class T to the scene and observes it; without a scene it
    // reports noSceneMessage instead.
    template <class T> void AddNewDisplayNodeOfClass(const char* noSceneMessage)
    {
        if (!HasSceneFor(noSceneMessage))
            return;
        AddAndObserveNewDisplayNode(T::New());
    }
    bool HasSceneFor(const char* noSceneMessage);
    // Sets the display node's selected colour; a missing node is reported as
    // "<owner>: <name> cannot get <kind>".
    void SetSelectedColorOf(vtkMRMLDisplayNode* node, const char* owner, const char* kind, const double color[3]);
    // Takes over the reference the caller made with New().
    void AddAndObserveNewDisplayNode(vtkMRMLDisplayNode* node);

    vtkStringArray* TextList = nullptr;
    char* ReferenceNodeID = nullptr;
    int Locked = 0;
    vtkMRMLAnnotationNode* Backup = nullptr;
    vtkSmartPointer<vtkMRMLSliceNode> SavedSliceNodes[3];
    vtkSmartPointer<vtkMRMLCameraNode> SavedCameraNode;
};
