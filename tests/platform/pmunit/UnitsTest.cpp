// The units stand-in: accepted settings texts, status labels and user strings.

#include <pmunit/Units.h>

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
