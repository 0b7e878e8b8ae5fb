// The rows that choose one of the project's objects by name.

#include "PropertyEditorTestSupport.h"

#include <propertyeditor/PropertyAdvEnumItem.h>
#include <propertyeditor/PropertyAdvEnumItem2.h>
#include <propertyeditor/PropertyModel.h>

#include <obj/GeometryObject.h>
#include <obj/PropertyAdvEnum2.h>

#include <QColor>
#include <QComboBox>

#include <support/ThreadCpuTimer.h>

using namespace Gui::PropertyOperator;
using PropertyEditorTest::Fixture;

namespace {

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
    constexpr int objects = 8000;
    constexpr int selected = 60;
    for (int i = 0; i < objects; ++i)
        project->add_object("Obj::GeometryObject", ("Part" + std::to_string(i)).c_str());
    std::vector<Obj::Property*> props;
    for (int i = 0; i < selected; ++i)
        props.push_back(choice<Obj::PropertyAdvEnum>(
            project->add_object("Obj::ProjectObject", ("Holder" + std::to_string(i)).c_str())));
    const QModelIndex v = rowOf(props);
    auto* item = static_cast<PropertyItem*>(v.internalPointer());
    QComboBox box;
    PelmoraTest::ThreadCpuTimer timer;
    item->setEditorData(&box, QStringLiteral("Part7"));
    const auto spent = timer.elapsed();
    EXPECT_EQ(box.count(), objects);
    EXPECT_EQ(box.currentText(), "Part7");
    // Comparing every name with every other one takes seconds here.
    EXPECT_LT(spent, 1000) << spent << " ms";
}
