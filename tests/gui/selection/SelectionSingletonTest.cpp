// The three selection singletons: what they keep, what they tell and in which order,
// what happens when objects go, and the path from the logic's selection records.

#include "SelectionTestSupport.h"

#include <commands/Command.h>
#include <selection/EntitySelectionSingleton.h>
#include <selection/SelectionEntryList.h>
#include <selection/SelectionFilter.h>
#include <selection/SelectionInstance.h>
#include <selection/SelectionListener.h>
#include <selection/TreeSelectionSingleton.h>

#include <support/ConsoleCapture.h>
#include <support/StepCount.h>
#include <support/WorkCount.h>

#include <obj/CDocObjProp.h>
#include <pmfwm/EntitySelectionData.h>
#include <pmmsg/Message.h>

#include <array>
#include <ctime>
#include <memory>

using namespace SelectionTest;
using Gui::EntitySelectionSingleton;
using Gui::SelectionInstance;
using Gui::TreeSelectionSingleton;
using Lines = std::vector<std::string>;
using PelmoraTest::ConsoleCapture;

namespace {

using SingletonTest = LogicFixture;

std::vector<unsigned int> ids(const std::vector<Gui::SelObj>& sel)
{
    std::vector<unsigned int> result;
    for (const auto& s : sel)
        result.push_back(s.object_id);
    return result;
}

struct RefuseAll : Gui::TreeSelectionGate
{
    bool allow(Obj::Project*, Obj::ProjectObject*, const char*) override { return false; }
};

struct RefuseInstance : Gui::CSelectionable
{
    bool allow(Obj::Project*, Obj::ProjectObject* object, const char*) override { return object == nullptr; }
};

struct RefuseEntity : Gui::EntitySelectionGate
{
    bool allow(Obj::Project*, Obj::ProjectObject*, const char*) override { return false; }
};

struct CountingListener : Gui::SelectionListener
{
    void on_selection_modified(const Gui::SelectionModification& m) override { seen.push_back(describe("l", m)); }
    void on_property_modified(const Obj::CDocObjProp& p) override
    {
        seen.push_back("prop " + p.project_name + "." + std::to_string(p.object_id));
    }
    Lines seen;
};

} // namespace

TEST_F(SingletonTest, AddNotifiesObserversOnlyAndKeepsOneEntryPerKey)
{
    TreeSelectionSingleton& tree = TreeSelectionSingleton::instance();
    Recorder obs("obs", lines, tree);
    SignalRecorder sig("sig", lines, tree);

    EXPECT_TRUE(tree.add_selection("P", 1, "Face2", 1.f, 2.f, 3.f));
    EXPECT_TRUE(tree.add_selection("P", 1, "Face2"));
    EXPECT_EQ(lines, (Lines{"obs:add P.1.Face2"}));   // once, and no signal for an add
    EXPECT_TRUE(tree.is_selected("P", 1, "Face2"));
    EXPECT_FALSE(tree.is_selected("P", 1, nullptr));
    EXPECT_EQ(tree.size(), 1u);
    const auto sel = tree.get_selection("P");
    ASSERT_EQ(sel.size(), 1u);
    EXPECT_EQ(sel[0].object, box);
    EXPECT_STREQ(sel[0].type_name, "Obj::ProjectObject");
    EXPECT_FLOAT_EQ(sel[0].z, 3.f);

    // The names form does not look for duplicates, and tells once.
    lines.clear();
    EXPECT_TRUE(tree.add_selection("P", 2, std::vector<std::string>{"Edge1", "Edge1"}));
    EXPECT_EQ(tree.size(), 3u);
    EXPECT_EQ(lines, (Lines{"obs:add P.2"}));

    ConsoleCapture console;
    EXPECT_FALSE(tree.add_selection("Nope", 1, nullptr));
    EXPECT_TRUE(console.contains(ConsoleCapture::Level::Error, "Cannot add to selection: no document 'Nope' found.\n"));
    EXPECT_FALSE(tree.add_selection("Nope", 1, std::vector<std::string>{}));
    EXPECT_TRUE(console.contains(ConsoleCapture::Level::Error, "Cannot add to selection: no project 'Nope' found.\n"));
}

TEST_F(SingletonTest, ObserversHearInPointerOrderThenTheSignal)
{
    TreeSelectionSingleton& tree = TreeSelectionSingleton::instance();
    SignalRecorder sig("sig", lines, tree);
    // Two observers side by side: the lower address is told first, whatever the order
    // in which they were attached.
    std::array<std::unique_ptr<Recorder>, 2> obs;
    obs[1] = std::make_unique<Recorder>("b", lines, tree);
    obs[0] = std::make_unique<Recorder>("a", lines, tree);
    const std::string first = obs[0].get() < obs[1].get() ? "a" : "b";
    const std::string second = first == "a" ? "b" : "a";
    tree.attach(obs[0].get());   // twice: still told once

    tree.add_selection("P", 1, "Face1");
    tree.add_selection("P", 2, nullptr);
    tree.add_selection("P", 1, "Face3");
    lines.clear();
    tree.remove_selection("P", 1);
    EXPECT_EQ(lines, (Lines{first + ":remove P.1.Face1", second + ":remove P.1.Face1", "sig:remove P.1.Face1",
                            first + ":remove P.1.Face3", second + ":remove P.1.Face3", "sig:remove P.1.Face3"}));
    EXPECT_TRUE(tree.is_selected(disk));

    lines.clear();
    tree.remove_selection("P", 2, "Face9");   // nothing matches: nothing told
    tree.clear_all_selections();
    EXPECT_EQ(lines, (Lines{first + ":clear .0", second + ":clear .0", "sig:clear .0"}));
    EXPECT_FALSE(tree.has_selection());
}

TEST_F(SingletonTest, RemoveWithSubElementKeepsTheObjectsOtherEntries)
{
    auto& tree = TreeSelectionSingleton::instance();
    tree.add_selection("P", 1, "Face1");
    tree.add_selection("P", 1, "Face2");
    tree.add_selection("P", 2, nullptr);
    tree.remove_selection("P", 1, "Face1");
    EXPECT_FALSE(tree.is_selected("P", 1, "Face1"));
    EXPECT_TRUE(tree.is_selected(box, "Face2"));
    EXPECT_TRUE(tree.is_selected(disk));
    EXPECT_EQ(ids(tree.get_selection("P")), (std::vector<unsigned int>{1, 2}));
}

TEST_F(SingletonTest, SetSelectionKeepsKeptEntriesAppendsNewAndIsQuietWhenUnchanged)
{
    auto& tree = TreeSelectionSingleton::instance();
    Recorder obs("obs", lines, tree);
    tree.add_selection("P", 2, "Face7", 5.f, 0.f, 0.f);
    tree.set_project_selection("P", nullptr);
    Obj::Project* other = logic.app().create_project("Q");
    Obj::ProjectObject* far = other->add_object("Obj::ProjectObject", "Far");
    tree.add_selection("Q", far->getObjectId(), nullptr);
    EXPECT_EQ(tree.get_projects(), (std::vector<Obj::Project*>{project}));

    lines.clear();
    tree.set_selection("P", {box, disk});
    EXPECT_EQ(lines, (Lines{"obs:set P.0"}));
    // The kept entry stays first with its sub-element and point; the project entry went.
    const auto all = tree.get_all_selections();
    ASSERT_EQ(all.size(), 3u);
    EXPECT_STREQ(all[0].sub_name, "Face7");
    EXPECT_FLOAT_EQ(all[0].x, 5.f);
    EXPECT_STREQ(all[1].project_name, "Q");
    EXPECT_EQ(all[2].object, box);
    EXPECT_TRUE(tree.get_projects().empty());

    lines.clear();
    tree.set_selection("P", {disk, box});
    EXPECT_TRUE(lines.empty());
    tree.set_selection("Nope", {box});
    EXPECT_TRUE(lines.empty());

    // A clear of a project without entries still tells.
    tree.clear_selection("Q");
    tree.clear_selection("Q");
    EXPECT_EQ(lines, (Lines{"obs:clear Q.0", "obs:clear Q.0"}));
    EXPECT_EQ(tree.size(), 2u);
}

TEST_F(SingletonTest, NullProjectNameMeansTheCurrentProject)
{
    auto& tree = TreeSelectionSingleton::instance();
    Recorder obs("obs", lines, tree);
    logic.app().create_project("Q");   // becomes current
    tree.add_selection("P", 1, nullptr);
    EXPECT_TRUE(tree.add_selection(nullptr, 1, nullptr));
    EXPECT_TRUE(tree.is_selected("Q", 1, nullptr));
    EXPECT_TRUE(tree.has_selection(nullptr));
    tree.clear_selection(nullptr);   // only the current project
    EXPECT_EQ(lines.back(), "obs:clear Q.0");
    EXPECT_TRUE(tree.has_selection("P"));

    logic.app().close_all_projects();
    lines.clear();
    tree.clear_selection(nullptr);   // no current project: everything
    EXPECT_EQ(lines, (Lines{"obs:clear .0"}));
}

TEST_F(SingletonTest, QueriesGroupPerObjectAndFilterByType)
{
    auto& tree = TreeSelectionSingleton::instance();
    tree.add_selection("P", 1, "Face1", 1.f, 1.f, 1.f);
    tree.add_selection("P", 3, nullptr);
    tree.add_selection("P", 1, "Face2", 2.f, 2.f, 2.f);
    tree.set_project_selection("P", project);

    EXPECT_EQ(tree.get_objects_of_type(Obj::ProjectObject::getClassTypeId(), "P"),
              (std::vector<Obj::ProjectObject*>{box, group, box}));
    EXPECT_EQ(tree.get_num_objects_of_type("Obj::ProjectObjectGroup", "P"), 1u);
    EXPECT_EQ(tree.get_num_objects_of_type("No::Such", "P"), 0u);
    EXPECT_EQ(tree.get_num_objects_of_type(Obj::ProjectObject::getClassTypeId(), "Nope"), 0u);

    const auto grouped = tree.get_selection2("P", Obj::ProjectObject::getClassTypeId());
    ASSERT_EQ(grouped.size(), 2u);
    EXPECT_EQ(grouped[0].get_subnames(), (std::vector<std::string>{"Face1", "Face2"}));
    ASSERT_EQ(grouped[0].get_locations().size(), 2u);
    EXPECT_DOUBLE_EQ(grouped[0].get_locations()[1].x, 2.0);
    EXPECT_EQ(grouped[0].get_object(), box);
    EXPECT_FALSE(grouped[1].has_subnames());
    EXPECT_EQ(grouped[1].get_object(), group);
    EXPECT_TRUE(tree.get_selection2("P", Vexil::TypeInfo::sick_type()).empty());

    EXPECT_EQ(Gui::CSelectionType("", 1, "x").get_object(), nullptr);
    EXPECT_EQ(Gui::CSelectionType("P", 0, "x").get_object(), nullptr);
}

TEST_F(SingletonTest, RefusingGateBlocksTheSingleAddButNotTheNamesForm)
{
    auto& tree = TreeSelectionSingleton::instance();
    Recorder obs("obs", lines, tree);
    tree.add_selectionable(new RefuseAll);
    EXPECT_FALSE(tree.add_selection("P", 1, "Face1"));
    EXPECT_FALSE(tree.has_selection());
    EXPECT_TRUE(tree.add_selection("P", 1, std::vector<std::string>{"Face1"}));
    EXPECT_EQ(tree.size(), 1u);
    tree.remove_selectable();
    EXPECT_TRUE(tree.add_selection("P", 2, nullptr));
    EXPECT_EQ(lines, (Lines{"obs:add P.1", "obs:add P.2"}));
}

TEST_F(SingletonTest, DeletedObjectLeavesNoEntryInAnySingleton)
{
    auto& tree = TreeSelectionSingleton::instance();
    auto& inst = SelectionInstance::instance();
    auto& entity = EntitySelectionSingleton::instance();
    tree.add_selection("P", 1, nullptr);
    tree.add_selection("P", 2, nullptr);
    inst.add_selection("P", 1, "Face1");
    entity.add_selection("P", 1, "Body1");
    entity.add_selection("P", 1, "Face4");
    entity.add_selection("P", 1, "Edge2");
    entity.add_selection("P", 2, "Face1");
    Recorder obs("entity", lines, entity);

    project->remove_object(1);
    EXPECT_FALSE(tree.is_selected("P", 1, nullptr));
    EXPECT_FALSE(inst.has_selection());
    EXPECT_EQ(entity.get_selection("P").size(), 1u);
    EXPECT_EQ(entity.get_selection("P")[0].object, disk);
    EXPECT_EQ(lines, (Lines{"entity:remove P.1.Body1 src1", "entity:remove P.1.Face4 src1",
                            "entity:remove P.1.Edge2 src1"}));
    // Type queries no longer meet the deleted object.
    EXPECT_EQ(entity.get_selection2("P", Obj::ProjectObject::getClassTypeId()).size(), 1u);
    EXPECT_EQ(tree.get_objects_of_type(Obj::ProjectObject::getClassTypeId(), "P"),
              (std::vector<Obj::ProjectObject*>{disk}));
}

TEST_F(SingletonTest, ClosedProjectLeavesNoEntryBehind)
{
    auto& inst = SelectionInstance::instance();
    Recorder obs("inst", lines, inst);
    inst.add_selection("P", 1, nullptr);
    logic.app().close_project("P");
    EXPECT_FALSE(inst.has_selection());
    EXPECT_EQ(lines, (Lines{"inst:add P.1", "inst:clear P.0"}));
}

TEST_F(SingletonTest, ProjectRenameReachesEntriesWithTheNextObjectRename)
{
    auto& tree = TreeSelectionSingleton::instance();
    tree.add_selection("P", 1, nullptr);
    logic.app().rename_project("P", "R");
    box->set_label("Renamed");
    EXPECT_TRUE(tree.is_selected("R", 1, nullptr));
    EXPECT_STREQ(tree.get_selection("R")[0].project_name, "R");
    // Removal by the new name finds it.
    tree.remove_selection("R", 1);
    EXPECT_FALSE(tree.has_selection());
}

TEST_F(SingletonTest, SelectionInstanceLogsAndSignalsPreselection)
{
    auto& inst = SelectionInstance::instance();
    Recorder obs("obs", lines, inst);
    SignalRecorder sig("sig", lines, inst);
    ConsoleCapture console;
    inst.add_selection("P", 2, "Face1", 1.5f, 0.f, 0.f);
    EXPECT_TRUE(console.contains(ConsoleCapture::Level::Log, "GUI : Added selection \"P.2.Face1(1.500000,0.000000,0.000000)\"\n"));
    inst.remove_selection("P", 2);
    EXPECT_TRUE(console.contains(ConsoleCapture::Level::Log, "Sel : Remove Selection \"P.2.\"\n"));

    EXPECT_TRUE(inst.set_pre_selection("P", 1, "Edge3", 1.f, 2.f, 3.f));
    EXPECT_STREQ(inst.get_pre_selection().sub_name, "Edge3");
    EXPECT_EQ(inst.get_pre_selection().kind, Gui::SelectionModification::SetPreselect);
    EXPECT_TRUE(inst.set_pre_selection("P", 2, nullptr));   // replaces: the old one is removed first
    inst.remove_pre_selection();
    inst.remove_pre_selection();   // none left: nothing told
    EXPECT_EQ(lines, (Lines{"obs:add P.2.Face1", "obs:remove P.2.Face1", "sig:remove P.2.Face1",
                            "obs:preselect P.1.Edge3", "sig:preselect P.1.Edge3", "obs:unpreselect P.1.Edge3",
                            "sig:unpreselect P.1.Edge3", "obs:preselect P.2", "sig:preselect P.2",
                            "obs:unpreselect P.2", "sig:unpreselect P.2"}));
    EXPECT_STREQ(inst.get_pre_selection().project_name, "");

    // With a gate: a whole project gets the gate's verdict and stores nothing; a refused
    // object stores nothing either, also when the name is left to the current project.
    inst.add_selectionable(new RefuseInstance);
    lines.clear();
    EXPECT_TRUE(inst.set_pre_selection("P", 0, nullptr));
    EXPECT_FALSE(inst.set_pre_selection(nullptr, 1, "Face1"));
    EXPECT_FALSE(inst.set_pre_selection("Nope", 1, "Face1"));
    EXPECT_FALSE(inst.add_selection("P", 1, nullptr));
    EXPECT_TRUE(lines.empty());
    EXPECT_STREQ(inst.get_pre_selection().project_name, "");
}

TEST_F(SingletonTest, EntitySelectionFollowsThePickingLibrary)
{
    auto& entity = EntitySelectionSingleton::instance();
    Recorder obs("obs", lines, entity);
    SignalRecorder sig("sig", lines, entity);   // the entity selection never signals
    pmFwm::EntitySelectionData picks;
    boost::signals2::scoped_connection c = picks.signal_selection_changed.connect(
        [&entity](const pmFwm::SelectionModification2& m) { entity.on_selection_modified(m); });
    auto pick = [&picks](int type, const char* name, unsigned int id, int kind, int index) {
        pmFwm::SelectionModification2 m;
        m.type = type;
        m.project_name = name;
        m.object_id = id;
        m.entity_kind = kind;
        m.entity_index = index;
        m.x = 1.0;
        picks.notify(m);
    };
    pick(0, "P", 1, pmFwm::ENTITY_FACE, 3);
    pick(0, "P", 1, pmFwm::ENTITY_FACE, 3);   // already there
    pick(0, "P", 2, pmFwm::ENTITY_BODY, 0);
    pick(1, "P", 1, pmFwm::ENTITY_FACE, 3);
    pick(7, "P", 1, pmFwm::ENTITY_EDGE, 1);   // unknown type: ignored
    EXPECT_EQ(lines, (Lines{"obs:add P.1.Face3 src1", "obs:add P.2.Body1 src1", "obs:remove P.1.Face3 src1"}));
    EXPECT_TRUE(entity.is_selected("P", 2, "Body1"));

    // A one-entry set replaces the picks of every project; for an unknown project it
    // leaves the selection empty.
    lines.clear();
    pick(2, "P", 1, pmFwm::ENTITY_VERTEX, 5);
    EXPECT_EQ(lines, (Lines{"obs:set P.1.Vert5 src1"}));
    EXPECT_EQ(entity.get_all_selections().size(), 1u);
    ConsoleCapture console;
    EXPECT_FALSE(entity.set_selection("Nope", 1, std::string("Face1")));
    EXPECT_FALSE(entity.has_selection());
    EXPECT_TRUE(console.contains(ConsoleCapture::Level::Error, "Cannot add to selection: no project 'Nope' found.\n"));

    pick(0, "P", 1, pmFwm::ENTITY_EDGE, 1);
    lines.clear();
    pick(3, "P", 0, pmFwm::ENTITY_NONE, 0);
    EXPECT_EQ(lines, (Lines{"obs:clear P.0 src1"}));
    EXPECT_FALSE(entity.has_selection());

    // Pre-selection through a gate: the gate is asked, the selection itself is not.
    entity.add_selectionable(new RefuseEntity);
    EXPECT_FALSE(entity.set_pre_selection("P", 1, "Face1"));
    EXPECT_TRUE(entity.add_selection("P", 1, "Face1"));
    entity.remove_selectable();
    EXPECT_TRUE(entity.set_pre_selection("P", 1, "Face1"));
}

TEST(SelectionText, FormatsLongNamesWithoutCutting)
{
    const std::string longName(2000, 'n');
    const std::string text = Gui::format_text("Not allowed: %s.%u.%s ", longName.c_str(), 7u, "Face1");
    EXPECT_EQ(text, "Not allowed: " + longName + ".7.Face1 ");
}

TEST_F(SingletonTest, ListenersFollowOnlyTheTreeSignalsWhileTheyLive)
{
    auto& tree = TreeSelectionSingleton::instance();
    {
        CountingListener listener;
        listener.connect_selection();   // again: still one call per change
        tree.set_selection("P", {box});
        SelectionInstance::instance().clear_selection("P");
        EntitySelectionSingleton::instance().clear_selection("P");
        tree.property_signal(Obj::CDocObjProp("P", 1));
        EXPECT_FALSE(listener.blockTreeConnection(true));
        tree.clear_selection("P");   // the flag is the subclass's business
        EXPECT_TRUE(listener.blockTreeConnection(false));
        EXPECT_EQ(listener.seen, (Lines{"l:set P.0", "prop P.1", "l:clear P.0"}));
        listener.disconnect_selection();
        tree.clear_selection("P");
        EXPECT_EQ(listener.seen.size(), 3u);
        listener.connect_selection();
    }
    tree.set_selection("P", {disk});   // a destroyed listener hears nothing (and nothing breaks)
    EXPECT_EQ(&Gui::Command::get_selection(), &tree);
}

TEST_F(SingletonTest, LogicSelectionRecordsReachTheSelections)
{
    auto& tree = TreeSelectionSingleton::instance();
    auto& inst = SelectionInstance::instance();
    auto& entity = EntitySelectionSingleton::instance();
    SignalRecorder treeSig("tree", lines, tree);
    Recorder instObs("inst", lines, inst);
    entity.add_selection("P", 2, "Face1");
    Recorder entityObs("entity", lines, entity);

    pmMsg::MessageData select;
    select.code = pmMsg::REC_SELECT;
    select.text2 = "P";
    select.text3 = "1";
    pmMsg::doCommand(select);
    select.text3.clear();
    select.number = 2;
    pmMsg::doCommand(select);
    EXPECT_EQ(ids(tree.get_selection("P")), (std::vector<unsigned int>{1, 2}));
    EXPECT_TRUE(inst.is_selected(disk));

    pmMsg::MessageData deselect = select;
    deselect.code = pmMsg::REC_DESELECT;
    pmMsg::doCommand(deselect);
    EXPECT_FALSE(tree.is_selected(disk));
    EXPECT_FALSE(entity.has_selection());

    pmMsg::runCommand(pmMsg::CMD_CLEAR_SELECTION, "P");
    EXPECT_FALSE(tree.has_selection());
    EXPECT_FALSE(inst.has_selection());
    EXPECT_EQ(lines, (Lines{"tree:add P.1", "inst:add P.1", "tree:add P.2", "inst:add P.2", "tree:remove P.2",
                            "inst:remove P.2", "entity:remove P.2.Face1 src1", "tree:clear P.0", "inst:clear P.0"}));
}

TEST_F(SingletonTest, LogicSelectRecordsCostTheSamePerRecordHoweverManyAreSelected)
{
    // Rebuilding the project's selection for every record, or a check that walks the whole
    // selection, makes the larger size cost at least eight times as much per record:
    // counted in selection entries stepped over (which see a walk that allocates nothing)
    // and in allocations.
    auto& tree = TreeSelectionSingleton::instance();
    std::vector<unsigned int> created;
    for (int i = 0; i < 16000; ++i)
        created.push_back(project->add_object("Obj::ProjectObject", "Many")->getObjectId());
    pmMsg::MessageData select;
    select.code = pmMsg::REC_SELECT;
    select.text2 = "P";
    // The work (allocations and bytes) of selecting the first `n` objects, per record.
    std::uint64_t entries[2] = {0, 0};
    const auto perRecord = [&](int n) {
        pmMsg::runCommand(pmMsg::CMD_CLEAR_SELECTION, "P");
        PelmoraTest::WorkMeter meter;
        PelmoraTest::StepMeter stepped(&Gui::SelectionEntryList::entriesVisited);
        for (int i = 0; i < n; ++i) {
            select.number = created[std::size_t(i)];
            pmMsg::doCommand(select);
        }
        entries[n > 2000] = stepped.elapsed();
        const PelmoraTest::Work work = meter.elapsed();
        return std::pair<double, double>(double(work.allocations) / n, double(work.bytes) / n);
    };
    const auto small = perRecord(2000);
    const auto big = perRecord(16000);
    EXPECT_TRUE(PelmoraTest::stepsGrowAtMost(entries[0], entries[1], 16)) << "selection entries, for 2,000 and 16,000 records";
    EXPECT_EQ(tree.get_selection("P").size(), 16000u);
    if (PelmoraTest::workCounted()) {
        EXPECT_GT(small.first, 0.0);
        EXPECT_LT(big.first, 2.0 * small.first) << small.first << " allocations per record at 2,000, " << big.first << " at 16,000";
        EXPECT_LT(big.second, 2.0 * small.second) << small.second << " bytes per record at 2,000, " << big.second << " at 16,000";
    }
}

TEST(SelectionSubjectLifetime, DestroyingWithAttachedObserverSaysSo)
{
    PelmoraTest::ScopedLogic logic;
    destructSingletons();
    struct Silent : Vexil::ObserverPattern<const Gui::SelectionModification&>
    {
        void on_modify(Vexil::Subject<const Gui::SelectionModification&>&, const Gui::SelectionModification&) override {}
    } silent;
    TreeSelectionSingleton::instance().attach(&silent);
    testing::internal::CaptureStdout();
    TreeSelectionSingleton::destruct();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Not detached all observers yet\n");
}

TEST_F(SingletonTest, DestroyedSingletonsHearNothingFromTheLogic)
{
    TreeSelectionSingleton::instance().add_selection("P", 1, nullptr);
    SelectionInstance::instance().add_selection("P", 1, nullptr);
    EntitySelectionSingleton::instance().add_selection("P", 1, "Face1");
    destructSingletons();
    // Each of these would reach a singleton if its connections had outlived it.
    box->set_label("Renamed");
    project->remove_object(1);
    pmMsg::runCommand(pmMsg::CMD_CLEAR_SELECTION, "P");
    logic.app().close_project("P");
    // A new singleton starts empty and follows the logic again.
    Obj::Project* q = logic.app().create_project("Q");
    Obj::ProjectObject* late = q->add_object("Obj::ProjectObject", "Late");
    auto& tree = TreeSelectionSingleton::instance();
    tree.add_selection("Q", late->getObjectId(), nullptr);
    q->remove_object(late->getObjectId());
    EXPECT_FALSE(tree.has_selection());
}
