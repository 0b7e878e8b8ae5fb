#include "vtkMRMLScene.h"

#include "vtkMRMLCameraNode.h"
#include "vtkMRMLClipModelsNode.h"
#include "vtkMRMLCrosshairNode.h"
#include "vtkMRMLDeferredNodes.h"
#include "vtkMRMLInteractionNode.h"
#include "vtkMRMLNode.h"
#include "vtkMRMLSelectionNode.h"
#include "vtkMRMLSliceCompositeNode.h"
#include "vtkMRMLSliceNode.h"
#include "vtkMRMLTransformNode.h"
#include "vtkMRMLUnitNode.h"
#include "vtkMRMLViewNode.h"

#include <counted/CountedSteps.h>
#include <vtkCollection.h>
#include <vtkNew.h>
#include <vtkObjectFactory.h>

#include <algorithm>
#include <unordered_set>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <ostream>
#include <string_view>
#include <unordered_map>

vtkStandardNewMacro(vtkMRMLScene);

namespace {

// Nodes in scene order: appending, removing a given node and finding the n-th node take
// constant or logarithmic time.  A removed node leaves an empty slot; a Fenwick tree over
// the slots counts the live ones so that the n-th live slot is found by descending the
// tree.  The slots are compacted once more than half of them are empty.  Slot numbers are
// counted from `Base`, so that dropping the empty slots at the front (the oldest nodes
// removed first, the usual order) and at the back renumbers no node.  `Slots` keeps each
// member's slot: `get(node)` and `set(node, slot)`; remove() takes members only.
template <class Slots> class OrderedNodes
{
public:
    size_t size() const { return Live; }

    void append(vtkMRMLNode* node)
    {
        Nodes.push_back(node);
        const size_t i = Nodes.size(); // 1-based position in the tree
        // The new tree cell covers (i - lowbit(i), i]: itself plus the cells below it.
        std::uint32_t count = 1;
        ++vtkMRMLScene::NodeSlotSteps();
        for (size_t j = i - 1; j > i - lowbit(i); j -= lowbit(j))
            count += Tree[j];
        Tree.push_back(count);
        ++Live;
        SlotOf.set(node, Base + i - 1);
    }

    void remove(vtkMRMLNode* node)
    {
        CursorValid = false;
        const size_t slot = SlotOf.get(node) - Base;
        SlotOf.drop(node);
        Nodes[slot] = nullptr;
        --Live;
        if (Live == 0) {
            Nodes.clear();
            Tree.clear();
            Tree.push_back(0);
            Base = 0;
            Lead = 0;
            return;
        }
        if (slot + 1 == Nodes.size()) {
            // No tree cell below the last slot counts it: drop it with the empty ones before it.
            while (!Nodes.back()) {
                Nodes.pop_back();
                Tree.pop_back();
            }
        } else {
            for (size_t i = slot + 1; i < Tree.size(); i += lowbit(i))
                --Tree[i];
            if (slot == Lead)
                while (!Nodes[Lead])
                    ++Lead;
        }
        const size_t empty = Nodes.size() - Live;
        if (empty > 64 && empty > Live)
            compact();
    }

    vtkMRMLNode* nth(size_t n) const
    {
        ++vtkMRMLScene::NodeSlotSteps();
        if (n >= Live)
            return nullptr;
        if (Live + Lead == Nodes.size())
            return Nodes[Lead + n];
        // An index loop asks for n, n + 1, ...: step on from the last answer.
        if (CursorValid && n == CursorIndex + 1) {
            size_t slot = CursorSlot + 1;
            while (!Nodes[slot])
                ++slot;
            CursorIndex = n;
            CursorSlot = slot;
            return Nodes[slot];
        }
        size_t pos = 0;
        std::uint32_t remaining = static_cast<std::uint32_t>(n + 1);
        for (size_t step = highestBit(Nodes.size()); step; step >>= 1) {
            ++vtkMRMLScene::NodeSlotSteps();
            if (pos + step <= Nodes.size() && Tree[pos + step] < remaining) {
                pos += step;
                remaining -= Tree[pos];
            }
        }
        CursorValid = true;
        CursorIndex = n;
        CursorSlot = pos;
        return Nodes[pos];
    }

    template <class F> void forEach(F&& f) const
    {
        for (size_t i = Lead; i < Nodes.size(); ++i) {
            if (vtkMRMLNode* node = Nodes[i])
                f(node);
        }
    }

    std::vector<vtkMRMLNode*> toVector() const
    {
        std::vector<vtkMRMLNode*> nodes;
        nodes.reserve(Live);
        forEach([&nodes](vtkMRMLNode* node) { nodes.push_back(node); });
        return nodes;
    }

    Slots SlotOf;

private:
    static size_t lowbit(size_t i) { return i & (~i + 1); }
    static Counted::Vector<std::uint32_t, &vtkMRMLScene::NodeSlotSteps> oneCell()
    {
        Counted::Vector<std::uint32_t, &vtkMRMLScene::NodeSlotSteps> cells;
        cells.push_back(0);
        return cells;
    }
    static size_t highestBit(size_t n)
    {
        size_t bit = 1;
        while (bit <= n / 2)
            bit <<= 1;
        return bit;
    }

    // The leading empty slots go by moving `Base`; only the nodes behind an empty slot
    // in the middle get new slot numbers.
    void compact()
    {
        const size_t lead = Lead;
        size_t out = 0;
        bool shifted = false;
        for (size_t i = lead; i < Nodes.size(); ++i) {
            vtkMRMLNode* node = Nodes[i];
            if (!node) {
                shifted = true;
                continue;
            }
            if (shifted)
                SlotOf.set(node, Base + lead + out);
            Nodes[out++] = node;
        }
        Nodes.resize(out);
        Base += lead;
        Lead = 0;
        // Every slot is live again: each cell counts the width of its range.
        Tree.clear();
        Tree.reserve(out + 1);
        Tree.push_back(0);
        for (size_t i = 1; i <= out; ++i)
            Tree.push_back(static_cast<std::uint32_t>(lowbit(i)));
    }

    // Every slot reached (by index, back(), a walk) or moved is counted as a slot stepped
    // over, so that a loop over the slots shows in the scene's count whatever it allocates.
    Counted::Vector<vtkMRMLNode*, &vtkMRMLScene::NodeSlotSteps> Nodes;
    // The tree's cells, each read or changed counted as a slot stepped over: cell i counts
    // the live slots of (i - lowbit(i), i]; cell 0 is unused.
    Counted::Vector<std::uint32_t, &vtkMRMLScene::NodeSlotSteps> Tree = oneCell();
    size_t Live = 0;
    // Slot number of Nodes[0], and the index of the first live slot.
    size_t Base = 0;
    size_t Lead = 0;
    // The last position answered by nth() while slots are empty (appending keeps it).
    mutable bool CursorValid = false;
    mutable size_t CursorIndex = 0;
    mutable size_t CursorSlot = 0;
};

// Slots of the nodes of a class query, which a node may belong to several of.
struct HashedSlots
{
    size_t get(vtkMRMLNode* node) const { return Slot.find(node)->second; }
    void set(vtkMRMLNode* node, size_t slot) { Slot[node] = slot; }
    void drop(vtkMRMLNode* node) { Slot.erase(node); }
    // Each look-up counts the entries of the node's bucket, and a walk each entry reached,
    // as node slots stepped over.
    Counted::HashMap<vtkMRMLNode*, size_t, &vtkMRMLScene::NodeSlotSteps> Slot;
};
using QueryList = OrderedNodes<HashedSlots>;

template <class NodeClass> void registerClass(vtkMRMLScene* scene)
{
    vtkNew<NodeClass> prototype;
    scene->RegisterNodeClass(prototype);
}

// Registrars of other libraries' node classes, run by every new scene.
struct Registrars
{
    std::mutex mutex;
    std::vector<void (*)(vtkMRMLScene*)> list;
};
Registrars& registrars()
{
    static Registrars r;
    return r;
}

std::string singletonKey(vtkMRMLNode* node)
{
    return std::string(node->GetClassName()) + '\n' + node->GetSingletonTag();
}

} // namespace

struct vtkMRMLScene::vtkInternal
{
    // The slots of the scene's own lists live in the nodes.
    struct SceneSlots
    {
        size_t get(vtkMRMLNode* node) const { return node->SceneData.slot; }
        void set(vtkMRMLNode* node, size_t slot) { node->SceneData.slot = slot; }
        void drop(vtkMRMLNode*) {}
    };
    struct ClassSlots
    {
        size_t get(vtkMRMLNode* node) const { return node->SceneData.classSlot; }
        void set(vtkMRMLNode* node, size_t slot) { node->SceneData.classSlot = slot; }
        void drop(vtkMRMLNode*) {}
    };

    // The nodes of one exact class and the class queries they answer.
    struct ClassEntry
    {
        OrderedNodes<ClassSlots> nodes;
        std::vector<QueryList*> queries;
        // How many of the scene's queries have been checked against this class.
        size_t queriesChecked = 0;
        int idCounter = 0;
        // The nodes whose IDs the scene made as class name + number, by number: numbered[k]
        // holds number numberedBase + k.  Looking them up, adding and removing them is an
        // array access where a hash table would cost a cache miss per node.  Used only for
        // class names that do not end in a digit, so that an ID splits one way only.  Each
        // entry reached or moved is counted as a node slot stepped over.
        Counted::Vector<vtkMRMLNode*, &vtkMRMLScene::NodeSlotSteps> numbered;
        size_t numberedBase = 1;
        size_t numberedLive = 0;
        bool numbersIDs = false;
    };

    static ClassEntry* classEntryOf(vtkMRMLNode* node)
    {
        return static_cast<ClassEntry*>(node->SceneData.classEntry);
    }

    // Every node in scene order; the scene holds a reference to each.
    OrderedNodes<SceneSlots> nodes;
    // Undo levels, oldest first: IDs of the nodes added since the save, and copies of the
    // nodes saved with it.
    struct UndoLevel
    {
        std::vector<std::string> added;
        std::vector<vtkSmartPointer<vtkMRMLNode>> saved;
    };
    std::deque<UndoLevel> undo;
    unsigned long long nextSequence = 0;
    // Nodes by ID: an open-addressing table of (hash, node) that compares the nodes' own
    // IDs, so indexing allocates nothing per node and a look-up touches one slot.
    class IDIndex
    {
    public:
        static size_t hashOf(std::string_view id)
        {
            // Never 0: 0 marks a node that is not indexed.  IDs come from scene and colour
            // files: hashed under the process's seed.
            return static_cast<size_t>(Counted::seededHash(id)) | 1;
        }

        vtkMRMLNode* find(std::string_view id) const
        {
            if (Slots.empty())
                return nullptr;
            const size_t hash = hashOf(id);
            for (size_t i = hash & Mask;; i = (i + 1) & Mask) {
                const Slot& slot = Slots[i];
                if (!slot.node)
                    return nullptr;
                if (slot.node != tombstone() && slot.hash == hash && slot.node->ID == id)
                    return slot.node;
            }
        }

        // The node's ID must not be in the table yet.
        void insert(vtkMRMLNode* node)
        {
            if ((Used + 1) * 4 > Slots.size() * 3)
                rehash(Live + 1 > Slots.size() / 4 ? Slots.size() * 2 : Slots.size());
            const size_t hash = hashOf(node->ID);
            size_t i = hash & Mask;
            while (Slots[i].node && Slots[i].node != tombstone())
                i = (i + 1) & Mask;
            if (!Slots[i].node)
                ++Used;
            Slots[i] = Slot{hash, node};
            node->SceneData.idHash = hash;
            ++Live;
        }

        void erase(vtkMRMLNode* node)
        {
            const size_t hash = node->SceneData.idHash;
            if (!hash || Slots.empty())
                return;
            for (size_t i = hash & Mask; Slots[i].node; i = (i + 1) & Mask) {
                if (Slots[i].node == node) {
                    Slots[i].node = tombstone();
                    --Live;
                    break;
                }
            }
            node->SceneData.idHash = 0;
        }

    private:
        struct Slot
        {
            size_t hash = 0;
            vtkMRMLNode* node = nullptr;
        };
        static vtkMRMLNode* tombstone() { return reinterpret_cast<vtkMRMLNode*>(alignof(vtkMRMLNode)); }

        void rehash(size_t capacity)
        {
            capacity = capacity < 16 ? 16 : capacity;
            Slots_t old(capacity);
            old.swap(Slots);
            Mask = capacity - 1;
            Used = Live;
            for (const Slot& slot : old) {
                if (!slot.node || slot.node == tombstone())
                    continue;
                size_t i = slot.hash & Mask;
                while (Slots[i].node)
                    i = (i + 1) & Mask;
                Slots[i] = slot;
            }
        }

        // Each slot a probe, a rehash or a walk reaches is a node slot stepped over.
        using Slots_t = Counted::Vector<Slot, &vtkMRMLScene::NodeSlotSteps>;
        Slots_t Slots;
        size_t Mask = 0;
        size_t Used = 0; // live slots and tombstones
        size_t Live = 0;
    };
    IDIndex byID;
    // Exact class name -> its nodes; the class names of vtkTypeMacro are literals, so the
    // pointer finds the entry without hashing the text.  The views point into the keys.
    std::unordered_map<std::string, ClassEntry> byClass;
    std::unordered_map<const char*, ClassEntry*> byClassNamePointer;
    std::unordered_map<std::string_view, ClassEntry*> byClassName;
    // Queried class name -> the nodes of that class and its subclasses, kept up to date
    // by every addition and removal once asked for.
    std::unordered_map<std::string, QueryList> queries;
    std::vector<std::pair<std::string, QueryList*>> queryOrder;
    // Each probe counts the entries of the name's bucket and a walk each name reached, as
    // node slots stepped over.
    Counted::HashMap<std::string, std::map<unsigned long long, vtkMRMLNode*>, &vtkMRMLScene::NodeSlotSteps> byName;
    // One singleton per class and tag, whatever ID it ended up with.  Each look-up counts
    // the entries of the key's bucket, and a walk each entry reached, as node slots.
    Counted::HashMap<std::string, vtkMRMLNode*, &vtkMRMLScene::NodeSlotSteps> singletons;
    Counted::HashMap<vtkMRMLNode*, std::string, &vtkMRMLScene::NodeSlotSteps> singletonKeys;
    // The last number given to each base of a unique name, counted as the singletons are.
    Counted::HashMap<std::string, int, &vtkMRMLScene::NodeSlotSteps> nameCounters;
    std::unordered_map<std::string, vtkSmartPointer<vtkMRMLNode>> registeredClasses;
    std::string rootDirectory;

    // Lists of nodes shown but made only when asked for; `taken` holds the ones made (or
    // hidden by a node of their ID), so that a list costs a scene what it made of it, not
    // what the list holds.
    struct DeferredList
    {
        std::shared_ptr<vtkMRMLDeferredNodes> nodes;
        std::unordered_set<unsigned> taken;
        size_t takenCount = 0;
        // The indices taken, in the order they were taken.
        std::vector<unsigned> takenIndices;
        bool isTaken(size_t i) const { return takenCount > 0 && taken.count(static_cast<unsigned>(i)) > 0; }
        void take(size_t i)
        {
            if (i < nodes->GetNumberOfNodes() && taken.insert(static_cast<unsigned>(i)).second) {
                ++takenCount;
                takenIndices.push_back(static_cast<unsigned>(i));
            }
        }
        bool exhausted() const { return takenCount >= nodes->GetNumberOfNodes(); }
    };
    std::vector<DeferredList> deferred;
    // Set while a deferred node is added: it is no change of the user's to undo.
    bool makingDeferred = false;

    // Makes node i of list k, marking its ID taken in every list.
    vtkMRMLNode* makeDeferred(vtkMRMLScene* scene, size_t k, size_t i)
    {
        std::shared_ptr<vtkMRMLDeferredNodes> list = deferred[k].nodes;
        const std::string id = list->GetNodeID(i);
        for (DeferredList& other : deferred) {
            const size_t j = other.nodes == list ? i : other.nodes->FindNode(id);
            if (j != vtkMRMLDeferredNodes::npos)
                other.take(j);
        }
        vtkSmartPointer<vtkMRMLNode> node = list->MakeNode(i);
        if (!node)
            return nullptr;
        const bool was = makingDeferred;
        makingDeferred = true;
        vtkMRMLNode* added = scene->AddNode(node);
        makingDeferred = was;
        return added;
    }

    // The deferred node of this ID, made now; null when no list waits with one.
    vtkMRMLNode* makeDeferredID(vtkMRMLScene* scene, std::string_view id)
    {
        for (size_t k = 0; k < deferred.size(); ++k) {
            const size_t i = deferred[k].nodes->FindNode(id);
            if (i != vtkMRMLDeferredNodes::npos && !deferred[k].isTaken(i))
                return makeDeferred(scene, k, i);
        }
        return nullptr;
    }

    // Makes every waiting node of the class (every one with a null class name) in list order.
    void makeDeferredOfClass(vtkMRMLScene* scene, const char* className)
    {
        for (size_t k = 0; k < deferred.size(); ++k) {
            std::shared_ptr<vtkMRMLDeferredNodes> list = deferred[k].nodes;
            if (deferred[k].exhausted() || (className && !list->HoldsNodesOf(className)))
                continue;
            for (size_t i = 0; i < list->GetNumberOfNodes(); ++i) {
                // An observer of an addition may have cleared the scene meanwhile.
                if (k >= deferred.size() || deferred[k].nodes != list)
                    return;
                if (deferred[k].isTaken(i) || (className && !list->NodeIsA(i, className)))
                    continue;
                if (findID(list->GetNodeID(i)))
                    deferred[k].take(i);
                else
                    makeDeferred(scene, k, i);
            }
        }
    }

    ClassEntry& classOf(vtkMRMLNode* node)
    {
        const char* name = node->GetClassName();
        auto fast = byClassNamePointer.find(name);
        if (fast != byClassNamePointer.end())
            return *fast->second;
        auto inserted = byClass.try_emplace(name);
        ClassEntry& entry = inserted.first->second;
        if (inserted.second) {
            const std::string& key = inserted.first->first;
            entry.numbersIDs = !key.empty() && !std::isdigit(static_cast<unsigned char>(key.back()));
            byClassName.emplace(key, &entry);
        }
        byClassNamePointer.emplace(name, &entry);
        return entry;
    }

    // The node holding `id`, wherever it is indexed.
    vtkMRMLNode* findID(std::string_view id) const
    {
        ++vtkMRMLScene::NodeSlotSteps();
        // Split off the trailing number: "vtkMRMLViewNode12" is number 12 of its class.
        size_t digits = id.size();
        while (digits > 0 && std::isdigit(static_cast<unsigned char>(id[digits - 1])))
            --digits;
        if (digits > 0 && digits < id.size() && id.size() - digits <= 18 && id[digits] != '0') {
            auto cls = byClassName.find(id.substr(0, digits));
            if (cls != byClassName.end()) {
                const ClassEntry& entry = *cls->second;
                size_t number = 0;
                for (size_t i = digits; i < id.size(); ++i)
                    number = number * 10 + static_cast<size_t>(id[i] - '0');
                if (number >= entry.numberedBase && number - entry.numberedBase < entry.numbered.size())
                    if (vtkMRMLNode* node = entry.numbered[number - entry.numberedBase])
                        return node;
            }
        }
        return byID.find(id);
    }

    // Brings the class's list of matching queries up to date; `sample` is of that class.
    void checkQueries(ClassEntry& entry, vtkMRMLNode* sample)
    {
        for (; entry.queriesChecked < queryOrder.size(); ++entry.queriesChecked) {
            const auto& query = queryOrder[entry.queriesChecked];
            if (sample->IsA(query.first.c_str()))
                entry.queries.push_back(query.second);
        }
    }

    const QueryList& query(const char* className)
    {
        auto found = queries.find(className);
        if (found != queries.end())
            return found->second;
        QueryList& list = queries[className];
        queryOrder.emplace_back(className, &list);
        // One node per exact class decides for the whole class.
        for (auto& entry : byClass)
            if (vtkMRMLNode* sample = entry.second.nodes.nth(0))
                checkQueries(entry.second, sample);
        nodes.forEach([&](vtkMRMLNode* node) {
            const ClassEntry* cls = classEntryOf(node);
            if (!cls->queries.empty() && cls->queries.back() == &list)
                list.append(node);
        });
        return list;
    }

    void indexID(vtkMRMLNode* node)
    {
        if (!node->ID.empty() && !findID(node->ID))
            byID.insert(node);
    }

    // Indexes a node whose ID the scene just made from its class name and `number`.
    void indexNumberedID(ClassEntry& cls, vtkMRMLNode* node, size_t number)
    {
        if (cls.numbered.empty())
            cls.numberedBase = number;
        // Numbers skipped because their IDs were taken leave empty entries.
        cls.numbered.resize(number - cls.numberedBase);
        cls.numbered.push_back(node);
        ++cls.numberedLive;
        node->SceneData.idNumber = number;
    }

    void unindexID(vtkMRMLNode* node)
    {
        const size_t number = node->SceneData.idNumber;
        if (!number) {
            byID.erase(node);
            return;
        }
        node->SceneData.idNumber = 0;
        ClassEntry& cls = *classEntryOf(node);
        cls.numbered[number - cls.numberedBase] = nullptr;
        if (--cls.numberedLive == 0) {
            cls.numbered.clear();
            return;
        }
        // Keep the table dense.  Each entry is dropped once, by one of the two ways below,
        // each costing about the entries it drops: constant time per node overall.
        if (cls.numbered.size() < 256 || cls.numberedLive * 4 >= cls.numbered.size())
            return;
        size_t lead = 0;
        while (!cls.numbered[lead])
            ++lead;
        if (lead * 2 >= cls.numbered.size()) {
            // The oldest nodes went first: drop the front.
            cls.numbered.erase(cls.numbered.begin(), cls.numbered.begin() + static_cast<std::ptrdiff_t>(lead));
            cls.numberedBase += lead;
            return;
        }
        // Scattered survivors move to the hash table.
        for (vtkMRMLNode* survivor : cls.numbered) {
            if (!survivor)
                continue;
            survivor->SceneData.idNumber = 0;
            byID.insert(survivor);
        }
        cls.numbered.clear();
        cls.numberedLive = 0;
    }
};

vtkMRMLScene::vtkMRMLScene()
    : Internal(new vtkInternal)
    , AliveToken(std::make_shared<char>(0))
{
    registerClass<vtkMRMLViewNode>(this);
    registerClass<vtkMRMLCrosshairNode>(this);
    registerClass<vtkMRMLTransformNode>(this);
    registerClass<vtkMRMLClipModelsNode>(this);
    registerClass<vtkMRMLSelectionNode>(this);
    registerClass<vtkMRMLInteractionNode>(this);
    registerClass<vtkMRMLSliceNode>(this);
    registerClass<vtkMRMLSliceCompositeNode>(this);
    registerClass<vtkMRMLCameraNode>(this);
    registerClass<vtkMRMLUnitNode>(this);
    std::vector<void (*)(vtkMRMLScene*)> others;
    {
        std::lock_guard<std::mutex> lock(registrars().mutex);
        others = registrars().list;
    }
    for (auto registrar : others)
        registrar(this);
}

const char* vtkMRMLScene::GetClassNameByTag(const char* tagName) const
{
    if (!tagName)
        return nullptr;
    // A few dozen classes, asked once per element of a scene file.
    for (const auto& entry : Internal->registeredClasses)
        if (const char* tag = entry.second->GetNodeTagName())
            if (std::strcmp(tag, tagName) == 0)
                return entry.first.c_str();
    return nullptr;
}

void vtkMRMLScene::AddNodeClassRegistrar(void (*registrar)(vtkMRMLScene*))
{
    if (!registrar)
        return;
    std::lock_guard<std::mutex> lock(registrars().mutex);
    auto& list = registrars().list;
    if (std::find(list.begin(), list.end(), registrar) == list.end())
        list.push_back(registrar);
}

vtkMRMLScene::~vtkMRMLScene()
{
    // Nodes may outlive the scene when someone else holds them.
    for (vtkMRMLNode* node : Internal->nodes.toVector()) {
        node->SceneData = vtkMRMLNode::SceneEntry();
        node->SetScene(nullptr);
        node->UnRegister(this);
    }
}

void vtkMRMLScene::PrintSelf(ostream& os, vtkIndent indent)
{
    Superclass::PrintSelf(os, indent);
    os << indent << "Number of nodes: " << Internal->nodes.size() << "\n";
    os << indent << "RootDirectory: " << Internal->rootDirectory << "\n";
    os << indent << "BatchProcessing: " << StateCounts[0] << "\n";
    Internal->nodes.forEach([&](vtkMRMLNode* node) {
        os << indent.GetNextIndent() << node->GetClassName() << " "
           << (node->GetID() ? node->GetID() : "") << "\n";
    });
}

void vtkMRMLScene::SetRootDirectory(const char* dir)
{
    Internal->rootDirectory = dir ? dir : "";
    Modified();
}

const char* vtkMRMLScene::GetRootDirectory() const
{
    return Internal->rootDirectory.c_str();
}

int vtkMRMLScene::GetNumberOfNodes() const
{
    if (!Internal->deferred.empty())
        Internal->makeDeferredOfClass(const_cast<vtkMRMLScene*>(this), nullptr);
    return static_cast<int>(Internal->nodes.size());
}

size_t vtkMRMLScene::GenerateUniqueID(vtkMRMLNode* node)
{
    // Written straight into the node: no string is made and copied per node.
    vtkInternal::ClassEntry& cls = *vtkInternal::classEntryOf(node);
    std::string& id = node->ID;
    id = node->GetClassName();
    const size_t base = id.size();
    // The counter only grows, so each taken number is skipped at most once.  A number
    // above the counter is in no class's numbered table, only perhaps in the hash table.
    for (;;) {
        ++NodeSlotSteps();
        char digits[16];
        const auto end = std::to_chars(digits, digits + sizeof(digits), ++cls.idCounter).ptr;
        id.resize(base);
        id.append(digits, end);
        if (cls.numbersIDs ? !Internal->byID.find(id) : !Internal->findID(id))
            return cls.numbersIDs ? static_cast<size_t>(cls.idCounter) : 0;
    }
}

vtkMRMLNode* vtkMRMLScene::AddNode(vtkMRMLNode* node)
{
    if (!node)
        return nullptr;
    if (IsNodePresent(node))
        return node;

    vtkInternal& d = *Internal;
    // A deferred node owns its ID here: it is made first, and the node added gets another.
    if (!d.deferred.empty() && !node->ID.empty() && !d.findID(node->ID)) {
        d.makeDeferredID(this, node->ID);
        if (IsNodePresent(node))
            return node;
    }
    std::string singleton;
    std::string singletonID;
    if (node->IsSingleton()) {
        singleton = singletonKey(node);
        auto existing = d.singletons.find(singleton);
        if (existing != d.singletons.end()) {
            existing->second->CopyWithSingleModifiedEvent(node);
            return existing->second;
        }
        singletonID = std::string(node->GetClassName()) + node->GetSingletonTag();
    }

    // A node lives in one scene at a time: it moves.
    vtkSmartPointer<vtkMRMLNode> hold;
    if (vtkMRMLScene* other = node->SceneData.owner) {
        hold = node;
        other->RemoveNode(node);
    }

    InvokeEvent(NodeAboutToBeAddedEvent, node);
    if (IsNodePresent(node))
        return node; // added by an observer of the event above

    vtkInternal::ClassEntry& cls = d.classOf(node);
    vtkMRMLNode::SceneEntry& entry = node->SceneData;
    entry.classEntry = &cls;
    // The scene sets the ID itself (it is the one keeping IDs unique) and, like SetID,
    // marks the node modified when the ID changes.
    const std::string_view wanted = singleton.empty() ? std::string_view(node->ID) : singletonID;
    size_t number = 0;
    if (wanted.empty() || d.findID(wanted)) {
        number = GenerateUniqueID(node);
        node->Modified();
    } else if (wanted != node->ID) {
        node->ID = singletonID;
        node->Modified();
    }

    node->Register(this);
    entry.owner = this;
    entry.sequence = d.nextSequence++;
    d.nodes.append(node);
    if (number)
        d.indexNumberedID(cls, node, number);
    else
        d.indexID(node);
    cls.nodes.append(node);
    d.checkQueries(cls, node);
    for (QueryList* query : cls.queries)
        query->append(node);
    if (!singleton.empty()) {
        d.singletons.emplace(singleton, node);
        d.singletonKeys.emplace(node, std::move(singleton));
    }
    if (node->GetName())
        IndexName(node, node->GetName(), true);

    node->SetScene(this);
    if (!d.undo.empty() && !d.makingDeferred)
        d.undo.back().added.emplace_back(node->ID);
    InvokeEvent(NodeAddedEvent, node);
    Modified();
    return node;
}

void vtkMRMLScene::SaveStateForUndo()
{
    vtkInternal& d = *Internal;
    d.undo.emplace_back();
    if (d.undo.size() > static_cast<size_t>(GetUndoStackLimit()))
        d.undo.pop_front();
}

void vtkMRMLScene::SaveStateForUndo(vtkMRMLNode* node)
{
    SaveStateForUndo();
    if (!node || !IsNodePresent(node))
        return;
    vtkSmartPointer<vtkMRMLNode> copy = vtkSmartPointer<vtkMRMLNode>::Take(node->CreateNodeInstance());
    if (!copy)
        return;
    copy->Copy(node);
    copy->ID = node->ID;
    Internal->undo.back().saved.push_back(copy);
}

bool vtkMRMLScene::Undo()
{
    vtkInternal& d = *Internal;
    if (d.undo.empty())
        return false;
    vtkInternal::UndoLevel level = std::move(d.undo.back());
    d.undo.pop_back();
    for (auto it = level.added.rbegin(); it != level.added.rend(); ++it)
        if (vtkMRMLNode* node = GetNodeByID(*it))
            RemoveNode(node);
    for (const auto& copy : level.saved)
        if (vtkMRMLNode* node = GetNodeByID(copy->ID))
            node->CopyWithSingleModifiedEvent(copy);
    Modified();
    return true;
}

int vtkMRMLScene::GetNumberOfUndoLevels() const
{
    return static_cast<int>(Internal->undo.size());
}

void vtkMRMLScene::ClearUndoStack()
{
    Internal->undo.clear();
}

void vtkMRMLScene::RemoveNode(vtkMRMLNode* node)
{
    if (!node || !IsNodePresent(node))
        return;
    // Keep the node alive until the removal events have been delivered.
    vtkSmartPointer<vtkMRMLNode> hold = node;
    InvokeEvent(NodeAboutToBeRemovedEvent, node);
    if (!IsNodePresent(node))
        return; // removed by an observer of the event above
    vtkInternal& d = *Internal;

    d.unindexID(node);
    vtkInternal::ClassEntry* cls = vtkInternal::classEntryOf(node);
    cls->nodes.remove(node);
    for (QueryList* query : cls->queries)
        query->remove(node);
    auto singleton = d.singletonKeys.find(node);
    if (singleton != d.singletonKeys.end()) {
        auto it = d.singletons.find(singleton->second);
        if (it != d.singletons.end() && it->second == node)
            d.singletons.erase(it);
        d.singletonKeys.erase(singleton);
    }
    if (node->GetName())
        IndexName(node, node->GetName(), false);
    d.nodes.remove(node);
    node->SceneData.owner = nullptr;
    node->SceneData.classEntry = nullptr;

    node->SetScene(nullptr);
    node->UnRegister(this);
    InvokeEvent(NodeRemovedEvent, node);
    Modified();
}

int vtkMRMLScene::IsNodePresent(vtkMRMLNode* node) const
{
    return node && node->SceneData.owner == this ? 1 : 0;
}

void vtkMRMLScene::Clear(int removeSingletons)
{
    StartState(CloseState);
    std::vector<vtkSmartPointer<vtkMRMLNode>> toRemove;
    toRemove.reserve(Internal->nodes.size());
    Internal->nodes.forEach([&](vtkMRMLNode* node) {
        if (removeSingletons || !node->IsSingleton())
            toRemove.emplace_back(node);
    });
    for (auto& node : toRemove)
        RemoveNode(node);
    Internal->deferred.clear();
    EndState(CloseState);
}

vtkMRMLNode* vtkMRMLScene::GetNodeByID(const char* id) const
{
    if (!id)
        return nullptr;
    if (vtkMRMLNode* node = Internal->findID(std::string_view(id)))
        return node;
    if (Internal->deferred.empty())
        return nullptr;
    return Internal->makeDeferredID(const_cast<vtkMRMLScene*>(this), std::string_view(id));
}

vtkMRMLNode* vtkMRMLScene::GetNthNode(int n) const
{
    if (n < 0)
        return nullptr;
    if (!Internal->deferred.empty())
        Internal->makeDeferredOfClass(const_cast<vtkMRMLScene*>(this), nullptr);
    return Internal->nodes.nth(static_cast<size_t>(n));
}

vtkMRMLNode* vtkMRMLScene::GetFirstNodeByClass(const char* className)
{
    return GetNthNodeByClass(0, className);
}

vtkMRMLNode* vtkMRMLScene::GetNthNodeByClass(int n, const char* className)
{
    if (n < 0 || !className)
        return nullptr;
    if (!Internal->deferred.empty())
        Internal->makeDeferredOfClass(this, className);
    return Internal->query(className).nth(static_cast<size_t>(n));
}

int vtkMRMLScene::GetNumberOfNodesByClass(const char* className)
{
    if (!className)
        return 0;
    if (!Internal->deferred.empty())
        Internal->makeDeferredOfClass(this, className);
    return static_cast<int>(Internal->query(className).size());
}

vtkCollection* vtkMRMLScene::GetNodesByClass(const char* className)
{
    vtkCollection* collection = vtkCollection::New();
    if (className && !Internal->deferred.empty())
        Internal->makeDeferredOfClass(this, className);
    if (className)
        Internal->query(className).forEach([collection](vtkMRMLNode* node) { collection->AddItem(node); });
    return collection;
}

int vtkMRMLScene::GetNodesByClass(const char* className, std::vector<vtkMRMLNode*>& nodes)
{
    if (className && !Internal->deferred.empty())
        Internal->makeDeferredOfClass(this, className);
    return GetMadeNodesByClass(className, nodes);
}

int vtkMRMLScene::GetMadeNodesByClass(const char* className, std::vector<vtkMRMLNode*>& nodes)
{
    nodes.clear();
    if (className)
        nodes = Internal->query(className).toVector();
    return static_cast<int>(nodes.size());
}

vtkMRMLNode* vtkMRMLScene::GetFirstNodeByName(const char* name) const
{
    if (!name)
        return nullptr;
    vtkInternal& d = *Internal;
    for (size_t k = 0; k < d.deferred.size(); ++k) {
        const size_t i = d.deferred[k].nodes->FindNodeByName(name);
        if (i != vtkMRMLDeferredNodes::npos && !d.deferred[k].isTaken(i) && !d.findID(d.deferred[k].nodes->GetNodeID(i)))
            d.makeDeferred(const_cast<vtkMRMLScene*>(this), k, i);
    }
    auto it = Internal->byName.find(name);
    if (it == Internal->byName.end() || it->second.empty())
        return nullptr;
    return it->second.begin()->second;
}

void vtkMRMLScene::AddDeferredNodes(const std::shared_ptr<vtkMRMLDeferredNodes>& nodes)
{
    if (!nodes)
        return;
    std::vector<vtkInternal::DeferredList>& lists = Internal->deferred;
    size_t older = lists.size();
    for (size_t k = 0; k < lists.size(); ++k) {
        if (lists[k].nodes == nodes)
            return;
        if (lists[k].nodes->GetSource() == nodes->GetSource())
            older = k;
    }
    vtkInternal::DeferredList list{nodes, {}, 0, {}};
    // The scene's own nodes hide those of their IDs.
    Internal->nodes.forEach([&list](vtkMRMLNode* node) {
        const size_t i = list.nodes->FindNode(node->ID);
        if (i != vtkMRMLDeferredNodes::npos)
            list.take(i);
    });
    if (older == lists.size()) {
        lists.push_back(std::move(list));
        return;
    }
    // A newer list of the same source takes the older one's place: its waiting nodes go,
    // and a node of it made and removed since is not made again.
    const vtkInternal::DeferredList& replaced = lists[older];
    for (const unsigned i : replaced.takenIndices) {
        const size_t j = nodes->FindNode(replaced.nodes->GetNodeID(i));
        if (j != vtkMRMLDeferredNodes::npos)
            list.take(j);
    }
    lists[older] = std::move(list);
}

std::vector<vtkMRMLScene::WaitingNodes> vtkMRMLScene::GetWaitingNodes(const char* className) const
{
    // Every ID a made node holds is marked taken in the lists (they are made before a
    // node of theirs is added, and checked when added), so no ID is looked up here.
    std::vector<WaitingNodes> waiting;
    for (const auto& list : Internal->deferred) {
        if (list.exhausted() || !className || !list.nodes->HoldsNodesOf(className))
            continue;
        WaitingNodes nodes;
        nodes.list = list.nodes;
        const size_t n = list.nodes->GetNumberOfNodes();
        if (list.nodes->AllNodesAre(className)) {
            // Every node but those taken: a scene's list costs it what it made, not what
            // the list holds.
            nodes.allBut = true;
            nodes.count = n;
            nodes.indices = list.takenIndices;
            std::sort(nodes.indices.begin(), nodes.indices.end());
        } else {
            nodes.indices.reserve(n - list.takenCount);
            for (size_t i = 0; i < n; ++i)
                if (!list.isTaken(i) && list.nodes->NodeIsA(i, className))
                    nodes.indices.push_back(static_cast<unsigned>(i));
        }
        waiting.push_back(std::move(nodes));
    }
    return waiting;
}

size_t vtkMRMLScene::WaitingNodes::size() const
{
    return allBut ? count - indices.size() : indices.size();
}

unsigned vtkMRMLScene::WaitingNodes::at(size_t k) const
{
    if (!allBut)
        return indices[k];
    // The k-th index that is not left out.
    size_t index = k;
    for (const unsigned skipped : indices) {
        if (skipped > index)
            break;
        ++index;
    }
    return static_cast<unsigned>(index);
}

size_t vtkMRMLScene::WaitingNodes::find(size_t index) const
{
    const auto at = std::lower_bound(indices.begin(), indices.end(), static_cast<unsigned>(index));
    const bool listed = at != indices.end() && *at == index;
    if (!allBut)
        return listed ? size_t(at - indices.begin()) : vtkMRMLDeferredNodes::npos;
    if (listed || index >= count)
        return vtkMRMLDeferredNodes::npos;
    return index - size_t(at - indices.begin());
}

void vtkMRMLScene::WaitingNodes::erase(size_t k)
{
    if (!allBut) {
        indices.erase(indices.begin() + static_cast<std::ptrdiff_t>(k));
        return;
    }
    const unsigned index = at(k);
    indices.insert(std::lower_bound(indices.begin(), indices.end(), index), index);
}

void vtkMRMLScene::IndexName(vtkMRMLNode* node, const char* name, bool add)
{
    if (!name || !IsNodePresent(node))
        return;
    const unsigned long long sequence = node->SceneData.sequence;
    if (add) {
        Internal->byName[name][sequence] = node;
        return;
    }
    auto it = Internal->byName.find(name);
    if (it == Internal->byName.end())
        return;
    it->second.erase(sequence);
    if (it->second.empty())
        Internal->byName.erase(it);
}

void vtkMRMLScene::NodeIDChanged(vtkMRMLNode* node, const std::string& oldId)
{
    (void)oldId; // the scene's own copy of the old ID is what the index holds
    if (!IsNodePresent(node))
        return;
    Internal->unindexID(node);
    Internal->indexID(node);
    // The new ID hides a deferred node of that ID.
    for (auto& list : Internal->deferred) {
        const size_t i = list.nodes->FindNode(node->ID);
        if (i != vtkMRMLDeferredNodes::npos)
            list.take(i);
    }
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
    // A prototype only makes nodes of its class and names its tag: every scene of the
    // process keeps the first one registered for a class, so that a further scene (one
    // per project) costs no copies of them.  Kept for the whole run.
    static std::mutex mutex;
    static auto* shared = new std::unordered_map<std::string, vtkSmartPointer<vtkMRMLNode>>;
    vtkSmartPointer<vtkMRMLNode> kept;
    {
        std::lock_guard<std::mutex> lock(mutex);
        vtkSmartPointer<vtkMRMLNode>& slot = (*shared)[prototype->GetClassName()];
        if (!slot)
            slot = prototype;
        kept = slot;
    }
    Internal->registeredClasses[prototype->GetClassName()] = kept;
}

vtkMRMLNode* vtkMRMLScene::CreateNodeByClass(const char* className)
{
    if (!className)
        return nullptr;
    auto it = Internal->registeredClasses.find(className);
    if (it == Internal->registeredClasses.end())
        return nullptr;
    return it->second->CreateNodeInstance();
}

std::uint64_t& vtkMRMLScene::NodeSlotSteps()
{
    return Counted::tally<struct SceneNodeSlotSteps>();
}

// Out of line: a child process's work counter finds it by its symbol.
std::uint64_t vtkMRMLScene::GetNodeSlotsVisited()
{
    return NodeSlotSteps();
}

bool vtkMRMLScene::IsNodeClassRegistered(const char* className) const
{
    return className && Internal->registeredClasses.count(className);
}

std::string vtkMRMLScene::GetUniqueNameByString(const char* base)
{
    const std::string prefix = base ? base : "";
    // A name a deferred node will have is taken as well.
    const auto taken = [this](const std::string& name) {
        ++NodeSlotSteps();
        if (Internal->byName.count(name))
            return true;
        for (const auto& list : Internal->deferred) {
            const size_t i = list.nodes->FindNodeByName(name);
            if (i != vtkMRMLDeferredNodes::npos && !list.isTaken(i))
                return true;
        }
        return false;
    };
    if (!taken(prefix))
        return prefix;
    int& counter = Internal->nameCounters[prefix];
    std::string name;
    do {
        name = prefix + "_" + std::to_string(++counter);
    } while (taken(name));
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
