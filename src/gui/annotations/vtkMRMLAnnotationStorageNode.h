#pragma once
// Saves an annotation node to an annotation list file (".acsv" or ".txt") and reads it
// back: the first line and the text section here, the point, line and ruler sections in
// the subclasses. Files are written whole to a temporary file that then replaces the
// target, and read whole before anything in the node changes; a failed read leaves the
// node and its display nodes as they were.

#include "PelmoraAnnotationsExport.h"

#include <mrml/vtkMRMLStorageNode.h>

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

class vtkMRMLAnnotationDisplayNode;
class vtkMRMLAnnotationNode;
class vtkMRMLAnnotationTextDisplayNode;

class PELMORAANNOTATIONS_EXPORT vtkMRMLAnnotationStorageNode : public vtkMRMLStorageNode
{
public:
    static vtkMRMLAnnotationStorageNode* New();
    vtkTypeMacro(vtkMRMLAnnotationStorageNode, vtkMRMLStorageNode);
    void PrintSelf(ostream& os, vtkIndent indent) override;

    vtkMRMLNode* CreateNodeInstance() override { return vtkMRMLAnnotationStorageNode::New(); }
    const char* GetNodeTagName() override { return "AnnotationStorage"; }
    virtual bool CanReadInReferenceNode(vtkMRMLNode* node);

    // Column numbers of one section's fields while its rows are read; -1 for a field the
    // declaration does not name.
    struct Columns
    {
        int type = 0;
        int field[5] = {1, 2, 3, 4, 5};
        int count = 6;
    };

    const std::vector<std::string>& GetSupportedReadFileTypes() const { return ReadFileTypes; }
    const std::vector<std::string>& GetSupportedWriteFileTypes() const { return WriteFileTypes; }
    const char* GetDefaultWriteFileExtension() const { return "acsv"; }

    // Files larger than this are refused before they are read (bytes).
    vtkSetMacro(MaximumFileSize, long long);
    vtkGetMacro(MaximumFileSize, long long);

    virtual int ReadAnnotation(vtkMRMLAnnotationNode* node);

    // The annotation as the text of an annotation list file (what a project keeps of it),
    // and back.  1 on success; a text that cannot be read leaves the node as it was.
    int WriteToText(vtkMRMLNode* node, std::string& text);
    int ReadFromText(vtkMRMLNode* node, std::string text);

    // Section writers (1 written, 0 failed).
    int WriteAnnotationTextProperties(std::string& out, vtkMRMLAnnotationNode* node);
    int WriteAnnotationData(std::string& out, vtkMRMLAnnotationNode* node);
    int WriteAnnotationDisplayProperties(std::string& out, vtkMRMLAnnotationDisplayNode* node,
                                         const std::string& section);
    int WriteAnnotationTextDisplayProperties(std::string& out, vtkMRMLAnnotationTextDisplayNode* node,
                                             const std::string& section);

    // Section readers: 1 handled, 0 not theirs, -1 failure.
    int ReadAnnotationTextProperties(vtkMRMLAnnotationNode* node, std::string_view line, Columns& cols);
    int ReadAnnotationTextData(vtkMRMLAnnotationNode* node, std::string_view line, const Columns& cols);
    int ReadAnnotationDisplayProperties(vtkMRMLAnnotationDisplayNode* node, std::string_view line,
                                        const std::string& section);
    int ReadAnnotationTextDisplayProperties(vtkMRMLAnnotationTextDisplayNode* node, std::string_view line,
                                            const std::string& section);

    // The text after "key" when the line begins with it.
    static bool MatchKey(std::string_view line, std::string_view key, std::string_view& value);
    // Reads a declaration ("Columns = a|b|c") into the columns of the given names.
    static void ReadColumns(std::string_view value, const std::vector<std::string_view>& names, Columns& cols);
    // Hands each name of a "a|b|c" columns header to `take`, in order, leaving out empty
    // ones; stops when `take` returns false.
    template <typename Take>
    static void ForEachColumnName(std::string_view header, Take take)
    {
        size_t pos = 0;
        while (pos <= header.size()) {
            size_t bar = header.find('|', pos);
            if (bar == std::string_view::npos)
                bar = header.size();
            const std::string_view name = header.substr(pos, bar - pos);
            pos = bar + 1;
            if (!name.empty() && !take(name))
                return;
        }
    }
    // Reads the declaration of the section `header` ("textColumns", ...) of the line being
    // read.  Its rows name their section first, so a declaration that does not begin with
    // the type column (or `firstAlso`, when given), names it twice or lacks one of the
    // first `required` of `names` is refused, said once with the line: 1 read, -1 refused.
    // A name the section does not have is not read, and of a name given twice the last
    // counts: a warning says so, naming each such name once (the first few of them).
    int ReadColumnsHeader(const char* header, std::string_view value, const std::vector<std::string_view>& names,
                          size_t required, Columns& cols, std::string_view firstAlso = {});
    // How a value is named in messages ("the x field of the point row"): up to four pieces,
    // joined only when a message names the value.  A read checks every value of every row,
    // and names few of them.
    class ValueName
    {
    public:
        ValueName(const char* name) : Pieces{name} {}
        ValueName(const std::string& name) : Pieces{name} {}
        ValueName(std::string_view a, std::string_view b, std::string_view c = {}, std::string_view d = {})
            : Pieces{a, b, c, d}
        {
        }
        std::string Text() const;

    private:
        std::string_view Pieces[4];
    };
    // A number of the line being read, `what` naming it.  Refused (an error naming the
    // source, the line and `what`; false, and the pass ends) when the text holds none, or
    // for a double one that is not finite; read from its start, with a warning naming the
    // line, when other text follows it.
    // `refuse` false: a text that holds no number is read as atoi reads it, with a warning
    // (a text row's flags: the row of a text holding a bar reads its rest as flags).
    bool ReadNumber(std::string_view text, const ValueName& what, double& value);
    bool ReadNumber(std::string_view text, const ValueName& what, int& value, bool refuse = true);
    // Calls f(column, field) for each non-empty field of a row, after the section word.
    // In a file that escapes its texts a "\|" does not separate fields.
    template <typename F>
    static void ForEachField(std::string_view row, int count, bool escaped, F&& f)
    {
        ForEachRowField(row, count, escaped, [&f](int column, std::string_view field) {
            if (!field.empty())
                f(column, field);
        });
    }
    // Calls f(column, field) for each field of a row up to `count`, empty ones too; true
    // when the row has fields beyond them.
    template <typename F>
    static bool ForEachRowField(std::string_view row, int count, bool escaped, F&& f);
    // Fields of a row beyond the header's columns (`extra`, from ForEachRowField) are said.
    void CheckExtraFields(const char* word, int count, bool extra);
    // A flag (sel, vis) other than 0 or 1, or empty, is read leniently: said, naming the
    // line and the field.
    void CheckFlag(std::string_view text, const ValueName& what, int value);
    // A display value the node did not take as read (clamped, or a flag other than 0 or 1)
    // is said, naming the line and the key.
    void CheckTaken(const std::string& key, std::string_view text, double read, double taken);
    // A "# " line whose key begins with `section` but that no reader took is said.
    void CheckUnknownKey(std::string_view line, const std::string& section);

    // Of this thread's readers: the steps of their look-ups among the column names of the
    // headers they read, and the message texts they made (a value named or shown, a
    // warning's line).  Tests count a read's work with them.
    static std::uint64_t GetColumnNameSteps();
    static std::uint64_t GetMessageTextsMade();

    // The marker line of a file whose texts are escaped: plain files cannot hold a "|"
    // inside a text row nor a line break in any text, so only files holding such texts
    // escape them, and say so in this line after the first.
    static constexpr const char* EscapedTextsLine = "# Escaped = 1";

protected:
    vtkMRMLAnnotationStorageNode();
    ~vtkMRMLAnnotationStorageNode() override = default;
    vtkMRMLAnnotationStorageNode(const vtkMRMLAnnotationStorageNode&) = delete;
    void operator=(const vtkMRMLAnnotationStorageNode&) = delete;

    int ReadDataInternal(vtkMRMLNode* node) override;
    int WriteDataInternal(vtkMRMLNode* node) override;
    virtual int WriteAnnotationDataInternal(vtkMRMLNode* node, std::string& out);
    // The message when the node is of the wrong class for this storage node.
    virtual void ReportWrongNodeClass(vtkMRMLNode* node);
    // Whom the "read from file" event (8193) is sent to.
    virtual bool SendsReadEventToNode() const { return false; }

    // Reads the file into memory for the passes of one read; 1 on success.
    int OpenFileToRead(vtkMRMLNode* node);
    // Keeps `content` for the passes of one read when it is text holding an annotation;
    // `source` names it in messages.
    int TakeContent(std::string content, const std::string& source);
    // Reads the kept content into the node, or leaves the node as it was; 1 on success.
    int ReadLoadedContent(vtkMRMLAnnotationNode* node, const std::string& source);
    // The whole file for the node, its first line naming `title`.
    int WriteContent(vtkMRMLNode* node, const char* title, std::string& content);
    // The target file's full name ("" when none is set).
    std::string GetFullNameFromFileName();
    // Runs f(line) over every line of the loaded file until f returns false.
    template <typename F>
    void ForEachLine(F&& f) const;
    // Runs one pass over the file with the node's modified events switched off.
    int RunPass(vtkMRMLAnnotationNode* node, const std::function<bool(std::string_view)>& f);
    // A text as read from the loaded file, and as it is to be written.
    std::string TextFromFile(std::string_view field) const;
    std::string TextForFile(std::string_view text, bool inRow);

    std::vector<std::string> ReadFileTypes;
    std::vector<std::string> WriteFileTypes;
    long long MaximumFileSize = 512LL * 1024 * 1024;
    std::string FileContent;
    bool FileLoaded = false;
    // Whether the loaded file escapes its texts, and whether the file being written does.
    bool FileEscaped = false;
    bool EscapeWrittenTexts = false;
    // Set while a plain file is written when a text needs escapes.
    bool TextsNeedEscapes = false;
    // The number (from 1) of the line a pass is reading.
    size_t PassLine = 0;
    // What is being read, for messages ("file NAME", "the annotation text").
    std::string ContentSource;
    // A header or value of the line being read was refused: the pass ends.
    bool RefusedValue = false;

    // What a read takes otherwise than the file says, or leaves out, by kind.  Each kind is
    // said once a read, when it ends: the first few lines of that kind, each with what was
    // taken there, and how many more lines there were, so that a file of a million such
    // lines gives a warning of a few lines, at the cost of counting them.
    enum class Lenient
    {
        NumberWithText,
        NoNumber,
        TooSmall,
        Flag,
        OutOfRange,
        Components,
        FractionalId,
        ExtraFields,
        UnknownKey,
        UnknownColumn,
        RepeatedColumn,
        ReplacedRow,
        Kinds
    };
    static constexpr size_t LinesNamed = 5;
    // Notes a lenient reading of the line being read; `say(os)` writes what was taken there,
    // and is called only for the lines the warning names.
    template <typename Say>
    void NoteLenient(Lenient kind, Say&& say)
    {
        LenientLines& lines = Lenients[size_t(kind)];
        if (lines.count > 0 && lines.lastLine == PassLine) {
            if (lines.lastNamed)
                NameLenientLine(lines, true, say);
            return;
        }
        ++lines.count;
        lines.lastLine = PassLine;
        lines.lastNamed = lines.named.size() < LinesNamed;
        if (lines.lastNamed)
            NameLenientLine(lines, false, say);
    }
    // Says what was noted (one warning per kind), and forgets it.
    void SayLenientReads();
    void ForgetLenientReads();
    // The text of a value for messages: at most 100 characters of it, printable.
    std::string ShownValue(std::string_view text) const;
    // "1,234,567".
    static std::string CountText(size_t count);

private:
    struct LenientLines
    {
        size_t count = 0;
        size_t lastLine = 0;
        bool lastNamed = false;
        std::vector<std::string> named;
    };
    void NameLenientLine(LenientLines& lines, bool sameLine, const std::function<void(std::ostream&)>& say);
    LenientLines Lenients[size_t(Lenient::Kinds)];
    static std::uint64_t& ColumnNameSteps();
};

template <typename F>
bool vtkMRMLAnnotationStorageNode::ForEachRowField(std::string_view row, int count, bool escaped, F&& f)
{
    if (!escaped || row.find('\\') == std::string_view::npos) {
        // No escapes, the common case: every bar separates fields.
        size_t bar = row.find('|');
        for (int column = 1; column < count && bar != std::string_view::npos; ++column) {
            const size_t end = row.find('|', bar + 1);
            const std::string_view field =
                row.substr(bar + 1, (end == std::string_view::npos ? row.size() : end) - bar - 1);
            f(column, field);
            bar = end;
        }
        return bar != std::string_view::npos;
    }
    size_t pos = 0;
    int column = 0;
    while (column + 1 < count) {
        // Find the next unescaped bar.
        size_t bar = std::string_view::npos;
        for (size_t i = pos; i < row.size(); ++i) {
            if (row[i] == '\\' && i + 1 < row.size()) {
                ++i;
                continue;
            }
            if (row[i] == '|') {
                bar = i;
                break;
            }
        }
        if (bar == std::string_view::npos)
            return false;
        ++column;
        size_t end = bar + 1;
        for (; end < row.size(); ++end) {
            if (row[end] == '\\' && end + 1 < row.size()) {
                ++end;
                continue;
            }
            if (row[end] == '|')
                break;
        }
        if (end > row.size())
            end = row.size();
        const std::string_view field = row.substr(bar + 1, end - bar - 1);
        f(column, field);
        pos = end;
        if (pos >= row.size())
            return false;
    }
    return pos < row.size() && row[pos] == '|';
}

template <typename F>
void vtkMRMLAnnotationStorageNode::ForEachLine(F&& f) const
{
    std::string_view content(FileContent);
    size_t pos = 0;
    while (pos < content.size()) {
        size_t end = content.find('\n', pos);
        if (end == std::string_view::npos)
            end = content.size();
        if (!f(content.substr(pos, end - pos)))
            return;
        pos = end + 1;
    }
}
