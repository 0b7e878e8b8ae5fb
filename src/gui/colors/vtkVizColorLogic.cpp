#include "vtkVizColorLogic.h"

#include <mrml/vtkMRMLColorTableStorageNode.h>
#include <mrml/vtkMRMLProceduralColorStorageNode.h>

#include <vtkNew.h>
#include <vtkObjectFactory.h>
#include <vtksys/Directory.hxx>
#include <vtksys/SystemTools.hxx>

#include <QByteArray>
#include <QFileInfo>
#include <QString>
#include <QtGlobal>

#include <cstring>

vtkStandardNewMacro(vtkVizColorLogic);

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

std::vector<std::string> vtkVizColorLogic::FindDefaultColorFiles()
{
    // Start-up sets PELMORA_HOME to the application's home before the module is built.
    // The working directory is no fallback: it depends on where the user started us.
    const QByteArray home = qgetenv("PELMORA_HOME");
    const std::string directory = vtksys::SystemTools::JoinPath(
        {"", home.toStdString(), std::string("share/Pelmora-2.1") + "/ColorFiles"});
    return FindColorFiles({directory});
}

std::vector<std::string> vtkVizColorLogic::FindUserColorFiles()
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
    return FindColorFiles(directories);
}

std::vector<std::string> vtkVizColorLogic::FindColorFiles(const std::vector<std::string>& directories)
{
    std::vector<std::string> files;
    for (const std::string& directory : directories) {
        vtksys::Directory entries;
        if (!entries.Load(directory))
            continue;
        for (unsigned long i = 0; i < entries.GetNumberOfFiles(); ++i) {
            const char* name = entries.GetFile(i);
            // Entries "*.*" only.
            if (!name || !std::strchr(name, '.'))
                continue;
            const std::string path = vtksys::SystemTools::JoinPath({"", directory, name});
            // Only regular files are looked into: a named pipe would hold start-up until
            // something writes to it.
            if (!QFileInfo(QString::fromStdString(path)).isFile())
                continue;
            if (vtksys::SystemTools::DetectFileType(path.c_str(), 256, 0.05) != vtksys::SystemTools::FileTypeText)
                continue;
            vtkNew<vtkMRMLColorTableStorageNode> table;
            vtkNew<vtkMRMLProceduralColorStorageNode> procedural;
            if (table->SupportedFileType(path.c_str()) || procedural->SupportedFileType(path.c_str()))
                AddColorFile(path.c_str(), &files);
            else
                vtkWarningMacro("FindColorFiles: not a supported file type:\n" << path);
        }
    }
    return files;
}
