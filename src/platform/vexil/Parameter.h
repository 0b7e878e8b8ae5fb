#pragma once
// Parameter groups: a tree of named groups with typed entries, addressed by paths such
// as "BaseApp/Preferences/General" below a manager ("User parameter").  A group tells
// its observers the key of every entry that changes.  Managers persist to INI files.

#include "Observer.h"
#include "Reference.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

class QByteArray;

namespace Vexil {

class ParameterManager;

class ParameterGroup : public ReferenceHandled, public Subject<const char*>
{
public:
    using Handle = ReferenceCount<ParameterGroup>;

    // The sub-group at `path` ("A/B/C"), created on demand.
    Handle get_parameter_group(const char* path);
    bool has_group(const char* name) const;
    std::vector<Handle> get_groups();
    void remove_group(const char* name);
    const char* get_group_name() const { return name.c_str(); }
    // "BaseApp/Preferences/General" for that group; empty for the root.
    std::string get_path() const;

    std::string get_ASCII_string(const char* key, const char* defaultValue = "") const;
    void set_ASCII_string(const char* key, const char* value);
    bool get_parameter_bool(const char* key, bool defaultValue = false) const;
    void set_parameter_bool(const char* key, bool value);
    long get_int_value(const char* key, long defaultValue = 0) const;
    void set_int_value(const char* key, long value);
    unsigned long get_unsigned_value(const char* key, unsigned long defaultValue = 0) const;
    void set_unsigned_value(const char* key, unsigned long value);
    double get_float_value(const char* key, double defaultValue = 0.0) const;
    void set_float_value(const char* key, double value);
    bool has_entry(const char* key) const;
    void remove_entry(const char* key);
    std::vector<std::string> get_entry_keys() const;
    void clear();

protected:
    ParameterGroup(const std::string& name, ParameterGroup* parent, ParameterManager* manager);
    ~ParameterGroup() override;

private:
    friend class ParameterManager;
    void set_raw(const char* key, const std::string& value);
    void changed();
    void detach_from_manager();
    const std::string* find_raw(const char* key) const;

    std::string name;
    ParameterGroup* parent;
    ParameterManager* manager;
    std::map<std::string, Handle> groups;
    std::map<std::string, std::string> entries;   // stored as text, parsed in the C locale
};

// The root of one tree of groups, bound to one file.  Every change is written through.
class ParameterManager : public ParameterGroup
{
public:
    using Handle = ReferenceCount<ParameterManager>;
    // An empty file name keeps the tree in memory only.
    static Handle create(const std::string& fileName);

    const std::string& get_file_name() const { return fileName; }
    // Replaces the tree by the file's content.  Lines that cannot be parsed are skipped
    // with a console warning; the original is then copied to "<file>.bak" before the
    // first save.  A file that cannot be read whole is never written over.  False when
    // anything was skipped or the file could not be read.
    bool load();
    // False when the file could not be written; the first failure is reported on the
    // console and the old file stays as it was.
    bool save() const;
    // Writes the whole tree to another file (atomically); false when it cannot.
    bool export_file(const std::string& targetFile) const;

private:
    explicit ParameterManager(const std::string& fileName);
    ~ParameterManager() override;
    friend class ParameterGroup;
    void changed();
    // Makes `group` hold what the parsed node (of the .cpp's file reader) holds.
    void apply(ParameterGroup& group, const void* node);
    static void write_group(QByteArray& out, const ParameterGroup& group, const QByteArray& section);

    bool write_backup() const;
    void report_save_failure(const std::string& reason) const;

    std::string fileName;
    bool loading = false;
    // The file could not be read whole: it is left as it is.
    bool unreadable = false;
    // The file's bytes as read, while they still hold lines the tree has dropped.
    mutable std::unique_ptr<QByteArray> pendingBackup;
    mutable bool saveFailureReported = false;
};

} // namespace Vexil
