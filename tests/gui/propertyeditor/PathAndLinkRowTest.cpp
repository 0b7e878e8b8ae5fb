// Path rows, the link row with its label and dialog, and list rows read from list
// properties: texts shown, exact texts sent, and values that survive the round trip.

#include "PropertyEditorTestSupport.h"
#include <support/HangGuard.h>

#include <dialogs/DlgPropertyCouple.h>
#include <dialogs/widgets/FileDialog.h>
#include <propertyeditor/LinkLabel.h>
#include <propertyeditor/PropertyItem.h>
#include <propertyeditor/PropertyModel.h>
#include <selection/TreeSelectionSingleton.h>
#include <support/ModalCloser.h>

#include <obj/PropertyCouple.h>
#include <obj/PropertyPath.h>
#include <obj/PropertyStringList.h>

#include <QApplication>
#include <QCheckBox>
#include <QColor>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

using namespace Gui::PropertyOperator;
using PropertyEditorTest::Fixture;

namespace {

class PathAndLinkRows : public Fixture
{
protected:
    PathAndLinkRows()
    {
        project->signal_change_object.connect(
            [this](const Obj::ProjectObject&, const Obj::Property& p) { model.updateProperty(p); });
    }
    QModelIndex value(const char* name)
    {
        for (int r = 0; r < model.rowCount(); ++r) {
            const QModelIndex i = model.index(r, 0);
            if (model.data(i).toString() == QLatin1String(name))
                return model.index(r, 1);
        }
        ADD_FAILURE() << "no row " << name;
        return {};
    }
    static PropertyItem* itemOf(const QModelIndex& i) { return static_cast<PropertyItem*>(i.internalPointer()); }
    std::string id(const Obj::ProjectObject* o) { return std::to_string(o->getObjectId()); }

    PropertyModel model;
};

} // namespace

TEST_F(PathAndLinkRows, PathsAreShownWhole_DocumentsSentPlain_FoldersQuotedAndEscaped)
{
    auto* doc = add<Obj::PropertyDocument>(a, "Report");
    auto* dir = add<Obj::PropertyDirectory>(a, "Folder");
    auto* inc = add<Obj::PropertyDocIncluded>(a, "Mesh file");
    dir->set_value("/data/run 1");
    model.buildUp({{"Report", {doc}}, {"Folder", {dir}}, {"Mesh file", {inc}}});

    EXPECT_EQ(model.data(value("Report"), Qt::BackgroundRole).value<QColor>(), QColor(255, 255, 102));
    EXPECT_EQ(model.data(value("Report"), Qt::ToolTipRole).toString(), "");
    EXPECT_EQ(model.data(value("Folder"), Qt::DisplayRole).toString(), "/data/run 1");
    EXPECT_EQ(model.data(value("Folder"), Qt::ToolTipRole).toString(), "/data/run 1");
    EXPECT_FALSE(model.data(value("Folder"), Qt::BackgroundRole).isValid());

    const QString odd = QStringLiteral("/tmp/it's \"odd\", c:\\x");
    model.setData(value("Report"), QStringLiteral("/home/u/my report.txt"));
    model.setData(value("Folder"), odd);
    model.setData(value("Mesh file"), QStringLiteral("/m/a b.msh"));
    EXPECT_EQ(commands(), (std::vector<std::string>{
                              line41(a, "Report", "/home/u/my report.txt"),
                              line41(a, "Folder", "\"/tmp/it\\'s \\\"odd\\\"\\, c:\\\\x\""),
                              line41(a, "Mesh file", "\"/m/a b.msh\"")}));
    EXPECT_STREQ(doc->get_value(), "/home/u/my report.txt");
    EXPECT_EQ(QString::fromStdString(dir->get_value()), odd);
    EXPECT_EQ(inc->get_value(), "/m/a b.msh");
    EXPECT_EQ(model.data(value("Folder"), Qt::DisplayRole).toString(), odd);
    EXPECT_FALSE(model.data(value("Report"), Qt::BackgroundRole).isValid());
    doc->setInValid(true);
    EXPECT_EQ(model.data(value("Report"), Qt::BackgroundRole).value<QColor>(), QColor(Qt::red));
}

TEST_F(PathAndLinkRows, PathEditorsAreFileChoosersAndReadOnlyPathsSendNothing)
{
    auto* dir = add<Obj::PropertyDirectory>(a, "Folder");
    auto* doc = add<Obj::PropertyDocument>(a, "Report");
    doc->set_read_only(true);
    model.buildUp({{"Folder", {dir}}, {"Report", {doc}}});
    std::unique_ptr<QWidget> folder(itemOf(value("Folder"))->createEditor(nullptr, nullptr, nullptr));
    std::unique_ptr<QWidget> report(itemOf(value("Report"))->createEditor(nullptr, nullptr, nullptr));
    auto* chooser = static_cast<Gui::FileChooser*>(folder.get());
    EXPECT_EQ(chooser->mode(), Gui::FileChooser::Directory);
    EXPECT_EQ(static_cast<Gui::FileChooser*>(report.get())->mode(), Gui::FileChooser::File);
    EXPECT_FALSE(report->isEnabled());
    itemOf(value("Folder"))->setEditorData(chooser, QStringLiteral("/srv"));
    EXPECT_EQ(itemOf(value("Folder"))->editorData(chooser).toString(), "/srv");

    model.setData(value("Report"), QStringLiteral("/x"));
    EXPECT_TRUE(commands().empty());
}

TEST_F(PathAndLinkRows, LinkShowsTheLinkedLabelAndSendsTheChosenObject)
{
    auto* link = add<Obj::PropertyCouple>(a, "Target");
    b->set_label("Beam");
    c->set_label("Column");
    link->set_value(b);
    model.buildUp({{"Target", {link}}});
    const QModelIndex v = value("Target");
    EXPECT_EQ(model.data(v).toString(), "Beam");
    EXPECT_EQ(model.data(v, Qt::EditRole).toStringList(),
              (QStringList{"P", QString::fromStdString(id(b)), "Beam", QString::fromStdString(id(a))}));

    // What the link label hands over after "Edit...": the chosen object in entries 1 and 2.
    const QStringList chosen{"P", QString::fromStdString(id(c)), "Column", QString::fromStdString(id(a))};
    EXPECT_TRUE(model.setData(v, chosen));
    EXPECT_EQ(commands(), std::vector<std::string>{line41(a, "Target", "[P," + id(c) + ",]")});
    EXPECT_EQ(link->get_value(), c);
    EXPECT_EQ(model.data(v).toString(), "Column");

    // The linked object removed: no link, shown empty.
    project->remove_object(c->getObjectId());
    c = nullptr;
    EXPECT_EQ(model.data(v).toString(), "");
    EXPECT_EQ(model.data(v, Qt::EditRole).toStringList().value(1), "Null");
}

TEST_F(PathAndLinkRows, LinkLabelEditsThroughTheDialogAndSelectsTheLinkedObject)
{
    b->set_label("Beam <b>");
    const QStringList link{"P", QString::fromStdString(id(b)), "Beam <b>", QString::fromStdString(id(a))};
    LinkLabel label;
    label.setPropertyLink(link);
    EXPECT_TRUE(label.text().contains("Beam &lt;b&gt;"));
    EXPECT_TRUE(label.text().contains(QStringLiteral("href=\"P.%1\"").arg(link[1])));

    // Cancelling the dialog changes nothing.
    QSignalSpy changed(&label, &LinkLabel::linkChanged);
    {
        PelmoraTest::ModalCloser closer;
        label.onLinkActivated(QStringLiteral("@__edit_link_prop__@"));
        EXPECT_EQ(closer.count(), 1);
    }
    EXPECT_TRUE(changed.isEmpty());
    EXPECT_EQ(label.propertyLink(), link);

    // The dialog offers the other objects and hands back the chosen one.
    Gui::Dlg::DlgPropertyCouple dlg(link);
    ASSERT_EQ(dlg.objectList()->count(), 2);
    EXPECT_EQ(dlg.getPropertyLink(), link);
    dlg.objectList()->setCurrentRow(1);
    EXPECT_EQ(dlg.getPropertyLink(), (QStringList{"P", QString::fromStdString(id(c)), "C", link[3]}));

    // The object link selects exactly that object, a moment later.
    auto& selection = Gui::TreeSelectionSingleton::instance();
    selection.add_selection("P", c->getObjectId(), "");
    label.onLinkActivated(QStringLiteral("P.%1").arg(link[1]));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !selection.get_selection("P").empty()
                                             && selection.get_selection("P").front().object == b; }, PelmoraTest::HangGuardMs));
    EXPECT_EQ(selection.get_selection("P").size(), 1u);
    selection.clear_selection();
}

TEST_F(PathAndLinkRows, ListEntriesWithQuotesCommasAndBackslashesComeBackUnchanged)
{
    auto* names = add<Obj::PropertyStringList>(a, "Names");
    auto* numbers = add<Obj::PropertyDecimalList>(a, "Numbers");
    auto* counts = add<Obj::PropertyIntegerList>(a, "Counts");
    numbers->set_values({1, 2.5});
    counts->set_values({3, -4});
    model.buildUp({{"Names", {names}}, {"Numbers", {numbers}}, {"Counts", {counts}}});
    EXPECT_EQ(model.data(value("Numbers")).toString(), "[1,2.5]");
    EXPECT_EQ(model.data(value("Counts")).toString(), "[3,-4]");

    const QStringList entries{"it's", "a,b", "c\\d", "say \"hi\""};
    model.setData(value("Names"), entries);
    ASSERT_EQ(names->get_values().size(), 4u);
    EXPECT_EQ(model.data(value("Names"), Qt::EditRole).toStringList(), entries);
    model.setData(value("Counts"), QStringList{"7", "8"});
    EXPECT_EQ(counts->get_values(), (std::vector<long>{7, 8}));
    EXPECT_EQ(commands().back(), line41(a, "Counts", "[7,8,]"));
}

TEST_F(PathAndLinkRows, ARowEditorGoingAwayWhileItsDialogIsOpenChangesNothing)
{
    auto* link = add<Obj::PropertyCouple>(a, "Target");
    auto* names = add<Obj::PropertyStringList>(a, "Names");
    auto* colour = add<Obj::PropertyColor>(a, "Colour");
    auto* folder = add<Obj::PropertyDirectory>(a, "Folder");
    link->set_value(b);
    model.buildUp({{"Target", {link}}, {"Names", {names}}, {"Colour", {colour}}, {"Folder", {folder}}});
    // How each editor opens its dialog.
    const std::vector<std::pair<const char*, std::function<void(QWidget*)>>> rows{
        {"Target", [](QWidget* e) { static_cast<LinkLabel*>(e)->onLinkActivated("@__edit_link_prop__@"); }},
        {"Names", [](QWidget* e) { e->findChild<QPushButton*>()->click(); }},
        {"Colour", [](QWidget* e) { static_cast<QPushButton*>(e)->click(); }},
        {"Folder", [](QWidget* e) { e->findChild<QPushButton*>()->click(); }}};
    QWidget sink;   // the window the editors live in
    for (const auto& row : rows) {
        const QModelIndex v = value(row.first);
        QPointer<QWidget> editor = itemOf(v)->createEditor(&sink, &sink, SLOT(update()));
        itemOf(v)->setEditorData(editor, model.data(v, Qt::EditRole));
        // The dock rebuilds while the dialog is open, and the editor goes with the old rows.
        QTimer::singleShot(0, [&] {
            EXPECT_NE(QApplication::activeModalWidget(), nullptr) << row.first;
            delete editor.data();
        });
        PelmoraTest::ModalCloser closer;   // answers a dialog that outlives its editor
        row.second(editor);
        EXPECT_TRUE(editor.isNull()) << row.first;
    }
    EXPECT_TRUE(commands().empty());
}

TEST_F(PathAndLinkRows, LinkDialogNeedsAChoiceAndCanWidenToAllObjectTypes)
{
    Obj::ProjectObject* group = project->add_object("Obj::ProjectObjectGroup", "Group");
    ASSERT_NE(group, nullptr);
    const QStringList link{"P", QString::fromStdString(id(b)), "B", QString::fromStdString(id(a))};
    Gui::Dlg::DlgPropertyCouple dlg(link);
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Link"));
    auto* all = dlg.findChild<QCheckBox*>(QStringLiteral("checkObjectType"));
    ASSERT_NE(all, nullptr);
    EXPECT_EQ(all->text(), QStringLiteral("Show all object types"));
    EXPECT_EQ(dlg.objectList()->count(), 2) << "objects of the linked object's type, not the owner";
    all->setChecked(true);
    EXPECT_EQ(dlg.objectList()->count(), 3) << "the group too";
    all->setChecked(false);
    EXPECT_EQ(dlg.objectList()->count(), 2);

    // OK without a choice warns and keeps the dialog open.
    dlg.objectList()->clearSelection();
    dlg.show();
    {
        PelmoraTest::ModalCloser closer;
        dlg.accept();
        EXPECT_EQ(closer.titles(), QStringList{QStringLiteral("No selection")});
        EXPECT_EQ(closer.texts(), QStringList{QStringLiteral("Please select an object from the list")});
    }
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(dlg.getPropertyLink(), link);
    dlg.objectList()->item(1)->setSelected(true);
    dlg.accept();
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.getPropertyLink().value(2), dlg.objectList()->item(1)->text());
}
