// The units stand-in: accepted settings texts, status labels and user strings.

#include <pmunit/Units.h>
#include <vexil/Exception.h>

#include <QLocale>

#include <gtest/gtest.h>

using pmUnit::UnitsManager;

namespace {
struct FreshUnits : ::testing::Test
{
    void SetUp() override
    {
        UnitsManager::destruct();
        UnitsManager::initialize();
    }
    void TearDown() override { UnitsManager::destruct(); }
    UnitsManager& units() { return *UnitsManager::instance(); }
};
} // namespace

TEST(Units, InitializeAndDestruct)
{
    UnitsManager::destruct();
    EXPECT_FALSE(UnitsManager::is_initialized());
    UnitsManager::initialize();
    ASSERT_TRUE(UnitsManager::is_initialized());
    UnitsManager::instance()->setSystemUnits("BIN");
    UnitsManager::initialize();   // keeps the running manager
    EXPECT_EQ("BIN", UnitsManager::instance()->systemUnits());
    UnitsManager::destruct();
    EXPECT_FALSE(UnitsManager::is_initialized());
}

TEST_F(FreshUnits, SettersAcceptOnlyTheirTexts)
{
    for (const char* s : {"MKS", "CMGS", "MMKS", "NMMTON", "MMDATS", "UMKS", "BFT", "BIN"}) {
        EXPECT_TRUE(units().setSystemUnits(s)) << s;
        EXPECT_EQ(s, units().systemUnits());
    }
    EXPECT_FALSE(units().setSystemUnits("mks"));
    EXPECT_FALSE(units().setSystemUnits(""));
    EXPECT_EQ("BIN", units().systemUnits());

    EXPECT_TRUE(units().setAngleUnits("Radians"));
    EXPECT_FALSE(units().setAngleUnits("Grad"));
    EXPECT_EQ("Radians", units().angleUnits());
    EXPECT_TRUE(units().setAngularVelocityUnits("RPM"));
    EXPECT_FALSE(units().setAngularVelocityUnits("Hz"));
    EXPECT_EQ("RPM", units().angularVelocityUnits());
    EXPECT_TRUE(units().setTemperatureUnits("Fahrenheit"));
    EXPECT_TRUE(units().setTemperatureUnits("Kelvin"));
    EXPECT_FALSE(units().setTemperatureUnits("Rankine"));
    EXPECT_EQ("Kelvin", units().temperatureUnits());
}

TEST_F(FreshUnits, StatusLabelAndLengthUnits)
{
    EXPECT_EQ("Metric (m, kg, N, s, V, A) Degrees rad/s Celsius", units().getUnitStatusLabel());
    units().setSystemUnits("BFT");
    units().setAngleUnits("Radians");
    units().setAngularVelocityUnits("RPM");
    units().setTemperatureUnits("Fahrenheit");
    EXPECT_EQ("U.S. Customary (ft, lbm, lbf, s, V, A) Radians RPM Fahrenheit", units().getUnitStatusLabel());

    const struct { const char* system; const char* length; bool metric; } table[] = {
        {"MKS", "m", true}, {"CMGS", "cm", true}, {"MMKS", "mm", true}, {"NMMTON", "mm", true},
        {"MMDATS", "mm", true}, {"UMKS", "um", true}, {"BFT", "ft", false}, {"BIN", "in", false}};
    for (const auto& row : table) {
        units().setSystemUnits(row.system);
        EXPECT_EQ(row.length, units().lengthUnit()) << row.system;
        EXPECT_EQ(row.metric, units().IsLengthUnitInMetric()) << row.system;
        EXPECT_TRUE(units().getUnitStatusLabel().contains(QString("(") + row.length + ",")) << row.system;
    }
}

TEST(Quantity, UserStringUsesTheCLocale)
{
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ("12.5 mm", pmUnit::Quantity(12.5, "mm").getUserString());
    EXPECT_EQ("-0.001 MPa", pmUnit::Quantity(-0.001, "MPa").getUserString());
    EXPECT_EQ("3", pmUnit::Quantity(3, "").getUserString());
    QLocale::setDefault(previous);
    EXPECT_TRUE(pmUnit::Quantity(1, "N") == pmUnit::Quantity(1, "N"));
    EXPECT_FALSE(pmUnit::Quantity(1, "N") == pmUnit::Quantity(1, "kN"));
}

// ---------------------------------------------------------------------------------
// Kinds, units and reading typed values

using pmUnit::Quantity;

namespace {
Quantity parsed(const char* text, const QLocale& locale = QLocale::c())
{
    return Quantity::parse(QString::fromUtf8(text), locale);
}
} // namespace

TEST_F(FreshUnits, DefaultUnitsFollowTheSystemAndTheChoices)
{
    EXPECT_EQ("m", units().getDefaultUnitTypeString(pmUnit::Length));
    EXPECT_EQ("N", units().getDefaultUnitTypeString(pmUnit::Force));
    EXPECT_EQ("Pa", units().getDefaultUnitTypeString(pmUnit::Pressure));
    EXPECT_EQ("C", units().getDefaultUnitTypeString(pmUnit::Temperature));
    EXPECT_EQ("deg", units().getDefaultUnitTypeString(pmUnit::Angle));
    units().setSystemUnits("MMKS");
    units().setTemperatureUnits("Kelvin");
    units().setAngleUnits("Radians");
    EXPECT_EQ(pmUnit::Millimeter, units().getDefaultUnitType(pmUnit::DisplacementY));
    EXPECT_EQ("MPa", units().getDefaultUnitTypeString(pmUnit::Pressure));
    EXPECT_EQ("K", units().getDefaultUnitTypeString(pmUnit::Temperature));
    EXPECT_EQ("rad", units().getDefaultUnitTypeString(pmUnit::Angle));
    units().setSystemUnits("BIN");
    EXPECT_EQ("in", units().getDefaultUnitTypeString(pmUnit::Length));
    EXPECT_EQ("lbf", units().getDefaultUnitTypeString(pmUnit::Force));
    // No unit for a number without dimension or a kind nobody knows.
    EXPECT_EQ("", units().getDefaultUnitTypeString(pmUnit::Dimensionless));
    EXPECT_EQ(pmUnit::NoUnit, units().getDefaultUnitType(12345));

    const std::vector<pmUnit::UnitType> lengths = UnitsManager::getUnitTypes(pmUnit::Length);
    EXPECT_EQ(6u, lengths.size());
    EXPECT_EQ("um", UnitsManager::getUnitSymbol(pmUnit::Micrometer));
    EXPECT_EQ(-1, UnitsManager::findUnit("furlong"));
    EXPECT_EQ(8, UnitsManager::unitSystems().size());
    EXPECT_FALSE(UnitsManager::unitSystemUnits("NMMTON").empty());
    EXPECT_EQ("t", UnitsManager::unitSystemUnits("NMMTON")[1].second);
}

TEST(Quantity, ParsesNumbersWithOptionalUnitsInTheCLocale)
{
    Quantity q = parsed(" 12.5 mm ");
    EXPECT_DOUBLE_EQ(12.5, q.getValue());
    EXPECT_EQ(pmUnit::Millimeter, q.getUnitType());
    EXPECT_EQ(pmUnit::Length, q.getQuantityKind());
    EXPECT_DOUBLE_EQ(-300, parsed("-3e2").getValue());
    EXPECT_EQ(pmUnit::NoUnit, parsed("-3e2").getUnitType());
    EXPECT_DOUBLE_EQ(0.5, parsed(".5kN").getValue());
    EXPECT_EQ(pmUnit::Kilonewton, parsed(".5kN").getUnitType());
    for (const char* bad : {"", "mm", "12.5 furlong", "1.2.3", "2 e", "--1", "1e999", "12,5"})
        EXPECT_THROW(parsed(bad), Vexil::ExceptionHandler) << bad;
}

TEST(Quantity, ParsesInADecimalCommaLocale)
{
    const QLocale german(QLocale::German, QLocale::Germany);
    EXPECT_DOUBLE_EQ(12.5, parsed("12,5 mm", german).getValue());
    EXPECT_DOUBLE_EQ(1234.5, parsed("1.234,5", german).getValue());
    // A point that cannot separate groups of three may be a decimal point typed by habit,
    // or a misplaced separator: refused, never guessed.
    EXPECT_THROW(parsed("12.5 mm", german), Vexil::ExceptionHandler);
    EXPECT_DOUBLE_EQ(1234, parsed("1.234", german).getValue());
    EXPECT_THROW(parsed("1.23.4", german), Vexil::ExceptionHandler);
    EXPECT_THROW(parsed("1,2,3", german), Vexil::ExceptionHandler);
}

TEST(Quantity, ConvertsBetweenUnitsOfOneDimensionOnly)
{
    Quantity out;
    ASSERT_TRUE(Quantity(1.25, pmUnit::Length, pmUnit::Centimeter).convertTo(pmUnit::Millimeter, out));
    EXPECT_DOUBLE_EQ(12.5, out.getValue());
    EXPECT_EQ(pmUnit::Millimeter, out.getUnitType());
    ASSERT_TRUE(Quantity(100, pmUnit::Temperature, pmUnit::Celsius).convertTo(pmUnit::Fahrenheit, out));
    EXPECT_NEAR(212.0, out.getValue(), 1e-9);
    ASSERT_TRUE(Quantity(1, 2, 3, pmUnit::Length, pmUnit::Meter).convertTo(pmUnit::Millimeter, out));
    EXPECT_DOUBLE_EQ(3000, out.getVector3DValue().z);
    // A bare number is taken in the target unit.
    ASSERT_TRUE(Quantity(7, pmUnit::Dimensionless, pmUnit::NoUnit).convertTo(pmUnit::Newton, out));
    EXPECT_DOUBLE_EQ(7, out.getValue());

    const Quantity before(4, pmUnit::Force, pmUnit::Newton);
    out = before;
    EXPECT_FALSE(Quantity(1, pmUnit::Length, pmUnit::Meter).convertTo(pmUnit::Newton, out));
    EXPECT_EQ(before, out);
}

TEST(Quantity, VectorAndFlagFormsShowFreeComponents)
{
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const Quantity input(true, false, true, 5, 0, -1.5, pmUnit::Force, pmUnit::Newton);
    EXPECT_EQ("[5, Free, -1.5] N", input.getUserString());
    EXPECT_EQ("[5, Free, -1,5] N", input.getUserString2());
    EXPECT_EQ("12,5 mm", Quantity(12.5, pmUnit::Length, pmUnit::Millimeter).getUserString2());
    QLocale::setDefault(previous);
    EXPECT_TRUE(input.isVector());
    EXPECT_FALSE(input.getVectorBool().y);
    // Flags take part in equality; a vector is not its first component.
    EXPECT_NE(input, Quantity(true, true, true, 5, 0, -1.5, pmUnit::Force, pmUnit::Newton));
    EXPECT_NE(Quantity(5, 0, 0, pmUnit::Force, pmUnit::Newton), Quantity(5, pmUnit::Force, pmUnit::Newton));
}

TEST(Quantity, RefusalsTellTheUserWhatIsWrong)
{
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    const QLocale german(QLocale::German, QLocale::Germany);
    auto why = [](const char* text, const QLocale& locale) -> std::string {
        try {
            parsed(text, locale);
        } catch (const Vexil::ExceptionHandler& e) {
            return e.get_message();
        }
        return "taken";
    };
    EXPECT_EQ("The decimal sign here is \".\", not \",\" (in \"12,5 mm\"): \",\" only separates groups of three "
              "digits, as in \"1,500\"",
              why("12,5 mm", english));
    EXPECT_EQ("The decimal sign here is \",\", not \".\" (in \"1.23.4\"): \".\" only separates groups of three "
              "digits, as in \"1.500\"",
              why("1.23.4", german));
    EXPECT_EQ("\"1.2.3\" has more than one decimal sign", why("1.2.3", QLocale::c()));
    EXPECT_EQ("\"1,2,3\" has more than one decimal sign", why("1,2,3", german));
    EXPECT_EQ("Expressions such as \"2*3 mm\" are not read: type the resulting number", why("2*3 mm", english));
    EXPECT_EQ("Expressions such as \"(2+3) mm\" are not read: type the resulting number", why("(2+3) mm", english));
    EXPECT_EQ("Unknown unit \"furlongs\" in \"12.5 furlongs\"", why("12.5 furlongs", english));
    EXPECT_EQ("Unknown unit \"MM\": units are case-sensitive (\"mm\"?)", why("12.5 MM", english));
    EXPECT_EQ("Unexpected \"thick\" after the unit in \"12.5 mm thick\"", why("12.5 mm thick", english));
    EXPECT_EQ("\"mm\" is not a number", why("mm", english));
    EXPECT_EQ("\"--1\" is not a number", why("--1", english));
    EXPECT_EQ("No number given", why("  ", english));
    // Units with signs in their symbols are still units.
    EXPECT_EQ("taken", why("2 dyne/cm^2", english));
}

TEST(Quantity, ReadsGroupsUnderTheCLocaleAndNamesATextWithANulWhole)
{
    auto why = [](const QString& text, const QLocale& locale) -> std::string {
        try {
            Quantity::parse(text, locale);
        } catch (const Vexil::ExceptionHandler& e) {
            return e.get_message();
        }
        return "taken";
    };
    EXPECT_EQ(1500.0, parsed("1,500 N").getValue());
    EXPECT_EQ(pmUnit::Newton, parsed("1,500 N").getUnitType());
    EXPECT_EQ(1234567.5, parsed("1,234,567.5").getValue());
    // A comma between other than three digits is a decimal sign of another habit.
    EXPECT_EQ("The decimal sign here is \".\", not \",\" (in \"1,5 N\"): \",\" only separates groups of three "
              "digits, as in \"1,500\"",
              why("1,5 N", QLocale::c()));
    // Readers of files take no groups.
    QLocale plain = QLocale::c();
    plain.setNumberOptions(QLocale::RejectGroupSeparator);
    EXPECT_NE("taken", why("1,500 N", plain));
    // A NUL is shown escaped: the text named is the one refused.
    EXPECT_EQ("Unknown unit \"m\\x00m\" in \"12.5 m\\x00m\"", why(QString::fromUtf8("12.5 m\0m", 8), QLocale::c()));

    // Conversions give the numbers the user would write.
    Quantity out;
    ASSERT_TRUE(parsed("3 ft").convertTo(pmUnit::Millimeter, out));
    EXPECT_EQ(914.4, out.getValue());
    ASSERT_TRUE(parsed("3 in").convertTo(pmUnit::Millimeter, out));
    EXPECT_EQ(76.2, out.getValue());
    ASSERT_TRUE(parsed("7000 N").convertTo(pmUnit::Dyne, out));
    ASSERT_TRUE(Quantity(out.getValue(), pmUnit::Force, pmUnit::Dyne).convertTo(pmUnit::Newton, out));
    EXPECT_EQ(7000.0, out.getValue());
}
