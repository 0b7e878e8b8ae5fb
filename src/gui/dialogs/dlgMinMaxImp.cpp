#include "dlgMinMaxImp.h"

#include "DlgInputBCImp.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QLocale>
#include <QVBoxLayout>

namespace {

const char* const RefusedStyle = "QLineEdit { background: rgb(255, 0, 0); }";

void refuse(QLineEdit* edit, const QString& why)
{
    edit->setStyleSheet(QString::fromLatin1(RefusedStyle));
    edit->setToolTip(why);
}

// The typed number, or false with the edit marked and the reason as its tool tip.
bool readEdit(QLineEdit* edit, double& out)
{
    const QString text = edit->text().trimmed();
    if (text.isEmpty()) {
        refuse(edit, dlgMinMaxImp::tr("No number given"));
        return false;
    }
    QString why;
    if (!Gui::readTypedNumber(text, out, &why)) {
        // A typo must not become a limit of 0.
        refuse(edit, why.isEmpty() ? dlgMinMaxImp::tr("\"%1\" is not a number").arg(text) : why);
        return false;
    }
    return true;
}

} // namespace

dlgMinMaxImp::dlgMinMaxImp(double* min, double* max, QWidget* parent)
    : QDialog(parent)
    , minEdit(new QLineEdit(this))
    , maxEdit(new QLineEdit(this))
    , buttons(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this))
    , minimumOut(min)
    , maximumOut(max)
{
    setObjectName(QStringLiteral("dlgMinMax"));
    setWindowTitle(tr("Range"));
    minEdit->setObjectName(QStringLiteral("lineEditMin"));
    maxEdit->setObjectName(QStringLiteral("lineEditMax"));
    buttons->setObjectName(QStringLiteral("buttonBox"));
    // In the user's locale, as they are read back.
    if (minimumOut)
        minEdit->setText(QLocale().toString(*minimumOut, 'g', 15));
    if (maximumOut)
        maxEdit->setText(QLocale().toString(*maximumOut, 'g', 15));
    auto* form = new QFormLayout();
    form->addRow(tr("Minimum:"), minEdit);
    form->addRow(tr("Maximum:"), maxEdit);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    QMetaObject::connectSlotsByName(this);
}

dlgMinMaxImp::~dlgMinMaxImp() = default;

void dlgMinMaxImp::on_buttonBox_clicked(QAbstractButton* button)
{
    const QDialogButtonBox::StandardButton which = buttons->standardButton(button);
    if (which == QDialogButtonBox::Cancel) {
        reject();
        return;
    }
    if (which != QDialogButtonBox::Ok)
        return;
    double lo = 0.0;
    double hi = 0.0;
    const bool minRead = readEdit(minEdit, lo);
    const bool maxRead = readEdit(maxEdit, hi);
    if (!minRead || !maxRead)
        return;
    if (!(lo < hi)) {
        const QString why = tr("The minimum must be smaller than the maximum");
        refuse(minEdit, why);
        refuse(maxEdit, why);
        return;
    }
    if (minimumOut)
        *minimumOut = lo;
    if (maximumOut)
        *maximumOut = hi;
    accept();
}
