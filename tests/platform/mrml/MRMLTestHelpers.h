#pragma once
// Event recording and node set-up for the MRML tests.

#include <mrml/vtkMRMLScene.h>

#include <vtkCallbackCommand.h>
#include <vtkObject.h>
#include <vtkSmartPointer.h>

#include <algorithm>
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
        : Object(object), Command(vtkSmartPointer<vtkCallbackCommand>::New())
    {
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
        return int(std::count_if(Entries.begin(), Entries.end(), [event](const Entry& e) { return e.event == event; }));
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

// A new node of class T, with an optional preset ID and name, added to the scene.
template <class T>
vtkSmartPointer<T> addNode(vtkMRMLScene* scene, const char* id = nullptr, const char* name = nullptr)
{
    auto node = vtkSmartPointer<T>::New();
    if (id)
        node->SetID(id);
    if (name)
        node->SetName(name);
    scene->AddNode(node);
    return node;
}

} // namespace MRMLTest
