#pragma once
// Object and feeder classes for the project tests: objects that name the feeder to build,
// and a feeder that records what reaches it.

#include <visualization/ViewFeeder.h>

#include <obj/ProjectObject.h>

#include <string>
#include <vector>

namespace ProjectTest {

// Everything that happened, in order, as "who:what" lines.
std::vector<std::string>& journal();

class RecordingFeeder : public Gui::ViewFeederProjectObject
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    RecordingFeeder();
    ~RecordingFeeder() override;
    void updateView() override;
    // Follows its "Visibility" like the feeders of visible objects do.
    void on_changed(const Obj::Property* p) override;
    static int alive;
    static bool throwOnUpdate;
    void updateData(const Obj::Property* p) override;
private:
    bool inUpdateView = false;   // the property pass of updateView is not journalled
};

// Stands in for the product's project feeder under its registered name, and counts.
class CountingProjectFeeder : public Gui::ViewFeederProject
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    CountingProjectFeeder() { ++alive; }
    ~CountingProjectFeeder() override { --alive; }
    static int alive;
};

// Objects shown by RecordingFeeder, or whose feeder name is empty, unregistered, or a
// registered non-feeder.
#define PROJECT_TEST_OBJECT(Name)                                                                  \
    class Name : public Obj::ProjectObject                                                         \
    {                                                                                              \
        VEXIL_TYPESYSTEM_HEADER();                                                                 \
    public:                                                                                        \
        Name();                                                                                    \
    };
PROJECT_TEST_OBJECT(RecordedObject)
PROJECT_TEST_OBJECT(BlindObject)
PROJECT_TEST_OBJECT(UnknownFeederObject)
PROJECT_TEST_OBJECT(WrongFeederObject)
#undef PROJECT_TEST_OBJECT

// Registers the logic's, the library's and these types once.
void registerTypes();

} // namespace ProjectTest
