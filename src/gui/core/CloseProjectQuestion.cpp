#include "CloseProjectQuestion.h"

#include "core/qPelmoraApplication.h"

#include <vexil/MsgConsole.h>

#include <QAbstractButton>
#include <QKeySequence>

namespace Gui {

QMessageBox::StandardButton askCloseProject(QWidget* parent, const QString& text,
                                            QMessageBox::StandardButton defaultButton)
{
    // Nobody can answer in a start without a window: nothing closes unasked.
    if (!qPelmoraApplication::may_ask_user()) {
        Vexil::MsgConsoleSingleton::Instance().Warning(
            "Not closed: there are unsaved changes, and a start without a window does not give them up unasked\n");
        return QMessageBox::Cancel;
    }
    // A file handed over meanwhile would be saved or closed by this answer, unseen.
    const qPelmoraApplication::ClosingQuestionOpen asking;
    QMessageBox box(parent);
    box.setIcon(QMessageBox::Question);
    box.setWindowTitle(QObject::tr("Close Project"));
    // The text holds the project's label, which is the user's: shown as typed, never as HTML.
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    box.setStandardButtons(QMessageBox::Save | QMessageBox::Close | QMessageBox::Cancel);
    box.setDefaultButton(defaultButton);
    box.setEscapeButton(QMessageBox::Cancel);
    box.setMinimumSize(200, 200);
    if (QAbstractButton* close = box.button(QMessageBox::Close)) {
        if (close->shortcut().isEmpty()) {
            close->setText(QLatin1Char('&') + close->text());
            close->setShortcut(QKeySequence::mnemonic(close->text()));
        }
    }
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

} // namespace Gui
