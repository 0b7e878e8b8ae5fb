#pragma once
// Base of every node of the MRML scene: identity (ID, name), free attributes, scene-file
// attributes, batched modification and references to other nodes by role and ID.

#include <vtkObject.h>
#include <vtkSmartPointer.h>

#include <cstddef>
#include <iosfwd>
#include <map>
#include <memory>
#include <string>
#include <vector>

class vtkCallbackCommand;
class vtkMRMLScene;

class vtkMRMLNode : public vtkObject
{
public:
    vtkTypeMacro(vtkMRMLNode, vtkObject);
    void PrintSelf(ostream& os, vtkIndent indent) override;

    // A new, empty node of the same class (new reference, the caller owns it).
    virtual vtkMRMLNode* CreateNodeInstance() = 0;
    // The element name of the node in a scene file.
    virtual const char* GetNodeTagName() = 0;

    // Scene-file attributes: name/value pairs, the list ends with a null name.
    virtual void ReadXMLAttributes(const char** atts);
    // Writes each attribute as ` name="value"` with the value escaped for XML.
    virtual void WriteXML(ostream& of, int indent);
    // Copies everything but the ID and the scene.
    virtual void Copy(vtkMRMLNode* node);
    void CopyWithoutModifiedEvent(vtkMRMLNode* node);
    void CopyWithSingleModifiedEvent(vtkMRMLNode* node);

    // ID: unique in the scene. Changing it while in a scene keeps the scene's index right.
    virtual void SetID(const char* id);
    const char* GetID() const { return ID.empty() ? nullptr : ID.c_str(); }

    virtual void SetName(const char* name);
    vtkGetStringMacro(Name);
    vtkSetStringMacro(Description);
    vtkGetStringMacro(Description);
    vtkSetStringMacro(SingletonTag);
    vtkGetStringMacro(SingletonTag);
    bool IsSingleton() const { return SingletonTag && *SingletonTag; }

    vtkSetMacro(HideFromEditors, int);
    vtkGetMacro(HideFromEditors, int);
    vtkBooleanMacro(HideFromEditors, int);
    vtkSetMacro(Selectable, int);
    vtkGetMacro(Selectable, int);
    vtkBooleanMacro(Selectable, int);
    vtkSetMacro(Selected, int);
    vtkGetMacro(Selected, int);
    vtkBooleanMacro(Selected, int);

    // Free text attributes; a null value removes the attribute.
    void SetAttribute(const char* name, const char* value);
    void RemoveAttribute(const char* name);
    const char* GetAttribute(const char* name) const;
    std::vector<std::string> GetAttributeNames() const;

    // The scene that holds the node (not owned); set by the scene.
    vtkMRMLScene* GetScene() const;
    virtual void SetScene(vtkMRMLScene* scene);

    // Modified events: while disabled, Modified() only counts a pending event.
    int StartModify();
    int EndModify(int previousDisableState);
    vtkGetMacro(DisableModifiedEvent, int);
    void SetDisableModifiedEvent(int disable) { DisableModifiedEvent = disable; }
    void Modified() override;
    // Fires one ModifiedEvent when any is pending; returns the number that was pending.
    // Subclasses may send their own events first.
    virtual int InvokePendingModifiedEvent();
    int GetModifiedEventPending() const { return ModifiedEventPending; }

    // References to other nodes of the same scene, by role and ID, in order.
    void SetNodeReferenceID(const char* role, const char* referencedId);
    void AddNodeReferenceID(const char* role, const char* referencedId);
    // As above, and the referencing node observes `events` of the referenced node
    // (ProcessMRMLEvents) once the referenced node is found in the scene.
    void SetAndObserveNodeReferenceID(const char* role, const char* referencedId,
                                      const std::vector<unsigned long>& events);
    void AddAndObserveNodeReferenceID(const char* role, const char* referencedId,
                                      const std::vector<unsigned long>& events);
    void RemoveNodeReferenceIDs(const char* role);
    const char* GetNodeReferenceID(const char* role) const { return GetNthNodeReferenceID(role, 0); }
    const char* GetNthNodeReferenceID(const char* role, int n) const;
    int GetNumberOfNodeReferences(const char* role) const;
    vtkMRMLNode* GetNodeReference(const char* role) { return GetNthNodeReference(role, 0); }
    vtkMRMLNode* GetNthNodeReference(const char* role, int n);
    std::vector<std::string> GetNodeReferenceRoles() const;

    // Events of observed nodes arrive here.
    virtual void ProcessMRMLEvents(vtkObject* caller, unsigned long event, void* callData);

    // XML attribute value escaping (&, <, >, ") and its inverse.
    static std::string XMLAttributeEncodeString(const std::string& value);
    static std::string XMLAttributeDecodeString(const std::string& value);

private:
    friend class vtkMRMLScene;
    // What the scene holding the node keeps about it, here so that the scene needs no
    // look-up table per node: positions in the scene's lists and the indexed ID.  Placed
    // first, right after the reference count, as every addition and removal reads them.
    struct SceneEntry
    {
        vtkMRMLScene* owner = nullptr;
        void* classEntry = nullptr;
        size_t slot = 0;
        size_t classSlot = 0;
        // The number of an ID the scene made from the class name (0: not such an ID).
        size_t idNumber = 0;
        // Hash of the ID as the scene indexed it (0: not indexed).
        size_t idHash = 0;
        unsigned long long sequence = 0;
    };
    SceneEntry SceneData;
    // A weak reference that costs the same however many nodes share the scene (VTK's weak
    // pointers keep one list per object and scan it on every change).
    vtkMRMLScene* Scene = nullptr;
    std::weak_ptr<const void> SceneAlive;

    struct Reference
    {
        std::string id;
        std::vector<unsigned long> events;
        // The observed node, valid while `observedAlive` has not expired.
        vtkMRMLNode* observed = nullptr;
        std::weak_ptr<const void> observedAlive;
        std::vector<unsigned long> tags;
    };
    // Entering and leaving a scene reads the references, the name and the singleton tag:
    // declared here, they share the cache lines of the scene's entry.
    std::map<std::string, std::vector<Reference>> References;

protected:
    vtkMRMLNode();
    ~vtkMRMLNode() override;
    vtkMRMLNode(const vtkMRMLNode&) = delete;
    void operator=(const vtkMRMLNode&) = delete;

    char* Name = nullptr;
    char* SingletonTag = nullptr;
    std::string ID;
    char* Description = nullptr;
    int HideFromEditors = 0;
    int Selectable = 1;
    int Selected = 0;

private:
    static vtkMRMLNode* ObservedNode(const Reference& ref);
    // Expires when this node is destroyed; made on first use (only observed nodes need it).
    const std::shared_ptr<const void>& AliveToken();
    void AddReference(const char* role, const char* id, const std::vector<unsigned long>& events,
                      bool replace);
    void Unobserve(Reference& ref);
    vtkMRMLNode* Resolve(Reference& ref);
    static void MRMLCallback(vtkObject* caller, unsigned long event, void* clientData,
                             void* callData);

    std::map<std::string, std::string> Attributes;
    std::shared_ptr<const void> Alive;
    vtkSmartPointer<vtkCallbackCommand> MRMLCallbackCommand;
    int DisableModifiedEvent = 0;
    int ModifiedEventPending = 0;
};
