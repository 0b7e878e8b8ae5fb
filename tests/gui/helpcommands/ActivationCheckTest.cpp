// The periodic activation check: it asks every placed command, and only those, whether
// it can run, and sets its action's enabled state, however commands and actions come
// and go.

#include <commands/Command.h>
#include <commands/CommandAction.h>

#include <QAction>
#include <QCoreApplication>
#include <QMenu>

#include <gtest/gtest.h>

#include <string>

namespace {

class CountingCommand : public Gui::Command
{
public:
    explicit CountingCommand(const char* name) : Gui::Command(name) { sMenuText = name; }
    const char* get_class_name() const override { return "CountingCommand"; }
    void activated(int) override {}
    bool is_applicable() override
    {
        ++asked;
        return applicable;
    }
    int asked = 0;
    bool applicable = false;
};

QAction* actionOf(Gui::Command* command)
{
    return command->get_action() ? command->get_action()->action() : nullptr;
}

} // namespace

TEST(ActivationCheck, AsksThePlacedCommandsOnlyAsTheyComeAndGo)
{
    Gui::CommandController controller;
    QMenu menu;
    auto* placed = new CountingCommand("Test_Placed");
    auto* unplaced = new CountingCommand("Test_Unplaced");
    auto* gone = new CountingCommand("Test_Gone");
    controller.new_command(placed);
    controller.new_command(unplaced);
    controller.new_command(gone);
    controller.add_to("Test_Placed", &menu);
    controller.add_to("Test_Placed", &menu);   // placed twice: asked once
    controller.add_to("Test_Gone", &menu);

    controller.check_activation();
    EXPECT_EQ(placed->asked, 1);
    EXPECT_EQ(unplaced->asked, 0);
    EXPECT_FALSE(actionOf(placed)->isEnabled());
    placed->applicable = true;
    controller.check_activation();
    EXPECT_TRUE(actionOf(placed)->isEnabled());

    // A command deleted from the registry is asked no more.
    controller.delete_command(gone);
    controller.check_activation();
    EXPECT_EQ(placed->asked, 3);

    // An action that goes (its window closed) takes its command out of the check until
    // the command is placed again.
    delete placed->get_action();
    controller.check_activation();
    EXPECT_EQ(placed->asked, 3);
    controller.add_to("Test_Placed", &menu);
    controller.check_activation();
    EXPECT_EQ(placed->asked, 4);
    EXPECT_TRUE(actionOf(placed)->isEnabled());

    // A command displaced by a newer one of its name keeps its action but is not asked;
    // the newer one is, once placed.
    auto* newer = new CountingCommand("Test_Placed");
    controller.new_command(newer);
    controller.check_activation();
    EXPECT_EQ(placed->asked, 4);
    EXPECT_EQ(newer->asked, 0);
    controller.add_to("Test_Placed", &menu);
    controller.check_activation();
    EXPECT_EQ(newer->asked, 1);
    EXPECT_EQ(placed->asked, 4);

    // The displaced one registered again is asked again, the newer one no longer.
    controller.new_command(placed);
    controller.check_activation();
    EXPECT_EQ(placed->asked, 5);
    EXPECT_EQ(newer->asked, 1);

    // Blocked commands are all disabled without being asked.
    Gui::Command::block_all_command(true);
    controller.check_activation();
    Gui::Command::block_all_command(false);
    EXPECT_EQ(placed->asked, 5);
    EXPECT_FALSE(actionOf(placed)->isEnabled());

    // Without a main window the actions have no owner: free them here.
    delete placed->get_action();
    delete newer->get_action();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    controller.check_activation();
}
