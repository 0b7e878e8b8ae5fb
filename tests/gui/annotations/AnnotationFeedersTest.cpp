// The annotation objects in the project tree: their context menu offers delete and the
// suppress or unsuppress that fits, the annotations group is deleted only once it is
// empty, and a region's "Base" display mode. Also a fiducial list read for an annotation
// that is not to be added to the scene.

#include "AnnotationTestHelpers.h"

#include <annotations/ViewFeederAnnotationBase.h>
#include <annotations/ViewFeederAnnotationsGroup.h>
#include <annotations/vtkMRMLAnnotationFiducialNode.h>
#include <annotations/vtkMRMLAnnotationFiducialsStorageNode.h>
#include <commands/Command.h>
#include <core/GuiProject.h>
#include <core/qPelmoraApplication.h>
#include <selection/ProjectItem.h>
#include <selection/ProjectObjectItem.h>
#include <selection/TreeWidget.h>

#include <support/HangGuard.h>
#include <support/GuiSession.h>

#include <mrml/vtkMRMLScene.h>
#include <obj/Project.h>
#include <obj/ProjectObject.h>

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>
#include <sstream>

namespace {

class AnnotationTree : public PelmoraTest::ProjectViewSession
{
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(ProjectViewSession::SetUp());
        tree = std::make_unique<Gui::TreeWidget>();
        tree->resize(300, 400);
        tree->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(tree.get(), PelmoraTest::HangGuardMs));
        ASSERT_NO_FATAL_FAILURE(newProject());
        ASSERT_NO_FATAL_FAILURE(showView());
    }

    void TearDown() override
    {
        tree.reset();
        ProjectViewSession::TearDown();
    }

    void run(const char* name) { app->get_command_manager().run_command_by_name(name); }

    Obj::ProjectObject* only(const Vexil::TypeInfo& type) const
    {
        const auto objects = project->get_objects(type);
        return objects.size() == 1 ? objects.front() : nullptr;
    }

    QTreeWidgetItem* itemOf(const Obj::ProjectObject* object) const
    {
        Gui::ProjectItem* projectItem = tree->getProjectItem(gui);
        return projectItem ? projectItem->object_item(object->getObjectId()) : nullptr;
    }

    // Selects the object's row with a click, as a user does before a right click.
    void select(const Obj::ProjectObject* object)
    {
        tree->expandAll();
        QTreeWidgetItem* item = itemOf(object);
        ASSERT_NE(item, nullptr);
        tree->scrollToItem(item);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier, tree->visualItemRect(item).center());
        ASSERT_EQ(tree->selectedItems().size(), 1);
        ASSERT_EQ(tree->selectedItems().front(), item);
    }

    // The entries of the object's context menu, up to the first entry that is not the
    // object's own ("-" for a separator, mnemonics left out).
    QStringList menuOf(const Obj::ProjectObject* object)
    {
        select(object);
        QStringList texts;
        auto* timer = new QTimer;
        timer->setInterval(10);
        QObject::connect(timer, &QTimer::timeout, [timer, &texts]() {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu)
                return;
            timer->stop();
            timer->deleteLater();
            for (QAction* action : menu->actions())
                texts << (action->isSeparator() ? QStringLiteral("-") : action->text().remove(QLatin1Char('&')));
            menu->close();
        });
        timer->start();
        QContextMenuEvent onItem(QContextMenuEvent::Mouse, tree->visualItemRect(itemOf(object)).center());
        QCoreApplication::sendEvent(tree->viewport(), &onItem);
        return texts.mid(0, 3);
    }

    std::unique_ptr<Gui::TreeWidget> tree;
};

// A region feeder whose display-mask table holds modes, as a subclass may give it.
class ROIWithMasks : public Gui::ViewFeederAnnotationROI
{
public:
    ROIWithMasks()
    {
        maskModes["Base"] = 2;
        maskModes["Shaded"] = 5;
    }
};

} // namespace

TEST_F(AnnotationTree, AnnotationsOfferDeleteAndTheSuppressionThatFits)
{
    run("Std_AnnotationRuler");
    run("Std_AnnotationROI");
    Obj::ProjectObject* ruler = only(Obj::AnnotationRuler::getClassTypeId());
    Obj::ProjectObject* roi = only(Obj::AnnotationROI::getClassTypeId());
    ASSERT_NE(ruler, nullptr);
    ASSERT_NE(roi, nullptr);
    ASSERT_NE(project->annotationsGroup, nullptr);

    const QStringList live{"Delete", "-", "Suppress"};
    EXPECT_EQ(menuOf(ruler), live);
    EXPECT_EQ(menuOf(project->annotationsGroup), live);

    // A suppressed region offers to bring it back instead; the ruler keeps its menu.
    select(roi);
    run("Std_Suppress");
    ASSERT_TRUE(roi->isSuppressed());
    EXPECT_EQ(menuOf(roi), (QStringList{"Delete", "-", "Unsuppress"}));
    EXPECT_EQ(menuOf(ruler), live);
    select(roi);
    run("Std_Unsuppress");
    EXPECT_EQ(menuOf(roi), live);
}

TEST_F(AnnotationTree, TheAnnotationsGroupAgreesToGoOnlyOnceEmpty)
{
    run("Std_AnnotationRuler");
    Obj::ProjectObject* ruler = only(Obj::AnnotationRuler::getClassTypeId());
    ASSERT_NE(ruler, nullptr);
    Obj::ProjectObject* group = project->annotationsGroup;
    ASSERT_NE(group, nullptr);
    const unsigned int groupId = group->getObjectId();
    const unsigned int rulerId = ruler->getObjectId();
    auto* feeder = dynamic_cast<Gui::ViewFeederAnnotationsGroup*>(gui->get_view_feeder(group));
    ASSERT_NE(feeder, nullptr);

    // Delete in the tree leaves the group and what it holds.
    select(group);
    run("Std_Delete");
    EXPECT_EQ(project->get_object(groupId), group);
    EXPECT_EQ(project->get_object(rulerId), ruler);
    EXPECT_FALSE(feeder->onDelete({})) << "a group that holds a ruler stays";

    select(ruler);
    run("Std_Delete");
    ASSERT_EQ(project->get_object(rulerId), nullptr);
    EXPECT_TRUE(feeder->onDelete({})) << "the empty group may go";

    // A group feeder that shows no object refuses.
    Gui::ViewFeederAnnotationsGroup detached;
    EXPECT_FALSE(detached.onDelete({}));
}

TEST(AnnotationFeeder, ARegionsOnlyDisplayModeIsBase)
{
    Gui::ViewFeederAnnotationROI plain;
    EXPECT_EQ(plain.getDisplayModes(), std::vector<std::string>{"Base"});
    plain.setDisplayMode("Base");
    EXPECT_EQ(plain.getActiveDisplayMode(), "Base");
    EXPECT_EQ(plain.getDisplayMaskMode(), -1) << "no mask modes to choose from";

    // With mask modes, "Base" chooses its own; another name is stored but leaves the mask.
    ROIWithMasks masked;
    masked.setDisplayMode("Base");
    EXPECT_EQ(masked.getDisplayMaskMode(), 2);
    masked.setDisplayMode("Shaded");
    EXPECT_EQ(masked.getActiveDisplayMode(), "Shaded");
    EXPECT_EQ(masked.getDisplayMaskMode(), 2);
    masked.setDisplayMode(nullptr);
    EXPECT_EQ(masked.getActiveDisplayMode(), "");
    EXPECT_EQ(masked.getDisplayMaskMode(), 2);
}

TEST(FiducialListReader, ANodeNotToBeAddedToTheSceneReadsNothing)
{
    vtkNew<vtkMRMLScene> scene;
    vtkNew<vtkMRMLAnnotationFiducialsStorageNode> storage;
    vtkNew<vtkMRMLAnnotationFiducialNode> node;
    scene->AddNode(node);
    const double before[3] = {4, 5, 6};
    node->SetFiducialCoordinates(before, 1, 1);
    storage->SetAddToScene(0);
    std::istringstream in("# pointColumns = label|x|y|z|sel|vis\npoint|1|2|3|0|1\n");
    AnnotationTest::Messages messages(storage);
    EXPECT_EQ(storage->ReadOneFiducial(in, node), 1);
    double p[3];
    ASSERT_TRUE(node->GetFiducialCoordinates(p));
    EXPECT_EQ(p[0], 4.0);
    EXPECT_EQ(p[2], 6.0);
    EXPECT_EQ(node->GetAnnotationPointDisplayNode(), nullptr) << "nothing is made for it either";
    EXPECT_EQ(in.tellg(), 0) << "the stream is left for whoever reads it";
    // A closed stream is no error then, a missing node still is.
    std::istringstream closed;
    closed.setstate(std::ios::failbit);
    EXPECT_EQ(storage->ReadOneFiducial(closed, node), 1);
    EXPECT_EQ(storage->ReadOneFiducial(in, nullptr), 0);
    EXPECT_TRUE(messages.hasError("ReadOneFiducial: can't read into a null node"));
    EXPECT_FALSE(messages.hasError("file isn't open"));

    // Added to the scene again, it reads the first point row.
    storage->SetAddToScene(1);
    EXPECT_EQ(storage->ReadOneFiducial(in, node), 1);
    node->GetFiducialCoordinates(p);
    EXPECT_EQ(p[0], 1.0);
    EXPECT_EQ(p[2], 3.0);
}
