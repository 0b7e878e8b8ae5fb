#pragma once
// Asks for a minimum and a maximum and hands them to the caller only when both are
// numbers and the minimum is the smaller; a refused entry is marked red and its tool tip
// says why.

#include "PelmoraGuiExport.h"

#include <QDialog>

QT_BEGIN_NAMESPACE
class QAbstractButton;
class QDialogButtonBox;
class QLineEdit;
QT_END_NAMESPACE

class PELMORAGUI_EXPORT dlgMinMaxImp : public QDialog
{
    Q_OBJECT
public:
    // `minimum` and `maximum` are shown and receive the values on OK; they are not owned.
    dlgMinMaxImp(double* minimum, double* maximum, QWidget* parent = nullptr);
    ~dlgMinMaxImp() override;

    QLineEdit* minimumEdit() const { return minEdit; }
    QLineEdit* maximumEdit() const { return maxEdit; }
    QDialogButtonBox* buttonBox() const { return buttons; }

public Q_SLOTS:
    void on_buttonBox_clicked(QAbstractButton* button);

private:
    QLineEdit* minEdit;
    QLineEdit* maxEdit;
    QDialogButtonBox* buttons;
    double* minimumOut;
    double* maximumOut;
};
