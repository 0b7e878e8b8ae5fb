#pragma once
// The commands of the File and Edit menus: new project, open files, open a project file,
// save, save as, quit, copy, paste, duplicate, delete, suppress and unsuppress.

#include "Command.h"

namespace Gui {

class PELMORAGUI_EXPORT StdCmdNew : public Command
{
public:
    StdCmdNew();
    const char* get_class_name() const override { return "StdCmdNew"; }
    void activated(int i) override;
};

class PELMORAGUI_EXPORT StdCmdOpen : public Command
{
public:
    StdCmdOpen();
    const char* get_class_name() const override { return "StdCmdOpen"; }
    void activated(int i) override;
};

class PELMORAGUI_EXPORT StdCmdOpenPMDB : public Command
{
public:
    StdCmdOpenPMDB();
    const char* get_class_name() const override { return "StdCmdOpenPMDB"; }
    void activated(int i) override;
};

class PELMORAGUI_EXPORT StdCmdSave : public Command
{
public:
    StdCmdSave();
    const char* get_class_name() const override { return "StdCmdSave"; }
    bool is_applicable() override;
    void activated(int i) override;
};

class PELMORAGUI_EXPORT StdCmdSaveAs : public Command
{
public:
    StdCmdSaveAs();
    const char* get_class_name() const override { return "StdCmdSaveAs"; }
    bool is_applicable() override;
    void activated(int i) override;
};

class PELMORAGUI_EXPORT StdCmdQuit : public Command
{
public:
    StdCmdQuit();
    const char* get_class_name() const override { return "StdCmdQuit"; }
    void activated(int i) override;
};

class PELMORAGUI_EXPORT StdCmdCopy : public Command
{
public:
    StdCmdCopy();
    const char* get_class_name() const override { return "StdCmdCopy"; }
    bool is_applicable() override;
    void activated(int i) override;
};

class PELMORAGUI_EXPORT StdCmdPaste : public Command
{
public:
    StdCmdPaste();
    const char* get_class_name() const override { return "StdCmdPaste"; }
    bool is_applicable() override;
    void activated(int i) override;
};

class PELMORAGUI_EXPORT StdCmdDuplicateSelection : public Command
{
public:
    StdCmdDuplicateSelection();
    const char* get_class_name() const override { return "StdCmdDuplicateSelection"; }
    bool is_applicable() override;
    void activated(int i) override;
};

class PELMORAGUI_EXPORT StdCmdDelete : public Command
{
public:
    StdCmdDelete();
    const char* get_class_name() const override { return "StdCmdDelete"; }
    bool is_applicable() override;
    void activated(int i) override;
};

class PELMORAGUI_EXPORT StdCmdSuppress : public Command
{
public:
    StdCmdSuppress();
    const char* get_class_name() const override { return "StdCmdSuppress"; }
    void activated(int i) override;
};

class PELMORAGUI_EXPORT StdCmdUnsuppress : public Command
{
public:
    StdCmdUnsuppress();
    const char* get_class_name() const override { return "StdCmdUnsuppress"; }
    void activated(int i) override;
};

// Creates the document and edit commands and hands them to `controller` in menu order.
PELMORAGUI_EXPORT void register_document_commands(CommandController& controller);

} // namespace Gui
