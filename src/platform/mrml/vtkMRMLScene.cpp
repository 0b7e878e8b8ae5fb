#include "vtkMRMLScene.h"

#include "vtkMRMLClipModelsNode.h"
#include "vtkMRMLCrosshairNode.h"
#include "vtkMRMLInteractionNode.h"
#include "vtkMRMLNode.h"
#include "vtkMRMLSelectionNode.h"
#include "vtkMRMLTransformNode.h"
#include "vtkMRMLViewNode.h"

#include <vtkCollection.h>
#include <vtkNew.h>
#include <vtkObjectFactory.h>

#include <algorithm>
#include <ostream>

vtkStandardNewMacro(vtkMRMLScene);

namespace {

template <class NodeClass> void registerClass(vtkMRMLScene* scene)
{
    vtkNew<NodeClass> prototype;
    scene->RegisterNodeClass(prototype);
}

} // namespace

vtkMRMLScene::vtkMRMLScene()
{
    registerClass<vtkMRMLViewNode>(this);
    registerClass<vtkMRMLCrosshairNode>(this);
    registerClass<vtkMRMLTransformNode>(this);
    registerClass<vtkMRMLClipModelsNode>(this);
    registerClass<vtkMRMLSelectionNode>(this);
    registerClass<vtkMRMLInteractionNode>(this);
}

vtkMRMLScene::~vtkMRMLScene()
{
    // Nodes may outlive the scene when someone else holds them.
    for (auto& entry : Nodes)
        entry.second->SetScene(nullptr);
}

void vtkMRMLScene::PrintSelf(ostream& os, vtkIndent indent)
{
    Superclass::PrintSelf(os, indent);
    os << indent << "Number of nodes: " << Nodes.size() << "\n";
    os << indent << "RootDirectory: " << RootDirectory << "\n";
    os << indent << "BatchProcessing: " << StateCounts[0] << "\n";
    for (const auto& entry : Nodes)
        os << indent.GetNextIndent() << entry.second->GetClassName() << " "
           << (entry.second->GetID() ? entry.second->GetID() : "") << "\n";
}

std::string vtkMRMLScene::GenerateUniqueID(vtkMRMLNode* node)
{
    const std::string className = node->GetClassName();
    // The counter only grows, so each taken number is skipped at most once.
    int& counter = IDCounters[className];
    std::string id;
    do {
        id = className + std::to_string(++counter);
    } while (NodeByID.count(id));
    return id;
}

vtkMRMLNode* vtkMRMLScene::AddNode(vtkMRMLNode* node)
{
    if (!node)
        return nullptr;
    if (IsNodePresent(node))
        return node;

    std::string id = node->GetID() ? node->GetID() : "";
    if (node->IsSingleton()) {
        const std::string singletonId =
            std::string(node->GetClassName()) + node->GetSingletonTag();
        auto existing = NodeByID.find(singletonId);
        if (existing != NodeByID.end()) {
            vtkMRMLNode* singleton = existing->second;
            if (std::string(singleton->GetClassName()) == node->GetClassName()) {
                singleton->CopyWithSingleModifiedEvent(node);
                return singleton;
            }
        }
        id = singletonId;
    }

    InvokeEvent(NodeAboutToBeAddedEvent, node);

    if (id.empty() || NodeByID.count(id))
        id = GenerateUniqueID(node);
    // The node is not in a scene yet, so SetID does not call back here.
    node->SetID(id.c_str());

    const Sequence seq = NextSequence++;
    Nodes.emplace(seq, node);
    NodeSequence.emplace(node, seq);
    NodeByID.emplace(id, node);
    NodesByExactClass[node->GetClassName()].push_back(node);
    ClassQueryCache.clear();
    if (node->GetName())
        IndexName(node, node->GetName(), true);

    node->SetScene(this);
    InvokeEvent(NodeAddedEvent, node);
    Modified();
    return node;
}

void vtkMRMLScene::RemoveNode(vtkMRMLNode* node)
{
    if (!node || !IsNodePresent(node))
        return;
    // Keep the node alive until the removal events have been delivered.
    vtkSmartPointer<vtkMRMLNode> hold = node;
    InvokeEvent(NodeAboutToBeRemovedEvent, node);
    auto seqIt = NodeSequence.find(node);
    if (seqIt == NodeSequence.end())
        return; // removed by an observer of the event above
    const Sequence seq = seqIt->second;

    if (node->GetID()) {
        auto idIt = NodeByID.find(node->GetID());
        if (idIt != NodeByID.end() && idIt->second == node)
            NodeByID.erase(idIt);
    }
    auto classIt = NodesByExactClass.find(node->GetClassName());
    if (classIt != NodesByExactClass.end()) {
        auto& list = classIt->second;
        list.erase(std::remove(list.begin(), list.end(), node), list.end());
        if (list.empty())
            NodesByExactClass.erase(classIt);
    }
    ClassQueryCache.clear();
    if (node->GetName())
        IndexName(node, node->GetName(), false);
    NodeSequence.erase(seqIt);
    Nodes.erase(seq);

    node->SetScene(nullptr);
    InvokeEvent(NodeRemovedEvent, node);
    Modified();
}

int vtkMRMLScene::IsNodePresent(vtkMRMLNode* node) const
{
    return node && NodeSequence.count(node) ? 1 : 0;
}

void vtkMRMLScene::Clear(int removeSingletons)
{
    StartState(CloseState);
    std::vector<vtkSmartPointer<vtkMRMLNode>> toRemove;
    toRemove.reserve(Nodes.size());
    for (const auto& entry : Nodes)
        if (removeSingletons || !entry.second->IsSingleton())
            toRemove.push_back(entry.second);
    for (auto& node : toRemove)
        RemoveNode(node);
    EndState(CloseState);
}

vtkMRMLNode* vtkMRMLScene::GetNodeByID(const char* id) const
{
    if (!id)
        return nullptr;
    auto it = NodeByID.find(id);
    return it == NodeByID.end() ? nullptr : it->second;
}

vtkMRMLNode* vtkMRMLScene::GetNthNode(int n) const
{
    if (n < 0 || n >= GetNumberOfNodes())
        return nullptr;
    auto it = Nodes.begin();
    std::advance(it, n);
    return it->second;
}

const std::vector<vtkMRMLNode*>& vtkMRMLScene::NodesOfClass(const char* className)
{
    static const std::vector<vtkMRMLNode*> none;
    if (!className)
        return none;
    auto cached = ClassQueryCache.find(className);
    if (cached != ClassQueryCache.end())
        return cached->second;

    // One representative per exact class decides for all nodes of that class.
    std::vector<const std::vector<vtkMRMLNode*>*> matching;
    for (const auto& entry : NodesByExactClass)
        if (!entry.second.empty() && entry.second.front()->IsA(className))
            matching.push_back(&entry.second);

    std::vector<vtkMRMLNode*> result;
    if (matching.size() == 1) {
        result = *matching.front();
    } else if (!matching.empty()) {
        for (const auto* list : matching)
            result.insert(result.end(), list->begin(), list->end());
        std::sort(result.begin(), result.end(), [this](vtkMRMLNode* a, vtkMRMLNode* b) {
            return NodeSequence.at(a) < NodeSequence.at(b);
        });
    }
    return ClassQueryCache.emplace(className, std::move(result)).first->second;
}

vtkMRMLNode* vtkMRMLScene::GetFirstNodeByClass(const char* className)
{
    return GetNthNodeByClass(0, className);
}

vtkMRMLNode* vtkMRMLScene::GetNthNodeByClass(int n, const char* className)
{
    const auto& nodes = NodesOfClass(className);
    if (n < 0 || n >= static_cast<int>(nodes.size()))
        return nullptr;
    return nodes[static_cast<size_t>(n)];
}

int vtkMRMLScene::GetNumberOfNodesByClass(const char* className)
{
    return static_cast<int>(NodesOfClass(className).size());
}

vtkCollection* vtkMRMLScene::GetNodesByClass(const char* className)
{
    vtkCollection* collection = vtkCollection::New();
    for (vtkMRMLNode* node : NodesOfClass(className))
        collection->AddItem(node);
    return collection;
}

int vtkMRMLScene::GetNodesByClass(const char* className, std::vector<vtkMRMLNode*>& nodes)
{
    nodes = NodesOfClass(className);
    return static_cast<int>(nodes.size());
}

vtkMRMLNode* vtkMRMLScene::GetFirstNodeByName(const char* name) const
{
    if (!name)
        return nullptr;
    auto it = NodesByName.find(name);
    if (it == NodesByName.end() || it->second.empty())
        return nullptr;
    return it->second.begin()->second;
}

void vtkMRMLScene::IndexName(vtkMRMLNode* node, const char* name, bool add)
{
    auto seqIt = NodeSequence.find(node);
    if (!name || seqIt == NodeSequence.end())
        return;
    if (add) {
        NodesByName[name][seqIt->second] = node;
        return;
    }
    auto it = NodesByName.find(name);
    if (it == NodesByName.end())
        return;
    it->second.erase(seqIt->second);
    if (it->second.empty())
        NodesByName.erase(it);
}

void vtkMRMLScene::NodeIDChanged(vtkMRMLNode* node, const std::string& oldId)
{
    if (!IsNodePresent(node))
        return;
    auto it = NodeByID.find(oldId);
    if (it != NodeByID.end() && it->second == node)
        NodeByID.erase(it);
    if (node->GetID())
        NodeByID[node->GetID()] = node;
}

void vtkMRMLScene::NodeNameChanged(vtkMRMLNode* node, const char* oldName)
{
    if (!IsNodePresent(node))
        return;
    IndexName(node, oldName, false);
    IndexName(node, node->GetName(), true);
}

void vtkMRMLScene::RegisterNodeClass(vtkMRMLNode* prototype)
{
    if (!prototype)
        return;
    RegisteredClasses[prototype->GetClassName()] = prototype;
}

vtkMRMLNode* vtkMRMLScene::CreateNodeByClass(const char* className)
{
    if (!className)
        return nullptr;
    auto it = RegisteredClasses.find(className);
    if (it == RegisteredClasses.end())
        return nullptr;
    return it->second->CreateNodeInstance();
}

bool vtkMRMLScene::IsNodeClassRegistered(const char* className) const
{
    return className && RegisteredClasses.count(className);
}

std::string vtkMRMLScene::GetUniqueNameByString(const char* base)
{
    const std::string prefix = base ? base : "";
    if (!NodesByName.count(prefix))
        return prefix;
    int& counter = NameCounters[prefix];
    std::string name;
    do {
        name = prefix + "_" + std::to_string(++counter);
    } while (NodesByName.count(name));
    return name;
}

void vtkMRMLScene::StartState(unsigned long state)
{
    if (state & BatchProcessState) {
        if (StateCounts[0]++ == 0)
            InvokeEvent(StartBatchProcessEvent, nullptr);
    }
    if ((state & CloseState & ~BatchProcessState) && StateCounts[1]++ == 0)
        InvokeEvent(StartCloseEvent, nullptr);
    if ((state & ImportState & ~BatchProcessState) && StateCounts[2]++ == 0)
        InvokeEvent(StartImportEvent, nullptr);
}

void vtkMRMLScene::EndState(unsigned long state)
{
    auto leave = [this](int index, unsigned long event) {
        if (StateCounts[index] == 0) {
            vtkWarningMacro("EndState: the state was not started");
            return;
        }
        if (--StateCounts[index] == 0)
            InvokeEvent(event, nullptr);
    };
    if (state & ImportState & ~BatchProcessState)
        leave(2, EndImportEvent);
    if (state & CloseState & ~BatchProcessState)
        leave(1, EndCloseEvent);
    if (state & BatchProcessState)
        leave(0, EndBatchProcessEvent);
}
