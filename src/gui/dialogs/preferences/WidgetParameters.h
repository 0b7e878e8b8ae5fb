#pragma once
// Binds a window or widget to one parameter group of the user preferences, by default
// "BaseApp/Preferences/<name>", and gives owners that observe their group a default
// change handler.

#include <PelmoraGuiExport.h>

#include <vexil/Observer.h>
#include <vexil/Parameter.h>

namespace Gui {

class PELMORAGUI_EXPORT WidgetParameters : public Vexil::ObserverPattern<const char*>
{
public:
    // An empty name binds no group.  The object does not attach itself to the group.
    explicit WidgetParameters(const char* name);
    ~WidgetParameters() override;
    WidgetParameters(const WidgetParameters&) = default;
    WidgetParameters& operator=(const WidgetParameters&) = default;

    // Binds a group after construction; false (and no change) when one is bound already.
    // Names starting with "User parameter:" or "System parameter:" are full paths.
    bool setGroupName(const char* name);
    static Vexil::ParameterGroup::Handle getDefaultParameter();
    Vexil::ParameterGroup::Handle getWindowParameter() const;

    void on_modify(Vexil::Subject<const char*>& caller, const char* reason) override;

private:
    Vexil::ParameterGroup::Handle group;
};

} // namespace Gui
