#pragma once
// Chooses the object that a link property points to, from the objects of the link's
// project: those of the linked object's type, or all of them with "Show all object
// types".  The link list given (project name, object id, label, owner id) comes back
// with the chosen object's id and label in entries 1 and 2.

#include "PelmoraGuiExport.h"

#include <QDialog>
#include <QStringList>

QT_BEGIN_NAMESPACE
class QCheckBox;
class QDialogButtonBox;
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

    // The link with the first selected object; unchanged when nothing is selected.
    QStringList getPropertyLink() const;
    QListWidget* objectList() const { return listWidget; }

    // Stays open, with a warning, while nothing is selected.
    void accept() override;

public Q_SLOTS:
    void on_checkObjectType_toggled(bool on);

private:
    void fillList(bool allTypes);

    QStringList link;
    QListWidget* listWidget;
    QCheckBox* checkObjectType;
    QDialogButtonBox* buttonBox;
};

} // namespace Dlg
} // namespace Gui
