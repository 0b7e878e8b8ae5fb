#pragma once
// Intrusive reference counting: objects derive from ReferenceHandled and are held
// through ReferenceCount<T> handles; the last handle deletes the object.

#include <atomic>

namespace Vexil {

class ReferenceHandled
{
public:
    void ref() const { ++refs; }
    void unref() const
    {
        if (--refs == 0)
            delete this;
    }
    int get_ref_count() const { return refs; }

protected:
    ReferenceHandled() = default;
    ReferenceHandled(const ReferenceHandled&) : refs(0) {}
    virtual ~ReferenceHandled() = default;

private:
    mutable std::atomic<int> refs{0};
};

template <class T>
class ReferenceCount
{
public:
    ReferenceCount(T* p = nullptr) : ptr(p) { if (ptr) ptr->ref(); }
    ReferenceCount(const ReferenceCount& other) : ptr(other.ptr) { if (ptr) ptr->ref(); }
    ~ReferenceCount() { if (ptr) ptr->unref(); }

    ReferenceCount& operator=(const ReferenceCount& other)
    {
        if (other.ptr)
            other.ptr->ref();
        if (ptr)
            ptr->unref();
        ptr = other.ptr;
        return *this;
    }
    ReferenceCount& operator=(T* p) { return *this = ReferenceCount(p); }

    T* operator->() const { return ptr; }
    T& operator*() const { return *ptr; }
    T* get() const { return ptr; }
    bool is_valid() const { return ptr != nullptr; }
    bool is_null() const { return ptr == nullptr; }
    explicit operator bool() const { return ptr != nullptr; }
    bool operator==(const ReferenceCount& o) const { return ptr == o.ptr; }
    bool operator!=(const ReferenceCount& o) const { return ptr != o.ptr; }

private:
    T* ptr;
};

} // namespace Vexil
