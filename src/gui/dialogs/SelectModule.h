#pragma once
// Which module of the application logic opens, imports or exports each of a list of
// files: decided by the chosen filter, else by extension, asking the user once for each
// extension that several modules handle.

#include <PelmoraGuiExport.h>

#include <QDialog>
#include <QMap>
#include <QString>
#include <QStringList>

QT_BEGIN_NAMESPACE
class QButtonGroup;
class QGridLayout;
class QGroupBox;
class QHBoxLayout;
class QPushButton;
class QSpacerItem;
QT_END_NAMESPACE

namespace Gui {

class PELMORAGUI_EXPORT SelectModule : public QDialog
{
    Q_OBJECT
public:
    using Dict = QMap<QString, QString>;

    SelectModule(const QString& type, const Dict& filters, QWidget* parent = nullptr);
    ~SelectModule() override;

    // The module of the checked choice; empty while none is checked.
    QString getModule() const;

    void accept() override;
    void reject() override;

    static Dict importHandler(const QStringList& fileNames, const QString& filter = QString());
    static Dict importHandler(const QString& fileName, const QString& filter = QString());
    static Dict exportHandler(const QStringList& fileNames, const QString& filter = QString());
    static Dict exportHandler(const QString& fileName, const QString& filter = QString());
    static Dict openProjectDBHandler(const QStringList& fileNames, const QString& filter = QString());
    static Dict openProjectDBHandler(const QString& fileName, const QString& filter = QString());

private Q_SLOTS:
    void onButtonClicked();

private:
    QPushButton* okButton;
    QButtonGroup* group;
    QGridLayout* gridLayout;
    QHBoxLayout* hboxLayout;
    QGroupBox* groupBox;
    QGridLayout* gridLayout1;
    QSpacerItem* spacerItem;
    QSpacerItem* spacerItem1;
};

} // namespace Gui
