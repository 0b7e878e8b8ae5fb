// Values with units: the spin box that reads them (also under a decimal-comma locale),
// the quantity, vector, flag and placement rows, and the exact texts they send.

#include "PropertyEditorTestSupport.h"

#include <core/MetaTypes.h>
#include <propertyeditor/PropertyModel.h>
#include <propertyeditor/PropertyQuantityItem.h>
#include <propertyeditor/QuantitySpinBox.h>

#include <obj/PropertyQuantity.h>
#include <obj/PropertyRange.h>
#include <vexil/PreferenceManager.h>

#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include <cmath>

using namespace Gui::PropertyOperator;
using PropertyEditorTest::DecimalCommaLocale;
using PropertyEditorTest::Fixture;
using PropertyEditorTest::field;
using Gui::QuantitySpinBox;

namespace {

pmUnit::Quantity mm(double v)
{
    return pmUnit::Quantity(v, pmUnit::Length, pmUnit::Millimeter);
}

QValidator::State check(const QuantitySpinBox& box, QString text, QString* fixed = nullptr, int* cursor = nullptr)
{
    int pos = 0;
    const QValidator::State s = box.validate(text, pos);
    if (fixed)
        *fixed = text;
    if (cursor)
        *cursor = pos;
    return s;
}

class QuantityRows : public Fixture
{
protected:
    QuantityRows()
    {
        Gui::registerMetaTypes();
        QLocale::setDefault(QLocale::c());
        project->signal_change_object.connect(
            [this](const Obj::ProjectObject&, const Obj::Property& p) { model.updateProperty(p); });
    }
    template <class T>
    T* addQuantity(const char* name, pmUnit::pmQuantity kind, pmUnit::UnitType unit)
    {
        T* p = add<T>(a, name);
        p->setQuantityKind(kind, unit);
        return p;
    }
    QModelIndex row(const char* name, const QModelIndex& parent = {})
    {
        for (int r = 0; r < model.rowCount(parent); ++r) {
            const QModelIndex i = model.index(r, 0, parent);
            if (model.data(i).toString() == QLatin1String(name))
                return i;
        }
        ADD_FAILURE() << "no row " << name;
        return {};
    }
    QModelIndex value(const char* name, const QModelIndex& parent = {}) { return row(name, parent).siblingAtColumn(1); }
    QString text(const QModelIndex& i) { return model.data(i, Qt::DisplayRole).toString(); }
    static PropertyItem* item(const QModelIndex& i) { return static_cast<PropertyItem*>(i.internalPointer()); }
    // Opens the row's editor as the delegate does, lets `edit` change it, commits.
    template <class Editor, class Edit>
    void editWith(const QModelIndex& i, Edit edit)
    {
        std::unique_ptr<QWidget> editor(item(i)->createEditor(nullptr, nullptr, nullptr));
        ASSERT_TRUE(editor);
        item(i)->setEditorData(editor.get(), model.data(i, Qt::EditRole));
        edit(static_cast<Editor*>(editor.get()));
        model.setData(i, item(i)->editorData(editor.get()));
    }

    PropertyModel model;
};

} // namespace

TEST(QuantitySpinBoxTest, ValidatorStepsForPartialInput)
{
    QLocale::setDefault(QLocale::c());
    QuantitySpinBox box;
    QString fixed;
    int cursor = 0;
    EXPECT_EQ(QValidator::Intermediate, check(box, ""));
    EXPECT_EQ(QValidator::Intermediate, check(box, ".", &fixed, &cursor));
    EXPECT_EQ("0.", fixed);
    EXPECT_EQ(1, cursor);
    EXPECT_EQ(QValidator::Intermediate, check(box, "-.", &fixed));
    EXPECT_EQ("-0.", fixed);
    // No key is turned away: a text that cannot be taken stays, refused at Enter.
    EXPECT_EQ(QValidator::Intermediate, check(box, "+"));
    EXPECT_EQ(QValidator::Intermediate, check(box, ",5"));
    EXPECT_EQ(QValidator::Intermediate, check(box, "1.2.3"));
    EXPECT_EQ(QValidator::Intermediate, check(box, "12."));
    EXPECT_EQ(QValidator::Acceptable, check(box, "12.5"));
    EXPECT_EQ(QValidator::Intermediate, check(box, "12.5 fur"));

    box.setRange(1, 10);
    EXPECT_EQ(QValidator::Intermediate, check(box, "-"));
    EXPECT_EQ(QValidator::Intermediate, check(box, "11"));
    EXPECT_EQ(QValidator::Intermediate, check(box, "0"));   // may still become 0.5 ... or 05
    box.setRange(3, 3);
    EXPECT_EQ(QValidator::Intermediate, check(box, ""));

    box.setSingleStep(-1);
    EXPECT_EQ(1.0, box.singleStep());
    box.setSingleStep(0);
    EXPECT_EQ(0.0, box.singleStep());
}

TEST(QuantitySpinBoxTest, TypedUnitsAreConvertedAndTyposKeepTheLastValue)
{
    QLocale::setDefault(QLocale::c());
    QuantitySpinBox box;
    box.setValue(mm(1));
    QSignalSpy changed(&box, SIGNAL(valueChanged(double)));

    field(&box)->setText("12.5 mm");
    EXPECT_TRUE(box.hasValidInput());
    EXPECT_DOUBLE_EQ(12.5, box.rawValue());
    field(&box)->setText("1.5 cm");
    EXPECT_DOUBLE_EQ(15.0, box.rawValue());
    EXPECT_EQ(pmUnit::Millimeter, box.value().getUnitType());
    field(&box)->setText("2 N");   // another kind: not taken
    EXPECT_FALSE(box.hasValidInput());
    EXPECT_DOUBLE_EQ(15.0, box.rawValue());
    field(&box)->setText("3 m");
    EXPECT_DOUBLE_EQ(3000.0, box.rawValue());
    ASSERT_EQ(3, changed.count());
    EXPECT_DOUBLE_EQ(3000.0, changed.last().first().toDouble());

    // Leaving the field with a typo puts the last good text back.
    field(&box)->setText("3 m?");
    QFocusEvent out(QEvent::FocusOut);
    QCoreApplication::sendEvent(&box, &out);
    EXPECT_EQ("3 m", field(&box)->text());
}

TEST(QuantitySpinBoxTest, ShowsWhatItStoresAndStepsFromIt)
{
    QLocale::setDefault(QLocale::c());
    QuantitySpinBox box;
    box.setRange(0, 100);
    box.setValue(mm(250));
    EXPECT_DOUBLE_EQ(100.0, box.rawValue());
    EXPECT_EQ("100 mm", field(&box)->text());
    box.setSingleStep(2.5);
    box.stepBy(-2);
    EXPECT_EQ("95 mm", field(&box)->text());
    EXPECT_DOUBLE_EQ(95.0, box.rawValue());
    box.stepBy(10);
    EXPECT_DOUBLE_EQ(100.0, box.rawValue());

    box.setValue(mm(std::ldexp(1.0, -100)));
    EXPECT_EQ("", field(&box)->text());
    // A whole number of thousands carries no group separator, also where the locale has one.
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QuantitySpinBox english;
    EXPECT_EQ("12345.5 mm", english.textFromValue(mm(12345.5)));
    QLocale::setDefault(QLocale::c());
}

TEST(QuantitySpinBoxTest, DecimalCommaLocaleShowsAndReadsTheSameNumber)
{
    DecimalCommaLocale german;
    QuantitySpinBox box;
    box.setValue(mm(12.5));
    EXPECT_EQ("12,5 mm", field(&box)->text());
    EXPECT_DOUBLE_EQ(12.5, box.rawValue());
    // Typed: with a comma and with groups; a point that groups nothing may be a decimal
    // point of another habit, and is refused, never read as another number.
    field(&box)->clear();
    QTest::keyClicks(&box, "7,25 mm");
    EXPECT_DOUBLE_EQ(7.25, box.rawValue());
    field(&box)->setText("12.5 mm");
    EXPECT_FALSE(box.hasValidInput());
    EXPECT_DOUBLE_EQ(7.25, box.rawValue());
    field(&box)->setText("1.234,5");
    EXPECT_DOUBLE_EQ(1234.5, box.rawValue());
    box.stepBy(1);
    EXPECT_EQ("1235,5 mm", field(&box)->text());
    EXPECT_EQ("1234,5 mm", box.textFromValue(mm(1234.5)));
}

TEST_F(QuantityRows, QuantityRowShowsItsUnitAndWritesTheBareNumberInItsUnit)
{
    auto* q = addQuantity<Obj::PropertyQuantity>("Thickness", pmUnit::Length, pmUnit::Millimeter);
    q->set_value(1234.5);
    model.buildUp({{"Thickness", {q}}});
    EXPECT_EQ("1234.5 mm", text(value("Thickness")));

    editWith<QuantitySpinBox>(value("Thickness"), [](QuantitySpinBox* box) {
        EXPECT_EQ("1234.5 mm", field(box)->text());
        field(box)->setText("12.5 mm");
    });
    // A unit typed goes to the logic as typed, which keeps the amount as given and
    // converts it into the property's own.
    editWith<QuantitySpinBox>(value("Thickness"), [](QuantitySpinBox* box) { field(box)->setText("2.5 cm"); });
    EXPECT_EQ(commands(), (std::vector<std::string>{line41(a, "Thickness", "12.5"), line41(a, "Thickness", "2.5 cm")}));
    EXPECT_EQ("25 mm", text(value("Thickness")));

    // Writing the value the row holds sends nothing.
    clearJournal();
    model.setData(value("Thickness"), QVariant::fromValue(mm(25)));
    EXPECT_TRUE(commands().empty());

    q->set_value(std::ldexp(1.0, -100));
    EXPECT_EQ("", text(value("Thickness")));
    EXPECT_EQ(QColor(255, 255, 102), model.data(value("Thickness"), Qt::BackgroundRole).value<QColor>());
}

TEST_F(QuantityRows, TypedTwelveAndAHalfMillimetresAreKeptUnderADecimalCommaLocale)
{
    DecimalCommaLocale german;
    auto* q = addQuantity<Obj::PropertyQuantity>("Thickness", pmUnit::Length, pmUnit::Millimeter);
    q->set_value(3);
    model.buildUp({{"Thickness", {q}}});
    editWith<QuantitySpinBox>(value("Thickness"), [](QuantitySpinBox* box) { field(box)->setText("12,5 mm"); });
    EXPECT_EQ(commands(), (std::vector<std::string>{line41(a, "Thickness", "12.5")}));
    EXPECT_DOUBLE_EQ(12.5, q->get_value());
    EXPECT_EQ("12,5 mm", text(value("Thickness")));
    // Opening the editor again shows the same text, and leaving it writes nothing.
    clearJournal();
    editWith<QuantitySpinBox>(value("Thickness"), [](QuantitySpinBox* box) { EXPECT_EQ("12,5 mm", field(box)->text()); });
    EXPECT_TRUE(commands().empty());
}

TEST_F(QuantityRows, LimitedRowsHoldTheirEditorsToTheirRanges)
{
    auto* limited = addQuantity<Obj::PropertyQuantityConstraint>("Scale", pmUnit::Dimensionless, pmUnit::NoUnit);
    limited->setConstraints(0, 10, 0.5);
    auto* open = addQuantity<Obj::PropertyQuantityConstraint>("Open", pmUnit::Dimensionless, pmUnit::NoUnit);
    auto* steps = add<Obj::PropertyIntegerRange>(a, "Steps");
    steps->set_ranges(1, 100, 5);
    steps->set_value(5);
    auto* damping = add<Obj::PropertyDecimalRange>(a, "Damping");
    damping->set_ranges(0, 1, 0.05);
    model.buildUp({{"Scale", {limited}}, {"Open", {open}}, {"Steps", {steps}}, {"Damping", {damping}}});

    editWith<QuantitySpinBox>(value("Scale"), [](QuantitySpinBox* box) {
        EXPECT_EQ(0.0, box->minimum());
        EXPECT_EQ(10.0, box->maximum());
        EXPECT_EQ(0.5, box->singleStep());
        field(box)->setText("12");   // beyond the limit: not taken
        EXPECT_FALSE(box->hasValidInput());
    });
    editWith<QuantitySpinBox>(value("Open"), [](QuantitySpinBox* box) {
        EXPECT_EQ(-2147483648.0, box->minimum());
        EXPECT_EQ(2147483647.0, box->maximum());
    });
    editWith<QSpinBox>(value("Steps"), [](QSpinBox* box) {
        EXPECT_EQ(1, box->minimum());
        EXPECT_EQ(100, box->maximum());
        EXPECT_EQ(5, box->singleStep());
    });
    editWith<QDoubleSpinBox>(value("Damping"), [](QDoubleSpinBox* box) {
        EXPECT_EQ(1.0, box->maximum());
        EXPECT_EQ(0.05, box->singleStep());
    });
    EXPECT_TRUE(commands().empty());
}

TEST_F(QuantityRows, QuantityVectorShowsItsUnitAndWritesOnlyChangedComponents)
{
    auto* v = addQuantity<Obj::PropertyQuantityVector>("Offset", pmUnit::Length, pmUnit::Millimeter);
    v->set_value(1, 2.5, 0);
    model.buildUp({{"Offset", {v}}});
    const QModelIndex vec = row("Offset");
    EXPECT_EQ("[1, 2.5, 0] mm", text(value("Offset")));
    ASSERT_EQ(3, model.rowCount(vec));
    EXPECT_EQ("2.5 mm", text(value("y", vec)));

    model.setData(value("x", vec), QVariant::fromValue(mm(1)));   // its current value
    EXPECT_TRUE(commands().empty());
    editWith<QuantitySpinBox>(value("z", vec), [](QuantitySpinBox* box) { field(box)->setText("0.1 cm"); });
    // Each component with its unit: the one typed as typed, the others as they were given.
    EXPECT_EQ(commands(), (std::vector<std::string>{line41(a, "Offset", "(1 mm, 2.5 mm, 0.1 cm)")}));
    EXPECT_EQ("[1, 2.5, 1] mm", text(value("Offset")));
}

TEST_F(QuantityRows, FlagRangeAnd3DVectorsWriteTheirComponentEdits)
{
    auto* flags = add<Obj::PropertyVectorBool>(a, "Active");
    flags->set_value({true, false, true});
    auto* range = add<Obj::PropertyVectorRange>(a, "Weights");
    range->set_value(Vexil::Vector3d(1, 2, 3));
    range->set_ranges(0, 5, 0.25);
    auto* dir = addQuantity<Obj::PropertyVector3D>("Direction", pmUnit::Length, pmUnit::Meter);
    dir->set_value(0.1, 0, 1e-7);
    model.buildUp({{"Active", {flags}}, {"Weights", {range}}, {"Direction", {dir}}});

    EXPECT_EQ("[True, False, True]", text(value("Active")));
    EXPECT_EQ("False", text(value("y", row("Active"))));
    // Setting a flag to what it is still writes the whole vector.
    ASSERT_TRUE(item(row("Active"))->setProperty("y", QStringLiteral("False")));
    model.setData(value("z", row("Active")), QStringLiteral("False"));

    EXPECT_EQ("[1.00 2.00 3.00]", text(value("Weights")));
    editWith<QDoubleSpinBox>(value("y", row("Weights")), [](QDoubleSpinBox* box) {
        EXPECT_EQ(5.0, box->maximum());
        box->setValue(4.5);
    });

    EXPECT_EQ("[0.1, 0, 1e-07] m", text(value("Direction")));
    model.setData(value("z", row("Direction")), QVariant::fromValue(pmUnit::Quantity(2, pmUnit::Length, pmUnit::Meter)));

    EXPECT_EQ(commands(), (std::vector<std::string>{line41(a, "Active", "[True, False, True]"),
                                                    line41(a, "Active", "[True, False, False]"),
                                                    line41(a, "Weights", "(1.00, 4.50, 3.00)"),
                                                    line41(a, "Direction", "(0.1 m, 0 m, 2 m)")}));
    EXPECT_EQ(Vexil::Vector3d(0.1, 0, 2), dir->get_value());
    EXPECT_FALSE(flags->get_value().z);

    // A value of another type writes nothing.
    clearJournal();
    item(row("Active"))->setData(QStringLiteral("[True]"));
    item(row("Weights"))->setData(QStringLiteral("(1, 2)"));
    EXPECT_TRUE(commands().empty());
}

TEST_F(QuantityRows, PlacementOriginEditsWriteThePositionWithoutLosingDigits)
{
    auto* place = add<Obj::PropertySpaceLocation>(a, "Spatial Parameters");
    place->set_value(Vexil::SpaceLocation(Vexil::Vector3d(10, 0, 2.5), Vexil::SpaceRotation(30, 0, 0, 1)));
    model.buildUp({{"Spatial Parameters", {place}}});
    const QModelIndex loc = row("Spatial Parameters");
    EXPECT_EQ("[Origin(10 0 2.5)] m", text(value("Spatial Parameters")));
    EXPECT_EQ("Origin: (10 0  2.5)", model.data(value("Spatial Parameters"), Qt::ToolTipRole).toString());
    const QModelIndex origin = row("Origin", loc);
    EXPECT_EQ("[10, 0, 2.5] m", text(origin.siblingAtColumn(1)));
    EXPECT_FALSE(item(loc)->setProperty("Rotation", QVariant::fromValue(Vexil::Vector3d(1, 2, 3))));

    // The whole placement from the editor is not written; an origin edit is, once.
    model.setData(value("Spatial Parameters"), QVariant::fromValue(Vexil::SpaceLocation()));
    EXPECT_TRUE(commands().empty());
    model.setData(value("x", origin), QVariant::fromValue(pmUnit::Quantity(1, pmUnit::Length, pmUnit::Meter)));
    EXPECT_EQ(commands(), (std::vector<std::string>{line41(a, "Spatial Parameters", "Position(1,0,2.5)")}));

    // Components nobody edited come back whole, and the rotation stays.
    const double x = 0.12345678901234567;
    place->set_value(Vexil::SpaceLocation(Vexil::Vector3d(x, -1.0 / 3.0, 2.5), Vexil::SpaceRotation(30, 0, 0, 1)));
    clearJournal();
    model.setData(value("z", origin), QVariant::fromValue(pmUnit::Quantity(7, pmUnit::Length, pmUnit::Meter)));
    ASSERT_EQ(1u, commands().size());
    const Vexil::SpaceLocation after = place->get_value();
    EXPECT_EQ(x, after.getPosition().x);
    EXPECT_EQ(-1.0 / 3.0, after.getPosition().y);
    EXPECT_EQ(7.0, after.getPosition().z);
    EXPECT_EQ(Vexil::SpaceRotation(30, 0, 0, 1), after.getRotation());
}

TEST_F(QuantityRows, ModelComparesQuantitiesAndFlagsByValueAndFollowsTheDigitsSetting)
{
    auto* flags = add<Obj::PropertyVectorBool>(a, "Active");
    auto* q = addQuantity<Obj::PropertyQuantity>("Thickness", pmUnit::Length, pmUnit::Millimeter);
    q->set_value(5);
    auto* d = add<Obj::PropertyDecimal>(a, "Plain");
    d->set_value(1.0 / 3.0);
    model.buildUp({{"Active", {flags}}, {"Thickness", {q}}, {"Plain", {d}}});
    model.setData(value("Active"), QVariant::fromValue(Obj::Vector3b{}));
    model.setData(value("Thickness"), QVariant::fromValue(mm(5)));
    EXPECT_TRUE(commands().empty());
    model.setData(value("Thickness"), QVariant::fromValue(mm(6)));
    EXPECT_EQ(1u, commands().size());

    EXPECT_EQ(Qt::ItemIsSelectable | Qt::ItemIsEnabled, model.flags(QModelIndex()));

    EXPECT_EQ("0.33", text(value("Plain")));
    logic.app().getPrefMgr()->set(Vexil::PM_SIGNIFICANT_DIGITS, 4, true);
    EXPECT_EQ("0.3333", text(value("Plain")));
}
