// A ruler or a region of interest takes two clicks in the 3D view.  Placing that ends
// before the second one (Escape in the view, the same annotation asked for again, another
// annotation asked for) leaves no object behind; an annotation placed afterwards is built
// from its own clicks, and everything kept is drawn after the project is saved and opened
// again.

#include <support/ProductView.h>

#include <annotations/ViewFeederAnnotationBase.h>
#include <annotations/vtkMRMLAnnotationROINode.h>

#include <mrml/vtkMRMLDisplayableNode.h>

#include <string>
#include <vector>

namespace {

class UnfinishedPlacement : public PelmoraTest::ProductView
{
protected:
    std::vector<Obj::ProjectObject*> annotations() const
    {
        return project->get_objects(Obj::AnnotationObject::getClassTypeId());
    }
    vtkMRMLDisplayableNode* nodeOf(Obj::ProjectObject* object) const
    {
        auto* feeder = dynamic_cast<Gui::ViewFeederAnnotationBase*>(gui->get_view_feeder(object));
        return feeder ? feeder->getMRMLNode() : nullptr;
    }
    // Every annotation of the project holds what was clicked and has its node in the view.
    void expectAllPlaced(const std::string& cell) const
    {
        for (Obj::ProjectObject* object : annotations()) {
            if (object->is_inherited_from(Obj::AnnotationsGroup::getClassTypeId()))
                continue;
            auto* annotation = dynamic_cast<Obj::AnnotationObject*>(object);
            ASSERT_NE(annotation, nullptr) << cell;
            EXPECT_STRNE(annotation->get_annotation_text(), "") << cell << ": " << object->get_label();
            EXPECT_NE(nodeOf(object), nullptr) << cell << ": " << object->get_label();
        }
    }
    std::size_t count(const Vexil::TypeInfo& type) const { return project->get_objects(type).size(); }
};

} // namespace

TEST_F(UnfinishedPlacement, PlacingEndedAfterOneClickLeavesNoObject)
{
    struct Kind
    {
        const char* command;
        Vexil::TypeInfo type;
    };
    const std::vector<Kind> kinds{{"Std_AnnotationROI", Obj::AnnotationROI::getClassTypeId()},
                                  {"Std_AnnotationRuler", Obj::AnnotationRuler::getClassTypeId()}};
    enum class End { Escape, SameAgain, Fiducial };

    for (const Kind& kind : kinds)
        for (int clicks : {0, 1})
            for (End end : {End::Escape, End::SameAgain, End::Fiducial}) {
                const std::string cell = std::string(kind.command) + ", " + std::to_string(clicks) + " click(s), ended by "
                                         + (end == End::Escape ? "Escape" : end == End::SameAgain ? "the same" : "a fiducial");
                Gui::TreeSelectionSingleton::instance().clear_all_selections();
                Obj::Application::instance().close_all_projects();
                PelmoraTest::flushDeletes();
                ASSERT_NO_FATAL_FAILURE(openGear()) << cell;
                const QPoint c = centre();
                const QPoint first = c + QPoint(30, -50), second = c + QPoint(70, -20);

                // One placed in full, for reference.
                startPlacing(kind.command, {first, second});
                ASSERT_EQ(count(kind.type), 1u) << cell;
                Obj::ProjectObject* reference = project->get_objects(kind.type).front();

                // The unfinished one.
                startPlacing(kind.command, {});
                for (int i = 0; i < clicks; ++i)
                    QTest::mouseClick(gl(), Qt::LeftButton, Qt::NoModifier, c + QPoint(-80, 60));
                settle();
                switch (end) {
                case End::Escape:
                    gl()->setFocus();
                    QTest::keyClick(gl(), Qt::Key_Escape);
                    settle();
                    EXPECT_EQ(count(kind.type), 1u) << cell;
                    break;
                case End::SameAgain:
                    // The new placement counts its own clicks only.
                    startPlacing(kind.command, {first, second});
                    ASSERT_EQ(count(kind.type), 2u) << cell;
                    if (kind.type == Obj::AnnotationROI::getClassTypeId()) {
                        auto* a = vtkMRMLAnnotationROINode::SafeDownCast(nodeOf(reference));
                        auto* b = vtkMRMLAnnotationROINode::SafeDownCast(nodeOf(project->get_objects(kind.type).back()));
                        ASSERT_TRUE(a && b) << cell;
                        double ca[3], cb[3], ra[3], rb[3];
                        a->GetXYZ(ca);
                        b->GetXYZ(cb);
                        a->GetRadiusXYZ(ra);
                        b->GetRadiusXYZ(rb);
                        for (int k = 0; k < 3; ++k) {
                            EXPECT_DOUBLE_EQ(ca[k], cb[k]) << cell;
                            EXPECT_DOUBLE_EQ(ra[k], rb[k]) << cell;
                        }
                    }
                    break;
                case End::Fiducial:
                    startPlacing("Std_AnnotationFiducial", {c + QPoint(-60, -40)});
                    EXPECT_EQ(count(kind.type), 1u) << cell;
                    EXPECT_EQ(count(Obj::AnnotationFiducial::getClassTypeId()), 1u) << cell;
                    break;
                }
                ASSERT_NO_FATAL_FAILURE(expectAllPlaced(cell));
                const std::size_t kept = annotations().size();

                // Saved and opened again: the same annotations, each drawn.
                ASSERT_NO_FATAL_FAILURE(saveAndReopen("placed v2.final.pmdb")) << cell;
                QFile saved(saveAnswer);
                ASSERT_TRUE(saved.open(QIODevice::ReadOnly)) << cell;
                const QByteArray text = saved.readAll();
                EXPECT_FALSE(text.contains("AnnotationText\tObj::PropertyString\t\n")) << cell;
                saved.close();
                EXPECT_EQ(annotations().size(), kept) << cell;
                ASSERT_NO_FATAL_FAILURE(expectAllPlaced(cell + ", reopened"));
                const QImage drawn = picture();
                select(project->get_objects(kind.type));
                ASSERT_NO_FATAL_FAILURE(choose("VIEW", "Hide")) << cell;
                EXPECT_GT(differing(drawn, picture()), 20) << cell << ": the kept annotations are drawn after reopening";
                QFile::remove(saveAnswer);
            }
}
