#include "BoxAnswerer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTimer>

namespace PelmoraTest {

BoxAnswerer::BoxAnswerer(std::map<QString, QMessageBox::StandardButton> answers) : answers(std::move(answers))
{
    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, [this] { poll(); });
    timer->start(20);
}

void BoxAnswerer::poll()
{
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || box->property("answered").toBool())
        return;
    box->setProperty("answered", true);
    titles << box->windowTitle();
    texts << box->text();
    const auto it = answers.find(box->windowTitle());
    QAbstractButton* button = it == answers.end() ? nullptr : box->button(it->second);
    if (button)
        button->click();
    else
        box->reject();
}

} // namespace PelmoraTest
