#include "PropertyEditorTestSupport.h"

#include <commands/SimModule.h>
#include <femgui/FemGui.h>
#include <propertyeditor/PropertyItem.h>
#include <selection/TreeSelectionSingleton.h>

#include <pmmsg/Message.h>
#include <pmunit/Units.h>

#include <QLocale>

#include <clocale>

namespace PropertyEditorTest {

QLineEdit* field(const QWidget* editor)
{
    return editor->findChild<QLineEdit*>();
}

DecimalCommaLocale::DecimalCommaLocale()
{
    previous = std::setlocale(LC_ALL, nullptr);
    std::setlocale(LC_ALL, "de_DE.UTF-8");
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
}

DecimalCommaLocale::~DecimalCommaLocale()
{
    std::setlocale(LC_ALL, previous.c_str());
    QLocale::setDefault(QLocale::c());
}

Fixture::Fixture()
{
    Gui::PropertyOperator::initPropertyItems();
    pmUnit::UnitsManager::instance()->setDecimals(2);
    project = logic.app().create_project("P");
    a = project->add_object("Obj::ProjectObject", "A");
    b = project->add_object("Obj::ProjectObject", "B");
    c = project->add_object("Obj::ProjectObject", "C");
    clearJournal();
}

Fixture::~Fixture()
{
    pmUnit::UnitsManager::instance()->setDecimals(6);
}

std::vector<std::string> Fixture::commands()
{
    std::vector<std::string> out;
    for (const std::string& l : pmMsg::Journal::lines()) {
        if (l.rfind("runCommand", 0) == 0)
            out.push_back(l);
    }
    return out;
}

void Fixture::clearJournal()
{
    pmMsg::Journal::clear();
}

std::string Fixture::line41(const Obj::ProjectObject* o, const std::string& name, const std::string& value)
{
    return "runCommand 41 P|" + std::to_string(o->getObjectId()) + "|" + name + "|" + value;
}

void LoadWindow::startLoadWindow(const char* system)
{
    static const bool registered = [] {
        Obj::Application::init_types();
        if (!Gui::qPelmoraApplication::types_initialized())
            Gui::qPelmoraApplication::initialize_application();
        FemGui::initModule();
        return true;
    }();
    (void)registered;
    Gui::PropertyOperator::initPropertyItems();
    logic = std::make_unique<PelmoraTest::ScopedLogic>();
    app = std::make_unique<Gui::qPelmoraApplication>(true);
    window = std::make_unique<Gui::MainWindow>();
    window->show();
    pmUnit::UnitsManager::instance()->setSystemUnits(system);
    project = logic->app().create_project("P");
    geometry = dynamic_cast<Obj::GeometryObject*>(project->add_object("Obj::GeometryObject", "Plate"));
    ASSERT_TRUE(geometry);
    const std::string id = pmMsg::InterpreterSingleton::Instance().runString(
        ("App.get_project('P').add_load('" + std::to_string(geometry->getObjectId()) + "')").c_str());
    load = dynamic_cast<Obj::LoadObject*>(project->get_object(static_cast<unsigned int>(std::stoul(id))));
    ASSERT_TRUE(load);
}

void LoadWindow::stopLoadWindow()
{
    Gui::TreeSelectionSingleton::instance().clear_all_selections();
    window.reset();
    Gui::SimModuleController::destruct();
    app.reset();
    logic.reset();
    pmUnit::UnitsManager::instance()->setSystemUnits("MKS");
    QLocale::setDefault(QLocale::c());
}

} // namespace PropertyEditorTest
