#include "vtkVizColorLogic.h"

#include <mrml/vtkMRMLColorTableStorageNode.h>
#include <mrml/vtkMRMLProceduralColorStorageNode.h>
#include <vexil/PrintableText.h>

#include <vtkNew.h>
#include <vtkObjectFactory.h>
#include <vtksys/Directory.hxx>
#include <vtksys/SystemTools.hxx>

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QtGlobal>

#include <counted/SeededQtHash.h>

#include <cstring>
#include <unordered_map>
#include <utility>

#include <sys/stat.h>

vtkStandardNewMacro(vtkVizColorLogic);

namespace {

// True the first time a file is met as it is now (its size and time): every project
// searches the colour folders, and an odd file is warned about once, not per project.
// Files are known by the bytes of their names, which need not be UTF-8.
bool firstMeeting(const std::string& path, const struct stat& file)
{
    // The names are the folders' own: hashed under the process's seed.
    static std::unordered_map<QByteArray, std::pair<qint64, qint64>, Counted::SeededHash<QByteArray>> met;
    const std::pair<qint64, qint64> state(file.st_size, qint64(file.st_mtim.tv_sec) * 1000000000 + file.st_mtim.tv_nsec);
    const QByteArray key = QByteArray::fromStdString(path);
    auto found = met.find(key);
    if (found != met.end() && found->second == state)
        return false;
    met[key] = state;
    return true;
}

} // namespace

vtkVizColorLogic::vtkVizColorLogic() = default;
vtkVizColorLogic::~vtkVizColorLogic() = default;

void vtkVizColorLogic::PrintSelf(ostream& os, vtkIndent indent)
{
    Superclass::PrintSelf(os, indent);
}

const char* vtkVizColorLogic::GetDefaultLabelMapColorNodeID()
{
    static const std::string id = GetFileColorNodeID("HotToColdRainbow.txt");
    return id.c_str();
}

const char* vtkVizColorLogic::GetDefaultEditorColorNodeID()
{
    static const std::string id = GetFileColorNodeID("GenericAnatomyColors.txt");
    return id.c_str();
}

const char* vtkVizColorLogic::GetDefaultChartColorNodeID()
{
    static const std::string id = GetFileColorNodeID("DarkBrightChartColors.txt");
    return id.c_str();
}

namespace {

// A folder as it was looked at: its times of change and of status change, and its inode,
// so that a file added to a folder whose time is then put back is still seen.
struct FolderState
{
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    timespec time{};
    timespec statusTime{};

    static FolderState of(const std::string& path)
    {
        FolderState state;
        struct stat status{};
        if (::stat(path.c_str(), &status) != 0 || !S_ISDIR(status.st_mode))
            return state;
        state.exists = true;
        state.device = status.st_dev;
        state.inode = status.st_ino;
        state.time = status.st_mtim;
        state.statusTime = status.st_ctim;
        return state;
    }
    bool operator==(const FolderState& other) const
    {
        return exists == other.exists
               && (!exists
                   || (device == other.device && inode == other.inode && time.tv_sec == other.time.tv_sec
                       && time.tv_nsec == other.time.tv_nsec && statusTime.tv_sec == other.statusTime.tv_sec
                       && statusTime.tv_nsec == other.statusTime.tv_nsec));
    }
    std::string text() const
    {
        if (!exists)
            return "-";
        return std::to_string(device) + ':' + std::to_string(inode) + ':' + std::to_string(time.tv_sec) + '.'
               + std::to_string(time.tv_nsec) + ':' + std::to_string(statusTime.tv_sec) + '.'
               + std::to_string(statusTime.tv_nsec);
    }
    // A folder changed within the last seconds may change again within the same tick of
    // its clock, which leaves its times as they were: what is found in it now is trusted
    // only once that time is past.  A time ahead of the clock (a clock skew, an unpacked
    // archive, a network share) is no recent change.
    bool settled() const
    {
        if (!exists)
            return true;
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        const qint64 changed = qint64(time.tv_sec) * 1000 + time.tv_nsec / 1000000;
        return changed > now || now - changed > 2000;
    }
};

// Folders read (enumerated) since the start: a count for tests and benchmarks.
long long folderReads = 0;

} // namespace

long long vtkVizColorLogic::GetNumberOfFolderReads()
{
    return folderReads;
}

std::string vtkVizColorLogic::DefaultColorFileDirectory()
{
    // Start-up sets PELMORA_HOME to the application's home before the module is built.
    // The working directory is no fallback: it depends on where the user started us.
    const QByteArray home = qgetenv("PELMORA_HOME");
    return vtksys::SystemTools::JoinPath({"", home.toStdString(), std::string("share/Pelmora-2.1") + "/ColorFiles"});
}

std::vector<std::string> vtkVizColorLogic::FindDefaultColorFiles()
{
    return FindColorFiles({DefaultColorFileDirectory()});
}

std::string vtkVizColorLogic::ColorFilesStamp()
{
    std::vector<std::string> directories = UserColorFileDirectories();
    directories.insert(directories.begin(), DefaultColorFileDirectory());
    std::string stamp;
    for (const std::string& directory : directories) {
        const FolderState folder = FolderState::of(directory);
        if (!folder.settled())
            return {};
        stamp += directory + '\n' + folder.text() + '\n';
    }
    // A folder named twice is searched twice.
    return stamp + std::to_string(directories.size());
}

std::vector<std::string> vtkVizColorLogic::FindUserColorFiles()
{
    return FindColorFiles(UserColorFileDirectories());
}

std::vector<std::string> vtkVizColorLogic::UserColorFileDirectories()
{
    std::vector<std::string> directories;
    const char* paths = GetUserColorFilePaths();
    if (paths && *paths) {
        std::string piece;
        for (const char* p = paths;; ++p) {
            if (*p == ';' || *p == '\0') {
                if (!piece.empty())
                    directories.push_back(piece);
                piece.clear();
                if (*p == '\0')
                    break;
            } else {
                piece.push_back(*p);
            }
        }
    }
    return directories;
}

std::vector<std::string> vtkVizColorLogic::FindColorFiles(const std::vector<std::string>& directories)
{
    // Every project's scene asks for the colour files: a folder is looked through again only
    // when its entries may have changed (it is not as it was, or it had changed just before
    // it was looked through), so that a project does not cost more with every file the
    // folder holds.  A file changed in place is seen when it is loaded, by its own state.
    struct Scan
    {
        FolderState folder;
        bool trusted = false;
        std::vector<std::string> files;
    };
    static std::unordered_map<QByteArray, Scan, Counted::SeededHash<QByteArray>> scans;

    std::vector<std::string> files;
    for (const std::string& directory : directories) {
        const QByteArray key = QByteArray::fromStdString(directory);
        const FolderState state = FolderState::of(directory);
        auto known = scans.find(key);
        if (known != scans.end() && known->second.trusted && known->second.folder == state) {
            files.insert(files.end(), known->second.files.begin(), known->second.files.end());
            continue;
        }
        Scan scan;
        scan.folder = state;
        scan.trusted = state.settled();
        vtksys::Directory entries;
        bool loaded = false;
        if (state.exists) {
            ++folderReads;
            loaded = static_cast<bool>(entries.Load(directory));
        }
        if (loaded) {
            for (unsigned long i = 0; i < entries.GetNumberOfFiles(); ++i) {
                const char* name = entries.GetFile(i);
                // Entries "*.*" only.
                if (!name || !std::strchr(name, '.'))
                    continue;
                const std::string path = vtksys::SystemTools::JoinPath({"", directory, name});
                // Only regular files are looked into: a named pipe would hold start-up until
                // something writes to it.
                struct stat info;
                if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
                    continue;
                // Not judged by its bytes here: names in other scripts are no binary data, and
                // a damaged file is refused by its reader, which says why.
                vtkNew<vtkMRMLColorTableStorageNode> table;
                vtkNew<vtkMRMLProceduralColorStorageNode> procedural;
                if (table->SupportedFileType(path.c_str()) || procedural->SupportedFileType(path.c_str()))
                    AddColorFile(path.c_str(), &scan.files);
                else if (firstMeeting(path, info))
                    WarnPlainly("FindColorFiles: not a supported file type:\n" + Vexil::printableText(path));
            }
        }
        files.insert(files.end(), scan.files.begin(), scan.files.end());
        scans[key] = std::move(scan);
    }
    return files;
}
