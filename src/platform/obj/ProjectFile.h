#pragma once
// The logic's project file (".pmdb"): every project with its kind, its properties and its
// objects (type, name, properties, suppressed state, group members through the "Member"
// lists), and the surfaces of geometry objects kept inside the file, so that the file
// alone gives the projects back.  The same layout carries copied objects.
//
// Layout, one record a line, fields separated by tabs, with '%', tab, CR and LF inside a
// field written as "%XX":
//   PELMORA PROJECT FILE
//   version<TAB>1
//   current<TAB><project name>                       (when a project is current)
//   project<TAB><name><TAB><kind><TAB><feeder type>
//   pprop<TAB><name><TAB><type><TAB><value text>     (a property of the last project)
//   pprop<TAB>Length Unit<TAB>Obj::PropertyString<TAB><unit symbol>
//                                    (what the project's placements and surfaces are in)
//   object<TAB><id><TAB><type><TAB><name><TAB><0|1 suppressed>
//   model<TAB><base64 of a binary legacy VTK surface> (of the last object)
//   prop<TAB><name><TAB><type><TAB><value text>      (a property of the last object)
//   end<TAB><CRC-32 of every byte before this line, 8 hex digits>
// Values with units carry their unit ("12.5 mm"), so that they read back as the same
// amounts under any unit system.  A file without these (written before) has bare numbers,
// which are read in the reader's unit system, as they always were.
// A file that lacks the first line, the version, or the closing line with a matching
// checksum is refused as a whole, and so is one with a name or a property value (a
// label, an annotation's text) that holds a NUL byte, raw or written "%00", or with a name
// or label longer than 4096 bytes.  Reading checks the first line before anything
// else and takes one record at a time, none longer than what is left of the file.

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace Obj {

class Application;
class Project;
class ProjectObject;

class ProjectFile
{
public:
    static constexpr int Version = 1;
    // The longest name or label a project file or a paste may hold: a longer one is no
    // name a user gave, and showing it (eliding a window title, say) costs time with its
    // length.
    static constexpr std::size_t MaxNameBytes = 4096;

    // Why a file was refused or could not be written.
    class Error : public std::runtime_error
    {
    public:
        using std::runtime_error::runtime_error;
    };

    // A save refused for what the projects hold: no other place would take them either.
    class ContentError : public Error
    {
    public:
        using Error::Error;
    };

    // The bytes of a project file holding `projects`.
    static std::string write(const std::vector<Project*>& projects, const Project* current);
    // Writes the file through a temporary one that replaces `path` only when complete;
    // throws Error, leaving an earlier file as it was, when that fails.
    static void save(const std::string& path, const std::vector<Project*>& projects,
                     const Project* current);
    // Shortens `stem` (at a character's start) so that a number of up to ten digits after
    // it still makes a name a project file takes.
    static void fitForNumber(std::string& stem);
    // Why `label` could not be written to a project file; empty when it could.
    static std::string label_error(const std::string& label);
    // Why `projects` could not be written to a project file wherever it goes (a label too
    // long, say); empty when nothing in them stands in the way.
    static std::string content_error(const std::vector<Project*>& projects);
    // Why a property value `value` could not be written to a project file; empty when it
    // could.  What the program reads in is checked with it, so that it can be saved again.
    static std::string value_error(std::string_view value);
    // Whether `path` begins as a project file does (its first line); says nothing about
    // whether the rest can be read.
    static bool is_project_file(const std::string& path);
    // Reads `path` and adds its projects to `app`; returns them.  Throws Error, with
    // nothing added, when the file cannot be read, is not a complete project file, or
    // holds more than there is memory for.
    static std::vector<Project*> resume(Application& app, const std::string& path);
    // Throws the Error that resume would throw for `path` into `app` with no project open,
    // and creates nothing: a file is checked before the projects it replaces are closed.
    static void check(const Application& app, const std::string& path);

    // Copies of objects: `objects` of `source` (other projects' objects are skipped).
    static void export_objects(std::ostream& out, const Project& source,
                               const std::vector<ProjectObject*>& objects);
    // Creates the objects that `in` holds in `target`, links among them kept; returns
    // them in the order written.  Throws Error, with nothing created, on a bad stream.
    static std::vector<ProjectObject*> import_objects(std::istream& in, Project& target);
    // How many records this thread's readers have stepped over (read, checked, applied)
    // since it started: a plain count of the work, the same on every run, by which a test
    // sees that reading n records costs about n steps.
    static std::uint64_t recordsVisited();
    // That count, which the readers' lists of property records keep themselves: every
    // record a walk over them reaches, and every record an erase moves, is in it.
    static std::uint64_t& recordSteps();

private:
    // resume() up to its refusal for a lack of memory; counts the projects made.
    static std::vector<Project*> resumeWithin(Application& app, const std::string& path, std::size_t& made,
                                              std::size_t& total);
};

} // namespace Obj
