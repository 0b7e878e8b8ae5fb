#pragma once
// The signal type of the application logic.  Its signals are raised, connected and
// disconnected on the GUI thread only (the logic is driven from there), so they take no
// lock: an emission otherwise locks the signal and every slot's connection, several times
// for each object created or removed.  Connections, scoped connections and blocks work as
// with any other signal.

#include <boost/signals2/dummy_mutex.hpp>
#include <boost/signals2/signal.hpp>
#include <boost/signals2/signal_type.hpp>

namespace Obj {

template <typename Signature>
using LogicSignal = typename boost::signals2::signal_type<
    Signature, boost::signals2::keywords::mutex_type<boost::signals2::dummy_mutex>>::type;

} // namespace Obj
