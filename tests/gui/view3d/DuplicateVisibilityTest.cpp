// A copy made by the EDIT menu's Duplicate, or by Copy and Paste, of a model or an
// annotation is drawn in the 3D view exactly when its Visibility says so: at once, and
// after the project is saved and opened again.

#include <support/ProductView.h>

#include <annotations/ViewFeederAnnotationBase.h>
#include <visualization/ViewFeederTopoObject.h>

#include <mrml/vtkMRMLDisplayNode.h>
#include <mrml/vtkMRMLDisplayableNode.h>
#include <obj/GeometryObject.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

class DuplicateVisibility : public PelmoraTest::ProductView
{
protected:
    // Whether the object's node in the 3D view's scene is set to be drawn.
    int nodeShown(Obj::ProjectObject* object) const
    {
        Gui::ViewFeeder* feeder = gui->get_view_feeder(object);
        if (auto* annotation = dynamic_cast<Gui::ViewFeederAnnotationBase*>(feeder))
            return annotation->getMRMLNode() ? annotation->getMRMLNode()->GetDisplayVisibility() : -1;
        if (auto* model = dynamic_cast<Gui::ViewFeederTopoObject*>(feeder)) {
            vtkMRMLDisplayableNode* node = model->getMRMLNode();
            return node && node->GetDisplayNode() ? node->GetDisplayNode()->GetVisibility() : -1;
        }
        return -1;
    }

    std::vector<Obj::ProjectObject*> objectsOf(const Vexil::TypeInfo& type) const { return project->get_objects(type); }
};

} // namespace

TEST_F(DuplicateVisibility, TheCopyIsDrawnExactlyWhenItsVisibilitySaysSo)
{
    struct Kind
    {
        const char* name;
        const char* command;   // null: the model itself
        std::vector<QPoint> clicks;   // from the view's centre
        Vexil::TypeInfo type;
        int drawn;   // pixels a drawn copy changes at least
    };
    const std::vector<Kind> kinds{
        {"model", nullptr, {}, Obj::GeometryObject::getClassTypeId(), 1000},
        {"fiducial", "Std_AnnotationFiducial", {QPoint(-60, -40)}, Obj::AnnotationFiducial::getClassTypeId(), 20},
        {"ruler", "Std_AnnotationRuler", {QPoint(-60, 50), QPoint(60, 50)}, Obj::AnnotationRuler::getClassTypeId(), 20},
        {"region", "Std_AnnotationROI", {QPoint(30, -50), QPoint(70, -20)}, Obj::AnnotationROI::getClassTypeId(), 20},
    };
    enum class Way { Duplicate, CopyAndPaste };

    for (const Kind& kind : kinds)
        for (bool hidden : {true, false})
            for (Way way : {Way::Duplicate, Way::CopyAndPaste}) {
                const std::string cell = std::string(kind.name) + (hidden ? ", hidden" : ", shown")
                                         + (way == Way::Duplicate ? ", Duplicate" : ", Copy and Paste");
                Gui::TreeSelectionSingleton::instance().clear_all_selections();
                Obj::Application::instance().close_all_projects();
                PelmoraTest::flushDeletes();
                ASSERT_NO_FATAL_FAILURE(openGear()) << cell;
                Obj::ProjectObject* source = gear;
                if (kind.command) {
                    const QPoint c = centre();
                    startPlacing(kind.command, {});
                    for (const QPoint& at : kind.clicks)
                        QTest::mouseClick(gl(), Qt::LeftButton, Qt::NoModifier, c + at);
                    settle();
                    ASSERT_EQ(objectsOf(kind.type).size(), 1u) << cell;
                    source = objectsOf(kind.type).front();
                }

                // The picture with the source and without it.
                select({source});
                ASSERT_NO_FATAL_FAILURE(choose("VIEW", "Hide")) << cell;
                const QImage bare = picture();
                if (!hidden) {
                    select({source});
                    ASSERT_NO_FATAL_FAILURE(choose("VIEW", "Show")) << cell;
                }
                ASSERT_EQ(visibility(source), !hidden) << cell;
                const QImage before = picture();

                select({source});
                if (way == Way::Duplicate) {
                    ASSERT_NO_FATAL_FAILURE(choose("EDIT", "Duplicate")) << cell;
                }
                else {
                    ASSERT_NO_FATAL_FAILURE(choose("EDIT", "Copy")) << cell;
                    ASSERT_NO_FATAL_FAILURE(choose("EDIT", "Paste")) << cell;
                }
                std::vector<Obj::ProjectObject*> both = objectsOf(kind.type);
                ASSERT_EQ(both.size(), 2u) << cell;
                Obj::ProjectObject* copy = both.front() == source ? both.back() : both.front();

                EXPECT_EQ(visibility(copy), !hidden) << cell;
                EXPECT_EQ(nodeShown(copy), hidden ? 0 : 1) << cell;
                if (hidden) {
                    EXPECT_LT(differing(before, picture()), 10) << cell << ": the hidden copy is not drawn";
                }
                else {
                    select({source});
                    ASSERT_NO_FATAL_FAILURE(choose("VIEW", "Hide")) << cell;
                    EXPECT_GT(differing(bare, picture()), kind.drawn) << cell << ": the copy is drawn";
                    select({source});
                    ASSERT_NO_FATAL_FAILURE(choose("VIEW", "Show")) << cell;
                }

                // Saved and opened again: both read as they were, and are drawn so.
                ASSERT_NO_FATAL_FAILURE(saveAndReopen("copies v2.final.pmdb")) << cell;
                both = objectsOf(kind.type);
                ASSERT_EQ(both.size(), 2u) << cell;
                const QImage reopened = picture();
                for (Obj::ProjectObject* object : both) {
                    EXPECT_EQ(visibility(object), !hidden) << cell << ", reopened";
                    EXPECT_EQ(nodeShown(object), hidden ? 0 : 1) << cell << ", reopened";
                }
                select(both);
                ASSERT_NO_FATAL_FAILURE(choose("VIEW", hidden ? "Show" : "Hide")) << cell;
                EXPECT_GT(differing(reopened, picture()), kind.drawn)
                    << cell << ": after reopening they were " << (hidden ? "not drawn" : "drawn");
                QFile::remove(saveAnswer);
            }
}
