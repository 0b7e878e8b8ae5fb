// Boundary-condition rows: their texts and editors by load type, the context menu that
// switches the type, the table panel's changes, the input dialog and the min/max dialog.

#include "PropertyEditorTestSupport.h"

#include <core/MetaTypes.h>
#include <dialogs/DlgInputBCImp.h>
#include <dialogs/dlgMinMaxImp.h>
#include <mainwindow/DockingWindowMediator.h>
#include <propertyeditor/BaseBCEditor.h>
#include <propertyeditor/PropertyBCQuantityItem.h>
#include <propertyeditor/PropertyModel.h>
#include <propertyeditor/QuantitySpinBox.h>
#include <selection/TreeSelectionSingleton.h>
#include <support/ModalCloser.h>

#include <obj/CDocObjProp.h>
#include <obj/PropertyQuantity.h>
#include <pmgph/qPelmoraTableModel.h>

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <cmath>
#include <functional>

using namespace Gui::PropertyOperator;
using PropertyEditorTest::Fixture;
using PropertyEditorTest::field;

namespace {

struct MenuSeen
{
    QStringList entries;   // "-" for a separator, "[x] " before a checked entry
};

// Answers the next context menu with the entry `choose` (none: closes it).
void chooseFromNextMenu(const QString& choose, MenuSeen& seen)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, choose, &seen]() {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return;
        timer->stop();
        timer->deleteLater();
        QAction* chosen = nullptr;
        for (QAction* a : menu->actions()) {
            seen.entries << (a->isSeparator() ? QStringLiteral("-")
                                              : (a->isChecked() ? QStringLiteral("[x] ") : QString()) + a->text());
            if (a->text() == choose)
                chosen = a;
        }
        if (!chosen) {
            menu->close();
            return;
        }
        menu->setActiveAction(chosen);
        QTest::keyClick(menu, Qt::Key_Return);
    });
    timer->start();
}

class BCRows : public Fixture
{
protected:
    BCRows()
    {
        Gui::registerMetaTypes();
        QLocale::setDefault(QLocale::c());
        project->signal_change_object.connect(
            [this](const Obj::ProjectObject&, const Obj::Property& p) { model.updateProperty(p); });
        notices = Gui::TreeSelectionSingleton::instance().property_signal.connect(
            [this](const Obj::CDocObjProp& r) { announced.push_back(r.object_id); });
    }
    ~BCRows() override { notices.disconnect(); }

    Obj::PropertyBCQuantity* addBC(Obj::ProjectObject* owner, const char* name, pmUnit::pmQuantity kind)
    {
        auto* p = add<Obj::PropertyBCQuantity>(owner, name);
        p->setQuantityKind(kind, pmUnit::Newton);
        return p;
    }
    QModelIndex value(int r) { return model.index(r, 1); }
    QString text(const QModelIndex& i) { return model.data(i, Qt::DisplayRole).toString(); }
    static PropertyItem* item(const QModelIndex& i) { return static_cast<PropertyItem*>(i.internalPointer()); }
    std::unique_ptr<QWidget> openEditor(const QModelIndex& i)
    {
        std::unique_ptr<QWidget> editor(item(i)->createEditor(nullptr, nullptr, nullptr));
        if (editor)
            item(i)->setEditorData(editor.get(), model.data(i, Qt::EditRole));
        return editor;
    }

    PropertyModel model;
    std::vector<unsigned int> announced;
    boost::signals2::connection notices;
};

} // namespace

TEST_F(BCRows, EachLoadTypeHasItsTextColourAndEditor)
{
    auto* force = addBC(a, "Magnitude", pmUnit::Force);
    force->set_value(std::ldexp(1.0, -100));
    model.buildUp({{"Magnitude", {force}}});
    EXPECT_EQ("", text(value(1)));
    EXPECT_EQ(QColor(255, 255, 102), model.data(value(1), Qt::BackgroundRole).value<QColor>());
    {
        auto editor = openEditor(value(1));
        auto* context = qobject_cast<ContextBCEditor*>(editor.get());
        ASSERT_TRUE(context);
        EXPECT_EQ("", field(context->spinBox())->text());
    }

    force->set_value(12.5);
    EXPECT_EQ("12.5 N", text(value(1)));
    force->setLoadValueType(Obj::LoadTabular);
    EXPECT_EQ("Tabular Data", text(value(1)));
    EXPECT_FALSE(model.data(value(1), Qt::DecorationRole).value<QIcon>().isNull());
    {
        auto editor = openEditor(value(1));
        auto* label = qobject_cast<LabelBCEditor*>(editor.get());
        ASSERT_TRUE(label);
        EXPECT_EQ("Tabular Data", label->getText());
    }
    force->setLoadValueType(Obj::LoadFree);
    EXPECT_EQ("Free", text(value(1)));
    force->setLoadValueType(Obj::LoadFunction);
    EXPECT_EQ(nullptr, openEditor(value(1)));
    // Rows with texts instead of numbers write nothing.
    clearJournal();
    model.setData(value(1), QStringLiteral("Free"));
    EXPECT_TRUE(commands().empty());
}

TEST_F(BCRows, ContextMenuSwitchesTheLoadTypeAndAnnouncesOnlyRealChanges)
{
    auto* force = addBC(a, "Magnitude", pmUnit::Force);
    auto* shift = addBC(a, "Shift", pmUnit::DisplacementX);
    model.buildUp({{"Magnitude", {force}}, {"Shift", {shift}}});
    auto editor = openEditor(value(1));
    auto* context = qobject_cast<ContextBCEditor*>(editor.get());
    ASSERT_TRUE(context);

    MenuSeen seen;
    chooseFromNextMenu("Export", seen);
    context->contextButton()->click();
    EXPECT_EQ(seen.entries, QStringList({"Import", "Export", "-", "[x] Constant", "Tabular"}));
    chooseFromNextMenu("Import", seen);
    context->contextButton()->click();
    EXPECT_TRUE(announced.empty());
    EXPECT_EQ(Obj::LoadConstant, force->getLoadValueType());

    chooseFromNextMenu("Tabular", seen);
    context->contextButton()->click();
    EXPECT_EQ(Obj::LoadTabular, force->getLoadValueType());
    EXPECT_EQ(announced, std::vector<unsigned int>{a->getObjectId()});
    EXPECT_EQ("Tabular Data", text(value(1)));

    // A displacement can also be left free; with type 3 nothing is checked.
    shift->setLoadValueType_NoEvent(Obj::LoadFunction);
    auto other = openEditor(value(2));
    ASSERT_FALSE(other);
    shift->setLoadValueType_NoEvent(Obj::LoadConstant);
    other = openEditor(value(2));
    shift->setLoadValueType_NoEvent(Obj::LoadFunction);
    seen.entries.clear();
    chooseFromNextMenu("Free", seen);
    static_cast<BaseBCEditor*>(other.get())->contextButton()->click();
    EXPECT_EQ(seen.entries, QStringList({"Import", "Export", "-", "Constant", "Tabular", "Free"}));
    EXPECT_EQ(Obj::LoadFree, shift->getLoadValueType());
    EXPECT_EQ("Free", text(value(2)));
    EXPECT_TRUE(commands().empty());   // the menu changes the property itself

    // An editor without a boundary-condition property has no menu.
    ContextBCEditor lone;
    lone.contextButton()->click();
    EXPECT_EQ(nullptr, QApplication::activePopupWidget());
}

TEST_F(BCRows, TypedConstantsAreWrittenInThePropertysUnitAndLimitedRowsUseTheirLimits)
{
    auto* force = addBC(a, "Magnitude", pmUnit::Force);
    auto* limit = add<Obj::PropertyBCQuantityConstraint>(a, "Limit");
    limit->setQuantityKind(pmUnit::Pressure, pmUnit::Pascal);
    limit->setConstraints(0, 1e6, 10);
    model.buildUp({{"Magnitude", {force}}, {"Limit", {limit}}});
    {
        auto editor = openEditor(value(1));
        auto* context = qobject_cast<ContextBCEditor*>(editor.get());
        field(context->spinBox())->setText("1.5 kN");
        model.setData(value(1), item(value(1))->editorData(editor.get()));
    }
    {
        auto editor = openEditor(value(2));
        auto* context = qobject_cast<ContextBCEditor*>(editor.get());
        ASSERT_TRUE(context);
        EXPECT_EQ(1e6, context->spinBox()->maximum());
        EXPECT_EQ(10.0, context->spinBox()->singleStep());
        field(context->spinBox())->setText("2 GPa");   // beyond the limit
        EXPECT_FALSE(context->spinBox()->hasValidInput());
    }
    EXPECT_EQ(commands(), std::vector<std::string>{line41(a, "Magnitude", "1.5 kN")});
    EXPECT_EQ("1500 N", text(value(1)));
}

TEST_F(BCRows, ATableChangeReachesOnlyItsOwnObject)
{
    QWidget dock;
    auto* table = new pmGph::qPelmoraTableModel(&dock);
    ASSERT_TRUE(Gui::DockingWindowMediator::instance()->register_docking_window("Std_TableView", &dock));
    auto* fa = addBC(a, "Magnitude", pmUnit::Force);
    auto* fb = addBC(b, "Magnitude", pmUnit::Force);
    fa->set_value(1);
    fb->set_value(2);
    PropertyModel modelA;
    PropertyModel modelB;
    modelA.buildUp({{"Magnitude", {fa}}});
    modelB.buildUp({{"Magnitude", {fb}}});

    Q_EMIT table->changeTreeObjPropAspect(b->getObjectId(), pmUnit::Force, pmGph::ValueAspect, pmGph::Constant, 9);
    EXPECT_EQ(1.0, fa->get_value());
    EXPECT_EQ(9.0, fb->get_value());
    Q_EMIT table->changeTreeObjPropAspect(a->getObjectId(), pmUnit::Force, pmGph::LoadTypeAspect, pmGph::Tabular, 0);
    EXPECT_EQ(Obj::LoadTabular, fa->getLoadValueType());
    EXPECT_EQ(Obj::LoadConstant, fb->getLoadValueType());
    // Another kind, another aspect, or a number for a tabular value: nothing.
    Q_EMIT table->changeTreeObjPropAspect(b->getObjectId(), pmUnit::Pressure, pmGph::ValueAspect, pmGph::Constant, 5);
    Q_EMIT table->changeTreeObjPropAspect(a->getObjectId(), pmUnit::Force, pmGph::ValueAspect, pmGph::Constant, 5);
    EXPECT_EQ(9.0, fb->get_value());
    EXPECT_EQ(1.0, fa->get_value());
    EXPECT_EQ(announced, (std::vector<unsigned int>{b->getObjectId(), a->getObjectId()}));
    EXPECT_TRUE(commands().empty());
    Gui::DockingWindowMediator::destruct();
}

TEST_F(BCRows, InputRowShowsFreeComponentsAndItsDialogRefusesTypos)
{
    auto* input = add<Obj::PropertyInputBC>(a, "Displacement");
    input->setQuantityKind(pmUnit::Force, pmUnit::Newton);
    const bool given[3] = {true, false, true};
    const double values[3] = {5, 0, -1.5};
    input->setBCValues(given, values);
    model.buildUp({{"Displacement", {input}}});
    EXPECT_EQ("[5, Free, -1.5] N", text(value(1)));
    auto editor = openEditor(value(1));
    auto* inputEditor = qobject_cast<InputBCEditor*>(editor.get());
    ASSERT_TRUE(inputEditor);
    EXPECT_EQ("[5, Free, -1.5]", inputEditor->get_text());
    EXPECT_EQ(input, inputEditor->getProperty());
    model.setData(value(1), item(value(1))->editorData(editor.get()));
    item(value(1))->setData(model.data(value(1), Qt::EditRole));
    EXPECT_EQ(commands(), std::vector<std::string>{line41(a, "Displacement", "(5, Free, -1.5)")});

    Gui::Dlg::DlgInputBCImp dialog;
    dialog.setPropertyInputBC(input);
    EXPECT_EQ("X", dialog.nameLabel(0)->text());
    EXPECT_EQ("N", dialog.unitLabel(2)->text());
    EXPECT_FALSE(dialog.checkBox(1)->isChecked());
    EXPECT_EQ("-1.5", dialog.lineEdit(2)->text());
    dialog.lineEdit(0)->setText("7,5x");
    {
        PelmoraTest::ModalCloser closer;
        dialog.accept();
        EXPECT_EQ(1, closer.count());
    }
    EXPECT_NE(QDialog::Accepted, dialog.result());
    bool nowGiven[3];
    double nowValues[3];
    input->getBCValues(nowGiven, nowValues);
    EXPECT_EQ(5.0, nowValues[0]);
    // An unchecked row's text does not matter; a checked one is taken.
    dialog.lineEdit(0)->setText("7.5");
    dialog.lineEdit(1)->setText("??");
    dialog.checkBox(2)->setChecked(false);
    dialog.accept();
    EXPECT_EQ(QDialog::Accepted, dialog.result());
    input->getBCValues(nowGiven, nowValues);
    EXPECT_EQ(7.5, nowValues[0]);
    EXPECT_FALSE(nowGiven[1]);
    EXPECT_FALSE(nowGiven[2]);
    EXPECT_EQ(-1.5, nowValues[2]);

    // Without a property the dialog just closes.
    Gui::Dlg::DlgInputBCImp unbound;
    unbound.accept();
    EXPECT_EQ(QDialog::Accepted, unbound.result());
    // The logic refuses two values instead of widening them to three.
    EXPECT_FALSE(input->set_value_text("(1, 2)"));
    EXPECT_FALSE(input->set_value_text("(1, x, 2)"));
    EXPECT_TRUE(input->set_value_text("(1, Free, 2 mm)") == false);   // a force is not a length
}

TEST(MinMaxDialog, TakesTwoNumbersOnlyWhenTheMinimumIsSmaller)
{
    QLocale::setDefault(QLocale::c());
    double low = 0;
    double high = 1;
    dlgMinMaxImp dialog(&low, &high);
    QPushButton* ok = dialog.buttonBox()->button(QDialogButtonBox::Ok);
    dialog.minimumEdit()->setText("5");
    dialog.maximumEdit()->setText("5");
    ok->click();
    EXPECT_NE(QDialog::Accepted, dialog.result());
    EXPECT_TRUE(dialog.minimumEdit()->styleSheet().contains("255, 0, 0"));
    EXPECT_TRUE(dialog.maximumEdit()->styleSheet().contains("255, 0, 0"));
    dialog.minimumEdit()->setText("abc");
    ok->click();
    EXPECT_EQ(0.0, low);
    dialog.minimumEdit()->setText("4.9");
    ok->click();
    EXPECT_EQ(QDialog::Accepted, dialog.result());
    EXPECT_EQ(4.9, low);
    EXPECT_EQ(5.0, high);
}

TEST_F(BCRows, VectorRowsWriteEveryComponentSetAndTheirChildrenOfferNoEditor)
{
    auto* v = add<Obj::PropertyBCQuantityVector>(a, "Components");
    v->setQuantityKind(pmUnit::Force, pmUnit::Newton);
    v->set_value(0.1, 0, 1e-7);
    model.buildUp({{"Components", {v}}});
    const QModelIndex vec = model.index(1, 0);
    EXPECT_EQ("[0.1, 0, 1e-07] N", text(value(1)));
    EXPECT_EQ("0.1 N", text(model.index(0, 1, vec)));
    EXPECT_EQ(nullptr, openEditor(model.index(0, 1, vec)));
    // The component's own number again: written all the same.
    ASSERT_TRUE(item(vec)->setProperty("y", QVariant::fromValue(pmUnit::Quantity(0, pmUnit::Force, pmUnit::Newton))));
    EXPECT_EQ(commands(), std::vector<std::string>{line41(a, "Components", "(0.1 N, 0 N, 1e-07 N)")});
}

TEST_F(BCRows, InputDialogOpenedFromTheRowWritesTheValuesAndTheRowFollows)
{
    auto* input = add<Obj::PropertyInputBC>(a, "Displacement");
    input->setQuantityKind(pmUnit::Length, pmUnit::Millimeter);
    ASSERT_TRUE(input->set_value_text("(0.30000000000000004 mm, 1 mm, 4 mm)"));
    model.buildUp({{"Displacement", {input}}});
    auto editor = openEditor(value(1));
    auto* inputEditor = qobject_cast<InputBCEditor*>(editor.get());
    ASSERT_TRUE(inputEditor);
    QString title;
    QTimer::singleShot(50, [&title]() {
        auto* dialog = qobject_cast<Gui::Dlg::DlgInputBCImp*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        title = dialog->windowTitle();
        dialog->checkBox(1)->setChecked(false);
        dialog->lineEdit(2)->setText("2.5");
        dialog->buttonBox()->button(QDialogButtonBox::Ok)->click();
    });
    inputEditor->browseButton()->click();
    EXPECT_EQ("Boundary Condition Values", title);
    EXPECT_EQ("[0.3, Free, 2.5] mm", text(value(1)));
    // The component left alone keeps the amount it was given as.
    EXPECT_EQ("(0.30000000000000004 mm, Free, 2.5 mm)", Obj::valueTextWithUnits(*input));
    // And the unit it was given in, where the dialog sets another component.
    ASSERT_TRUE(input->set_value_text("(3 ft, Free, 2.5 mm)"));
    bool on[3];
    double numbers[3];
    input->getBCValues(on, numbers);
    numbers[2] = 7;
    input->setBCValues(on, numbers);
    EXPECT_EQ("(3 ft, Free, 7 mm)", Obj::valueTextWithUnits(*input));
    EXPECT_TRUE(commands().empty());   // the dialog changes the property itself

    // Without a property the button opens nothing.
    InputBCEditor lone;
    lone.browseButton()->click();
    EXPECT_EQ(nullptr, QApplication::activeModalWidget());
}

TEST(ContextBCEditorTest, TextsSetTheNumberQuietly)
{
    static QStringList messages;
    messages.clear();
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext&, const QString& m) { messages << m; });
    Gui::PropertyOperator::ContextBCEditor editor;
    editor.setText(QStringLiteral("12.5"));
    const double shown = editor.value().getValue();
    editor.setText(QStringLiteral("twelve"));
    qInstallMessageHandler(previous);
    EXPECT_EQ(12.5, shown);
    EXPECT_EQ(0.0, editor.value().getValue());
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
}
