// A load made by a script line, edited in the property panel of the real main window:
// a typed quantity with its unit, a boundary condition switched between constant and
// tabular, and a placement's origin.

#include "PropertyEditorTestSupport.h"

#include <commands/SimModule.h>
#include <core/qPelmoraApplication.h>
#include <femgui/FemGui.h>
#include <mainwindow/DockingWindowMediator.h>
#include <mainwindow/MainWindow.h>
#include <propertyeditor/BaseBCEditor.h>
#include <propertyeditor/PropertyItem.h>
#include <propertyeditor/PropertyModel.h>
#include <propertyeditor/PropertyOperator.h>
#include <propertyeditor/PropertyView.h>
#include <propertyeditor/QuantitySpinBox.h>
#include <selection/TreeSelectionSingleton.h>

#include <obj/LoadObject.h>
#include <obj/PropertyCouple.h>
#include <pmmsg/Message.h>

#include <QApplication>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace Gui::PropertyOperator;
using PropertyEditorTest::field;

namespace {

class LoadInMainWindow : public ::testing::Test
{
protected:
    void SetUp() override { QLocale::setDefault(QLocale::c()); }
    // Builds the window in the locale set so far, then a load selected in the tree.
    void start()
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
        pmUnit::UnitsManager::instance()->setSystemUnits("MMKS");
        project = logic->app().create_project("P");
        geometry = project->add_object("Obj::GeometryObject", "Plate");
        const std::string id = pmMsg::InterpreterSingleton::Instance().runString(
            ("App.get_project('P').add_load('" + std::to_string(geometry->getObjectId()) + "')").c_str());
        load = dynamic_cast<Obj::LoadObject*>(project->get_object(static_cast<unsigned int>(std::stoul(id))));
        ASSERT_TRUE(load);
        Gui::TreeSelectionSingleton::instance().set_selection("P", {load});
        auto* panel = Gui::DockingWindowMediator::instance()->getDockingWindow("Std_PropertyView");
        ASSERT_TRUE(panel);
        tree = panel->findChild<Gui::PropertyView*>()->dataTree();
    }
    void TearDown() override
    {
        Gui::TreeSelectionSingleton::instance().clear_all_selections();
        window.reset();
        Gui::SimModuleController::destruct();
        app.reset();
        logic.reset();
        pmUnit::UnitsManager::instance()->setSystemUnits("MKS");
        QLocale::setDefault(QLocale::c());
    }
    QModelIndex cell(const char* name, const QModelIndex& parent = {})
    {
        PropertyModel* m = tree->propertyModel();
        for (int r = 0; r < m->rowCount(parent); ++r) {
            if (m->data(m->index(r, 0, parent)).toString() == QLatin1String(name))
                return m->index(r, 1, parent);
        }
        ADD_FAILURE() << "no row " << name;
        return {};
    }
    QString shown(const QModelIndex& i) { return tree->propertyModel()->data(i).toString(); }
    // Makes the row current, which opens its editor, and types into the editor's field.
    QWidget* open(const QModelIndex& i)
    {
        tree->setCurrentIndex(i.siblingAtColumn(0));
        return tree->indexWidget(i);
    }
    void type(QWidget* editor, const QString& text)
    {
        QLineEdit* f = field(editor);
        f->selectAll();
        QTest::keyClicks(f, text);
    }

    std::unique_ptr<PelmoraTest::ScopedLogic> logic;
    std::unique_ptr<Gui::qPelmoraApplication> app;
    std::unique_ptr<Gui::MainWindow> window;
    Obj::Project* project = nullptr;
    Obj::ProjectObject* geometry = nullptr;
    Obj::LoadObject* load = nullptr;
    PropertyOperator* tree = nullptr;
};

} // namespace

TEST_F(LoadInMainWindow, TypedMillimetresAreKept)
{
    start();
    EXPECT_EQ(geometry, load->Geometry->get_value());
    EXPECT_EQ("0 mm", shown(cell("Thickness")));
    QWidget* editor = open(cell("Thickness"));
    ASSERT_TRUE(qobject_cast<Gui::QuantitySpinBox*>(editor));
    type(editor, "12.5 mm");
    EXPECT_EQ(12.5, load->Thickness->get_value());
    EXPECT_EQ("12.5 mm", shown(cell("Thickness")));

}

TEST_F(LoadInMainWindow, TypedMillimetresAreKeptUnderADecimalCommaLocale)
{
    PropertyEditorTest::DecimalCommaLocale german;
    start();
    QWidget* editor = open(cell("Thickness"));
    type(editor, "3,75 mm");
    EXPECT_EQ(3.75, load->Thickness->get_value());
    type(editor, "12.5 mm");
    EXPECT_EQ(12.5, load->Thickness->get_value());
    EXPECT_EQ("12,5 mm", shown(cell("Thickness")));
}

TEST_F(LoadInMainWindow, ABoundaryConditionSwitchesBetweenConstantAndTabular)
{
    start();
    auto choose = [](const QString& entry) {
        QTimer::singleShot(50, [entry]() {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu)
                return;
            for (QAction* a : menu->actions()) {
                if (a->text() == entry) {
                    menu->setActiveAction(a);
                    QTest::keyClick(menu, Qt::Key_Return);
                    return;
                }
            }
            menu->close();
        });
    };
    auto* context = qobject_cast<ContextBCEditor*>(open(cell("Magnitude")));
    ASSERT_TRUE(context);
    type(context->spinBox(), "2 kN");
    EXPECT_EQ(2000.0, load->Magnitude->get_value());
    choose("Tabular");
    context->contextButton()->click();
    EXPECT_EQ(Obj::LoadTabular, load->Magnitude->getLoadValueType());
    EXPECT_EQ("Tabular Data", shown(cell("Magnitude")));

    auto* label = qobject_cast<LabelBCEditor*>(open(cell("Magnitude")));
    ASSERT_TRUE(label);
    choose("Constant");
    label->contextButton()->click();
    EXPECT_EQ(Obj::LoadConstant, load->Magnitude->getLoadValueType());
    EXPECT_EQ("2000 N", shown(cell("Magnitude")));
}

TEST_F(LoadInMainWindow, APlacementsOriginIsEditedInItsChildRow)
{
    start();
    EXPECT_EQ("[Origin(0 0 0)] mm", shown(cell("Spatial Parameters")));
    const QModelIndex place = cell("Spatial Parameters").siblingAtColumn(0);
    tree->expand(place);
    const QModelIndex origin = cell("Origin", place).siblingAtColumn(0);
    tree->expand(origin);
    QWidget* editor = open(cell("y", origin));
    ASSERT_TRUE(qobject_cast<Gui::QuantitySpinBox*>(editor));
    type(editor, "4.5");
    EXPECT_EQ(Vexil::Vector3d(0, 4.5, 0), load->SpatialParameters->get_value().getPosition());
    EXPECT_EQ("[Origin(0 4.5 0)] mm", shown(cell("Spatial Parameters")));
}
