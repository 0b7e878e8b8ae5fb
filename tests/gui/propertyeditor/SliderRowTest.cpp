// The range-slider row and its editor, which writes the bound properties directly.

#include "PropertyEditorTestSupport.h"

#include <propertyeditor/PropertyModel.h>
#include <propertyeditor/PropertyOperator.h>
#include <propertyeditor/PropertyRangeSliderItem.h>
#include <propertyeditor/SliderEditor.h>

#include <support/StepCount.h>
#include <support/WorkCount.h>

#include <QLabel>
#include <QSlider>

#include <limits>

using namespace Gui::PropertyOperator;
using PropertyEditorTest::Fixture;

namespace {

class SliderRowTest : public Fixture
{
protected:
    Obj::PropertyRangeSlider* level(Obj::ProjectObject* owner, long lo, long hi, long v)
    {
        auto* p = add<Obj::PropertyRangeSlider>(owner, "Level");
        p->set_ranges(lo, hi);
        p->set_value(v);
        return p;
    }
};

} // namespace

TEST_F(SliderRowTest, DraggingWritesEveryStepAndTheLabelShowsTheLast)
{
    auto* p = level(a, 0, 10, 3);
    std::vector<long> seen;
    boost::signals2::scoped_connection watch = project->signal_change_object.connect(
        [&](const Obj::ProjectObject&, const Obj::Property& changed) {
            if (&changed == p)
                seen.push_back(p->get_value());
        });
    SliderEditor editor;
    EXPECT_EQ(editor.get_value(), 0);
    editor.setProperty(p);
    EXPECT_EQ(editor.slider()->minimum(), 0);
    EXPECT_EQ(editor.slider()->maximum(), 10);
    EXPECT_EQ(editor.slider()->value(), 3);
    EXPECT_TRUE(seen.empty()) << "showing the property does not write it";
    EXPECT_EQ(editor.label()->text(), "");
    for (int v = 4; v <= 7; ++v)
        editor.slider()->setValue(v);
    EXPECT_EQ(seen, (std::vector<long>{4, 5, 6, 7}));
    EXPECT_EQ(editor.label()->text(), "7");
    EXPECT_TRUE(commands().empty());

    // The same property again does not move the slider back to the property's value.
    p->set_value(2L);
    editor.setProperty(p);
    EXPECT_EQ(editor.slider()->value(), 7);
}

TEST_F(SliderRowTest, TheEditorMovesEveryWritableSelectedObject)
{
    // A range whose minimum is above the slider's start: setting it up must not write 5.
    auto* sa = level(a, 5, 9, 6);
    auto* sb = level(b, 5, 9, 8);
    auto* sc = level(c, 5, 9, 7);
    sc->set_read_only(true);
    PropertyModel model;
    model.buildUp({{"Level", {sa, sb, sc}}});
    const QModelIndex v = model.index(1, 1);
    auto* item = dynamic_cast<PropertyRangeSliderItem*>(static_cast<PropertyItem*>(v.internalPointer()));
    ASSERT_TRUE(item);
    EXPECT_EQ(model.data(v).toString(), "6");
    EXPECT_EQ(model.data(v, Qt::ToolTipRole).toString(), "6 between 5 and 9");
    QWidget sink;
    std::unique_ptr<QWidget> w(item->createEditor(&sink, &sink, SLOT(update())));
    auto* editor = qobject_cast<SliderEditor*>(w.get());
    ASSERT_TRUE(editor);
    EXPECT_TRUE(editor->isEnabled());
    item->setEditorData(editor, model.data(v, Qt::EditRole));
    EXPECT_EQ(sb->get_value(), 8);
    EXPECT_EQ(editor->slider()->value(), 6);
    editor->slider()->setValue(9);
    EXPECT_EQ(sa->get_value(), 9);
    EXPECT_EQ(sb->get_value(), 9);
    EXPECT_EQ(sc->get_value(), 7);
    EXPECT_EQ(item->editorData(editor).toInt(), 9);
    EXPECT_TRUE(commands().empty());
}

TEST_F(SliderRowTest, ValuesWiderThanTheSliderAreShownWholeAndHeldAtItsEnd)
{
    auto* wide = level(a, 0, 5000000000L, 3000000000L);
    PropertyModel model;
    model.buildUp({{"Level", {wide}}});
    const QModelIndex v = model.index(1, 1);
    EXPECT_EQ(model.data(v).toString(), "3000000000");
    EXPECT_EQ(model.data(v, Qt::ToolTipRole).toString(), "3000000000 between 0 and 5000000000");
    SliderEditor editor;
    editor.setProperty(wide);
    EXPECT_EQ(editor.slider()->maximum(), std::numeric_limits<int>::max());
    EXPECT_EQ(editor.slider()->value(), std::numeric_limits<int>::max());
    EXPECT_EQ(wide->get_value(), 3000000000L) << "showing it writes nothing";
}

TEST_F(SliderRowTest, ReadOnlyAndForeignRowsChangeNothing)
{
    auto* sa = level(a, 0, 10, 4);
    sa->set_read_only(true);
    PropertyRangeSliderItem row;
    row.setPropertyData({sa});
    QWidget sink;
    std::unique_ptr<QWidget> w(row.createEditor(&sink, &sink, SLOT(update())));
    EXPECT_FALSE(w->isEnabled());
    row.setEditorData(w.get(), {});
    static_cast<SliderEditor*>(w.get())->slider()->setValue(9);
    row.set_value(8);
    EXPECT_EQ(sa->get_value(), 4);

    // A row whose first property is not a slider property writes nothing.
    auto* plain = add<Obj::PropertyInteger>(b, "Level");
    auto* sc = level(c, 0, 10, 1);
    PropertyRangeSliderItem foreign;
    foreign.setPropertyData({plain, sc});
    foreign.set_value(5);
    EXPECT_EQ(sc->get_value(), 1);
    EXPECT_EQ(plain->get_value(), 0);
    EXPECT_EQ(foreign.data(1, Qt::ToolTipRole).toString(), "Unavailable tip.");
}

TEST_F(SliderRowTest, InTheDocksTreeTheOpenSliderMovesEverySelectedObject)
{
    auto* sa = level(a, 0, 10, 2);
    auto* sb = level(b, 0, 10, 5);
    PropertyOperator tree;
    tree.buildUp({{"Level", {sa, sb}}});
    tree.show();
    const QModelIndex v = tree.propertyModel()->index(1, 1);
    tree.setCurrentIndex(v);
    auto* editor = qobject_cast<SliderEditor*>(tree.indexWidget(v));
    ASSERT_TRUE(editor) << "the current row keeps its slider open";
    EXPECT_EQ(sb->get_value(), 5) << "opening the editor writes nothing";
    editor->slider()->setValue(8);
    EXPECT_EQ(sa->get_value(), 8);
    EXPECT_EQ(sb->get_value(), 8);
    EXPECT_EQ(tree.propertyModel()->data(v).toString(), "8");
    EXPECT_TRUE(commands().empty());
}

TEST_F(SliderRowTest, AStepThatRemovesAnotherSelectedObjectWritesTheRestAndLeavesItAlone)
{
    auto* sa = level(a, 0, 10, 1);
    auto* sb = level(b, 0, 10, 1);
    auto* sc = level(c, 0, 10, 1);
    // The logic removes b as soon as a changes; b's property goes with it.
    boost::signals2::scoped_connection removeB = logic.app().signal_change_property.connect(
        [&](const Obj::ProjectObject& o, const Obj::Property&) {
            if (&o == a && b) {
                project->remove_object(b->getObjectId());
                b = nullptr;
            }
        });
    SliderEditor editor;
    editor.setProperties({sa, sb, sc});
    editor.slider()->setValue(6);
    EXPECT_EQ(b, nullptr);
    EXPECT_EQ(sa->get_value(), 6);
    EXPECT_EQ(sc->get_value(), 6);
}

TEST_F(SliderRowTest, AStepCostsAboutWhatWritingEverySelectedObjectCosts)
{
    constexpr int count = 4000;
    std::vector<Obj::Property*> props;
    for (int i = 0; i < count; ++i) {
        Obj::ProjectObject* o = project->add_object("Obj::ProjectObject", ("M" + std::to_string(i)).c_str());
        props.push_back(level(o, 0, 100, 0));
    }
    PropertyOperator tree;
    tree.buildUp({{"Level", props}});
    boost::signals2::scoped_connection refresh = logic.app().signal_change_property.connect(
        [&](const Obj::ProjectObject&, const Obj::Property& p) { tree.updateProperty(p); });
    tree.show();
    // The same writes and row refreshes without an open editor.
    PelmoraTest::WorkMeter meter;
    for (long step = 1; step <= 5; ++step) {
        for (Obj::Property* p : props)
            static_cast<Obj::PropertyRangeSlider*>(p)->set_value(step);
    }
    const PelmoraTest::Work plain = meter.restart();
    const QModelIndex v = tree.propertyModel()->index(1, 1);
    tree.setCurrentIndex(v);
    auto* editor = qobject_cast<SliderEditor*>(tree.indexWidget(v));
    ASSERT_TRUE(editor);
    meter.start();
    PelmoraTest::StepMeter stepped(&SliderEditor::propertiesVisited);
    PelmoraTest::StepMeter rows(&PropertyModel::propertiesBound);
    PelmoraTest::StepMeter read(&PropertyItem::propertiesRead);
    for (int step = 6; step <= 10; ++step)
        editor->slider()->setValue(step);
    const PelmoraTest::Work spent = meter.elapsed();
    // Properties reached in the slider's list and in the targets each step takes from it:
    // two a write, and the first one read back by each write's refresh (three a write in
    // all), where handing the slider the selection again on each write's refresh (a
    // comparison that allocates nothing), or a duplicate check over the targets, makes it
    // `count` each.
    const std::uint64_t writes = 5u * count;
    EXPECT_TRUE(PelmoraTest::stepsGrowAtMost(writes, stepped.elapsed(), 4)) << "properties, for 5 steps of " << count;
    // Row bindings reached: each write's row is looked up about twice, a hash and about one
    // binding of its bucket each, where a walk over the bindings makes it `count` each.
    EXPECT_TRUE(PelmoraTest::stepsGrowAtMost(writes, rows.elapsed(), 6)) << "row bindings, for 5 steps of " << count;
    // Properties the rows read: each write's refresh reads the row's first one a few times
    // (for its read-only state and each value the view asks), and the slider's step reads
    // the list once, where a search of the row's list for the written property makes it
    // `count` each.
    EXPECT_TRUE(PelmoraTest::stepsGrowAtMost(writes, read.elapsed(), 16)) << "row properties, for 5 steps of " << count;
    EXPECT_EQ(static_cast<Obj::PropertyRangeSlider*>(props.back())->get_value(), 10);
    // Each write's refresh handed the open slider the whole selection again: five times
    // the plain writes here.
    if (PelmoraTest::workCounted()) {
        EXPECT_GT(plain.allocations, static_cast<std::uint64_t>(count));
        EXPECT_LT(spent.allocations, 2 * plain.allocations)
            << PelmoraTest::describe(spent) << " against " << PelmoraTest::describe(plain);
        EXPECT_LT(spent.bytes, 2 * plain.bytes) << PelmoraTest::describe(spent) << " against " << PelmoraTest::describe(plain);
    }
}
