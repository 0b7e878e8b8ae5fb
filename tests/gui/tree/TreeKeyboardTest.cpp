// The Project Explorer without the mouse, in the real main window: Tab and Shift+Tab
// bring the focus to the tree from the 3D view, the arrow keys choose an object, and F2
// renames it; a label no project file could hold is refused as it is typed, there and in
// the property editor's Label row.

#include <commands/SimModule.h>
#include <support/SettleEvents.h>
#include <support/HangGuard.h>
#include <core/GuiProject.h>
#include <core/qPelmoraApplication.h>
#include <mainwindow/DockingWindowMediator.h>
#include <mainwindow/MainWindow.h>
#include <propertyeditor/PropertyModel.h>
#include <propertyeditor/PropertyOperator.h>
#include <propertyeditor/PropertyView.h>
#include <selection/ProjectItem.h>
#include <selection/ProjectObjectItem.h>
#include <selection/TreeWidget.h>
#include <visualization/qView3DMRML.h>

#include <support/ConsoleCapture.h>
#include <support/GuiSession.h>
#include <support/WindowFocus.h>

#include <obj/Application.h>
#include <obj/Project.h>
#include <obj/ProjectObject.h>
#include <pmmsg/Message.h>

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class TreeKeyboard : public PelmoraTest::MainWindowSession
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(PelmoraTest::vtkSurfaceFormatSet());
        PelmoraTest::registerFemGuiTypes();
        startApplication();
        openMainWindow();
        window->resize(1200, 900);
        Gui::DockingWindowItems layout;
        layout.add_docking_widget("Std_TreeView", Qt::LeftDockWidgetArea, true, false);
        layout.add_docking_widget("Std_PropertyView", Qt::LeftDockWidgetArea, true, false);
        Gui::DockingWindowMediator::instance()->setup(&layout);
        tree = Gui::DockingWindowMediator::instance()->getDockingWindow("Std_TreeView")->findChild<Gui::TreeWidget*>();
    }

    // Other programs share the display and may take its focus: asked again.
    bool activate()
    {
        return PelmoraTest::activateForTyping(window.get());
    }

    // Presses `key` on whatever has the focus until the tree has it; how many presses
    // that took, or 0 when it never came.
    int pressUntilTree(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        for (int n = 1; n <= 60; ++n) {
            QWidget* focus = QApplication::focusWidget();
            if (!focus && activate())
                focus = QApplication::focusWidget();
            if (!focus)
                return 0;
            QTest::keyClick(focus, key, modifiers);
            PelmoraTest::settleQueuedEvents();
            if (tree->hasFocus())
                return n;
        }
        return 0;
    }

    Gui::TreeWidget* tree = nullptr;
};

} // namespace

TEST_F(TreeKeyboard, TabReachesTheTreeWhereKeysSelectAndRenameAndALabelTooLongIsRefused)
{
    ASSERT_NE(tree, nullptr);
    pmMsg::runCommand(pmMsg::CMD_NEW_PROJECT, 1, {"Unnamed Project"});
    Obj::Project* project = Obj::Application::instance().get_current_project();
    ASSERT_NE(project, nullptr);
    Obj::ProjectObject* object = project->add_object("Obj::ProjectObject", "Bracket");
    auto* view = qobject_cast<Gui::qView3DMRML*>(app->get_project(project)->getActiveView());
    ASSERT_NE(view, nullptr);
    PelmoraTest::settleQueuedEvents();
    ASSERT_TRUE(activate());

    // From the 3D view, forwards and backwards.
    for (const Qt::KeyboardModifiers modifiers : {Qt::KeyboardModifiers(Qt::NoModifier), Qt::KeyboardModifiers(Qt::ShiftModifier)}) {
        view->setFocus();
        QWidget* inView = QApplication::focusWidget();
        ASSERT_TRUE(inView && (inView == view || view->isAncestorOf(inView)));
        EXPECT_GT(pressUntilTree(modifiers ? Qt::Key_Backtab : Qt::Key_Tab, modifiers), 0)
            << "stuck in " << (QApplication::focusWidget() ? QApplication::focusWidget()->metaObject()->className() : "nothing");
    }
    ASSERT_TRUE(tree->hasFocus());

    // Down to the object's item, then F2 and a new label.
    Gui::ProjectObjectItem* item = nullptr;
    for (int n = 0; n < 10 && !item; ++n) {
        QTest::keyClick(tree, Qt::Key_Down);
        auto* current = tree->currentItem();
        if (current && current->type() == Gui::ProjectObjectItem::ItemType)
            item = static_cast<Gui::ProjectObjectItem*>(current);
    }
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(item->isSelected());
    const auto rename = [this](const QString& text) {
        // The window gets back the focus another program on the display took; the tree
        // has it again then.
        if (!activate() || !tree->hasFocus())
            return false;
        QTest::keyClick(tree, Qt::Key_F2);
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        if (!editor)
            return false;
        editor->selectAll();
        if (text.size() > 100) {
            // Thousands of letters come pasted.
            QApplication::clipboard()->setText(text);
            QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
        }
        else {
            // Letters beyond ASCII arrive as a key press carrying its text, as from a
            // keyboard layout that has them.
            for (const QChar c : text) {
                if (c.unicode() < 0x80)
                    QTest::keyClick(editor, c.toLatin1());
                else
                    QTest::sendKeyEvent(QTest::Click, editor, Qt::Key_unknown, QString(c), Qt::NoModifier);
            }
        }
        QTest::keyClick(editor, Qt::Key_Return);
        // The editor hands its text over when the loop next turns (a queued call), then
        // closes: both are run here, before the label is read.
        PelmoraTest::settleWithDisplay();
        return true;
    };
    ASSERT_TRUE(rename(QString::fromUtf8("Halter \xc3\xbc v2.1")));
    EXPECT_STREQ(object->get_label(), "Halter \xc3\xbc v2.1");

    // 4,097 bytes (a two-byte letter among them), pasted: refused, with the reason, and the item
    // shows the label kept.
    PelmoraTest::ConsoleCapture console;
    ASSERT_TRUE(tree->hasFocus());
    ASSERT_TRUE(rename(QString::fromUtf8("\xc3\xbc") + QString(4095, 'x')));
    EXPECT_STREQ(object->get_label(), "Halter \xc3\xbc v2.1");
    EXPECT_EQ(item->text(0), QString::fromUtf8("Halter \xc3\xbc v2.1"));
    EXPECT_TRUE(console.contains(PelmoraTest::ConsoleCapture::Level::Error, "Renaming failed: "));
    EXPECT_TRUE(console.contains(PelmoraTest::ConsoleCapture::Level::Error,
                                 "a label may hold at most 4096 bytes, and this one holds 4097"));
    // 4,096 bytes are taken.
    ASSERT_TRUE(rename(QString(4096, 'y')));
    EXPECT_EQ(std::string(object->get_label()), std::string(4096, 'y'));

    // Up to the project's item: its label is refused the same way.
    for (int n = 0; n < 10 && tree->currentItem() && tree->currentItem()->type() != Gui::ProjectItem::ItemType; ++n)
        QTest::keyClick(tree, Qt::Key_Up);
    ASSERT_TRUE(tree->currentItem() && tree->currentItem()->type() == Gui::ProjectItem::ItemType);
    const std::string projectLabel = project->getProjectName();
    console.clear();
    ASSERT_TRUE(rename(QString(5000, 'p')));
    EXPECT_EQ(project->getProjectName(), projectLabel);
    EXPECT_TRUE(console.contains(PelmoraTest::ConsoleCapture::Level::Error,
                                 "a label may hold at most 4096 bytes, and this one holds 5000"));
    // Back down to the object for the property editor.
    for (int n = 0; n < 10 && tree->currentItem() != item; ++n)
        QTest::keyClick(tree, Qt::Key_Down);
    ASSERT_EQ(tree->currentItem(), item);

    // The property editor's Label row of the object selected with the keys refuses a
    // longer one pasted in and taken with Enter, with the same reason.
    auto* panel = Gui::DockingWindowMediator::instance()->getDockingWindow("Std_PropertyView");
    ASSERT_NE(panel, nullptr);
    Gui::PropertyOperator::PropertyOperator* rows = panel->findChild<Gui::PropertyView*>()->dataTree();
    Gui::PropertyOperator::PropertyModel* model = rows->propertyModel();
    QModelIndex labelRow;
    for (int r = 0; r < model->rowCount() && !labelRow.isValid(); ++r)
        if (model->data(model->index(r, 0)).toString() == QLatin1String("Label"))
            labelRow = model->index(r, 1);
    ASSERT_TRUE(labelRow.isValid());
    rows->setCurrentIndex(labelRow.siblingAtColumn(0));
    auto* field = qobject_cast<QLineEdit*>(rows->indexWidget(labelRow));
    ASSERT_NE(field, nullptr);
    ASSERT_TRUE(activate());
    field->setFocus();
    console.clear();
    QApplication::clipboard()->setText(QString(4097, 'z'));
    field->selectAll();
    QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_Return);   // a pasted text is a draft until taken
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return console.contains(PelmoraTest::ConsoleCapture::Level::Error,
                                    "a label may hold at most 4096 bytes, and this one holds 4097");
        },
        PelmoraTest::HangGuardMs));
    EXPECT_EQ(std::string(object->get_label()), std::string(4096, 'y'));
}
