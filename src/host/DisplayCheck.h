#pragma once
// Whether Qt can open the window system it would be asked for, checked before the
// application is made: where Qt cannot, it ends the process with an abort and advice to
// reinstall, which is neither true nor a failure a script can read.

#include <string>
#include <vector>

namespace Host {

struct WindowSystem
{
    // The platform Qt would load: the first of the "-platform" argument (else
    // QT_QPA_PLATFORM, else "xcb") that is installed and, for X11, whose display answers;
    // a platform that loads without the device it draws on ("linuxfb", "minimalegl",
    // "eglfs") ends the search with a problem.
    std::string platform;
    // Empty when there is one, else why not, as one sentence.
    std::string problem;
    // Whether that platform draws without OpenGL ("offscreen", "minimal", "vnc",
    // "linuxfb"): there a 3D view never draws.
    bool withoutOpenGL() const;
};

// `arguments` are those handed to the application, argv style (a trailing null is allowed):
// "-platform", "-platformpluginpath" and "-display" count as Qt counts them.  `hidden` is
// whether the start shows no window.
// The X display that answered is kept connected, so that the server does not reset
// between this check and Qt's own connection; an X server that takes the connection and
// says nothing for a few seconds is a problem ("does not answer").
WindowSystem windowSystem(const std::vector<char*>& arguments, bool hidden);
// Ends the check's connection to the display; for once Qt has connected (or has failed to).
void releaseDisplayCheck();

} // namespace Host
