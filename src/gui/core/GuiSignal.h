#pragma once
// The signal type of the GUI library's own signals.  They are raised, connected and
// disconnected on the GUI thread only, so they take no lock: an emission otherwise locks
// the signal and every slot's connection, several times for each object of a project.
// Connections, scoped connections and blocks work as with any other signal.

#include <boost/signals2/dummy_mutex.hpp>
#include <boost/signals2/signal.hpp>
#include <boost/signals2/signal_type.hpp>

namespace Gui {

template <typename Signature>
using GuiSignal = typename boost::signals2::signal_type<
    Signature, boost::signals2::keywords::mutex_type<boost::signals2::dummy_mutex>>::type;

} // namespace Gui
