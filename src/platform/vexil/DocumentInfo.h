#pragma once
// A file path with the questions callers ask of it.

#include <string>

namespace Vexil {

class DocumentInfo
{
public:
    DocumentInfo(const char* path = "");
    DocumentInfo(const std::string& path);

    void set_document(const std::string& path);
    // The path with forward slashes.
    const std::string& document_path() const { return path; }
    std::string document_name() const;        // last component
    std::string document_name_pure() const;   // last component without extension
    std::string dir_path() const;
    // The text after the last dot of the file name; lower case when `lower` is set.
    std::string extension(bool lower = false) const;
    bool has_extension(const char* ext) const;   // case-insensitive
    bool exists() const;
    bool is_file() const;
    bool is_dir() const;
    bool is_readable() const;
    bool is_writable() const;
    bool removeDocument();
    bool renameDocument(const char* newName);

    // A file name in the temporary directory that does not exist yet.
    static std::string getTempFileName(const char* prefix = nullptr, const char* dir = nullptr);
    static std::string getTempPath();

private:
    std::string path;
};

} // namespace Vexil
