#include "ProcessWindows.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <csignal>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

using namespace pmProc;

namespace {

// The file name of a process's executable: from its exe link, else the first word of
// its command line, else its short name.
QString executableName(const QString& procDir)
{
    QString target = QFile::symLinkTarget(procDir + QStringLiteral("/exe"));
    if (!target.isEmpty()) {
        // A replaced or removed executable still names its process.
        const QString deleted = QStringLiteral(" (deleted)");
        if (target.endsWith(deleted))
            target.chop(deleted.size());
        return QFileInfo(target).fileName();
    }
    QFile cmdline(procDir + QStringLiteral("/cmdline"));
    if (cmdline.open(QIODevice::ReadOnly)) {
        const QByteArray first = cmdline.read(4096).split('\0').value(0);
        if (!first.isEmpty())
            return QFileInfo(QFile::decodeName(first)).fileName();
    }
    QFile comm(procDir + QStringLiteral("/comm"));
    if (comm.open(QIODevice::ReadOnly))
        return QString::fromLocal8Bit(comm.readAll()).trimmed();
    return QString();
}

} // namespace

void process_windows::killProcessByName(const wchar_t* executable_name)
{
    if (!executable_name || !*executable_name)
        return;
    const QString wanted = QString::fromWCharArray(executable_name);
    const pid_t self = getpid();
    const uid_t user = getuid();

    const QDir proc(QStringLiteral("/proc"));
    for (const QString& entry : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        bool isPid = false;
        const long pid = entry.toLong(&isPid);
        if (!isPid || pid <= 0 || pid == self)
            continue;
        const QString dir = proc.filePath(entry);
        // Only our own user's processes; the owner of the /proc entry is the process's.
        struct stat info;
        if (stat(QFile::encodeName(dir).constData(), &info) != 0 || info.st_uid != user)
            continue;
        if (executableName(dir).compare(wanted, Qt::CaseInsensitive) != 0)
            continue;
        // Gone in the meantime or not ours to end: skipped.
        kill(static_cast<pid_t>(pid), SIGKILL);
    }
}
