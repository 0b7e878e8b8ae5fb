#include "vtkMRMLAnnotationTextDisplayNode.h"

#include <mrml/MRMLXMLHelpers.h>

#include <vtkObjectFactory.h>

#include <algorithm>
#include <cmath>
#include <ostream>
#include <vector>

vtkStandardNewMacro(vtkMRMLAnnotationTextDisplayNode);

void vtkMRMLAnnotationTextDisplayNode::PrintSelf(ostream& os, vtkIndent indent)
{
    Superclass::PrintSelf(os, indent);
    os << indent << "Text scale: (" << TextScale << ")\n";
    os << indent << "UseLineWrap: " << UseLineWrap << "\n";
    os << indent << "MaxCharactersPerLine: " << MaxCharactersPerLine << "\n";
    os << indent << "ShowBorder: " << ShowBorder << "\n";
    os << indent << "ShowLeader: " << ShowLeader << "\n";
    os << indent << "ShowArrowHead: " << ShowArrowHead << "\n";
    os << indent << "UseThreeDimensionalLeader: " << UseThreeDimensionalLeader << "\n";
    os << indent << "LeaderGlyphSize: " << LeaderGlyphSize << "\n";
    os << indent << "MaximumLeaderGlyphSize: " << MaximumLeaderGlyphSize << "\n";
    os << indent << "Padding: " << Padding << "\n";
    os << indent << "AttachEdgeOnly: " << AttachEdgeOnly << "\n";
}

void vtkMRMLAnnotationTextDisplayNode::WriteXML(ostream& of, int indent)
{
    Superclass::WriteXML(of, indent);
    auto flag = [&](const char* key, int v) { of << " " << key << "=\"" << (v ? "true" : "false") << "\""; };
    of << " textScale=\"" << mrmlxml::formatDoubles(&TextScale, 1) << "\"";
    flag("useLineWrap", UseLineWrap);
    of << " maxCharactersPerLine=\"" << MaxCharactersPerLine << "\"";
    flag("showBorder", ShowBorder);
    flag("showLeader", ShowLeader);
    flag("showArrowHead", ShowArrowHead);
    flag("useThreeDimensionalLeader", UseThreeDimensionalLeader);
    of << " leaderGlyphSize=\"" << mrmlxml::formatDoubles(&LeaderGlyphSize, 1) << "\"";
    of << " maximumLeaderGlyphSize=\"" << MaximumLeaderGlyphSize << "\"";
    of << " padding=\"" << Padding << "\"";
    flag("attachEdgeOnly", AttachEdgeOnly);
}

void vtkMRMLAnnotationTextDisplayNode::ReadXMLAttributes(const char** atts)
{
    int wasModifying = StartModify();
    Superclass::ReadXMLAttributes(atts);
    auto isTrue = [](const char* v) { return std::string(v) == "true" ? 1 : 0; };
    // Numbers from a file are range-checked like the setters do: a scene file may hold
    // anything, and zero characters per line would make wrapping endless.
    auto clampedInt = [](const char* v, long long lo, long long hi) {
        return static_cast<long long>(std::clamp<long long>(std::atoll(v), lo, hi));
    };
    for (int i = 0; atts && atts[i] && atts[i + 1]; i += 2) {
        const std::string key = atts[i];
        const char* value = atts[i + 1];
        if (key == "textScale")
            mrmlxml::parseDoubles(value, &TextScale, 1);
        else if (key == "useLineWrap")
            UseLineWrap = isTrue(value);
        else if (key == "maxCharactersPerLine")
            MaxCharactersPerLine = static_cast<unsigned int>(clampedInt(value, 1, 0x7fffffff));
        else if (key == "showBorder")
            ShowBorder = isTrue(value);
        else if (key == "showLeader")
            ShowLeader = isTrue(value);
        else if (key == "showArrowHead")
            ShowArrowHead = isTrue(value);
        else if (key == "useThreeDimensionalLeader")
            UseThreeDimensionalLeader = isTrue(value);
        else if (key == "leaderGlyphSize") {
            double v = LeaderGlyphSize;
            if (mrmlxml::parseDoubles(value, &v, 1) == 1 && !std::isnan(v))
                LeaderGlyphSize = std::clamp(v, 0.0, 0.1);
        } else if (key == "maximumLeaderGlyphSize")
            MaximumLeaderGlyphSize = static_cast<int>(clampedInt(value, 1, 1000));
        else if (key == "padding")
            Padding = static_cast<int>(clampedInt(value, 0, 50));
        else if (key == "attachEdgeOnly")
            AttachEdgeOnly = isTrue(value);
    }
    Modified();
    EndModify(wasModifying);
}

void vtkMRMLAnnotationTextDisplayNode::Copy(vtkMRMLNode* anode)
{
    int wasModifying = StartModify();
    Superclass::Copy(anode);
    if (auto* node = vtkMRMLAnnotationTextDisplayNode::SafeDownCast(anode)) {
        SetTextScale(node->TextScale);
        SetUseLineWrap(node->UseLineWrap);
        SetMaxCharactersPerLine(node->MaxCharactersPerLine);
        SetShowBorder(node->ShowBorder);
        SetShowLeader(node->ShowLeader);
        SetShowArrowHead(node->ShowArrowHead);
        SetUseThreeDimensionalLeader(node->UseThreeDimensionalLeader);
        SetLeaderGlyphSize(node->LeaderGlyphSize);
        SetMaximumLeaderGlyphSize(node->MaximumLeaderGlyphSize);
        SetPadding(node->Padding);
        SetAttachEdgeOnly(node->AttachEdgeOnly);
    }
    EndModify(wasModifying);
}

void vtkMRMLAnnotationTextDisplayNode::CreateBackup()
{
    StoreBackup();
}

void vtkMRMLAnnotationTextDisplayNode::RestoreBackup()
{
    if (!CopyBackupBack())
        vtkErrorMacro("RestoreBackup - could not get the attached backup:" << (GetID() ? GetID() : ""));
}

std::string vtkMRMLAnnotationTextDisplayNode::GetLineWrappedText(const std::string& text)
{
    const size_t n = std::max(1u, MaxCharactersPerLine);
    std::string result;
    if (text.find(' ') == std::string::npos) {
        for (size_t pos = 0; pos < text.size(); pos += n) {
            if (pos)
                result += '\n';
            result += text.substr(pos, n);
        }
        return result;
    }
    std::vector<std::string> words;
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t start = text.find_first_not_of(' ', pos);
        if (start == std::string::npos)
            break;
        size_t end = text.find(' ', start);
        if (end == std::string::npos)
            end = text.size();
        words.push_back(text.substr(start, end - start));
        pos = end;
    }
    auto dropBlank = [&] {
        if (!result.empty() && result.back() == ' ')
            result.pop_back();
    };
    size_t room = n;
    for (const std::string& word : words) {
        const size_t len = word.size();
        if (len + 1 <= room) {
            result += word;
            result += ' ';
            room -= len + 1;
        } else if (len == room) {
            result += word;
            result += '\n';
            room = n;
        } else if (len <= n) {
            dropBlank();
            result += '\n';
            result += word;
            room = n - len;
            if (room > 0) {
                result += ' ';
                --room;
            }
        } else {
            dropBlank();
            result += '\n';
            for (size_t p = 0; p < len; p += n) {
                const std::string piece = word.substr(p, n);
                if (p + n < len) {
                    result += piece;
                    result += '\n';
                } else {
                    result += piece;
                    if (piece.size() < n) {
                        result += ' ';
                        room = n - piece.size() - 1;
                    } else {
                        room = 0;
                    }
                }
            }
        }
    }
    if (!result.empty() && result.back() == '\n')
        result.pop_back();
    if (!result.empty() && result.back() == ' ')
        result.pop_back();
    // A first word too long for its line would open the text with an empty line.
    if (!result.empty() && result.front() == '\n')
        result.erase(0, 1);
    return result;
}
