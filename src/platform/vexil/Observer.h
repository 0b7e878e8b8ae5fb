#pragma once
// Observer templates: a Subject notifies its attached observers with a reason.
// Observers are kept and notified in ascending pointer order.

#include <cstring>
#include <set>

namespace Vexil {

template <class MsgType> class Subject;

template <class MsgType>
class ObserverPattern
{
public:
    virtual ~ObserverPattern() = default;
    virtual void on_modify(Subject<MsgType>& caller, MsgType reason) = 0;
    // Called when the subject goes away while the observer is still attached.
    virtual void on_destroy(Subject<MsgType>&) {}
    virtual const char* Name() { return nullptr; }
};

template <class MsgType>
class Subject
{
public:
    using ObserverType = ObserverPattern<MsgType>;

    Subject() = default;
    Subject(const Subject&) = delete;
    Subject& operator=(const Subject&) = delete;
    virtual ~Subject()
    {
        auto copy = observers;
        for (auto* o : copy)
            o->on_destroy(*this);
    }

    void attach(ObserverType* observer) { observers.insert(observer); }
    void detach(ObserverType* observer) { observers.erase(observer); }
    bool is_attached(ObserverType* observer) const { return observers.count(observer) != 0; }
    std::size_t count_observers() const { return observers.size(); }
    // Forgets every observer without telling them.
    void ClearObserver() { observers.clear(); }
    // The first observer, in pointer order, that names itself `name`; null when none does.
    ObserverType* Get(const char* name) const
    {
        if (!name)
            return nullptr;
        for (auto* o : observers) {
            const char* own = o->Name();
            if (own && std::strcmp(own, name) == 0)
                return o;
        }
        return nullptr;
    }

    void notify(MsgType reason)
    {
        // An observer may detach itself (or another) while being told.
        auto copy = observers;
        for (auto* o : copy) {
            if (observers.count(o))
                o->on_modify(*this, reason);
        }
    }

private:
    std::set<ObserverType*> observers;
};

} // namespace Vexil
