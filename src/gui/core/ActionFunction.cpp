#include "ActionFunction.h"

#include <QAction>

#include <map>

namespace Gui {

class ActionFunctionPrivate
{
public:
    std::map<QAction*, boost::function<void()>> triggerMap;
    std::map<QAction*, boost::function<void(bool)>> toggleMap;
    std::map<QAction*, boost::function<void()>> hoverMap;
};

ActionFunction::ActionFunction(QObject* parent)
    : QObject(parent), d(std::make_unique<ActionFunctionPrivate>())
{
}

ActionFunction::~ActionFunction() = default;

// A second callback for the same action replaces the first; the connection stays single,
// so that one click runs the callback once.
void ActionFunction::trigger(QAction* action, boost::function<void()> f)
{
    d->triggerMap[action] = std::move(f);
    connect(action, &QAction::triggered, this, &ActionFunction::triggered, Qt::UniqueConnection);
}

void ActionFunction::toggle(QAction* action, boost::function<void(bool)> f)
{
    d->toggleMap[action] = std::move(f);
    connect(action, &QAction::toggled, this, &ActionFunction::toggled, Qt::UniqueConnection);
}

void ActionFunction::hover(QAction* action, boost::function<void()> f)
{
    d->hoverMap[action] = std::move(f);
    connect(action, &QAction::hovered, this, &ActionFunction::hovered, Qt::UniqueConnection);
}

void ActionFunction::triggered()
{
    const auto it = d->triggerMap.find(qobject_cast<QAction*>(sender()));
    if (it != d->triggerMap.end())
        it->second();
}

void ActionFunction::toggled(bool on)
{
    const auto it = d->toggleMap.find(qobject_cast<QAction*>(sender()));
    if (it != d->toggleMap.end())
        it->second(on);
}

void ActionFunction::hovered()
{
    const auto it = d->hoverMap.find(qobject_cast<QAction*>(sender()));
    if (it != d->hoverMap.end())
        it->second();
}

} // namespace Gui
