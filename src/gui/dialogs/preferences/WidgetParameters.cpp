#include "WidgetParameters.h"

#include <obj/Application.h>
#include <vexil/MsgConsole.h>

#include <cstdio>
#include <cstring>

namespace Gui {

namespace {

Vexil::ParameterGroup::Handle preferencesGroup()
{
    Obj::Application* logic = Obj::Application::_pcSingleton;
    if (!logic)
        return {};
    return logic->get_user_preference().get_parameter_group("BaseApp")->get_parameter_group("Preferences");
}

Vexil::ParameterGroup::Handle groupNamed(const char* name)
{
    Vexil::ParameterGroup::Handle prefs = preferencesGroup();
    return prefs ? prefs->get_parameter_group(name) : Vexil::ParameterGroup::Handle();
}

bool startsWith(const char* text, const char* prefix)
{
    return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

} // namespace

WidgetParameters::WidgetParameters(const char* name)
{
    std::printf("Instanceate:%s\n", name ? name : "");
    if (name && *name)
        group = groupNamed(name);
}

WidgetParameters::~WidgetParameters() = default;

bool WidgetParameters::setGroupName(const char* name)
{
    if (group.is_valid())
        return false;
    if (!name)
        name = "";
    if (startsWith(name, "User parameter:") || startsWith(name, "System parameter:")) {
        if (Obj::Application* logic = Obj::Application::_pcSingleton)
            group = logic->get_preference_group_by_path(name);
    } else {
        group = groupNamed(name);
    }
    return true;
}

Vexil::ParameterGroup::Handle WidgetParameters::getDefaultParameter()
{
    return preferencesGroup();
}

Vexil::ParameterGroup::Handle WidgetParameters::getWindowParameter() const
{
    return group;
}

void WidgetParameters::on_modify(Vexil::Subject<const char*>&, const char*)
{
    Vexil::MsgConsoleSingleton::Instance().Log(
        "Parameter has changed and window (%s) has not overridden this function!\n",
        group ? group->get_group_name() : "");
}

} // namespace Gui
