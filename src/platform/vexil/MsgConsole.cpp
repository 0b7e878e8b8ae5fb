#include "MsgConsole.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <vector>

namespace Vexil {

namespace {
std::mutex& instanceMutex()
{
    static std::mutex m;
    return m;
}

// The live console, for observers' destructors (which must not create one).
std::atomic<MsgConsoleSingleton*> liveConsole{nullptr};

unsigned int maskOf(const MsgConsoleObserver& o)
{
    return (o.bMsg ? MsgType_Txt : 0u) | (o.bLog ? MsgType_Log : 0u) | (o.bWrn ? MsgType_Wrn : 0u)
        | (o.bErr ? MsgType_Err : 0u);
}

std::string formatText(const char* format, va_list args)
{
    if (!format)
        return std::string();
    va_list measure;
    va_copy(measure, args);
    char small[512];
    const int needed = std::vsnprintf(small, sizeof(small), format, measure);
    va_end(measure);
    if (needed < 0)
        return std::string();
    if (static_cast<size_t>(needed) < sizeof(small))
        return std::string(small, static_cast<size_t>(needed));
    std::string text(static_cast<size_t>(needed) + 1, '\0');
    va_list again;
    va_copy(again, args);
    std::vsnprintf(&text[0], text.size(), format, again);
    va_end(again);
    text.resize(static_cast<size_t>(needed));
    return text;
}
} // namespace

MsgConsoleSingleton* MsgConsoleSingleton::_instance = nullptr;

// Observers are called with the mutex held, so that disconnect_observer() returning means
// no call to that observer is running or will start.  The mutex is recursive because an
// observer may write to the console from its own callback.
struct MsgConsoleSingleton::Private
{
    mutable std::recursive_mutex mutex;
    std::vector<MsgConsoleObserver*> observers;
    PreferenceManager* prefMgr = nullptr;

    struct EarlyMessage
    {
        MsgType type;
        std::string text;
        std::vector<MsgConsoleObserver*> receivers;
    };
    static constexpr size_t MaxEarlyMessages = 200;
    static constexpr size_t MaxEarlyCharacters = 4000;
    bool keepEarly = true;
    std::vector<EarlyMessage> early;

    bool connected(MsgConsoleObserver* o) const
    {
        return std::find(observers.begin(), observers.end(), o) != observers.end();
    }
};

MsgConsoleObserver::MsgConsoleObserver() = default;

MsgConsoleObserver::~MsgConsoleObserver()
{
    // Owners disconnect in their own destructors; this catches those that forget, so the
    // console never keeps a dangling pointer.
    if (MsgConsoleSingleton* console = liveConsole.load())
        console->disconnect_observer(this);
}

MsgConsoleSingleton::MsgConsoleSingleton() : d(new Private) {}

MsgConsoleSingleton::~MsgConsoleSingleton()
{
    delete d;
}

MsgConsoleSingleton& MsgConsoleSingleton::Instance()
{
    std::lock_guard<std::mutex> lock(instanceMutex());
    if (!_instance) {
        _instance = new MsgConsoleSingleton();
        liveConsole = _instance;
    }
    return *_instance;
}

void MsgConsoleSingleton::Destruct()
{
    std::lock_guard<std::mutex> lock(instanceMutex());
    liveConsole = nullptr;
    delete _instance;
    _instance = nullptr;
}

void MsgConsoleSingleton::Message(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    dispatch(MsgType_Txt, format, args);
    va_end(args);
}

void MsgConsoleSingleton::Warning(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    dispatch(MsgType_Wrn, format, args);
    va_end(args);
}

void MsgConsoleSingleton::Error(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    dispatch(MsgType_Err, format, args);
    va_end(args);
}

void MsgConsoleSingleton::Log(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    dispatch(MsgType_Log, format, args);
    va_end(args);
}

void MsgConsoleSingleton::dispatch(MsgType type, const char* format, va_list args)
{
    const std::string text = formatText(format, args);
    std::lock_guard<std::recursive_mutex> lock(d->mutex);
    // A copy, because a callback may connect or disconnect observers (itself included).
    const std::vector<MsgConsoleObserver*> current = d->observers;
    if (d->keepEarly && d->early.size() < Private::MaxEarlyMessages)
        d->early.push_back({type, text.substr(0, Private::MaxEarlyCharacters), current});
    for (MsgConsoleObserver* o : current) {
        if (!d->connected(o))
            continue;
        switch (type) {
        case MsgType_Txt:
            if (o->bMsg)
                o->Message(text.c_str());
            break;
        case MsgType_Wrn:
            if (o->bWrn)
                o->Warning(text.c_str());
            break;
        case MsgType_Err:
            if (o->bErr)
                o->Error(text.c_str());
            break;
        case MsgType_Log:
            if (o->bLog)
                o->Log(text.c_str());
            break;
        }
    }
}

void MsgConsoleSingleton::connect_observer(MsgConsoleObserver* observer)
{
    if (!observer)
        return;
    std::lock_guard<std::recursive_mutex> lock(d->mutex);
    if (!d->connected(observer))
        d->observers.push_back(observer);
}

void MsgConsoleSingleton::disconnect_observer(MsgConsoleObserver* observer)
{
    std::lock_guard<std::recursive_mutex> lock(d->mutex);
    d->observers.erase(std::remove(d->observers.begin(), d->observers.end(), observer), d->observers.end());
}

unsigned int MsgConsoleSingleton::SetEnabledMsgType(const char* name, unsigned int mask, bool on)
{
    std::lock_guard<std::recursive_mutex> lock(d->mutex);
    MsgConsoleObserver* o = get_observer(name);
    if (!o)
        return 0;
    const unsigned int previous = maskOf(*o);
    if (mask & MsgType_Txt)
        o->bMsg = on;
    if (mask & MsgType_Log)
        o->bLog = on;
    if (mask & MsgType_Wrn)
        o->bWrn = on;
    if (mask & MsgType_Err)
        o->bErr = on;
    return previous;
}

MsgConsoleObserver* MsgConsoleSingleton::get_observer(const char* name) const
{
    if (!name)
        return nullptr;
    std::lock_guard<std::recursive_mutex> lock(d->mutex);
    for (MsgConsoleObserver* o : d->observers) {
        const char* n = o->Name();
        if (n && std::strcmp(n, name) == 0)
            return o;
    }
    return nullptr;
}

void MsgConsoleSingleton::replay_early_messages(MsgConsoleObserver* observer, unsigned int mask)
{
    std::lock_guard<std::recursive_mutex> lock(d->mutex);
    if (!observer || !d->connected(observer))
        return;
    for (const Private::EarlyMessage& m : d->early) {
        if (!(m.type & mask) || std::find(m.receivers.begin(), m.receivers.end(), observer) != m.receivers.end())
            continue;
        const char* text = m.text.c_str();
        if (m.type == MsgType_Txt && observer->bMsg)
            observer->Message(text);
        else if (m.type == MsgType_Wrn && observer->bWrn)
            observer->Warning(text);
        else if (m.type == MsgType_Err && observer->bErr)
            observer->Error(text);
        else if (m.type == MsgType_Log && observer->bLog)
            observer->Log(text);
    }
}

void MsgConsoleSingleton::end_early_messages()
{
    std::lock_guard<std::recursive_mutex> lock(d->mutex);
    d->keepEarly = false;
    std::vector<Private::EarlyMessage>().swap(d->early);
}

void MsgConsoleSingleton::setPrefMgr(PreferenceManager* manager)
{
    std::lock_guard<std::recursive_mutex> lock(d->mutex);
    d->prefMgr = manager;
}

PreferenceManager* MsgConsoleSingleton::getPrefMgr() const
{
    std::lock_guard<std::recursive_mutex> lock(d->mutex);
    return d->prefMgr;
}

} // namespace Vexil
