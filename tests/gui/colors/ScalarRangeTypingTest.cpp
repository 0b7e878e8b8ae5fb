// The scalar bar panel of the VIEW menu on a model's 3D view: numbers typed into the
// scalar range are taken as typed, one the range cannot take is refused with the reason
// shown, and the bar in the view is drawn again when its range changes.

#include <colors/qVizColorsModuleWidget.h>
#include <support/SettleEvents.h>
#include <support/HangGuard.h>
#include <core/GuiProject.h>
#include <core/qPelmoraApplication.h>
#include <dialogs/DlgScalarBarImp.h>
#include <mainwindow/MainWindow.h>
#include <visualization/qPelmoraThreeDWidget.h>
#include <visualization/qView3DMRML.h>

#include <support/GuiSession.h>
#include <support/WindowFocus.h>

#include <ctk/ctkCollapsibleButton.h>
#include <mrml/vtkMRMLColorNode.h>
#include <obj/Application.h>
#include <obj/Project.h>
#include <qmrml/qMRMLColorTableComboBox.h>
#include <qmrml/qMRMLRangeWidget.h>
#include <qmrml/qMRMLThreeDView.h>
#include <vtkaddon/vtkScalarBarWidget2.h>

#include <QVTKOpenGLNativeWidget.h>
#include <vtkCallbackCommand.h>
#include <vtkCommand.h>
#include <vtkGenericOpenGLRenderWindow.h>
#include <vtkLookupTable.h>
#include <vtkNew.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

class ScalarRangeTyping : public PelmoraTest::MainWindowSession
{
protected:
    void SetUp() override
    {
        QLocale::setDefault(QLocale::c());
        ASSERT_NO_FATAL_FAILURE(openProductWindow());
        window->resize(1200, 900);
        const QString file = QDir(dir.path()).filePath(QStringLiteral("gear wheel ü.v2.stl"));
        ASSERT_TRUE(PelmoraTest::writeSphereFile(file.toStdString(), 10));
        app->open(file.toUtf8().constData(), "Geometry");
        gui = app->get_current_project();
        ASSERT_NE(gui, nullptr);
        view = qobject_cast<Gui::qView3DMRML*>(gui->getActiveView());
        ASSERT_NE(view, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view->getViewer()->threeDView()->VTKWidget(), PelmoraTest::HangGuardMs));
    }

    // VIEW > Scalar Bar; `work` runs while its dialog is open, which is closed after.
    void withScalarBarPanel(const std::function<void(Gui::DlgScalarBarImp*)>& work)
    {
        QMenu* menu = nullptr;
        for (QAction* item : window->menuBar()->actions())
            if (item->menu() && item->text().remove(QLatin1Char('&')) == QLatin1String("VIEW"))
                menu = item->menu();
        ASSERT_NE(menu, nullptr);
        QAction* entry = nullptr;
        for (QAction* item : menu->actions())
            if (item->text().remove(QLatin1Char('&')) == QLatin1String("Scalar Bar"))
                entry = item;
        ASSERT_NE(entry, nullptr);
        bool ran = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<Gui::DlgScalarBarImp*>(QApplication::activeModalWidget());
            if (dialog) {
                ran = true;
                work(dialog);
                dialog->reject();
            }
        });
        entry->trigger();
        EXPECT_TRUE(ran) << "the scalar bar panel opened";
    }

    QTemporaryDir dir;
    Gui::GuiProject* gui = nullptr;
    Gui::qView3DMRML* view = nullptr;
};

template <class T>
T* child(QWidget* parent, const char* name)
{
    return parent->findChild<T*>(QString::fromLatin1(name));
}

// Select everything in the box, type, then leave it with Tab.
void typeInto(QDoubleSpinBox* box, const char* text)
{
    box->setFocus(Qt::TabFocusReason);
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(box, QString::fromLatin1(text));
    QTest::keyClick(box, Qt::Key_Tab);
}

} // namespace

TEST_F(ScalarRangeTyping, TypedNumbersAreTakenAndTheBarIsDrawnAgain)
{
    int renders = 0;
    vtkNew<vtkCallbackCommand> counter;
    counter->SetClientData(&renders);
    counter->SetCallback([](vtkObject*, unsigned long, void* count, void*) { ++*static_cast<int*>(count); });
    view->getViewer()->threeDView()->renderWindow()->AddObserver(vtkCommand::EndEvent, counter);

    withScalarBarPanel([&](Gui::DlgScalarBarImp* dialog) {
        // Made taller, as a user does to see the scalar bar section too.
        dialog->resize(dialog->width(), 900);
        ASSERT_TRUE(PelmoraTest::activateForTyping(dialog));
        qVizColorsModuleWidget* panel = dialog->colorsWidget();
        auto* combo = child<qMRMLColorTableComboBox>(panel, "ColorTableComboBox");
        auto* range = child<qMRMLRangeWidget>(panel, "LUTRangeWidget");
        ASSERT_TRUE(combo && range);
        auto* low = child<QDoubleSpinBox>(range, "MinimumSpinBox");
        auto* high = child<QDoubleSpinBox>(range, "MaximumSpinBox");
        ASSERT_TRUE(low && high);

        // "Heat" chosen by typing its name into the list, the bar shown.
        combo->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(combo, QStringLiteral("Heat"));
        auto* heat = vtkMRMLColorNode::SafeDownCast(combo->currentNode());
        ASSERT_NE(heat, nullptr);
        ASSERT_STREQ(heat->GetName(), "Heat");
        ASSERT_TRUE(range->isEnabled());
        auto* section = child<ctkCollapsibleButton>(panel, "ScalarBarCollapsibleButton");
        ASSERT_NE(section, nullptr);
        if (section->collapsed())
            QTest::mouseClick(section, Qt::LeftButton);
        auto* display = child<QCheckBox>(panel, "DisplayScalarBarCheckBox");
        ASSERT_NE(display, nullptr);
        ASSERT_TRUE(QTest::qWaitFor([display] { return display->isVisible() && display->height() > 0; }, PelmoraTest::HangGuardMs));
        QTest::mouseClick(display, Qt::LeftButton, Qt::NoModifier, QPoint(display->height() / 2, display->height() / 2));
        ASSERT_TRUE(display->isChecked());
        ASSERT_TRUE(panel->scalarBar()->GetEnabled());
        const double* lut = heat->GetLookupTable()->GetRange();

        // Typed over the whole field and left with Tab: taken as typed.
        typeInto(high, "0.5");
        EXPECT_EQ(high->text(), QStringLiteral("0.5000"));
        EXPECT_DOUBLE_EQ(range->maximumValue(), 0.5);
        EXPECT_DOUBLE_EQ(lut[1], 0.5);
        typeInto(low, "0.25");
        EXPECT_EQ(low->text(), QStringLiteral("0.2500"));
        EXPECT_DOUBLE_EQ(lut[0], 0.25);
        auto* reason = child<QLabel>(range, "RefusalLabel");
        EXPECT_TRUE(!reason || !reason->isVisible()) << "nothing was refused";
        // Enter takes it too.
        high->setFocus(Qt::TabFocusReason);
        QTest::keyClick(high, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(high, QStringLiteral("0.75"));
        QTest::keyClick(high, Qt::Key_Return);
        EXPECT_DOUBLE_EQ(lut[1], 0.75);

        // Beyond the range's limits: refused, the value kept, and the reason shown.
        typeInto(high, "100");
        EXPECT_DOUBLE_EQ(lut[1], 0.75);
        EXPECT_EQ(high->text(), QStringLiteral("0.7500"));
        ASSERT_NE(reason, nullptr);
        EXPECT_TRUE(reason->isVisible());
        EXPECT_TRUE(reason->text().contains(QStringLiteral("100"))) << reason->text().toStdString();
        EXPECT_TRUE(reason->text().contains(QStringLiteral("1.2000"))) << reason->text().toStdString();
        // More decimals than the field shows: refused too, with its own reason.
        typeInto(low, "0.12345");
        EXPECT_DOUBLE_EQ(lut[0], 0.25);
        EXPECT_EQ(low->text(), QStringLiteral("0.2500"));
        EXPECT_TRUE(reason->text().contains(QStringLiteral("decimals"))) << reason->text().toStdString();

        // The up arrow: taken at once, the reason gone, and the view draws the bar again.
        // The renders the earlier steps queued run before the count starts.
        PelmoraTest::settleQueuedEvents();
        renders = 0;
        high->setFocus(Qt::TabFocusReason);
        QTest::keyClick(high, Qt::Key_Up);
        EXPECT_EQ(high->text(), QStringLiteral("1.2000"));
        EXPECT_DOUBLE_EQ(lut[1], 1.2);
        EXPECT_FALSE(reason->isVisible());
        EXPECT_TRUE(QTest::qWaitFor([&renders] { return renders > 0; }, PelmoraTest::HangGuardMs)) << "the bar is drawn with its new range";
    });
}
