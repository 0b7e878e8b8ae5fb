// The units stand-in: accepted settings texts, status labels and user strings.

#include <pmunit/Units.h>
#include <vexil/Exception.h>

#include <QLocale>
#include <QRegExp>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

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
    auto why = [](const char* text, const QLocale& locale, pmUnit::pmQuantity kind = pmUnit::Dimensionless) -> std::string {
        try {
            Quantity::parse(QString::fromUtf8(text), locale, kind);
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
    // The hint names only a unit of the kind expected.
    const struct { const char* text; pmUnit::pmQuantity kind; const char* reason; } hints[] = {
        {"12.5 MM", pmUnit::Length, "Unknown unit \"MM\": units are case-sensitive (\"mm\"?)"},
        {"12.5 MM", pmUnit::Force, "Unknown unit \"MM\" in \"12.5 MM\""},
        {"12.5 n", pmUnit::Force, "Unknown unit \"n\": units are case-sensitive (\"N\"?)"},
        {"12.5 n", pmUnit::Length, "Unknown unit \"n\" in \"12.5 n\""},
        {"3 KPA", pmUnit::Pressure, "Unknown unit \"KPA\": units are case-sensitive (\"kPa\"?)"},
        {"3 KPA", pmUnit::Dimensionless, "Unknown unit \"KPA\": units are case-sensitive (\"kPa\"?)"},
        {"3 UM", pmUnit::Force, "Unknown unit \"UM\" in \"3 UM\""},
        {"3 UM", pmUnit::Length, "Unknown unit \"UM\": units are case-sensitive (\"um\"?)"},
    };
    for (const auto& row : hints)
        EXPECT_EQ(row.reason, why(row.text, english, row.kind)) << UnitsManager::getQuantityName(row.kind).toStdString();
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
    // So are C1 controls, bidirectional and zero-width characters and the byte-order mark,
    // byte by byte, wherever the refused text stands.
    const struct { ushort character; const char* escaped; } hidden[] = {{0x9B, "\\xc2\\x9b"}, {0x85, "\\xc2\\x85"}, {0x202E, "\\xe2\\x80\\xae"},
                  {0x2066, "\\xe2\\x81\\xa6"}, {0x200B, "\\xe2\\x80\\x8b"}, {0xFEFF, "\\xef\\xbb\\xbf"}};
    for (const auto& c : hidden) {
        const QString ch(QChar(c.character));
        for (const QString& text : {"12.5 m" + ch + "m", "1" + ch + "2", "2*" + ch + "3", "1 5" + ch + "00"}) {
            const std::string got = why(text, QLocale::c());
            EXPECT_EQ(std::string::npos, got.find(ch.toStdString())) << got;
            EXPECT_NE(std::string::npos, got.find(c.escaped)) << got;
        }
    }

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

namespace {

// Why `text` is refused, or "taken N" with the number read.
std::string reading(const QString& text, const QLocale& locale)
{
    try {
        return "taken " + pmUnit::shortestText(Quantity::parse(text, locale).getValue()).toStdString();
    } catch (const Vexil::ExceptionHandler& e) {
        return e.get_message();
    }
}

} // namespace

TEST(QuantityTable, AGroupSeparatorIsReadOnlyWhereItCanMeanNothingElse)
{
    // Each text under the C locale, under a decimal-comma locale (point and comma traded),
    // under French (a comma for the point, a narrow no-break space for the comma), under
    // India's English (the C signs, groups of 3 then 2), and as a file reads it (no group
    // separators at all).
    const QLocale german(QLocale::German, QLocale::Germany);
    const QLocale french(QLocale::French, QLocale::France);
    const QLocale indian(QLocale::English, QLocale::India);
    QLocale file = QLocale::c();
    file.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
    const QString nnbsp(QChar(0x202F));
    const struct
    {
        const char* text;
        const char* number;   // read under the locale; null: refused for its separator
        const char* inIndia;  // the same under en_IN
    } table[] = {
        {"0,500", nullptr, nullptr}, {"0,125", nullptr, nullptr}, {"0,001", nullptr, nullptr},
        {"00,500", nullptr, nullptr}, {"01,500", nullptr, nullptr}, {"1,5", nullptr, nullptr},
        {"1,50", nullptr, nullptr}, {"1,5000", nullptr, nullptr}, {",500", nullptr, nullptr},
        {"1,500,00", nullptr, nullptr}, {"1.500,5", nullptr, nullptr}, {"12,5.5", nullptr, nullptr},
        {"1,50,000", nullptr, "150000"}, {"12,34,567.5", nullptr, "1234567.5"}, {"1,5,000", nullptr, nullptr},
        {"123,45,678", nullptr, nullptr}, {"01,50,000", nullptr, nullptr},
        {"1,500", "1500", "1500"}, {"12,345", "12345", "12345"}, {"123,456,789", "123456789", "123456789"},
        {"1,500.25", "1500.25", "1500.25"}, {"-1,500", "-1500", "-1500"}, {"1500", "1500", "1500"},
        {"0.500", "0.5", "0.5"}, {"1.5", "1.5", "1.5"},
    };
    enum Column { C, German, French, Indian };
    const char* const names[] = {"C", "de_DE", "fr_FR", "en_IN"};
    const QLocale plainC = QLocale::c();
    const QLocale* locales[] = {&plainC, &german, &french, &indian};
    for (const auto& row : table) {
        for (const Column column : {C, German, French, Indian}) {
            QString text = QString::fromLatin1(row.text) + " mm";
            const QString comma = column == French ? nnbsp : QStringLiteral(".");
            if (column == German || column == French)
                text.replace(QLatin1Char('.'), QLatin1Char('#')).replace(QLatin1Char(','), comma).replace(QLatin1Char('#'), QLatin1Char(','));
            const std::string got = reading(text, *locales[column]);
            const std::string cell = text.toStdString() + " (" + names[column] + ")";
            const char* number = column == Indian ? row.inIndia : row.number;
            if (column == French && row.text[0] == ',')
                number = "500";   // a blank before a number is no group sign
            if (number) {
                EXPECT_EQ(std::string("taken ") + number, got) << cell;
                continue;
            }
            // The reason names the signs: which one the text may have meant.
            const std::string dp = column == German || column == French ? "\",\"" : "\".\"";
            const std::string gs = column == German ? "\".\"" : column == French ? "\"" + nnbsp.toStdString() + "\"" : "\",\"";
            const std::string groups = gs + " only separates groups of "
                + (column == Indian ? "digits, as in \"1,50,000\" or \"1,500\"" : "three digits");
            const bool named = column == French
                ? got.find("is not read: under fr_FR, " + groups) != std::string::npos
                    && got.find(", and \",\" is the decimal sign") != std::string::npos
                : got.find("The decimal sign here is " + dp + ", not " + gs) == 0 && got.find(groups) != std::string::npos;
            EXPECT_TRUE(named || got.find("has more than one decimal sign") != std::string::npos) << cell << ": " << got;
        }
        // A file takes no group separators: refused with that reason, or read as written.
        const QString text = QString::fromLatin1(row.text) + " mm";
        const std::string got = reading(text, file);
        if (row.text[0] == ',')
            EXPECT_EQ("\",500 mm\" is not a number", got);
        else if (QString::fromLatin1(row.text).contains(QLatin1Char(',')))
            EXPECT_NE(std::string::npos, got.find("written without group separators such as \",\", with \".\" as the "
                                                  "decimal sign"))
                << row.text << " (file): " << got;
        else
            EXPECT_EQ(std::string("taken ") + row.number, got) << row.text << " (file)";
    }

    // A blank between digits (a space, a no-break space, a narrow no-break space) groups
    // only where the locale groups with a blank; elsewhere the reason says which sign
    // groups.  And a "." or "," that is neither sign of the locale is refused, naming both.
    const std::string frenchSigns = "under fr_FR, \",\" is the decimal sign and \"" + nnbsp.toStdString()
        + "\" groups, as in \"1" + nnbsp.toStdString() + "500\"";
    const std::string groupSigns[] = {"under C, \".\" is the decimal sign and \",\" groups, as in \"1,500\"",
                                      "under de_DE, \",\" is the decimal sign and \".\" groups, as in \"1.500\"",
                                      frenchSigns,
                                      "under en_IN, \".\" is the decimal sign and \",\" groups, as in \"1,50,000\""};
    for (const ushort blank : {ushort(0x20), ushort(0xA0), ushort(0x202F)}) {
        for (const char* shape : {"1#500 N", "-12#345#678 N", "1#50#000 N"}) {
            const QString text = QString::fromLatin1(shape).replace(QLatin1Char('#'), QChar(blank));
            const bool indianShape = QString::fromLatin1(shape).startsWith(QLatin1String("1#50#"));
            for (const Column column : {C, German, French, Indian}) {
                const std::string cell = QString::number(blank, 16).toStdString() + " in " + shape + " (" + names[column] + ")";
                const std::string got = reading(text, *locales[column]);
                if (column == French && !indianShape)
                    EXPECT_EQ(QString::fromLatin1(shape).startsWith('-') ? "taken -12345678" : "taken 1500", got) << cell;
                else if (column == French)
                    EXPECT_NE(std::string::npos, got.find("only separates groups of three digits")) << cell << ": " << got;
                else
                    EXPECT_EQ("\"" + text.toStdString() + "\" is not read: a blank does not group digits here: "
                                  + groupSigns[column],
                              got)
                        << cell;
            }
            EXPECT_EQ("\"" + text.toStdString() + "\" is not read: numbers here are written without group separators "
                          "such as \"" + QString(QChar(blank)).toStdString() + "\", with \".\" as the decimal sign",
                      reading(text, file))
                << QString::number(blank, 16).toStdString() << " in " << shape << " (file)";
        }
    }
    // Read under C, de_DE, fr_FR, en_IN; null: refused, naming the signs.
    const struct { const char* text; const char* taken[4]; } signs[] = {
        {"1.500 N", {"1.5", "1500", nullptr, "1.5"}},
        {"1,500 N", {"1500", "1.5", "1.5", "1500"}},
        {"1.234,5 N", {nullptr, "1234.5", nullptr, nullptr}},
        {"12.5", {"12.5", nullptr, nullptr, "12.5"}},
    };
    for (const auto& row : signs) {
        for (const Column column : {C, German, French, Indian}) {
            const std::string got = reading(QString::fromLatin1(row.text), *locales[column]);
            const std::string cell = std::string(row.text) + " (" + names[column] + ")";
            if (row.taken[column])
                EXPECT_EQ(std::string("taken ") + row.taken[column], got) << cell;
            else if (column == French)
                EXPECT_EQ("\"" + std::string(row.text) + "\" is not read: " + frenchSigns, got) << cell;
            else
                EXPECT_EQ(0u, got.find("The decimal sign here is ")) << cell << ": " << got;
        }
    }
}

TEST(QuantityTable, ConversionsNeverRoundPastTheLargestNumberAndTellWhatFallsBelowTheSmallest)
{
    const double edges[] = {DBL_MAX, -DBL_MAX, 1e308, DBL_MIN, 2.2250738585072009e-308, 4.9406564584124654e-324,
                            -0.0, 0.30000000000000004, 9.99999999999999, 0.12345678901234567};
    for (const pmUnit::pmQuantity kind : {pmUnit::Length, pmUnit::Force, pmUnit::Pressure, pmUnit::Mass}) {
        const std::vector<pmUnit::UnitType> units = pmUnit::UnitsManager::getUnitTypes(kind);
        for (const pmUnit::UnitType from : units) {
            for (const pmUnit::UnitType to : units) {
                for (const double v : edges) {
                    const std::string cell = std::to_string(v) + " " + pmUnit::UnitsManager::getUnitSymbol(from).toStdString()
                        + " -> " + pmUnit::UnitsManager::getUnitSymbol(to).toStdString();
                    Quantity there, back;
                    ASSERT_TRUE(Quantity(v, kind, from).convertTo(to, there)) << cell;
                    const double c = there.getValue();
                    const Quantity::Fit fit = Quantity::fit(v, c);
                    if (from == to) {
                        EXPECT_EQ(0, std::memcmp(&v, &c, sizeof v)) << cell;
                        continue;
                    }
                    if (fit == Quantity::BeyondLargest) {
                        EXPECT_FALSE(std::isfinite(c)) << cell;
                        continue;
                    }
                    if (fit == Quantity::BelowSmallest) {
                        EXPECT_LT(std::fabs(c), DBL_MIN) << cell;
                        continue;
                    }
                    // What fits goes back: finite, and to the number it came from within
                    // the digits shown.
                    ASSERT_TRUE(there.convertTo(from, back)) << cell;
                    EXPECT_TRUE(std::isfinite(back.getValue())) << cell << ": " << c;
                    EXPECT_EQ(std::signbit(v), std::signbit(c)) << cell;
                    if (v != 0.0) {
                        EXPECT_LE(std::fabs(back.getValue() - v) / std::fabs(v), 1e-14) << cell;
                    }
                }
            }
        }
    }
    // The largest number in millimetres, in metres and back: never rounded past it.
    Quantity m, mm;
    ASSERT_TRUE(Quantity(DBL_MAX, pmUnit::Length, pmUnit::Millimeter).convertTo(pmUnit::Meter, m));
    EXPECT_LE(m.getValue(), DBL_MAX / 1000.0 * (1 + 1e-15));
    ASSERT_TRUE(m.convertTo(pmUnit::Millimeter, mm));
    EXPECT_TRUE(std::isfinite(mm.getValue()));
    // Below the smallest normal number: told, not silently 0 or short of digits.
    EXPECT_EQ(Quantity::BelowSmallest, Quantity::fit(4.9406564584124654e-324, 0.0));
    EXPECT_EQ(Quantity::BelowSmallest, Quantity::fit(2.2250738585072009e-308, 2.2250738585072009e-314));
    EXPECT_EQ(Quantity::Fits, Quantity::fit(-0.0, -0.0));
}

TEST(QuantityTable, TheShortestTextReadsBackTheVeryNumber)
{
    const double numbers[] = {0.1, 0.30000000000000004, 1573.6626016979733, 9.9999999999999991e-05, -0.0, DBL_MAX,
                              DBL_MIN, 4.9406564584124654e-324, 7000, 0.003 / 0.3048, 1.0 / 3.0, 914.4000000000001};
    for (const double v : numbers) {
        const QString text = pmUnit::shortestText(v);
        bool ok = false;
        const double back = text.toDouble(&ok);
        EXPECT_TRUE(ok) << text.toStdString();
        EXPECT_EQ(0, std::memcmp(&v, &back, sizeof v)) << text.toStdString();
        // No shorter text with fewer significant digits reads back the same number.
        QString mantissa = text.section(QLatin1Char('e'), 0, 0);
        mantissa.remove(QRegExp("[^0-9]"));
        mantissa.remove(QRegExp("^0+"));
        mantissa.remove(QRegExp("0+$"));
        const int significant = mantissa.size();
        if (significant > 1) {
            const QString shorter = QString::number(v, 'g', significant - 1);
            EXPECT_NE(v, shorter.toDouble()) << text.toStdString() << " vs " << shorter.toStdString();
        }
        EXPECT_EQ(Quantity::parse(text + " mm").getValue(), v);
    }
    EXPECT_EQ("-0", pmUnit::shortestText(-0.0));
    EXPECT_EQ("0.30000000000000004", pmUnit::shortestText(0.30000000000000004));
    EXPECT_EQ("7000", pmUnit::shortestText(7000));
}
