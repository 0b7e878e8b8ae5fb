#include "UnitSystemsImp.h"

#include "Units.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace pmUnit {

UnitSystemsImp::UnitSystemsImp(QWidget* parent)
    : QDialog(parent)
    , list(new QTreeWidget(this))
{
    setObjectName(QStringLiteral("UnitSystems"));
    setWindowTitle(tr("Unit Systems"));
    auto* box = new QVBoxLayout(this);
    list->setColumnCount(2);
    list->setHeaderLabels({tr("Quantity"), tr("Unit")});
    const QString current = UnitsManager::instance()->systemUnits();
    for (const QString& system : UnitsManager::unitSystems()) {
        auto* top = new QTreeWidgetItem(list, {UnitsManager::unitSystemLabel(system)});
        for (const auto& entry : UnitsManager::unitSystemUnits(system))
            new QTreeWidgetItem(top, {tr(entry.first.toLatin1().constData()), entry.second});
        if (system == current) {
            top->setExpanded(true);
            list->setCurrentItem(top);
        }
    }
    list->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    box->addWidget(list);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    box->addWidget(buttons);
    resize(420, 360);
}

} // namespace pmUnit
