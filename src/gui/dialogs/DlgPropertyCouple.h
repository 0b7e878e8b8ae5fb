#pragma once
// Chooses the object that a link property points to, from the objects of the link's
// project.  The link list given (project name, object id, label, ...) comes back with
// the chosen object's id and label in entries 1 and 2.

#include "PelmoraGuiExport.h"

#include <QDialog>
#include <QStringList>

QT_BEGIN_NAMESPACE
class QListWidget;
QT_END_NAMESPACE

namespace Gui {
namespace Dlg {

class PELMORAGUI_EXPORT DlgPropertyCouple : public QDialog
{
    Q_OBJECT
public:
    DlgPropertyCouple(const QStringList& link, QWidget* parent = nullptr, Qt::WindowFlags fl = Qt::WindowFlags());
    ~DlgPropertyCouple() override;

    // The link with the chosen object; unchanged when nothing was chosen.
    QStringList propertyLink() const;
    QListWidget* objectList() const { return list; }

private:
    QStringList link;
    QListWidget* list;
};

} // namespace Dlg
} // namespace Gui
