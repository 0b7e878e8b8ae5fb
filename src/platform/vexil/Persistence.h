#pragma once
// Persistence of project data: the project-file writer and reader that the logic hands to
// everything that stores data in a project file, and the base of such classes.

#include "RootClass.h"

#include <map>
#include <string>
#include <utility>

namespace Vexil {

// Where a project file is written; the logic fills it, listeners add their parts.
class Hdf5FileWriter
{
public:
    explicit Hdf5FileWriter(std::string path = {}) : filePath(std::move(path)) {}
    const std::string& path() const { return filePath; }
    // Values are kept by key ("group/name"); a later write replaces an earlier one.
    void write(const std::string& key, const std::string& value) { values[key] = value; }
    const std::map<std::string, std::string>& entries() const { return values; }
private:
    std::string filePath;
    std::map<std::string, std::string> values;
};

// Where a project file is read from.
class Hdf5FileReader
{
public:
    explicit Hdf5FileReader(std::string path = {}) : filePath(std::move(path)) {}
    // Reads what `writer` holds.
    explicit Hdf5FileReader(const Hdf5FileWriter& writer) : filePath(writer.path()), values(writer.entries()) {}
    const std::string& path() const { return filePath; }
    // False, and `value` untouched, when nothing was written under `key`.
    bool read(const std::string& key, std::string& value) const
    {
        const auto it = values.find(key);
        if (it == values.end())
            return false;
        value = it->second;
        return true;
    }
private:
    std::string filePath;
    std::map<std::string, std::string> values;
};

// A class that keeps data of its own in project files.
class DataPersistence : public RootClass
{
public:
    virtual unsigned int get_memory_usage() const = 0;
    virtual void save(Hdf5FileWriter& writer, const std::string& group) = 0;
    virtual void resume(Hdf5FileReader& reader, const std::string& group) = 0;
    virtual void save_to_file(Hdf5FileWriter&) const {}
    virtual void load_from_file(Hdf5FileReader&) {}
};

} // namespace Vexil
