#pragma once
// The MRML scene: owns its nodes, gives them unique IDs, indexes them by ID, class and
// name, creates nodes of registered classes and announces additions, removals and
// batch-processing states as VTK events.  Adding, removing, look-ups by ID, class or
// name and positional access cost constant or logarithmic time per node, so projects
// with hundreds of thousands of nodes stay responsive.

#include <vtkCommand.h>
#include <vtkObject.h>
#include <vtkSmartPointer.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class vtkCollection;
class vtkMRMLDeferredNodes;
class vtkMRMLNode;

class vtkMRMLScene : public vtkObject
{
public:
    static vtkMRMLScene* New();
    vtkTypeMacro(vtkMRMLScene, vtkObject);
    void PrintSelf(ostream& os, vtkIndent indent) override;

    // Events; the call data of the node events is the node.
    enum SceneEventType
    {
        NodeAddedEvent = 8193,
        NodeAboutToBeAddedEvent = vtkCommand::UserEvent + 1,
        NodeAboutToBeRemovedEvent = vtkCommand::UserEvent + 2,
        NodeRemovedEvent = vtkCommand::UserEvent + 3,
        StartBatchProcessEvent = vtkCommand::UserEvent + 4,
        EndBatchProcessEvent = vtkCommand::UserEvent + 5,
        StartCloseEvent = vtkCommand::UserEvent + 6,
        EndCloseEvent = vtkCommand::UserEvent + 7,
        StartImportEvent = vtkCommand::UserEvent + 8,
        EndImportEvent = vtkCommand::UserEvent + 9,
    };

    // Scene states; closing and importing are batch processing too.
    enum StateType
    {
        BatchProcessState = 0x0001,
        CloseState = 0x0002 | BatchProcessState,
        ImportState = 0x0004 | BatchProcessState,
    };

    // Adds a node and returns the node now in the scene. A node with a singleton tag that
    // the scene already holds (same class and tag) is copied into the existing singleton,
    // which is returned. A missing or already used ID is replaced by ClassName + number;
    // a singleton's ID is ClassName + tag. Null when `node` is null.
    vtkMRMLNode* AddNode(vtkMRMLNode* node);
    void RemoveNode(vtkMRMLNode* node);
    // Non-zero when the node is in this scene.
    int IsNodePresent(vtkMRMLNode* node) const;
    // Removes every node; singletons stay unless `removeSingletons` is set.
    void Clear(int removeSingletons);

    vtkMRMLNode* GetNodeByID(const char* id) const;
    vtkMRMLNode* GetNodeByID(const std::string& id) const { return GetNodeByID(id.c_str()); }
    int GetNumberOfNodes() const;
    vtkMRMLNode* GetNthNode(int n) const;
    // Class look-ups match the class and classes derived from it, in scene order.
    vtkMRMLNode* GetFirstNodeByClass(const char* className);
    vtkMRMLNode* GetNthNodeByClass(int n, const char* className);
    int GetNumberOfNodesByClass(const char* className);
    // A new collection of the matching nodes; the caller owns it (Delete it).
    vtkCollection* GetNodesByClass(const char* className);
    int GetNodesByClass(const char* className, std::vector<vtkMRMLNode*>& nodes);
    vtkMRMLNode* GetFirstNodeByName(const char* name) const;

    // Nodes the scene shows but makes only when asked for (see vtkMRMLDeferredNodes): a
    // look-up of one's ID makes that one; asking for all nodes, for those of a class they
    // belong to, or for one by its name, makes those first.  An ID the scene already holds
    // hides the deferred node of that ID; a node made and then removed is not made again.
    // Adding a list the scene already shows does nothing; one of the same source as a list
    // it shows takes that list's place (see vtkMRMLDeferredNodes::GetSource).
    void AddDeferredNodes(const std::shared_ptr<vtkMRMLDeferredNodes>& nodes);
    // The deferred nodes of this class (and derived classes) not made yet, without making
    // them: for each list in order, the list and the indices of those nodes in it.
    struct WaitingNodes
    {
        std::shared_ptr<vtkMRMLDeferredNodes> list;
        // The waiting nodes are the `indices` of the list, in order; or, when `allBut` is
        // set, every one of the list's `count` nodes but the `indices` (sorted).
        std::vector<unsigned> indices;
        bool allBut = false;
        size_t count = 0;
        // How many wait; the list's index of the k-th; the place of a list index among
        // them (npos when it does not wait); the k-th left out.
        size_t size() const;
        unsigned at(size_t k) const;
        size_t find(size_t index) const;
        void erase(size_t k);
    };
    std::vector<WaitingNodes> GetWaitingNodes(const char* className) const;
    // The nodes of the class the scene holds now, in scene order, making none.
    int GetMadeNodesByClass(const char* className, std::vector<vtkMRMLNode*>& nodes);

    // Node classes the scene can create by name. The prototype's class name is the key.
    void RegisterNodeClass(vtkMRMLNode* prototype);
    // A new node of a registered class (the caller owns the reference); null when unknown.
    vtkMRMLNode* CreateNodeByClass(const char* className);
    bool IsNodeClassRegistered(const char* className) const;
    // The registered class whose nodes a scene file writes as elements named `tagName`.
    const char* GetClassNameByTag(const char* tagName) const;
    // For libraries above this one: every scene made after the call runs `registrar` as it
    // is built, so that their node classes can be created by name (scene files need it).
    static void AddNodeClassRegistrar(void (*registrar)(vtkMRMLScene*));

    // "base" while no node is named so, else the first unused "base_N", N counting up
    // from 1 and never reused for the same base during the scene's life.
    std::string GetUniqueNameByString(const char* base);
    // How many node slots and candidate IDs or names the scenes of this thread have stepped
    // over (appended, found, walked, renumbered, tried) since it started: a plain count of
    // the work, the same on every run, by which a test sees that adding n nodes and finding
    // each again costs about n steps, not n for every node already there.
    static std::uint64_t GetNodeSlotsVisited();
    // The count GetNodeSlotsVisited() reads, for the containers that count the slots they
    // hand out: the scene's lists, and the deferred lists it shows (a node of one reached
    // by index is a slot stepped over too).
    static std::uint64_t& NodeSlotSteps();

    // Nested states: the start events fire on entering, the end events on leaving the
    // outermost level of each kind.
    void StartState(unsigned long state);
    void EndState(unsigned long state);
    bool IsBatchProcessing() const { return StateCounts[0] > 0; }
    bool IsClosing() const { return StateCounts[1] > 0; }
    bool IsImporting() const { return StateCounts[2] > 0; }

    // Undo: each save opens a level that records the nodes added after it and, with the
    // second form, a copy of the given node as it is now. Undo removes those nodes again
    // and restores the copies; it costs what the level recorded, not the scene's size.
    // At most GetUndoStackLimit() levels are kept (the oldest go first).
    void SaveStateForUndo();
    void SaveStateForUndo(vtkMRMLNode* node);
    // False when there is nothing to undo.
    bool Undo();
    int GetNumberOfUndoLevels() const;
    void ClearUndoStack();
    static int GetUndoStackLimit() { return 100; }

    void SetRootDirectory(const char* dir);
    const char* GetRootDirectory() const;

    // Called by nodes whose ID or name changes while they are in the scene.
    void NodeIDChanged(vtkMRMLNode* node, const std::string& oldId);
    void NodeNameChanged(vtkMRMLNode* node, const char* oldName);

protected:
    vtkMRMLScene();
    ~vtkMRMLScene() override;
    vtkMRMLScene(const vtkMRMLScene&) = delete;
    void operator=(const vtkMRMLScene&) = delete;

private:
    friend class vtkMRMLNode;
    struct vtkInternal;

    // Gives the node a free ID ClassName + number; returns the number when the ID goes
    // into its class's numbered table, else 0.
    size_t GenerateUniqueID(vtkMRMLNode* node);
    void IndexName(vtkMRMLNode* node, const char* name, bool add);

    std::unique_ptr<vtkInternal> Internal;
    // Nodes hold a weak reference to this instead of a vtkWeakPointer to the scene: VTK
    // keeps one list of weak pointers per object and scans it on every change, which made
    // adding and removing nodes grow with the size of the scene.
    std::shared_ptr<const void> AliveToken;
    int StateCounts[3] = {0, 0, 0};
};
