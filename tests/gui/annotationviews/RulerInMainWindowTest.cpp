// A ruler measured in the main window's 3D view on a model 37.5 units wide: it reads the
// length unit the property editor shows for the same coordinates, with the preferences'
// decimals, and follows a change of unit system; seen head-on it shows its whole label and
// line over the face it lies on. The annotations button marks no window whose title
// cannot show it.

#include <annotations/vtkAnnotationRulerRepresentation3D.h>
#include <annotations/vtkAnnotationRulerWidget.h>
#include <annotations/vtkMRMLAnnotationLineDisplayNode.h>
#include <annotations/vtkMRMLAnnotationPointDisplayNode.h>
#include <annotations/vtkMRMLAnnotationRulerDisplayableManager.h>
#include <annotations/vtkMRMLAnnotationRulerNode.h>
#include <annotations/vtkMRMLAnnotationTextDisplayNode.h>
#include <commands/Command.h>
#include <commands/CommandAction.h>
#include <core/GuiProject.h>
#include <core/qPelmoraApplication.h>
#include <dialogs/preferences/PreferencesDialogImp.h>
#include <mainwindow/MainWindow.h>
#include <mainwindow/MDIWindow.h>
#include <visualization/qPelmoraThreeDWidget.h>
#include <visualization/qView3DMRML.h>

#include <support/SettleEvents.h>
#include <support/HangGuard.h>
#include <support/ConsoleCapture.h>
#include <support/GuiSession.h>

#include <mrml/vtkMRMLModelDisplayNode.h>
#include <mrml/vtkMRMLModelNode.h>
#include <mrml/vtkMRMLModelStorageNode.h>
#include <mrml/vtkMRMLScene.h>
#include <obj/Application.h>
#include <obj/Project.h>
#include <obj/ProjectObject.h>
#include <pmmsg/Message.h>
#include <pmunit/Units.h>
#include <qmrml/qMRMLThreeDView.h>
#include <vexil/PreferenceManager.h>

#include <QVTKOpenGLNativeWidget.h>
#include <vtkAppendPolyData.h>
#include <vtkCollection.h>
#include <vtkCubeSource.h>
#include <vtkMath.h>
#include <vtkNew.h>
#include <vtkRenderer.h>

#include <QAction>
#include <QDialogButtonBox>
#include <QDir>
#include <QImage>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QPointer>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

class RulerInMainWindow : public PelmoraTest::MainWindowSession
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(PelmoraTest::vtkSurfaceFormatSet());
        PelmoraTest::registerFemGuiTypes();
        startApplication();
        prefs()->set(Vexil::PM_SIGNIFICANT_DIGITS, 3, false);
        openMainWindow();
        window->resize(1200, 900);
    }

    Vexil::PreferenceManager* prefs() const { return Obj::Application::instance().getPrefMgr(); }

    // A new project whose 3D view shows a model 37.5 wide and high, seen head-on along its
    // depth, read from a file with a name from the wild: a plain block 10 deep, or a plate
    // 4 deep whose right half (x > 0) is a rim standing 6 proud of it.
    void openProjectWithPart(bool withRim = false)
    {
        pmMsg::runCommand(pmMsg::CMD_NEW_PROJECT, 1, {"Unnamed Project"});
        project = Obj::Application::instance().get_current_project();
        ASSERT_NE(project, nullptr);
        gui = app->get_project(project);
        ASSERT_NE(gui, nullptr);
        scene = gui->mrmlScene();
        view = qobject_cast<Gui::qView3DMRML*>(gui->getActiveView());
        ASSERT_NE(view, nullptr);

        vtkNew<vtkCubeSource> block;
        block->SetBounds(-18.75, 18.75, -18.75, 18.75, withRim ? -2.0 : -5.0, withRim ? 2.0 : 5.0);
        vtkNew<vtkCubeSource> rim;
        rim->SetBounds(0.0, 18.75, -18.75, 18.75, -2.0, 8.0);
        vtkNew<vtkAppendPolyData> shape;
        shape->AddInputConnection(block->GetOutputPort());
        if (withRim)
            shape->AddInputConnection(rim->GetOutputPort());
        shape->Update();
        vtkNew<vtkMRMLModelNode> source;
        source->SetAndObservePolyData(shape->GetOutput());
        vtkNew<vtkMRMLModelStorageNode> writer;
        const QString file = QDir(dir.path()).filePath(QStringLiteral("gear wheel ü.v2.stl"));
        writer->SetFileName(file.toUtf8().constData());
        ASSERT_EQ(writer->WriteData(source), 1);
        std::string error;
        part = vtkMRMLModelStorageNode::AddModelFromFile(scene, file.toUtf8().constData(), nullptr, error);
        ASSERT_NE(part, nullptr) << error;
        ASSERT_TRUE(QTest::qWaitForWindowExposed(gl(), PelmoraTest::HangGuardMs));
        settle();
    }

    // Where a point in the scene shows in the view, in the view's own pixels.
    QPoint pixelOf(double x, double y, double z) const
    {
        vtkRenderer* renderer = view->getViewer()->threeDView()->renderer();
        renderer->SetWorldPoint(x, y, z, 1.0);
        renderer->WorldToDisplay();
        const double* d = renderer->GetDisplayPoint();
        const double ratio = gl()->devicePixelRatioF();
        return QPoint(static_cast<int>(d[0] / ratio), static_cast<int>(gl()->height() - 1 - d[1] / ratio));
    }

    QVTKOpenGLNativeWidget* gl() const { return view->getViewer()->threeDView()->VTKWidget(); }

    void settle()
    {
        PelmoraTest::settleWithDisplay();
    }

    // The ruler command, then two clicks on the front face, as a user places a ruler: the
    // ruler placed last.
    vtkMRMLAnnotationRulerNode* measure(QPoint from, QPoint to)
    {
        app->get_command_manager().run_command_by_name("Std_AnnotationRuler");
        QTest::mouseClick(gl(), Qt::LeftButton, Qt::NoModifier, from);
        QTest::mouseClick(gl(), Qt::LeftButton, Qt::NoModifier, to);
        settle();
        std::vector<vtkMRMLNode*> rulers;
        scene->GetNodesByClass("vtkMRMLAnnotationRulerNode", rulers);
        return rulers.empty() ? nullptr : vtkMRMLAnnotationRulerNode::SafeDownCast(rulers.back());
    }

    // The preferences command, the number typed over the General page's significant
    // digits, then OK.
    void setDigitsInPreferencesDialog(const char* digits)
    {
        placed("Std_DlgUserPref2")->trigger();
        Gui::Dialog::PreferencesDialogImp* dialog = nullptr;
        for (Gui::Dialog::PreferencesDialogImp* open : window->findChildren<Gui::Dialog::PreferencesDialogImp*>())
            if (open->isVisible())
                dialog = open;
        ASSERT_NE(dialog, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog, PelmoraTest::HangGuardMs));
        auto* spin = dialog->findChild<QSpinBox*>(QStringLiteral("spinNumDigits"));
        ASSERT_NE(spin, nullptr);
        // On the page's "Appearance" tab.
        auto* tabs = dialog->findChild<QTabWidget*>(QStringLiteral("tabWidget"));
        ASSERT_NE(tabs, nullptr);
        tabs->setCurrentWidget(dialog->findChild<QWidget*>(QStringLiteral("tabAppearance")));
        spin->setFocus();
        QTest::keyClick(spin, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(spin, QString::fromLatin1(digits));
        auto* buttons = dialog->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
        ASSERT_NE(buttons, nullptr);
        ASSERT_NE(buttons->button(QDialogButtonBox::Ok), nullptr);
        // OK closes the dialog, which deletes itself.
        const QPointer<QWidget> closing(dialog);
        QTest::mouseClick(buttons->button(QDialogButtonBox::Ok), Qt::LeftButton);
        settle();
        EXPECT_TRUE(closing.isNull() || !closing->isVisible());
    }

    vtkAnnotationRulerRepresentation3D* representationOf(vtkMRMLAnnotationRulerNode* node) const
    {
        vtkNew<vtkCollection> managers;
        view->getViewer()->getDisplayableManagers(managers);
        for (int i = 0; i < managers->GetNumberOfItems(); ++i)
            if (auto* m = vtkMRMLAnnotationRulerDisplayableManager::SafeDownCast(managers->GetItemAsObject(i)))
                if (auto* widget = vtkAnnotationRulerWidget::SafeDownCast(m->GetWidget(node)))
                    return vtkAnnotationRulerRepresentation3D::SafeDownCast(widget->GetRepresentation());
        return nullptr;
    }

    std::string label(vtkMRMLAnnotationRulerNode* node)
    {
        view->getViewer()->threeDView()->forceRender();
        vtkAnnotationRulerRepresentation3D* representation = representationOf(node);
        return representation && representation->GetLabelText() ? representation->GetLabelText() : "<none>";
    }

    static double lengthOf(vtkMRMLAnnotationRulerNode* node)
    {
        double a[3], b[3];
        node->GetPositionWorldCoordinates1(a);
        node->GetPositionWorldCoordinates2(b);
        return std::sqrt(vtkMath::Distance2BetweenPoints(a, b));
    }

    // The unit the property editor gives a length, as it shows a position.
    static std::string lengthSymbol()
    {
        pmUnit::UnitsManager* units = pmUnit::UnitsManager::instance();
        return pmUnit::UnitsManager::getUnitSymbol(units->getDefaultUnitType(pmUnit::Length)).toStdString();
    }

    static std::string shown(double value, int decimals, const std::string& unit)
    {
        return "M :" + QString::number(value, 'f', decimals).toStdString() + " " + unit;
    }

    QTemporaryDir dir;
    Obj::Project* project = nullptr;
    Gui::GuiProject* gui = nullptr;
    vtkMRMLScene* scene = nullptr;
    Gui::qView3DMRML* view = nullptr;
    vtkMRMLModelNode* part = nullptr;
};

// Pixels of the ruler's label and line, green as lit (the background, the part and the
// ruler's magenta ends are not).
int greenPixels(const QImage& image)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            n += c.green() > 150 && c.red() < 150;
        }
    return n;
}

} // namespace

TEST_F(RulerInMainWindow, TheRulerReadsTheUnitOfThePropertyEditorAndFollowsTheUnitSystem)
{
    ASSERT_NO_FATAL_FAILURE(openProjectWithPart());
    const QPoint centre(gl()->width() / 2, gl()->height() / 2);
    vtkMRMLAnnotationRulerNode* ruler = measure(centre - QPoint(60, 0), centre + QPoint(60, 0));
    ASSERT_NE(ruler, nullptr);
    const double length = lengthOf(ruler);
    ASSERT_GT(length, 5.0);
    ASSERT_LT(length, 37.5);

    // The property editor shows these coordinates in metres: so does the ruler, with the
    // three decimals the preferences ask for.
    ASSERT_EQ(lengthSymbol(), "m");
    EXPECT_EQ(label(ruler), shown(length, 3, "m"));

    // Another unit system names the same length in millimetres: the project's coordinates
    // stay in metres.
    prefs()->set(Vexil::PM_UNIT_SYSTEM, QStringLiteral("MMKS"), true);
    ASSERT_EQ(lengthSymbol(), "mm");
    EXPECT_EQ(label(ruler), shown(length * 1000, 3, "mm"));

    // Fewer decimals, typed on the preferences dialog's General page and confirmed with
    // OK: the page writes the setting without announcing it. The open ruler shows them at
    // its next render, and a ruler placed afterwards too.
    ASSERT_NO_FATAL_FAILURE(setDigitsInPreferencesDialog("1"));
    ASSERT_EQ(prefs()->getInt(Vexil::PM_SIGNIFICANT_DIGITS), 1);
    EXPECT_EQ(label(ruler), shown(length * 1000, 1, "mm"));
    vtkMRMLAnnotationRulerNode* later = measure(centre - QPoint(40, 50), centre + QPoint(40, 50));
    ASSERT_NE(later, nullptr);
    ASSERT_NE(later, ruler);
    EXPECT_EQ(label(later), later->GetName() + shown(lengthOf(later) * 1000, 1, "mm").substr(1));

    // A second project's scene has the same unit from the start.
    pmMsg::runCommand(pmMsg::CMD_NEW_PROJECT, 1, {"Second"});
    Gui::GuiProject* second = app->get_project(Obj::Application::instance().get_current_project());
    ASSERT_NE(second, nullptr);
    ASSERT_NE(second, gui);
    vtkNew<vtkMRMLAnnotationRulerNode> other;
    other->SetPosition1(0, 0, 0);
    other->SetPosition2(0, 12.25, 0);
    other->SetName("N");
    vtkNew<vtkMRMLAnnotationRulerDisplayableManager> manager;
    manager->SetMRMLScene(second->mrmlScene());
    EXPECT_EQ(manager->GetLabelFormat(other), "N :%.1f mm");
}

TEST_F(RulerInMainWindow, SeenHeadOnTheWholeLabelAndLineShowOverTheFaceTheyLieOn)
{
    ASSERT_NO_FATAL_FAILURE(openProjectWithPart(true));
    vtkMRMLModelDisplayNode* looks = part->GetModelDisplayNode();
    ASSERT_NE(looks, nullptr);
    looks->SetColor(0, 0, 1);
    looks->SetAmbient(1.0);
    looks->SetDiffuse(0.0);
    looks->SetSpecular(0.0);

    // Across the plate, left of the rim: the label reaches over the rim.
    vtkMRMLAnnotationRulerNode* ruler = measure(pixelOf(-16, -5, 2), pixelOf(-4, -5, 2));
    ASSERT_NE(ruler, nullptr);
    double end[3];
    ruler->GetPositionWorldCoordinates2(end);
    ASSERT_NEAR(end[2], 2.0, 0.01) << "the ruler lies on the plate";
    ruler->GetAnnotationTextDisplayNode()->SetColor(0, 1, 0);
    ruler->GetAnnotationLineDisplayNode()->SetColor(0, 1, 0);
    ruler->GetAnnotationPointDisplayNode()->SetColor(1, 0, 1);

    auto picture = [this] {
        view->getViewer()->threeDView()->forceRender();
        settle();
        return gl()->grabFramebuffer();
    };
    const int onTheFace = greenPixels(picture());
    looks->SetVisibility(0);
    const int alone = greenPixels(picture());
    ASSERT_GT(alone, 200) << "the label and line are drawn at all";
    // Nothing of them is lost in the part, neither digits behind the rim nor stretches of
    // line in the face.
    EXPECT_GE(onTheFace, alone * 95 / 100) << onTheFace << " of " << alone;
}

TEST_F(RulerInMainWindow, TheAnnotationsButtonMarksNoWindowWithoutAPlaceForTheMark)
{
    ASSERT_NO_FATAL_FAILURE(openProjectWithPart());
    // The 3D view undocked into a window of its own ("U"), whose title the desktop shows.
    placed("Std_ViewWindowDocking");
    auto* docking = qobject_cast<Gui::CmdActionGroup*>(command("Std_ViewWindowDocking")->get_action());
    ASSERT_NE(docking, nullptr);
    ASSERT_EQ(docking->get_actions().size(), 3);
    docking->get_actions()[1]->trigger();
    settle();
    Gui::MDIWindow* undocked = window->activeWindow();
    ASSERT_NE(undocked, nullptr);
    ASSERT_TRUE(undocked->isWindow());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(undocked, PelmoraTest::HangGuardMs));
    ASSERT_FALSE(undocked->isWindowModified());

    PelmoraTest::ConsoleCapture console;
    // The "T" button of the annotations tool bar.
    QAction* action = placed("Std_AnnotationsGroup");
    ASSERT_NE(action, nullptr);
    QToolButton* button = nullptr;
    for (QToolBar* bar : window->findChildren<QToolBar*>())
        if (!button)
            button = qobject_cast<QToolButton*>(bar->widgetForAction(action));
    if (button)
        QTest::mouseClick(button, Qt::LeftButton);
    else
        action->trigger();
    settle();
    ASSERT_FALSE(project->get_objects(Obj::AnnotationsGroup::getClassTypeId()).empty());
    EXPECT_FALSE(console.contains(PelmoraTest::ConsoleCapture::Level::Warning, "setWindowModified"));
    // The project's window shows that it holds unsaved changes.
    EXPECT_TRUE(undocked->isWindowModified());
    EXPECT_TRUE(undocked->windowTitle().contains(QStringLiteral("[*]"))) << undocked->windowTitle().toStdString();

    // Docked again, the copy keeps the mark.
    docking->get_actions()[0]->trigger();
    settle();
    Gui::MDIWindow* docked = window->activeWindow();
    ASSERT_NE(docked, nullptr);
    EXPECT_FALSE(docked->isWindow());
    EXPECT_TRUE(docked->isWindowModified());
    EXPECT_FALSE(console.contains(PelmoraTest::ConsoleCapture::Level::Warning, "setWindowModified"));
}
