#include "FolderSettings.h"

#include <obj/Application.h>

#include <QDir>

namespace Gui {

namespace {

QString homeDirectory()
{
    const Obj::Application* logic = Obj::Application::_pcSingleton;
    return logic ? QString::fromUtf8(logic->get_home_directory().c_str()) : QString();
}

QString tempDirectory()
{
    const Obj::Application* logic = Obj::Application::_pcSingleton;
    return logic ? QString::fromUtf8(logic->get_sys_temp_directory().c_str()) : QDir::tempPath();
}

} // namespace

bool FolderSettings::isFolderSetting(Vexil::PM_SETTING id)
{
    switch (id) {
    case Vexil::PM_DEFAULT_FOLDER:
    case Vexil::PM_TEMP_FOLDER:
    case Vexil::PM_REPORT_GENERATOR_FOLDER:
    case Vexil::PM_EXECUTABLE_FOLDER:
    case Vexil::PM_NGSOLVE_EXECUTABLE:
        return true;
    default:
        return false;
    }
}

bool FolderSettings::isUnset(const QString& stored)
{
    return stored.isEmpty() || stored == QLatin1String("Undefined");
}

QString FolderSettings::fallback(Vexil::PM_SETTING id)
{
    switch (id) {
    case Vexil::PM_DEFAULT_FOLDER:
    case Vexil::PM_REPORT_GENERATOR_FOLDER:
    case Vexil::PM_EXECUTABLE_FOLDER:
        return homeDirectory();
    case Vexil::PM_TEMP_FOLDER:
        return tempDirectory();
    case Vexil::PM_NGSOLVE_EXECUTABLE: {
        const QString home = homeDirectory();
        return home.isEmpty() ? QString() : QDir(home).filePath(QStringLiteral("netgen.exe"));
    }
    default:
        return QString();
    }
}

QString FolderSettings::read(const Vexil::PreferenceManager* prefs, Vexil::PM_SETTING id)
{
    const QString stored = prefs ? prefs->getString(id) : QString();
    if (isFolderSetting(id) && isUnset(stored))
        return fallback(id);
    return stored;
}

} // namespace Gui
