#include "vtkMRMLAnnotationStorageNode.h"

#include "AnnotationFileText.h"
#include "vtkMRMLAnnotationControlPointsNode.h"
#include "vtkMRMLAnnotationLineDisplayNode.h"
#include "vtkMRMLAnnotationLinesNode.h"
#include "vtkMRMLAnnotationNode.h"
#include "vtkMRMLAnnotationPointDisplayNode.h"
#include "vtkMRMLAnnotationRulerNode.h"
#include "vtkMRMLAnnotationTextDisplayNode.h"

#include <counted/CountedSteps.h>
#include <mrml/vtkMRMLScene.h>
#include <vexil/AtomicSave.h>
#include <vexil/PrintableText.h>

#include <vtkNew.h>
#include <vtkObjectFactory.h>
#include <vtkPolyData.h>
#include <vtkSmartPointer.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <type_traits>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

vtkStandardNewMacro(vtkMRMLAnnotationStorageNode);

namespace {

struct ColumnNameStepsTag;
struct MessageTextsTag;

std::uint64_t& messageTexts()
{
    return Counted::tally<MessageTextsTag>();
}

// What a failed read puts back: the annotation node and its display nodes as they were.
class NodeSnapshot
{
public:
    explicit NodeSnapshot(vtkMRMLAnnotationNode* node)
        : Node(node)
    {
        // The geometry is set aside whole rather than copied: the read fills a new one.
        const int disabled = node->GetDisableModifiedEvent();
        node->SetDisableModifiedEvent(1);
        PolyData = node->GetPolyData();
        node->SetAndObservePolyData(nullptr);
        Copy = vtkSmartPointer<vtkMRMLNode>::Take(node->CreateNodeInstance());
        Copy->Copy(node);
        vtkNew<vtkPolyData> fresh;
        node->SetAndObservePolyData(fresh);
        node->SetDisableModifiedEvent(disabled);
        for (int i = 0; i < node->GetNumberOfDisplayNodes(); ++i)
            if (vtkMRMLDisplayNode* display = node->GetNthDisplayNode(i)) {
                auto copy = vtkSmartPointer<vtkMRMLNode>::Take(display->CreateNodeInstance());
                copy->Copy(display);
                Displays.emplace_back(display, copy);
            }
        if (auto* cp = vtkMRMLAnnotationControlPointsNode::SafeDownCast(node))
            Scheme = cp->GetNumberingScheme();
        if (auto* ruler = vtkMRMLAnnotationRulerNode::SafeDownCast(node))
            Format = ruler->GetDistanceAnnotationFormat() ? ruler->GetDistanceAnnotationFormat() : "";
    }

    void Restore()
    {
        const int disabled = Node->GetDisableModifiedEvent();
        Node->SetDisableModifiedEvent(1);
        Node->Copy(Copy);
        Node->SetAndObservePolyData(PolyData);
        if (auto* cp = vtkMRMLAnnotationControlPointsNode::SafeDownCast(Node))
            cp->SetNumberingScheme(Scheme);
        if (auto* ruler = vtkMRMLAnnotationRulerNode::SafeDownCast(Node))
            ruler->SetDistanceAnnotationFormat(Format.c_str());
        Node->SetDisableModifiedEvent(disabled);
        for (auto& d : Displays)
            d.first->Copy(d.second);
    }

private:
    vtkMRMLAnnotationNode* Node;
    vtkSmartPointer<vtkMRMLNode> Copy;
    vtkSmartPointer<vtkPolyData> PolyData;
    std::vector<std::pair<vtkMRMLDisplayNode*, vtkSmartPointer<vtkMRMLNode>>> Displays;
    int Scheme = 0;
    std::string Format;
};

bool isCommentLine(std::string_view line)
{
    return line.size() >= 2 && line[0] == '#' && line[1] == ' ';
}

// A line of some section: a row or a key of the text, point, line or ruler section, or
// the name.
bool holdsAnnotation(std::string_view line)
{
    if (isCommentLine(line))
        line.remove_prefix(2);
    else if (!line.empty() && line[0] == '#')
        return false;
    for (std::string_view word : {"Name = ", "text", "point", "line", "ruler"})
        if (line.substr(0, word.size()) == word)
            return true;
    return false;
}

} // namespace

vtkMRMLAnnotationStorageNode::vtkMRMLAnnotationStorageNode()
{
    ReadFileTypes = {"Annotation List CSV (.acsv)", "Text (.txt)"};
    WriteFileTypes = ReadFileTypes;
}

void vtkMRMLAnnotationStorageNode::PrintSelf(ostream& os, vtkIndent indent)
{
    Superclass::PrintSelf(os, indent);
}

bool vtkMRMLAnnotationStorageNode::CanReadInReferenceNode(vtkMRMLNode* node)
{
    return node && node->IsA("vtkMRMLAnnotationNode");
}

void vtkMRMLAnnotationStorageNode::ReportWrongNodeClass(vtkMRMLNode* node)
{
    vtkErrorMacro("ReadData: unable to cast input node " << (node && node->GetID() ? node->GetID() : "")
                                                         << " to a annotation node");
}

std::string vtkMRMLAnnotationStorageNode::GetFullNameFromFileName()
{
    if (!FileName || !*FileName)
        return std::string();
    std::string name = FileName;
    vtkMRMLScene* scene = GetScene();
    if (name[0] != '/' && scene && scene->GetRootDirectory() && *scene->GetRootDirectory())
        name = std::string(scene->GetRootDirectory()) + "/" + name;
    return name;
}

// ---- reading --------------------------------------------------------------------

int vtkMRMLAnnotationStorageNode::OpenFileToRead(vtkMRMLNode* node)
{
    if (!vtkMRMLAnnotationNode::SafeDownCast(node)) {
        vtkErrorMacro("Reference node is not a proper vtkMRMLAnnotationNode");
        return 0;
    }
    if (FileLoaded)
        return 1;
    if (!FileName && !URI) {
        vtkErrorMacro("OpenFileToRead: file name and uri not set");
        return 0;
    }
    StageReadData(node);
    if (GetReadState() != TransferDone) {
        vtkWarningMacro("OpenFileToRead: Read state is pending, returning.");
        return 0;
    }
    const std::string fullName = GetFullNameFromFileName();
    if (fullName.empty()) {
        vtkErrorMacro("vtkMRMLAnnotationStorageNode: File name not specified");
        return 0;
    }
    // A named pipe would keep the reader waiting, a device such as /dev/zero never ends.
    struct stat info;
    if (::stat(fullName.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        vtkErrorMacro("OpenFileToRead: file " << fullName << " is not a regular file");
        return 0;
    }
    std::ifstream in(fullName, std::ios::binary);
    if (!in.is_open()) {
        vtkErrorMacro("OpenFileToRead: unable to open file " << fullName << " for reading");
        return 0;
    }
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0) {
        vtkErrorMacro("OpenFileToRead: unable to read file " << fullName);
        return 0;
    }
    if (size > MaximumFileSize) {
        vtkErrorMacro("OpenFileToRead: file " << fullName << " is too large (" << size
                                              << " bytes, at most " << MaximumFileSize << ")");
        return 0;
    }
    in.seekg(0, std::ios::beg);
    std::string content(static_cast<size_t>(size), '\0');
    if (size > 0 && !in.read(&content[0], size)) {
        vtkErrorMacro("OpenFileToRead: unable to read file " << fullName);
        return 0;
    }
    return TakeContent(std::move(content), "file " + fullName);
}

int vtkMRMLAnnotationStorageNode::TakeContent(std::string content, const std::string& source)
{
    if (content.find('\0') != std::string::npos) {
        vtkErrorMacro("OpenFileToRead: " << source << " is not a text file");
        return 0;
    }
    // The first line names the file only; a file without it reads the same.  A file in
    // which no line belongs to an annotation (empty, a header alone, some other text) is
    // refused rather than read as an empty annotation.
    bool annotation = false;
    bool escaped = false;
    std::string_view rest(content);
    while (!rest.empty()) {
        const size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line == EscapedTextsLine)
            escaped = true;
        else if (holdsAnnotation(line))
            annotation = true;
    }
    if (!annotation) {
        vtkErrorMacro("OpenFileToRead: " << source << " holds no annotation");
        return 0;
    }
    FileEscaped = escaped;
    ContentSource = source;
    FileContent = std::move(content);
    FileLoaded = true;
    return 1;
}

int vtkMRMLAnnotationStorageNode::RunPass(vtkMRMLAnnotationNode* node,
                                          const std::function<bool(std::string_view)>& f)
{
    const int disabled = node->GetDisableModifiedEvent();
    node->SetDisableModifiedEvent(1);
    bool ok = true;
    PassLine = 0;
    RefusedValue = false;
    ForEachLine([&](std::string_view line) {
        ++PassLine;
        ok = f(line) && !RefusedValue;
        return ok;
    });
    node->SetDisableModifiedEvent(disabled);
    return ok ? 1 : 0;
}

int vtkMRMLAnnotationStorageNode::ReadDataInternal(vtkMRMLNode* refNode)
{
    if (!CanReadInReferenceNode(refNode)) {
        ReportWrongNodeClass(refNode);
        return 0;
    }
    auto* node = vtkMRMLAnnotationNode::SafeDownCast(refNode);
    FileLoaded = false;
    if (!OpenFileToRead(node))
        return 0;
    return ReadLoadedContent(node, FileName ? FileName : "");
}

int vtkMRMLAnnotationStorageNode::ReadFromText(vtkMRMLNode* refNode, std::string text)
{
    if (!CanReadInReferenceNode(refNode)) {
        ReportWrongNodeClass(refNode);
        return 0;
    }
    FileLoaded = false;
    if (!TakeContent(std::move(text), "the annotation text"))
        return 0;
    return ReadLoadedContent(vtkMRMLAnnotationNode::SafeDownCast(refNode), "The annotation text");
}

int vtkMRMLAnnotationStorageNode::ReadLoadedContent(vtkMRMLAnnotationNode* node, const std::string& source)
{
    NodeSnapshot snapshot(node);
    node->ResetAnnotations();
    ForgetLenientReads();
    const int ok = ReadAnnotation(node);
    SayLenientReads();
    FileContent.clear();
    FileContent.shrink_to_fit();
    FileLoaded = false;
    if (!ok) {
        snapshot.Restore();
        vtkErrorMacro("ReadData: " << source << " could not be read; the annotation was left unchanged");
        return 0;
    }
    if (SendsReadEventToNode())
        node->InvokeEvent(vtkMRMLScene::NodeAddedEvent, node);
    else
        InvokeEvent(vtkMRMLScene::NodeAddedEvent, node);
    return 1;
}

int vtkMRMLAnnotationStorageNode::ReadAnnotation(vtkMRMLAnnotationNode* node)
{
    if (!node) {
        vtkErrorMacro("ReadAnnotation: input is NULL");
        return 0;
    }
    if (!OpenFileToRead(node))
        return 0;
    Columns cols;
    return RunPass(node, [&](std::string_view line) {
        if (isCommentLine(line)) {
            const int read = ReadAnnotationTextProperties(node, line, cols);
            if (read == 0)
                CheckUnknownKey(line, "text");
            return read >= 0;
        }
        if (!line.empty() && line[0] == '#')
            return true;
        ReadAnnotationTextData(node, line, cols);
        return true;
    });
}

bool vtkMRMLAnnotationStorageNode::MatchKey(std::string_view line, std::string_view key, std::string_view& value)
{
    // Keys count only at the start of a line: a name or text holding a key must not be
    // taken for one.
    if (line.substr(0, key.size()) != key)
        return false;
    value = line.substr(key.size());
    return true;
}

void vtkMRMLAnnotationStorageNode::ReadColumns(std::string_view value, const std::vector<std::string_view>& names,
                                               Columns& cols)
{
    cols.type = -1;
    for (int& f : cols.field)
        f = -1;
    cols.count = 0;
    ForEachColumnName(value, [&](std::string_view name) {
        if (name == "type")
            cols.type = cols.count;
        for (size_t k = 0; k < names.size() && k < 5; ++k)
            if (name == names[k])
                cols.field[k] = cols.count;
        ++cols.count;
        return true;
    });
}

int vtkMRMLAnnotationStorageNode::ReadColumnsHeader(const char* header, std::string_view value,
                                                    const std::vector<std::string_view>& names, size_t required,
                                                    Columns& cols, std::string_view firstAlso)
{
    if (!value.empty() && value.back() == '\r')
        value.remove_suffix(1);
    ReadColumns(value, names, cols);
    // Refused only where its rows could not be read: the type column not first or named
    // twice, a column the rows cannot do without missing.  A name the section does not
    // have, or another name given twice, is said and read as the rules say.
    std::string problem;
    // How often each name came so far.  The names are the file's: hashed under the
    // process's seed, so that no header makes each look-up walk the names before it.  Room
    // is made at once for the names there are (empty ones between bars are none), but no
    // more than there can be different ones: a name of three or more characters takes four
    // bytes with its bar, and there are 65,792 shorter ones.  So a name given many times
    // costs no more than the header's own size.
    Counted::HashMap<std::string_view, int, &vtkMRMLAnnotationStorageNode::ColumnNameSteps> seen;
    size_t nameCount = 0;
    for (size_t i = 0; i < value.size(); ++i)
        nameCount += value[i] != '|' && (i + 1 == value.size() || value[i + 1] == '|');
    seen.reserve(std::min(nameCount, value.size() / 4 + 65792));
    // The first few names the section does not have, and of those it has given twice.
    std::vector<std::string_view> unknown, repeated;
    size_t unknownCount = 0, repeatedCount = 0;
    std::string_view first;
    bool any = false;
    ForEachColumnName(value, [&](std::string_view name) {
        if (!any)
            first = name;
        any = true;
        const bool known = name == "type" || (!firstAlso.empty() && name == firstAlso)
                           || std::find(names.begin(), names.end(), name) != names.end();
        const int times = ++seen[name];
        if (times > 1 && name == "type")
            problem = "names the column \"type\" twice";
        else if (!known && times == 1 && unknownCount++ < LinesNamed)
            unknown.push_back(name);
        else if (known && times == 2 && repeatedCount++ < LinesNamed)
            repeated.push_back(name);
        return problem.empty();
    });
    const bool firstOk = cols.type == 0 || (!firstAlso.empty() && any && first == firstAlso);
    if (problem.empty() && !firstOk)
        problem = "does not begin with the type column";
    for (size_t k = 0; problem.empty() && k < required && k < names.size() && k < 5; ++k)
        if (cols.field[k] < 0)
            problem = "lacks the \"" + std::string(names[k]) + "\" column";
    const auto shownHeader = [&] {
        ++messageTexts();
        return Vexil::printableText(value.substr(0, 200)) + (value.size() > 200 ? "..." : "");
    };
    if (!problem.empty()) {
        RefusedValue = true;
        vtkErrorMacro("line " << PassLine << ": the " << header << " header \"" << shownHeader() << "\" " << problem);
        return -1;
    }
    // "a", "b" and "c"; "a", ..., "e" and 12 more.
    const auto nameList = [this](std::ostream& os, const std::vector<std::string_view>& list, size_t count) {
        for (size_t k = 0; k < list.size(); ++k)
            os << (k == 0 ? "" : k + 1 == list.size() && count == list.size() ? " and " : ", ") << "\""
               << ShownValue(list[k]) << "\"";
        if (count > list.size())
            os << " and " << CountText(count - list.size()) << " more";
    };
    if (unknownCount)
        NoteLenient(Lenient::UnknownColumn, [&](std::ostream& os) {
            os << "the " << header << " header \"" << shownHeader() << "\" ";
            os << (unknownCount == 1 ? "names a column " : "names the columns ");
            nameList(os, unknown, unknownCount);
            os << (unknownCount == 1 ? " that its section does not have; it is not read"
                                     : " that its section does not have; they are not read");
        });
    if (repeatedCount)
        NoteLenient(Lenient::RepeatedColumn, [&](std::ostream& os) {
            os << "the " << header << " header \"" << shownHeader() << "\" ";
            os << (repeatedCount == 1 ? "names the column " : "names the columns ");
            nameList(os, repeated, repeatedCount);
            if (repeatedCount > 1)
                os << " more than once; of each the last one is read";
            else
                os << (seen[repeated[0]] == 2 ? " twice" : " more than once") << "; the last one is read";
        });
    return 1;
}

bool vtkMRMLAnnotationStorageNode::ReadNumber(std::string_view text, const ValueName& what, double& value)
{
    double read = 0;
    const annotationtext::NumberFit fit = annotationtext::readDouble(text, read);
    if (fit == annotationtext::NumberFit::None || !std::isfinite(read)) {
        RefusedValue = true;
        vtkErrorMacro(<< ContentSource << ", line " << PassLine << ": " << what.Text() << " \"" << ShownValue(text)
                      << "\" is " << (fit == annotationtext::NumberFit::None ? "no number" : "not a finite number"));
        return false;
    }
    if (fit == annotationtext::NumberFit::Leading)
        NoteLenient(Lenient::NumberWithText, [&](std::ostream& os) {
            os << what.Text() << " \"" << ShownValue(text) << "\" is read as " << read;
        });
    else if (read == 0 && annotationtext::nonzeroDigits(text))
        NoteLenient(Lenient::TooSmall, [&](std::ostream& os) {
            os << what.Text() << " \"" << ShownValue(text) << "\" is too small for a number and is read as 0";
        });
    value = read;
    return true;
}

bool vtkMRMLAnnotationStorageNode::ReadNumber(std::string_view text, const ValueName& what, int& value,
                                              bool refuse)
{
    int read = 0;
    const annotationtext::NumberFit fit = annotationtext::readInt(text, read);
    const bool ok = fit == annotationtext::NumberFit::Whole || fit == annotationtext::NumberFit::Leading;
    if (!ok && !refuse) {
        NoteLenient(Lenient::NoNumber, [&](std::ostream& os) {
            os << what.Text() << " \"" << ShownValue(text) << "\" is no number and is read as " << read;
        });
        value = read;
        return true;
    }
    if (!ok) {
        RefusedValue = true;
        vtkErrorMacro(<< ContentSource << ", line " << PassLine << ": " << what.Text() << " \"" << ShownValue(text)
                      << "\" is "
                      << (fit == annotationtext::NumberFit::None ? "no number" : "no number an integer can hold"));
        return false;
    }
    if (fit == annotationtext::NumberFit::Leading)
        NoteLenient(Lenient::NumberWithText, [&](std::ostream& os) {
            os << what.Text() << " \"" << ShownValue(text) << "\" is read as " << read;
        });
    value = read;
    return true;
}

void vtkMRMLAnnotationStorageNode::CheckExtraFields(const char* word, int count, bool extra)
{
    if (extra)
        NoteLenient(Lenient::ExtraFields, [&](std::ostream& os) {
            os << "the " << word << " row has more fields than " << count
               << ", the columns its header names; they are not read";
        });
}

void vtkMRMLAnnotationStorageNode::CheckFlag(std::string_view text, const ValueName& what, int value)
{
    if (text.empty())
        NoteLenient(Lenient::Flag, [&](std::ostream& os) { os << what.Text() << " is empty and is read as 1"; });
    else if (value != 0 && value != 1)
        NoteLenient(Lenient::Flag, [&](std::ostream& os) {
            os << what.Text() << " \"" << ShownValue(text) << "\" is neither 0 nor 1 and is read as 1";
        });
}

void vtkMRMLAnnotationStorageNode::CheckTaken(const std::string& key, std::string_view text, double read,
                                              double taken)
{
    if (read == taken)
        return;
    if (!text.empty() && text.back() == '\r')
        text.remove_suffix(1);
    NoteLenient(Lenient::OutOfRange, [&](std::ostream& os) {
        os << "the value of " << key << " \"" << ShownValue(text) << "\" is out of its range and is read as "
           << annotationtext::formatDouble(taken);
    });
}

void vtkMRMLAnnotationStorageNode::CheckUnknownKey(std::string_view line, const std::string& section)
{
    if (line.size() < 2 + section.size() || line.substr(2, section.size()) != section || line.substr(0, 2) != "# ")
        return;
    const size_t equals = line.find(" = ");
    if (equals == std::string_view::npos)
        return;
    const std::string_view key = line.substr(2, equals - 2);
    NoteLenient(Lenient::UnknownKey,
                [&](std::ostream& os) { os << "the key \"" << ShownValue(key) << "\" is not known; it is not read"; });
}

std::string vtkMRMLAnnotationStorageNode::ValueName::Text() const
{
    ++messageTexts();
    std::string text;
    for (std::string_view piece : Pieces)
        text += piece;
    return text;
}

std::string vtkMRMLAnnotationStorageNode::ShownValue(std::string_view text) const
{
    ++messageTexts();
    return Vexil::printableText(text.substr(0, 100)) + (text.size() > 100 ? "..." : "");
}

std::string vtkMRMLAnnotationStorageNode::CountText(size_t count)
{
    std::string digits = std::to_string(count);
    for (size_t at = digits.size(); at > 3; at -= 3)
        digits.insert(at - 3, 1, ',');
    return digits;
}

void vtkMRMLAnnotationStorageNode::NameLenientLine(LenientLines& lines, bool sameLine,
                                                   const std::function<void(std::ostream&)>& say)
{
    // Lines are named whole; a line of many such values is named with its first ones.
    if (sameLine && lines.named.back().size() > 2000)
        return;
    ++messageTexts();
    std::ostringstream os;
    if (sameLine)
        os << lines.named.back() << ", and ";
    else
        os << "line " << PassLine << ": ";
    say(os);
    if (sameLine)
        lines.named.back() = os.str();
    else
        lines.named.push_back(os.str());
}

void vtkMRMLAnnotationStorageNode::SayLenientReads()
{
    for (const LenientLines& lines : Lenients) {
        if (!lines.count)
            continue;
        std::string said;
        for (const std::string& line : lines.named)
            said += (said.empty() ? "" : "; ") + line;
        if (lines.count > lines.named.size())
            said += "; and " + CountText(lines.count - lines.named.size()) +
                    (lines.count - lines.named.size() == 1 ? " more line like these" : " more lines like these");
        vtkWarningMacro(<< ContentSource << ", " << said);
    }
    ForgetLenientReads();
}

void vtkMRMLAnnotationStorageNode::ForgetLenientReads()
{
    for (LenientLines& lines : Lenients)
        lines = LenientLines();
}

std::uint64_t& vtkMRMLAnnotationStorageNode::ColumnNameSteps()
{
    return Counted::tally<ColumnNameStepsTag>();
}

std::uint64_t vtkMRMLAnnotationStorageNode::GetColumnNameSteps()
{
    return ColumnNameSteps();
}

std::uint64_t vtkMRMLAnnotationStorageNode::GetMessageTextsMade()
{
    return messageTexts();
}

int vtkMRMLAnnotationStorageNode::ReadAnnotationDisplayProperties(vtkMRMLAnnotationDisplayNode* node,
                                                                  std::string_view line,
                                                                  const std::string& section)
{
    if (!node) {
        vtkErrorMacro("ReadAnnotationDisplayProperties: null associated AnnotationDisplayNode");
        return -1;
    }
    const std::string prefix = "# " + section;
    std::string_view value;
    if (MatchKey(line, prefix + "Visibility = ", value)) {
        int visibility = 0;
        if (!ReadNumber(value, {"the value of ", section, "Visibility"}, visibility))
            return -1;
        node->SetVisibility(visibility);
        CheckTaken(section + "Visibility", value, visibility, visibility == 0 || visibility == 1 ? visibility : 1);
        return 1;
    }
    const bool color = MatchKey(line, prefix + "Color = ", value);
    if (color || MatchKey(line, prefix + "SelectedColor = ", value)) {
        const std::string key = section + (color ? "Color" : "SelectedColor");
        if (!value.empty() && value.back() == '\r')
            value.remove_suffix(1);
        static const char* const components[] = {"component 1 of ", "component 2 of ", "component 3 of "};
        double c[3] = {0, 0, 0};
        size_t pos = 0;
        int k = 0;
        for (; k < 3 && pos <= value.size(); ++k) {
            size_t comma = value.find(',', pos);
            if (comma == std::string_view::npos)
                comma = value.size();
            if (!ReadNumber(value.substr(pos, comma - pos), {components[k], key}, c[k]))
                return -1;
            pos = comma + 1;
        }
        // Missing components read as 0.
        if (k < 3)
            NoteLenient(Lenient::Components, [&](std::ostream& os) {
                os << key << " has " << k << " of its 3 components; the others are read as 0";
            });
        else if (pos <= value.size())
            NoteLenient(Lenient::Components,
                        [&](std::ostream& os) { os << key << " has more than 3 components; the others are not read"; });
        if (color)
            node->SetColor(c);
        else
            node->SetSelectedColor(c);
        const double* taken = color ? node->GetColor() : node->GetSelectedColor();
        for (int j = 0; j < 3; ++j)
            if (taken[j] != c[j])
                NoteLenient(Lenient::OutOfRange, [&](std::ostream& os) {
                    os << "component " << j + 1 << " of " << key << " is out of its range and is read as "
                       << annotationtext::formatDouble(taken[j]);
                });
        return 1;
    }
    struct Scalar
    {
        const char* key;
        void (vtkMRMLDisplayNode::*set)(double);
        double (vtkMRMLDisplayNode::*get)();
    };
    static const Scalar scalars[] = {{"Opacity = ", &vtkMRMLDisplayNode::SetOpacity, &vtkMRMLDisplayNode::GetOpacity},
                                     {"Ambient = ", &vtkMRMLDisplayNode::SetAmbient, &vtkMRMLDisplayNode::GetAmbient},
                                     {"Diffuse = ", &vtkMRMLDisplayNode::SetDiffuse, &vtkMRMLDisplayNode::GetDiffuse},
                                     {"Specular = ", &vtkMRMLDisplayNode::SetSpecular, &vtkMRMLDisplayNode::GetSpecular},
                                     {"Power = ", &vtkMRMLDisplayNode::SetPower, &vtkMRMLDisplayNode::GetPower}};
    for (const Scalar& s : scalars)
        if (MatchKey(line, prefix + s.key, value)) {
            double v = 0;
            const std::string key = section + std::string(s.key, std::strlen(s.key) - 3);
            if (!ReadNumber(value, {"the value of ", key}, v))
                return -1;
            (node->*s.set)(v);
            CheckTaken(key, value, v, (node->*s.get)());
            return 1;
        }
    return 0;
}

int vtkMRMLAnnotationStorageNode::ReadAnnotationTextDisplayProperties(vtkMRMLAnnotationTextDisplayNode* node,
                                                                      std::string_view line,
                                                                      const std::string& section)
{
    if (!node) {
        vtkErrorMacro("ReadAnnotationTextDisplayProperties: null associated AnnotationTextDisplayNode");
        return -1;
    }
    if (ReadAnnotationDisplayProperties(node, line, section))
        return 1;
    std::string_view value;
    if (MatchKey(line, "# " + section + "Scale = ", value)) {
        double scale = 0;
        if (!ReadNumber(value, {"the value of ", section, "Scale"}, scale))
            return -1;
        node->SetTextScale(scale);
        CheckTaken(section + "Scale", value, scale, node->GetTextScale());
        return 1;
    }
    return 0;
}

int vtkMRMLAnnotationStorageNode::ReadAnnotationTextProperties(vtkMRMLAnnotationNode* node, std::string_view line,
                                                               Columns& cols)
{
    if (!node || !isCommentLine(line))
        return 0;
    const int display = ReadAnnotationTextDisplayProperties(node->GetAnnotationTextDisplayNode(), line, "text");
    if (display != 0)
        return display;
    std::string_view value;
    if (MatchKey(line, "# Name = ", value)) {
        if (!value.empty() && value.back() == '\r')
            value.remove_suffix(1);
        node->SetName(TextFromFile(value).c_str());
        return 1;
    }
    if (MatchKey(line, "# textColumns = ", value))
        return ReadColumnsHeader("textColumns", value, {"annotation", "sel", "vis"}, 1, cols);
    return 0;
}

int vtkMRMLAnnotationStorageNode::ReadAnnotationTextData(vtkMRMLAnnotationNode* node, std::string_view line,
                                                         const Columns& cols)
{
    if (!node) {
        vtkErrorMacro("ReadAnnotationTextData: reference node is null.");
        return 0;
    }
    if (cols.type != 0) {
        vtkErrorMacro("Type column has to be zero but is" << cols.type);
        return 0;
    }
    if (line.empty() || line.substr(0, 4) != "text")
        return 0;
    std::string annotation;
    int sel = 1, vis = 1;
    const bool extra = ForEachRowField(line, cols.count, FileEscaped, [&](int column, std::string_view field) {
        if (column == cols.field[0])
            annotation = TextFromFile(field);
        else if (column == cols.field[1] || column == cols.field[2]) {
            const bool isSel = column == cols.field[1];
            const char* what = isSel ? "the sel field of the text row" : "the vis field of the text row";
            int& flag = isSel ? sel : vis;
            if (!field.empty())
                ReadNumber(field, what, flag, false);
            CheckFlag(field, what, flag);
        }
    });
    if (RefusedValue)
        return 0;
    CheckExtraFields("text", cols.count, extra);
    if (node->AddText(annotation.c_str(), sel, vis) < 0) {
        vtkErrorMacro("Error adding text to list, annotation = " << annotation);
        return 0;
    }
    return 1;
}

// ---- writing --------------------------------------------------------------------

int vtkMRMLAnnotationStorageNode::WriteAnnotationDisplayProperties(std::string& out,
                                                                   vtkMRMLAnnotationDisplayNode* node,
                                                                   const std::string& section)
{
    if (!node)
        return 0;
    const std::string prefix = "# " + section;
    auto color = [&](const char* key, const double* c) {
        out += prefix + key;
        for (int k = 0; k < 3; ++k) {
            if (k)
                out += ',';
            annotationtext::appendDouble(out, c[k]);
        }
        out += '\n';
    };
    auto scalar = [&](const char* key, double v) {
        out += prefix + key;
        annotationtext::appendDouble(out, v);
        out += '\n';
    };
    out += prefix + "Visibility = " + std::to_string(node->GetVisibility()) + "\n";
    color("Color = ", node->GetColor());
    color("SelectedColor = ", node->GetSelectedColor());
    scalar("Opacity = ", node->GetOpacity());
    scalar("Ambient = ", node->GetAmbient());
    scalar("Diffuse = ", node->GetDiffuse());
    scalar("Specular = ", node->GetSpecular());
    scalar("Power = ", node->GetPower());
    return 1;
}

int vtkMRMLAnnotationStorageNode::WriteAnnotationTextDisplayProperties(std::string& out,
                                                                       vtkMRMLAnnotationTextDisplayNode* node,
                                                                       const std::string& section)
{
    if (!node) {
        vtkErrorMacro("WriteAnnotationTextDisplayProperties: null text display node");
        return 0;
    }
    if (!WriteAnnotationDisplayProperties(out, node, section))
        return 0;
    out += "# " + section + "Scale = ";
    annotationtext::appendDouble(out, node->GetTextScale());
    out += '\n';
    return 1;
}

int vtkMRMLAnnotationStorageNode::WriteAnnotationTextProperties(std::string& out, vtkMRMLAnnotationNode* node)
{
    if (!node) {
        vtkWarningMacro("WriteAnnotationTextProperties: reference node is null");
        return 0;
    }
    vtkMRMLAnnotationTextDisplayNode* display = node->GetAnnotationTextDisplayNode();
    if (!display) {
        vtkWarningMacro("WriteAnnotationTextProperties: annotation text display node is null");
        return 0;
    }
    out += "# Name = " + TextForFile(node->GetName() ? node->GetName() : "", false) + "\n";
    if (!WriteAnnotationTextDisplayProperties(out, display, "text"))
        return 0;
    out += "# textColumns = type|annotation|sel|vis\n";
    return 1;
}

int vtkMRMLAnnotationStorageNode::WriteAnnotationData(std::string& out, vtkMRMLAnnotationNode* node)
{
    if (!node) {
        vtkWarningMacro("WriteAnnotationData: reference node is null");
        return 0;
    }
    const int n = node->GetNumberOfTexts();
    for (int i = 0; i < n; ++i) {
        out += "text|";
        out += TextForFile(node->GetText(i), true);
        out += '|' + std::to_string(node->GetAnnotationAttribute(i, vtkMRMLAnnotationNode::TEXT_SELECTED));
        out += '|' + std::to_string(node->GetAnnotationAttribute(i, vtkMRMLAnnotationNode::TEXT_VISIBLE));
        out += '\n';
    }
    return 1;
}

int vtkMRMLAnnotationStorageNode::WriteAnnotationDataInternal(vtkMRMLNode* refNode, std::string& out)
{
    auto* node = vtkMRMLAnnotationNode::SafeDownCast(refNode);
    if (!node) {
        vtkErrorMacro("WriteAnnotationDataInternal: unable to cast input node "
                      << (refNode && refNode->GetID() ? refNode->GetID() : "") << " to a known annotation node");
        return 0;
    }
    if (!WriteAnnotationTextProperties(out, node))
        return 0;
    return WriteAnnotationData(out, node);
}

std::string vtkMRMLAnnotationStorageNode::TextFromFile(std::string_view field) const
{
    return FileEscaped ? annotationtext::unescape(field) : std::string(field);
}

std::string vtkMRMLAnnotationStorageNode::TextForFile(std::string_view text, bool inRow)
{
    if (EscapeWrittenTexts)
        return annotationtext::escape(text);
    if (text.find_first_of(inRow ? "|\n\r" : "\n\r") != std::string_view::npos)
        TextsNeedEscapes = true;
    return std::string(text);
}

int vtkMRMLAnnotationStorageNode::WriteDataInternal(vtkMRMLNode* refNode)
{
    if (!refNode) {
        vtkWarningMacro("WriteDataInternal: reference node is null.");
        return 0;
    }
    if (!FileName) {
        vtkErrorMacro("OpenFileToWrite: file name is not set");
        vtkWarningMacro("WriteDataInternal: unable to open file to write");
        return 0;
    }
    const std::string fullName = GetFullNameFromFileName();
    if (fullName.empty()) {
        vtkErrorMacro("OpenFileToWrite: File name not specified");
        vtkWarningMacro("WriteDataInternal: unable to open file to write");
        return 0;
    }
    std::string content;
    if (!WriteContent(refNode, FileName, content))
        return 0;
    std::string error;
    if (!Vexil::saveFileAtomically(fullName, content, error)) {
        vtkErrorMacro("OpenFileToWrite: unable to open file " << fullName << " for writing (" << error << ")");
        vtkWarningMacro("WriteDataInternal: unable to open file to write");
        return 0;
    }
    return 1;
}

int vtkMRMLAnnotationStorageNode::WriteContent(vtkMRMLNode* refNode, const char* title, std::string& content)
{
    // Texts are written as they are, unless one of them cannot be: then the file is
    // written again with every text escaped, and marked so.
    TextsNeedEscapes = false;
    for (bool escaped : {false, true}) {
        EscapeWrittenTexts = escaped;
        content = "# Annotation file " + TextForFile(title ? title : "", false) + "\n";
        if (escaped)
            content += std::string(EscapedTextsLine) + "\n";
        const int written = WriteAnnotationDataInternal(refNode, content);
        EscapeWrittenTexts = false;
        if (!written)
            return 0;
        if (!TextsNeedEscapes)
            break;
    }
    return 1;
}

int vtkMRMLAnnotationStorageNode::WriteToText(vtkMRMLNode* refNode, std::string& text)
{
    if (!refNode) {
        vtkWarningMacro("WriteToText: reference node is null.");
        return 0;
    }
    return WriteContent(refNode, refNode->GetName(), text);
}
