#pragma once
// Shared pieces of the selection tests: a fresh logic with one project of three objects,
// an observer that writes every record it hears as a line, and singleton clean-up.

#include <selection/SelectionModification.h>
#include <selection/SelectionSubject.h>

#include <support/TestEnvironment.h>

#include <obj/Application.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace SelectionTest {

// "tag:kind project.id.sub" with kind as the record's name.
std::string describe(const std::string& tag, const Gui::SelectionModification& m);

// Attached to `subject` while it lives.
class Recorder : public Vexil::ObserverPattern<const Gui::SelectionModification&>
{
public:
    Recorder(std::string tag, std::vector<std::string>& sink, Gui::SelectionSubject& subject)
        : tag(std::move(tag)), lines(sink), subject(subject)
    {
        subject.attach(this);
    }
    ~Recorder() override { subject.detach(this); }
    void on_modify(Vexil::Subject<const Gui::SelectionModification&>&, const Gui::SelectionModification& m) override
    {
        lines.push_back(describe(tag, m));
    }
    std::string tag;
    std::vector<std::string>& lines;
    Gui::SelectionSubject& subject;
};

// Writes the singleton's selection_signal emissions as lines while it lives.
struct SignalRecorder
{
    SignalRecorder(std::string tag, std::vector<std::string>& sink, Gui::SelectionSubject& subject)
        : connection(subject.selection_signal.connect(
              [tag, &sink](const Gui::SelectionModification& m) { sink.push_back(describe(tag, m)); }))
    {
    }
    boost::signals2::scoped_connection connection;
};

void destructSingletons();

// A logic with project "P" holding objects 1 "Box", 2 "Disk" and 3 "Grp" (a group).
class LogicFixture : public ::testing::Test
{
protected:
    LogicFixture();
    ~LogicFixture() override;

    PelmoraTest::ScopedLogic logic;
    Obj::Project* project = nullptr;
    Obj::ProjectObject* box = nullptr;
    Obj::ProjectObject* disk = nullptr;
    Obj::ProjectObject* group = nullptr;
    std::vector<std::string> lines;
};

} // namespace SelectionTest
