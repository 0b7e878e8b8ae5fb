#include "MRMLModelFileChecks.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <limits>
#include <string_view>
#include <vector>

namespace {

template <class Number>
bool parseNumber(std::string_view text, Number& value)
{
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return result.ec == std::errc() && result.ptr == end;
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

} // namespace

namespace mrmlmodelfile {

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
            for (size_t k = 1; k <= needed; ++k)
                if (k >= w.size() || !parseNumber(w[k], value)) {
                    problem = "a \"" + std::string(w[0]) + "\" line does not hold its numbers";
                    return false;
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
    while (pos < bytes.size() && !ended) {
        size_t end = bytes.find('\n', pos);
        if (end == std::string::npos)
            return "its header is not complete";
        const auto w = words(std::string_view(bytes.data() + pos, end - pos));
        pos = end + 1;
        if (w.empty())
            continue;
        if (w[0] == "end_header") {
            ended = true;
        } else if (w[0] == "format" && w.size() >= 2) {
            format = w[1] == "ascii" ? 0 : w[1] == "binary_little_endian" ? 1 : w[1] == "binary_big_endian" ? 2 : -1;
        } else if (w[0] == "element" && w.size() >= 3) {
            Element e;
            e.name = std::string(w[1]);
            if (!parseNumber(w[2], e.count) || e.count < 0)
                return "its header gives a bad element count";
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
            elements.back().properties.push_back(p);
        } else if (w[0] != "ply" && w[0] != "comment" && w[0] != "obj_info") {
            return "its header is damaged";
        }
    }
    if (!ended || format < 0)
        return "its header is damaged";
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
        // Words are parted by blanks and tabs only, as VTK's reader parts them.
        lineWords.clear();
        const char* p = data;
        while (p < end) {
            while (p < end && (*p == ' ' || *p == '\t' || *p == '\r'))
                ++p;
            const char* start = p;
            while (p < end && *p != ' ' && *p != '\t' && *p != '\r')
                ++p;
            if (p > start)
                lineWords.emplace_back(start, static_cast<size_t>(p - start));
        }
        wordIndex = 0;
        data = end < last ? end + 1 : last;
    };
    // One value, as a whole number when it is one (floats are only skipped).
    auto next = [&](int size, bool isSigned, bool isFloat, long long& value) -> bool {
        if (format == 0) {
            if (wordIndex >= lineWords.size())
                return false;
            const std::string_view word = lineWords[wordIndex++];
            if (isFloat) {
                double d = 0;
                return parseNumber(word, d);
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
                    if (!next(p.itemSize, p.itemSigned, p.itemFloat, value))
                        return "it is truncated or damaged";
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
std::string legacyVtkProblem(const std::string& bytes)
{
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
    // `count` values of `size` bytes (binary, big-endian) or words (ASCII); kept as whole
    // numbers in `out` when asked for.
    auto values = [&](long long count, int size, std::vector<long long>* out) {
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
            if (out ? !parseNumber(word, v) : !parseNumber(word, real))
                return false; // a word short, VTK's reader goes on with the next keyword
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
                const int size = typeSize(lower(d));
                if (!size)
                    return std::string(); // a kind of array this check does not size: VTK reads on
                startData();
                if (!parseNumber(b, components) || !parseNumber(c, tuples) || components < 0 || tuples < 0 ||
                    (tuples && components > std::numeric_limits<long long>::max() / tuples) ||
                    !values(components * tuples, size, nullptr))
                    return "its field data is damaged or truncated";
            }
        } else if (k == "points") {
            if (!nextWord(a) || !nextWord(b))
                return "it is truncated";
            const int size = typeSize(lower(b));
            startData();
            if (!parseNumber(a, points) || points < 0 || !size || points > std::numeric_limits<long long>::max() / 3 ||
                !values(points * 3, size, nullptr))
                return "its points are damaged or truncated";
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
            if (!nextWord(a) || keyword(a) != "connectivity" || !nextWord(b))
                return "a cell list is damaged";
            startData();
            if (!values(second, typeSize(lower(b)), nullptr))
                return "a cell list is damaged or truncated";
        } else if (k == "metadata") {
            return std::string(); // array information follows; the cells were checked before it
        } else {
            break; // point and cell data follow the cells
        }
    }
    return std::string();
}


} // namespace mrmlmodelfile
