#include "ModalCloser.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QTextDocument>
#include <QTimer>

namespace PelmoraTest {

ModalCloser::ModalCloser(QMessageBox::StandardButton a, int intervalMs)
    : timer(new QTimer(this)), answer(a)
{
    connect(timer, &QTimer::timeout, this, &ModalCloser::poll);
    timer->start(intervalMs);
}

ModalCloser::~ModalCloser() = default;

void ModalCloser::poll()
{
    QWidget* w = QApplication::activeModalWidget();
    if (!w)
        return;
    seenTitles << w->windowTitle();
    if (auto* box = qobject_cast<QMessageBox*>(w)) {
        seenTexts << box->text();
        seenInformative << box->informativeText();
        seenFormats << box->textFormat();
        // Every label with text, the informative one too, shows it as written.
        bool plain = true;
        for (const QLabel* label : box->findChildren<QLabel*>())
            plain = plain && (label->textFormat() == Qt::PlainText ||
                              (label->textFormat() == Qt::AutoText && !Qt::mightBeRichText(label->text())));
        seenPlain << plain;
        const QMessageBox::StandardButton button = byTitle.value(box->windowTitle(), answer);
        if (button != QMessageBox::NoButton) {
            if (QAbstractButton* b = box->button(button)) {
                b->click();
                return;
            }
        }
        box->reject();
        box->done(QMessageBox::Cancel);
        return;
    }
    seenTexts << QString();
    seenInformative << QString();
    if (auto* dlg = qobject_cast<QDialog*>(w))
        dlg->reject();
    else
        w->close();
}

} // namespace PelmoraTest
