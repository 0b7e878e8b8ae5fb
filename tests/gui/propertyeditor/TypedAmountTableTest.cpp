// Amounts typed into the real property panel, as a table: every unit system x the C locale,
// a decimal-comma one, French (a narrow no-break space groups) and India's English (groups
// of 3 then 2) x grouped texts, texts with leading-zero groups and edge numbers x
// a scalar row and one component of a vector row; and amounts pasted into a limited row.
// In every cell the amount is taken exactly as typed (number and unit, in the logic and in
// the saved value text; a vector's other components as they were given) or refused in the
// box with a true reason, and nothing changes.

#include "PropertyEditorTestSupport.h"

#include <commands/SimModule.h>
#include <dialogs/DlgInputBCImp.h>
#include <core/qPelmoraApplication.h>
#include <femgui/FemGui.h>
#include <mainwindow/DockingWindowMediator.h>
#include <mainwindow/MainWindow.h>
#include <propertyeditor/BaseBCEditor.h>
#include <propertyeditor/PropertyItem.h>
#include <propertyeditor/PropertyModel.h>
#include <propertyeditor/PropertyOperator.h>
#include <propertyeditor/PropertyView.h>
#include <propertyeditor/QuantitySpinBox.h>
#include <selection/TreeSelectionSingleton.h>

#include <obj/LoadObject.h>
#include <obj/PropertyQuantity.h>
#include <pmmsg/Message.h>

#include <support/ModalCloser.h>

#include <QAbstractSpinBox>
#include <QLineEdit>
#include <QTest>

#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>

using PropertyEditorTest::field;

namespace {

class TypedAmounts : public ::testing::Test, protected PropertyEditorTest::LoadWindow
{
protected:
    void start(const char* system = "MKS")
    {
        ASSERT_NO_FATAL_FAILURE(startLoadWindow(system));
        tree = Gui::DockingWindowMediator::instance()->getDockingWindow("Std_PropertyView")
                   ->findChild<Gui::PropertyView*>()->dataTree();
    }
    void TearDown() override { stopLoadWindow(); }
    // The unit system as the main window switches it, and the rows shown anew.
    void useSystem(const QString& key)
    {
        Gui::TreeSelectionSingleton::instance().clear_all_selections();
        ASSERT_TRUE(load->Thickness->set_value_text("0"));
        ASSERT_TRUE(load->Offset->set_value_text("(0, 0, 0)"));
        pmUnit::UnitsManager::instance()->setSystemUnits(key);
        ASSERT_TRUE(project->onUnitChanged(pmUnit::UnitsManager::instance()->getUnitsData()));
        Gui::TreeSelectionSingleton::instance().set_selection("P", {load});
    }
    // The value cell of a row, or of the component row `component` ("y") below it.
    QModelIndex cell(const char* name, const char* component = nullptr)
    {
        Gui::PropertyOperator::PropertyModel* m = tree->propertyModel();
        for (int r = 0; r < m->rowCount(); ++r) {
            const QModelIndex i = m->index(r, 0);
            if (m->data(i).toString() != QLatin1String(name))
                continue;
            if (!component)
                return i.siblingAtColumn(1);
            tree->expand(i);
            for (int k = 0; k < m->rowCount(i); ++k)
                if (m->data(m->index(k, 0, i)).toString() == QLatin1String(component))
                    return m->index(k, 1, i);
        }
        ADD_FAILURE() << "no row " << name << (component ? component : "");
        return {};
    }
    // Types into the row's box as a user does (or pastes the whole text at once), then
    // Enter; the box.
    Gui::QuantitySpinBox* type(const char* row, const QString& text, const char* component = nullptr,
                               bool paste = false)
    {
        const QModelIndex i = cell(row, component);
        tree->setCurrentIndex(i.siblingAtColumn(0));
        auto* box = qobject_cast<Gui::QuantitySpinBox*>(tree->indexWidget(i));
        if (auto* bc = qobject_cast<Gui::PropertyOperator::ContextBCEditor*>(tree->indexWidget(i)))
            box = bc->spinBox();
        if (!box)
            return nullptr;
        field(box)->selectAll();
        if (paste)
            field(box)->setText(text);
        else {
            // Character by character, those beyond Latin-1 (a narrow no-break space) too.
            for (const QChar c : text)
                QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
        QTest::keyClick(box, Qt::Key_Return);
        return box;
    }

    enum Column { C, German, French, Indian };
    void typedTable(Column column);

    Gui::PropertyOperator::PropertyOperator* tree = nullptr;
};

long double metres(const QString& unit)
{
    if (unit == "m") return 1.0L;
    if (unit == "cm") return 1e-2L;
    if (unit == "mm") return 1e-3L;
    if (unit == "um") return 1e-6L;
    if (unit == "ft") return 0.3048L;
    return 0.0254L;   // in
}

bool sameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

} // namespace

void TypedAmounts::typedTable(Column column)
{
    // Texts in the C locale's spelling; under the decimal-comma locale point and comma
    // trade places, under French the point is a comma and the comma a narrow no-break
    // space.  A group separator is taken only where it can mean nothing else.
    const bool comma = column == German || column == French;
    const QString groupSign = column == French ? QString(QChar(0x202F)) : QStringLiteral(".");
    const char* const names[] = {" (C)", " (de_DE)", " (fr_FR)", " (en_IN)"};
    const struct
    {
        const char* text;
        const char* number;   // as taken; null: refused for its separator
    } typed[] = {
        {"0,500 mm", nullptr}, {"0,125 mm", nullptr}, {"0,001 mm", nullptr}, {"00,500 mm", nullptr},
        {"1,5 mm", nullptr}, {"1,50 mm", nullptr}, {"1,500 mm", "1500"}, {"12,345,678.5 um", "12345678.5"},
        {"1,50,000 mm", column == Indian ? "150000" : nullptr},
        {"9.99999999999999 in", "9.99999999999999"}, {"0.30000000000000004 m", "0.30000000000000004"},
        {"0.12345678901234567 m", "0.12345678901234567"}, {"9.9999999999999991e-05 m", "9.9999999999999991e-05"},
        {"-0 m", "-0"}, {"1.7976931348623157e308 mm", "1.7976931348623157e308"},
        {"2.2250738585072014e-308 m", "2.2250738585072014e-308"},
        {"4.9406564584124654e-324 cm", "4.9406564584124654e-324"},
    };
    int taken = 0, refused = 0, shownAgain = 0;
    {
        // Whatever locale the column sets, the next test starts with the one before.
        struct RestoreLocale
        {
            QLocale before;
            ~RestoreLocale() { QLocale::setDefault(before); }
        } restoreLocale;
        std::unique_ptr<PropertyEditorTest::DecimalCommaLocale> german;
        if (comma)
            german = std::make_unique<PropertyEditorTest::DecimalCommaLocale>();
        if (column == French)
            QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
        if (column == Indian)
            QLocale::setDefault(QLocale(QLocale::English, QLocale::India));
        start();
        // The number alone typed into the Displacement dialog's X: read as the box reads it.
        for (const auto& t : typed) {
            QString text = QString::fromLatin1(t.text).section(QLatin1Char(' '), 0, 0);
            if (comma) {
                text.replace(QLatin1Char('.'), QLatin1Char('#')).replace(QLatin1Char(','), groupSign);
                text.replace(QLatin1Char('#'), QLatin1Char(','));
            }
            const std::string cellName = text.toStdString() + " into the Displacement dialog" + names[column];
            ASSERT_TRUE(load->Displacement->set_value_text("(3 m, Free, 4 m)")) << cellName;
            bool given[3];
            double values[3];
            load->Displacement->getBCValues(given, values);
            const double freeBefore = values[1];
            Gui::Dlg::DlgInputBCImp dialog;
            dialog.setPropertyInputBC(load->Displacement);
            dialog.lineEdit(0)->setText(text);
            // Typed into the free Y as well: a free component takes no number.
            dialog.lineEdit(1)->setText(text);
            PelmoraTest::ModalCloser closer;
            dialog.accept();
            load->Displacement->getBCValues(given, values);
            EXPECT_FALSE(given[1]) << cellName;
            EXPECT_TRUE(sameBits(freeBefore, values[1])) << cellName << ": " << values[1];
            if (!t.number) {
                ++refused;
                EXPECT_EQ(1, closer.count()) << cellName;
                const QString why = closer.texts().value(0);
                EXPECT_TRUE(column == French ? why.contains("is not read: under fr_FR, \"" + groupSign + "\" only separates groups of three digits")
                                             : why.startsWith("The decimal sign here is " + QString(comma ? "\",\"" : "\".\"")))
                    << cellName << ": " << why.toStdString();
                EXPECT_EQ(3.0, values[0]) << cellName;
            } else {
                ++taken;
                EXPECT_EQ(0, closer.count()) << cellName << ": " << closer.texts().join(' ').toStdString();
                EXPECT_TRUE(sameBits(QString::fromLatin1(t.number).toDouble(), values[0])) << cellName << ": " << values[0];
            }
        }
        // Numbers that fit no other unit must not stop the switches of the unit system below.
        ASSERT_TRUE(load->Displacement->set_value_text("(3 m, Free, 4 m)"));
        for (const QString& system : pmUnit::UnitsManager::unitSystems()) {
            useSystem(system);
            const QString own = pmUnit::UnitsManager::instance()->getDefaultUnitTypeString(pmUnit::Length);
            for (const bool component : {false, true})
            for (const auto& t : typed) {
                QString text = QString::fromLatin1(t.text);
                if (comma) {
                    text.replace(QLatin1Char('.'), QLatin1Char('#')).replace(QLatin1Char(','), groupSign);
                    text.replace(QLatin1Char('#'), QLatin1Char(','));
                }
                const std::string cellName = text.toStdString() + (component ? " into Offset's y" : "") + " under "
                    + system.toStdString() + names[column];
                const QString unit = text.section(QLatin1Char(' '), 1);
                // The other components, given in other units, stay as given.
                const std::string others[2] = {"(12.5 mm, ", ", 9.99999999999999 ft)"};
                if (component) {
                    ASSERT_TRUE(load->Offset->set_value_text(others[0] + "7 m" + others[1])) << cellName;
                }
                Obj::Property* target = component ? static_cast<Obj::Property*>(load->Offset) : load->Thickness;
                const std::string before = Obj::valueTextWithUnits(*target);
                pmMsg::Journal::clear();
                Gui::QuantitySpinBox* box = type(component ? "Offset" : "Thickness", text, component ? "y" : nullptr);
                ASSERT_TRUE(box) << cellName;
                if (!t.number) {
                    ++refused;
                    EXPECT_FALSE(box->hasValidInput()) << cellName;
                    const QString dp = comma ? "\",\"" : "\".\"";
                    EXPECT_TRUE(column == French ? box->inputProblem().contains("is not read: under fr_FR, \"" + groupSign + "\" only separates groups of three digits")
                                                 : box->inputProblem().startsWith("The decimal sign here is " + dp))
                        << cellName << ": " << box->inputProblem().toStdString();
                    EXPECT_EQ(before, Obj::valueTextWithUnits(*target)) << cellName;
                    continue;
                }
                const double n = QString::fromLatin1(t.number).toDouble();   // whatever the C library locale
                const long double v = std::fabs(static_cast<long double>(n) * metres(unit) / metres(own));
                const bool fits = unit == own || n == 0.0 || (v <= DBL_MAX && v >= DBL_MIN);
                if (!fits) {
                    ++refused;
                    EXPECT_FALSE(box->hasValidInput()) << cellName;
                    const QString reason = (v > DBL_MAX ? "is beyond the largest number in " : "is below the smallest normal number in ") + own;
                    EXPECT_TRUE(box->inputProblem().contains(reason)) << cellName << ": " << box->inputProblem().toStdString();
                    EXPECT_EQ(before, Obj::valueTextWithUnits(*target)) << cellName;
                    continue;
                }
                ++taken;
                EXPECT_TRUE(box->hasValidInput()) << cellName << ": " << box->inputProblem().toStdString();
                if (component) {
                    // Each component's number and unit as given: the typed one as typed.
                    EXPECT_EQ(others[0] + pmUnit::shortestText(n).toStdString() + " " + unit.toStdString() + others[1],
                              Obj::valueTextWithUnits(*target)) << cellName;
                    continue;
                }
                if (unit == own) {
                    EXPECT_TRUE(sameBits(n, load->Thickness->get_value())) << cellName;
                }
                // In the logic, named in the unit typed (a system that shows lengths in it):
                // the very number typed, in the value and in the saved value text.
                pmUnit::UnitsData inTyped = pmUnit::UnitsManager::instance()->getUnitsData();
                for (const QString& s : pmUnit::UnitsManager::unitSystems()) {
                    inTyped.system = s;
                    if (pmUnit::UnitsManager::getUnitSymbol(pmUnit::UnitsManager::getDefaultUnitType(pmUnit::Length, inTyped)) == unit)
                        break;
                }
                ASSERT_TRUE(project->onUnitChanged(inTyped)) << cellName;
                EXPECT_TRUE(sameBits(n, load->Thickness->get_value())) << cellName << ": " << load->Thickness->get_value();
                const QString kept = QString::fromStdString(Obj::valueTextWithUnits(*load->Thickness));
                EXPECT_EQ(unit, kept.section(QLatin1Char(' '), 1)) << cellName << ": " << kept.toStdString();
                EXPECT_TRUE(sameBits(n, kept.section(QLatin1Char(' '), 0, 0).toDouble())) << cellName << ": " << kept.toStdString();
                ASSERT_TRUE(project->onUnitChanged(pmUnit::UnitsManager::instance()->getUnitsData())) << cellName;
            }
            // A limited row (limits 0 to 1e12 Pa) takes an amount pasted into its box, or
            // typed one key at a time, only within its limits, whatever unit it names, and
            // says why it refuses: no key is dropped on the way, and the unit typed last
            // applies to the whole number typed.
            const struct
            {
                const char* text;
                const char* reason;   // null: taken
                const char* kept;     // as the value text keeps it, where not as typed
            } limited[] = {{"5e12 Pa", "above the maximum", nullptr}, {"-1e300 Pa", "below the minimum", nullptr},
                           {"1e9 psi", "above the maximum", nullptr}, {"2 MPa", nullptr, nullptr},
                           // Just past the limit, whatever unit shows it.
                           // (1000000.0000000002 MPa and 1.0000000000000002e12 Pa, with no
                           // decimal sign, which differs among the locales)
                           {"10000000000000002e-10 MPa", "above the maximum", nullptr},
                           {"10000000000000002e-4 Pa", "above the maximum", nullptr},
                           {"1e+12 Pa", nullptr, nullptr}, {"1e+06 MPa", nullptr, nullptr},
                           {"2000000 Pa", nullptr, "2e+06 Pa"}, {"200000000 kPa", nullptr, "2e+08 kPa"},
                           {"1000000000000.0001 Pa", "above the maximum", nullptr},
                           {"2e12 Pa", "above the maximum", nullptr}, {"15000000000000", "above the maximum", nullptr},
                           {"1.500.5 Pa", "more than one decimal sign", nullptr}};
            for (const bool paste : {true, false})
            for (const auto& l : limited) {
                QString text = QString::fromLatin1(l.text);
                if (comma)
                    text.replace(QLatin1Char('.'), QLatin1Char(','));
                const std::string cellName = text.toStdString() + (paste ? " pasted" : " typed one key at a time")
                    + " into Pressure Limit under " + system.toStdString() + names[column];
                ASSERT_TRUE(load->PressureLimit->set_value_text("3 Pa")) << cellName;
                Gui::QuantitySpinBox* box = type("Pressure Limit", text, nullptr, paste);
                ASSERT_TRUE(box) << cellName;
                if (l.reason) {
                    ++refused;
                    EXPECT_TRUE(box->inputProblem().contains(QLatin1String(l.reason)))
                        << cellName << ": " << box->inputProblem().toStdString();
                    // The text stays as typed for the user to mend.
                    EXPECT_EQ(text, field(box)->text()) << cellName;
                    EXPECT_EQ("3 Pa", Obj::valueTextWithUnits(*load->PressureLimit)) << cellName;
                } else {
                    ++taken;
                    EXPECT_EQ(l.kept ? l.kept : l.text, Obj::valueTextWithUnits(*load->PressureLimit)) << cellName;
                }
            }
            // One component of a vector row typed equal in amount to the one it holds, in
            // another unit or as -0: kept as given, as a scalar row keeps it.
            const struct
            {
                const char* held;
                const char* text;
            } sameAmount[] = {{"0 m", "0 in"}, {"0 m", "-0 in"}, {"0 m", "-0 m"}, {"3 ft", "36 in"}, {"3 ft", "914.4 mm"}};
            for (const auto& a : sameAmount) {
                QString text = QString::fromLatin1(a.text);
                if (comma)
                    text.replace(QLatin1Char('.'), QLatin1Char(','));
                const std::string cellName = text.toStdString() + " over " + a.held + " into Offset's y under "
                    + system.toStdString() + names[column];
                ASSERT_TRUE(load->Offset->set_value_text(std::string("(12.5 mm, ") + a.held + ", 2 in)")) << cellName;
                const double n = QString::fromLatin1(a.text).section(QLatin1Char(' '), 0, 0).toDouble();
                if (n != 0.0 && QString::fromLatin1(a.text).section(QLatin1Char(' '), 1) == own) {
                    // In the unit the row shows, the text may be the very one shown (to the
                    // digits set): typing what is shown is no change.
                    ++shownAgain;
                    continue;
                }
                ASSERT_TRUE(type("Offset", text, "y")) << cellName;
                ++taken;
                EXPECT_EQ("(12.5 mm, " + pmUnit::shortestText(n).toStdString() + " "
                              + QString::fromLatin1(a.text).section(QLatin1Char(' '), 1).toStdString() + ", 2 in)",
                          Obj::valueTextWithUnits(*load->Offset)) << cellName;
            }
        }
        // The window goes while the locale is still the one it was made in.
        TearDown();
    }
    // Every cell was walked: 17 texts into two rows, 14 into a limited one (pasted and
    // typed) and 5 equal amounts into a component, under 8 systems, and the 17 numbers
    // into the dialog.
    EXPECT_EQ(8 * (2 * 17 + 2 * 14 + 5) + 17, taken + refused + shownAgain);
    EXPECT_EQ(4, shownAgain);   // "36 in" under BIN, "914.4 mm" under the three mm systems
    EXPECT_GT(taken, 100);
    EXPECT_GT(refused, 80);
}

TEST_F(TypedAmounts, EveryAmountTypedUnderTheCLocaleIsTakenAsTypedOrRefusedWithATrueReason)
{
    typedTable(C);
}

TEST_F(TypedAmounts, EveryAmountTypedUnderAGermanLocaleIsTakenAsTypedOrRefusedWithATrueReason)
{
    typedTable(German);
}

TEST_F(TypedAmounts, EveryAmountTypedUnderAFrenchLocaleIsTakenAsTypedOrRefusedWithATrueReason)
{
    typedTable(French);
}

TEST_F(TypedAmounts, EveryAmountTypedUnderAnIndianLocaleIsTakenAsTypedOrRefusedWithATrueReason)
{
    typedTable(Indian);
}

TEST_F(TypedAmounts, AnAmountTypedInAnotherUnitComesBackExactlyInThatUnit)
{
    start();
    useSystem("MKS");
    pmMsg::Journal::clear();
    ASSERT_TRUE(type("Thickness", "9.99999999999999 in"));
    // Shown in metres, kept as typed; the message names the unit typed.
    EXPECT_EQ(load->Thickness->getUnitType(), pmUnit::Meter);
    bool sent = false;
    for (const std::string& l : pmMsg::Journal::lines())
        sent = sent || l.find("|Thickness|9.99999999999999 in") != std::string::npos;
    EXPECT_TRUE(sent);
    // U.S. Customary (in), as the preferences switch it: the very number typed.
    Gui::TreeSelectionSingleton::instance().clear_all_selections();
    pmUnit::UnitsManager::instance()->setSystemUnits("BIN");
    ASSERT_TRUE(project->onUnitChanged(pmUnit::UnitsManager::instance()->getUnitsData()));
    Gui::TreeSelectionSingleton::instance().set_selection("P", {load});
    EXPECT_EQ(9.99999999999999, load->Thickness->get_value());
    EXPECT_EQ("9.99999999999999 in", tree->propertyModel()->data(cell("Thickness")).toString());
    EXPECT_EQ("9.99999999999999 in", Obj::valueTextWithUnits(*load->Thickness));
}

TEST_F(TypedAmounts, AnOriginBeyondWhatTheProjectsLengthUnitHoldsIsRefusedInItsBox)
{
    // The project's placements are kept in micrometres; the panel shows metres.
    start("UMKS");
    Gui::TreeSelectionSingleton::instance().clear_all_selections();
    pmUnit::UnitsManager::instance()->setSystemUnits("MKS");
    ASSERT_TRUE(project->onUnitChanged(pmUnit::UnitsManager::instance()->getUnitsData()));
    ASSERT_EQ(pmUnit::Micrometer, project->get_length_unit());
    Gui::TreeSelectionSingleton::instance().set_selection("P", {load});
    const QModelIndex place = cell("Spatial Parameters").siblingAtColumn(0);
    tree->expand(place);
    Gui::PropertyOperator::PropertyModel* m = tree->propertyModel();
    QModelIndex origin;
    for (int r = 0; r < m->rowCount(place); ++r)
        if (m->data(m->index(r, 0, place)).toString() == "Origin")
            origin = m->index(r, 0, place);
    ASSERT_TRUE(origin.isValid());
    tree->expand(origin);
    QModelIndex x;
    for (int r = 0; r < m->rowCount(origin); ++r)
        if (m->data(m->index(r, 0, origin)).toString() == "x")
            x = m->index(r, 1, origin);
    ASSERT_TRUE(x.isValid());
    tree->setCurrentIndex(x.siblingAtColumn(0));
    auto* box = qobject_cast<Gui::QuantitySpinBox*>(tree->indexWidget(x));
    ASSERT_TRUE(box);
    pmMsg::Journal::clear();
    for (const char* text : {"1e308 m", "1e303"}) {
        field(box)->selectAll();
        QTest::keyClicks(box, text);
        QTest::keyClick(box, Qt::Key_Return);
        EXPECT_FALSE(box->hasValidInput()) << text;
        EXPECT_TRUE(box->inputProblem().contains("is beyond the largest number in um")) << box->inputProblem().toStdString();
    }
    EXPECT_EQ("\"1e303\" is beyond the largest number in um", box->inputProblem().toStdString());
    EXPECT_EQ(Vexil::Vector3d(0, 0, 0), load->SpatialParameters->get_value().getPosition());
    for (const std::string& l : pmMsg::Journal::lines())
        EXPECT_EQ(std::string::npos, l.find("runCommand")) << l;
    // A number that fits is taken.
    field(box)->selectAll();
    QTest::keyClicks(box, "2.5 m");
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(Vexil::Vector3d(2.5e6, 0, 0), load->SpatialParameters->get_value().getPosition());
}
