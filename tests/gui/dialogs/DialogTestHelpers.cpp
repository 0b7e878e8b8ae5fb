#include "DialogTestHelpers.h"

#include <dialogs/MainWindowAccess.h>

#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QTimer>

namespace DialogTest {

void answerNextModal(std::function<void(QWidget*)> answer, int timeoutMs)
{
    auto* timer = new QTimer(qApp);
    QElapsedTimer clock;
    clock.start();
    QObject::connect(timer, &QTimer::timeout, [timer, answer, clock, timeoutMs] {
        QWidget* w = QApplication::activeModalWidget();
        if (!w && clock.elapsed() <= timeoutMs)
            return;
        timer->stop();
        timer->deleteLater();
        if (w)
            answer(w);
    });
    timer->start(10);
}

FakeMainWindow::FakeMainWindow()
{
    Gui::DialogsDetail::setMainWindowStandIn(this);
}

FakeMainWindow::~FakeMainWindow()
{
    Gui::DialogsDetail::setMainWindowStandIn(nullptr);
}

void FakeMainWindow::display_message(const QString& text, int)
{
    messages << text;
}

void FakeMainWindow::set_statusbar_text(int kind, const QString& text)
{
    statusTexts << QStringLiteral("%1:%2").arg(kind).arg(text);
}

void FakeMainWindow::closeEvent(QCloseEvent* event)
{
    ++closeEvents;
    QMainWindow::closeEvent(event);
}

} // namespace DialogTest
