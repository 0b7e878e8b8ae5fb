// View feeders: the update contract, modes and placement of the base, the project and
// object feeders' visibility, the feeder-property signal, and groups that carry their
// members with them.

#include <core/GuiProject.h>
#include <core/qPelmoraApplication.h>
#include <visualization/ViewFeeder.h>

#include <support/GuiSession.h>
#include <support/TestEnvironment.h>

#include <obj/Application.h>
#include <obj/Project.h>
#include <obj/ProjectFile.h>
#include <obj/ProjectObject.h>
#include <pmmsg/Message.h>
#include <vexil/Exception.h>
#include <vexil/Persistence.h>

#include <QCoreApplication>
#include <QTemporaryDir>

#include <vtkMatrix4x4.h>
#include <vtkTransform.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

// A feeder with mask modes, that counts its data updates and can drop its Visible flag.
class ProbeFeeder : public Gui::ViewFeederExtern
{
public:
    ProbeFeeder()
    {
        maskModes = {{"Flat", 0}, {"As Is", 5}, {"Lines", 1}};
        displayModes = {"Flat", "Lines"};
    }
    void updateData(const Obj::Property*) override
    {
        ++updates;
        shownDuringUpdate = isShow();
        if (dropVisible)
            setVisibleFlag(false);
    }
    bool setEdit(int mode) override { return mode == 2; }
    using ViewFeeder::getDisplayMaskModes;
    using ViewFeeder::setDisplayMaskMode;
    int updates = 0;
    bool shownDuringUpdate = true;
    bool dropVisible = false;
};

// A project feeder that counts how often it is shown and hidden.
class CountingProjectFeeder : public Gui::ViewFeederProject
{
public:
    void show() override { ++shows; ViewFeederProject::show(); }
    void hide() override { ++hides; ViewFeederProject::hide(); }
    int shows = 0;
    int hides = 0;
};

class FeederTest : public ::testing::Test
{
protected:
    FeederTest() { PelmoraTest::registerGuiTypes(); }

    void SetUp() override
    {
        pmMsg::runCommand(pmMsg::CMD_NEW_PROJECT, 1, {"Feeders"});
        project = Obj::Application::instance().get_current_project();
        ASSERT_NE(project, nullptr);
        gui = app.get_project(project);
        ASSERT_NE(gui, nullptr);
        keep.emplace_back(app.signal_change_object.connect([this](const Gui::ViewFeeder& f, const Obj::Property& p) {
            published.push_back(std::string(f.getTypeId().get_name()) + " " + p.get_name());
        }));
    }
    void TearDown() override { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    template <typename T>
    T* feederOf(const Obj::ProjectObject* object)
    {
        return dynamic_cast<T*>(gui->get_view_feeder(object));
    }

    PelmoraTest::ScopedLogic logic;
    Gui::qPelmoraApplication app{true};
    Obj::Project* project = nullptr;
    Gui::GuiProject* gui = nullptr;
    std::vector<std::string> published;
    std::vector<boost::signals2::scoped_connection> keep;
};

} // namespace

TEST(FeederBase, UpdateRunsHiddenAndLeavesAFeederHiddenWhoseVisibleFlagDropped)
{
    PelmoraTest::registerGuiTypes();
    ProbeFeeder f;
    Obj::PropertyBoolean p;
    ASSERT_TRUE(f.isShow());
    f.update(&p);
    EXPECT_EQ(f.updates, 1);
    EXPECT_FALSE(f.shownDuringUpdate);
    EXPECT_TRUE(f.isShow());

    f.setUpdatesEnabled(false);
    f.hide();
    f.update(&p);
    EXPECT_EQ(f.updates, 1);
    EXPECT_FALSE(f.isShow());
    f.show();
    f.setUpdatesEnabled(true);

    f.dropVisible = true;
    f.update(&p);
    EXPECT_FALSE(f.isShow());
    EXPECT_FALSE(f.isVisible());
}

TEST(FeederBase, ModesEditingAndTheBuilderRegistry)
{
    PelmoraTest::registerGuiTypes();
    ProbeFeeder f;
    f.set_override_show_mode("Lines");
    EXPECT_EQ(f.getOverrideMode(), 1);
    f.set_override_show_mode("Nothing such");
    EXPECT_EQ(f.getOverrideMode(), 1);
    f.set_override_show_mode("As Is");   // resets, even though the table knows the name
    EXPECT_EQ(f.getOverrideMode(), -1);

    f.setDisplayMaskMode("Lines");
    EXPECT_EQ(f.getDisplayMaskMode(), 1);
    f.setDisplayMaskMode("Nothing such");
    EXPECT_EQ(f.getDisplayMaskMode(), -1);
    EXPECT_EQ(f.getDisplayMaskModes(), (std::vector<std::string>{"As Is", "Flat", "Lines"}));
    EXPECT_STREQ(f.getDefaultDisplayMode(), "Flat");
    f.setDisplayMode("Lines");
    EXPECT_EQ(f.getActiveDisplayMode(), "Lines");

    EXPECT_FALSE(f.startEditing(1));
    EXPECT_FALSE(f.isEditing());
    EXPECT_TRUE(f.startEditing(2));
    EXPECT_TRUE(f.isEditing());
    f.finishEditing();
    EXPECT_FALSE(f.isEditing());

    EXPECT_EQ(Vexil::TypeInfo::build_instance_by_name("Gui::ViewFeeder"), nullptr);
    EXPECT_EQ(Gui::ViewFeederBuilder::create(Obj::PropertyColor::getClassTypeId()), nullptr);
    Gui::ViewFeederBuilder::add(Obj::PropertyColor::getClassTypeId(), Gui::ViewFeederExtern::getClassTypeId());
    Gui::ViewFeederBuilder::add(Obj::PropertyColor::getClassTypeId(), Gui::ViewFeederFeature::getClassTypeId());
    Gui::ViewFeeder* built = Gui::ViewFeederBuilder::create(Obj::PropertyColor::getClassTypeId());
    ASSERT_NE(built, nullptr);
    EXPECT_EQ(built->getTypeId(), Gui::ViewFeederFeature::getClassTypeId());
    delete built;
}

TEST(FeederBase, PlacementReplacesThePreviousOneAndKeepsTranslationInTheLastColumn)
{
    PelmoraTest::registerGuiTypes();
    ProbeFeeder f;
    Vexil::Matrix4D m;
    m.m[0][3] = 10;   // a move along x
    m.m[1][3] = -4;
    f.setTransformation(m);
    f.setTransformation(m);
    double moved[3];
    f.getTransform()->TransformPoint(std::vector<double>{1, 1, 1}.data(), moved);
    EXPECT_DOUBLE_EQ(moved[0], 11);
    EXPECT_DOUBLE_EQ(moved[1], -3);
    EXPECT_DOUBLE_EQ(moved[2], 1);

    vtkMatrix4x4* converted = Gui::ViewFeeder::convert(m);
    EXPECT_EQ(converted->GetElement(0, 3), 10);
    EXPECT_EQ(converted->GetElement(3, 0), 0);
    converted->Delete();
}

TEST_F(FeederTest, ProjectFeederOffersOneEmptyModeAndHidesOnceWhenVisibilityDrops)
{
    CountingProjectFeeder f;
    f.attach(project);
    EXPECT_EQ(f.DisplayMode->get_enum_list(), std::vector<std::string>{""});
    published.clear();

    f.Visibility->set_value(false);
    EXPECT_EQ(f.hides, 1);
    EXPECT_EQ(f.shows, 0);
    EXPECT_FALSE(f.isShow());
    EXPECT_FALSE(f.Visibility->test_object_status(Gui::ViewFeeder::VisibilityInProgress));
    EXPECT_EQ(published, std::vector<std::string>{"Gui::ViewFeederProject Visibility"});

    // show() writes the property back, which reports once and does not re-enter.
    published.clear();
    f.show();
    EXPECT_TRUE(f.Visibility->get_value());
    EXPECT_EQ(f.shows, 1);
    EXPECT_TRUE(f.isShow());
    EXPECT_EQ(published, std::vector<std::string>{"Gui::ViewFeederProject Visibility"});

    // A display-mode change applies the mode; a hidden project stays hidden.
    f.Visibility->set_value(false);
    f.DisplayMode->set_value(0L);
    EXPECT_EQ(f.getActiveDisplayMode(), "");
    EXPECT_FALSE(f.isShow());
}

TEST_F(FeederTest, ObjectFeederOfASuppressedObjectStaysHiddenAndPublishesItsProperties)
{
    Obj::ProjectObject* object = project->add_object("Obj::ProjectObject", "Plate");
    auto* f = feederOf<Gui::ViewFeederProjectObject>(object);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->get_object(), object);
    EXPECT_TRUE(f->Visibility->test_object_status(Obj::Property::Hidden));
    EXPECT_STREQ(f->Visibility->get_associated_group(), "Definition");

    f->hide();
    object->suppress();
    f->show();
    EXPECT_FALSE(f->isShow());
    object->unsuppress();
    f->show();
    EXPECT_TRUE(f->isShow());

    published.clear();
    f->Visibility->set_value(false);
    EXPECT_EQ(published, std::vector<std::string>{"Gui::ViewFeederProjectObject Visibility"});

    // A feeder whose project is being read back skips its property pass.
    struct Counting : Gui::ViewFeederProjectObject
    {
        int updates = 0;
        void updateData(const Obj::Property*) override { ++updates; }
    } counting;
    counting.attach(object);
    counting.updateView();
    EXPECT_EQ(counting.updates, 2);   // "Label" and "Visibility"
    project->setRestoring(true);
    counting.updateView();
    EXPECT_EQ(counting.updates, 2);
    EXPECT_TRUE(counting.isShow());
    project->setRestoring(false);
}

TEST_F(FeederTest, DeletingAGroupRemovesItsMembersAndKeepsTheRest)
{
    auto* group = static_cast<Obj::ProjectObjectGroup*>(project->add_object("Obj::ProjectObjectGroup", "Group"));
    Obj::ProjectObject* a = project->add_object("Obj::ProjectObject", "A");
    Obj::ProjectObject* kept = project->add_object("Obj::ProjectObject", "Kept");
    const unsigned int aId = a->getObjectId();
    group->add_object(a);
    auto* g = feederOf<Gui::ViewFeederProjectObjectGroup>(group);
    ASSERT_NE(g, nullptr);

    pmMsg::Journal::clear();
    EXPECT_TRUE(g->onDelete({}));
    EXPECT_EQ(pmMsg::Journal::lines(), std::vector<std::string>{
        "runString App.get_project(\"Feeders\").get_object(\"" + std::to_string(group->getObjectId())
        + "\").removeObjectsFromDocument()"});
    EXPECT_EQ(project->get_object(aId), nullptr);
    EXPECT_EQ(project->get_object(kept->getObjectId()), kept);
    EXPECT_EQ(project->get_object(group->getObjectId()), group);
    EXPECT_TRUE(group->get_objects().empty());

    // Only a group has members to remove.
    EXPECT_THROW(pmMsg::InterpreterSingleton::Instance().runString(
                     ("App.get_project('Feeders').get_object('" + std::to_string(kept->getObjectId())
                      + "').removeObjectsFromDocument()").c_str()),
                 Vexil::ExceptionHandler);
    EXPECT_EQ(project->get_object(kept->getObjectId()), kept);
}

// Ids of 2^31 and more come from project files; the delete line must name them as they are.
TEST_F(FeederTest, DeletingAGroupWithAnIdBeyondTheSignedRangeRemovesItsMembers)
{
    Obj::ProjectObject* a = project->add_object("Obj::ProjectObject", "A");
    project->add_object("Obj::ProjectObject", "Kept");
    auto* group = static_cast<Obj::ProjectObjectGroup*>(project->add_object("Obj::ProjectObjectGroup", "Group"));
    group->add_object(a);
    std::string bytes = Obj::ProjectFile::write({project}, project);
    const auto replace = [&bytes](const std::string& from, const std::string& to) {
        const auto at = bytes.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        bytes.replace(at, from.size(), to);
    };
    replace("project\tFeeders\t", "project\tLargeIds\t");
    // This test program registers no simulation module: the plain project feeder serves.
    replace("\tFemGui::ViewFeederProjectFem\n", "\tGui::ViewFeederProject\n");
    replace("current\tFeeders", "current\tLargeIds");
    replace("object\t" + std::to_string(group->getObjectId()) + "\t", "object\t2147483648\t");
    bytes.erase(bytes.rfind("end\t"));
    unsigned int crc = 0xFFFFFFFFu;
    for (const char b : bytes) {
        crc ^= static_cast<unsigned char>(b);
        for (int k = 0; k < 8; ++k)
            crc = (crc & 1u) ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
    }
    char check[16];
    std::snprintf(check, sizeof check, "%08X", crc ^ 0xFFFFFFFFu);
    bytes += std::string("end\t") + check + "\n";
    QTemporaryDir dir;
    const std::string path = dir.filePath("large ids.v2.pmdb").toStdString();
    {
        std::ofstream out(path, std::ios::binary);
        out << bytes;
    }

    const std::vector<Obj::Project*> read = Obj::ProjectFile::resume(Obj::Application::instance(), path);
    ASSERT_EQ(read.size(), 1u);
    Obj::Project* large = read.front();
    auto* readGroup = dynamic_cast<Obj::ProjectObjectGroup*>(large->get_object(2147483648u));
    ASSERT_NE(readGroup, nullptr);
    ASSERT_EQ(readGroup->get_objects().size(), 1u);
    const unsigned int memberId = readGroup->get_objects().front()->getObjectId();
    auto* feeder = dynamic_cast<Gui::ViewFeederProjectObjectGroup*>(app.get_project(large)->get_view_feeder(readGroup));
    ASSERT_NE(feeder, nullptr);

    pmMsg::Journal::clear();
    EXPECT_NO_THROW(feeder->onDelete({}));
    EXPECT_EQ(pmMsg::Journal::lines(), std::vector<std::string>{
        "runString App.get_project(\"LargeIds\").get_object(\"2147483648\").removeObjectsFromDocument()"});
    EXPECT_EQ(large->get_object(memberId), nullptr);
    EXPECT_EQ(large->get_object(2147483648u), readGroup);
}

TEST_F(FeederTest, GroupCarriesItsMembersExceptWhileRestoring)
{
    auto* group = static_cast<Obj::ProjectObjectGroup*>(project->add_object("Obj::ProjectObjectGroup", "Group"));
    Obj::ProjectObject* a = project->add_object("Obj::ProjectObject", "A");
    Obj::ProjectObject* b = project->add_object("Obj::ProjectObject", "B");
    auto* g = feederOf<Gui::ViewFeederProjectObjectGroup>(group);
    ASSERT_NE(g, nullptr);
    g->dropObject(a);
    g->dropObject(b);
    EXPECT_EQ(g->claim_descendants(), (std::vector<Obj::ProjectObject*>{a, b}));
    auto* fa = feederOf<Gui::ViewFeederProjectObject>(a);
    auto* fb = feederOf<Gui::ViewFeederProjectObject>(b);

    // Its first show cascades; a hide takes the members along.
    fa->hide();
    g->show();
    EXPECT_TRUE(fa->isShow());
    g->hide();
    EXPECT_FALSE(fa->isShow());
    EXPECT_FALSE(fb->isShow());
    g->show();
    EXPECT_TRUE(fb->isShow());

    // isShow is the property's word, not the flag's.
    g->Visibility->set_value(false);
    EXPECT_FALSE(g->isShow());
    EXPECT_TRUE(fa->isShow());   // the property change alone shows and hides nothing
    g->Visibility->set_value(true);

    // A group that follows its own Visibility: read back from a file, the change hides
    // the group but not its members; outside a restore the same change carries them.
    struct FollowingGroup : Gui::ViewFeederProjectObjectGroup
    {
        void on_changed(const Obj::Property* p) override
        {
            if (p == Visibility)
                set_visible(Visibility->get_value());
            ViewFeederProjectObjectGroup::on_changed(p);
        }
    } following;
    following.attach(group);
    following.show();
    Vexil::Hdf5FileWriter writer;
    writer.write("G/Visibility", "False");
    Vexil::Hdf5FileReader reader(writer);
    following.resume(reader, "G");
    EXPECT_FALSE(following.isShow());
    EXPECT_TRUE(fa->isShow());
    EXPECT_TRUE(fb->isShow());
    EXPECT_FALSE(following.Visibility->test_object_status(Gui::ViewFeeder::RestoringGroup));
    following.Visibility->set_value(true);
    following.Visibility->set_value(false);
    EXPECT_FALSE(fa->isShow());

    g->dragObject(a);
    EXPECT_EQ(g->claim_descendants(), std::vector<Obj::ProjectObject*>{b});

    // Members without feeders are skipped.
    Obj::ProjectObjectGroup loose;
    Obj::ProjectObject stray;
    loose.add_object(&stray);
    Gui::ViewFeederProjectObjectGroup lonely;
    lonely.attach(&loose);
    lonely.show();
    lonely.hide();
    EXPECT_TRUE(lonely.isShow());
}
