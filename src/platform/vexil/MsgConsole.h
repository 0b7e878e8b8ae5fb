#pragma once
// The message console: printf-style text at four levels, fanned out to observers.
// Safe to call from any thread; observers are called on the writer's thread.

#include <cstdarg>
#include <string>

namespace Vexil {

class PreferenceManager;

// Bits of an observer's kind mask (SetEnabledMsgType).
enum MsgType : unsigned int {
    MsgType_Txt = 1,
    MsgType_Log = 2,
    MsgType_Wrn = 4,
    MsgType_Err = 8
};

class MsgConsoleObserver
{
public:
    MsgConsoleObserver();
    virtual ~MsgConsoleObserver();

    virtual void Warning(const char*) {}
    virtual void Message(const char*) {}
    virtual void Error(const char*) = 0;
    virtual void Log(const char*) {}
    // Observers with a name can be switched per kind by SetEnabledMsgType.
    virtual const char* Name() { return nullptr; }

    // Which levels reach this observer; all on after construction.
    bool bErr = true;
    bool bMsg = true;
    bool bLog = true;
    bool bWrn = true;
};

class MsgConsoleSingleton
{
public:
    static MsgConsoleSingleton& Instance();
    static void Destruct();

    void Message(const char* format, ...);
    void Warning(const char* format, ...);
    void Error(const char* format, ...);
    void Log(const char* format, ...);

    void connect_observer(MsgConsoleObserver* observer);
    void disconnect_observer(MsgConsoleObserver* observer);
    // Switches the kinds in `mask` on or off for the observer named `name`.
    // Returns the observer's previous mask, 0 when no observer has that name.
    unsigned int SetEnabledMsgType(const char* name, unsigned int mask, bool on);
    MsgConsoleObserver* get_observer(const char* name) const;

    // What the console says before the window's observers connect (a damaged settings
    // file read at start-up, say) is kept, up to a limit, until end_early_messages():
    // replay_early_messages() hands an observer the kept messages of the kinds in `mask`
    // that it did not receive when they were written.
    void replay_early_messages(MsgConsoleObserver* observer, unsigned int mask);
    void end_early_messages();

    void setPrefMgr(PreferenceManager* manager);
    PreferenceManager* getPrefMgr() const;

private:
    MsgConsoleSingleton();
    ~MsgConsoleSingleton();
    void dispatch(MsgType type, const char* format, va_list args);

    struct Private;
    Private* d;
    static MsgConsoleSingleton* _instance;
};

} // namespace Vexil
