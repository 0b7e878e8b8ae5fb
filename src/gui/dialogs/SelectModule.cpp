#include "SelectModule.h"

#include "MainWindowAccess.h"

#include <obj/Application.h>

#include <QApplication>
#include <QButtonGroup>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSpacerItem>

#include <functional>

using namespace Gui;

namespace {

using FilterTable = Obj::Application::FilterTable;

struct Family
{
    std::function<FilterTable(const Obj::Application&)> all;
    std::function<FilterTable(const Obj::Application&, const char*)> byExtension;
};

const Family importFamily{
    [](const Obj::Application& a) { return a.get_import_filters(); },
    [](const Obj::Application& a, const char* e) { return a.get_import_filters(e); }};
const Family exportFamily{
    [](const Obj::Application& a) { return a.get_export_filters(); },
    [](const Obj::Application& a, const char* e) { return a.get_export_filters(e); }};
const Family projectDBFamily{
    [](const Obj::Application& a) { return a.get_projectDB_filters(); },
    [](const Obj::Application& a, const char* e) { return a.get_projectDB_filters(e); }};

SelectModule::Dict handle(const Family& family, const QStringList& fileNames, const QString& filter)
{
    SelectModule::Dict result;
    const Obj::Application* app = Obj::Application::_pcSingleton;
    if (!app)
        return result;

    if (!filter.isEmpty()) {
        const FilterTable table = family.all(*app);
        const auto it = table.find(filter.toUtf8().toStdString());
        if (it != table.end()) {
            const QString module = QString::fromLatin1(it->second.c_str());
            for (const QString& file : fileNames)
                result[file] = module;
            return result;
        }
    }

    QMap<QString, QStringList> filesByExtension;
    QMap<QString, SelectModule::Dict> filtersByExtension;
    for (const QString& file : fileNames) {
        const QFileInfo fi(file);
        QString ext = fi.completeSuffix().toLower();
        FilterTable offered = family.byExtension(*app, ext.toLatin1().constData());
        if (offered.empty()) {
            // "mesh.tar.gz" is looked up as "tar.gz", then as "gz".
            ext = fi.suffix().toLower();
            offered = family.byExtension(*app, ext.toLatin1().constData());
        }
        filesByExtension[ext].append(file);
        SelectModule::Dict& offers = filtersByExtension[ext];
        for (const auto& entry : offered)
            offers[QString::fromUtf8(entry.first.c_str())] = QString::fromLatin1(entry.second.c_str());
        if (!offered.empty())
            result[file] = QString::fromLatin1(offered.begin()->second.c_str());
    }

    for (auto it = filtersByExtension.cbegin(); it != filtersByExtension.cend(); ++it) {
        if (it.value().size() <= 1)
            continue;
        SelectModule dlg(it.key(), it.value(), DialogsDetail::mainWindow());
        QApplication::beep();
        if (dlg.exec() == QDialog::Accepted) {
            const QString module = dlg.getModule();
            const QStringList files = filesByExtension.value(it.key());
            for (const QString& file : files)
                result[file] = module;
        }
    }
    return result;
}

} // namespace

SelectModule::SelectModule(const QString& type, const Dict& filters, QWidget* parent)
    : QDialog(parent, Qt::WindowTitleHint)
{
    setWindowTitle(tr("Select module"));
    groupBox = new QGroupBox(this);
    groupBox->setTitle(tr("Open %1 as").arg(type));

    group = new QButtonGroup(this);
    gridLayout = new QGridLayout(this);
    gridLayout->setSpacing(6);
    gridLayout->setContentsMargins(9, 9, 9, 9);
    gridLayout1 = new QGridLayout(groupBox);
    gridLayout1->setSpacing(6);
    gridLayout1->setContentsMargins(9, 9, 9, 9);

    static const QRegularExpression patternList(QStringLiteral("\\s+\\([\\w\\*\\s\\.]+\\)$"),
                                                QRegularExpression::UseUnicodePropertiesOption);
    static const QRegularExpression guiSuffix(QStringLiteral("Gui$"));
    int index = 0;
    for (auto it = filters.cbegin(); it != filters.cend(); ++it, ++index) {
        QString text = it.key();
        const QRegularExpressionMatch m = patternList.match(text);
        if (m.hasMatch())
            text.remove(m.capturedStart(), m.capturedLength());
        QString module = it.value();
        module.remove(guiSuffix);
        auto* button = new QRadioButton(groupBox);
        button->setText(QStringLiteral("%1 (%2)").arg(text, module));
        button->setObjectName(it.value());
        gridLayout1->addWidget(button, index, 0, 1, 1);
        group->addButton(button, index);
    }

    gridLayout->addWidget(groupBox, 0, 0, 1, 1);
    spacerItem = new QSpacerItem(20, 40, QSizePolicy::Minimum, QSizePolicy::Expanding);
    gridLayout->addItem(spacerItem, 1, 0, 1, 1);

    hboxLayout = new QHBoxLayout();
    hboxLayout->setSpacing(6);
    hboxLayout->setContentsMargins(0, 0, 0, 0);
    spacerItem1 = new QSpacerItem(131, 31, QSizePolicy::Expanding, QSizePolicy::Minimum);
    hboxLayout->addItem(spacerItem1);
    okButton = new QPushButton(this);
    okButton->setObjectName(QStringLiteral("okButton"));
    okButton->setText(tr("Select"));
    okButton->setEnabled(false);
    hboxLayout->addWidget(okButton);
    gridLayout->addLayout(hboxLayout, 2, 0, 1, 1);

    connect(okButton, &QPushButton::clicked, this, &SelectModule::accept);
    connect(group, QOverload<int>::of(&QButtonGroup::buttonClicked), this, &SelectModule::onButtonClicked);
}

SelectModule::~SelectModule() = default;

QString SelectModule::getModule() const
{
    QAbstractButton* button = group->checkedButton();
    return button ? button->objectName() : QString();
}

void SelectModule::accept()
{
    // Without a choice the dialog stays: the user must pick a module.
    if (group->checkedButton())
        QDialog::accept();
}

void SelectModule::reject()
{
    if (group->checkedButton())
        QDialog::reject();
}

void SelectModule::onButtonClicked()
{
    okButton->setEnabled(group->checkedButton() != nullptr);
}

SelectModule::Dict SelectModule::importHandler(const QStringList& fileNames, const QString& filter)
{
    return handle(importFamily, fileNames, filter);
}

SelectModule::Dict SelectModule::importHandler(const QString& fileName, const QString& filter)
{
    return importHandler(QStringList(fileName), filter);
}

SelectModule::Dict SelectModule::exportHandler(const QStringList& fileNames, const QString& filter)
{
    return handle(exportFamily, fileNames, filter);
}

SelectModule::Dict SelectModule::exportHandler(const QString& fileName, const QString& filter)
{
    return exportHandler(QStringList(fileName), filter);
}

SelectModule::Dict SelectModule::openProjectDBHandler(const QStringList& fileNames, const QString& filter)
{
    return handle(projectDBFamily, fileNames, filter);
}

SelectModule::Dict SelectModule::openProjectDBHandler(const QString& fileName, const QString& filter)
{
    return openProjectDBHandler(QStringList(fileName), filter);
}
