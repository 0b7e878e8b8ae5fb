#pragma once
// Binds Qt actions to plain callbacks, so that code without a QObject of its own can
// react to an action.

#include "PelmoraGuiExport.h"

#include <QObject>

#include <boost/function.hpp>

#include <memory>

class QAction;

namespace Gui {

class ActionFunctionPrivate;

class PELMORAGUI_EXPORT ActionFunction : public QObject
{
    Q_OBJECT
public:
    explicit ActionFunction(QObject* parent);
    ~ActionFunction() override;

    // Each replaces an earlier callback of the action.
    void trigger(QAction* action, boost::function<void()> f);
    void toggle(QAction* action, boost::function<void(bool)> f);
    void hover(QAction* action, boost::function<void()> f);

private Q_SLOTS:
    void triggered();
    void toggled(bool on);
    void hovered();

private:
    std::unique_ptr<ActionFunctionPrivate> d;
};

} // namespace Gui
