#include "PreferencePageSupport.h"

#include <dialogs/widgets/ColoringButton.h>
#include <dialogs/widgets/FileDialog.h>
#include <mainwindow/MainWindow.h>

#include <QLineEdit>
#include <QListWidget>
#include <QStackedWidget>

namespace Gui {
namespace Dialog {

unsigned int packedColor(const ColoringButton* button)
{
    return static_cast<unsigned int>(button->color().rgba());
}

QString chooseFolderFor(QLineEdit* field, const QString& caption, Vexil::PreferenceManager* prefs,
                        Vexil::PM_SETTING id)
{
    const QString dir = FileDialog::getExistingDirectory(MainWindow::get_main_window_inst(), caption, field->text(),
                                                         QFileDialog::ShowDirsOnly);
    if (dir.isEmpty())
        return dir;
    prefs->set(id, dir, false);
    field->setText(dir);
    return dir;
}

void showPageOfRow(QListWidget* list, QStackedWidget* pages, QListWidgetItem* current, QListWidgetItem* previous)
{
    QListWidgetItem* item = current ? current : previous;
    if (item)
        pages->setCurrentIndex(list->row(item));
}

} // namespace Dialog
} // namespace Gui
