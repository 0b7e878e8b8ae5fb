#pragma once
// The colour logic: puts the default colour nodes into the scene it is given, the
// built-in tables and one node per colour file found (made when first asked for), and
// names the defaults that volumes, models, label maps, the editor and charts use.

#include "vtkMRMLAbstractLogic.h"

#include <string>
#include <vector>

class vtkMRMLColorNode;

class vtkMRMLColorLogic : public vtkMRMLAbstractLogic
{
public:
    static vtkMRMLColorLogic* New();
    vtkTypeMacro(vtkMRMLColorLogic, vtkMRMLAbstractLogic);
    void PrintSelf(ostream& os, vtkIndent indent) override;

    // IDs of the default colour nodes.
    virtual const char* GetDefaultVolumeColorNodeID();
    virtual const char* GetDefaultModelColorNodeID();
    virtual const char* GetDefaultLabelMapColorNodeID();
    virtual const char* GetDefaultEditorColorNodeID();
    virtual const char* GetDefaultChartColorNodeID();
    virtual const char* GetDefaultPlotColorNodeID();
    virtual const char* GetDefaultFreeSurferLabelMapColorNodeID();

    // The ID of the node made from a colour file with this name (a path or a bare name).
    static std::string GetFileColorNodeID(const char* fileName);
    // IDs of the built-in nodes.
    static const char* GetRainbowColorNodeID() { return "vtkMRMLColorTableNodePmRainbow"; }
    static const char* GetGreyColorNodeID() { return "vtkMRMLColorTableNodeGrey"; }
    static const char* GetHeatColorNodeID() { return "vtkMRMLFreeSurferProceduralColorNodeHeat"; }

    // Colour files shipped with the application and those of the user's folders.
    virtual std::vector<std::string> FindDefaultColorFiles();
    virtual std::vector<std::string> FindUserColorFiles();

    // Folders searched for the user's colour files, separated by ";".
    vtkSetStringMacro(UserColorFilePaths);
    vtkGetStringMacro(UserColorFilePaths);

    // Reads a colour table or procedural colour file into a new node of the scene, with
    // the ID GetFileColorNodeID gives; the node already there when that ID is taken.
    // A file is read once while it stays as it was (its size, time of change, inode and
    // time of status change, and its content where those times cannot tell): the nodes of
    // later scenes share what it gave.  Null when there is no scene or the file cannot be read;
    // a refused file is warned about once, with the reason.
    vtkMRMLColorNode* LoadColorFile(const char* fileName);
    // Colour files read since the start of the process (for tests and benchmarks).
    static long long GetNumberOfColorFileReads();
    // The step of file times that a file is judged by (two seconds unless set): a file
    // changed within the step of the clock in which it was read may be rewritten within it
    // and keep its times, so its content is compared while the step lasts.  Returns the
    // step it replaces; for tests, which set a step long enough that every time falls in one.
    static long long SetFileTimeResolution(long long nanoseconds);

    // The built-in nodes, and the nodes of the files found that are not yet in the scene.
    // The files are read once for every scene while the folders and files stay as they
    // were; the scene shows their nodes and makes each only when it is asked for (see
    // vtkMRMLScene::AddDeferredNodes), so a project costs the same whatever the folders hold.
    // The files found now take the place of those a scene was given before.
    void AddDefaultColorNodes();

protected:
    vtkMRMLColorLogic();
    ~vtkMRMLColorLogic() override;
    vtkMRMLColorLogic(const vtkMRMLColorLogic&) = delete;
    void operator=(const vtkMRMLColorLogic&) = delete;

    void SetMRMLSceneInternal(vtkMRMLScene* scene) override;
    // A text that stays the same while the colour files found stay the same (the folders
    // searched and their times of change), so that attaching a scene need not search them
    // again; empty when they must be searched.
    virtual std::string ColorFilesStamp() { return {}; }
    // Appends the path to the list (the files that will be read).
    void AddColorFile(const char* path, std::vector<std::string>* files);
    // A warning for the user, to the logic's warning observers or else VTK's output window:
    // the text alone, without the source line and object address of VTK's own warnings,
    // which mean nothing to the user (and which VTK's logger prints a second time).
    void WarnPlainly(const std::string& text);

    char* UserColorFilePaths = nullptr;
};
