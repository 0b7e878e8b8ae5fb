#pragma once
// A fresh logic, application object and main window per test, with plain commands
// registered under any names a test needs.

#include <commands/Command.h>
#include <commands/CommandAction.h>
#include <commands/SimModule.h>
#include <core/qPelmoraApplication.h>
#include <mainwindow/MainWindow.h>

#include <support/TestEnvironment.h>

#include <obj/Application.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace WorkspaceTest {

class PlainCommand : public Gui::Command
{
public:
    explicit PlainCommand(const std::string& name) : Gui::Command(keep(name))
    {
        sMenuText = sName;
        sToolTipText = sName;
    }
    const char* get_class_name() const override { return "PlainCommand"; }
    void activated(int i) override { calls.push_back(i); }
    std::vector<int> calls;

private:
    // The command keeps a pointer to its name for the whole run.
    static const char* keep(const std::string& name)
    {
        static std::vector<std::unique_ptr<std::string>> names;
        names.push_back(std::make_unique<std::string>(name));
        return names.back()->c_str();
    }
};

inline void registerTypesOnce()
{
    static bool done = false;
    if (!done) {
        Obj::Application::init_types();
        if (!Gui::qPelmoraApplication::types_initialized())
            Gui::qPelmoraApplication::initialize_application();
        done = true;
    }
}

class Workspace : public ::testing::Test
{
protected:
    void SetUp() override
    {
        registerTypesOnce();
        logic = std::make_unique<PelmoraTest::ScopedLogic>();
        app = std::make_unique<Gui::qPelmoraApplication>(false);
        window = std::make_unique<Gui::MainWindow>();
    }
    void TearDown() override
    {
        Gui::SimModuleController::destruct();
        window.reset();
        app.reset();
        logic.reset();
    }
    PlainCommand* addCommand(const std::string& name)
    {
        auto* command = new PlainCommand(name);
        app->get_command_manager().new_command(command);
        return command;
    }
    Gui::CommandController& commands() { return app->get_command_manager(); }

    std::unique_ptr<PelmoraTest::ScopedLogic> logic;
    std::unique_ptr<Gui::qPelmoraApplication> app;
    std::unique_ptr<Gui::MainWindow> window;
};

} // namespace WorkspaceTest
