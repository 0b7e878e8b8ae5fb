#include "ProjectTestTypes.h"

#include <core/GfxDatabase.h>
#include <core/qPelmoraApplication.h>

#include <obj/Application.h>
#include <vexil/Exception.h>

VEXIL_TYPESYSTEM_SOURCE(ProjectTest::RecordingFeeder, Gui::ViewFeederProjectObject)
VEXIL_TYPESYSTEM_SOURCE_P(ProjectTest::CountingProjectFeeder);
Vexil::RootClass* ProjectTest::CountingProjectFeeder::create() { return new CountingProjectFeeder(); }
void ProjectTest::CountingProjectFeeder::init()
{
    initSubclass(classTypeId, "FemGui::ViewFeederProjectFem", "Gui::ViewFeederProject", &create);
}
VEXIL_TYPESYSTEM_SOURCE(ProjectTest::RecordedObject, Obj::ProjectObject)
VEXIL_TYPESYSTEM_SOURCE(ProjectTest::BlindObject, Obj::ProjectObject)
VEXIL_TYPESYSTEM_SOURCE(ProjectTest::UnknownFeederObject, Obj::ProjectObject)
VEXIL_TYPESYSTEM_SOURCE(ProjectTest::WrongFeederObject, Obj::ProjectObject)

namespace ProjectTest {

std::vector<std::string>& journal()
{
    static std::vector<std::string> lines;
    return lines;
}

int RecordingFeeder::alive = 0;
int CountingProjectFeeder::alive = 0;
bool RecordingFeeder::throwOnUpdate = false;

RecordingFeeder::RecordingFeeder() { ++alive; }
RecordingFeeder::~RecordingFeeder()
{
    --alive;
    journal().push_back("feeder:deleted");
}

void RecordingFeeder::updateView()
{
    journal().push_back("feeder:updateView");
    inUpdateView = true;
    ViewFeederProjectObject::updateView();
    inUpdateView = false;
}

void RecordingFeeder::on_changed(const Obj::Property* p)
{
    if (p == Visibility)
        set_visible(Visibility->get_value());
    ViewFeederProjectObject::on_changed(p);
}

void RecordingFeeder::updateData(const Obj::Property* p)
{
    if (inUpdateView)
        return;
    journal().push_back(std::string("feeder:update ") + p->get_name() + (isShow() ? " shown" : " hidden"));
    if (throwOnUpdate)
        throw std::runtime_error("broken representation");
}

RecordedObject::RecordedObject() { set_feeder_type_name("ProjectTest::RecordingFeeder"); }
BlindObject::BlindObject() { set_feeder_type_name(""); }
UnknownFeederObject::UnknownFeederObject() { set_feeder_type_name("Nowhere::Feeder"); }
WrongFeederObject::WrongFeederObject() { set_feeder_type_name("Obj::PropertyString"); }

void registerTypes()
{
    static bool done = false;
    if (done)
        return;
    Obj::Application::init_types();
    Gui::qPelmoraApplication::initialize_application();
    CountingProjectFeeder::init();
    Gui::GfxDatabase::init();
    RecordingFeeder::init();
    RecordedObject::init();
    BlindObject::init();
    UnknownFeederObject::init();
    WrongFeederObject::init();
    done = true;
}

} // namespace ProjectTest
