// Widgets bound to parameter groups of the user preferences, and the preference
// widgets that carry an entry name but behave exactly as their toolkit bases.

#include <dialogs/preferences/PreferenceWidgets.h>
#include <dialogs/preferences/WidgetParameters.h>

#include <support/ConsoleCapture.h>
#include <support/TestEnvironment.h>

#include <obj/Application.h>

#include <QSignalSpy>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

Vexil::ParameterGroup* preferencesChild(Obj::Application& app, const char* name)
{
    return app.get_user_preference().get_parameter_group("BaseApp/Preferences")->get_parameter_group(name).get();
}

class CountingWidget : public Gui::PreferenceWidgets
{
public:
    int restored = 0;
    int saved = 0;

protected:
    void restorePreferences() override { ++restored; }
    void savePreferences() override { ++saved; }
};

} // namespace

TEST(WidgetParameters, BindsANamedGroupBelowThePreferencesAndKeepsItAlive)
{
    PelmoraTest::ScopedLogic logic;
    Gui::WidgetParameters output("OutputWindow");
    Vexil::ParameterGroup::Handle group = output.getWindowParameter();
    ASSERT_TRUE(group.is_valid());
    EXPECT_EQ(group.get(), preferencesChild(logic.app(), "OutputWindow"));
    EXPECT_EQ(Gui::WidgetParameters::getDefaultParameter().get(),
              logic.app().get_user_preference().get_parameter_group("BaseApp/Preferences").get());

    // Written through the bound group, read back through the tree.
    group->set_int_value("Size", 12);
    EXPECT_EQ(preferencesChild(logic.app(), "OutputWindow")->get_int_value("Size"), 12);
    // The binding does not observe its group.
    EXPECT_FALSE(group->is_attached(&output));
}

TEST(WidgetParameters, LateBindingOnceByRelativeNameOrFullPath)
{
    PelmoraTest::ScopedLogic logic;
    Gui::WidgetParameters unbound("");
    EXPECT_TRUE(unbound.getWindowParameter().is_null());
    EXPECT_TRUE(unbound.setGroupName("User parameter:BaseApp/Preferences/General"));
    EXPECT_EQ(unbound.getWindowParameter().get(), preferencesChild(logic.app(), "General"));
    // A second binding is refused and the first one stays.
    EXPECT_FALSE(unbound.setGroupName("Other"));
    EXPECT_EQ(unbound.getWindowParameter().get(), preferencesChild(logic.app(), "General"));

    // Without the colon the name is a group beneath the preferences, not a path.
    Gui::WidgetParameters relative("");
    EXPECT_TRUE(relative.setGroupName("User parameter"));
    EXPECT_EQ(relative.getWindowParameter().get(), preferencesChild(logic.app(), "User parameter"));
}

TEST(WidgetParameters, DefaultChangeHandlerLogsTheGroupName)
{
    PelmoraTest::ScopedLogic logic;
    PelmoraTest::ConsoleCapture console;
    Gui::WidgetParameters window("Spaceball");
    window.getWindowParameter()->attach(&window);
    window.getWindowParameter()->set_int_value("Button", 3);
    window.getWindowParameter()->detach(&window);
    EXPECT_TRUE(console.contains(PelmoraTest::ConsoleCapture::Level::Log,
                                 "Parameter has changed and window (Spaceball) has not overridden this function!"));
}

TEST(PreferenceWidgets, BehaveAsTheirToolkitBasesAndKeepOnlyTheEntryName)
{
    PelmoraTest::ScopedLogic logic;
    QWidget form;
    auto* layout = new QVBoxLayout(&form);
    auto* check = new Gui::PrefCheckBox(&form);
    auto* combo = new Gui::PrefComboBox(&form);
    auto* slider = new Gui::PrefSlider(&form);
    auto* colour = new Gui::PrefColorButton(&form);
    layout->addWidget(check);
    layout->addWidget(combo);
    layout->addWidget(slider);
    layout->addWidget(colour);

    QSignalSpy toggled(check, &QCheckBox::stateChanged);
    check->click();
    EXPECT_TRUE(check->isChecked());
    ASSERT_EQ(toggled.count(), 1);
    EXPECT_EQ(toggled.at(0).at(0).toInt(), int(Qt::Checked));
    EXPECT_TRUE(check->getWindowParameter().is_null());

    combo->addItems({QStringLiteral("a"), QStringLiteral("b")});
    combo->setCurrentIndex(1);
    EXPECT_EQ(combo->currentText(), QStringLiteral("b"));

    slider->setEntryName("Zoom");
    slider->setParamGrpPath("View");
    EXPECT_EQ(slider->entryName(), QByteArray("Zoom"));
    EXPECT_TRUE(slider->paramGrpPath().isEmpty());

    // Saving and restoring change neither the widget nor anything stored.
    slider->setValue(42);
    slider->onSave();
    slider->onRestore();
    EXPECT_EQ(slider->value(), 42);
    colour->setColor(QColor(1, 2, 3));
    colour->onRestore();
    EXPECT_EQ(colour->color(), QColor(1, 2, 3));
}

TEST(PreferenceWidgets, AChangeOfTheirOwnEntryRestoresThem)
{
    PelmoraTest::ScopedLogic logic;
    CountingWidget widget;
    widget.setEntryName("Color");
    Vexil::ParameterGroup::Handle group = logic.app().get_user_preference().get_parameter_group("BaseApp/Test");
    group->attach(&widget);
    group->set_unsigned_value("Other", 1);
    EXPECT_EQ(widget.restored, 0);
    group->set_unsigned_value("Color", 2);
    EXPECT_EQ(widget.restored, 1);
    group->detach(&widget);

    widget.onSave();
    EXPECT_EQ(widget.saved, 1);

    // Copies carry the identity.
    CountingWidget copy(widget);
    EXPECT_EQ(copy.entryName(), QByteArray("Color"));
}
