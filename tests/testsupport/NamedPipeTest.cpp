// The named-pipe check tells a step that waits on the pipe from one that does not, by what
// the step does rather than by how long it takes.

#include <support/NamedPipe.h>

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void openAndClose(const QByteArray& name, int flags)
{
    const int fd = ::open(name.constData(), flags | O_CLOEXEC);
    if (fd >= 0)
        ::close(fd);
}

TEST(NamedPipe, AStepThatWaitsOnThePipeIsReleasedAndToldApartFromOneThatDoesNot)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    struct Row
    {
        const char* what;
        int flags;
        bool onAnotherThread;
        bool waits;
    };
    const Row rows[] = {
        {"a blocking read", O_RDONLY, false, true},
        {"a blocking read on a worker", O_RDONLY, true, true},
        {"a read that does not wait", O_RDONLY | O_NONBLOCK, false, false},
        {"a look at the name only", -1, false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        PelmoraTest::NamedPipe pipe(dir.filePath("pipe"));
        ASSERT_TRUE(pipe.created());
        const QByteArray name = QFile::encodeName(pipe.path());
        const bool quiet = pipe.runsWithoutWaiting([&] {
            if (row.flags < 0) {
                struct stat st;
                ::stat(name.constData(), &st);
            } else if (row.onAnotherThread) {
                std::thread worker(openAndClose, name, row.flags);
                worker.join();
            } else {
                openAndClose(name, row.flags);
            }
        });
        EXPECT_EQ(quiet, !row.waits);
    }
}

} // namespace
