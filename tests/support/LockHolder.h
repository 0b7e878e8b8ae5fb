#pragma once
// Another program holding the lock on a file (flock), as a backup tool or a stopped
// instance would: a child process takes it and keeps it until release() or the end of this
// object.  As a guard against a hang, the child lets go after HangGuardMs: a program that
// waits for the lock without end then goes on, and its test fails instead of hanging.

#include <QString>

#include <sys/types.h>

namespace PelmoraTest {

class LockHolder
{
public:
    explicit LockHolder(const QString& lockFile);
    ~LockHolder();
    LockHolder(const LockHolder&) = delete;
    LockHolder& operator=(const LockHolder&) = delete;

    bool holding() const { return pid > 0 && held; }
    // Returns once the lock is free.
    void release();

private:
    pid_t pid = -1;
    int releaseFd = -1;
    bool held = false;
};

} // namespace PelmoraTest
