#pragma once
// Helpers of the annotation tests: error and warning capture, scene-file attribute round
// trips, temporary files.

#include <mrml/vtkMRMLNode.h>

#include <vtkCallbackCommand.h>
#include <vtkCommand.h>
#include <vtkSmartPointer.h>

#include <QDir>
#include <QTemporaryDir>

#include <cstdlib>

#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace AnnotationTest {

// Collects the error and warning texts an object reports while it lives.
class Messages
{
public:
    explicit Messages(vtkObject* object)
        : Object(object), Command(vtkSmartPointer<vtkCallbackCommand>::New())
    {
        Command->SetClientData(this);
        Command->SetCallback([](vtkObject*, unsigned long event, void* client, void* data) {
            auto* self = static_cast<Messages*>(client);
            const std::string text = data ? static_cast<const char*>(data) : "";
            (event == vtkCommand::ErrorEvent ? self->Errors : self->Warnings).push_back(text);
        });
        Object->AddObserver(vtkCommand::ErrorEvent, Command);
        Object->AddObserver(vtkCommand::WarningEvent, Command);
    }
    ~Messages() { Object->RemoveObserver(Command); }

    bool hasError(const std::string& part) const { return contains(Errors, part); }
    bool hasWarning(const std::string& part) const { return contains(Warnings, part); }
    std::string all() const
    {
        std::string s;
        for (const auto& e : Errors)
            s += "E: " + e + "\n";
        for (const auto& w : Warnings)
            s += "W: " + w + "\n";
        return s;
    }

    std::vector<std::string> Errors;
    std::vector<std::string> Warnings;

private:
    static bool contains(const std::vector<std::string>& list, const std::string& part)
    {
        for (const auto& s : list)
            if (s.find(part) != std::string::npos)
                return true;
        return false;
    }
    vtkObject* Object;
    vtkSmartPointer<vtkCallbackCommand> Command;
};

// The attributes a node writes, decoded, in written order.
inline std::vector<std::pair<std::string, std::string>> writtenAttributes(vtkMRMLNode* node)
{
    std::ostringstream os;
    node->WriteXML(os, 0);
    const std::string text = os.str();
    std::vector<std::pair<std::string, std::string>> atts;
    size_t pos = 0;
    while (true) {
        const size_t eq = text.find("=\"", pos);
        if (eq == std::string::npos)
            break;
        const size_t start = text.rfind(' ', eq) + 1;
        const size_t end = text.find('"', eq + 2);
        atts.emplace_back(text.substr(start, eq - start),
                          vtkMRMLNode::XMLAttributeDecodeString(text.substr(eq + 2, end - eq - 2)));
        pos = end + 1;
    }
    return atts;
}

inline std::string attribute(vtkMRMLNode* node, const std::string& key)
{
    for (const auto& a : writtenAttributes(node))
        if (a.first == key)
            return a.second;
    return "<absent>";
}

inline void readAttributes(vtkMRMLNode* node, const std::vector<std::pair<std::string, std::string>>& atts)
{
    std::vector<const char*> list;
    for (const auto& a : atts) {
        list.push_back(a.first.c_str());
        list.push_back(a.second.c_str());
    }
    list.push_back(nullptr);
    list.push_back(nullptr);
    node->ReadXMLAttributes(list.data());
}

// The folder where the fuzzers' seeds are collected, when the fuzz script asks for them
// ("" otherwise).
inline std::string fuzzSeedDir(const std::string& kind)
{
    const char* dir = std::getenv("PELMORA_FUZZ_SEEDS");
    if (!dir || !*dir)
        return std::string();
    const std::string path = std::string(dir) + "/" + kind;
    QDir().mkpath(QString::fromStdString(path));
    return path;
}

// Writes `from` and reads the attributes into `to`.
inline void xmlRoundTrip(vtkMRMLNode* from, vtkMRMLNode* to)
{
    const auto atts = writtenAttributes(from);
    const std::string seeds = fuzzSeedDir("xml");
    if (!seeds.empty()) {
        static int counter = 0;
        std::ofstream out(seeds + "/" + from->GetClassName() + std::to_string(++counter) + ".txt");
        for (const auto& a : atts)
            out << a.first << "=" << a.second << "\n";
    }
    readAttributes(to, atts);
}

inline std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream os;
    os << in.rdbuf();
    return os.str();
}

// How often the object raises the event while the action runs.
inline int countEvents(vtkObject* object, unsigned long event, const std::function<void()>& action)
{
    int count = 0;
    auto cmd = vtkSmartPointer<vtkCallbackCommand>::New();
    cmd->SetClientData(&count);
    cmd->SetCallback([](vtkObject*, unsigned long, void* client, void*) { ++*static_cast<int*>(client); });
    const unsigned long tag = object->AddObserver(event, cmd);
    action();
    object->RemoveObserver(tag);
    return count;
}

inline void writeFile(const std::string& path, const std::string& content)
{
    std::ofstream out(path, std::ios::binary);
    out << content;
}

} // namespace AnnotationTest
