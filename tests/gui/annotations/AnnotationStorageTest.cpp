#include "AnnotationTestHelpers.h"

#include <support/ConsoleCapture.h>
#include <support/SmallDisk.h>
#include <support/StepCount.h>
#include <support/WorkCount.h>

#include <vtkMRMLAnnotationFiducialNode.h>
#include <vtkMRMLAnnotationFiducialsStorageNode.h>
#include <vtkMRMLAnnotationLineDisplayNode.h>
#include <vtkMRMLAnnotationLinesStorageNode.h>
#include <vtkMRMLAnnotationPointDisplayNode.h>
#include <vtkMRMLAnnotationROINode.h>
#include <vtkMRMLAnnotationRulerNode.h>
#include <vtkMRMLAnnotationRulerStorageNode.h>
#include <vtkMRMLAnnotationTextDisplayNode.h>
#include <vtkMRMLAnnotationTextNode.h>

#include <mrml/vtkMRMLScene.h>

#include <vtkNew.h>

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <locale>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

using namespace AnnotationTest;

namespace {

class AnnotationStorage : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Dir.isValid());
        Scene->SetRootDirectory(Dir.path().toLocal8Bit().constData());
    }
    // Hands the files a test wrote to the fuzz script as seeds.
    void TearDown() override
    {
        for (const QFileInfo& file : QDir(Dir.path()).entryInfoList(QDir::Files)) {
            const std::string kind = file.suffix() == "fcsv" ? "fcsv" : "acsv";
            const std::string seeds = fuzzSeedDir(kind);
            if (!seeds.empty())
                QFile::copy(file.filePath(), QString::fromStdString(seeds + "/")
                                                 + ::testing::UnitTest::GetInstance()->current_test_info()->name()
                                                 + "_" + file.fileName());
        }
    }
    std::string path(const std::string& name) const { return Dir.path().toStdString() + "/" + name; }

    template <class T>
    vtkSmartPointer<T> makeNode(vtkMRMLScene* scene = nullptr)
    {
        auto node = vtkSmartPointer<T>::New();
        node->Initialize(scene ? scene : Scene.GetPointer());
        return node;
    }

    vtkSmartPointer<vtkMRMLStorageNode> storageFor(vtkMRMLAnnotationNode* node, const std::string& file)
    {
        auto storage = vtkSmartPointer<vtkMRMLStorageNode>::Take(node->CreateDefaultStorageNode());
        // File names are relative to the scene's folder.
        storage->SetScene(node->GetScene());
        storage->SetFileName(file.c_str());
        return storage;
    }

    QTemporaryDir Dir;
    vtkNew<vtkMRMLScene> Scene;
};

vtkSmartPointer<vtkMRMLAnnotationRulerNode> knownRuler(vtkMRMLScene* scene)
{
    auto ruler = vtkSmartPointer<vtkMRMLAnnotationRulerNode>::New();
    ruler->SetPosition1(10, 20, 30);
    ruler->SetPosition2(40, 20, 30);
    ruler->Initialize(scene);
    ruler->SetName("M");
    ruler->SetSelected(1);
    ruler->GetAnnotationTextDisplayNode()->SetColor(1, 1, 1);
    ruler->GetAnnotationTextDisplayNode()->SetSelectedColor(1, 0.5, 0.5);
    ruler->GetAnnotationPointDisplayNode()->SetGlyphType(1);
    return ruler;
}

const char* const KnownRulerFile =
    "# Annotation file ruler.acsv\n"
    "# Name = M\n"
    "# textVisibility = 1\n"
    "# textColor = 1,1,1\n"
    "# textSelectedColor = 1,0.5,0.5\n"
    "# textOpacity = 1\n"
    "# textAmbient = 0\n"
    "# textDiffuse = 1\n"
    "# textSpecular = 0\n"
    "# textPower = 1\n"
    "# textScale = 4.5\n"
    "# textColumns = type|annotation|sel|vis\n"
    "# pointNumberingScheme = 0\n"
    "# pointVisibility = 1\n"
    "# pointColor = 0.7373,0.2549,0.1098\n"
    "# pointSelectedColor = 0.2667,0.6745,0.3922\n"
    "# pointOpacity = 1\n"
    "# pointAmbient = 0\n"
    "# pointDiffuse = 1\n"
    "# pointSpecular = 0\n"
    "# pointPower = 1\n"
    "# pointGlyphScale = 5\n"
    "# pointGlyphType = 1\n"
    "# pointColumns = type|x|y|z|sel|vis\n"
    "point|10|20|30|1|1\n"
    "point|40|20|30|1|1\n"
    "# lineVisibility = 1\n"
    "# lineColor = 0.7373,0.2549,0.1098\n"
    "# lineSelectedColor = 0.2667,0.6745,0.3922\n"
    "# lineOpacity = 1\n"
    "# lineAmbient = 0\n"
    "# lineDiffuse = 1\n"
    "# lineSpecular = 0\n"
    "# linePower = 1\n"
    "# lineLineThickness = 1\n"
    "# lineColumns = type|startPointID|endPointID|sel|vis\n"
    "line|0|1|1|1\n"
    "# rulerDistanceAnnotationFormat = %.0f mm\n"
    "# rulerColumns = type|line1ID|sel|vis\n"
    "ruler|0|1|1\n";

// What a reader must restore: texts, points, lines and their flags, name and display values.
std::string describe(vtkMRMLAnnotationNode* node)
{
    std::ostringstream os;
    os.precision(17);
    os << "name=" << (node->GetName() ? node->GetName() : "") << "\n";
    for (int i = 0; i < node->GetNumberOfTexts(); ++i)
        os << "text " << node->GetText(i) << " " << node->GetAnnotationAttribute(i, 0) << node->GetAnnotationAttribute(i, 1) << "\n";
    if (auto* cp = vtkMRMLAnnotationControlPointsNode::SafeDownCast(node)) {
        os << "scheme " << cp->GetNumberingScheme() << "\n";
        for (int i = 0; i < cp->GetNumberOfControlPoints(); ++i) {
            const double* p = cp->GetControlPointCoordinates(i);
            os << "point " << p[0] << " " << p[1] << " " << p[2] << " " << cp->GetAnnotationAttribute(i, 2)
               << cp->GetAnnotationAttribute(i, 3) << "\n";
        }
        if (auto* d = cp->GetAnnotationPointDisplayNode())
            os << "glyph " << d->GetGlyphType() << " " << d->GetGlyphScale() << " " << d->GetOpacity() << " "
               << d->GetColor()[0] << "\n";
    }
    if (auto* lines = vtkMRMLAnnotationLinesNode::SafeDownCast(node)) {
        for (int i = 0; i < lines->GetNumberOfLines(); ++i) {
            vtkIdType ids[2] = {-1, -1};
            lines->GetEndPointsId(i, ids);
            os << "line " << ids[0] << "-" << ids[1] << " " << lines->GetAnnotationAttribute(i, 4)
               << lines->GetAnnotationAttribute(i, 5) << "\n";
        }
        if (auto* d = lines->GetAnnotationLineDisplayNode())
            os << "thickness " << d->GetLineThickness() << " " << d->GetSelectedColor()[2] << "\n";
    }
    if (auto* ruler = vtkMRMLAnnotationRulerNode::SafeDownCast(node))
        os << "format " << ruler->GetDistanceAnnotationFormat() << " sel " << ruler->GetSelected() << " vis "
           << ruler->GetDisplayVisibility() << "\n";
    if (auto* d = node->GetAnnotationTextDisplayNode())
        os << "textscale " << d->GetTextScale() << " " << d->GetSpecular() << " " << d->GetVisibility() << "\n";
    return os.str();
}

} // namespace

TEST_F(AnnotationStorage, RulerFileIsExactAndReadsBack)
{
    auto ruler = knownRuler(Scene);
    auto storage = storageFor(ruler, "ruler.acsv");
    ASSERT_EQ(storage->WriteData(ruler), 1);
    EXPECT_EQ(readFile(path("ruler.acsv")), KnownRulerFile);

    vtkNew<vtkMRMLScene> other;
    other->SetRootDirectory(Scene->GetRootDirectory());
    auto back = makeNode<vtkMRMLAnnotationRulerNode>(other);
    back->SetDistanceAnnotationFormat("other");
    auto reader = storageFor(back, "ruler.acsv");
    ASSERT_EQ(reader->ReadData(back), 1);
    EXPECT_EQ(describe(back), describe(ruler));

    // A ".txt" name is written and read the same way.
    auto txt = storageFor(ruler, "ruler.txt");
    ASSERT_EQ(txt->WriteData(ruler), 1);
    std::string expected = KnownRulerFile;
    expected.replace(expected.find("ruler.acsv"), 10, "ruler.txt");
    EXPECT_EQ(readFile(path("ruler.txt")), expected);
}

TEST_F(AnnotationStorage, FiducialROIAndTextReadBackIdentically)
{
    auto fiducial = makeNode<vtkMRMLAnnotationFiducialNode>();
    fiducial->SetFiducialCoordinates(0.1, -1.0 / 3.0, 1e-9);
    fiducial->SetFiducialLabel("F-1");
    fiducial->SetName("fid");
    fiducial->GetAnnotationPointDisplayNode()->SetGlyphScale(2.125);
    fiducial->SetNumberingScheme(1);

    auto roi = makeNode<vtkMRMLAnnotationROINode>();
    roi->SetXYZ(1.25, 2.5, -3.75);
    roi->SetRadiusXYZ(123456.789012345, 0.000123, 7);
    roi->GetAnnotationLineDisplayNode()->SetLineThickness(2.75);

    auto text = makeNode<vtkMRMLAnnotationTextNode>();
    text->SetTextLabel("a caption with | a bar,\na line break and a back\\slash");
    const double anchor[3] = {5, 6, 7};
    text->SetTextCoordinates(anchor);
    text->SetCaptionCoordinates(0.25, 0.75);
    text->GetAnnotationTextDisplayNode()->SetTextScale(3.3);

    int i = 0;
    for (vtkMRMLAnnotationNode* node : {static_cast<vtkMRMLAnnotationNode*>(fiducial), static_cast<vtkMRMLAnnotationNode*>(roi),
                                        static_cast<vtkMRMLAnnotationNode*>(text)}) {
        SCOPED_TRACE(node->GetClassName());
        const std::string file = "node" + std::to_string(i++) + ".acsv";
        ASSERT_EQ(storageFor(node, file)->WriteData(node), 1);
        vtkNew<vtkMRMLScene> other;
        other->SetRootDirectory(Scene->GetRootDirectory());
        auto back = vtkSmartPointer<vtkMRMLAnnotationNode>::Take(
            vtkMRMLAnnotationNode::SafeDownCast(node->CreateNodeInstance()));
        back->Initialize(other);
        if (auto* lines = vtkMRMLAnnotationLinesNode::SafeDownCast(back))
            lines->ResetAnnotations();
        ASSERT_EQ(storageFor(back, file)->ReadData(back), 1);
        EXPECT_EQ(describe(back), describe(node));
    }
    EXPECT_NE(readFile(path("node2.acsv")).find("text|a caption with \\| a bar,\\na line break and a back\\\\slash|1|1\n"),
              std::string::npos);
    EXPECT_NE(readFile(path("node2.acsv")).find("\n# Escaped = 1\n"), std::string::npos);
}

TEST_F(AnnotationStorage, IncompleteRulerReadsBack)
{
    auto ruler = makeNode<vtkMRMLAnnotationRulerNode>();
    ruler->SetPosition1(1, 2, 3);
    ruler->AddText("half", 1, 1);
    ASSERT_EQ(storageFor(ruler, "half.acsv")->WriteData(ruler), 1);
    EXPECT_EQ(readFile(path("half.acsv")).find("ruler|"), std::string::npos);
    auto back = makeNode<vtkMRMLAnnotationRulerNode>();
    ASSERT_EQ(storageFor(back, "half.acsv")->ReadData(back), 1);
    EXPECT_EQ(describe(back), describe(ruler));
}

TEST_F(AnnotationStorage, ReadEventGoesToTheAnnotationNode)
{
    auto ruler = knownRuler(Scene);
    auto storage = storageFor(ruler, "event.acsv");
    ASSERT_EQ(storage->WriteData(ruler), 1);
    int count = 0;
    vtkNew<vtkCallbackCommand> cmd;
    cmd->SetClientData(&count);
    cmd->SetCallback([](vtkObject*, unsigned long, void* c, void*) { ++*static_cast<int*>(c); });
    ruler->AddObserver(vtkMRMLScene::NodeAddedEvent, cmd);
    ASSERT_EQ(storage->ReadData(ruler), 1);
    EXPECT_EQ(count, 1);
}

TEST_F(AnnotationStorage, LinesOfAnyLengthAreRead)
{
    auto fiducial = makeNode<vtkMRMLAnnotationFiducialNode>();
    fiducial->SetFiducialCoordinates(1, 2, 3);
    const std::string longText(5000, 'L');
    fiducial->SetFiducialLabel(longText.c_str());
    ASSERT_EQ(storageFor(fiducial, "long.acsv")->WriteData(fiducial), 1);

    // A long comment line in the middle must not end the reading before the points.
    std::string content = readFile(path("long.acsv"));
    content.insert(content.find("# pointColumns"), "# " + std::string(3000, 'c') + "\n");
    writeFile(path("long.acsv"), content);

    auto back = makeNode<vtkMRMLAnnotationFiducialNode>();
    auto storage = storageFor(back, "long.acsv");
    ASSERT_EQ(storage->ReadData(back), 1);
    EXPECT_EQ(back->GetFiducialLabel(), longText);
    double p[3];
    ASSERT_TRUE(back->GetFiducialCoordinates(p));
    EXPECT_EQ(p[2], 3);
}

TEST_F(AnnotationStorage, BadFilesAreRejectedAndChangeNothing)
{
    auto ruler = knownRuler(Scene);
    ruler->AddText("keep me", 1, 1);
    const std::string before = describe(ruler);
    ASSERT_EQ(storageFor(ruler, "good.acsv")->WriteData(ruler), 1);
    const std::string good = readFile(path("good.acsv"));
    // The fiducial list reader's files: one written from a fiducial, and one read into a
    // fiducial that has no scene, and so no text display node.
    const auto fiducialStorage = [this](const std::string& file) {
        auto storage = vtkSmartPointer<vtkMRMLAnnotationFiducialsStorageNode>::New();
        storage->SetScene(Scene);
        storage->SetFileName(file.c_str());
        return storage;
    };
    auto fiducial = makeNode<vtkMRMLAnnotationFiducialNode>();
    fiducial->SetFiducialCoordinates(1.5, -2, 3);
    fiducial->SetFiducialLabel("F-1");
    const std::string fiducialBefore = describe(fiducial);
    ASSERT_EQ(fiducialStorage("good.fcsv")->WriteData(fiducial), 1);
    const std::string goodFiducial = readFile(path("good.fcsv"));
    vtkNew<vtkMRMLAnnotationFiducialNode> bare;

    // A case that reads (no error) says `warning` and reads as the file it was made from,
    // or holds `reads`.  A case of `many` lines is read with them and with four times
    // them: of its kind one warning, naming a few lines and counting the others, a text
    // as short at either size, and the work of the read in proportion to the file.
    enum class Reader { Ruler, Fiducial, BareFiducial };
    struct Case
    {
        std::string name;
        std::string content;
        std::string error;
        std::string warning = {};
        Reader reader = Reader::Ruler;
        std::string reads = {};
        std::function<std::string(int)> many = {};
        bool looksUpNames = false;
        double bytesPerFileByte = 0;   // at most this many allocated for each byte read; 0: any
    };
    std::string badRuler = good;
    badRuler.replace(badRuler.find("ruler|0|1|1"), 11, "ruler|5|1|1");
    std::string garbage = "\x7f" "ELF\x02\x01\x01";
    garbage += std::string(1, '\0') + "binary";
    std::vector<Case> cases = {
        {"empty", "", "holds no annotation"},
        {"truncated header", "# Annot", "holds no annotation"},
        {"header only", "# Annotation file bad.acsv\n", "holds no annotation"},
        {"garbage", garbage, "is not a text file"},
        {"text garbage", "hello world\nthis is not it\n", "holds no annotation"},
        {"infinite coordinate", "point|1|inf|3|1|1\n", "not a finite number"},
        {"NaN coordinate", good.substr(0, good.find("point|40")) + "point|nan|20|30|1|1\n",
         "not a finite number"},
        // Too large to hold, with and without an exponent.
        {"coordinate of 401 digits", good.substr(0, good.find("point|40")) + "point|1" + std::string(400, '0') + "|20|30|1|1\n",
         "not a finite number"},
        {"coordinate of 401 digits and an exponent", good.substr(0, good.find("point|40")) + "point|-1" + std::string(400, '0') + "e-5|20|30|1|1\n",
         "not a finite number"},
        {"bad ruler row", badRuler, "Error setting angle , lineID = 5"},
        {"a comment line into a fiducial without a text display node",
         "# pointColumns = type|z|y|x|sel|vis\npoint|1|2|3|0|1\n", "", "", Reader::BareFiducial,
         "point 3 2 1 01"},
    };
    // Every number of either file made no number, or followed by other text: refused,
    // naming the file, the line and the value, or read as its number with a warning naming
    // the line.
    const std::map<std::string, std::vector<std::string>> rowColumns = {
        {"text", {"annotation", "sel", "vis"}},
        {"point", {"x", "y", "z", "sel", "vis"}},
        {"line", {"startPointID", "endPointID", "sel", "vis"}},
        {"ruler", {"line1ID", "sel", "vis"}}};
    const auto isNumber = [](const std::string& text) {
        char* end = nullptr;
        std::strtod(text.c_str(), &end);
        return !text.empty() && end == text.c_str() + text.size();
    };
    for (const bool fid : {false, true}) {
        const std::string& file = fid ? goodFiducial : good;
        const std::string at = "file " + path(fid ? "bad.fcsv" : "bad.acsv") + ", line ";
        size_t lineNumber = 0;
        for (size_t start = 0; start < file.size(); start = file.find('\n', start) + 1) {
            const std::string line = file.substr(start, file.find('\n', start) - start);
            ++lineNumber;
            std::vector<std::pair<size_t, std::string>> values; // where each number begins, what it is
            const size_t equals = line.find(" = ");
            if (line.rfind("# ", 0) == 0 && equals != std::string::npos) {
                const std::string key = line.substr(2, equals - 2);
                const bool color = key.size() > 5 && key.compare(key.size() - 5, 5, "Color") == 0;
                values.push_back({equals + 3, (color ? "component 1 of " : "the value of ") + key});
            } else if (rowColumns.count(line.substr(0, line.find('|')))) {
                const std::string word = line.substr(0, line.find('|'));
                size_t bar = line.find('|');
                for (size_t k = 0; bar != std::string::npos && k < rowColumns.at(word).size(); ++k) {
                    values.push_back({bar + 1, "the " + rowColumns.at(word)[k] + " field of the " + word + " row"});
                    bar = line.find('|', bar + 1);
                }
            }
            for (const auto& v : values) {
                const size_t end = std::min(line.find_first_of(",|", v.first), line.size());
                const std::string number = line.substr(v.first, end - v.first);
                if (!isNumber(number))
                    continue;
                const std::string where = at + std::to_string(lineNumber) + ": " + v.second + " \"";
                std::string refused = file, lenient = file;
                refused.replace(start + v.first, number.size(), "x");
                lenient.insert(start + end, "x");
                const Reader reader = fid ? Reader::Fiducial : Reader::Ruler;
                // A text row's flags are the rest of a text holding a bar: read as 0, and said.
                if (v.second.find("text row") != std::string::npos)
                    cases.push_back({where + "x\"", refused, "", where + "x\" is no number and is read as 0", reader,
                                     "text " + line.substr(5, line.find('|', 5) - 5)
                                         + (v.second.find("sel") != std::string::npos ? " 01" : " 10")});
                else
                    cases.push_back({where + "x\"", refused, where + "x\" is no number", "", reader});
                cases.push_back({where + number + "x\"", lenient, "", where + number + "x\" is read as", reader});
            }
        }
    }
    // A section's columns header that does not begin with the type column, names it twice
    // or lacks one its rows need: refused at its line, whatever its rows hold.  One that
    // names a column its section does not have, or another column twice, is read with a
    // warning.
    const char* notFirst = "does not begin with the type column";
    const struct
    {
        const char* header;
        const char* damaged;
        std::string says;
        bool warns = false;
        bool fid = false;
    } headers[] = {{"textColumns", "annotation|type|sel|vis", notFirst},
                   {"pointColumns", "x|y|z|sel|vis", notFirst},
                   {"lineColumns", "", notFirst},
                   {"rulerColumns", "line1ID|type|sel|vis", notFirst},
                   {"textColumns", "type|type|annotation|sel|vis", "names the column \"type\" twice"},
                   {"textColumns", "type|annotation|sel|vis|type", "names the column \"type\" twice"},
                   {"rulerColumns", "type|line1ID|type|sel|vis", "names the column \"type\" twice"},
                   {"lineColumns", "type|startPointID|startPointID|sel|vis", "lacks the \"endPointID\" column"},
                   {"lineColumns", "type|startPointID|sel|vis", "lacks the \"endPointID\" column"},
                   {"rulerColumns", "type|sel|vis", "lacks the \"line1ID\" column"},
                   {"pointColumns", "type|x|y|sel|vis", "lacks the \"z\" column"},
                   {"textColumns", "type|annotaton|sel|vis", "lacks the \"annotation\" column"},
                   {"rulerColumns", "type|line1ID|sel|vis|note",
                    "names a column \"note\" that its section does not have; it is not read", true},
                   {"lineColumns", "type|startPointID|endPointID|sel|vis|vis",
                    "names the column \"vis\" twice; the last one is read", true},
                   {"pointColumns", "type|x|y|z|sel|vis|vis", "names the column \"vis\" twice; the last one is read",
                    true, true},
                   {"pointColumns", "", notFirst, false, true},
                   {"pointColumns", "label|y|z|sel|vis", "lacks the \"x\" column", false, true},
                   {"pointColumns", "type|x|y|sel|vis", "lacks the \"z\" column", false, true}};
    for (const auto& h : headers) {
        std::string content = h.fid ? goodFiducial : good;
        const size_t at = content.find(std::string("# ") + h.header + " = ");
        ASSERT_NE(at, std::string::npos) << h.header;
        const size_t end = content.find('\n', at);
        content.replace(at, end - at, std::string("# ") + h.header + " = " + h.damaged);
        const size_t line = size_t(std::count(content.begin(), content.begin() + long(at), '\n')) + 1;
        const std::string says =
            "line " + std::to_string(line) + ": the " + h.header + " header \"" + h.damaged + "\" " + h.says;
        cases.push_back({std::string(h.header) + " = " + h.damaged, content, h.warns ? "" : says, h.warns ? says : "",
                         h.fid ? Reader::Fiducial : Reader::Ruler});
    }
    // Values read otherwise than the file says, or not at all: read, and said at their
    // line; a coordinate that is empty, missing or no number: refused.  `reads`: what the
    // node then holds ("" for a warning row: only the name is looked at).
    const struct
    {
        const char* from;
        const char* to;
        std::string says;
        bool refused = false;
        bool fid = false;
        std::string reads = "name=M\n";
    } edits[] = {
        {"ruler|0|1|1\n", "ruler|0|1|1\nruler|0|1|0\n", "a second ruler row; it replaces the one of line ",
         false, false, "sel 1 vis 0"},
        {"point|", "point|7|8|9|1|1\npoint|4|5|6|1|1\npoint|", "a fiducial holds one point", false, true, ""},
        {"point|40|20|30|", "point|40||30|", "the y field of the point row is empty or missing", true},
        {"point|40|20|30|1|1", "point|40|20", "the z field of the point row is empty or missing", true},
        {"point|1.5|", "point||", "the x field of the point row is empty or missing", true, true},
        {"point|1.5|-2|3|1|1", "point|1.5|-2", "the z field of the point row is empty or missing", true, true},
        {"point|40|", "point|+-40|", "the x field of the point row \"+-40\" is no number", true},
        {"text|keep me|1|1", "text|keep me|2|1", "the sel field of the text row \"2\" is neither 0 nor 1"},
        {"point|40|20|30|1|1", "point|40|20|30|-1|1", "the sel field of the point row \"-1\" is neither 0 nor 1"},
        {"point|40|20|30|1|1", "point|40|20|30||1", "the sel field of the point row is empty and is read as 1"},
        {"# textVisibility = 1", "# textVisibility = 7", "the value of textVisibility \"7\" is out of its range"},
        {"# textOpacity = 1", "# textOpacity = 2", "the value of textOpacity \"2\" is out of its range and is read as 1"},
        {"# pointOpacity = 1", "# pointOpacity = -3", "the value of pointOpacity \"-3\" is out of its range and is read as 0"},
        {"# textColor = 1,1,1", "# textColor = 1,1,1,0.5", "textColor has more than 3 components"},
        {"line|0|1|", "line|0|1.5|", "the endPointID field of the line row \"1.5\" is read as 1"},
        {"# textScale = 4.5", "# textScale = 1e-400", "the value of textScale \"1e-400\" is too small for a number"},
        {"ruler|0|1|1", "ruler|0|1|1|9", "the ruler row has more fields than 4, the columns its header names"},
        {"# textColumns", "# textFoo = bar\n# textColumns", "the key \"textFoo\" is not known"}};
    for (const auto& e : edits) {
        std::string content = e.fid ? goodFiducial : good;
        const size_t at = e.from[0] == 'p' && e.fid ? content.find(std::string("\n") + e.from) + 1 : content.find(e.from);
        ASSERT_NE(at, std::string::npos) << e.from;
        content.replace(at, std::strlen(e.from), e.to);
        size_t line = size_t(std::count(content.begin(), content.begin() + long(at), '\n')) + 1;
        // A row put before the one edited is said at its own line.
        line += size_t(std::count(e.to, e.to + std::strlen(e.to), '\n') - std::count(e.from, e.from + std::strlen(e.from), '\n'))
                * (e.says.rfind("a second", 0) == 0);
        const std::string where = "file " + path(e.fid ? "bad.fcsv" : "bad.acsv")
                                  + (e.says.rfind("a fiducial", 0) == 0 ? ": " : ", line " + std::to_string(line) + ": ");
        cases.push_back({std::string(e.to), content, e.refused ? where + e.says : "", e.refused ? "" : where + e.says,
                         e.fid ? Reader::Fiducial : Reader::Ruler, e.refused ? "" : e.reads});
    }
    // A file whose lines end in CR LF reads as the one whose lines end in LF.
    std::string crlf;
    for (const char ch : good)
        crlf += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
    cases.push_back({"CR LF", crlf, "", "", Reader::Ruler});

    // Many lines of each kind read leniently, or a header of many names, put before
    // `before` in a file (at its end for "").
    const auto rows = [](const std::string& row) {
        return [row](int n) {
            std::string lines;
            for (int i = 0; i < n; ++i)
                lines += row + "\n";
            return lines;
        };
    };
    const auto header = [](const std::string& start, const std::string& name, bool numbered) {
        return [=](int n) {
            std::string line = start;
            for (int i = 0; i < n; ++i)
                line += "|" + name + (numbered ? std::to_string(i) : "");
            return line + "\n";
        };
    };
    const struct
    {
        const char* kind;
        bool fid;
        const char* before;
        std::function<std::string(int)> lines;
        const char* says;
        bool looksUpNames = false;
        double bytesPerFileByte = 0;
    } manyLines[] = {
        {"points not kept", true, "", rows("point|1|2|3|1|1"), "a fiducial holds one point"},
        {"clean points", false, "# lineVisibility", rows("point|1|2|3|1|1"), ""},
        {"number followed by text", true, "", rows("point|1mm|2|3|1|1"), "the x field of the point row \"1mm\" is read as 1"},
        {"underflow", true, "", rows("point|1e-400|2|3|1|1"), "\"1e-400\" is too small for a number"},
        {"flag other than 0 or 1", true, "", rows("point|1|2|3|2|1"), "\"2\" is neither 0 nor 1"},
        {"empty flag", false, "# lineVisibility", rows("point|1|2|3||1"), "is empty and is read as 1"},
        {"text row's flag no number", true, "", rows("text|a|x|1"), "\"x\" is no number and is read as 0"},
        {"fields beyond the header", false, "ruler|", rows("ruler|0|1|1|9"), "has more fields than 4"},
        {"second ruler row", false, "", rows("ruler|0|1|1"), "a second ruler row"},
        {"fractional end point", false, "# rulerDistance", rows("line|0|1.5|1|1"), "\"1.5\" is read as 1"},
        {"unknown key", true, "", rows("# textFoo = 1"), "the key \"textFoo\" is not known"},
        {"display value clamped", false, "# textColumns", rows("# textOpacity = 2"), "\"2\" is out of its range"},
        {"fourth colour component", true, "", rows("# pointColor = 1,1,1,0.5"), "has more than 3 components"},
        {"unknown point columns", true, "point|1.5", header("# pointColumns = type|x|y|z|sel|vis", "c", true),
         "that its section does not have", true},
        {"unknown ruler columns", false, "ruler|", header("# rulerColumns = type|line1ID|sel|vis", "c", true),
         "that its section does not have", true},
        {"repeated text column", false, "# pointNumberingScheme",
         header("# textColumns = type|annotation|sel|vis", "sel", false), "names the column \"sel\" more than once",
         true},
        // Bars with no name between them name nothing: a hundred for each line of the others.
        {"empty column names", false, "# pointNumberingScheme",
         [](int n) { return "# textColumns = type|annotation|sel|vis" + std::string(size_t(100 * n), '|') + "\n"; },
         "", true, 2}};
    for (const auto& m : manyLines) {
        Case c{std::string("many: ") + m.kind, "", "", m.says, m.fid ? Reader::Fiducial : Reader::Ruler};
        const std::string file = m.fid ? goodFiducial : good;
        c.many = [file, before = std::string(m.before), lines = m.lines](int n) {
            std::string content = file;
            return content.insert(before.empty() ? content.size() : content.find(before), lines(n));
        };
        c.looksUpNames = m.looksUpNames;
        c.bytesPerFileByte = m.bytesPerFileByte;
        cases.push_back(c);
    }
    // Read with `n` lines of the case's kind: what it said, and the work it took.
    struct ManyRead
    {
        size_t saying = 0, warnings = 0, longest = 0, fileBytes = 0;
        PelmoraTest::Work work;
        std::uint64_t names = 0, texts = 0;
    };
    const auto readMany = [&](const Case& c, vtkMRMLAnnotationNode* node, vtkMRMLStorageNode* storage, int n) {
        const std::string content = c.many(n);
        writeFile(path(c.reader == Reader::Ruler ? "bad.acsv" : "bad.fcsv"), content);
        ManyRead read;
        read.fileBytes = content.size();
        Messages messages(storage);
        const std::uint64_t names = vtkMRMLAnnotationStorageNode::GetColumnNameSteps();
        const std::uint64_t texts = vtkMRMLAnnotationStorageNode::GetMessageTextsMade();
        PelmoraTest::WorkMeter meter;
        EXPECT_EQ(storage->ReadData(node), 1) << messages.all().substr(0, 2000);
        read.work = meter.elapsed();
        read.names = vtkMRMLAnnotationStorageNode::GetColumnNameSteps() - names;
        read.texts = vtkMRMLAnnotationStorageNode::GetMessageTextsMade() - texts;
        read.warnings = messages.Warnings.size();
        for (const std::string& w : messages.Warnings) {
            read.saying += !c.warning.empty() && w.find(c.warning) != std::string::npos;
            read.longest = std::max(read.longest, w.size());
        }
        EXPECT_EQ(read.saying, c.warning.empty() ? 0u : 1u) << n << " lines; " << messages.all().substr(0, 2000);
        return read;
    };
    const int manyLineCount = 1500;

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const bool reads = c.error.empty();
        const std::string file = c.reader == Reader::Ruler ? "bad.acsv" : "bad.fcsv";
        writeFile(path(file), c.content);
        vtkMRMLAnnotationNode* node = c.reader == Reader::Ruler      ? static_cast<vtkMRMLAnnotationNode*>(ruler)
                                      : c.reader == Reader::Fiducial ? fiducial.GetPointer()
                                                                     : bare.GetPointer();
        vtkSmartPointer<vtkMRMLStorageNode> storage = storageFor(ruler, file);
        if (c.reader != Reader::Ruler)
            storage = fiducialStorage(file);
        if (c.many) {
            const ManyRead one = readMany(c, node, storage, manyLineCount);
            const ManyRead four = readMany(c, node, storage, 4 * manyLineCount);
            EXPECT_LE(four.warnings, 2u);
            EXPECT_LE(four.longest, 1500u) << "a warning of " << four.longest << " characters";
            // Texts are made for the lines named, whatever the number of lines; none when
            // nothing is said.
            EXPECT_EQ(four.texts, one.texts);
            if (c.warning.empty()) {
                EXPECT_EQ(four.texts, 0u);
            }
            if (c.looksUpNames) {
                EXPECT_TRUE(PelmoraTest::stepsGrowAtMost(one.names, four.names, 4.5)) << "names looked up";
            }
            if (PelmoraTest::workCounted()) {
                // What a read allocates follows the file's size, not the bars of a header.
                if (c.bytesPerFileByte > 0) {
                    EXPECT_LE(double(four.work.bytes), c.bytesPerFileByte * double(four.fileBytes) + 65536)
                        << PelmoraTest::describe(four.work) << " for a file of " << four.fileBytes << " bytes";
                }
                EXPECT_LE(double(four.work.allocations), 4.5 * double(one.work.allocations) + 100)
                    << PelmoraTest::describe(one.work) << ", then " << PelmoraTest::describe(four.work);
                EXPECT_LE(double(four.work.bytes), 4.5 * double(one.work.bytes) + 65536)
                    << PelmoraTest::describe(one.work) << ", then " << PelmoraTest::describe(four.work);
            }
            writeFile(path(file), c.reader == Reader::Ruler ? good : goodFiducial);
            storage->ReadData(node);
            continue;
        }
        Messages messages(storage);
        EXPECT_EQ(storage->ReadData(node), reads ? 1 : 0) << messages.all();
        if (reads) {
            // The text readers of a fiducial without a text display node say so at every
            // comment line.
            EXPECT_EQ(messages.Errors.size(), c.reader == Reader::BareFiducial ? 1u : 0u) << messages.all();
            EXPECT_TRUE(c.warning.empty() || messages.hasWarning(c.warning)) << messages.all();
        } else {
            EXPECT_TRUE(messages.hasError(c.error)) << messages.all();
        }
        // Each reason said once.
        std::vector<std::string> said = messages.Errors;
        std::sort(said.begin(), said.end());
        EXPECT_EQ(std::adjacent_find(said.begin(), said.end()), said.end()) << messages.all();
        if (!c.reads.empty())
            EXPECT_NE(describe(node).find(c.reads), std::string::npos) << describe(node);
        else
            EXPECT_EQ(describe(node), node == fiducial.GetPointer() ? fiducialBefore : before);
        // The next case starts from the good file again.
        if (reads && c.reader != Reader::BareFiducial) {
            writeFile(path(file), c.reader == Reader::Ruler ? good : goodFiducial);
            storage->ReadData(node);
        }
    }

    auto storage = vtkSmartPointer<vtkMRMLAnnotationRulerStorageNode>::New();
    storage->SetScene(Scene);
    storage->SetFileName("good.acsv");
    storage->SetMaximumFileSize(100);
    Messages messages(storage);
    EXPECT_EQ(storage->ReadData(ruler), 0);
    EXPECT_TRUE(messages.hasError("is too large")) << messages.all();
    EXPECT_EQ(describe(ruler), before);

    storage->SetFileName("missing.acsv");
    EXPECT_EQ(storage->ReadData(ruler), 0);
    EXPECT_TRUE(messages.hasError("unable to open file"));

    // Neither a named pipe nor a device is read: either would keep the reader waiting.
    ASSERT_EQ(::mkfifo(path("pipe.acsv").c_str(), 0600), 0);
    for (const std::string& name : {path("pipe.acsv"), std::string("/dev/zero")}) {
        storage->SetFileName(name.c_str());
        EXPECT_EQ(storage->ReadData(ruler), 0);
        EXPECT_TRUE(messages.hasError(name + " is not a regular file")) << messages.all();
        EXPECT_EQ(describe(ruler), before);
    }
    ::unlink(path("pipe.acsv").c_str());
}

TEST_F(AnnotationStorage, PlainFilesReadAsWrittenAndOnlyFilesThatNeedEscapesUseThem)
{
    // Written by another program: backslashes are plain characters, no first line.
    auto node = makeNode<vtkMRMLAnnotationFiducialNode>();
    auto storage = vtkSmartPointer<vtkMRMLAnnotationStorageNode>::New();
    storage->SetScene(Scene);
    storage->SetFileName("plain.acsv");
    writeFile(path("plain.acsv"), "# Name = C:\\new\\run1\n"
                                  "# textColumns = type|annotation|sel|vis\n"
                                  "text|C:\\new\\run1\\|1|1\n"
                                  "text|a \\| b|0|1\n");
    ASSERT_EQ(storage->ReadData(node), 1);
    EXPECT_STREQ(node->GetName(), "C:\\new\\run1");
    ASSERT_EQ(node->GetNumberOfTexts(), 2);
    EXPECT_EQ(node->GetText(0), "C:\\new\\run1\\");
    EXPECT_EQ(node->GetText(1), "a \\");
    EXPECT_EQ(node->GetAnnotationAttribute(1, 0), 0) << "the bar after a backslash still separates";

    // Texts the plain format can hold are written as they are, and read back the same.
    storage->SetFileName("again.acsv");
    ASSERT_EQ(storage->WriteData(node), 1);
    const std::string written = readFile(path("again.acsv"));
    EXPECT_EQ(written.find("# Escaped"), std::string::npos);
    EXPECT_NE(written.find("# Name = C:\\new\\run1\n"), std::string::npos);
    EXPECT_NE(written.find("text|C:\\new\\run1\\|1|1\n"), std::string::npos);
    auto back = makeNode<vtkMRMLAnnotationFiducialNode>();
    ASSERT_EQ(storage->ReadData(back), 1);
    EXPECT_EQ(describe(back), describe(node));

    // A text with a line break cannot be plain: the file says that it escapes its texts.
    node->SetName("two\nlines \\ here");
    ASSERT_EQ(storage->WriteData(node), 1);
    const std::string escaped = readFile(path("again.acsv"));
    EXPECT_EQ(escaped.find("# Annotation file again.acsv\n# Escaped = 1\n# Name = two\\nlines \\\\ here\n"), 0u)
        << escaped;
    EXPECT_NE(escaped.find("text|C:\\\\new\\\\run1\\\\|1|1\n"), std::string::npos) << escaped;
    auto third = makeNode<vtkMRMLAnnotationFiducialNode>();
    ASSERT_EQ(storage->ReadData(third), 1);
    EXPECT_EQ(describe(third), describe(node));
}

TEST_F(AnnotationStorage, DataNamedOnlyByAURIIsPendingAndOneRulerIsNotRead)
{
    auto ruler = knownRuler(Scene);
    const std::string before = describe(ruler);
    auto storage = vtkSmartPointer<vtkMRMLAnnotationRulerStorageNode>::New();
    storage->SetScene(Scene);
    storage->SetURI("https://example.invalid/ruler.acsv");
    Messages messages(storage);
    EXPECT_EQ(storage->ReadData(ruler), 0);
    EXPECT_TRUE(messages.hasWarning("OpenFileToRead: Read state is pending, returning.")) << messages.all();
    EXPECT_EQ(describe(ruler), before);
    std::ostringstream xml;
    storage->WriteXML(xml, 0);
    EXPECT_NE(xml.str().find(" uri=\"https://example.invalid/ruler.acsv\""), std::string::npos) << xml.str();

    std::istringstream open("ruler|0|1|1\n");
    EXPECT_EQ(storage->ReadOneRuler(open, nullptr), 0);
    EXPECT_TRUE(messages.hasError("ReadOneRuler: can't read into a null node"));
    EXPECT_EQ(storage->ReadOneRuler(open, ruler), 0);
    EXPECT_TRUE(messages.hasError("ReadOneRuler: not implemented yet!"));
    std::istringstream closed;
    closed.setstate(std::ios::failbit);
    EXPECT_EQ(storage->ReadOneRuler(closed, ruler), 0);
    EXPECT_TRUE(messages.hasError("ReadOneRuler: file isn't open"));
    storage->SetAddToScene(0);
    EXPECT_EQ(storage->ReadOneRuler(closed, ruler), 1);
}

TEST_F(AnnotationStorage, FullDiskKeepsTheOldFileAndLinksAreWrittenThrough)
{
    auto ruler = knownRuler(Scene);
    ASSERT_TRUE(QFile::link(QStringLiteral("target.acsv"), QString::fromStdString(path("link.acsv"))));
    ASSERT_EQ(storageFor(ruler, "link.acsv")->WriteData(ruler), 1);
    EXPECT_TRUE(QFileInfo(QString::fromStdString(path("link.acsv"))).isSymLink());
    EXPECT_EQ(readFile(path("target.acsv")).find("# Annotation file link.acsv\n# Name = M\n"), 0u);

    PelmoraTest::SmallDisk disk(64);
    if (!disk.mounted())
        GTEST_SKIP() << disk.skipReason().toStdString();
    const std::string file = disk.filePath("ruler.acsv").toStdString();
    auto storage = storageFor(ruler, file);
    ASSERT_EQ(storage->WriteData(ruler), 1);
    const std::string before = readFile(file);
    disk.fill();
    ruler->SetName(std::string(20000, 'N').c_str());
    Messages messages(storage);
    EXPECT_EQ(storage->WriteData(ruler), 0);
    EXPECT_TRUE(messages.hasError("No space left on device")) << messages.all();
    EXPECT_EQ(readFile(file), before);
}

TEST_F(AnnotationStorage, FailedWriteLeavesTheOldFile)
{
    auto ruler = knownRuler(Scene);
    auto storage = storageFor(ruler, "keep.acsv");
    ASSERT_EQ(storage->WriteData(ruler), 1);
    const std::string old = readFile(path("keep.acsv"));

    // A node without its text display node cannot be written: the file stays as it was.
    vtkNew<vtkMRMLAnnotationRulerNode> bare;
    bare->SetPosition1(1, 1, 1);
    Messages messages(storage);
    EXPECT_EQ(storage->WriteData(bare), 0);
    EXPECT_TRUE(messages.hasWarning("annotation text display node is null"));
    EXPECT_EQ(readFile(path("keep.acsv")), old);

    // A read-only folder allows no temporary file: the file itself is written in place.
    // (Outside the test's private folder, which an unprivileged user cannot enter.)
    {
        QTemporaryDir shared(QStringLiteral("/tmp/pelmora-locked-XXXXXX"));
        const std::string folder = shared.path().toStdString();
        const std::string lockedFile = folder + "/locked.acsv";
        ASSERT_EQ(chmod(folder.c_str(), 0755), 0);
        auto locked = storageFor(ruler, lockedFile);
        ASSERT_EQ(locked->WriteData(ruler), 1);
        ASSERT_EQ(chmod(lockedFile.c_str(), 0666), 0);
        ASSERT_EQ(chmod(folder.c_str(), 0555), 0);
        ruler->SetName("changed");
        int inPlace = 0;
        PelmoraTest::ConsoleCapture console;
        PelmoraTest::asUnprivilegedUser([&] { inPlace = locked->WriteData(ruler); });
        chmod(folder.c_str(), 0755);
        EXPECT_EQ(inPlace, 1);
        EXPECT_NE(readFile(lockedFile).find("# Name = changed\n"), std::string::npos);
        EXPECT_TRUE(console.contains(PelmoraTest::ConsoleCapture::Level::Warning, "written in place"));
    }

    storage->SetFileName("no/such/dir/x.acsv");
    EXPECT_EQ(storage->WriteData(ruler), 0);
    EXPECT_TRUE(messages.hasError("OpenFileToWrite: unable to open file " + path("no/such/dir/x.acsv") + " for writing"));
    EXPECT_TRUE(messages.hasWarning("WriteDataInternal: unable to open file to write"));
    // No temporary file is left behind.
    EXPECT_EQ(QDir(Dir.path()).entryList(QDir::Files).size(), 1);
}

TEST_F(AnnotationStorage, WritingOverAFileKeepsItsPermissions)
{
    auto ruler = knownRuler(Scene);
    auto storage = storageFor(ruler, "private.acsv");
    ASSERT_EQ(storage->WriteData(ruler), 1);
    ASSERT_EQ(chmod(path("private.acsv").c_str(), 0600), 0);
    ruler->SetName("changed");
    ASSERT_EQ(storage->WriteData(ruler), 1);
    struct stat info;
    ASSERT_EQ(stat(path("private.acsv").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u) << "a private file written over stays private";
    EXPECT_NE(readFile(path("private.acsv")).find("# Name = changed\n"), std::string::npos);
}

TEST_F(AnnotationStorage, DecimalCommaLocaleDoesNotChangeTheFile)
{
    auto ruler = knownRuler(Scene);
    ruler->SetPosition2(40.5, 0.25, -1e-7);
    auto storage = storageFor(ruler, "locale.acsv");
    ASSERT_EQ(storage->WriteData(ruler), 1);
    const std::string cFile = readFile(path("locale.acsv"));

    const std::string oldC = std::setlocale(LC_ALL, nullptr);
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
        GTEST_SKIP() << "locale de_DE.UTF-8 is not installed (scripts/install-deps.sh generates it)";
    const std::locale oldGlobal = std::locale::global(std::locale("de_DE.UTF-8"));
    EXPECT_EQ(storage->WriteData(ruler), 1);
    const std::string deFile = readFile(path("locale.acsv"));
    auto back = makeNode<vtkMRMLAnnotationRulerNode>();
    const int read = storageFor(back, "locale.acsv")->ReadData(back);
    std::locale::global(oldGlobal);
    std::setlocale(LC_ALL, oldC.c_str());

    EXPECT_EQ(deFile, cFile);
    EXPECT_NE(deFile.find("point|40.5|0.25|-1e-07|1|1"), std::string::npos);
    ASSERT_EQ(read, 1);
    EXPECT_EQ(describe(back), describe(ruler));
}

TEST_F(AnnotationStorage, ReadRulesOfTheTextSection)
{
    auto node = makeNode<vtkMRMLAnnotationFiducialNode>();
    auto storage = vtkSmartPointer<vtkMRMLAnnotationStorageNode>::New();
    storage->SetScene(Scene);
    storage->SetFileName("rules.acsv");
    writeFile(path("rules.acsv"), "# Annotation file rules.acsv\n"
                                  "# Name = a name with # textColor = 0,0,0 inside\n"
                                  "# textColumns = type|sel|vis|annotation\n"
                                  "text|0|1|reordered\n"
                                  "#textScale = 99\n"
                                  "text|1|1|\n"
                                  "# textColor = 0.5,0.25\n");
    ASSERT_EQ(storage->ReadData(node), 1);
    EXPECT_STREQ(node->GetName(), "a name with # textColor = 0,0,0 inside");
    ASSERT_EQ(node->GetNumberOfTexts(), 2);
    EXPECT_EQ(node->GetText(0), "reordered");
    EXPECT_EQ(node->GetAnnotationAttribute(0, 0), 0);
    EXPECT_DOUBLE_EQ(node->GetAnnotationTextDisplayNode()->GetTextScale(), 4.5);
    EXPECT_DOUBLE_EQ(node->GetAnnotationTextDisplayNode()->GetColor()[1], 0.25);
    EXPECT_DOUBLE_EQ(node->GetAnnotationTextDisplayNode()->GetColor()[2], 0.0);
}

TEST_F(AnnotationStorage, FiducialListReader)
{
    auto fiducial = makeNode<vtkMRMLAnnotationFiducialNode>();
    auto storage = vtkSmartPointer<vtkMRMLAnnotationFiducialsStorageNode>::New();
    storage->SetScene(Scene);
    storage->SetFileName("list.fcsv");
    writeFile(path("list.fcsv"), "# pointColumns = label|x|y|z|sel|vis\n"
                                 "point|1|2|3|0|1\n");
    ASSERT_EQ(storage->ReadData(fiducial), 1);
    double p[3];
    ASSERT_TRUE(fiducial->GetFiducialCoordinates(p));
    EXPECT_EQ(p[0], 1);
    EXPECT_EQ(p[2], 3);
    EXPECT_EQ(fiducial->GetAnnotationAttribute(0, 2), 0);
    writeFile(path("list.fcsv"), "# pointColumns = type|x|y|z|sel|vis\n"
                                 "#pointColumns = x|y|z\n"
                                 "point|1|2|3|0|1\n"
                                 "point|4|5|6|1|0\n"
                                 "point|7|8|0\n");
    Messages messages(storage);
    ASSERT_EQ(storage->ReadData(fiducial), 1);
    fiducial->GetFiducialCoordinates(p);
    EXPECT_EQ(p[0], 7);
    EXPECT_EQ(p[1], 8);
    EXPECT_EQ(p[2], 0);
    EXPECT_EQ(fiducial->GetAnnotationAttribute(0, 2), 1);

    auto ruler = makeNode<vtkMRMLAnnotationRulerNode>();
    EXPECT_EQ(storage->ReadData(ruler), 0);
    EXPECT_TRUE(messages.hasError("unable to read into a null annotation fiducial node node"));

    // Without a point display node the display reader rejects unknown "# " lines.
    vtkNew<vtkMRMLAnnotationFiducialNode> bare;
    std::istringstream in("# pointUnknown = 1\npoint|1|9|9|1|1\npoint|2|8|8|1|1\n");
    Messages bareMessages(storage);
    EXPECT_EQ(storage->ReadOneFiducial(in, bare), 1);
    bare->GetFiducialCoordinates(p);
    EXPECT_EQ(p[1], 9); // it stops after the first point row
}
