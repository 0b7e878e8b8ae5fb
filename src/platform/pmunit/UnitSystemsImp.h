#pragma once
// The units library's overview of the unit systems: each system with the unit it gives
// length, mass, force, pressure and time.  The current system is shown expanded and
// selected.

#include <QDialog>

QT_BEGIN_NAMESPACE
class QTreeWidget;
QT_END_NAMESPACE

namespace pmUnit {

class UnitSystemsImp : public QDialog
{
    Q_OBJECT
public:
    explicit UnitSystemsImp(QWidget* parent = nullptr);
    QTreeWidget* tree() const { return list; }

private:
    QTreeWidget* list;
};

} // namespace pmUnit
