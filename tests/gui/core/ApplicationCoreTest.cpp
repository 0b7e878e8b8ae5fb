// The application object outside a running event loop: type registration, the Qt
// message handler, and module activation.

#include <commands/SimModule.h>
#include <support/SettleEvents.h>
#include <support/HangGuard.h>
#include <core/MetaTypes.h>
#include <core/GfxDatabase.h>
#include <core/qPelmoraApplication.h>
#include <mainwindow/MainWindow.h>
#include <visualization/ViewFeeder.h>

#include <support/ConsoleCapture.h>
#include <support/ModalCloser.h>
#include <support/TestEnvironment.h>

#include <obj/Application.h>
#include <pmmsg/Message.h>
#include <vexil/Exception.h>

#include <QFile>
#include <QSequentialIterable>
#include <QTest>
#include <QVariant>

#include <gtest/gtest.h>

#include <cstdlib>

using PelmoraTest::ConsoleCapture;

namespace CoreTest {

// Module classes standing in for the product's: one that activates and one that fails
// the way a broken module library does.  They take the product's registered names.
class WorkingModule : public Gui::StdSimModule
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    void activated() override { ++activations; }
    void deactivated() override { ++deactivations; }
    int activations = 0;
    int deactivations = 0;
};
VEXIL_TYPESYSTEM_SOURCE_P(WorkingModule);
Vexil::RootClass* WorkingModule::create() { return new WorkingModule(); }
void WorkingModule::init()
{
    initSubclass(classTypeId, "FemGui::SimModule", "Gui::StdSimModule", &create);
}

class FailingModule : public Gui::StdSimModule
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    Gui::DockingWindowItems* build_docking_windows() const override
    {
        throw Vexil::ExceptionHandler("<type 'exceptions.ImportError'>:  No module named Broken");
    }
};
VEXIL_TYPESYSTEM_SOURCE_P(FailingModule);
Vexil::RootClass* FailingModule::create() { return new FailingModule(); }
void FailingModule::init()
{
    initSubclass(classTypeId, "AuxillaryGui::SimModule", "Gui::StdSimModule", &create);
}

} // namespace CoreTest

using namespace CoreTest;

namespace {

// Registers the library's types once for this test program.
void registerTypesOnce()
{
    static bool done = false;
    if (!done) {
        // The logic's own types come first, as when the host has built the logic.
        Obj::Application::init_types();
        Gui::qPelmoraApplication::initialize_application();
        WorkingModule::init();
        FailingModule::init();
        done = true;
    }
}

class ApplicationCore : public ::testing::Test
{
protected:
    void SetUp() override { registerTypesOnce(); }
    void TearDown() override { Gui::SimModuleController::destruct(); }
};

} // namespace

TEST_F(ApplicationCore, RegistersStartupTypesUnderTheirParents)
{
    struct Row { const char* name; const char* parent; bool buildable; };
    const Row rows[] = {
        {"Gui::BaseView", "Vexil::RootClass", false},
        {"Gui::MDIWindow", "Gui::BaseView", false},
        {"Gui::qView3DMRML", "Gui::MDIWindow", false},
        {"Gui::ViewFeederProject", "Gui::ViewFeeder", true},
        {"Gui::ViewFeederProjectObject", "Gui::ViewFeeder", true},
        {"Gui::ViewFeederTopoObject", "Gui::ViewFeederProjectObject", true},
        {"Gui::ViewFeederProjectObjectGroup", "Gui::ViewFeederProjectObject", true},
        {"Gui::SimModule", "Vexil::RootClass", false},
        {"Gui::StdSimModule", "Gui::SimModule", true},
        {"Gui::NoneSimModule", "Gui::StdSimModule", true},
        {"FemGui::SimModule", "Gui::StdSimModule", true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Vexil::TypeInfo type = Vexil::TypeInfo::get_type_from_name(row.name);
        ASSERT_FALSE(type.is_sick());
        EXPECT_STREQ(type.get_parent().get_name(), row.parent);
        std::unique_ptr<Vexil::RootClass> built(Vexil::TypeInfo::build_instance_by_name(row.name));
        EXPECT_EQ(built != nullptr, row.buildable);
        if (built) {
            EXPECT_TRUE(built->is_inherited_from(type));
        }
    }
}

TEST_F(ApplicationCore, SecondInitializationOnlyReportsAnError)
{
    ConsoleCapture console;
    const int before = Vexil::TypeInfo::get_num_types();
    Gui::qPelmoraApplication::initialize_application();
    EXPECT_TRUE(console.contains(ConsoleCapture::Level::Error,
                                 "Run Gui::qPelmoraApplication::initialize_application() twice!\n"));
    EXPECT_EQ(Vexil::TypeInfo::get_num_types(), before);
}

TEST_F(ApplicationCore, QtMessagesReachTheConsoleByLevel)
{
    ConsoleCapture console;
    qDebug("debug text that must not appear");
    qInfo("info text that must not appear");
    qWarning("a warning from Qt");
    qCritical("a critical message from Qt");
    EXPECT_TRUE(console.contains(ConsoleCapture::Level::Warning, "a warning from Qt\n"));
    EXPECT_TRUE(console.contains(ConsoleCapture::Level::Error, "a critical message from Qt\n"));
    for (const auto& line : console.lines())
        EXPECT_EQ(line.text.find("must not appear"), std::string::npos) << line.text;
}

TEST_F(ApplicationCore, ValueTypesTravelInVariants)
{
    Gui::GfxDatabase::init();
    Gui::GfxDatabase::init();   // a second run changes nothing
    EXPECT_NE(QMetaType::type("Vexil::Vector3d"), 0);
    EXPECT_NE(QMetaType::type("pmUnit::QuantityList"), 0);

    QVariant v = QVariant::fromValue(Vexil::Vector3d(1.5, -2, 3));
    EXPECT_EQ(v.value<Vexil::Vector3d>(), Vexil::Vector3d(1.5, -2, 3));

    QList<pmUnit::Quantity> list{{1.0, "mm"}, {2.5, "N"}};
    QVariant lv = QVariant::fromValue(list);
    ASSERT_TRUE(lv.canConvert<QVariantList>());
    QStringList units;
    for (const QVariant& item : lv.value<QSequentialIterable>())
        units << item.value<pmUnit::Quantity>().getUnit();
    EXPECT_EQ(units, QStringList({"mm", "N"}));
}

TEST_F(ApplicationCore, ModuleNamesMapToTheirClassesAndEnvironmentPathsKeepTheirLetters)
{
    // A home folder whose name is not Latin-1 reaches child processes unchanged.
    const QString home = QString::fromUtf8("/home/J\u00fcrgen/\u6570\u636e \u0394");
    Gui::qPelmoraApplication::setEnvironmentVariable(QStringLiteral("PELMORA_TEST_HOME"), home);
    const char* stored = std::getenv("PELMORA_TEST_HOME");
    ASSERT_NE(stored, nullptr);
    if (QFile::decodeName(QFile::encodeName(home)) == home) {
        EXPECT_EQ(QFile::decodeName(stored), home);
    }
    qunsetenv("PELMORA_TEST_HOME");

    EXPECT_STREQ(Gui::qPelmoraApplication::simmodule_class("FemWorkbench"), "FemGui::SimModule");
    EXPECT_STREQ(Gui::qPelmoraApplication::simmodule_class("MatWorkbench"), "FemGui::SimModule");
    EXPECT_STREQ(Gui::qPelmoraApplication::simmodule_class("TotalSimmodule"), "AuxillaryGui::SimModule");
    EXPECT_STREQ(Gui::qPelmoraApplication::simmodule_class("femworkbench"), "Gui::StdSimModule");
    EXPECT_STREQ(Gui::qPelmoraApplication::simmodule_class(""), "Gui::StdSimModule");
}

TEST_F(ApplicationCore, ActivatingTheActiveModuleAgainDoesNothing)
{
    PelmoraTest::ScopedLogic logic;
    Gui::qPelmoraApplication app(true);
    Gui::MainWindow mw;
    int announced = 0;
    QObject::connect(&mw, &Gui::MainWindow::workbenchActivated, [&] { ++announced; });

    EXPECT_TRUE(app.activate_simmodule("FemWorkbench"));
    auto* fem = dynamic_cast<WorkingModule*>(Gui::SimModuleController::instance()->active_simmodule());
    ASSERT_NE(fem, nullptr);
    EXPECT_EQ(fem->activations, 1);
    EXPECT_FALSE(app.activate_simmodule("FemWorkbench"));
    EXPECT_EQ(announced, 1);
    EXPECT_EQ(fem->activations, 1);

    // The interpreter reaches the same operation through its "Gui." hook; the old module
    // hears of it before the new one.
    pmMsg::InterpreterSingleton::Instance().runString("Gui.activate_simmodule('Plain')");
    Gui::SimModule* plain = Gui::SimModuleController::instance()->active_simmodule();
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->name(), "Plain");
    EXPECT_EQ(plain->getTypeId(), Gui::StdSimModule::getClassTypeId());
    EXPECT_EQ(fem->deactivations, 1);
    EXPECT_EQ(announced, 2);
}

TEST_F(ApplicationCore, ModuleFailureIsQuietDuringStartupAndABoxAfterwards)
{
    PelmoraTest::ScopedLogic logic;
    Gui::qPelmoraApplication app(true);
    Gui::MainWindow mw;
    ConsoleCapture console;
    PelmoraTest::ModalCloser closer(QMessageBox::Ok);

    ASSERT_TRUE(app.is_starting());
    EXPECT_FALSE(app.activate_simmodule("TotalSimmodule"));
    // The import-error prefix is stripped from what the user reads.
    EXPECT_TRUE(console.contains(ConsoleCapture::Level::Error, "No module named Broken\n"));
    EXPECT_FALSE(console.contains(ConsoleCapture::Level::Error, "ImportError"));
    PelmoraTest::settleQueuedEvents();
    EXPECT_EQ(closer.count(), 0);

    app.set_starting(false);
    EXPECT_FALSE(app.activate_simmodule("TotalSimmodule"));
    QTRY_COMPARE_WITH_TIMEOUT(closer.count(), 1, PelmoraTest::HangGuardMs);
    EXPECT_EQ(closer.titles().value(0), QString("SimModule failure"));
    EXPECT_EQ(closer.texts().value(0), QString("No module named Broken"));
}

TEST_F(ApplicationCore, AvailableModulesFollowRegisteredClassesAndConfiguration)
{
    PelmoraTest::ScopedLogic logic({{"ExtraWorkbench", "PartWorkbench;MeshWorkbench"},
                                    {"HiddenWorkbench", "MatWorkbench;MeshWorkbench"}});
    Gui::qPelmoraApplication app(true);
    EXPECT_EQ(app.get_simmodules(),
              QStringList({"FemWorkbench", "PartWorkbench", "TotalSimmodule"}));
}
