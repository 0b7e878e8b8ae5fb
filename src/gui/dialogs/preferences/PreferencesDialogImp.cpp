#include "PreferencesDialogImp.h"
#include "core/PrintableText.h"
#include "ui_PreferencesDialog.h"

#include "PreferencePageSupport.h"

#include <core/FolderSettings.h>
#include <mainwindow/MainWindow.h>

#include <vexil/PreferenceManager.h>

#include <QDebug>
#include <QDir>
#include <QLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStringList>

#include <utility>
#include <vector>

namespace Gui {
namespace Dialog {

namespace {

const Vexil::PM_SETTING folderSettings[] = {Vexil::PM_DEFAULT_FOLDER, Vexil::PM_TEMP_FOLDER,
                                            Vexil::PM_REPORT_GENERATOR_FOLDER, Vexil::PM_EXECUTABLE_FOLDER,
                                            Vexil::PM_NGSOLVE_EXECUTABLE};

} // namespace

PreferencesDialogImp::PreferencesDialogImp(QWidget* parent) : QDialog(parent), ui(new ::Ui::PreferencesDialog)
{
    ui->setupUi(this);
    ui->contentsWidget->setCurrentRow(-1);
    ui->pagesWidget->setCurrentIndex(0);
    // Tools and Shortcuts are not offered yet.
    ui->contentsWidget->item(4)->setHidden(true);
    ui->contentsWidget->item(5)->setHidden(true);
    ui->tools->hide();
    ui->shortcuts->hide();
    resize(600, 600);
}

void PreferencesDialogImp::showEvent(QShowEvent* event)
{
    // Sized when first shown: what the pages hold, and so the room they need, is known
    // once their values are loaded.
    if (!sized) {
        sized = true;
        resize(sizeShowingEveryPage().expandedTo(size()));
    }
    QDialog::showEvent(event);
    // Once the dialog is on the screen, so that the box comes up in front of it.
    if (!unsavedFile.isNull()) {
        QMetaObject::invokeMethod(
            this,
            [this] {
                const QString fileName = std::exchange(unsavedFile, QString());
                if (!fileName.isNull())
                    reportFailedSave(fileName);
            },
            Qt::QueuedConnection);
    }
}

QSize PreferencesDialogImp::sizeShowingEveryPage()
{
    // The dialog's size hint when each page's scroll area asks for room for all it holds,
    // at most the screen. Measured with the style's fonts and margins.
    ensurePolished();
    const auto setMinimum = [this](QScrollArea* area, const QSize& size) {
        area->setMinimumSize(size);
        // The widgets and layouts on the way up keep their hints until told.
        for (QWidget* w = area; w && w != this; w = w->parentWidget())
            w->updateGeometry();
        for (QLayout* l : findChildren<QLayout*>())
            l->invalidate();
    };
    std::vector<std::pair<QScrollArea*, QSize>> held;
    for (QScrollArea* area : ui->pagesWidget->findChildren<QScrollArea*>()) {
        if (!area->widget())
            continue;
        const int frame = 2 * area->frameWidth();
        held.emplace_back(area, area->minimumSize());
        setMinimum(area, area->minimumSize().expandedTo(area->widget()->sizeHint() + QSize(frame, frame)));
    }
    QSize wanted = sizeHint();
    for (const auto& area : held)
        setMinimum(area.first, area.second);
    if (const QScreen* display = screen())
        wanted = wanted.boundedTo(display->availableGeometry().size());
    return wanted;
}

PreferencesDialogImp::~PreferencesDialogImp() = default;

void PreferencesDialogImp::setPreferenceManager(Vexil::PreferenceManager* prefs)
{
    prefMgr = prefs;
    if (prefMgr) {
        connect(prefMgr, &Vexil::PreferenceManager::saveFailed, this, &PreferencesDialogImp::reportFailedSave,
                Qt::UniqueConnection);
        // Folders never chosen are shown (and kept) as the folders the application uses.
        for (Vexil::PM_SETTING id : folderSettings) {
            if (FolderSettings::isUnset(prefMgr->getString(id)))
                prefMgr->set(id, FolderSettings::fallback(id), false);
        }
    }
    ui->general->setPreferenceManager(prefMgr);
    ui->output->setPreferenceManager(prefMgr);
    ui->threedgraphics->setPreferenceManager(prefMgr);
    ui->analysis->setPreferenceManager(prefMgr);
    ui->tools->setPreferenceManager(prefMgr);
    ui->shortcuts->setPreferenceManager(prefMgr);
    reloadPages();
    connect(ui->buttonBox, &QDialogButtonBox::rejected, this, &QWidget::close, Qt::UniqueConnection);
    connect(ui->contentsWidget, &QListWidget::currentItemChanged, this, &PreferencesDialogImp::changePage,
            Qt::UniqueConnection);
}

void PreferencesDialogImp::reloadPages()
{
    ui->general->updateValues();
    ui->output->updateValues();
    ui->threedgraphics->updateValues();
    ui->analysis->updateValues();
}
void PreferencesDialogImp::changePage(QListWidgetItem* current, QListWidgetItem* previous)
{
    showPageOfRow(ui->contentsWidget, ui->pagesWidget, current, previous);
}

void PreferencesDialogImp::on_buttonBox_clicked(QAbstractButton* button)
{
    switch (ui->buttonBox->standardButton(button)) {
    case QDialogButtonBox::Ok:
        accept();
        break;
    case QDialogButtonBox::Cancel:
        close();
        break;
    case QDialogButtonBox::Reset:
        resetSettings();
        break;
    default:   // Apply: every change is stored already.
        break;
    }
}

void PreferencesDialogImp::resetSettings()
{
    const QMessageBox::StandardButton answer = QMessageBox::question(
        MainWindow::get_main_window_inst(), tr("Reset user settings"),
        tr("Do you want to clear all your user settings? If you agree all your settings will be cleared."),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer != QMessageBox::Yes)
        return;
    if (prefMgr) {
        // Listeners (the Output dock, the 3D views) only learn of a change through
        // optionChanged, so announce every listened-to setting the reset changed, as
        // the pages do when they write one.
        QStringList before;
        before.reserve(Vexil::PM_SETTING_COUNT);
        for (int i = 0; i < Vexil::PM_SETTING_COUNT; ++i)
            before.append(prefMgr->getString(static_cast<Vexil::PM_SETTING>(i)));
        prefMgr->reset();
        for (Vexil::PM_SETTING id : folderSettings)
            prefMgr->set(id, FolderSettings::fallback(id), false);
        for (int i = 0; i < Vexil::PM_SETTING_COUNT; ++i) {
            const auto id = static_cast<Vexil::PM_SETTING>(i);
            if (Vexil::PreferenceManager::notifies(id) && prefMgr->getString(id) != before.at(i))
                Q_EMIT prefMgr->optionChanged(id);
        }
        qDebug() << "[Debug] App Path: " << prefMgr->getString(Vexil::PM_DEFAULT_FOLDER);
        qDebug() << "[Debug] Temp Path: " << prefMgr->getString(Vexil::PM_TEMP_FOLDER);
    }
    reloadPages();
}

void PreferencesDialogImp::reportFailedSave(const QString& fileName)
{
    // A box opened before the dialog shows would come up behind it, leaving the dialog and
    // the window refusing every key and click until the user finds the box: it waits for
    // the dialog to be shown.
    if (!isVisible()) {
        unsavedFile = fileName;
        return;
    }
    if (findChild<QMessageBox*>(QStringLiteral("saveFailedBox")))
        return;
    // Not modal to the application: the failure may come from a page's slot in the middle
    // of an edit.  In front of this dialog, which it blocks.
    auto* box = new QMessageBox(QMessageBox::Warning, tr("Cannot save preferences"),
                                tr("The preferences cannot be saved to \"%1\"; the Output says why. The change "
                                   "stays in effect and is saved with the next change that can be saved; until "
                                   "then it lasts only until the program ends. The previous file is kept.")
                                    .arg(printableName(QDir::toNativeSeparators(fileName))),
                                QMessageBox::Ok, this);
    showAsPlainText(*box);
    box->setObjectName(QStringLiteral("saveFailedBox"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
    box->raise();
    box->activateWindow();
}

} // namespace Dialog
} // namespace Gui
