// A model's placement typed in millimetres in the main window's property panel, then the
// unit system changed in the preferences dialog: the row names the same place in the new
// unit, the model stays where it is, a ruler reads the same length, and a project file
// saved under millimetres opens under metres at the same place.

#include <annotations/vtkMRMLAnnotationRulerDisplayableManager.h>
#include <annotations/vtkMRMLAnnotationRulerNode.h>
#include <commands/Command.h>
#include <core/GuiProject.h>
#include <core/qPelmoraApplication.h>
#include <dialogs/widgets/FileDialog.h>
#include <dialogs/preferences/PreferencesDialogImp.h>
#include <mainwindow/DockingWindowMediator.h>
#include <propertyeditor/PropertyItem.h>
#include <propertyeditor/PropertyModel.h>
#include <propertyeditor/PropertyOperator.h>
#include <propertyeditor/PropertyView.h>
#include <propertyeditor/QuantitySpinBox.h>
#include <selection/TreeSelectionSingleton.h>

#include <support/GuiSession.h>
#include <support/SaveDialogAnswer.h>

#include "UnitSystemDialog.h"

#include <mrml/vtkMRMLScene.h>
#include <mrml/vtkMRMLTransformableNode.h>
#include <mrml/vtkMRMLTransformNode.h>
#include <obj/Application.h>
#include <obj/Project.h>
#include <obj/ProjectObject.h>
#include <pmunit/Units.h>
#include <vexil/PreferenceManager.h>

#include <vtkMatrix4x4.h>
#include <vtkNew.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class UnitSystemInMainWindow : public PelmoraTest::MainWindowSession
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(PelmoraTest::vtkSurfaceFormatSet());
        PelmoraTest::registerFemGuiTypes();
        QLocale::setDefault(QLocale::c());
        startApplication();
        Obj::Application::instance().getPrefMgr()->set(Vexil::PM_SIGNIFICANT_DIGITS, 3, false);
        openMainWindow();
        Gui::PropertyOperator::initPropertyItems();
    }
    void TearDown() override
    {
        Gui::TreeSelectionSingleton::instance().clear_all_selections();
        closeSession();
        pmUnit::UnitsManager::instance()->setSystemUnits("MKS");
    }

    void chooseUnitSystem(const char* button) { PelmoraTest::chooseUnitSystem(*app, button); }

    // A model read from a file, selected, with the rows of its placement open.
    void openModel()
    {
        ASSERT_TRUE(PelmoraTest::writeSphereFile(QDir(dir.path()).filePath("ball v2.rev.stl").toStdString(), 10));
        app->open(QDir(dir.path()).filePath("ball v2.rev.stl").toUtf8().constData(), "Geometry");
        project = Obj::Application::instance().get_current_project();
        ASSERT_NE(project, nullptr);
        ASSERT_EQ(project->get_num_objects(), 1u);
        selectModel();
    }
    void selectModel()
    {
        model = project->get_objects().front();
        Gui::TreeSelectionSingleton::instance().set_selection(project->get_name(), {model});
        tree = Gui::DockingWindowMediator::instance()->getDockingWindow("Std_PropertyView")
                   ->findChild<Gui::PropertyView*>()
                   ->dataTree();
        expandOrigin();
    }
    // The rows are looked up anew: the panel may have rebuilt them.
    void expandOrigin()
    {
        const QModelIndex place = cell("Spatial Parameters").siblingAtColumn(0);
        tree->expand(place);
        origin = cell("Origin", place).siblingAtColumn(0);
        tree->expand(origin);
    }
    QString shownX()
    {
        expandOrigin();
        return shown(cell("x", origin));
    }
    QModelIndex cell(const char* name, const QModelIndex& parent = {}) const
    {
        Gui::PropertyOperator::PropertyModel* m = tree->propertyModel();
        for (int r = 0; r < m->rowCount(parent); ++r)
            if (m->data(m->index(r, 0, parent)).toString() == QLatin1String(name))
                return m->index(r, 1, parent);
        ADD_FAILURE() << "no row " << name;
        return {};
    }
    QString shown(const QModelIndex& i) const { return tree->propertyModel()->data(i).toString(); }
    // Origin > x: the row made current, the text typed over, and Enter.
    void typeX(const QString& text)
    {
        expandOrigin();
        const QModelIndex x = cell("x", origin);
        tree->setCurrentIndex(x.siblingAtColumn(0));
        auto* box = qobject_cast<Gui::QuantitySpinBox*>(tree->indexWidget(x));
        ASSERT_NE(box, nullptr);
        box->findChild<QLineEdit*>()->selectAll();
        QTest::keyClicks(box, text);
        QTest::keyClick(box, Qt::Key_Return);
        QCoreApplication::processEvents();   // as the event loop does before the next click
        // Done with the row: another one made current.
        tree->setCurrentIndex(cell("Spatial Parameters").siblingAtColumn(0));
    }
    double position() const
    {
        return dynamic_cast<const Obj::PropertySpaceLocation*>(model->get_property_by_name("Spatial Parameters"))
            ->get_value()
            .getPosition()
            .x;
    }
    // Where the model is drawn: the placement of its node in the scene.
    double drawnAt() const
    {
        vtkMRMLScene* scene = app->get_project(project)->mrmlScene();
        auto* node = vtkMRMLTransformableNode::SafeDownCast(scene->GetFirstNodeByClass("vtkMRMLModelNode"));
        auto* placement = node ? node->GetParentTransformNode() : nullptr;
        return placement ? placement->GetMatrixTransformToParent()->GetElement(0, 3) : -1.0;
    }

    QTemporaryDir dir;
    PelmoraTest::SaveDialogAnswer saveDialog;
    QString& saveAnswer = saveDialog.answer;
    Obj::Project* project = nullptr;
    Obj::ProjectObject* model = nullptr;
    Gui::PropertyOperator::PropertyOperator* tree = nullptr;
    QModelIndex origin;
};

} // namespace

TEST_F(UnitSystemInMainWindow, AStoredLengthIsOneAmountUnderEveryUnitSystemInTheWindowAndInAFile)
{
    ASSERT_NO_FATAL_FAILURE(chooseUnitSystem("radioUnitsMMKS"));
    ASSERT_EQ(pmUnit::UnitsManager::instance()->systemUnits(), QStringLiteral("MMKS"));
    ASSERT_NO_FATAL_FAILURE(openModel());
    ASSERT_NO_FATAL_FAILURE(typeX(QStringLiteral("40 mm")));
    EXPECT_EQ(position(), 40.0);
    EXPECT_EQ(shownX(), QStringLiteral("40 mm"));
    EXPECT_EQ(drawnAt(), 40.0);
    // A ruler along the placement reads it in millimetres.
    vtkNew<vtkMRMLAnnotationRulerDisplayableManager> rulers;
    rulers->SetMRMLScene(app->get_project(project)->mrmlScene());
    vtkNew<vtkMRMLAnnotationRulerNode> ruler;
    EXPECT_EQ(rulers->GetLabelFormat(ruler), "%.3f mm");
    EXPECT_DOUBLE_EQ(rulers->ApplyUnit(40.0), 40.0);

    // Metres: the same place, named in metres; the model does not move and the ruler
    // reads the same length.
    ASSERT_NO_FATAL_FAILURE(chooseUnitSystem("radioUnitsMKS"));
    EXPECT_EQ(shownX(), QStringLiteral("0.04 m"));
    EXPECT_EQ(shown(cell("Spatial Parameters")), QStringLiteral("[Origin(0.04 0 0)] m"));
    EXPECT_EQ(position(), 40.0);
    EXPECT_EQ(drawnAt(), 40.0);
    EXPECT_EQ(rulers->GetLabelFormat(ruler), "%.3f m");
    EXPECT_DOUBLE_EQ(rulers->ApplyUnit(40.0), 0.04);
    // Typed in metres, kept as the same place.
    ASSERT_NO_FATAL_FAILURE(typeX(QStringLiteral("0.05")));
    EXPECT_DOUBLE_EQ(position(), 50.0);
    EXPECT_DOUBLE_EQ(drawnAt(), 50.0);

    // Saved under millimetres, opened by a user of metres: the same place.
    ASSERT_NO_FATAL_FAILURE(chooseUnitSystem("radioUnitsMMKS"));
    ASSERT_NO_FATAL_FAILURE(typeX(QStringLiteral("12.5 mm")));
    saveAnswer = QDir(dir.path()).filePath("bracket v2.final.pmdb");
    ASSERT_TRUE(app->save_as());
    Obj::Application::instance().close_all_projects();
    PelmoraTest::flushDeletes();
    ASSERT_NO_FATAL_FAILURE(chooseUnitSystem("radioUnitsMKS"));
    ASSERT_TRUE(Obj::Application::instance().resume_from_file(1, saveAnswer.toUtf8().constData()));
    project = Obj::Application::instance().get_current_project();
    ASSERT_NE(project, nullptr);
    ASSERT_NO_FATAL_FAILURE(selectModel());
    EXPECT_EQ(shownX(), QStringLiteral("0.0125 m"));
    EXPECT_EQ(position(), 12.5);
    EXPECT_EQ(drawnAt(), 12.5);
}
