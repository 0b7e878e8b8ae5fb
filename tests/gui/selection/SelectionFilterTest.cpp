// Selection filters and gates: criteria by type, count and sub-element, the gates built
// on them, and the gate that admits sub-elements by kind.

#include "SelectionTestSupport.h"

#include <selection/EntitySelectionSingleton.h>
#include <selection/SelectionFilter.h>
#include <selection/SelectionInstance.h>
#include <selection/TreeSelectionSingleton.h>

#include <vexil/Exception.h>

using namespace SelectionTest;

namespace {

using FilterTest = LogicFixture;

Gui::SelectionCriterion faces(int min, int max)
{
    Gui::SelectionCriterion c;
    c.type = Obj::ProjectObject::getClassTypeId();
    c.range = std::make_pair(min, max);
    c.element = "Face";
    return c;
}

} // namespace

TEST_F(FilterTest, EmptyFilterHasNoCriteriaAndItsGateRefuses)
{
    Gui::EntitySelectionFilter filter("");
    EXPECT_FALSE(filter.is_valid());
    EXPECT_FALSE(filter.match());
    EXPECT_FALSE(filter.test(box, nullptr));
    Gui::EntitySelectionFilterGate gate(new Gui::EntitySelectionFilter(""));
    EXPECT_FALSE(gate.allow(project, box, "Face1"));
    Gui::TreeSelectionFilterGate none;
    EXPECT_FALSE(none.allow(project, box, nullptr));
}

TEST_F(FilterTest, TextWithoutGrammarIsKeptOrRefused)
{
    Gui::TreeSelectionFilter tree("SELECT Obj::ProjectObject");
    EXPECT_EQ(tree.get_filter(), "SELECT Obj::ProjectObject");
    EXPECT_FALSE(tree.is_valid());

    try {
        Gui::SelectionFilter filter("SELECT Obj::ProjectObject");
        FAIL() << "a filter text needs a grammar";
    }
    catch (const Vexil::ExceptionHandler&) {
    }
    Gui::SelectionFilter empty("");
    empty.add_error("unknown word");
    try {
        empty.set_filter("x");
        FAIL();
    }
    catch (const Vexil::ExceptionHandler& e) {
        EXPECT_STREQ(e.what(), "unknown word\n");
    }
}

TEST_F(FilterTest, CriterionTestsTypeAndElementWord)
{
    Gui::TreeSelectionFilter filter("");
    Gui::SelectionCriterion groups;
    groups.type = Obj::ProjectObjectGroup::getClassTypeId();
    filter.add_criterion(groups);
    filter.add_criterion(faces(1, 2));
    EXPECT_TRUE(filter.test(group, nullptr));
    EXPECT_TRUE(filter.test(box, "Face12"));
    EXPECT_TRUE(filter.test(box, nullptr));
    EXPECT_FALSE(filter.test(box, "Edge1"));
    EXPECT_FALSE(filter.test(nullptr, "Face1"));

    // As a gate of the tree selection it decides single adds.
    auto& tree = Gui::TreeSelectionSingleton::instance();
    tree.add_selectionable(new Gui::TreeSelectionFilterGate(new Gui::TreeSelectionFilter(filter)));
    EXPECT_TRUE(tree.add_selection("P", 1, "Face1"));
    EXPECT_FALSE(tree.add_selection("P", 1, "Edge1"));
    EXPECT_EQ(tree.size(), 1u);
}

TEST_F(FilterTest, MatchCountsSubElementsOfTheCurrentSelection)
{
    Gui::EntitySelectionFilter filter("");
    filter.add_criterion(faces(1, 2));
    auto& entity = Gui::EntitySelectionSingleton::instance();

    EXPECT_FALSE(filter.match());   // nothing selected: 0 is below 1
    entity.add_selection("P", 1, "Face1");
    entity.add_selection("P", 1, "Face2");
    EXPECT_TRUE(filter.match());
    ASSERT_EQ(filter.get_result().size(), 1u);
    EXPECT_EQ(filter.get_result()[0][0].get_subnames().size(), 2u);

    entity.add_selection("P", 1, "Face3");
    EXPECT_FALSE(filter.match());
    entity.remove_selection("P", 1, std::string("Face3"));
    entity.add_selection("P", 2, "Edge1");
    EXPECT_FALSE(filter.match());
    entity.clear_all_selections();
    entity.add_selection("P", 1, nullptr);   // the body as a whole has no sub-elements
    EXPECT_FALSE(filter.match());

    // Without a range exactly one object is wanted; a failing criterion keeps the
    // results of those before it.
    Gui::EntitySelectionFilter two("");
    Gui::SelectionCriterion any;
    any.type = Obj::ProjectObject::getClassTypeId();
    two.add_criterion(any);
    Gui::SelectionCriterion groups;
    groups.type = Obj::ProjectObjectGroup::getClassTypeId();
    two.add_criterion(groups);
    EXPECT_FALSE(two.match());
    EXPECT_EQ(two.get_result().size(), 1u);
}

TEST_F(FilterTest, SelectionFilterGateDecidesForTheSelectionInstance)
{
    auto* gate = new Gui::SelectionFilterGate();
    auto& inst = Gui::SelectionInstance::instance();
    inst.add_selectionable(gate);
    EXPECT_FALSE(inst.add_selection("P", 1, nullptr));
    inst.remove_selectable();
    EXPECT_TRUE(inst.add_selection("P", 1, nullptr));
}

TEST_F(FilterTest, EntityFilterAdmitsKindsByFlag)
{
    unsigned char flags[6] = {0, 1, 0, 0, 0, 0};   // edges only
    Gui::EntityFilter filter;
    EXPECT_FALSE(filter.allow(project, box, "Edge1"));   // no flags yet
    filter.set_flags(flags);
    EXPECT_TRUE(filter.allow(project, box, "Edge1"));
    EXPECT_FALSE(filter.allow(project, box, "Vertex1"));
    EXPECT_FALSE(filter.allow(project, box, "Body1"));
    EXPECT_FALSE(filter.allow(project, box, "Edg"));
    EXPECT_FALSE(filter.allow(project, box, ""));
    EXPECT_FALSE(filter.allow(project, nullptr, "Edge1"));
    flags[0] = 1;
    EXPECT_TRUE(filter.allow(project, box, "Vertex1"));
    flags[5] = 1;
    EXPECT_TRUE(filter.allow(project, box, "Elem9"));
}
