// Rows: what each kind shows in its roles and the exact text it sends back.

#include "PropertyEditorTestSupport.h"

#include <propertyeditor/PropertyFloatSciItem.h>
#include <propertyeditor/PropertyItem.h>
#include <propertyeditor/PropertyModel.h>

#include <obj/PropertyFloatScientific.h>
#include <obj/PropertyStringList.h>

#include <QColor>
#include <QComboBox>
#include <QLineEdit>
#include <QLocale>
#include <QSpinBox>
#include <QStringList>

#include <clocale>
#include <cmath>
#include <limits>
#include <memory>

using namespace Gui::PropertyOperator;
using PropertyEditorTest::Fixture;

namespace {

class RowTest : public Fixture
{
protected:
    // Builds the model from one entry per name, each bound to the objects' properties.
    void build(const std::vector<std::pair<std::string, std::vector<Obj::Property*>>>& list)
    {
        model.buildUp(list);
    }
    QModelIndex valueOf(const char* name)
    {
        for (int r = 0; r < model.rowCount(); ++r) {
            QModelIndex i = model.index(r, 0);
            if (model.data(i).toString() == QLatin1String(name))
                return model.index(r, 1);
        }
        ADD_FAILURE() << "no row " << name;
        return {};
    }
    PropertyModel model;
};

// Switches the process to a decimal-comma locale while it lives, when one is installed.
struct GermanLocale
{
    GermanLocale()
    {
        previous = std::setlocale(LC_ALL, nullptr);
        installed = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    }
    ~GermanLocale()
    {
        std::setlocale(LC_ALL, previous.c_str());
        QLocale::setDefault(QLocale::c());
    }
    std::string previous;
    bool installed = false;
};

} // namespace

TEST_F(RowTest, TruthValueShowsTrueAndFalseAndRoundTripsThroughTheLogic)
{
    auto* pa = add<Obj::PropertyBoolean>(a, "Flag");
    pa->set_value(true);
    build({{"Flag", {pa}}});
    const QModelIndex v = valueOf("Flag");
    EXPECT_EQ(model.data(v, Qt::DisplayRole).toString(), "True");
    EXPECT_EQ(model.data(v, Qt::EditRole).toBool(), true);

    // Choosing "False" in the editor: the text goes to the logic, which applies it.
    EXPECT_TRUE(model.setData(v, QStringLiteral("False")));
    EXPECT_EQ(commands(), std::vector<std::string>{line41(a, "Flag", "False")});
    EXPECT_FALSE(pa->get_value());
    EXPECT_EQ(model.data(v, Qt::DisplayRole).toString(), "False");
}

TEST_F(RowTest, NumbersAreWrittenWithTheRowsDecimalsInTheCLocaleWhateverTheUsersLocale)
{
    GermanLocale german;
    auto* d = add<Obj::PropertyDecimal>(a, "Length");
    auto* i = add<Obj::PropertyInteger>(a, "Count");
    auto* col = add<Obj::PropertyColor>(a, "Colour");
    d->set_value(1.25);
    col->set_value(1.0f, 0.5f, 0.0f);
    build({{"Length", {d}}, {"Count", {i}}, {"Colour", {col}}});

    EXPECT_EQ(model.data(valueOf("Length"), Qt::DisplayRole).toString(), QLocale().toString(1.25, 'f', 2));
    EXPECT_EQ(model.data(valueOf("Colour"), Qt::DisplayRole).toString(), "[255, 127, 0]");

    model.setData(valueOf("Length"), 2.5);
    model.setData(valueOf("Count"), 42);
    model.setData(valueOf("Colour"), QColor(Qt::red));
    EXPECT_EQ(commands(), (std::vector<std::string>{line41(a, "Length", "2.50"), line41(a, "Count", "42"),
                                                    line41(a, "Colour", "(1.00, 0.00, 0.00)")}));
    EXPECT_DOUBLE_EQ(d->get_value(), 2.5);
    EXPECT_EQ(i->get_value(), 42);
    EXPECT_FLOAT_EQ(col->get_value().r, 1.0f);
    // Fractions beyond 0 to 1 show at the nearest end, not as black.
    col->set_value(2.0f, -1.0f, std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(model.data(valueOf("Colour"), Qt::DisplayRole).toString(), "[255, 0, 0]");
    EXPECT_EQ(model.data(valueOf("Colour"), Qt::EditRole).value<QColor>(), QColor(255, 0, 0));
}

TEST_F(RowTest, IntegersWiderThanTheSpinBoxAreShownWholeAndOpenAtItsLimit)
{
    auto* i = add<Obj::PropertyInteger>(a, "Count");
    i->set_value(3000000000L);
    build({{"Count", {i}}});
    const QModelIndex v = valueOf("Count");
    EXPECT_EQ(model.data(v).toString(), "3000000000");
    auto* item = static_cast<PropertyItem*>(v.internalPointer());
    QSpinBox box;
    item->setEditorData(&box, model.data(v, Qt::EditRole));
    EXPECT_EQ(box.value(), std::numeric_limits<int>::max());
    i->set_value(-7L);
    EXPECT_EQ(model.data(v).toString(), "-7");
    EXPECT_TRUE(commands().empty());
}

TEST_F(RowTest, ScientificNumbersAreWrittenWithAPointUnderADecimalCommaLocale)
{
    GermanLocale german;
    auto* d = add<Obj::PropertyFloatScientific>(a, "Tolerance");
    build({});
    auto* item = static_cast<PropertyItem*>(PropertyFloatSciItem::create());
    item->setPropertyName("Tolerance");
    item->setPropertyData({d});
    item->setData(1.5e-5);
    delete item;
    EXPECT_EQ(commands(), std::vector<std::string>{line41(a, "Tolerance", "1.5e-5")});
    EXPECT_DOUBLE_EQ(d->get_value(), 1.5e-5);
}

TEST_F(RowTest, OneEditWritesEverySelectedObjectInOrderAndSkipsReadOnlyOnes)
{
    auto* pa = add<Obj::PropertyString>(a, "Note");
    auto* pb = add<Obj::PropertyString>(b, "Note");
    auto* pc = add<Obj::PropertyString>(c, "Note");
    pb->set_read_only(true);
    build({{"Note", {pa, pb, pc}}});
    model.setData(valueOf("Note"), QStringLiteral("hello"));
    EXPECT_EQ(commands(), (std::vector<std::string>{line41(a, "Note", "hello"), line41(c, "Note", "hello")}));
    EXPECT_STREQ(pb->get_value(), "");
    EXPECT_STREQ(pc->get_value(), "hello");
}

TEST_F(RowTest, ReadOnlyRowsAreNotEditableAndSendNothing)
{
    auto* pa = add<Obj::PropertyInteger>(a, "Count");
    auto* pb = add<Obj::PropertyInteger>(b, "Count");
    pa->set_read_only(true);
    pb->set_read_only(true);
    build({{"Count", {pa, pb}}});
    const QModelIndex v = valueOf("Count");
    EXPECT_FALSE(model.flags(v) & Qt::ItemIsEditable);
    model.setData(v, 5);
    EXPECT_TRUE(commands().empty());
    EXPECT_EQ(pa->get_value(), 0);
}

TEST_F(RowTest, ProjectPropertiesGoAsCommand43WithObjectIdZero)
{
    auto* p = add<Obj::PropertyString>(project, "Author");
    build({{"Author", {p}}});
    model.setData(valueOf("Author"), QStringLiteral("Ann"));
    EXPECT_EQ(commands(), std::vector<std::string>{"runCommand 43 P|0|Author|Ann"});
    EXPECT_STREQ(p->get_value(), "Ann");
}

TEST_F(RowTest, NoValueShowsEmptyOnLightYellowAndSurvivesAnUnchangedEdit)
{
    auto* d = add<Obj::PropertyDecimal>(a, "Pressure");
    d->set_value(std::ldexp(1.0, -100));
    build({{"Pressure", {d}}});
    const QModelIndex v = valueOf("Pressure");
    EXPECT_EQ(model.data(v, Qt::DisplayRole).toString(), "");
    EXPECT_EQ(model.data(v, Qt::BackgroundRole).value<QColor>(), QColor(255, 255, 102));

    // The editor shows a missing value as 0; committing that must not invent a value.
    model.setData(v, 0.0);
    EXPECT_TRUE(commands().empty());
    EXPECT_TRUE(isNoValue(d->get_value()));

    model.setData(v, 3.0);
    EXPECT_EQ(commands(), std::vector<std::string>{line41(a, "Pressure", "3.00")});
    EXPECT_FALSE(model.data(v, Qt::BackgroundRole).isValid());
}

TEST_F(RowTest, EmptyStringsAreLightYellowAndInvalidPropertiesRed)
{
    auto* empty = add<Obj::PropertyString>(a, "Empty");
    auto* bad = add<Obj::PropertyString>(a, "Bad");
    auto* good = add<Obj::PropertyString>(a, "Good");
    bad->set_value("x");
    bad->setInValid(true);
    good->set_value("y");
    build({{"Empty", {empty}}, {"Bad", {bad}}, {"Good", {good}}});
    EXPECT_EQ(model.data(valueOf("Empty"), Qt::BackgroundRole).value<QColor>(), QColor(255, 255, 102));
    EXPECT_EQ(model.data(valueOf("Bad"), Qt::BackgroundRole).value<QColor>(), QColor(Qt::red));
    EXPECT_FALSE(model.data(valueOf("Good"), Qt::BackgroundRole).isValid());
}

TEST_F(RowTest, TextsBeyondALineEditsDefaultLimitAreEditedWhole)
{
    // Every key press writes the editor's text back: a text cut at 32,767 characters
    // would lose its tail at the first one.
    const std::string whole = std::string(40000, 'a') + "tail";
    auto* text = add<Obj::PropertyString>(a, "Text");
    text->set_value(whole);
    auto* names = add<Obj::PropertyStringList>(a, "Names");
    names->set_values({whole});
    build({{"Text", {text}}, {"Names", {names}}});
    QWidget sink;
    for (const char* row : {"Text", "Names"}) {
        const QModelIndex v = valueOf(row);
        auto* item = static_cast<PropertyItem*>(v.internalPointer());
        std::unique_ptr<QWidget> editor(item->createEditor(&sink, &sink, SLOT(update())));
        item->setEditorData(editor.get(), model.data(v, Qt::EditRole));
        auto* line = qobject_cast<QLineEdit*>(editor.get());
        if (!line)
            line = editor->findChild<QLineEdit*>();
        ASSERT_NE(line, nullptr) << row;
        line->end(false);
        line->backspace();
        model.setData(v, item->editorData(editor.get()));
    }
    EXPECT_EQ(text->get_value(), whole.substr(0, whole.size() - 1));
    ASSERT_EQ(names->get_values().size(), 1u);
    EXPECT_EQ(names->get_values().front(), whole) << "the closing bracket went, the entry stays";
}

TEST_F(RowTest, ListEntriesAreEscapedSoQuotesCommasAndBackslashesSurvive)
{
    auto* p = add<Obj::PropertyString>(a, "Names");
    auto* strings = static_cast<PropertyItem*>(PropertyStringArrayItem::create());
    strings->setPropertyName("Names");
    strings->setPropertyData({p});
    const QStringList entries{"it's", "a,b", "c\\d", "plain"};
    EXPECT_EQ(strings->data(1, Qt::DisplayRole).toString(), "[]");
    strings->setData(entries);
    auto* numbers = static_cast<PropertyItem*>(PropertyDecimalArrayItem::create());
    numbers->setPropertyName("Names");
    numbers->setPropertyData({p});
    numbers->setData(QStringList{"1", "2.5"});
    delete strings;
    delete numbers;
    const auto sent = commands();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0], line41(a, "Names",
                              "[unicode('it\\'s', 'utf-8'),unicode('a\\,b', 'utf-8'),"
                              "unicode('c\\\\d', 'utf-8'),unicode('plain', 'utf-8'),]"));
    EXPECT_EQ(sent[1], line41(a, "Names", "[1,2.5,]"));
    for (const QString& e : entries)
        EXPECT_EQ(unescapeListEntry(escapeListEntry(e)), e);
}

TEST_F(RowTest, EnumerationEditorOffersTheEntriesCommonToTheSelection)
{
    static const char* first[] = {"P", "Q", "R", nullptr};
    static const char* second[] = {"R", "P", nullptr};
    auto* ea = add<Obj::PropertyEnumType>(a, "Mode");
    auto* eb = add<Obj::PropertyEnumType>(b, "Mode");
    ea->set_enums(first);
    eb->set_enums(second);
    ea->set_value(2L);
    build({{"Mode", {ea, eb}}});
    const QModelIndex v = valueOf("Mode");
    EXPECT_EQ(model.data(v).toString(), "R");
    auto* item = static_cast<PropertyItem*>(v.internalPointer());
    QComboBox box;
    item->setEditorData(&box, model.data(v, Qt::EditRole));
    ASSERT_EQ(box.count(), 2);
    EXPECT_EQ(box.itemText(0), "R");
    EXPECT_EQ(box.itemText(1), "P");
    EXPECT_EQ(box.currentText(), "R");
    box.setCurrentIndex(1);
    model.setData(v, item->editorData(&box));
    EXPECT_EQ(commands(), (std::vector<std::string>{line41(a, "Mode", "P"), line41(b, "Mode", "P")}));
    EXPECT_STREQ(ea->get_value_as_string(), "P");
    ea->set_enums(nullptr);
    eb->set_enums(nullptr);
}

TEST_F(RowTest, EnumerationEntriesBeyondAsciiAreOfferedAndWrittenAsShown)
{
    static const char* modes[] = {"Gr\xc3\xb6\xc3\x9f" "e", "\xe5\xbc\xb9\xe6\x80\xa7", nullptr};
    auto* e = add<Obj::PropertyEnumType>(a, "Mode");
    e->set_enums(modes);
    e->set_value(1L);
    build({{"Mode", {e}}});
    const QModelIndex v = valueOf("Mode");
    auto* item = static_cast<PropertyItem*>(v.internalPointer());
    QComboBox box;
    item->setEditorData(&box, model.data(v, Qt::EditRole));
    EXPECT_EQ(box.currentText(), model.data(v).toString());
    box.setCurrentIndex(0);
    model.setData(v, item->editorData(&box));
    EXPECT_EQ(commands(), std::vector<std::string>{line41(a, "Mode", modes[0])});
    EXPECT_EQ(e->get_value(), 0);
    e->set_enums(nullptr);
}

TEST_F(RowTest, SliderChangesEveryWritableSelectedObject)
{
    auto* sa = add<Obj::PropertyRangeSlider>(a, "Level");
    auto* sb = add<Obj::PropertyRangeSlider>(b, "Level");
    auto* sc = add<Obj::PropertyRangeSlider>(c, "Level");
    for (auto* s : {sa, sb, sc})
        s->set_ranges(0, 10);
    sc->set_read_only(true);
    build({{"Level", {sa, sb, sc}}});
    model.setData(valueOf("Level"), 7);
    EXPECT_EQ(sa->get_value(), 7);
    EXPECT_EQ(sb->get_value(), 7);
    EXPECT_EQ(sc->get_value(), 0);
    EXPECT_TRUE(commands().empty());
}
