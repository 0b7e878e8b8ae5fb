// What the main window's 3D view draws after the VIEW menu's Hide and Show and the EDIT
// menu's Duplicate: a hidden fiducial, region of interest and ruler leave the picture at
// once and stay out of it when their project is saved and opened again; a duplicated
// model is drawn at once, like a pasted one.

#include <support/ProductView.h>

#include <obj/GeometryObject.h>

#include <QDir>
#include <QFile>
#include <QImage>

#include <vector>

namespace {

class HideAndDuplicate : public PelmoraTest::ProductView
{
};

} // namespace

TEST_F(HideAndDuplicate, HiddenAnnotationsLeaveTheViewAtOnceAndAfterReopening)
{
    ASSERT_NO_FATAL_FAILURE(openGear());
    const QImage bare = picture();

    const QPoint c = centre();
    Obj::ProjectObject* fiducial =
        place("Std_AnnotationFiducial", {c + QPoint(-60, -40)}, Obj::AnnotationFiducial::getClassTypeId());
    Obj::ProjectObject* box =
        place("Std_AnnotationROI", {c + QPoint(30, -50), c + QPoint(70, -20)}, Obj::AnnotationROI::getClassTypeId());
    Obj::ProjectObject* ruler =
        place("Std_AnnotationRuler", {c + QPoint(-60, 50), c + QPoint(60, 50)}, Obj::AnnotationRuler::getClassTypeId());
    ASSERT_TRUE(fiducial && box && ruler);
    const std::vector<Obj::ProjectObject*> annotations{fiducial, box, ruler};

    // Each one is drawn.
    QImage before = bare;
    for (Obj::ProjectObject* annotation : annotations) {
        select({annotation});
        ASSERT_NO_FATAL_FAILURE(choose("VIEW", "Hide"));
        const QImage without = picture();
        select({annotation});
        ASSERT_NO_FATAL_FAILURE(choose("VIEW", "Show"));
        EXPECT_GT(differing(without, picture()), 20) << annotation->get_label() << " is drawn when shown";
    }

    // The three hidden together: their rows read False and the view shows the model alone.
    select(annotations);
    ASSERT_NO_FATAL_FAILURE(choose("VIEW", "Hide"));
    for (Obj::ProjectObject* annotation : annotations)
        EXPECT_FALSE(visibility(annotation)) << annotation->get_label();
    EXPECT_LT(differing(bare, picture()), 10) << "no annotation is left in the view";

    // Saved with the model hidden too, and opened again: nothing is drawn until shown.
    select({gear});
    ASSERT_NO_FATAL_FAILURE(choose("VIEW", "Hide"));
    ASSERT_NO_FATAL_FAILURE(saveAndReopen("gear v2.final.pmdb"));
    QFile saved(saveAnswer);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll().count("prop\tVisibility\tObj::PropertyBoolean\tFalse"), 4);
    saved.close();

    const std::vector<Obj::ProjectObject*> read{project->get_objects(Obj::AnnotationFiducial::getClassTypeId()).front(),
                                                project->get_objects(Obj::AnnotationROI::getClassTypeId()).front(),
                                                project->get_objects(Obj::AnnotationRuler::getClassTypeId()).front()};
    for (Obj::ProjectObject* annotation : read)
        EXPECT_FALSE(visibility(annotation)) << annotation->get_label();
    const QImage reopened = picture();
    select(read);
    ASSERT_NO_FATAL_FAILURE(choose("VIEW", "Show"));
    const QImage shown = picture();
    EXPECT_GT(differing(reopened, shown), 60) << "the annotations were not drawn while hidden";
    select(read);
    ASSERT_NO_FATAL_FAILURE(choose("VIEW", "Hide"));
    const QImage again = picture();
    EXPECT_LT(differing(reopened, again), 10) << "hidden again, they leave the view again";
}

TEST_F(HideAndDuplicate, ADuplicatedModelIsDrawnAtOnce)
{
    ASSERT_NO_FATAL_FAILURE(openGear());
    select({gear});
    ASSERT_NO_FATAL_FAILURE(choose("EDIT", "Duplicate"));
    const std::vector<Obj::ProjectObject*> models = project->get_objects(Obj::GeometryObject::getClassTypeId());
    ASSERT_EQ(models.size(), 2u);
    Obj::ProjectObject* copy = models.back() == gear ? models.front() : models.back();
    EXPECT_TRUE(visibility(copy));

    // The original hidden: the copy, in the same place, is what the view shows.
    select({gear});
    ASSERT_NO_FATAL_FAILURE(choose("VIEW", "Hide"));
    const QImage withCopy = picture();
    select({copy});
    ASSERT_NO_FATAL_FAILURE(choose("VIEW", "Hide"));
    const QImage empty = picture();
    EXPECT_GT(differing(withCopy, empty), 1000) << "the copy is drawn";
    select({copy});
    ASSERT_NO_FATAL_FAILURE(choose("VIEW", "Show"));
    EXPECT_LT(differing(withCopy, picture()), 10) << "and drawn again when shown";
}
