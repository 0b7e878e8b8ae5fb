#include "vtkVizColorLogic.h"

#include <mrml/vtkMRMLColorTableStorageNode.h>
#include <mrml/vtkMRMLProceduralColorStorageNode.h>

#include <vtkNew.h>
#include <vtkObjectFactory.h>
#include <vtksys/Directory.hxx>
#include <vtksys/SystemTools.hxx>

#include <QByteArray>
#include <QDateTime>
#include <QFileInfo>
#include <QHash>
#include <QString>
#include <QtGlobal>

#include <cstring>
#include <utility>

vtkStandardNewMacro(vtkVizColorLogic);

namespace {

// True the first time a file is met as it is now (its size and time): every project
// searches the colour folders, and an odd file is warned about once, not per project.
bool firstMeeting(const QFileInfo& file)
{
    static QHash<QString, std::pair<qint64, qint64>> met;
    const std::pair<qint64, qint64> state(file.size(), file.lastModified().toMSecsSinceEpoch());
    auto found = met.find(file.absoluteFilePath());
    if (found != met.end() && found.value() == state)
        return false;
    met.insert(file.absoluteFilePath(), state);
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

// A folder changed within the last seconds may change again within the same tick of its
// clock: it is looked through again until it is older.
bool settled(qint64 time)
{
    return QDateTime::currentMSecsSinceEpoch() - time > 2000;
}

} // namespace

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
        const QFileInfo folder(QString::fromStdString(directory));
        const qint64 time = folder.isDir() ? folder.lastModified().toMSecsSinceEpoch() : -1;
        if (time >= 0 && !settled(time))
            return {};
        stamp += directory + '\n' + std::to_string(time) + '\n';
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
    // when its entries changed (its time of change moves), so that a project does not cost
    // more with every file the folder holds.  A file changed in place is seen when it is
    // loaded, by its own size and time.
    struct Scan
    {
        qint64 time = -1;
        std::vector<std::string> files;
    };
    static QHash<QString, Scan> scans;

    std::vector<std::string> files;
    for (const std::string& directory : directories) {
        const QString key = QString::fromStdString(directory);
        const QFileInfo folder(key);
        const qint64 time = folder.isDir() ? folder.lastModified().toMSecsSinceEpoch() : -1;
        auto known = scans.find(key);
        if (time >= 0 && known != scans.end() && known->time == time && settled(time)) {
            files.insert(files.end(), known->files.begin(), known->files.end());
            continue;
        }
        Scan scan;
        scan.time = time;
        vtksys::Directory entries;
        if (entries.Load(directory)) {
            for (unsigned long i = 0; i < entries.GetNumberOfFiles(); ++i) {
                const char* name = entries.GetFile(i);
                // Entries "*.*" only.
                if (!name || !std::strchr(name, '.'))
                    continue;
                const std::string path = vtksys::SystemTools::JoinPath({"", directory, name});
                // Only regular files are looked into: a named pipe would hold start-up until
                // something writes to it.
                const QFileInfo info(QString::fromStdString(path));
                if (!info.isFile())
                    continue;
                if (vtksys::SystemTools::DetectFileType(path.c_str(), 256, 0.05) != vtksys::SystemTools::FileTypeText)
                    continue;
                vtkNew<vtkMRMLColorTableStorageNode> table;
                vtkNew<vtkMRMLProceduralColorStorageNode> procedural;
                if (table->SupportedFileType(path.c_str()) || procedural->SupportedFileType(path.c_str()))
                    AddColorFile(path.c_str(), &scan.files);
                else if (firstMeeting(info))
                    WarnPlainly("FindColorFiles: not a supported file type:\n" + path);
            }
        }
        files.insert(files.end(), scan.files.begin(), scan.files.end());
        if (time >= 0)
            scans.insert(key, std::move(scan));
    }
    return files;
}
