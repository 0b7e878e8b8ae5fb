// The rows that choose one of the project's objects by name.

#include "PropertyEditorTestSupport.h"

#include <propertyeditor/PropertyAdvEnumItem.h>
#include <propertyeditor/PropertyAdvEnumItem2.h>
#include <propertyeditor/PropertyModel.h>

#include <obj/GeometryObject.h>
#include <obj/PropertyAdvEnum2.h>

#include <QColor>
#include <QComboBox>

#include <support/StepCount.h>
#include <support/WorkCount.h>

using namespace Gui::PropertyOperator;
using PropertyEditorTest::Fixture;

namespace {

// Names reached: in the editor's lists and in the lists the properties hand it.
std::uint64_t namesReached()
{
    return PropertyAdvEnumItem::namesVisited() + Obj::PropertyAdvEnum::namesVisited();
}

class AdvEnumRowTest : public Fixture
{
protected:
    template<class T>
    T* choice(Obj::ProjectObject* owner, const char* type = "Obj::GeometryObject")
    {
        auto* p = add<T>(owner, "Target");
        p->set_object_type(type);
        return p;
    }
    QModelIndex rowOf(const std::vector<Obj::Property*>& props)
    {
        model.buildUp({{"Target", props}});
        return model.index(1, 1);
    }
    PropertyModel model;
};

} // namespace

TEST_F(AdvEnumRowTest, ShowsTheChosenNameOrNoSelectionOnLightYellow)
{
    auto* p = choice<Obj::PropertyAdvEnum>(a);
    const QModelIndex v = rowOf({p});
    ASSERT_TRUE(dynamic_cast<PropertyAdvEnumItem*>(static_cast<PropertyItem*>(v.internalPointer())));
    EXPECT_EQ(model.data(v).toString(), "No Selection");
    EXPECT_EQ(model.data(v, Qt::BackgroundRole).value<QColor>(), QColor(255, 255, 102));

    project->add_object("Obj::GeometryObject", "Shaft");
    project->add_object("Obj::GeometryObject", "Hub");
    p->set_value(1L);
    EXPECT_EQ(model.data(v).toString(), "Hub");
    EXPECT_FALSE(model.data(v, Qt::BackgroundRole).isValid());
    p->set_value(2L);
    EXPECT_EQ(model.data(v).toString(), "No Selection");
    p->set_value(-1L);
    EXPECT_EQ(model.data(v).toString(), "No Selection");
    p->setInValid(true);
    EXPECT_EQ(model.data(v, Qt::BackgroundRole).value<QColor>(), QColor(Qt::red));
}

TEST_F(AdvEnumRowTest, OffersTheCommonNamesAndWritesTheChosenOneThroughTheLogic)
{
    Obj::Project* other = logic.app().create_project("Q");
    for (const char* n : {"first", "second", "third"})
        project->add_object("Obj::GeometryObject", n);
    other->add_object("Obj::GeometryObject", "third");
    other->add_object("Obj::GeometryObject", "first");
    Obj::ProjectObject* holder = other->add_object("Obj::ProjectObject", "Holder");
    auto* mine = choice<Obj::PropertyAdvEnum>(a);
    auto* theirs = choice<Obj::PropertyAdvEnum>(holder);
    auto* twin = choice<Obj::PropertyAdvEnum2>(b);
    mine->set_value(2L);
    const QModelIndex v = rowOf({mine, theirs, twin});
    EXPECT_EQ(model.data(v).toString(), "third");
    auto* item = static_cast<PropertyItem*>(v.internalPointer());
    QComboBox box;
    item->setEditorData(&box, model.data(v, Qt::EditRole));
    ASSERT_EQ(box.count(), 2) << "the twin class adds nothing to this row";
    EXPECT_EQ(box.itemText(0), "third");
    EXPECT_EQ(box.itemText(1), "first");
    EXPECT_EQ(box.currentText(), "third");
    // An open editor is given the row's data again whenever its value changes.
    item->setEditorData(&box, model.data(v, Qt::EditRole));
    EXPECT_EQ(box.count(), 2) << "the names are offered once";

    box.setCurrentIndex(1);
    clearJournal();
    model.setData(v, item->editorData(&box));
    const std::vector<std::string> sent = commands();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[0], line41(a, "Target", "first"));
    EXPECT_EQ(sent[1], "runCommand 41 Q|" + std::to_string(holder->getObjectId()) + "|Target|first");
    EXPECT_EQ(mine->get_value(), 0);
    EXPECT_EQ(theirs->get_value(), 1);
    EXPECT_EQ(model.data(v).toString(), "first");

    // The twin's own row lists only the twin's names.
    QComboBox twinBox;
    PropertyAdvEnumItem2 twinRow;
    twinRow.setPropertyData({mine, twin});
    twinRow.setEditorData(&twinBox, QStringLiteral("second"));
    EXPECT_EQ(twinBox.count(), 3);
    EXPECT_EQ(twinBox.currentText(), "second");
}

TEST_F(AdvEnumRowTest, ReadOnlyRowsDisableTheirEditorAndSendNothing)
{
    project->add_object("Obj::GeometryObject", "Shaft");
    auto* p = choice<Obj::PropertyAdvEnum>(a);
    p->set_read_only(true);
    const QModelIndex v = rowOf({p});
    EXPECT_FALSE(model.flags(v) & Qt::ItemIsEditable);
    auto* item = static_cast<PropertyItem*>(v.internalPointer());
    QWidget sink;
    std::unique_ptr<QWidget> editor(item->createEditor(&sink, &sink, SLOT(update())));
    EXPECT_FALSE(editor->isEnabled());
    item->set_value(QStringLiteral("Shaft"));
    EXPECT_TRUE(commands().empty());
}

TEST_F(AdvEnumRowTest, OpeningTheEditorCostsInProportionToTheNamesOfferedTimesTheSelection)
{
    constexpr int selected = 60;
    std::vector<Obj::Property*> props;
    for (int i = 0; i < selected; ++i)
        props.push_back(choice<Obj::PropertyAdvEnum>(
            project->add_object("Obj::ProjectObject", ("Holder" + std::to_string(i)).c_str())));
    int objects = 0;
    // The work of filling the editor's list with `count` objects in the project: its
    // allocations, and the names stepped over (which see a comparison of every name with
    // every other one, which allocates nothing).
    std::uint64_t names[2] = {0, 0};
    const auto filling = [&](int count) {
        for (; objects < count; ++objects)
            project->add_object("Obj::GeometryObject", ("Part" + std::to_string(objects)).c_str());
        const QModelIndex v = rowOf(props);
        auto* item = static_cast<PropertyItem*>(v.internalPointer());
        QComboBox box;
        PelmoraTest::WorkMeter meter;
        PelmoraTest::StepMeter stepped(&namesReached);
        item->setEditorData(&box, QStringLiteral("Part7"));
        const PelmoraTest::Work work = meter.elapsed();
        names[count > 2000] = stepped.elapsed();
        EXPECT_EQ(box.count(), count);
        EXPECT_EQ(box.currentText(), "Part7");
        return work;
    };
    const PelmoraTest::Work few = filling(2000);
    const PelmoraTest::Work many = filling(8000);
    EXPECT_GE(names[0], 2000u * selected);
    EXPECT_TRUE(PelmoraTest::stepsGrowAtMost(names[0], names[1], 5)) << "names, for 2,000 and 8,000 objects";
    if (!PelmoraTest::workCounted())
        return;
    // Comparing every name with every other one makes four times the names sixteen times
    // the work.
    EXPECT_GT(few.allocations, 2000u);
    EXPECT_LT(many.allocations, 5 * few.allocations)
        << PelmoraTest::describe(few) << " for 2,000 names, " << PelmoraTest::describe(many) << " for 8,000";
    EXPECT_LT(many.bytes, 5 * few.bytes)
        << PelmoraTest::describe(few) << " for 2,000 names, " << PelmoraTest::describe(many) << " for 8,000";
}
