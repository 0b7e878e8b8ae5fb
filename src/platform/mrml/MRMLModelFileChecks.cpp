#include "MRMLModelFileChecks.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <limits>
#include <string_view>
#include <type_traits>
#include <vector>

#include <counted/CountedSteps.h>
#include <counted/SeededHash.h>
#include <vexil/PrintableText.h>

#include <vtkCellArray.h>
#include <vtkCellArrayIterator.h>
#include <vtkCellData.h>
#include <vtkNew.h>
#include <vtkDataCompressor.h>
#include <vtkDoubleArray.h>
#include <vtkFloatArray.h>
#include <vtkPoints.h>
#include <vtkPolyData.h>
#include <vtkLZ4DataCompressor.h>
#include <vtkLZMADataCompressor.h>
#include <vtkSmartPointer.h>
#include <vtkZLibDataCompressor.h>

namespace {

// The reason every reader gives for a coordinate that is not finite.
std::string nonFiniteCoordinate(long long point, double value)
{
    return "point " + std::to_string(point) + " has a coordinate that is " +
           (std::isnan(value) ? "not a number" : "infinite");
}

template <class Number>
bool parseNumber(std::string_view text, Number& value)
{
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return result.ec == std::errc() && result.ptr == end;
}

// A real number as the readers take it: a leading plus sign is allowed, and a value
// beyond the range of a double is an infinite one (the readers' own conversions give
// that) while one too small for it is zero.
bool parseReal(std::string_view text, double& value)
{
    if (text.size() > 1 && text[0] == '+' && text[1] != '-' && text[1] != '+')
        text.remove_prefix(1);
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    if (result.ptr != end)
        return false;
    if (result.ec == std::errc())
        return true;
    if (result.ec != std::errc::result_out_of_range)
        return false;
    // Over- or underflow: the power of ten of the first digit that is not zero says which.
    const bool negative = text[0] == '-';
    const size_t e = text.find_first_of("eE");
    long long exponent = 0;
    if (e != std::string_view::npos) {
        std::string_view digits = text.substr(e + 1);
        if (!digits.empty() && digits[0] == '+')
            digits.remove_prefix(1);
        if (!parseNumber(digits, exponent))
            exponent = digits.empty() || digits[0] != '-' ? std::numeric_limits<long long>::max() / 2
                                                          : std::numeric_limits<long long>::min() / 2;
    }
    const std::string_view mantissa = text.substr(negative ? 1 : 0, (e == std::string_view::npos ? text.size() : e) - (negative ? 1 : 0));
    const size_t point = std::min(mantissa.find('.'), mantissa.size());
    const size_t first = mantissa.find_first_of("123456789");
    if (first == std::string_view::npos) {
        value = 0;
        return true;
    }
    const long long power = exponent + (first < point ? static_cast<long long>(point - first) - 1
                                                      : -static_cast<long long>(first - point));
    value = power > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    if (negative)
        value = -value;
    return true;
}

// Whether a coordinate read as `value` is kept as an infinite one by a reader that keeps
// its points in single precision.
bool beyondFloat(double value)
{
    return !std::isfinite(value) || std::fabs(value) > static_cast<double>(std::numeric_limits<float>::max());
}

// The blank-separated words of a line, into `out`.
void splitWords(std::string_view line, std::vector<std::string_view>& out)
{
    out.clear();
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i])))
            ++i;
        const size_t start = i;
        while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i])))
            ++i;
        if (i > start)
            out.push_back(line.substr(start, i - start));
    }
}

std::vector<std::string_view> words(std::string_view line)
{
    std::vector<std::string_view> out;
    splitWords(line, out);
    return out;
}

// The words of a PLY line, parted by blanks, tabs and carriage returns only, as VTK's
// reader parts them (a vertical tab, say, is part of a word there).
void plyWords(std::string_view line, std::vector<std::string_view>& out)
{
    out.clear();
    size_t i = 0;
    auto blank = [&line](size_t k) { return line[k] == ' ' || line[k] == '\t' || line[k] == '\r'; };
    while (i < line.size()) {
        while (i < line.size() && blank(i))
            ++i;
        const size_t start = i;
        while (i < line.size() && !blank(i))
            ++i;
        if (i > start)
            out.push_back(line.substr(start, i - start));
    }
}

// Calls `visit` with each line; a line ending in a backslash goes on in the next one.
template <class Visit>
bool forEachObjLine(const std::string& bytes, Visit visit)
{
    std::string joined;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos)
            end = bytes.size();
        std::string_view line(bytes.data() + start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (!line.empty() && line.back() == '\\') {
            joined.append(line.data(), line.size() - 1);
            joined += ' ';
            continue;
        }
        if (!joined.empty()) {
            joined.append(line.data(), line.size());
            const bool go = visit(std::string_view(joined));
            joined.clear();
            if (!go)
                return false;
        } else if (!visit(line)) {
            return false;
        }
    }
    return joined.empty() || visit(std::string_view(joined));
}


// ---------------------------------------------------------------------------------------
// VTK XML poly data

// Deeper than any sound file nests (VTKFile, PolyData, Piece, Points, DataArray,
// InformationKey, Value); the reader's parser recurses per level.
constexpr size_t MaxXmlDepth = 64;
// More components than any array of a model has; the reader loops over them per array.
constexpr long long MaxComponents = 4096;
// More elements than a model file's markup has (a few per array); the reader keeps a
// node of its own for each.
constexpr size_t MaxXmlElements = 200000;

struct XmlElement
{
    std::string_view name;
    std::vector<std::pair<std::string_view, std::string_view>> attributes;
    int parent = -1;
    std::string_view text; // the character data before the first child or the end tag

    const std::string_view* find(std::string_view key) const
    {
        for (const auto& a : attributes)
            if (a.first == key)
                return &a.second;
        return nullptr;
    }
    bool has(std::string_view key) const { return find(key) != nullptr; }
    std::string_view attribute(std::string_view key) const
    {
        const std::string_view* value = find(key);
        return value ? *value : std::string_view();
    }
};

bool isXmlBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// The elements of the markup up to the appended data, whose first byte's position goes
// to `appendedStart` (npos without appended data).
std::string scanXml(const std::string& bytes, std::vector<XmlElement>& elements, size_t& appendedStart)
{
    const size_t npos = std::string::npos;
    std::vector<int> open;
    appendedStart = npos;
    size_t pos = 0;
    while ((pos = bytes.find('<', pos)) != npos) {
        // Processing instructions and comments are skipped whole.
        const char* skipTo = bytes.compare(pos, 2, "<?") == 0     ? "?>"
                             : bytes.compare(pos, 4, "<!--") == 0 ? "-->"
                                                                  : nullptr;
        if (skipTo) {
            pos = bytes.find(skipTo, pos);
            if (pos == npos)
                return "its header is not complete";
            pos += std::strlen(skipTo);
            continue;
        }
        if (bytes.compare(pos, 2, "<!") == 0)
            return "it holds a document type or section that model files do not have";
        if (bytes.compare(pos, 2, "</") == 0) {
            const size_t end = bytes.find('>', pos);
            if (end == npos)
                return "its header is not complete";
            std::string_view name(bytes.data() + pos + 2, end - pos - 2);
            while (!name.empty() && isXmlBlank(name.back()))
                name.remove_suffix(1);
            if (open.empty() || elements[static_cast<size_t>(open.back())].name != name)
                return "its elements are not properly closed";
            open.pop_back();
            pos = end + 1;
            continue;
        }
        XmlElement e;
        e.parent = open.empty() ? -1 : open.back();
        size_t i = pos + 1;
        const size_t nameStart = i;
        while (i < bytes.size() && !isXmlBlank(bytes[i]) && bytes[i] != '>' && bytes[i] != '/')
            ++i;
        e.name = std::string_view(bytes.data() + nameStart, i - nameStart);
        if (e.name.empty())
            return "its header is damaged";
        bool closed = false;
        while (true) {
            while (i < bytes.size() && isXmlBlank(bytes[i]))
                ++i;
            if (i >= bytes.size())
                return "its header is not complete";
            if (bytes[i] == '>')
                break;
            if (bytes[i] == '/') {
                if (i + 1 >= bytes.size() || bytes[i + 1] != '>')
                    return "its header is damaged";
                closed = true;
                ++i;
                break;
            }
            const size_t keyStart = i;
            while (i < bytes.size() && !isXmlBlank(bytes[i]) && bytes[i] != '=' && bytes[i] != '>')
                ++i;
            const std::string_view key(bytes.data() + keyStart, i - keyStart);
            while (i < bytes.size() && isXmlBlank(bytes[i]))
                ++i;
            if (key.empty() || i >= bytes.size() || bytes[i] != '=')
                return "its header is damaged";
            ++i;
            while (i < bytes.size() && isXmlBlank(bytes[i]))
                ++i;
            if (i >= bytes.size() || (bytes[i] != '"' && bytes[i] != '\''))
                return "its header is damaged";
            const size_t valueEnd = bytes.find(bytes[i], i + 1);
            if (valueEnd == npos)
                return "its header is not complete";
            e.attributes.emplace_back(key, std::string_view(bytes.data() + i + 1, valueEnd - i - 1));
            i = valueEnd + 1;
        }
        pos = i + 1;
        const bool appended = e.name == "AppendedData";
        if (!closed) {
            const size_t textEnd = std::min(bytes.find('<', pos), bytes.size());
            e.text = std::string_view(bytes.data() + pos, textEnd - pos);
            open.push_back(static_cast<int>(elements.size()));
        }
        elements.push_back(std::move(e));
        if (open.size() > MaxXmlDepth)
            return "its elements are nested too deeply";
        if (elements.size() > MaxXmlElements)
            return "its markup has more elements than a model file holds";
        if (appended && !closed) {
            // Raw appended data may hold any byte: the markup ends here.
            while (pos < bytes.size() && isXmlBlank(bytes[pos]))
                ++pos;
            if (pos >= bytes.size() || bytes[pos] != '_')
                return "its appended data is damaged";
            appendedStart = pos + 1;
            return std::string();
        }
    }
    if (!open.empty())
        return "it is truncated";
    return std::string();
}

bool decodeBase64(std::string_view chars, std::string& out)
{
    auto value = [](char c) -> int {
        if (c >= 'A' && c <= 'Z')
            return c - 'A';
        if (c >= 'a' && c <= 'z')
            return c - 'a' + 26;
        if (c >= '0' && c <= '9')
            return c - '0' + 52;
        return c == '+' ? 62 : c == '/' ? 63 : -1;
    };
    out.clear();
    if (chars.size() % 4 != 0)
        return false;
    out.reserve(chars.size() / 4 * 3);
    for (size_t i = 0; i < chars.size(); i += 4) {
        const bool last = i + 4 == chars.size();
        int v[4];
        int padding = 0;
        for (int k = 0; k < 4; ++k) {
            const char c = chars[i + static_cast<size_t>(k)];
            if (c == '=' && last && k >= 2 && (k == 3 || chars[i + 3] == '=')) {
                v[k] = 0;
                ++padding;
                continue;
            }
            v[k] = value(c);
            if (v[k] < 0)
                return false;
        }
        const unsigned triple = (static_cast<unsigned>(v[0]) << 18) | (static_cast<unsigned>(v[1]) << 12) |
                                (static_cast<unsigned>(v[2]) << 6) | static_cast<unsigned>(v[3]);
        out += static_cast<char>((triple >> 16) & 0xff);
        if (padding < 2)
            out += static_cast<char>((triple >> 8) & 0xff);
        if (padding < 1)
            out += static_cast<char>(triple & 0xff);
    }
    return true;
}

// Where an array's binary data is read: raw bytes, or base64 text in which each run of
// `n` bytes takes 4 * ceil(n / 3) characters.
struct DataStream
{
    std::string_view data;
    size_t pos = 0;
    bool base64 = false;

    size_t left() const { return pos < data.size() ? data.size() - pos : 0; }
    // The first `count` bytes of the next run of at least that many.
    bool peek(unsigned long long count, std::string& out) const
    {
        if (!base64) {
            if (count > left())
                return false;
            out.assign(data.data() + pos, static_cast<size_t>(count));
            return true;
        }
        if (count > left() / 4 * 3)
            return false;
        const size_t chars = static_cast<size_t>((count + 2) / 3 * 4);
        if (!decodeBase64(data.substr(pos, chars), out) || out.size() < count)
            return false;
        out.resize(static_cast<size_t>(count));
        return true;
    }
    // The next run of `count` bytes.
    bool take(unsigned long long count, std::string& out)
    {
        if (!peek(count, out))
            return false;
        pos += base64 ? static_cast<size_t>((count + 2) / 3 * 4) : static_cast<size_t>(count);
        return true;
    }
};

struct VtpFile
{
    int headerSize = 4;
    bool bigEndian = false;
    vtkSmartPointer<vtkDataCompressor> compressor;
    unsigned long long ratio = 1; // the most a compressed byte can expand to
    std::string_view appended;    // raw bytes, or base64 text
    bool appendedBase64 = false;
    bool hasAppended = false;

    unsigned long long word(const std::string& header, size_t index) const
    {
        unsigned long long v = 0;
        const size_t base = index * static_cast<size_t>(headerSize);
        for (int k = 0; k < headerSize; ++k) {
            const auto byte = static_cast<unsigned char>(header[base + static_cast<size_t>(bigEndian ? k : headerSize - 1 - k)]);
            v = (v << 8) | byte;
        }
        return v;
    }
};

int vtpTypeSize(std::string_view type, bool& whole, bool& isSigned)
{
    whole = type.find("Int") != std::string_view::npos;
    isSigned = whole && type[0] == 'I';
    if (type == "Int8" || type == "UInt8" || type == "String" || type == "Bit")
        return 1;
    if (type == "Int16" || type == "UInt16")
        return 2;
    if (type == "Int32" || type == "UInt32" || type == "Float32")
        return 4;
    if (type == "Int64" || type == "UInt64" || type == "Float64")
        return 8;
    return 0;
}

// Checks that the array element `a` holds `tuples` tuples; with `values`, also gives
// them (whole numbers only).  Text coordinates must be finite: VTK's reader fails on the
// range it keeps of an array with an infinite one, with a reason about that range.
std::string vtpArrayProblem(const VtpFile& file, const XmlElement& a, long long tuples, std::vector<long long>* values,
                            bool coordinates = false)
{
    bool whole = false, isSigned = false;
    const int size = vtpTypeSize(a.attribute("type"), whole, isSigned);
    if (!size)
        return "an array has a type that is not known";
    if (values && !whole)
        return "a cell list is not made of whole numbers";
    long long components = 1;
    if (a.has("NumberOfComponents") &&
        (!parseNumber(a.attribute("NumberOfComponents"), components) || components < 1 || components > MaxComponents))
        return "an array declares a bad number of components";
    if (tuples < 0 || tuples > std::numeric_limits<long long>::max() / 8 / components)
        return "an array declares more values than the file can hold";
    const unsigned long long count = static_cast<unsigned long long>(tuples * components);
    const unsigned long long needed = count * static_cast<unsigned long long>(size);
    if (count == 0)
        return std::string(); // the reader reads nothing for it

    const std::string_view format = a.attribute("format");
    if (format == "ascii") {
        // Counted word by word: a list of the words would take several times the text.
        if (values)
            values->assign(static_cast<size_t>(std::min<unsigned long long>(count, a.text.size())), 0);
        unsigned long long found = 0;
        size_t i = 0;
        while (found < count) {
            while (i < a.text.size() && isXmlBlank(a.text[i]))
                ++i;
            const size_t start = i;
            while (i < a.text.size() && !isXmlBlank(a.text[i]))
                ++i;
            if (i == start)
                return "an array holds fewer values than its header declares";
            if (values && !parseNumber(a.text.substr(start, i - start), (*values)[static_cast<size_t>(found)]))
                return "a cell list is not made of whole numbers";
            double coordinate = 0;
            // Single precision coordinates beyond its range are infinite ones (VTK's
            // reader fails on them, with a reason about the array's length).
            if (coordinates && parseReal(a.text.substr(start, i - start), coordinate) &&
                (a.attribute("type") == "Float32" ? beyondFloat(coordinate) : !std::isfinite(coordinate)))
                return nonFiniteCoordinate(static_cast<long long>(found) / components, coordinate);
            ++found;
        }
        return std::string();
    }
    DataStream stream;
    if (format == "binary") {
        // The reader passes over the blanks before inline data and then reads on: a blank
        // within it is no base64 digit, which the decoding refuses.
        size_t first = 0;
        while (first < a.text.size() && isXmlBlank(a.text[first]))
            ++first;
        stream.data = a.text.substr(first);
        stream.base64 = true;
    } else if (format == "appended") {
        unsigned long long offset = 0;
        if (!file.hasAppended || !parseNumber(a.attribute("offset"), offset) || offset > file.appended.size())
            return "an array refers to appended data the file does not hold";
        stream.data = file.appended;
        stream.pos = static_cast<size_t>(offset);
        stream.base64 = file.appendedBase64;
    } else {
        return "an array has a format that is not known";
    }

    const unsigned long long h = static_cast<unsigned long long>(file.headerSize);
    std::string header, payload;
    if (!file.compressor) {
        if (!stream.peek(h, header))
            return "an array is truncated";
        const unsigned long long length = file.word(header, 0);
        if (length > stream.left())
            return "an array declares more data than the file holds";
        if (length < needed)
            return "an array holds fewer values than its header declares";
        if (values) {
            if (!stream.take(h + length, payload))
                return "an array is truncated";
            payload.erase(0, static_cast<size_t>(h));
        }
    } else {
        if (!stream.peek(h, header))
            return "an array is truncated";
        const unsigned long long blocks = file.word(header, 0);
        // Each block takes at least one byte; only an empty array has none.
        if (blocks > stream.left() || (blocks == 0 && needed > 0) || !stream.take((3 + blocks) * h, header))
            return "an array's block header is damaged";
        const unsigned long long blockSize = file.word(header, 1);
        const unsigned long long lastSize = file.word(header, 2);
        if (blockSize == 0 || lastSize > blockSize)
            return "an array's block header is damaged";
        unsigned long long compressedTotal = 0, total = 0;
        for (unsigned long long b = 0; b < blocks; ++b) {
            const unsigned long long compressed = file.word(header, static_cast<size_t>(3 + b));
            const unsigned long long plain = b + 1 == blocks && lastSize ? lastSize : blockSize;
            if (compressed == 0 || compressed > stream.left())
                return "an array's block header is damaged";
            if (plain > compressed * file.ratio + 4096)
                return "an array's block header declares more data than its blocks can hold";
            compressedTotal += compressed;
            total += plain;
            if (compressedTotal > stream.left())
                return "an array declares more data than the file holds";
        }
        if (total < needed)
            return "an array holds fewer values than its header declares";
        std::string data;
        if (!stream.take(compressedTotal, data))
            return "an array is truncated";
        // Each block must uncompress to its declared size: only then is that much data
        // really there.
        std::string block;
        size_t at = 0;
        for (unsigned long long b = 0; b < blocks; ++b) {
            const auto compressed = static_cast<size_t>(file.word(header, static_cast<size_t>(3 + b)));
            const auto plain = static_cast<size_t>(b + 1 == blocks && lastSize ? lastSize : blockSize);
            block.resize(plain);
            const size_t got = file.compressor->Uncompress(reinterpret_cast<const unsigned char*>(data.data() + at),
                                                           compressed, reinterpret_cast<unsigned char*>(&block[0]), plain);
            if (got != plain)
                return "an array's compressed data is damaged";
            at += compressed;
            if (values && payload.size() < needed)
                payload.append(block, 0, std::min<size_t>(plain, static_cast<size_t>(needed) - payload.size()));
        }
    }
    if (values) {
        values->resize(static_cast<size_t>(count));
        for (size_t i = 0; i < count; ++i) {
            unsigned long long u = 0;
            for (int k = 0; k < size; ++k) {
                const auto byte = static_cast<unsigned char>(payload[i * static_cast<size_t>(size) +
                                                                     static_cast<size_t>(file.bigEndian ? k : size - 1 - k)]);
                u = (u << 8) | byte;
            }
            if (isSigned && size < 8 && (u >> (8 * size - 1)) & 1u)
                u |= ~0ull << (8 * size);
            (*values)[i] = static_cast<long long>(u);
        }
    }
    return std::string();
}

} // namespace

namespace mrmlmodelfile {

std::string namedFile(const std::string& name)
{
    return "model file \"" + Vexil::printableText(name) + "\"";
}

bool readWholeFile(const char* fileName, std::string& bytes)
{
    std::ifstream in(fileName, std::ios::binary | std::ios::ate);
    if (!in)
        return false;
    const std::streamoff size = in.tellg();
    if (size < 0)
        return false;
    bytes.resize(static_cast<size_t>(size));
    in.seekg(0);
    return static_cast<bool>(in.read(&bytes[0], size));
}

bool readWholeTextFile(const char* fileName, std::string& bytes, size_t* nulAt)
{
    bytes.clear();
    if (nulAt)
        *nulAt = std::string::npos;
    std::ifstream in(fileName, std::ios::binary | std::ios::ate);
    if (!in)
        return false;
    const std::streamoff size = in.tellg();
    in.seekg(0);
    // First looked through in pieces, keeping none: a NUL early in a large file costs
    // neither the time nor the memory (nor the address space) of the whole.
    {
        std::string piece(std::size_t(1) << 20, '\0');
        size_t offset = 0;
        while (in) {
            in.read(&piece[0], static_cast<std::streamsize>(piece.size()));
            const auto got = static_cast<size_t>(std::max<std::streamsize>(in.gcount(), 0));
            const void* nul = std::memchr(piece.data(), '\0', got);
            if (nul) {
                if (nulAt)
                    *nulAt = offset + static_cast<size_t>(static_cast<const char*>(nul) - piece.data());
                return false;
            }
            offset += got;
        }
        if (in.bad())
            return false;
    }
    // Then read whole; the file may have changed meanwhile, so it is looked at again.
    in.clear();
    in.seekg(0);
    if (size > 0)
        bytes.reserve(static_cast<size_t>(size));
    const size_t piece = 1 << 20;
    for (;;) {
        const size_t at = bytes.size();
        bytes.resize(at + piece);
        in.read(&bytes[at], static_cast<std::streamsize>(piece));
        const auto got = static_cast<size_t>(std::max<std::streamsize>(in.gcount(), 0));
        bytes.resize(at + got);
        const size_t nul = bytes.find('\0', at);
        if (nul != std::string::npos) {
            if (nulAt)
                *nulAt = nul;
            bytes.clear();
            return false;
        }
        if (got < piece)
            return in.eof() && !in.bad();
    }
}

// Wavefront OBJ: coordinates must be numbers, and every index of a face, line or point
// must name a vertex, texture coordinate or normal of the file (negative ones count back
// from those defined so far).
std::string objProblem(const std::string& bytes)
{
    std::string problem;
    std::vector<std::string_view> w;
    long long sofar[3] = {0, 0, 0};  // vertices, texture coordinates, normals
    long long highest[3] = {0, 0, 0}; // the highest index the faces name
    forEachObjLine(bytes, [&](std::string_view line) {
        splitWords(line, w);
        if (w.empty())
            return true;
        const int kind = w[0] == "v" ? 0 : w[0] == "vt" ? 1 : w[0] == "vn" ? 2 : -1;
        if (kind >= 0) {
            const size_t needed = kind == 1 ? 2 : 3;
            double value = 0;
            for (size_t k = 1; k <= needed; ++k) {
                if (k >= w.size() || !parseReal(w[k], value)) {
                    problem = "a \"" + std::string(w[0]) + "\" line does not hold its numbers";
                    return false;
                }
                // VTK's reader would take such a vertex for one at 0; it keeps its
                // points in single precision, where a larger value is an infinite one.
                if (kind == 0 && beyondFloat(value)) {
                    problem = nonFiniteCoordinate(sofar[0], value);
                    return false;
                }
            }
            ++sofar[kind];
            return true;
        }
        if (w[0] != "f" && w[0] != "l" && w[0] != "p")
            return true;
        // Every corner of one face has the same form: "v", "v/t", "v//n" or "v/t/n".
        int form = -1;
        for (size_t k = 1; k < w.size(); ++k) {
            std::string_view fields[3];
            int count = 0;
            std::string_view corner = w[k];
            while (true) {
                const size_t slash = corner.find('/');
                if (count == 3) {
                    problem = "a face is malformed";
                    return false;
                }
                fields[count++] = corner.substr(0, slash);
                if (slash == std::string_view::npos)
                    break;
                corner = corner.substr(slash + 1);
            }
            const bool hasTexture = count >= 2 && !fields[1].empty();
            const bool hasNormal = count == 3;
            const int thisForm = (hasTexture ? 1 : 0) + (hasNormal ? 2 : 0);
            if ((count == 2 && !hasTexture) || (hasNormal && fields[2].empty()) || (form >= 0 && thisForm != form)) {
                problem = "a face is malformed";
                return false;
            }
            form = thisForm;
            for (int part = 0; part < count; ++part) {
                if (part == 1 && !hasTexture)
                    continue;
                long long index = 0;
                // Negative indices count back from what is defined so far; positive ones
                // may name an entry defined further on.
                if (!parseNumber(fields[part], index) || index == 0 || -index > sofar[part]) {
                    problem = "a face refers to an entry the file does not hold";
                    return false;
                }
                highest[part] = std::max(highest[part], index);
            }
        }
        return true;
    });
    if (problem.empty())
        for (int part = 0; part < 3; ++part)
            if (highest[part] > sofar[part])
                problem = "a face refers to an entry the file does not hold";
    return problem;
}

// PLY: walks every element the header announces and checks that each vertex index of a
// face names one of the vertices and that the data is all there.
std::string plyProblem(const std::string& bytes)
{
    struct Property
    {
        int countSize = 0; // 0 for a scalar property
        int itemSize = 0;
        bool countSigned = false;
        bool itemSigned = false;
        bool itemFloat = false;
        bool isVertexIndices = false;
        std::string name;
    };
    struct Element
    {
        std::string name;
        long long count = 0;
        std::vector<Property> properties;
    };
    auto typeSize = [](std::string_view t, bool& isSigned, bool& isFloat) {
        isSigned = t == "char" || t == "int8" || t == "short" || t == "int16" || t == "int" || t == "int32";
        isFloat = t == "float" || t == "float32" || t == "double" || t == "float64";
        if (t == "char" || t == "int8" || t == "uchar" || t == "uint8")
            return 1;
        if (t == "short" || t == "int16" || t == "ushort" || t == "uint16")
            return 2;
        if (t == "int" || t == "int32" || t == "uint" || t == "uint32" || t == "float" || t == "float32")
            return 4;
        if (t == "double" || t == "float64")
            return 8;
        return 0;
    };
    std::vector<Element> elements;
    int format = -1; // 0 ascii, 1 binary little endian, 2 binary big endian
    size_t pos = 0;
    bool ended = false;
    std::vector<std::string_view> w;
    const size_t firstLineEnd = bytes.find('\n') + 1; // "ply" belongs there only
    while (pos < bytes.size() && !ended) {
        size_t end = bytes.find('\n', pos);
        if (end == std::string::npos)
            return "its header is not complete";
        // VTK's reader takes a header line in pieces of 4 KB at most.
        if (end - pos > 4000)
            return "its header is damaged";
        plyWords(std::string_view(bytes.data() + pos, end - pos), w);
        pos = end + 1;
        if (w.empty())
            continue;
        if (w[0] == "end_header") {
            ended = true;
        } else if (w[0] == "format" && w.size() >= 2) {
            // A second format line leaves it open which one VTK's reader follows.
            if (format >= 0)
                return "its header is damaged";
            format = w[1] == "ascii" ? 0 : w[1] == "binary_little_endian" ? 1 : w[1] == "binary_big_endian" ? 2 : -1;
            if (format < 0)
                return "its header is damaged";
        } else if (w[0] == "element" && w.size() >= 3) {
            Element e;
            e.name = std::string(w[1]);
            if (!parseNumber(w[2], e.count) || e.count < 0)
                return "its header gives a bad element count";
            // VTK's reader finds elements and properties by name, and trips over a second
            // one of the same name.
            for (const Element& other : elements)
                if (other.name == e.name)
                    return "its header names an element twice";
            elements.push_back(e);
        } else if (w[0] == "property" && !elements.empty()) {
            Property p;
            bool isFloat = false;
            if (w.size() == 5 && w[1] == "list") {
                bool countFloat = false;
                p.countSize = typeSize(w[2], p.countSigned, countFloat);
                p.itemSize = typeSize(w[3], p.itemSigned, p.itemFloat);
                if (!p.countSize || countFloat || !p.itemSize)
                    return "its header names an unknown type";
                p.name = std::string(w[4]);
                p.isVertexIndices = elements.back().name == "face" && (w[4] == "vertex_indices" || w[4] == "vertex_index");
            } else if (w.size() == 3 && w[1] != "list") {
                p.name = std::string(w[2]);
                p.itemSize = typeSize(w[1], p.itemSigned, isFloat);
                p.itemFloat = isFloat;
                if (!p.itemSize)
                    return "its header names an unknown type";
            } else {
                return "its header is damaged";
            }
            for (const Property& other : elements.back().properties)
                if (other.name == p.name)
                    return "its header names a property twice";
            elements.back().properties.push_back(p);
        } else if ((w[0] != "ply" || pos != firstLineEnd) && w[0] != "comment" && w[0] != "obj_info") {
            return "its header is damaged";
        }
    }
    if (!ended || format < 0)
        return "its header is damaged";
    // VTK's reader reads the vertices and faces and passes over other elements without
    // reading their data: one before them would shift what it reads as theirs.
    size_t lastModelElement = 0;
    for (size_t i = 0; i < elements.size(); ++i)
        if (elements[i].name == "vertex" || elements[i].name == "face")
            lastModelElement = i;
    for (size_t i = 0; i < lastModelElement; ++i)
        if (elements[i].name != "vertex" && elements[i].name != "face")
            return "its header puts another element before the vertices or faces";
    long long vertices = -1;
    bool faces = false;
    for (const Element& e : elements) {
        int coordinates = 0;
        for (const Property& p : e.properties) {
            faces = faces || p.isVertexIndices;
            coordinates += p.name == "x" || p.name == "y" || p.name == "z";
        }
        if (e.name == "vertex") {
            if (coordinates < 3)
                return "its vertices have no x, y and z";
            vertices = e.count;
        }
    }
    if (vertices < 0 || !faces)
        return "its header names no vertices or no faces with their vertex indices";

    const char* data = bytes.data() + pos;
    const char* const last = bytes.data() + bytes.size();
    // In an ASCII file each element is one line of its own, which VTK's reader takes
    // word by word without counting them.
    std::vector<std::string_view> lineWords;
    size_t wordIndex = 0;
    auto nextLine = [&]() {
        const char* end = std::find(data, last, '\n');
        plyWords(std::string_view(data, static_cast<size_t>(end - data)), lineWords);
        wordIndex = 0;
        data = end < last ? end + 1 : last;
    };
    // The last real number read from text, for the coordinates.
    double real = 0;
    // One value, as a whole number when it is one (floats are only skipped).
    auto next = [&](int size, bool isSigned, bool isFloat, long long& value) -> bool {
        if (format == 0) {
            if (wordIndex >= lineWords.size())
                return false;
            const std::string_view word = lineWords[wordIndex++];
            if (isFloat) {
                double d = 0;
                if (!parseReal(word, d))
                    return false;
                real = d;
                return true;
            }
            return parseNumber(word, value);
        }
        if (last - data < size)
            return false;
        unsigned char b[8];
        std::memcpy(b, data, static_cast<size_t>(size));
        data += size;
        if (isFloat)
            return true;
        unsigned long long u = 0;
        for (int k = 0; k < size; ++k)
            u |= static_cast<unsigned long long>(b[format == 1 ? k : size - 1 - k]) << (8 * k);
        if (isSigned && size < 8 && (u >> (8 * size - 1)) & 1u)
            u |= ~0ull << (8 * size);
        value = static_cast<long long>(u);
        return true;
    };
    for (const Element& e : elements) {
        for (long long i = 0; i < e.count; ++i) {
            if (format == 0) {
                if (data >= last)
                    return "it is truncated";
                nextLine();
            }
            for (const Property& p : e.properties) {
                long long value = 0;
                if (!p.countSize) {
                    real = 0;
                    if (!next(p.itemSize, p.itemSigned, p.itemFloat, value))
                        return "it is truncated or damaged";
                    // VTK's reader keeps the points in single precision.
                    if (format == 0 && p.itemFloat && e.name == "vertex" &&
                        (p.name == "x" || p.name == "y" || p.name == "z") && beyondFloat(real))
                        return nonFiniteCoordinate(i, real);
                    continue;
                }
                long long items = 0;
                if (!next(p.countSize, p.countSigned, false, items) || items < 0)
                    return "it is truncated";
                if (format != 0 ? items > (last - data) / p.itemSize
                                : items > static_cast<long long>(lineWords.size() - wordIndex))
                    return "it is truncated or damaged";
                for (long long k = 0; k < items; ++k) {
                    if (!next(p.itemSize, p.itemSigned, p.itemFloat, value))
                        return "it is truncated";
                    if (p.isVertexIndices && (value < 0 || value >= vertices))
                        return "a face refers to a vertex the file does not hold";
                }
            }
        }
    }
    return std::string();
}

// Legacy VTK files. Before version 5 each cell is listed as its point count and points,
// and VTK's reader walks those counts without checking them against the list; version 5
// lists offsets and connectivity, whose counts it trusts. A damaged count (or a damaged
// version number that makes a newer file look old) makes it read past its arrays.
std::string legacyVtkProblem(const std::string& bytes, std::string* readable)
{
    if (readable)
        readable->clear();
    // The byte ranges of the METADATA blocks, which the reader is given the file without.
    std::vector<std::pair<size_t, size_t>> cuts;
    size_t pos = 0;
    auto nextLine = [&](std::string_view& line) {
        if (pos >= bytes.size())
            return false;
        size_t end = bytes.find('\n', pos);
        if (end == std::string::npos)
            end = bytes.size();
        line = std::string_view(bytes.data() + pos, end - pos);
        pos = end + 1;
        return true;
    };
    auto lower = [](std::string_view s) {
        std::string out(s);
        std::transform(out.begin(), out.end(), out.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        return out;
    };
    std::string_view line, title, kind;
    if (!nextLine(line))
        return "its header is damaged";
    // The version is read as "major.minor" after "# vtk DataFile Version", from the line as
    // a C string; VTK takes a file without both numbers for an old one.
    line = line.substr(0, line.find('\0'));
    const std::string_view prefix = "# vtk DataFile Version";
    int major = -1;
    if (line.substr(0, prefix.size()) == prefix) {
        std::string_view v = line.substr(prefix.size());
        while (!v.empty() && std::isspace(static_cast<unsigned char>(v.front())))
            v.remove_prefix(1);
        const char* end = v.data() + v.size();
        const auto parsed = std::from_chars(v.data(), end, major);
        if (parsed.ptr == v.data() || end - parsed.ptr < 2 || parsed.ptr[0] != '.' ||
            !std::isdigit(static_cast<unsigned char>(parsed.ptr[1])))
            major = -1;
    }
    if (major < 1 || major > 5)
        return "its header is damaged or of a version not known";
    if (!nextLine(title) || !nextLine(kind))
        return "its header is damaged";
    const auto kindWords = words(kind);
    const std::string mode = kindWords.empty() ? std::string() : lower(kindWords[0]);
    if (mode != "ascii" && mode != "binary")
        return "its header is damaged";
    const bool binary = mode == "binary";

    auto nextWord = [&](std::string_view& word) {
        while (pos < bytes.size() && std::isspace(static_cast<unsigned char>(bytes[pos])))
            ++pos;
        const size_t start = pos;
        while (pos < bytes.size() && !std::isspace(static_cast<unsigned char>(bytes[pos])))
            ++pos;
        word = std::string_view(bytes.data() + start, pos - start);
        return pos > start;
    };
    // In a binary file the data begins on the line after the section's words.
    auto startData = [&]() {
        if (!binary)
            return;
        const size_t end = bytes.find('\n', pos);
        pos = end == std::string::npos ? bytes.size() : end + 1;
    };
    auto typeSize = [](const std::string& t) -> int {
        if (t == "bit" || t == "char" || t == "unsigned_char")
            return 1;
        if (t == "short" || t == "unsigned_short")
            return 2;
        if (t == "int" || t == "unsigned_int" || t == "float" || t == "vtkidtype" || t == "vtktypeint32" ||
            t == "vtktypeuint32")
            return 4;
        if (t == "long" || t == "unsigned_long" || t == "double" || t == "vtktypeint64" || t == "vtktypeuint64")
            return 8;
        return 0;
    };
    // The first text value that is a number but not a finite one, of the last `values`.
    long long nonFinite = -1;
    double nonFiniteValue = 0;
    // Whether the values are read in single precision, where a value beyond its range is
    // an infinite one (VTK's text reader fails on it).
    bool singlePrecision = false;
    // `count` values of `size` bytes (binary, big-endian) or words (ASCII); kept as whole
    // numbers in `out` when asked for.
    auto values = [&](long long count, int size, std::vector<long long>* out) {
        nonFinite = -1;
        if (count < 0)
            return false;
        if (binary) {
            if (size <= 0 || count > static_cast<long long>(bytes.size() - std::min(pos, bytes.size())) / size)
                return false;
            if (out) {
                out->resize(static_cast<size_t>(count));
                for (long long i = 0; i < count; ++i) {
                    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + pos + static_cast<size_t>(i * size));
                    std::uint64_t u = 0;
                    for (int k = 0; k < size; ++k)
                        u = (u << 8) | p[k];
                    if (size < 8 && (u >> (8 * size - 1)) & 1u)
                        u |= ~0ull << (8 * size);
                    (*out)[static_cast<size_t>(i)] = static_cast<long long>(u);
                }
            }
            pos += static_cast<size_t>(count * size);
            return true;
        }
        if (out)
            out->clear();
        std::string_view word;
        for (long long i = 0; i < count; ++i) {
            if (!nextWord(word))
                return false;
            long long v = 0;
            double real = 0;
            if (out ? !parseNumber(word, v) : !parseReal(word, real))
                return false; // a word short, VTK's reader goes on with the next keyword
            if (!out && nonFinite < 0 && (singlePrecision ? beyondFloat(real) : !std::isfinite(real))) {
                nonFinite = i;
                nonFiniteValue = real;
            }
            if (out)
                out->push_back(v);
        }
        return true;
    };
    // VTK takes a keyword by its beginning ("POINTS99" is "POINTS").
    auto keyword = [&](std::string_view word) {
        const std::string w = lower(word);
        for (const char* k : {"field", "points", "vertices", "lines", "polygons", "triangle_strips", "dataset",
                              "offsets", "connectivity", "metadata"})
            if (w.compare(0, std::strlen(k), k) == 0)
                return std::string(k);
        return std::string();
    };

    // An array may be followed by a METADATA block: its line, then lines of component
    // names and information keys, up to and including the first blank line. The block
    // only names and annotates the array; the file is checked and read without it, so
    // that the reader and this check cannot part ways over where it ends.
    auto cutMetadata = [&](size_t start) {
        size_t end = bytes.find('\n', pos);
        end = end == std::string::npos ? bytes.size() : end + 1;
        while (end < bytes.size()) {
            size_t next = bytes.find('\n', end);
            next = next == std::string::npos ? bytes.size() : next + 1;
            const std::string_view line(bytes.data() + end, next - end);
            end = next;
            if (line.find_first_not_of(" \t\r\n") == std::string_view::npos)
                break;
        }
        cuts.emplace_back(start, end);
        pos = end;
    };
    // Cuts the METADATA block that follows an array, when there is one.
    auto skipMetadata = [&]() {
        const size_t before = pos;
        std::string_view w;
        if (nextWord(w) && keyword(w) == "metadata")
            cutMetadata(static_cast<size_t>(w.data() - bytes.data()));
        else
            pos = before;
    };

    long long points = 0;
    std::string_view word, a, b, c, d;
    while (nextWord(word)) {
        const std::string k = keyword(word);
        if (k == "dataset") {
            nextWord(a);
        } else if (k == "field") {
            long long arrays = 0;
            if (!nextWord(a) || !nextWord(b) || !parseNumber(b, arrays) || arrays < 0)
                return "its field data is damaged";
            for (long long i = 0; i < arrays; ++i) {
                long long components = 0, tuples = 0;
                if (!nextWord(a) || !nextWord(b) || !nextWord(c) || !nextWord(d))
                    return "it is truncated";
                const std::string type = lower(d);
                const int size = typeSize(type);
                // Text arrays this check does not size: VTK reads on. Any other type is
                // one VTK's reader fails on, and then uses the field data it did not make.
                if (!size && (type == "string" || type == "utf8_string" || type == "variant"))
                    return std::string();
                if (!size)
                    return "its field data is damaged";
                startData();
                if (!parseNumber(b, components) || !parseNumber(c, tuples) || components < 0 || tuples < 0 ||
                    (tuples && components > std::numeric_limits<long long>::max() / tuples) ||
                    !values(components * tuples, size, nullptr))
                    return "its field data is damaged or truncated";
                skipMetadata();
            }
        } else if (k == "points") {
            if (!nextWord(a) || !nextWord(b))
                return "it is truncated";
            const int size = typeSize(lower(b));
            startData();
            singlePrecision = lower(b) == "float";
            const bool read = parseNumber(a, points) && points >= 0 && size &&
                              points <= std::numeric_limits<long long>::max() / 3 && values(points * 3, size, nullptr);
            singlePrecision = false;
            if (!read)
                return "its points are damaged or truncated";
            // VTK's text reader stops at such a word, and says it knows no such keyword.
            if (nonFinite >= 0)
                return nonFiniteCoordinate(nonFinite / 3, nonFiniteValue);
        } else if (k == "vertices" || k == "lines" || k == "polygons" || k == "triangle_strips") {
            long long first = 0, second = 0;
            if (!nextWord(a) || !nextWord(b) || !parseNumber(a, first) || !parseNumber(b, second) || first < 0 || second < 0)
                return "a cell list is damaged";
            std::vector<long long> list;
            if (major < 5) {
                // `first` cells in `second` numbers: each cell's point count, then its points.
                startData();
                if (!values(second, 4, &list))
                    return "a cell list is damaged or truncated";
                long long found = 0;
                for (size_t i = 0; i < list.size(); ++found) {
                    const long long n = list[i];
                    if (n < 0 || n > static_cast<long long>(list.size() - i - 1))
                        return "a cell list is damaged";
                    for (long long j = 1; j <= n; ++j)
                        if (list[i + static_cast<size_t>(j)] < 0 || list[i + static_cast<size_t>(j)] >= points)
                            return "a cell refers to a point the file does not hold";
                    i += static_cast<size_t>(n) + 1;
                }
                if (found != first)
                    return "a cell list is damaged";
                continue;
            }
            // `first` offsets into `second` point ids.
            // The counts must fit the file; the values are checked once read.
            if (!nextWord(a) || keyword(a) != "offsets" || !nextWord(b))
                return "a cell list is damaged";
            startData();
            if (!values(first, typeSize(lower(b)), nullptr))
                return "a cell list is damaged or truncated";
            skipMetadata();
            if (!nextWord(a) || keyword(a) != "connectivity" || !nextWord(b))
                return "a cell list is damaged";
            startData();
            if (!values(second, typeSize(lower(b)), nullptr))
                return "a cell list is damaged or truncated";
        } else if (k == "metadata") {
            cutMetadata(static_cast<size_t>(word.data() - bytes.data()));
        } else {
            break; // point and cell data follow the cells
        }
    }
    if (readable && !cuts.empty()) {
        size_t from = 0;
        for (const auto& cut : cuts) {
            readable->append(bytes, from, cut.first - from);
            from = cut.second;
        }
        readable->append(bytes, from, std::string::npos);
    }
    return std::string();
}

std::string vtpProblem(const std::string& bytes)
{
    std::vector<XmlElement> elements;
    size_t appendedStart = std::string::npos;
    const std::string problem = scanXml(bytes, elements, appendedStart);
    if (!problem.empty())
        return problem;
    if (elements.empty() || elements[0].name != "VTKFile" || elements[0].attribute("type") != "PolyData")
        return "it is not a VTK poly data file";
    const XmlElement& root = elements[0];
    VtpFile file;
    const std::string_view headerType = root.has("header_type") ? root.attribute("header_type") : "UInt32";
    if (headerType != "UInt32" && headerType != "UInt64")
        return "its header names an unknown header type";
    file.headerSize = headerType == "UInt64" ? 8 : 4;
    file.bigEndian = root.attribute("byte_order") == "BigEndian";
    const std::string_view compressor = root.attribute("compressor");
    if (compressor == "vtkZLibDataCompressor") {
        file.compressor = vtkSmartPointer<vtkZLibDataCompressor>::New();
        file.ratio = 1032;
    } else if (compressor == "vtkLZ4DataCompressor") {
        file.compressor = vtkSmartPointer<vtkLZ4DataCompressor>::New();
        file.ratio = 256;
    } else if (compressor == "vtkLZMADataCompressor") {
        file.compressor = vtkSmartPointer<vtkLZMADataCompressor>::New();
        file.ratio = 8192;
    } else if (!compressor.empty()) {
        return "its header names an unknown compressor";
    }
    if (appendedStart != std::string::npos) {
        const XmlElement& appended = elements.back();
        file.hasAppended = true;
        file.appendedBase64 = appended.attribute("encoding") == "base64";
        // The offsets count the characters as they stand: the reader takes them so, and a
        // blank among them is no base64 digit, which the decoding refuses. (Counting
        // without the blanks made this check read other block headers than the reader.)
        const size_t end = file.appendedBase64 ? std::min(bytes.find('<', appendedStart), bytes.size()) : bytes.size();
        file.appended = std::string_view(bytes.data() + appendedStart, end - appendedStart);
    }

    std::vector<std::vector<int>> children(elements.size());
    for (size_t i = 0; i < elements.size(); ++i)
        if (elements[i].parent >= 0)
            children[static_cast<size_t>(elements[i].parent)].push_back(static_cast<int>(i));
    auto arraysOf = [&](int parent) {
        std::vector<const XmlElement*> arrays;
        for (int child : children[static_cast<size_t>(parent)])
            if (elements[static_cast<size_t>(child)].name == "DataArray")
                arrays.push_back(&elements[static_cast<size_t>(child)]);
        return arrays;
    };

    for (size_t i = 0; i < elements.size(); ++i) {
        const XmlElement& e = elements[i];
        if (e.name == "FieldData") {
            for (const XmlElement* a : arraysOf(static_cast<int>(i))) {
                long long tuples = 0;
                if (a->has("NumberOfTuples") && (!parseNumber(a->attribute("NumberOfTuples"), tuples) || tuples < 0))
                    return "its header gives a bad count";
                const std::string p = vtpArrayProblem(file, *a, tuples, nullptr);
                if (!p.empty())
                    return p;
            }
            continue;
        }
        if (e.name != "Piece")
            continue;
        long long points = 0, cells = 0;
        if (e.has("NumberOfPoints") && (!parseNumber(e.attribute("NumberOfPoints"), points) || points < 0))
            return "its header gives a bad count";
        bool pointsFound = false;
        for (int child : children[i]) {
            const XmlElement& c = elements[static_cast<size_t>(child)];
            const std::string name(c.name);
            if (name == "Points" || name == "PointData") {
                const auto arrays = arraysOf(child);
                pointsFound = pointsFound || (name == "Points" && !arrays.empty());
                for (const XmlElement* a : arrays) {
                    const std::string p = vtpArrayProblem(file, *a, points, nullptr, name == "Points");
                    if (!p.empty())
                        return p;
                }
                continue;
            }
            if (name != "Verts" && name != "Lines" && name != "Strips" && name != "Polys")
                continue;
            long long count = 0;
            const std::string attribute = "NumberOf" + name;
            if (e.has(attribute) && (!parseNumber(e.attribute(attribute), count) || count < 0 ||
                                     count > std::numeric_limits<long long>::max() - cells))
                return "its header gives a bad count";
            cells += count;
            const XmlElement* offsets = nullptr;
            const XmlElement* connectivity = nullptr;
            for (const XmlElement* a : arraysOf(child)) {
                if (a->attribute("Name") == "offsets")
                    offsets = a;
                else if (a->attribute("Name") == "connectivity")
                    connectivity = a;
            }
            if (count == 0) {
                // Empty lists still have their block headers checked: they are read too
                // where a reader goes by the arrays rather than the counts.
                for (const XmlElement* a : {offsets, connectivity}) {
                    const std::string p = a ? vtpArrayProblem(file, *a, 0, nullptr) : std::string();
                    if (!p.empty())
                        return p;
                }
                continue;
            }
            if (!offsets || !connectivity)
                return "a cell list is missing";
            // The reader sizes the connectivity by the offsets.
            std::vector<long long> ends;
            std::string p = vtpArrayProblem(file, *offsets, count, &ends);
            if (!p.empty())
                return p;
            long long highest = 0;
            for (long long end : ends) {
                if (end < 0)
                    return "a cell list is damaged";
                highest = std::max(highest, end);
            }
            p = vtpArrayProblem(file, *connectivity, highest, nullptr);
            if (!p.empty())
                return p;
        }
        // A piece's counts must be held by its arrays: the reader sizes its output by them.
        if (points > 0 && !pointsFound)
            return "its points are missing";
        for (int child : children[i]) {
            if (elements[static_cast<size_t>(child)].name != "CellData")
                continue;
            for (const XmlElement* a : arraysOf(child)) {
                const std::string p = vtpArrayProblem(file, *a, cells, nullptr);
                if (!p.empty())
                    return p;
            }
        }
    }
    return std::string();
}

namespace {

// The largest coordinate a model may have: the view draws in single precision, and a
// model reaching much further than this is drawn as nothing (its extent and the
// camera's distance to it leave that range).
constexpr double MaxCoordinate = 1e37;

// The first point with a coordinate that is not finite, or finite but too far to draw
// (-1 when there is none), and that coordinate.
struct PointsSurvey
{
    long long nonFinite = -1;
    double value = 0;
    long long tooFar = -1;
};

// `pointAt(i, p)` gives point i's coordinates in p.
template <class Real, class PointAt>
PointsSurvey survey(long long count, PointAt pointAt)
{
    PointsSurvey out;
    Real p[3];
    for (long long i = 0; i < count; ++i) {
        pointAt(i, p);
        for (int k = 0; k < 3; ++k) {
            if (!std::isfinite(p[k])) {
                out.nonFinite = i;
                out.value = static_cast<double>(p[k]);
                return out;
            }
            if (out.tooFar < 0 && std::fabs(p[k]) > static_cast<Real>(MaxCoordinate))
                out.tooFar = i;
        }
    }
    return out;
}

template <class Real>
PointsSurvey surveyArray(const Real* xyz, long long count)
{
    // Blocks of points all near enough are passed in one sweep without a branch per
    // coordinate (a coordinate that is not a number compares false as well); from the
    // first block that holds another, each point is looked at.
    // The bits of a coordinate without its sign, read as a number, order as its
    // magnitude does, and those of an infinity or of what is not a number come above all
    // finite ones: the largest of a block says whether all are near enough.
    using Bits = std::conditional_t<sizeof(Real) == 4, std::uint32_t, std::uint64_t>;
    constexpr Bits magnitude = ~Bits(0) >> 1;
    const Real limit = static_cast<Real>(MaxCoordinate);
    Bits limitBits;
    std::memcpy(&limitBits, &limit, sizeof limitBits);
    constexpr long long block = 1024;
    long long from = 0;
    for (; from + block <= count; from += block) {
        const Real* p = xyz + 3 * from;
        Bits largest = 0;
        for (long long k = 0; k < 3 * block; ++k) {
            Bits bits;
            std::memcpy(&bits, p + k, sizeof bits);
            largest = std::max<Bits>(largest, bits & magnitude);
        }
        if (largest > limitBits)
            break;
    }
    PointsSurvey out = survey<Real>(count - from, [xyz, from](long long i, Real* p) {
        std::memcpy(p, xyz + 3 * (from + i), 3 * sizeof(Real));
    });
    if (out.nonFinite >= 0)
        out.nonFinite += from;
    if (out.tooFar >= 0)
        out.tooFar += from;
    return out;
}

// How the cells of some lists lie: how many there are, whether any has corners apart,
// and whether all their corners coincide.
struct CellsSurvey
{
    long long cells = 0;
    bool anyWithExtent = false;
    bool allAtOne = true;
};

// Whether the cells lie apart is all that is asked once one of them has extent: the
// survey stops at the first such cell (all but a model of nothing stop at their first).
void surveyCells(vtkPoints* points, vtkCellArray* cells, CellsSurvey& out, double first[3], bool& haveFirst)
{
    if (!cells || cells->GetNumberOfCells() == 0)
        return;
    out.cells += cells->GetNumberOfCells();
    if (out.anyWithExtent)
        return;
    auto it = vtk::TakeSmartPointer(cells->NewIterator());
    const long long count = points->GetNumberOfPoints();
    double corner[3], own[3];
    for (it->GoToFirstCell(); !it->IsDoneWithTraversal() && !out.anyWithExtent; it->GoToNextCell()) {
        vtkIdType n = 0;
        const vtkIdType* ids = nullptr;
        it->GetCurrentCell(n, ids);
        for (vtkIdType k = 0; k < n; ++k) {
            if (ids[k] < 0 || ids[k] >= count)
                continue;
            points->GetPoint(ids[k], corner);
            if (!haveFirst) {
                std::copy(corner, corner + 3, first);
                haveFirst = true;
            }
            if (k == 0)
                std::copy(corner, corner + 3, own);
            else if (corner[0] != own[0] || corner[1] != own[1] || corner[2] != own[2])
                out.anyWithExtent = true;
            if (corner[0] != first[0] || corner[1] != first[1] || corner[2] != first[2])
                out.allAtOne = false;
        }
    }
}

} // namespace

std::string geometryProblem(vtkPolyData* data)
{
    vtkPoints* points = data ? data->GetPoints() : nullptr;
    const long long count = points ? points->GetNumberOfPoints() : 0;
    if (count == 0)
        return std::string();
    vtkDataArray* coordinates = points->GetData();
    auto* single = vtkFloatArray::SafeDownCast(coordinates);
    auto* twice = vtkDoubleArray::SafeDownCast(coordinates);
    const bool plain = coordinates->GetNumberOfComponents() == 3;
    const PointsSurvey found = plain && single ? surveyArray(single->GetPointer(0), count)
                               : plain && twice ? surveyArray(twice->GetPointer(0), count)
                                                : survey<double>(count, [points](long long i, double* p) { points->GetPoint(i, p); });
    if (found.nonFinite >= 0)
        return "could not be read: " + nonFiniteCoordinate(found.nonFinite, found.value);
    if (found.tooFar >= 0) {
        char limit[32];
        std::snprintf(limit, sizeof limit, "%g", MaxCoordinate);
        return "could not be read: point " + std::to_string(found.tooFar) + " has a coordinate beyond " + limit +
               ", too far to be drawn";
    }
    // Judged by the corners the faces use: points no face uses, and vertex or line cells
    // beside the faces, do not make a surface of faces that have no extent.
    double first[3] = {0, 0, 0};
    bool haveFirst = false;
    CellsSurvey faces;
    surveyCells(points, data->GetPolys(), faces, first, haveFirst);
    surveyCells(points, data->GetStrips(), faces, first, haveFirst);
    const char* what = "faces";
    CellsSurvey judged = faces;
    if (faces.cells == 0 && data->GetNumberOfVerts() == 0) {
        // Lines alone are drawn as far as they reach.
        haveFirst = false;
        CellsSurvey lines;
        surveyCells(points, data->GetLines(), lines, first, haveFirst);
        judged = lines;
        what = "lines";
    }
    if (judged.cells == 0 || judged.anyWithExtent)
        return std::string();
    const std::string n = std::to_string(judged.cells);
    if (judged.cells == 1)
        return std::string("holds no model geometry: its one ") + (what[0] == 'f' ? "face" : "line")
               + " collapses to a point";
    if (judged.allAtOne)
        return "holds no model geometry: all its " + n + " " + what + " collapse to one point";
    return "holds no model geometry: each of its " + n + " " + what + " collapses to a point";
}

namespace {

// The entries of the list of faces kept reached or moved on this thread.
std::uint64_t& keptFaceSteps()
{
    return Counted::tally<struct KeptFaceSteps>();
}

// Tells the caller, when it asks, how many entries of that list a run reached.
struct KeptFaceReads
{
    explicit KeptFaceReads(long long* out) : out(out), start(keptFaceSteps()) {}
    ~KeptFaceReads()
    {
        if (out)
            *out = static_cast<long long>(keptFaceSteps() - start);
    }
    long long* out;
    std::uint64_t start;
};

} // namespace

namespace {

// A face's corners as the cells hold them, 32- or 64-bit.
template <class Id>
struct FaceCorners
{
    const Id* offsets;
    const Id* ids;

    std::size_t size(std::size_t f) const { return static_cast<std::size_t>(offsets[f + 1] - offsets[f]); }
    const Id* at(std::size_t f) const { return ids + offsets[f]; }
    // Where the face's lowest point id stands: the face is read from there on.
    static std::size_t lowest(const Id* c, std::size_t n)
    {
        if (n == 3) // the first of the lowest, as for any other face
            return c[1] < c[0] ? (c[2] < c[1] ? 2 : 1) : (c[2] < c[0] ? 2 : 0);
        return static_cast<std::size_t>(std::min_element(c, c + n) - c);
    }
    // The corners, from the lowest, two to a word, under the process's seed: a file cannot
    // choose faces that share a slot.  (Ids beyond 32 bits would share words; that makes
    // equal hashes, never equal faces, and needs more points than memory holds.)
    std::uint64_t hash(std::size_t f, std::uint64_t seed) const
    {
        const std::size_t n = size(f);
        const Id* c = at(f);
        if (n == 0)
            return Counted::mixBits(0, 0, seed);
        const std::size_t low = lowest(c, n);
        if (n == 3) {
            // A triangle, as the general case below takes it.
            const std::size_t next = low == 2 ? 0 : low + 1, last = low == 0 ? 2 : low - 1;
            return Counted::mixBits(std::uint64_t(static_cast<std::uint32_t>(c[low])) << 32 | static_cast<std::uint32_t>(c[next]),
                                    std::uint64_t(3) << 32 | static_cast<std::uint32_t>(c[last]), seed);
        }
        auto id = [&](std::size_t k) -> std::uint64_t {
            return k < n ? static_cast<std::uint32_t>(c[low + k < n ? low + k : low + k - n]) : 0;
        };
        std::uint64_t h = Counted::mixBits(id(0) << 32 | id(1), std::uint64_t(n) << 32 | id(2), seed);
        for (std::size_t k = 3; k < n; k += 2)
            h = Counted::mixBits(h, id(k) << 32 | id(k + 1), seed);
        return h;
    }
    bool same(std::size_t a, std::size_t b) const
    {
        const std::size_t n = size(a);
        if (size(b) != n)
            return false;
        const Id* x = at(a);
        const Id* y = at(b);
        const std::size_t i = lowest(x, n), j = lowest(y, n);
        for (std::size_t k = 0; k < n; ++k)
            if (x[(i + k) % n] != y[(j + k) % n])
                return false;
        return true;
    }
};

// One flat table of the first faces, open addressing at most half full: a slot is one
// word that holds a face's number plus one (zero is free) in its low bits and, above
// them, the top bits of the face's hash, so that most faces met on the way are passed
// without reading their corners.  Returns, in face order, each face that repeats an
// earlier one with that face; `looked` counts the slots read.
template <class Id, class Word>
void findRepeats(const FaceCorners<Id>& faces, std::size_t count, Counted::Vector<std::pair<std::size_t, std::size_t>, &keptFaceSteps>& repeats,
                 long long& looked)
{
    std::size_t size = 16;
    while (size < 2 * count)
        size <<= 1;
    const std::size_t mask = size - 1;
    unsigned numberBits = 1;
    while ((std::uint64_t(1) << numberBits) <= count)
        ++numberBits;
    const Word numberMask = static_cast<Word>((std::uint64_t(1) << numberBits) - 1);
    std::vector<Word> table(size, Word(0));
    const std::uint64_t seed = Counted::hashSeed();
    constexpr unsigned tagShift = 64 - 8 * sizeof(Word);
    // The slots of the faces a little ahead are asked of the memory early: a table larger
    // than the caches would otherwise cost a wait on every face.
    constexpr std::size_t ahead = 16;
    std::uint64_t hashes[ahead];
    for (std::size_t k = 0; k < ahead && k < count; ++k) {
        hashes[k] = faces.hash(k, seed);
        __builtin_prefetch(&table[hashes[k] & mask]);
    }
    long long read = 0;
    for (std::size_t f = 0; f < count; ++f) {
        const std::uint64_t h = hashes[f % ahead];
        if (f + ahead < count) {
            hashes[f % ahead] = faces.hash(f + ahead, seed);
            __builtin_prefetch(&table[hashes[f % ahead] & mask]);
        }
        const Word tag = static_cast<Word>(h >> tagShift) & ~numberMask;
        for (std::size_t slot = h & mask;; slot = (slot + 1) & mask) {
            ++read;
            Word& at = table[slot];
            if (at == 0) {
                at = tag | static_cast<Word>(f + 1);
                break;
            }
            if ((at & ~numberMask) == tag && faces.same((at & numberMask) - 1, f)) {
                repeats.push_back({f, static_cast<std::size_t>((at & numberMask) - 1)});
                break;
            }
        }
    }
    looked += read;
}

// Whether no point is a corner of two faces, or twice of one, and every face has a
// corner: then no face can repeat another, and the table is not needed. A model whose
// faces share their points (all but a soup of triangles) shows that within its first
// faces; a soup costs one look at each corner. The points are marked in a set of bits,
// taken only while it is not larger than the corners' own list.
template <class Id>
bool cornersApart(const FaceCorners<Id>& faces, std::size_t count, vtkIdType points)
{
    if (points <= 0 || count == 0)
        return false;
    const std::size_t words = (static_cast<std::size_t>(points) + 63) / 64;
    const Id corners = faces.offsets[count] - faces.offsets[0];
    if (corners <= 0 || words > static_cast<std::size_t>(corners))
        return false;
    bool empty = false;
    for (std::size_t f = 0; f < count; ++f)
        empty |= faces.offsets[f + 1] <= faces.offsets[f];
    if (empty)
        return false;
    std::vector<std::uint64_t> seen(words, 0);
    const Id* end = faces.ids + faces.offsets[count];
    for (const Id* id = faces.ids + faces.offsets[0]; id != end; ++id) {
        // A negative id is taken as one beyond the points.
        const auto at = static_cast<std::make_unsigned_t<Id>>(*id);
        if (at >= static_cast<std::make_unsigned_t<Id>>(points))
            return false;
        std::uint64_t& word = seen[static_cast<std::size_t>(at / 64)];
        const std::uint64_t bit = std::uint64_t(1) << (at % 64);
        if (word & bit)
            return false;
        word |= bit;
    }
    return true;
}

template <class Id>
void findRepeats(const FaceCorners<Id>& faces, std::size_t count, vtkIdType points,
                 Counted::Vector<std::pair<std::size_t, std::size_t>, &keptFaceSteps>& repeats, long long& looked)
{
    if (cornersApart(faces, count, points))
        return;
    // A face's number in 28 bits leaves four of a word for its tag.
    if (count < (std::size_t(1) << 28))
        findRepeats<Id, std::uint32_t>(faces, count, repeats, looked);
    else
        findRepeats<Id, std::uint64_t>(faces, count, repeats, looked);
}

} // namespace

long long dropRepeatedFaces(vtkPolyData* data, std::string& problem, long long* probes, long long* keptReads)
{
    const KeptFaceReads reads(keptReads);
    problem.clear();
    vtkCellArray* polys = data ? data->GetPolys() : nullptr;
    const long long faces = polys ? polys->GetNumberOfCells() : 0;
    if (faces < 2)
        return 0;
    // Each face that repeats an earlier one, in face order, with the face it repeats
    // (each entry reached is counted, whatever reads it).
    Counted::Vector<std::pair<std::size_t, std::size_t>, &keptFaceSteps> repeated;
    long long looked = 0;
    const vtkIdType points = data->GetNumberOfPoints();
    if (polys->IsStorage64Bit())
        findRepeats(FaceCorners<vtkTypeInt64>{polys->GetOffsetsArray64()->GetPointer(0), polys->GetConnectivityArray64()->GetPointer(0)},
                    static_cast<std::size_t>(faces), points, repeated, looked);
    else
        findRepeats(FaceCorners<vtkTypeInt32>{polys->GetOffsetsArray32()->GetPointer(0), polys->GetConnectivityArray32()->GetPointer(0)},
                    static_cast<std::size_t>(faces), points, repeated, looked);
    if (probes)
        *probes = looked;
    const long long repeats = static_cast<long long>(repeated.size());
    if (repeats == 0)
        return 0;

    // The faces' own values: a repeat is left out only when its values are its first face's.
    vtkCellData* values = data->GetCellData();
    const vtkIdType before = data->GetNumberOfVerts() + data->GetNumberOfLines(); // the faces' first cell id
    const int arrays = values ? values->GetNumberOfArrays() : 0;
    for (int a = 0; a < arrays; ++a) {
        vtkDataArray* array = values->GetArray(a);
        if (!array) {
            problem = "its faces repeat others exactly, and hold values that are not numbers";
            return 0;
        }
        std::vector<double> x(static_cast<size_t>(array->GetNumberOfComponents())), y(x.size());
        for (const auto& [f, first] : repeated) {
            array->GetTuple(before + static_cast<vtkIdType>(first), x.data());
            array->GetTuple(before + static_cast<vtkIdType>(f), y.data());
            for (size_t k = 0; k < x.size(); ++k)
                if (!(x[k] == y[k] || (std::isnan(x[k]) && std::isnan(y[k])))) {
                    const char* name = array->GetName();
                    problem = "faces " + std::to_string(first) + " and " + std::to_string(f) +
                              " have the same corners but different values" +
                              (name && *name ? " of \"" + Vexil::printableText(name) + "\"" : std::string());
                    return 0;
                }
        }
    }

    // Whether face f is left out: the repeats are in face order, so one pass follows them.
    size_t next = 0;
    auto leftOut = [&](size_t f) {
        if (next < repeated.size() && repeated[next].first == f) {
            ++next;
            return true;
        }
        return false;
    };
    vtkNew<vtkCellArray> unique;
    unique->AllocateExact(faces - repeats, polys->GetNumberOfConnectivityIds());
    {
        auto it = vtk::TakeSmartPointer(polys->NewIterator());
        size_t f = 0;
        for (it->GoToFirstCell(); !it->IsDoneWithTraversal(); it->GoToNextCell(), ++f) {
            if (leftOut(f))
                continue;
            vtkIdType n = 0;
            const vtkIdType* ids = nullptr;
            it->GetCurrentCell(n, ids);
            unique->InsertNextCell(n, ids);
        }
    }
    if (arrays > 0) {
        // Cells are numbered vertices, lines, faces, strips: the values of all but the
        // faces left out move down.
        next = 0;
        vtkNew<vtkCellData> moved;
        const vtkIdType cells = data->GetNumberOfCells();
        moved->CopyAllocate(values, cells - repeats);
        vtkIdType to = 0;
        for (vtkIdType from = 0; from < cells; ++from) {
            const vtkIdType face = from - before;
            if (face >= 0 && face < faces && leftOut(static_cast<size_t>(face)))
                continue;
            moved->CopyData(values, from, to++);
        }
        moved->Squeeze();
        data->SetPolys(unique);
        data->GetCellData()->ShallowCopy(moved);
    } else {
        data->SetPolys(unique);
    }
    return repeats;
}

} // namespace mrmlmodelfile
