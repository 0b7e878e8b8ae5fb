#pragma once
// Properties that name a file or a folder.  Folder and included-document paths are
// written in double quotes, with backslash escapes; a document path is plain text.

#include "Property.h"

#include <string>

namespace Obj {

class PropertyPath : public Property
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    const std::string& get_value() const { return value; }
    bool isEmpty() const { return value.empty(); }
    void set_value(const std::string& v);
    // The path quoted; a quoted text is unquoted, any other is taken as it is.
    std::string get_value_text() const override;
    bool set_value_text(const std::string& v) override;
private:
    std::string value;
};

class PropertyDirectory : public PropertyPath
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    const char* get_editor_name() const override { return "Gui::PropertyOperator::PropertyDirectoryItem"; }
};

// A file that the project keeps a copy of.
class PropertyDocIncluded : public PropertyPath
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    const char* get_editor_name() const override { return "Gui::PropertyOperator::PropertyTransientDocItem"; }
};

// The name of a file outside the project, held as a plain string.
class PropertyDocument : public PropertyString
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    const char* get_editor_name() const override { return "Gui::PropertyOperator::PropertyDocumentItem"; }
};

} // namespace Obj
