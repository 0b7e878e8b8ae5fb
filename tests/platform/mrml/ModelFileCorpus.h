#pragma once
// A corpus of damaged model files made from sound ones: every number of a VTK XML file's
// markup and of its arrays' block headers replaced by hostile values, deep nesting,
// truncations and changed bytes. Deterministic, so that a failure can be replayed.

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace ModelFileCorpus {

struct Sample
{
    std::string name; // file name, with the model file's extension
    std::string bytes;
};

inline const std::vector<std::uint64_t>& hostileNumbers()
{
    static const std::vector<std::uint64_t> numbers = {0,          1,          2,           255,
                                                       0x7fffffff, 0xffffffff, 0x100000000, 1ull << 62,
                                                       ~0ull};
    return numbers;
}

inline std::string base64(const std::string& bytes)
{
    static const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (size_t i = 0; i < bytes.size(); i += 3) {
        unsigned v = static_cast<unsigned char>(bytes[i]) << 16;
        if (i + 1 < bytes.size())
            v |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        if (i + 2 < bytes.size())
            v |= static_cast<unsigned char>(bytes[i + 2]);
        out += alphabet[(v >> 18) & 63];
        out += alphabet[(v >> 12) & 63];
        out += i + 1 < bytes.size() ? alphabet[(v >> 6) & 63] : '=';
        out += i + 2 < bytes.size() ? alphabet[v & 63] : '=';
    }
    return out;
}

inline std::string unbase64(const std::string& text)
{
    std::string out;
    unsigned v = 0;
    int bits = 0;
    for (char c : text) {
        int d = c >= 'A' && c <= 'Z'   ? c - 'A'
                : c >= 'a' && c <= 'z' ? c - 'a' + 26
                : c >= '0' && c <= '9' ? c - '0' + 52
                : c == '+'             ? 62
                : c == '/'             ? 63
                                       : -1;
        if (d < 0)
            continue;
        v = (v << 6) | static_cast<unsigned>(d);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out += static_cast<char>((v >> bits) & 0xff);
        }
    }
    return out;
}

inline std::string littleEndian(std::uint64_t value, int size)
{
    std::string out;
    for (int k = 0; k < size; ++k)
        out += static_cast<char>((value >> (8 * k)) & 0xff);
    return out;
}

// Every attribute value that is a number, replaced by each hostile number and by -1.
inline void numericAttributes(const std::string& name, const std::string& file, std::vector<Sample>& out)
{
    size_t pos = 0;
    int index = 0;
    while ((pos = file.find("=\"", pos)) != std::string::npos) {
        const size_t start = pos + 2;
        const size_t end = file.find('"', start);
        if (end == std::string::npos)
            break;
        pos = end;
        const std::string value = file.substr(start, end - start);
        if (value.empty() || value.find_first_not_of("0123456789 ") != std::string::npos)
            continue;
        ++index;
        std::vector<std::string> replacements = {"-1", "-9223372036854775808"};
        for (std::uint64_t n : hostileNumbers())
            replacements.push_back(std::to_string(n));
        for (size_t r = 0; r < replacements.size(); ++r) {
            std::string bytes = file;
            bytes.replace(start, end - start, replacements[r]);
            out.push_back({name + "-attribute" + std::to_string(index) + "-" + std::to_string(r) + ".vtp", bytes});
        }
    }
}

// Each word of the block header of every inline base64 array (the first run of its
// text), replaced by each hostile number.
inline void inlineHeaders(const std::string& name, const std::string& file, int headerSize, bool compressed,
                          std::vector<Sample>& out)
{
    size_t pos = 0;
    int array = 0;
    while ((pos = file.find("format=\"binary\"", pos)) != std::string::npos) {
        const size_t start = file.find('>', pos) + 1;
        const size_t end = file.find('<', start);
        pos = end;
        const size_t first = file.find_first_not_of(" \n", start);
        if (first >= end)
            continue;
        const std::string text = file.substr(first, end - first);
        const size_t last = text.find_last_not_of(" \n");
        // The header is its own run in a compressed file; otherwise it leads the one run.
        const size_t runEnd = compressed ? text.find('=') : last;
        const std::string run = text.substr(0, runEnd == std::string::npos ? last + 1 : runEnd + 1);
        const std::string header = unbase64(run);
        const size_t words = compressed ? header.size() / static_cast<size_t>(headerSize) : 1;
        ++array;
        for (size_t w = 0; w < words; ++w) {
            for (std::uint64_t n : hostileNumbers()) {
                std::string changed = header;
                changed.replace(w * static_cast<size_t>(headerSize), static_cast<size_t>(headerSize),
                                littleEndian(n, headerSize));
                std::string bytes = file;
                bytes.replace(first, run.size(), base64(changed));
                out.push_back({name + "-array" + std::to_string(array) + "-word" + std::to_string(w) + "-" +
                                   std::to_string(n) + ".vtp",
                               bytes});
            }
        }
    }
}

// Words at each 4-byte step of the first bytes of raw appended data, replaced.
inline void appendedWords(const std::string& name, const std::string& file, std::vector<Sample>& out)
{
    const size_t start = file.find('_', file.find("<AppendedData")) + 1;
    for (size_t at = start; at + 8 <= file.size() && at < start + 640; at += 4) {
        for (std::uint64_t n : {0ull, 0xffffffffull, 0x7fffffffull, 1ull << 40}) {
            std::string bytes = file;
            bytes.replace(at, 4, littleEndian(n, 4));
            out.push_back({name + "-word" + std::to_string(at - start) + "-" + std::to_string(n) + ".vtp", bytes});
        }
    }
}

// Cut at many lengths, and bytes changed at random (seeded).
inline void truncatedAndChanged(const std::string& name, const std::string& ext, const std::string& file,
                                std::vector<Sample>& out, int changes)
{
    for (size_t length = 0; length < file.size(); length += std::max<size_t>(1, file.size() / 40))
        out.push_back({name + "-cut" + std::to_string(length) + ext, file.substr(0, length)});
    std::mt19937 random(static_cast<unsigned>(file.size()));
    for (int i = 0; i < changes; ++i) {
        std::string bytes = file;
        // Mostly a few bytes anywhere; every tenth file many in its head, where readers
        // tell text from binary.
        const bool head = i % 10 == 9;
        for (int k = 0; k < (head ? 24 : 1 + i % 4); ++k)
            bytes[random() % (head ? std::min<size_t>(bytes.size(), 256) : bytes.size())] =
                static_cast<char>(random() & 0xff);
        out.push_back({name + "-changed" + std::to_string(i) + ext, bytes});
    }
}

// Elements nested `depth` deep inside the first piece.
inline Sample nested(const std::string& name, const std::string& file, int depth)
{
    std::string open, close;
    for (int i = 0; i < depth; ++i) {
        open += "<a>";
        close += "</a>";
    }
    std::string bytes = file;
    const size_t piece = bytes.find('>', bytes.find("<Piece")) + 1;
    bytes.insert(piece, open + close);
    return {name + "-nested" + std::to_string(depth) + ".vtp", bytes};
}

} // namespace ModelFileCorpus
