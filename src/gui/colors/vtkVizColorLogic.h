#pragma once
// The colour logic of the colours module: the default tables for label maps, the editor
// and charts, and where the colour files shipped with the application and the user's
// colour files are found.

#include "PelmoraGuiExport.h"

#include <mrml/vtkMRMLColorLogic.h>

#include <string>
#include <vector>

class PELMORAGUI_EXPORT vtkVizColorLogic : public vtkMRMLColorLogic
{
public:
    static vtkVizColorLogic* New();
    vtkTypeMacro(vtkVizColorLogic, vtkMRMLColorLogic);
    void PrintSelf(ostream& os, vtkIndent indent) override;

    const char* GetDefaultLabelMapColorNodeID() override;
    const char* GetDefaultEditorColorNodeID() override;
    const char* GetDefaultChartColorNodeID() override;

    // The colour files of "share/Pelmora-2.1/ColorFiles" under the application's home.
    std::vector<std::string> FindDefaultColorFiles() override;
    // The colour files of the folders in the user colour-file paths.
    std::vector<std::string> FindUserColorFiles() override;

    // Colour folders read since the start of the process (for tests and benchmarks).
    static long long GetNumberOfFolderReads();

protected:
    vtkVizColorLogic();
    ~vtkVizColorLogic() override;
    vtkVizColorLogic(const vtkVizColorLogic&) = delete;
    void operator=(const vtkVizColorLogic&) = delete;

    // The folders searched and their states (times of change and of status change, inode);
    // empty while one of them changed within the last seconds.
    std::string ColorFilesStamp() override;
    // The application's colour folder, and the user's colour folders in their order.
    static std::string DefaultColorFileDirectory();
    std::vector<std::string> UserColorFileDirectories();
    // Text files that a colour storage node reads, folder by folder in the given order.
    std::vector<std::string> FindColorFiles(const std::vector<std::string>& directories);
};
