// The geometry-scoping row and its editor, which writes the property directly, never by
// command.

#include "PropertyEditorTestSupport.h"

#include <core/MetaTypes.h>
#include <propertyeditor/PropertyModel.h>
#include <propertyeditor/PropertyOperator.h>
#include <propertyeditor/PropertySelectionItem.h>
#include <propertyeditor/SelectionEditor.h>
#include <selection/EntitySelectionSingleton.h>
#include <selection/TreeSelectionSingleton.h>

#include <obj/PropertySelection.h>

#include <QColor>
#include <QPointer>
#include <QPushButton>

using namespace Gui::PropertyOperator;
using PropertyEditorTest::Fixture;

namespace {

const QColor lightYellow(255, 255, 102);

class SelectionRowTest : public Fixture
{
protected:
    SelectionRowTest() { destructSelections(); }
    ~SelectionRowTest() override { destructSelections(); }
    static void destructSelections()
    {
        Gui::TreeSelectionSingleton::destruct();
        Gui::EntitySelectionSingleton::destruct();
    }
    Obj::PropertySelection* scope(Obj::ProjectObject* owner, int type)
    {
        auto* p = add<Obj::PropertySelection>(owner, "Scope", "Scoping");
        p->setSelectionType(static_cast<Obj::SelectionTopoType>(type));
        return p;
    }
    // The value cell of the one row the model builds for the property.
    QModelIndex rowOf(Obj::Property* p)
    {
        model.buildUp({{"Scope", {p}}});
        return model.index(1, 1);
    }
    // Opens the row's editor, picks `subs` of `on` in the 3D view and presses "OK".
    void pickAndConfirm(const QModelIndex& v, Obj::ProjectObject* on, const std::vector<std::string>& subs)
    {
        auto* item = static_cast<PropertyItem*>(v.internalPointer());
        QPointer<QWidget> editor = item->createEditor(&sink, &sink, SLOT(update()));
        item->setEditorData(editor, model.data(v, Qt::EditRole));
        auto& picks = Gui::EntitySelectionSingleton::instance();
        picks.clear_all_selections();
        if (!subs.empty())
            picks.add_selection("P", on->getObjectId(), subs);
        static_cast<SelectionEditor*>(editor.data())->okButton()->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(editor.isNull()) << "the editor closes after OK";
    }
    PropertyModel model;
    QWidget sink;
};

} // namespace

TEST_F(SelectionRowTest, ShowsCountAndKindAndTakesOverThePicksDirectly)
{
    auto* p = scope(a, Obj::SelectAny);
    const QModelIndex v = rowOf(p);
    ASSERT_TRUE(v.isValid());
    EXPECT_EQ(model.data(v).toString(), "");
    EXPECT_EQ(model.data(v, Qt::BackgroundRole).value<QColor>(), lightYellow);
    EXPECT_EQ(model.data(v, Qt::TextAlignmentRole).toInt(), int(Qt::AlignVCenter));

    pickAndConfirm(v, b, {"Face3", "Face5", "Face1"});
    EXPECT_EQ(p->get_sub_values(), (std::vector<std::string>{"Face3", "Face5", "Face1"}));
    EXPECT_EQ(p->get_values(), (std::vector<Obj::ProjectObject*>{b, b, b}));
    EXPECT_EQ(model.data(v).toString(), "3 Face");
    EXPECT_FALSE(model.data(v, Qt::BackgroundRole).isValid());
    EXPECT_TRUE(commands().empty()) << "the scoping is written directly";
    const auto shown = model.data(v, Qt::EditRole).value<Obj::BCSelectionData>();
    EXPECT_EQ(shown.size(), 3u);

    p->setInValid(true);
    EXPECT_EQ(model.data(v, Qt::BackgroundRole).value<QColor>(), QColor(Qt::red));
    p->setInValid(false);

    // Nothing picked: OK empties the scoping; Cancel changes nothing.
    pickAndConfirm(v, b, {});
    EXPECT_EQ(p->size(), 0u);
    EXPECT_EQ(model.data(v, Qt::BackgroundRole).value<QColor>(), lightYellow);
    pickAndConfirm(v, b, {"Body1"});
    EXPECT_EQ(model.data(v).toString(), "1 Body");
    auto* item = static_cast<PropertyItem*>(v.internalPointer());
    QPointer<QWidget> editor = item->createEditor(&sink, &sink, SLOT(update()));
    item->setEditorData(editor, {});
    Gui::EntitySelectionSingleton::instance().add_selection("P", c->getObjectId(), "Face9");
    static_cast<SelectionEditor*>(editor.data())->cancelButton()->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(editor.isNull());
    EXPECT_EQ(p->get_sub_values(), std::vector<std::string>{"Body1"});
}

TEST_F(SelectionRowTest, EachNameMustBeOfAKindTheScopingAsksFor)
{
    // Faces, edges and vertices are all sub-entities: a scoping that asks for any of them
    // takes the three alike, but no whole body.
    auto* faces = scope(a, Obj::SelectFace);
    const QModelIndex v = rowOf(faces);
    pickAndConfirm(v, b, {"Face1", "Body2"});
    EXPECT_EQ(faces->size(), 0u) << "a body in a sub-entity scoping";
    pickAndConfirm(v, b, {"Face1", "Edge2", "Vert4"});
    EXPECT_EQ(faces->get_sub_values(), (std::vector<std::string>{"Face1", "Edge2", "Vert4"}));
    pickAndConfirm(v, b, {"Face1", "Face2"});
    EXPECT_EQ(faces->size(), 2u);
    // The model's write path checks as the editor does.
    Obj::BCSelectionData bodies;
    bodies.objects = {b};
    bodies.names = {"Body1"};
    model.setData(v, QVariant::fromValue(bodies));
    EXPECT_EQ(faces->get_sub_values(), (std::vector<std::string>{"Face1", "Face2"}));

    EXPECT_TRUE(SelectionEditor::namesFit(Obj::SelectEdge, {"Face1", "Vert2"}));
    EXPECT_FALSE(SelectionEditor::namesFit(Obj::SelectFace | Obj::SelectEdge, {"Whatever"}));
    EXPECT_FALSE(SelectionEditor::namesFit(Obj::SelectBody, {"Body1", "Face1"}));
    EXPECT_TRUE(SelectionEditor::namesFit(Obj::SelectBody, {"Body1", "Body2"}));
    EXPECT_TRUE(SelectionEditor::namesFit(Obj::SelectAny, {"Face1", "Whatever"}));

    // setSelectionValues: no names change nothing; a fitting set is taken, editor open.
    SelectionEditor editor;
    editor.setProperty(faces);
    std::vector<Obj::ProjectObject*> none;
    std::vector<std::string> noNames;
    editor.setSelectionValues(none, noNames);
    EXPECT_EQ(faces->size(), 2u);
    std::vector<Obj::ProjectObject*> objs{c};
    std::vector<std::string> names{"Face7"};
    editor.setSelectionValues(objs, names);
    EXPECT_EQ(editor.get_sub_values(), std::vector<std::string>{"Face7"});
}

TEST_F(SelectionRowTest, ReadOnlyScopingDisablesTheEditorAndIsNotWritten)
{
    auto* p = scope(a, Obj::SelectAny);
    p->set_read_only(true);
    const QModelIndex v = rowOf(p);
    EXPECT_FALSE(model.flags(v) & Qt::ItemIsEditable);
    auto* item = static_cast<PropertyItem*>(v.internalPointer());
    std::unique_ptr<QWidget> editor(item->createEditor(&sink, &sink, SLOT(update())));
    EXPECT_FALSE(editor->isEnabled());
    item->setEditorData(editor.get(), {});
    Gui::EntitySelectionSingleton::instance().add_selection("P", b->getObjectId(), "Face1");
    static_cast<SelectionEditor*>(editor.get())->updateSelection();
    Obj::BCSelectionData one;
    one.objects = {b};
    one.names = {"Face1"};
    item->set_value(QVariant::fromValue(one));
    EXPECT_EQ(p->size(), 0u);
    EXPECT_TRUE(commands().empty());
}

TEST_F(SelectionRowTest, InTheDocksTreeOkWritesOnceAndClosesTheEditor)
{
    auto* p = scope(a, Obj::SelectFace);
    int changes = 0;
    boost::signals2::scoped_connection watch = project->signal_change_object.connect(
        [&](const Obj::ProjectObject&, const Obj::Property& changed) { changes += (&changed == p); });
    PropertyOperator tree;
    tree.buildUp({{"Scope", {p}}});
    tree.show();
    const QModelIndex v = tree.propertyModel()->index(1, 1);
    tree.setCurrentIndex(v);
    QPointer<SelectionEditor> editor = qobject_cast<SelectionEditor*>(tree.indexWidget(v));
    ASSERT_TRUE(editor);
    Gui::EntitySelectionSingleton::instance().add_selection("P", b->getObjectId(), std::vector<std::string>{"Face2"});
    editor->okButton()->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(editor.isNull());
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(tree.propertyModel()->data(v).toString(), "1 Face");
    // Committing what the row shows again writes nothing.
    tree.propertyModel()->setData(v, tree.propertyModel()->data(v, Qt::EditRole));
    EXPECT_EQ(changes, 1);
    tree.setCurrentIndex(tree.propertyModel()->index(0, 0));
    EXPECT_TRUE(commands().empty());
}

TEST_F(SelectionRowTest, AScopingWhoseObjectWasRemovedShowsAsIncompleteAndSavesNoDanglingEntry)
{
    auto* p = scope(a, Obj::SelectFace);
    const QModelIndex v = rowOf(p);
    ASSERT_TRUE(p->set_values({b, c}, {"Face1", "Face2"}));
    EXPECT_FALSE(model.data(v, Qt::BackgroundRole).isValid());

    const std::string kept = std::to_string(c->getObjectId());
    project->remove_object(b->getObjectId());
    b = nullptr;
    EXPECT_FALSE(p->isValidSelection());
    EXPECT_EQ(model.data(v, Qt::BackgroundRole).value<QColor>(), lightYellow);
    EXPECT_EQ(p->get_values(), (std::vector<Obj::ProjectObject*>{nullptr, c}));
    // What is saved names the object that is still there, and reads back to it.
    EXPECT_EQ(p->get_value_text(), kept + ":Face2");
    EXPECT_TRUE(p->set_value_text(kept + ":Face2"));
    EXPECT_EQ(p->get_values(), std::vector<Obj::ProjectObject*>{c});
}
