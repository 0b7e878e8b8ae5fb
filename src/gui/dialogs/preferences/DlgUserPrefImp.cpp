#include "DlgUserPrefImp.h"
#include "core/PrintableText.h"
#include "ui_DlgUserPref.h"

#include "PreferencePageSupport.h"

#include <obj/Application.h>
#include <vexil/Exception.h>
#include <vexil/MsgConsole.h>
#include <vexil/Parameter.h>

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QMessageBox>
#include <QMetaObject>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>

#include <algorithm>

namespace Gui {
namespace Dialog {

std::list<DlgUserPrefImp::PageGroup> DlgUserPrefImp::pageRegistry;

namespace {

const char* const generalGroup = "User parameter:BaseApp/Preferences/General";

bool saveUserParameterChoice()
{
    Obj::Application* logic = Obj::Application::_pcSingleton;
    if (!logic)
        return true;
    Vexil::ParameterGroup::Handle general = logic->get_preference_group_by_path(generalGroup);
    return !general || general->get_parameter_bool("SaveUserParameter", true);
}

} // namespace

DlgUserPrefImp::DlgUserPrefImp(QWidget* parent, Qt::WindowFlags flags)
    : QDialog(parent, flags), ui(new Ui::DlgUserPref)
{
    ui->setupUi(this);
    ui->listBox->setFixedWidth(130);
    ui->listBox->setGridSize(QSize(108, 120));
    connect(ui->listBox, &QListWidget::currentItemChanged, this, &DlgUserPrefImp::changeGroup);
    setupPages();
}

DlgUserPrefImp::~DlgUserPrefImp() = default;

void DlgUserPrefImp::addPage(const std::string& className, const std::string& group)
{
    auto it = std::find_if(pageRegistry.begin(), pageRegistry.end(),
                           [&group](const PageGroup& g) { return g.first == group; });
    if (it == pageRegistry.end())
        it = pageRegistry.insert(pageRegistry.end(), PageGroup(group, {}));
    it->second.push_back(className);
}

void DlgUserPrefImp::removePage(const std::string& className, const std::string& group)
{
    auto it = std::find_if(pageRegistry.begin(), pageRegistry.end(),
                           [&group](const PageGroup& g) { return g.first == group; });
    if (it == pageRegistry.end())
        return;
    if (className.empty()) {
        pageRegistry.erase(it);
        return;
    }
    auto name = std::find(it->second.begin(), it->second.end(), className);
    if (name == it->second.end())
        return;
    it->second.erase(name);
    if (it->second.empty())
        pageRegistry.erase(it);
}

void DlgUserPrefImp::setupPages()
{
    ui->listBox->setCurrentRow(0);
}

void DlgUserPrefImp::changeGroup(QListWidgetItem* current, QListWidgetItem* previous)
{
    showPageOfRow(ui->listBox, ui->tabWidgetStack, current, previous);
}

void DlgUserPrefImp::activateGroupPage(const QString& group, int index)
{
    for (int row = 0; row < ui->listBox->count(); ++row) {
        if (ui->listBox->item(row)->data(Qt::UserRole).toString() != group)
            continue;
        ui->listBox->setCurrentRow(row);
        if (auto* tabs = qobject_cast<QTabWidget*>(ui->tabWidgetStack->widget(row)))
            tabs->setCurrentIndex(index);
        return;
    }
}

void DlgUserPrefImp::on_buttonBox_clicked(QAbstractButton* button)
{
    switch (ui->buttonBox->standardButton(button)) {
    case QDialogButtonBox::Apply:
        applyChanges();
        break;
    case QDialogButtonBox::RestoreDefaults:
        restoreDefaults();
        break;
    case QDialogButtonBox::Ok:
        accept();
        break;
    case QDialogButtonBox::Cancel:
        close();
        break;
    default:
        break;
    }
}

void DlgUserPrefImp::accept()
{
    invalidParameter = false;
    applyChanges();
    if (!invalidParameter)
        QDialog::accept();
}

void DlgUserPrefImp::applyChanges()
{
    for (int i = 0; i < ui->tabWidgetStack->count(); ++i) {
        auto* tabs = qobject_cast<QTabWidget*>(ui->tabWidgetStack->widget(i));
        if (!tabs)
            continue;
        for (int j = 0; j < tabs->count(); ++j) {
            QWidget* page = tabs->widget(j);
            const int method = page->metaObject()->indexOfMethod("checkSettings()");
            if (method < 0)
                continue;
            try {
                void* args[] = {nullptr};
                page->qt_metacall(QMetaObject::InvokeMetaMethod, method, args);
            } catch (const Vexil::ExceptionHandler& e) {
                ui->listBox->setCurrentRow(i);
                tabs->setCurrentIndex(j);
                plainMessageBox(this, QMessageBox::Warning, tr("Wrong parameter"), printableName(QByteArray(e.what())));
                invalidParameter = true;
                return;
            }
        }
    }

    Obj::Application* logic = Obj::Application::_pcSingleton;
    if (!logic || !saveUserParameterChoice())
        return;
    const std::string target = Obj::Application::mConfig["UserParameter"];
    // Without a configured copy there is nothing to export to: the user parameters are
    // written to their own file at every change, so this is not a failure to report.
    if (target.empty())
        return;
    if (!logic->get_user_preference().export_file(target)) {
        Vexil::MsgConsoleSingleton::Instance().Error("Cannot save the user parameters to '%s'\n", target.c_str());
        plainMessageBox(this, QMessageBox::Warning, tr("Cannot save preferences"),
                        tr("The user parameters cannot be saved to \"%1\".")
                            .arg(printableName(QByteArray::fromStdString(target))));
    }
}

void DlgUserPrefImp::restoreDefaults()
{
    QMessageBox box(QMessageBox::Question, tr("Clear user settings"), tr("Do you want to clear all your user settings?"),
                    QMessageBox::Yes | QMessageBox::No, this);
    box.setDefaultButton(QMessageBox::No);
    box.setInformativeText(tr("If you agree all your settings will be cleared."));
    if (box.exec() != QMessageBox::Yes)
        return;
    if (Obj::Application* logic = Obj::Application::_pcSingleton) {
        const bool save = saveUserParameterChoice();
        logic->get_user_preference().clear();
        if (Vexil::ParameterGroup::Handle general = logic->get_preference_group_by_path(generalGroup))
            general->set_parameter_bool("SaveUserParameter", save);
    }
    reject();
}

void DlgUserPrefImp::resizeWindow(int width, int height)
{
    resize(width, height);
}

void DlgUserPrefImp::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange) {
        setWindowTitle(QCoreApplication::translate("Gui::Dialog::DlgUserPref", "Preferences"));
        for (int i = 0; i < ui->tabWidgetStack->count(); ++i) {
            if (auto* tabs = qobject_cast<QTabWidget*>(ui->tabWidgetStack->widget(i)))
                for (int j = 0; j < tabs->count(); ++j)
                    tabs->setTabText(j, tabs->widget(j)->windowTitle());
        }
        for (int i = 0; i < ui->listBox->count(); ++i) {
            QListWidgetItem* item = ui->listBox->item(i);
            item->setText(tr(item->data(Qt::UserRole).toByteArray().constData()));
        }
    }
    QDialog::changeEvent(event);
}

void DlgUserPrefImp::resizeEvent(QResizeEvent* event)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (canEmbedScrollArea && screen) {
        const QRect available = screen->availableGeometry();
        if (height() > available.height() || width() > available.width()) {
            canEmbedScrollArea = false;
            ui->hboxLayout->removeWidget(ui->tabWidgetStack);
            auto* scroll = new QScrollArea(this);
            scroll->setFrameShape(QFrame::NoFrame);
            scroll->setWidgetResizable(true);
            scroll->setWidget(ui->tabWidgetStack);
            ui->hboxLayout->addWidget(scroll);
            if (QScrollBar* bar = scroll->verticalScrollBar()) {
                const int w = std::min(available.width(), width() + bar->width());
                const int h = std::min(available.height() - 30, height());
                QMetaObject::invokeMethod(this, "resizeWindow", Qt::QueuedConnection, Q_ARG(int, w), Q_ARG(int, h));
            }
        }
    }
    QDialog::resizeEvent(event);
}

void DlgUserPrefImp::showEvent(QShowEvent* event)
{
    canEmbedScrollArea = false;
    QDialog::showEvent(event);
}

} // namespace Dialog
} // namespace Gui
