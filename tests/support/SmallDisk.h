#pragma once
// A small file system of a test's own (tmpfs), to see what happens when the disk is full.
// Mounting needs privileges; where the machine does not allow it, mounted() is false and
// the test skips with skipReason().

#include <QString>

#include <functional>
#include <memory>

class QTemporaryDir;

namespace PelmoraTest {

class SmallDisk
{
public:
    explicit SmallDisk(int kibibytes = 256);
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool mounted() const { return isMounted; }
    QString skipReason() const { return reason; }
    QString filePath(const QString& name) const;
    // Takes every byte that is left, until release().
    void fill();
    void release();

private:
    std::unique_ptr<QTemporaryDir> dir;
    bool isMounted = false;
    QString reason;
};

// Runs `body` with the effective user set to an unprivileged one when the test runs as
// the super-user (who may write anywhere), so that permissions are checked; its temporary
// folder (TMPDIR) is then a scratch folder that user may write to.
void asUnprivilegedUser(const std::function<void()>& body);

} // namespace PelmoraTest
