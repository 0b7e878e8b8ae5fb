#include "dlgMinMaxImp.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {

const char* const RefusedStyle = "QLineEdit { background: rgb(255, 0, 0); }";

} // namespace

dlgMinMaxImp::dlgMinMaxImp(double* min, double* max, QWidget* parent)
    : QDialog(parent)
    , lineEditMin(new QLineEdit(this))
    , lineEditMax(new QLineEdit(this))
    , buttonBox(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this))
    , minimum(min)
    , maximum(max)
{
    setObjectName(QStringLiteral("dlgMinMax"));
    setWindowTitle(tr("Range"));
    lineEditMin->setObjectName(QStringLiteral("lineEditMin"));
    lineEditMax->setObjectName(QStringLiteral("lineEditMax"));
    buttonBox->setObjectName(QStringLiteral("buttonBox"));
    if (minimum)
        lineEditMin->setText(QString::number(*minimum, 'g', 15));
    if (maximum)
        lineEditMax->setText(QString::number(*maximum, 'g', 15));
    auto* form = new QFormLayout();
    form->addRow(tr("Minimum:"), lineEditMin);
    form->addRow(tr("Maximum:"), lineEditMax);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttonBox);
    QMetaObject::connectSlotsByName(this);
}

dlgMinMaxImp::~dlgMinMaxImp() = default;

void dlgMinMaxImp::on_buttonBox_clicked(QAbstractButton* button)
{
    const QDialogButtonBox::StandardButton which = buttonBox->standardButton(button);
    if (which == QDialogButtonBox::Cancel) {
        reject();
        return;
    }
    if (which != QDialogButtonBox::Ok)
        return;
    const QString minText = lineEditMin->text();
    const QString maxText = lineEditMax->text();
    if (minText.isEmpty() || maxText.isEmpty()) {
        if (minText.isEmpty())
            lineEditMin->setStyleSheet(QString::fromLatin1(RefusedStyle));
        if (maxText.isEmpty())
            lineEditMax->setStyleSheet(QString::fromLatin1(RefusedStyle));
        return;
    }
    // Text that is no number counts as 0.
    const double lo = minText.toDouble();
    const double hi = maxText.toDouble();
    if (!(lo < hi)) {
        lineEditMin->setStyleSheet(QString::fromLatin1(RefusedStyle));
        lineEditMax->setStyleSheet(QString::fromLatin1(RefusedStyle));
        return;
    }
    if (minimum)
        *minimum = lo;
    if (maximum)
        *maximum = hi;
    accept();
}
