#pragma once
// The editor of a link property: the linked object's label as a link that selects the
// object in the project tree, and "Edit..." that lets the user choose another object.

#include "PelmoraGuiExport.h"

#include <QLabel>
#include <QStringList>

namespace Gui {
namespace PropertyOperator {

class PELMORAGUI_EXPORT LinkLabel : public QLabel
{
    Q_OBJECT
public:
    explicit LinkLabel(QWidget* parent = nullptr);
    ~LinkLabel() override;

    // Project name, object id, object label, and whatever else the link carries.
    void setPropertyLink(const QStringList& link);
    QStringList propertyLink() const { return link; }

public Q_SLOTS:
    void onLinkActivated(const QString& target);

Q_SIGNALS:
    void linkChanged(const QStringList& link);

private:
    QStringList link;
};

// Selects a linked object in the project tree once, then deletes itself.
class PELMORAGUI_EXPORT LinkSelection : public QObject
{
    Q_OBJECT
public:
    explicit LinkSelection(const QStringList& link);
    ~LinkSelection() override;

public Q_SLOTS:
    void select();

private:
    QStringList link;
};

} // namespace PropertyOperator
} // namespace Gui
