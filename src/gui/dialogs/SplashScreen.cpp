#include "SplashScreen.h"

#include <obj/Application.h>

#include <QCoreApplication>
#include <QMutex>
#include <QRegularExpression>
#include <QTextDocument>
#include <QThread>
#include <QWaitCondition>

using namespace Gui;

SplashObserver::SplashObserver(QSplashScreen* s)
    : splash(s)
    , alignment(Qt::AlignBottom | Qt::AlignLeft)
    , textColor(Qt::white)
{
    bErr = bMsg = bLog = bWrn = true;
    Vexil::MsgConsoleSingleton::Instance().connect_observer(this);

    const auto& config = Obj::Application::mConfig;
    const auto al = config.find("SplashAlignment");
    if (al != config.end()) {
        const QString value = QString::fromLatin1(al->second.c_str());
        int v = 0;
        if (value.startsWith(QLatin1String("VCenter")))
            v = Qt::AlignVCenter;
        else if (value.startsWith(QLatin1String("Top")))
            v = Qt::AlignTop;
        else
            v = Qt::AlignBottom;
        if (value.endsWith(QLatin1String("HCenter")))
            v |= Qt::AlignHCenter;
        else if (value.endsWith(QLatin1String("Right")))
            v |= Qt::AlignRight;
        else
            v |= Qt::AlignLeft;
        alignment = v;
    }

    const auto tc = config.find("SplashTextColor");
    if (tc != config.end()) {
        QColor c;
        c.setNamedColor(QString::fromLatin1(tc->second.c_str()));
        if (c.isValid())
            textColor = c;
    }
}

SplashObserver::~SplashObserver()
{
    Vexil::MsgConsoleSingleton::Instance().disconnect_observer(this);
}

void SplashObserver::Log(const char* s)
{
    QString msg = QString::fromUtf8(s ? s : "");
    static const QRegularExpression shown(QStringLiteral("^\\s*(Init:|Mod:)\\s*"));
    static const QRegularExpression hidden(QStringLiteral("^\\s*(\\+Obj::|Create|CmdC:|CmdG:|Act:)\\s*"));
    const QRegularExpressionMatch m = shown.match(msg);
    if (m.hasMatch())
        msg = msg.mid(m.capturedLength());
    else if (hidden.match(msg).hasMatch())
        return;
    msg.remove(QLatin1Char('\n'));
    // The splash draws a line that looks like markup as rich text: a name in it (a file's,
    // a project's) is shown as written instead.
    if (Qt::mightBeRichText(msg))
        msg = Qt::convertFromPlainText(msg, Qt::WhiteSpaceNormal);

    // The console calls observers on the writer's thread; the window is touched on the
    // GUI thread only.
    QSplashScreen* window = splash;
    const int align = alignment;
    const QColor color = textColor;
    if (window && QThread::currentThread() == window->thread()) {
        window->showMessage(msg, align, color);
    } else if (window) {
        // Queued to the window itself: dropped if the window is gone by then.
        QMetaObject::invokeMethod(window, [window, msg, align, color] {
            window->showMessage(msg, align, color);
        }, Qt::QueuedConnection);
    }

    // Keep the line readable for a moment.
    QMutex mutex;
    QWaitCondition wait;
    mutex.lock();
    wait.wait(&mutex, 50);
    mutex.unlock();
}

SplashScreen::SplashScreen(const QPixmap& pixmap, Qt::WindowFlags flags)
    : QSplashScreen(pixmap, flags)
    , messages(new SplashObserver(this))
{
}

SplashScreen::~SplashScreen()
{
    delete messages;
}
