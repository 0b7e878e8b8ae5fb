#include "Parameter.h"

#include "AtomicSave.h"
#include "MsgConsole.h"
#include "PercentCoding.h"
#include "PrintableText.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstring>

namespace Vexil {

namespace {

// File layout: a header line, then "[a/b/c]" section lines and "key=value" entry lines.
// Names, keys and values are percent-escaped where a byte would clash with the layout;
// UTF-8 bytes are kept as they are.
const char* const fileHeader = "; Pelmora parameters 1";
const qint64 maxFileSize = 64 * 1024 * 1024;
// Groups are read, copied, written and freed recursively, and every level writes its
// whole path: a hostile file nesting thousands of levels would overflow the stack or
// save a file of the square of its size.  Real paths are a handful of levels deep.
const size_t maxSectionDepth = 64;

void escapeTo(QByteArray& out, const std::string& text)
{
    percentEncodeTo(out, text, [](unsigned char c) {
        return c < 0x20 || c == 0x7f || c == '%' || c == '=' || c == '/' || c == '[' || c == ']' || c == ';';
    });
}

std::string_view bytesOf(const QByteArray& bytes)
{
    return std::string_view(bytes.constData(), static_cast<size_t>(bytes.size()));
}

bool unescape(const QByteArray& in, std::string& out)
{
    out.clear();
    return percentDecodeTo(out, std::string_view(in.constData(), static_cast<size_t>(in.size())),
                           StrayPercent::Reject);
}

struct Node
{
    std::map<std::string, std::string> entries;
    std::map<std::string, Node> groups;
};

// Collects what the reader skipped, for one warning per line (up to a limit).
struct ParseReport
{
    const std::string& fileName;
    int skipped = 0;
    void skip(int lineNumber, const char* why)
    {
        if (++skipped <= maxWarnings) {
            MsgConsoleSingleton::Instance().Warning("Parameter file '%s', line %d: %s; line skipped\n",
                                                    printableText(fileName).c_str(), lineNumber, why);
        }
    }
    void finish() const
    {
        if (skipped > maxWarnings) {
            MsgConsoleSingleton::Instance().Warning("Parameter file '%s': %d more lines skipped\n",
                                                    printableText(fileName).c_str(), skipped - maxWarnings);
        }
    }
    static constexpr int maxWarnings = 20;
};

// Reads what can be read: a line that does not parse is skipped and reported, and the
// entries under a section line that does not parse are skipped with it, so that they
// never land in the wrong group.
void parse(const QByteArray& data, Node& root, ParseReport& report)
{
    const QList<QByteArray> lines = data.split('\n');
    int first = 0;
    if (!lines.isEmpty() && (lines.front() == fileHeader || lines.front() == QByteArray(fileHeader) + '\r'))
        first = 1;
    else
        report.skip(1, "not a parameter file header");
    Node* current = &root;
    for (int n = first; n < lines.size(); ++n) {
        QByteArray line = lines[n];
        const int lineNumber = n + 1;
        // A file saved by an editor with CR LF line ends reads the same.
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty() || line.startsWith(';'))
            continue;
        if (line.contains('\0')) {
            report.skip(lineNumber, "binary data");
            continue;
        }
        if (line.startsWith('[')) {
            // Blanks after the closing bracket are an editor's leftovers.
            while (line.endsWith(' ') || line.endsWith('\t'))
                line.chop(1);
            current = &root;
            if (!line.endsWith(']')) {
                report.skip(lineNumber, "section without closing bracket");
                current = nullptr;
                continue;
            }
            const QByteArray inner = line.mid(1, line.size() - 2);
            if (inner.isEmpty())
                continue;
            std::vector<std::string> path;
            for (const QByteArray& part : inner.split('/')) {
                std::string name;
                if (part.isEmpty() || !unescape(part, name)) {
                    path.clear();
                    break;
                }
                path.push_back(std::move(name));
            }
            if (path.empty()) {
                report.skip(lineNumber, "unreadable section name");
                current = nullptr;
                continue;
            }
            if (path.size() > maxSectionDepth) {
                report.skip(lineNumber, "sections nested too deeply");
                current = nullptr;
                continue;
            }
            for (const std::string& name : path)
                current = &current->groups[name];
            continue;
        }
        if (!current) {
            report.skip(lineNumber, "entry of an unreadable section");
            continue;
        }
        const int eq = line.indexOf('=');
        if (eq < 0) {
            report.skip(lineNumber, "no '=' in entry");
            continue;
        }
        if (eq == 0) {
            report.skip(lineNumber, "entry without key");
            continue;
        }
        std::string key, value;
        if (!unescape(line.left(eq), key) || !unescape(line.mid(eq + 1), value)) {
            report.skip(lineNumber, "bad %-escape");
            continue;
        }
        current->entries[key] = value;
    }
    report.finish();
}

std::vector<std::string> splitPath(const char* path)
{
    std::vector<std::string> parts;
    if (!path)
        return parts;
    std::string part;
    for (const char* p = path;; ++p) {
        if (*p == '/' || *p == '\0') {
            if (!part.empty())
                parts.push_back(part);
            part.clear();
            if (!*p)
                break;
        } else {
            part += *p;
        }
    }
    return parts;
}

} // namespace

// ---------------------------------------------------------------------------------------

ParameterGroup::ParameterGroup(const std::string& n, ParameterGroup* p, ParameterManager* m)
    : name(n), parent(p), manager(m)
{
}

ParameterGroup::~ParameterGroup()
{
    // Children held elsewhere outlive this group; they must not point back at it.
    for (auto& child : groups)
        child.second->parent = nullptr;
}

// A group leaving its tree writes nowhere any more.
void ParameterGroup::detach_from_manager()
{
    manager = nullptr;
    for (auto& child : groups)
        child.second->detach_from_manager();
}

ParameterGroup::Handle ParameterGroup::get_parameter_group(const char* path)
{
    ParameterGroup* group = this;
    bool created = false;
    for (const std::string& part : splitPath(path)) {
        auto it = group->groups.find(part);
        if (it == group->groups.end()) {
            it = group->groups.emplace(part, Handle(new ParameterGroup(part, group, group->manager))).first;
            created = true;
        }
        group = it->second.get();
    }
    if (created)
        changed();
    return Handle(group);
}

bool ParameterGroup::has_group(const char* n) const
{
    const std::vector<std::string> parts = splitPath(n);
    if (parts.empty())
        return false;
    const ParameterGroup* group = this;
    for (const std::string& part : parts) {
        auto it = group->groups.find(part);
        if (it == group->groups.end())
            return false;
        group = it->second.get();
    }
    return true;
}

std::vector<ParameterGroup::Handle> ParameterGroup::get_groups()
{
    std::vector<Handle> result;
    result.reserve(groups.size());
    for (auto& child : groups)
        result.push_back(child.second);
    return result;
}

void ParameterGroup::remove_group(const char* n)
{
    if (!n)
        return;
    auto it = groups.find(n);
    if (it == groups.end())
        return;
    Handle removed = it->second;
    groups.erase(it);
    removed->parent = nullptr;
    removed->detach_from_manager();
    changed();
    notify(n);
}

std::string ParameterGroup::get_path() const
{
    std::string path;
    for (const ParameterGroup* g = this; g && g->parent; g = g->parent)
        path = path.empty() ? g->name : g->name + "/" + path;
    return path;
}

const std::string* ParameterGroup::find_raw(const char* key) const
{
    if (!key)
        return nullptr;
    auto it = entries.find(key);
    return it == entries.end() ? nullptr : &it->second;
}

void ParameterGroup::set_raw(const char* key, const std::string& value)
{
    if (!key || !*key)
        return;
    auto it = entries.find(key);
    if (it != entries.end()) {
        if (it->second == value)
            return;
        it->second = value;
    } else {
        it = entries.emplace(key, value).first;
    }
    changed();
    // Our own copy of the key: an observer may remove the entry while being told.
    const std::string reason(key);
    notify(reason.c_str());
}

void ParameterGroup::changed()
{
    if (manager)
        manager->changed();
}

std::string ParameterGroup::get_ASCII_string(const char* key, const char* defaultValue) const
{
    if (const std::string* v = find_raw(key))
        return *v;
    return defaultValue ? std::string(defaultValue) : std::string();
}

void ParameterGroup::set_ASCII_string(const char* key, const char* value)
{
    set_raw(key, value ? std::string(value) : std::string());
}

bool ParameterGroup::get_parameter_bool(const char* key, bool defaultValue) const
{
    const std::string* v = find_raw(key);
    if (!v)
        return defaultValue;
    if (*v == "1" || *v == "true")
        return true;
    if (*v == "0" || *v == "false")
        return false;
    return defaultValue;
}

void ParameterGroup::set_parameter_bool(const char* key, bool value)
{
    set_raw(key, value ? "1" : "0");
}

long ParameterGroup::get_int_value(const char* key, long defaultValue) const
{
    const std::string* v = find_raw(key);
    if (!v)
        return defaultValue;
    bool ok = false;
    const qlonglong n = QByteArray::fromStdString(*v).trimmed().toLongLong(&ok);
    return ok ? static_cast<long>(n) : defaultValue;
}

void ParameterGroup::set_int_value(const char* key, long value)
{
    set_raw(key, QByteArray::number(static_cast<qlonglong>(value)).toStdString());
}

unsigned long ParameterGroup::get_unsigned_value(const char* key, unsigned long defaultValue) const
{
    const std::string* v = find_raw(key);
    if (!v)
        return defaultValue;
    bool ok = false;
    const qulonglong n = QByteArray::fromStdString(*v).trimmed().toULongLong(&ok);
    return ok ? static_cast<unsigned long>(n) : defaultValue;
}

void ParameterGroup::set_unsigned_value(const char* key, unsigned long value)
{
    set_raw(key, QByteArray::number(static_cast<qulonglong>(value)).toStdString());
}

double ParameterGroup::get_float_value(const char* key, double defaultValue) const
{
    const std::string* v = find_raw(key);
    if (!v)
        return defaultValue;
    bool ok = false;
    const double d = QByteArray::fromStdString(*v).trimmed().toDouble(&ok);   // C locale
    return ok ? d : defaultValue;
}

void ParameterGroup::set_float_value(const char* key, double value)
{
    // 17 significant digits (max_digits10 of double) read back to the same value.
    set_raw(key, QByteArray::number(value, 'g', 17).toStdString());
}

bool ParameterGroup::has_entry(const char* key) const
{
    return find_raw(key) != nullptr;
}

void ParameterGroup::remove_entry(const char* key)
{
    if (!key)
        return;
    auto it = entries.find(key);
    if (it == entries.end())
        return;
    const std::string reason = it->first;
    entries.erase(it);
    changed();
    notify(reason.c_str());
}

std::vector<std::string> ParameterGroup::get_entry_keys() const
{
    std::vector<std::string> keys;
    keys.reserve(entries.size());
    for (const auto& e : entries)
        keys.push_back(e.first);
    return keys;
}

void ParameterGroup::clear()
{
    if (entries.empty() && groups.empty())
        return;
    std::vector<std::string> keys = get_entry_keys();
    for (auto& child : groups) {
        keys.push_back(child.first);
        child.second->parent = nullptr;
        child.second->detach_from_manager();
    }
    groups.clear();
    entries.clear();
    changed();
    for (const std::string& k : keys)
        notify(k.c_str());
}

// ---------------------------------------------------------------------------------------

ParameterManager::ParameterManager(const std::string& f) : ParameterGroup(std::string(), nullptr, this), fileName(f)
{
}

ParameterManager::~ParameterManager()
{
    // Groups still held by handles stay usable in memory, but no longer write to the file.
    for (auto& child : groups)
        child.second->detach_from_manager();
}

ParameterManager::Handle ParameterManager::create(const std::string& fileName)
{
    Handle manager(new ParameterManager(fileName));
    if (!fileName.empty())
        manager->load();
    return manager;
}

void ParameterManager::apply(ParameterGroup& group, const void* data)
{
    const Node& node = *static_cast<const Node*>(data);
    group.entries = node.entries;
    // Groups that the file still has keep their objects, so handles held elsewhere stay bound.
    for (auto it = group.groups.begin(); it != group.groups.end();) {
        if (node.groups.count(it->first)) {
            ++it;
        } else {
            it->second->parent = nullptr;
            it->second->detach_from_manager();
            it = group.groups.erase(it);
        }
    }
    for (const auto& child : node.groups) {
        auto it = group.groups.find(child.first);
        if (it == group.groups.end())
            it = group.groups.emplace(child.first, ParameterGroup::Handle(new ParameterGroup(child.first, &group, this))).first;
        apply(*it->second, &child.second);
    }
}

bool ParameterManager::load()
{
    Node root;
    bool ok = true;
    unreadable = false;
    pendingBackup.reset();
    if (!fileName.empty()) {
        QFile file(QString::fromStdString(fileName));
        if (file.exists()) {
            QByteArray data;
            // Opening a named pipe would wait for a writer for good.
            const bool regular = QFileInfo(file).isFile();
            if (!regular || !file.open(QIODevice::ReadOnly)) {
                unreadable = true;
            } else if (file.size() > maxFileSize) {
                unreadable = true;
            } else {
                data = file.readAll();
                unreadable = file.error() != QFileDevice::NoError;
            }
            if (unreadable) {
                ok = false;
                MsgConsoleSingleton::Instance().Warning(
                    "Parameter file '%s' cannot be read whole (%s); it is left untouched and "
                    "changes are not saved to it\n",
                    fileName.c_str(),
                    !regular ? "not a regular file"
                    : file.size() > maxFileSize ? "larger than 64 MiB" : file.errorString().toLocal8Bit().constData());
            } else if (!data.isEmpty()) {
                ParseReport report{fileName};
                parse(data, root, report);
                if (report.skipped > 0) {
                    ok = false;
                    pendingBackup = std::make_unique<QByteArray>(std::move(data));
                }
            }
        }
    }
    loading = true;
    apply(*this, &root);
    loading = false;
    return ok;
}

bool ParameterManager::write_backup() const
{
    std::string error;
    if (!saveFileAtomically(fileName + ".bak", bytesOf(*pendingBackup), error)) {
        report_save_failure("cannot keep the original as " + fileName + ".bak: " + error);
        return false;
    }
    MsgConsoleSingleton::Instance().Warning(
        "Parameter file '%s' had lines that could not be read; the original is kept as '%s.bak'\n",
        fileName.c_str(), fileName.c_str());
    pendingBackup.reset();
    return true;
}

void ParameterManager::report_save_failure(const std::string& reason) const
{
    if (saveFailureReported)
        return;
    saveFailureReported = true;
    MsgConsoleSingleton::Instance().Error("Cannot save the parameter file '%s': %s\n", printableText(fileName).c_str(),
                                          reason.c_str());
}

void ParameterManager::write_group(QByteArray& out, const ParameterGroup& group, const QByteArray& section)
{
    if (!section.isEmpty()) {
        out += '[';
        out += section;
        out += "]\n";
    }
    for (const auto& e : group.entries) {
        escapeTo(out, e.first);
        out += '=';
        escapeTo(out, e.second);
        out += '\n';
    }
    for (const auto& child : group.groups) {
        QByteArray childSection = section;
        if (!childSection.isEmpty())
            childSection += '/';
        escapeTo(childSection, child.first);
        write_group(out, *child.second, childSection);
    }
}

bool ParameterManager::export_file(const std::string& targetFile) const
{
    if (targetFile.empty())
        return false;
    QByteArray out(fileHeader);
    out += '\n';
    write_group(out, *this, QByteArray());
    QDir().mkpath(QFileInfo(QString::fromStdString(targetFile)).absolutePath());
    std::string error;
    return saveFileAtomically(targetFile, bytesOf(out), error);
}

bool ParameterManager::save() const
{
    if (fileName.empty())
        return true;
    if (unreadable) {
        report_save_failure("the file on disk could not be read whole and is left untouched");
        return false;
    }
    if (pendingBackup && !write_backup())
        return false;
    QByteArray out(fileHeader);
    out += '\n';
    write_group(out, *this, QByteArray());
    QDir().mkpath(QFileInfo(QString::fromStdString(fileName)).absolutePath());
    std::string error;
    if (!saveFileAtomically(fileName, bytesOf(out), error)) {
        report_save_failure(error);
        return false;
    }
    // Failing again after a success is news again.
    saveFailureReported = false;
    return true;
}

void ParameterManager::changed()
{
    if (!loading)
        save();
}

} // namespace Vexil
