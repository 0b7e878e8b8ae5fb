// Tells the preferences store how many samples per pixel the graphics offers at most, so
// that the "Auto" anti-aliasing choice takes them all.

#include <vexil/PreferenceManager.h>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QSurfaceFormat>

#include <mutex>

#ifndef GL_MAX_SAMPLES
#define GL_MAX_SAMPLES 0x8D57
#endif

namespace {

// Asked once, in a context of the format the views use; 0 when there is no OpenGL.
int askTheGraphics()
{
    QOpenGLContext* previous = QOpenGLContext::currentContext();
    QSurface* previousSurface = previous ? previous->surface() : nullptr;
    int samples = 0;
    {
        QOpenGLContext context;
        context.setFormat(QSurfaceFormat::defaultFormat());
        QOffscreenSurface surface;
        surface.setFormat(context.format());
        surface.create();
        if (context.create() && surface.isValid() && context.makeCurrent(&surface)) {
            GLint largest = 0;
            context.functions()->glGetIntegerv(GL_MAX_SAMPLES, &largest);
            samples = largest > 0 ? int(largest) : 0;
            context.doneCurrent();
        }
    }
    if (previous && previousSurface)
        previous->makeCurrent(previousSurface);
    return samples;
}

int largestMultiSamples()
{
    // Without a GUI application there is no window system to ask (and nothing to draw).
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return 0;
    static std::once_flag asked;
    static int largest = 0;
    std::call_once(asked, [] { largest = askTheGraphics(); });
    return largest;
}

[[maybe_unused]] const bool registered = [] {
    Vexil::PreferenceManager::setMultiSampleLimitQuery(&largestMultiSamples);
    return true;
}();

} // namespace
