#pragma once
// Records the VTK events an object fires, with their call data, for the MRML tests.

#include <vtkCallbackCommand.h>
#include <vtkObject.h>
#include <vtkSmartPointer.h>

#include <map>
#include <regex>
#include <string>
#include <utility>
#include <vector>

namespace MRMLTest {

class EventRecorder
{
public:
    struct Entry
    {
        unsigned long event;
        void* callData;
    };

    EventRecorder(vtkObject* object, const std::vector<unsigned long>& events)
        : Object(object)
    {
        Command = vtkSmartPointer<vtkCallbackCommand>::New();
        Command->SetClientData(this);
        Command->SetCallback([](vtkObject*, unsigned long event, void* client, void* data) {
            static_cast<EventRecorder*>(client)->Entries.push_back({event, data});
        });
        for (unsigned long e : events)
            object->AddObserver(e, Command);
    }
    ~EventRecorder() { Object->RemoveObserver(Command); }

    int count(unsigned long event) const
    {
        int n = 0;
        for (const auto& e : Entries)
            n += e.event == event ? 1 : 0;
        return n;
    }
    std::vector<unsigned long> sequence() const
    {
        std::vector<unsigned long> s;
        for (const auto& e : Entries)
            s.push_back(e.event);
        return s;
    }
    void clear() { Entries.clear(); }

    std::vector<Entry> Entries;

private:
    vtkObject* Object;
    vtkSmartPointer<vtkCallbackCommand> Command;
};

// Splits WriteXML output into decoded name/value pairs, as an XML parser would hand them
// to ReadXMLAttributes.
inline std::vector<std::pair<std::string, std::string>> parseXMLAttributes(const std::string& xml,
                                                                           std::string (*decode)(const std::string&))
{
    std::vector<std::pair<std::string, std::string>> result;
    static const std::regex attr(R"re( ([A-Za-z0-9_]+)="([^"]*)")re");
    for (auto it = std::sregex_iterator(xml.begin(), xml.end(), attr); it != std::sregex_iterator(); ++it)
        result.emplace_back((*it)[1].str(), decode((*it)[2].str()));
    return result;
}

// Keeps the strings alive for the null-terminated array ReadXMLAttributes takes.
class AttributeArray
{
public:
    explicit AttributeArray(const std::vector<std::pair<std::string, std::string>>& pairs)
        : Pairs(pairs)
    {
        for (const auto& p : Pairs) {
            Pointers.push_back(p.first.c_str());
            Pointers.push_back(p.second.c_str());
        }
        Pointers.push_back(nullptr);
    }
    const char** get() { return Pointers.data(); }

private:
    std::vector<std::pair<std::string, std::string>> Pairs;
    std::vector<const char*> Pointers;
};

} // namespace MRMLTest
