#include "vtkMRMLNode.h"

#include "MRMLXMLHelpers.h"
#include "vtkMRMLScene.h"

#include <vexil/PercentCoding.h>

#include <vtkCallbackCommand.h>
#include <vtkCommand.h>

#include <cstdlib>
#include <cstring>
#include <ostream>

namespace {

// Percent-encodes the separators of the packed `attributes` and `references` values.
std::string packEncode(const std::string& s)
{
    return Vexil::percentEncoded(s, [](unsigned char c) {
        return c == '%' || c == ':' || c == ';' || c == ' ';
    });
}

std::vector<std::string> split(const std::string& s, char sep)
{
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= s.size()) {
        size_t end = s.find(sep, start);
        if (end == std::string::npos)
            end = s.size();
        if (end > start)
            parts.push_back(s.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

} // namespace

vtkMRMLNode::vtkMRMLNode()
{
    MRMLCallbackCommand = vtkSmartPointer<vtkCallbackCommand>::New();
    MRMLCallbackCommand->SetClientData(this);
    MRMLCallbackCommand->SetCallback(&vtkMRMLNode::MRMLCallback);
}

vtkMRMLNode::~vtkMRMLNode()
{
    for (auto& entry : References)
        for (auto& ref : entry.second)
            Unobserve(ref);
    delete[] Name;
    delete[] Description;
    delete[] SingletonTag;
}

void vtkMRMLNode::PrintSelf(ostream& os, vtkIndent indent)
{
    Superclass::PrintSelf(os, indent);
    os << indent << "ID: " << ID << "\n";
    os << indent << "Name: " << (Name ? Name : "(none)") << "\n";
    os << indent << "Description: " << (Description ? Description : "(none)") << "\n";
    os << indent << "SingletonTag: " << (SingletonTag ? SingletonTag : "(none)") << "\n";
    os << indent << "HideFromEditors: " << HideFromEditors << "\n";
    os << indent << "Selectable: " << Selectable << "\n";
    os << indent << "Selected: " << Selected << "\n";
    for (const auto& a : Attributes)
        os << indent << "Attribute " << a.first << ": " << a.second << "\n";
    for (const auto& r : References)
        for (const auto& ref : r.second)
            os << indent << "Reference " << r.first << ": " << ref.id << "\n";
}

// Line breaks and tabs go as character references (a parser would turn them raw into
// blanks).  XML 1.0 has no way at all to carry the other control characters: each goes as
// the reference to a private-use character, U+E000 plus its code, which the decoder maps
// back.
std::string vtkMRMLNode::XMLAttributeEncodeString(const std::string& value)
{
    std::string out;
    out.reserve(value.size());
    for (char c : value) {
        const unsigned char u = static_cast<unsigned char>(c);
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\t': out += "&#9;"; break;
        case '\n': out += "&#10;"; break;
        case '\r': out += "&#13;"; break;
        default:
            if (u < 0x20) {
                out += "&#xE0";
                Vexil::appendHexByte(out, u);
                out += ';';
            } else {
                out += c;
            }
        }
    }
    return out;
}

namespace {
void appendUtf8(std::string& out, unsigned long cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// "&#N;" or "&#xH;" at `i`: its length, and the code point in `cp`; 0 when there is none.
size_t charReference(const std::string& value, size_t i, unsigned long& cp)
{
    if (value.compare(i, 2, "&#") != 0)
        return 0;
    size_t p = i + 2;
    const bool hexForm = p < value.size() && (value[p] == 'x' || value[p] == 'X');
    if (hexForm)
        ++p;
    const size_t digitsStart = p;
    cp = 0;
    for (; p < value.size() && p - digitsStart < 8; ++p) {
        const char c = value[p];
        const int digit = hexForm ? Vexil::hexDigitValue(c) : (c >= '0' && c <= '9' ? c - '0' : -1);
        if (digit < 0)
            break;
        cp = cp * (hexForm ? 16 : 10) + static_cast<unsigned long>(digit);
    }
    if (p == digitsStart || p >= value.size() || value[p] != ';' || cp > 0x10FFFF)
        return 0;
    return p + 1 - i;
}
} // namespace

std::string vtkMRMLNode::XMLAttributeDecodeString(const std::string& value)
{
    static const struct { const char* entity; char c; } entities[] = {
        {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
    std::string out;
    out.reserve(value.size());
    for (size_t i = 0; i < value.size(); ++i) {
        bool replaced = false;
        if (value[i] == '&') {
            for (const auto& e : entities) {
                size_t len = std::strlen(e.entity);
                if (value.compare(i, len, e.entity) == 0) {
                    out += e.c;
                    i += len - 1;
                    replaced = true;
                    break;
                }
            }
            unsigned long cp = 0;
            if (!replaced) {
                if (const size_t len = charReference(value, i, cp)) {
                    if (cp >= 0xE000 && cp < 0xE020)
                        out += static_cast<char>(cp - 0xE000);
                    else
                        appendUtf8(out, cp);
                    i += len - 1;
                    replaced = true;
                }
            }
        }
        if (!replaced)
            out += value[i];
    }
    return out;
}

void vtkMRMLNode::ReadXMLAttributes(const char** atts)
{
    if (!atts)
        return;
    int wasModifying = StartModify();
    for (int i = 0; atts[i] && atts[i + 1]; i += 2) {
        const std::string name = atts[i];
        const char* value = atts[i + 1];
        if (name == "id") {
            SetID(value);
        } else if (name == "name") {
            SetName(value);
        } else if (name == "description") {
            SetDescription(value);
        } else if (name == "hideFromEditors") {
            SetHideFromEditors(mrmlxml::parseFlag(value));
        } else if (name == "selectable") {
            SetSelectable(mrmlxml::parseFlag(value));
        } else if (name == "selected") {
            SetSelected(mrmlxml::parseFlag(value));
        } else if (name == "singletonTag") {
            SetSingletonTag(value);
        } else if (name == "attributes") {
            mrmlxml::forEachKeyedItem(value, [this](const std::string& key, const std::string& rest) {
                SetAttribute(key.c_str(), Vexil::percentDecoded(rest).c_str());
            });
        } else if (name == "references") {
            mrmlxml::forEachKeyedItem(value, [this](const std::string& role, const std::string& ids) {
                RemoveNodeReferenceIDs(role.c_str());
                for (const std::string& id : split(ids, ' '))
                    AddNodeReferenceID(role.c_str(), Vexil::percentDecoded(id).c_str());
            });
        }
    }
    EndModify(wasModifying);
}

void vtkMRMLNode::WriteXML(ostream& of, int indent)
{
    (void)indent; // attributes go on the element's line; the scene writer indents elements
    auto attr = [&](const char* name, const std::string& value) {
        of << " " << name << "=\"" << XMLAttributeEncodeString(value) << "\"";
    };
    attr("id", ID);
    if (Name)
        attr("name", Name);
    if (Description)
        attr("description", Description);
    attr("hideFromEditors", HideFromEditors ? "true" : "false");
    attr("selectable", Selectable ? "true" : "false");
    attr("selected", Selected ? "true" : "false");
    if (IsSingleton())
        attr("singletonTag", SingletonTag);
    if (!Attributes.empty()) {
        std::string packed;
        for (const auto& a : Attributes)
            packed += packEncode(a.first) + ":" + packEncode(a.second) + ";";
        attr("attributes", packed);
    }
    std::string refs;
    for (const auto& r : References) {
        if (r.second.empty())
            continue;
        refs += packEncode(r.first) + ":";
        for (size_t i = 0; i < r.second.size(); ++i)
            refs += (i ? " " : "") + packEncode(r.second[i].id);
        refs += ";";
    }
    if (!refs.empty())
        attr("references", refs);
}

void vtkMRMLNode::Copy(vtkMRMLNode* node)
{
    if (!node || node == this)
        return;
    int wasModifying = StartModify();
    SetName(node->GetName());
    SetDescription(node->GetDescription());
    SetSingletonTag(node->GetSingletonTag());
    SetHideFromEditors(node->GetHideFromEditors());
    SetSelectable(node->GetSelectable());
    SetSelected(node->GetSelected());
    if (Attributes != node->Attributes) {
        Attributes = node->Attributes;
        Modified();
    }
    for (auto& entry : References)
        for (auto& ref : entry.second)
            Unobserve(ref);
    References.clear();
    for (const auto& entry : node->References)
        for (const auto& ref : entry.second)
            AddReference(entry.first.c_str(), ref.id.c_str(), ref.events, false);
    EndModify(wasModifying);
}

void vtkMRMLNode::CopyWithoutModifiedEvent(vtkMRMLNode* node)
{
    int wasModifying = StartModify();
    Copy(node);
    // Drop what Copy marked pending so that no event follows.
    ModifiedEventPending = 0;
    SetDisableModifiedEvent(wasModifying);
}

void vtkMRMLNode::CopyWithSingleModifiedEvent(vtkMRMLNode* node)
{
    int wasModifying = StartModify();
    Copy(node);
    EndModify(wasModifying);
}

void vtkMRMLNode::SetID(const char* id)
{
    const std::string newId = id ? id : "";
    if (newId == ID)
        return;
    vtkMRMLScene* scene = GetScene();
    if (scene && !newId.empty() && scene->GetNodeByID(newId.c_str())) {
        vtkErrorMacro("SetID: the ID " << newId << " is already used in the scene");
        return;
    }
    const std::string oldId = ID;
    ID = newId;
    if (scene)
        scene->NodeIDChanged(this, oldId);
    Modified();
}

void vtkMRMLNode::SetName(const char* name)
{
    if ((!name && !Name) || (name && Name && std::strcmp(name, Name) == 0))
        return;
    const std::string oldName = Name ? Name : "";
    const bool hadName = Name != nullptr;
    delete[] Name;
    Name = nullptr;
    if (name) {
        Name = new char[std::strlen(name) + 1];
        std::strcpy(Name, name);
    }
    if (vtkMRMLScene* scene = GetScene())
        scene->NodeNameChanged(this, hadName ? oldName.c_str() : nullptr);
    Modified();
}

void vtkMRMLNode::SetAttribute(const char* name, const char* value)
{
    if (!name || !*name) {
        vtkErrorMacro("SetAttribute: attribute name must not be empty");
        return;
    }
    if (!value) {
        RemoveAttribute(name);
        return;
    }
    auto it = Attributes.find(name);
    if (it != Attributes.end() && it->second == value)
        return;
    Attributes[name] = value;
    Modified();
}

void vtkMRMLNode::RemoveAttribute(const char* name)
{
    if (!name)
        return;
    if (Attributes.erase(name))
        Modified();
}

const char* vtkMRMLNode::GetAttribute(const char* name) const
{
    if (!name)
        return nullptr;
    auto it = Attributes.find(name);
    return it == Attributes.end() ? nullptr : it->second.c_str();
}

std::vector<std::string> vtkMRMLNode::GetAttributeNames() const
{
    std::vector<std::string> names;
    names.reserve(Attributes.size());
    for (const auto& a : Attributes)
        names.push_back(a.first);
    return names;
}

vtkMRMLScene* vtkMRMLNode::GetScene() const
{
    return SceneAlive.expired() ? nullptr : Scene;
}

void vtkMRMLNode::SetScene(vtkMRMLScene* scene)
{
    if (GetScene() == scene)
        return;
    Scene = scene;
    SceneAlive = scene ? scene->AliveToken : std::weak_ptr<const void>();
    // Observed references follow the nodes of the new scene.
    for (auto& entry : References)
        for (auto& ref : entry.second) {
            if (scene)
                Resolve(ref);
            else
                Unobserve(ref);
        }
}

int vtkMRMLNode::StartModify()
{
    int previous = DisableModifiedEvent;
    DisableModifiedEvent = 1;
    return previous;
}

int vtkMRMLNode::EndModify(int previousDisableState)
{
    DisableModifiedEvent = previousDisableState;
    if (!DisableModifiedEvent)
        return InvokePendingModifiedEvent();
    return ModifiedEventPending;
}

void vtkMRMLNode::Modified()
{
    if (DisableModifiedEvent) {
        // Keep the time stamp right; the event waits for EndModify.
        MTime.Modified();
        ++ModifiedEventPending;
        return;
    }
    Superclass::Modified();
}

int vtkMRMLNode::InvokePendingModifiedEvent()
{
    int pending = ModifiedEventPending;
    if (pending) {
        ModifiedEventPending = 0;
        InvokeEvent(vtkCommand::ModifiedEvent, nullptr);
    }
    return pending;
}

void vtkMRMLNode::AddReference(const char* role, const char* id,
                               const std::vector<unsigned long>& events, bool replace)
{
    if (!role || !*role)
        return;
    auto& refs = References[role];
    if (replace) {
        for (auto& ref : refs)
            Unobserve(ref);
        refs.clear();
    }
    if (id && *id) {
        Reference ref;
        ref.id = id;
        ref.events = events;
        refs.push_back(ref);
        if (!events.empty() && GetScene())
            Resolve(refs.back());
    }
    if (refs.empty())
        References.erase(role);
    Modified();
}

void vtkMRMLNode::SetNodeReferenceID(const char* role, const char* referencedId)
{
    AddReference(role, referencedId, {}, true);
}

void vtkMRMLNode::AddNodeReferenceID(const char* role, const char* referencedId)
{
    AddReference(role, referencedId, {}, false);
}

void vtkMRMLNode::SetAndObserveNodeReferenceID(const char* role, const char* referencedId,
                                               const std::vector<unsigned long>& events)
{
    AddReference(role, referencedId, events, true);
}

void vtkMRMLNode::AddAndObserveNodeReferenceID(const char* role, const char* referencedId,
                                               const std::vector<unsigned long>& events)
{
    AddReference(role, referencedId, events, false);
}

void vtkMRMLNode::RemoveNodeReferenceIDs(const char* role)
{
    if (!role)
        return;
    auto it = References.find(role);
    if (it == References.end())
        return;
    for (auto& ref : it->second)
        Unobserve(ref);
    References.erase(it);
    Modified();
}

const char* vtkMRMLNode::GetNthNodeReferenceID(const char* role, int n) const
{
    if (!role || n < 0)
        return nullptr;
    auto it = References.find(role);
    if (it == References.end() || n >= static_cast<int>(it->second.size()))
        return nullptr;
    return it->second[static_cast<size_t>(n)].id.c_str();
}

int vtkMRMLNode::GetNumberOfNodeReferences(const char* role) const
{
    if (!role)
        return 0;
    auto it = References.find(role);
    return it == References.end() ? 0 : static_cast<int>(it->second.size());
}

vtkMRMLNode* vtkMRMLNode::GetNthNodeReference(const char* role, int n)
{
    if (!role || n < 0)
        return nullptr;
    auto it = References.find(role);
    if (it == References.end() || n >= static_cast<int>(it->second.size()))
        return nullptr;
    return Resolve(it->second[static_cast<size_t>(n)]);
}

std::vector<std::string> vtkMRMLNode::GetNodeReferenceRoles() const
{
    std::vector<std::string> roles;
    for (const auto& r : References)
        roles.push_back(r.first);
    return roles;
}

vtkMRMLNode* vtkMRMLNode::Resolve(Reference& ref)
{
    vtkMRMLScene* scene = GetScene();
    vtkMRMLNode* node = scene ? scene->GetNodeByID(ref.id.c_str()) : nullptr;
    if (ref.events.empty() || node == ObservedNode(ref))
        return node;
    Unobserve(ref);
    if (node) {
        for (unsigned long event : ref.events)
            ref.tags.push_back(node->AddObserver(event, MRMLCallbackCommand));
        ref.observed = node;
        ref.observedAlive = node->AliveToken();
    }
    return node;
}

void vtkMRMLNode::Unobserve(Reference& ref)
{
    if (vtkMRMLNode* node = ObservedNode(ref))
        for (unsigned long tag : ref.tags)
            node->RemoveObserver(tag);
    ref.tags.clear();
    ref.observed = nullptr;
    ref.observedAlive.reset();
}

vtkMRMLNode* vtkMRMLNode::ObservedNode(const Reference& ref)
{
    return ref.observedAlive.expired() ? nullptr : ref.observed;
}

const std::shared_ptr<const void>& vtkMRMLNode::AliveToken()
{
    if (!Alive)
        Alive = std::make_shared<char>(0);
    return Alive;
}

void vtkMRMLNode::ProcessMRMLEvents(vtkObject*, unsigned long, void*) {}

void vtkMRMLNode::MRMLCallback(vtkObject* caller, unsigned long event, void* clientData,
                               void* callData)
{
    if (auto* self = static_cast<vtkMRMLNode*>(clientData))
        self->ProcessMRMLEvents(caller, event, callData);
}
