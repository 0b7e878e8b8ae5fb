#include "mainwindow/PictureFactory.h"

#include <support/ConsoleCapture.h>
#include <support/TestEnvironment.h>

#include <obj/Application.h>
#include <vexil/MsgConsole.h>

#include <QApplication>
#include <QBitmap>
#include <QByteArray>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QImage>
#include <QLoggingCategory>
#include <QPainter>
#include <QPalette>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

using Gui::PictureFactory;
using PelmoraTest::ConsoleCapture;

namespace {

const char* blueXpm[] = {"2 2 1 1", "b c #0000ff", "bb", "bb"};
const char* greenXpm[] = {"3 3 1 1", "g c #00ff00", "ggg", "ggg", "ggg"};

QColor pixel(const QPixmap& p, int x, int y)
{
    return p.toImage().pixelColor(x, y);
}

QPixmap solid(int w, int h, const QColor& c)
{
    QPixmap p(w, h);
    p.fill(c);
    return p;
}

void writeImage(const QString& path, const QColor& c, const char* format = "PNG")
{
    QImage img(4, 4, QImage::Format_ARGB32);
    img.fill(c);
    ASSERT_TRUE(img.save(path, format)) << path.toStdString();
}

void writeText(const QString& path, const QByteArray& text)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QFile::WriteOnly));
    f.write(text);
}

bool allTransparent(const QPixmap& p)
{
    const QImage img = p.toImage();
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixelColor(x, y).alpha() != 0)
                return false;
    return true;
}

// Forwards Qt's own warnings to the console, as the application does.
void forwardToConsole(QtMsgType type, const QMessageLogContext&, const QString& msg)
{
    if (type == QtWarningMsg)
        Vexil::MsgConsoleSingleton::Instance().Warning("%s\n", msg.toUtf8().constData());
}

class PictureFactoryTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        iconDir = std::make_unique<QTemporaryDir>();
        ASSERT_TRUE(iconDir->isValid());
        logic = std::make_unique<PelmoraTest::ScopedLogic>(
            std::map<std::string, std::string>{{"ProgramIcons", iconDir->path().toStdString()}});
    }
    void TearDown() override
    {
        PictureFactory::destruct();
        logic.reset();
    }
    QString iconPath(const QString& file) const { return QDir(iconDir->path()).filePath(file); }

    std::unique_ptr<QTemporaryDir> iconDir;
    std::unique_ptr<PelmoraTest::ScopedLogic> logic;
};

TEST_F(PictureFactoryTest, SearchDirectoriesFollowConfiguration)
{
    const QString home = QString::fromStdString(logic->app().get_home_directory());
    const QString userData = QString::fromStdString(Obj::Application::mConfig["UserAppData"]);
    const QStringList expected{iconDir->path(), QString("%1/icons").arg(home), QString("%1/icons").arg(userData),
                               ":/icons/", ":/Icons/"};
    EXPECT_EQ(PictureFactory::instance().get_directories(), expected);
    EXPECT_EQ(&PictureFactory::instance(), &PictureFactory::instance());

    // A relative program icon folder lies below the home directory; an absent
    // user data entry counts as empty and is added to the configuration.
    PictureFactory::destruct();
    Obj::Application::mConfig["ProgramIcons"] = "relicons";
    Obj::Application::mConfig.erase("UserAppData");
    const QStringList dirs = PictureFactory::instance().get_directories();
    ASSERT_EQ(dirs.size(), 5);
    EXPECT_EQ(dirs[0], QDir(home).filePath("relicons"));
    EXPECT_EQ(dirs[2], QString("/icons"));
    EXPECT_EQ(Obj::Application::mConfig.count("UserAppData"), 1u);
}

TEST_F(PictureFactoryTest, MissingNamesGiveWhiteFallbackAndWarnEveryTime)
{
    ConsoleCapture capture;
    const QPixmap empty = PictureFactory::instance().get_pixmap("");
    const QPixmap null = PictureFactory::instance().get_pixmap(nullptr);
    EXPECT_EQ(empty.size(), QSize(24, 24));
    EXPECT_EQ(null.size(), QSize(24, 24));
    EXPECT_EQ(pixel(empty, 0, 0), QColor(Qt::white));
    EXPECT_EQ(pixel(empty, 23, 23), QColor(Qt::white));
    EXPECT_TRUE(capture.lines().empty());

    for (int i = 0; i < 2; ++i) {
        const QPixmap p = PictureFactory::instance().get_pixmap("no_such_icon");
        EXPECT_EQ(p.size(), QSize(24, 24));
        EXPECT_EQ(pixel(p, 12, 12), QColor(Qt::white));
    }
    int exact = 0;
    for (const auto& line : capture.lines())
        if (line.level == ConsoleCapture::Level::Warning && line.text == "Cannot find icon: no_such_icon\n")
            ++exact;
    EXPECT_EQ(exact, 2);

    QPixmap out;
    EXPECT_FALSE(PictureFactory::instance().find_pixmap_from_factory("no_such_icon", out));
    EXPECT_FALSE(PictureFactory::instance().get_registered_pixmap_names().contains("no_such_icon"));
}

TEST_F(PictureFactoryTest, XpmWinsOverFileAndIsCached)
{
    writeImage(iconPath("dup.png"), Qt::red);
    writeImage(iconPath("reddish.png"), Qt::red);
    auto& factory = PictureFactory::instance();
    factory.add_a_xpm("dup", blueXpm);

    QPixmap cached;
    EXPECT_FALSE(factory.find_pixmap_from_factory("dup", cached));
    const QPixmap p = factory.get_pixmap("dup");
    EXPECT_EQ(p.size(), QSize(2, 2));
    EXPECT_EQ(pixel(p, 0, 0), QColor(Qt::blue));
    ASSERT_TRUE(factory.find_pixmap_from_factory("dup", cached));
    EXPECT_EQ(cached.cacheKey(), p.cacheKey());

    // A file found by extension is cached too: deleting it does not lose the icon.
    const QPixmap red = factory.get_pixmap("reddish");
    EXPECT_EQ(pixel(red, 1, 1), QColor(Qt::red));
    ASSERT_TRUE(QFile::remove(iconPath("reddish.png")));
    ConsoleCapture capture;
    EXPECT_EQ(pixel(factory.get_pixmap("reddish"), 1, 1), QColor(Qt::red));
    EXPECT_FALSE(capture.contains(ConsoleCapture::Level::Warning, "Cannot find icon"));

    // Explicit registration replaces what the cache holds.
    factory.register_pixmap_to_factory("reddish", solid(5, 5, Qt::green));
    EXPECT_EQ(factory.get_pixmap("reddish").size(), QSize(5, 5));
    EXPECT_EQ(pixel(factory.get_pixmap("reddish"), 0, 0), QColor(Qt::green));

    // Registry names first (sorted), then cached names not yet listed.
    factory.add_a_xpm("a_green", greenXpm);
    factory.register_pixmap_to_factory("zz_only_cached", solid(1, 1, Qt::black));
    EXPECT_EQ(factory.get_registered_pixmap_names(),
              (QStringList{"a_green", "dup", "reddish", "zz_only_cached"}));

    // The cache goes with the factory.
    PictureFactory::destruct();
    EXPECT_FALSE(PictureFactory::instance().find_pixmap_from_factory("dup", cached));
}

TEST_F(PictureFactoryTest, FileLookupOrder)
{
    QTemporaryDir second;
    ASSERT_TRUE(second.isValid());
    auto& factory = PictureFactory::instance();
    factory.add_picture_directory(second.path());

    // The first directory that has the name wins.
    writeImage(iconPath("both.png"), Qt::red);
    writeImage(QDir(second.path()).filePath("both.png"), Qt::blue);
    EXPECT_EQ(pixel(factory.get_pixmap("both"), 0, 0), QColor(Qt::red));

    // An undecodable file counts as not found; the search goes on.
    writeText(iconPath("broken.png"), "this is not an image");
    writeImage(QDir(second.path()).filePath("broken.png"), Qt::blue);
    EXPECT_EQ(pixel(factory.get_pixmap("broken"), 0, 0), QColor(Qt::blue));

    // The bare name is tried before any extension.
    writeImage(iconPath("bare"), Qt::green);
    writeImage(iconPath("bare.png"), Qt::red);
    EXPECT_EQ(pixel(factory.get_pixmap("bare"), 0, 0), QColor(Qt::green));

    // The name as a path of its own comes before the folders.
    const QString absolute = QDir(second.path()).filePath("direct.bmp");
    writeImage(absolute, Qt::yellow, "BMP");
    EXPECT_EQ(pixel(factory.get_pixmap(absolute.toUtf8().constData()), 0, 0), QColor(Qt::yellow));

    ConsoleCapture capture;
    writeText(iconPath("garbage.png"), "garbage");
    EXPECT_EQ(factory.get_pixmap("garbage").size(), QSize(24, 24));
    EXPECT_TRUE(capture.contains(ConsoleCapture::Level::Warning, "Cannot find icon: garbage"));
}

TEST_F(PictureFactoryTest, SvgFoundThroughExtensionAndByName)
{
    auto& factory = PictureFactory::instance();
    const QPixmap tree = factory.get_pixmap("pelmora_tree_project");
    EXPECT_EQ(tree.size(), QSize(64, 64));
    EXPECT_FALSE(allTransparent(tree));

    writeText(iconPath("square.svg"),
              "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"10\" height=\"10\">"
              "<rect width=\"10\" height=\"10\" fill=\"#ff0000\"/></svg>");
    const QPixmap byName = factory.get_pixmap_from_svg("square", QSize(20, 10));
    ASSERT_EQ(byName.size(), QSize(20, 10));
    EXPECT_EQ(pixel(byName, 10, 5), QColor(Qt::red));
    EXPECT_EQ(factory.get_pixmap_from_svg("square.svg", QSize(8, 8)).size(), QSize(8, 8));
    EXPECT_EQ(factory.get_pixmap("square").size(), QSize(64, 64));

    ConsoleCapture capture;
    EXPECT_TRUE(factory.get_pixmap_from_svg("nowhere_at_all", QSize(16, 16)).isNull());
    EXPECT_TRUE(capture.lines().empty());
}

TEST_F(PictureFactoryTest, EmbeddedResourcesArePresent)
{
    auto& factory = PictureFactory::instance();
    for (const char* name : {":/Icons/AnnotationPointWithArrow.png", ":/Icons/AnnotationDistanceWithArrow.png",
                             ":/Icons/AnnotationROI.png", ":/icons/pelmora_splash.png", "pelmora"}) {
        ConsoleCapture capture;
        EXPECT_FALSE(factory.get_pixmap(name).isNull()) << name;
        EXPECT_FALSE(capture.contains(ConsoleCapture::Level::Warning, "Cannot find icon")) << name;
    }
    EXPECT_TRUE(QFileInfo::exists(":/icons/Pelmora-default/index.theme"));
}

TEST_F(PictureFactoryTest, DirectoryListKeepsDuplicatesAndListsIconFiles)
{
    auto& factory = PictureFactory::instance();
    const QString extra = iconDir->path() + "/extra";
    ASSERT_TRUE(QDir().mkpath(extra));
    writeImage(QDir(extra).filePath("one.png"), Qt::red);
    writeText(QDir(extra).filePath("notes.txt"), "text");

    factory.add_picture_directory(extra);
    factory.add_picture_directory(":/Icons/");
    factory.add_picture_directory(extra);
    QStringList dirs = factory.get_directories();
    EXPECT_EQ(dirs.count(extra), 2);
    EXPECT_EQ(dirs.count(":/Icons/"), 2);

    factory.delete_picture_directory(extra);
    dirs = factory.get_directories();
    ASSERT_EQ(dirs.count(extra), 1);
    EXPECT_EQ(dirs.last(), extra);
    EXPECT_EQ(dirs[dirs.size() - 2], QString(":/Icons/"));

    const QStringList files = factory.get_icon_file_names();
    EXPECT_EQ(files.count(QFileInfo(QDir(extra).filePath("one.png")).absoluteFilePath()), 1);
    EXPECT_EQ(files.count(":/Icons/AnnotationROI.png"), 1);
    for (const QString& f : files)
        EXPECT_FALSE(f.endsWith(".txt")) << f.toStdString();
}

TEST_F(PictureFactoryTest, MergeWithOverlay)
{
    auto& factory = PictureFactory::instance();
    const QPixmap base = solid(32, 32, Qt::red);
    const QPixmap overlay = solid(16, 16, Qt::blue);

    const QPixmap br = factory.merge(base, overlay, PictureFactory::BottomRight);
    EXPECT_EQ(br.size(), QSize(32, 32));
    EXPECT_EQ(pixel(br, 16, 16), QColor(Qt::blue));
    EXPECT_EQ(pixel(br, 31, 31), QColor(Qt::blue));
    EXPECT_EQ(pixel(br, 15, 15), QColor(Qt::red));
    EXPECT_EQ(pixel(br, 16, 15), QColor(Qt::red));

    const QPixmap tr = factory.merge(base, overlay, PictureFactory::TopRight);
    EXPECT_EQ(pixel(tr, 16, 0), QColor(Qt::blue));
    EXPECT_EQ(pixel(tr, 15, 0), QColor(Qt::red));
    EXPECT_EQ(pixel(tr, 16, 16), QColor(Qt::red));
    const QPixmap bl = factory.merge(base, overlay, PictureFactory::BottomLeft);
    EXPECT_EQ(pixel(bl, 0, 16), QColor(Qt::blue));
    EXPECT_EQ(pixel(bl, 0, 15), QColor(Qt::red));
    const QPixmap tl = factory.merge(base, overlay, PictureFactory::TopLeft);
    EXPECT_EQ(pixel(tl, 0, 0), QColor(Qt::blue));
    EXPECT_EQ(pixel(tl, 16, 16), QColor(Qt::red));
    EXPECT_EQ(pixel(base, 31, 31), QColor(Qt::red)) << "the base must stay untouched";

    // An overlay wider than the base gives a negative offset.
    const QPixmap wide = factory.merge(solid(8, 8, Qt::red), solid(12, 4, Qt::blue), PictureFactory::TopRight);
    EXPECT_EQ(pixel(wide, 0, 0), QColor(Qt::blue));
    EXPECT_EQ(pixel(wide, 7, 3), QColor(Qt::blue));
    EXPECT_EQ(pixel(wide, 7, 4), QColor(Qt::red));

    // A transparent base shows the overlay where it was painted.
    QPixmap clear(32, 32);
    clear.fill(Qt::transparent);
    const QPixmap onClear = factory.merge(clear, overlay, PictureFactory::BottomRight);
    EXPECT_EQ(pixel(onClear, 20, 20), QColor(Qt::blue));
    EXPECT_EQ(pixel(onClear, 4, 4).alpha(), 0);
}

TEST_F(PictureFactoryTest, MergeSideBySide)
{
    auto& factory = PictureFactory::instance();
    const QPixmap first = solid(10, 20, Qt::red);
    const QPixmap second = solid(30, 5, Qt::blue);

    const QPixmap h = factory.merge(first, second, false);
    ASSERT_EQ(h.size(), QSize(40, 20));
    EXPECT_EQ(pixel(h, 0, 19), QColor(Qt::red));
    EXPECT_EQ(pixel(h, 9, 0), QColor(Qt::red));
    EXPECT_EQ(pixel(h, 10, 0), QColor(Qt::blue));
    EXPECT_EQ(pixel(h, 39, 4), QColor(Qt::blue));
    EXPECT_EQ(pixel(h, 10, 5).alpha(), 0) << "below the second pixmap nothing is visible";

    const QPixmap v = factory.merge(first, second, true);
    ASSERT_EQ(v.size(), QSize(30, 25));
    EXPECT_EQ(pixel(v, 0, 0), QColor(Qt::red));
    EXPECT_EQ(pixel(v, 0, 20), QColor(Qt::blue));
    EXPECT_EQ(pixel(v, 29, 24), QColor(Qt::blue));
    EXPECT_EQ(pixel(v, 10, 0).alpha(), 0);

    // Transparent parts of a masked pixmap stay transparent.
    QPixmap half(10, 10);
    half.fill(Qt::transparent);
    {
        QPainter p(&half);
        p.fillRect(0, 0, 5, 10, Qt::green);
    }
    const QPixmap m = factory.merge(half, second, false);
    EXPECT_EQ(pixel(m, 0, 0), QColor(Qt::green));
    EXPECT_EQ(pixel(m, 7, 0).alpha(), 0);
}

TEST_F(PictureFactoryTest, ResizePlacesOnCanvas)
{
    auto& factory = PictureFactory::instance();
    const QPixmap small = solid(16, 16, Qt::blue);

    const QPixmap centred = factory.resize(24, 24, small, Qt::TransparentMode);
    ASSERT_EQ(centred.size(), QSize(24, 24));
    EXPECT_EQ(pixel(centred, 4, 4), QColor(Qt::blue));
    EXPECT_EQ(pixel(centred, 19, 19), QColor(Qt::blue));
    EXPECT_EQ(pixel(centred, 3, 3).alpha(), 0);
    EXPECT_EQ(pixel(centred, 20, 20).alpha(), 0);
    EXPECT_EQ(pixel(centred, 12, 0).alpha(), 0);

    const QPixmap exact = solid(24, 24, Qt::blue);
    EXPECT_EQ(factory.resize(24, 24, exact, Qt::TransparentMode).cacheKey(), exact.cacheKey());
    const QPixmap big = solid(30, 30, Qt::blue);
    EXPECT_EQ(factory.resize(24, 24, big, Qt::TransparentMode).cacheKey(), big.cacheKey());

    // A masked source keeps its own transparency on the canvas.
    QPixmap dot(8, 8);
    dot.fill(Qt::transparent);
    {
        QPainter p(&dot);
        p.fillRect(0, 0, 4, 4, Qt::red);
    }
    const QPixmap placed = factory.resize(16, 16, dot, Qt::TransparentMode);
    EXPECT_EQ(pixel(placed, 4, 4), QColor(Qt::red));
    EXPECT_EQ(pixel(placed, 9, 9).alpha(), 0);

    const QPixmap opaque = factory.resize(24, 24, small, Qt::OpaqueMode);
    ASSERT_EQ(opaque.size(), QSize(24, 24));
    const QColor light = QApplication::palette().color(QPalette::Disabled, QPalette::Light);
    EXPECT_EQ(pixel(opaque, 0, 0), QColor(Qt::blue));
    EXPECT_EQ(pixel(opaque, 16, 16), QColor(Qt::blue)) << "the shadow copy at (1, 1)";
    EXPECT_EQ(pixel(opaque, 23, 23).rgb(), light.rgb());
    const QPixmap none;
    EXPECT_TRUE(factory.resize(24, 24, none, Qt::OpaqueMode).isNull());
}

TEST_F(PictureFactoryTest, MaskToolsAndDisabledLook)
{
    auto& factory = PictureFactory::instance();
    const QPixmap opaque = solid(8, 8, Qt::red);
    EXPECT_EQ(factory.draw_smaller_icon(0, 0, 4, 4, opaque, Qt::TransparentMode).cacheKey(), opaque.cacheKey());

    // Red with a transparent bottom row, so that it carries a mask.
    QPixmap masked(8, 8);
    masked.fill(Qt::transparent);
    {
        QPainter p(&masked);
        p.fillRect(0, 0, 8, 7, Qt::red);
    }
    ASSERT_FALSE(masked.mask().isNull());
    const QPixmap hidden = factory.draw_smaller_icon(0, 0, 4, 4, masked, Qt::TransparentMode);
    EXPECT_EQ(pixel(hidden, 1, 1).alpha(), 0);
    EXPECT_EQ(pixel(hidden, 5, 5), QColor(Qt::red));
    EXPECT_EQ(pixel(masked, 1, 1), QColor(Qt::red)) << "the source must stay untouched";

    const QPixmap grey = factory.disabled(solid(16, 16, Qt::red));
    EXPECT_EQ(grey.size(), QSize(16, 16));
    EXPECT_NE(pixel(grey, 8, 8), QColor(Qt::red));
}

TEST_F(PictureFactoryTest, IconFromThemeFallsBackToFactory)
{
    auto& factory = PictureFactory::instance();
    factory.add_a_xpm("themeless_blue", blueXpm);
    const QIcon icon = factory.iconFromTheme("themeless_blue", QIcon());
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(pixel(icon.pixmap(2, 2), 0, 0), QColor(Qt::blue));

    const QIcon given(solid(4, 4, Qt::green));
    const QIcon kept = factory.iconFromTheme("themeless_blue", given);
    EXPECT_EQ(pixel(kept.pixmap(4, 4), 0, 0), QColor(Qt::green));
}

TEST_F(PictureFactoryTest, SvgParseComplaintsStayOutOfReportOutput)
{
    QLoggingCategory::setFilterRules(QStringLiteral("qt.svg.warning=true"));
    QtMessageHandler previousHandler = qInstallMessageHandler(forwardToConsole);
    auto& factory = PictureFactory::instance();
    {
        ConsoleCapture report("ReportOutput");
        ConsoleCapture other("OtherObserver");
        // A fill that names a gradient nobody defined: Qt warns while parsing.
        const QByteArray svg("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"4\" height=\"4\">"
                             "<rect fill=\"url(#missing)\" width=\"4\" height=\"4\"/></svg>");
        factory.get_pixmap_from_svg(svg, QSize(8, 8));
        EXPECT_TRUE(other.contains(ConsoleCapture::Level::Warning, "missing"));
        EXPECT_TRUE(report.lines().empty());

        const QPixmap broken = factory.get_pixmap_from_svg(QByteArray("<svg><rect"), QSize(8, 8));
        EXPECT_EQ(broken.size(), QSize(8, 8));
        EXPECT_TRUE(allTransparent(broken));
        EXPECT_TRUE(report.lines().empty());

        // Switched on again afterwards.
        Vexil::MsgConsoleSingleton::Instance().Warning("after\n");
        EXPECT_TRUE(report.contains(ConsoleCapture::Level::Warning, "after"));

        // A caller who switched the warnings off keeps them off.
        report.clear();
        Vexil::MsgConsoleSingleton::Instance().SetEnabledMsgType("ReportOutput", Vexil::MsgType_Wrn, false);
        factory.get_pixmap_from_svg(QByteArray("<svg/>"), QSize(4, 4));
        Vexil::MsgConsoleSingleton::Instance().Warning("still quiet\n");
        EXPECT_FALSE(report.contains(ConsoleCapture::Level::Warning, "still quiet"));
    }
    qInstallMessageHandler(previousHandler);
}

} // namespace
