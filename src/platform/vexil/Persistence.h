#pragma once
// Persistence of project data: the project-file writer and reader that the logic hands to
// everything that stores data in a project file, and the base of such classes.

#include "RootClass.h"

#include <string>
#include <utility>

namespace Vexil {

// Where a project file is written; the logic fills it, listeners add their parts.
class Hdf5FileWriter
{
public:
    explicit Hdf5FileWriter(std::string path = {}) : filePath(std::move(path)) {}
    const std::string& path() const { return filePath; }
private:
    std::string filePath;
};

// Where a project file is read from.
class Hdf5FileReader
{
public:
    explicit Hdf5FileReader(std::string path = {}) : filePath(std::move(path)) {}
    const std::string& path() const { return filePath; }
private:
    std::string filePath;
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
