#include "mainwindow/PictureFactory.h"

#include <support/ConsoleCapture.h>
#include <support/TestEnvironment.h>

#include <obj/Application.h>
#include <vexil/MsgConsole.h>

#include <QApplication>
#include <QBitmap>
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
const QColor red(Qt::red), green(Qt::green), blue(Qt::blue), white(Qt::white);

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

// A transparent pixmap with one opaque rectangle, so that it carries a mask.
QPixmap partly(int w, int h, const QRect& painted, const QColor& c)
{
    QPixmap p(w, h);
    p.fill(Qt::transparent);
    QPainter(&p).fillRect(painted, c);
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
    const QImage img = p.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QImage clear(img.size(), img.format());
    clear.fill(Qt::transparent);
    return img == clear;
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
        ASSERT_TRUE(iconDir.isValid());
        logic = std::make_unique<PelmoraTest::ScopedLogic>(
            std::map<std::string, std::string>{{"ProgramIcons", iconDir.path().toStdString()}});
    }
    void TearDown() override
    {
        PictureFactory::destruct();
        logic.reset();
    }
    QString iconPath(const QString& file) const { return QDir(iconDir.path()).filePath(file); }

    PictureFactory& factory() { return PictureFactory::instance(); }

    QTemporaryDir iconDir;
    std::unique_ptr<PelmoraTest::ScopedLogic> logic;
};

TEST_F(PictureFactoryTest, SearchDirectoriesFollowConfiguration)
{
    const QString home = QString::fromStdString(logic->app().get_home_directory());
    const QString userData = QString::fromStdString(Obj::Application::mConfig["UserAppData"]);
    EXPECT_EQ(factory().get_directories(), (QStringList{iconDir.path(), home + "/icons", userData + "/icons",
                                                       ":/icons/", ":/Icons/"}));

    // A relative program icon folder lies below the home directory; an absent
    // user data entry counts as empty and is added to the configuration.
    PictureFactory::destruct();
    Obj::Application::mConfig["ProgramIcons"] = "relicons";
    Obj::Application::mConfig.erase("UserAppData");
    const QStringList dirs = factory().get_directories();
    ASSERT_EQ(dirs.size(), 5);
    EXPECT_EQ(dirs[0], QDir(home).filePath("relicons"));
    EXPECT_EQ(dirs[2], QString("/icons"));
    EXPECT_EQ(Obj::Application::mConfig.count("UserAppData"), 1u);
}

TEST_F(PictureFactoryTest, MissingNamesGiveWhiteFallbackAndWarnEveryTime)
{
    ConsoleCapture capture;
    for (const char* name : {"", static_cast<const char*>(nullptr)}) {
        const QPixmap p = factory().get_pixmap(name);
        EXPECT_EQ(p.size(), QSize(24, 24));
        EXPECT_EQ(pixel(p, 0, 0), white);
        EXPECT_EQ(pixel(p, 23, 23), white);
    }
    EXPECT_TRUE(capture.lines().empty());

    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(pixel(factory().get_pixmap("no_such_icon"), 12, 12), white);
    EXPECT_EQ(capture.count(ConsoleCapture::Level::Warning, "Cannot find icon: no_such_icon\n"), 2);

    QPixmap out;
    EXPECT_FALSE(factory().find_pixmap_from_factory("no_such_icon", out));
    EXPECT_FALSE(factory().get_registered_pixmap_names().contains("no_such_icon"));
}

TEST_F(PictureFactoryTest, XpmWinsOverFileAndIsCached)
{
    writeImage(iconPath("dup.png"), red);
    writeImage(iconPath("reddish.png"), red);
    auto& f = factory();
    f.add_a_xpm("dup", blueXpm);

    QPixmap cached;
    EXPECT_FALSE(f.find_pixmap_from_factory("dup", cached));
    const QPixmap p = f.get_pixmap("dup");
    EXPECT_EQ(p.size(), QSize(2, 2));
    EXPECT_EQ(pixel(p, 0, 0), blue);
    ASSERT_TRUE(f.find_pixmap_from_factory("dup", cached));
    EXPECT_EQ(cached.cacheKey(), p.cacheKey());

    // A file found by extension is cached too: deleting it does not lose the icon.
    EXPECT_EQ(pixel(f.get_pixmap("reddish"), 1, 1), red);
    ASSERT_TRUE(QFile::remove(iconPath("reddish.png")));
    ConsoleCapture capture;
    EXPECT_EQ(pixel(f.get_pixmap("reddish"), 1, 1), red);
    EXPECT_FALSE(capture.contains(ConsoleCapture::Level::Warning, "Cannot find icon"));

    // Explicit registration replaces what the cache holds.
    f.register_pixmap_to_factory("reddish", solid(5, 5, green));
    EXPECT_EQ(f.get_pixmap("reddish").size(), QSize(5, 5));
    EXPECT_EQ(pixel(f.get_pixmap("reddish"), 0, 0), green);

    // Registry names first (sorted), then cached names not yet listed.
    f.add_a_xpm("a_green", greenXpm);
    f.register_pixmap_to_factory("zz_only_cached", solid(1, 1, Qt::black));
    EXPECT_EQ(f.get_registered_pixmap_names(), (QStringList{"a_green", "dup", "reddish", "zz_only_cached"}));

    // The cache goes with the factory.
    PictureFactory::destruct();
    EXPECT_FALSE(factory().find_pixmap_from_factory("dup", cached));
}

TEST_F(PictureFactoryTest, IconsAreSharedUntilTheirPictureChanges)
{
    auto& f = factory();
    f.add_a_xpm("dup", blueXpm);
    const QIcon first = f.get_icon("dup");
    EXPECT_EQ(f.get_icon("dup").cacheKey(), first.cacheKey());
    EXPECT_EQ(pixel(first.pixmap(QSize(2, 2)), 0, 0), blue);

    // A picture registered anew under the name gives a new icon of it.
    f.register_pixmap_to_factory("dup", solid(2, 2, green));
    const QIcon second = f.get_icon("dup");
    EXPECT_NE(second.cacheKey(), first.cacheKey());
    EXPECT_EQ(pixel(second.pixmap(QSize(2, 2)), 0, 0), green);

    // Without a name there is still something to draw.
    EXPECT_FALSE(f.get_icon("").isNull());
    EXPECT_FALSE(f.get_icon(nullptr).isNull());
}

TEST_F(PictureFactoryTest, FileLookupOrder)
{
    QTemporaryDir second;
    ASSERT_TRUE(second.isValid());
    const QDir secondDir(second.path());
    factory().add_picture_directory(second.path());

    // The first directory that has the name wins.
    writeImage(iconPath("both.png"), red);
    writeImage(secondDir.filePath("both.png"), blue);
    EXPECT_EQ(pixel(factory().get_pixmap("both"), 0, 0), red);

    // An undecodable file counts as not found; the search goes on.
    writeText(iconPath("broken.png"), "this is not an image");
    writeImage(secondDir.filePath("broken.png"), blue);
    EXPECT_EQ(pixel(factory().get_pixmap("broken"), 0, 0), blue);

    // The bare name is tried before any extension.
    writeImage(iconPath("bare"), green);
    writeImage(iconPath("bare.png"), red);
    EXPECT_EQ(pixel(factory().get_pixmap("bare"), 0, 0), green);

    // The name as a path of its own comes before the folders.
    const QString absolute = secondDir.filePath("direct.bmp");
    writeImage(absolute, Qt::yellow, "BMP");
    EXPECT_EQ(pixel(factory().get_pixmap(absolute.toUtf8().constData()), 0, 0), QColor(Qt::yellow));
}

TEST_F(PictureFactoryTest, SvgFoundThroughExtensionAndByName)
{
    const QPixmap tree = factory().get_pixmap("pelmora_tree_project");
    EXPECT_EQ(tree.size(), QSize(64, 64));
    EXPECT_FALSE(allTransparent(tree));

    writeText(iconPath("square.svg"), "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"10\" height=\"10\">"
                                      "<rect width=\"10\" height=\"10\" fill=\"#ff0000\"/></svg>");
    const QPixmap byName = factory().get_pixmap_from_svg("square", QSize(20, 10));
    ASSERT_EQ(byName.size(), QSize(20, 10));
    EXPECT_EQ(pixel(byName, 10, 5), red);
    EXPECT_EQ(factory().get_pixmap_from_svg("square.svg", QSize(8, 8)).size(), QSize(8, 8));
    EXPECT_EQ(factory().get_pixmap("square").size(), QSize(64, 64));

    ConsoleCapture capture;
    EXPECT_TRUE(factory().get_pixmap_from_svg("nowhere_at_all", QSize(16, 16)).isNull());
    EXPECT_TRUE(capture.lines().empty());
}

TEST_F(PictureFactoryTest, EmbeddedResourcesArePresent)
{
    ConsoleCapture capture;
    for (const char* name : {":/Icons/AnnotationPointWithArrow.png", ":/Icons/AnnotationDistanceWithArrow.png",
                             ":/Icons/AnnotationROI.png", ":/icons/pelmora_splash.png", "pelmora"})
        EXPECT_FALSE(factory().get_pixmap(name).isNull()) << name;
    EXPECT_TRUE(capture.lines().empty());
    EXPECT_TRUE(QFileInfo::exists(":/icons/Pelmora-default/index.theme"));
}

TEST_F(PictureFactoryTest, DirectoryListKeepsDuplicatesAndListsIconFiles)
{
    const QString extra = iconDir.path() + "/extra";
    ASSERT_TRUE(QDir().mkpath(extra));
    writeImage(extra + "/one.png", red);
    writeText(extra + "/notes.txt", "text");

    for (const QString& dir : {extra, QStringLiteral(":/Icons/"), extra})
        factory().add_picture_directory(dir);
    EXPECT_EQ(factory().get_directories().count(extra), 2);
    EXPECT_EQ(factory().get_directories().count(":/Icons/"), 2);

    factory().delete_picture_directory(extra);
    const QStringList dirs = factory().get_directories();
    EXPECT_EQ(dirs.mid(dirs.size() - 2), (QStringList{":/Icons/", extra}));

    const QStringList files = factory().get_icon_file_names();
    EXPECT_EQ(files.count(QFileInfo(extra + "/one.png").absoluteFilePath()), 1);
    EXPECT_EQ(files.count(":/Icons/AnnotationROI.png"), 1);
    for (const QString& f : files)
        EXPECT_FALSE(f.endsWith(".txt")) << f.toStdString();
}

TEST_F(PictureFactoryTest, MergeWithOverlay)
{
    const QPixmap base = solid(32, 32, Qt::red);
    const QPixmap overlay = solid(16, 16, Qt::blue);
    // The overlay covers exactly its 16x16 quadrant of the base.
    const std::pair<PictureFactory::Position, QPoint> cases[] = {{PictureFactory::TopLeft, {0, 0}},
                                                                 {PictureFactory::TopRight, {16, 0}},
                                                                 {PictureFactory::BottomLeft, {0, 16}},
                                                                 {PictureFactory::BottomRight, {16, 16}}};
    for (const auto& [position, corner] : cases) {
        const QPixmap m = factory().merge(base, overlay, position);
        ASSERT_EQ(m.size(), QSize(32, 32));
        for (const QPoint q : {QPoint(0, 0), QPoint(16, 0), QPoint(0, 16), QPoint(16, 16)}) {
            EXPECT_EQ(pixel(m, q.x(), q.y()), q == corner ? blue : red) << position;
            EXPECT_EQ(pixel(m, q.x() + 15, q.y() + 15), q == corner ? blue : red) << position;
        }
    }
    EXPECT_EQ(pixel(base, 31, 31), red) << "the base must stay untouched";

    // An overlay wider than the base gives a negative offset.
    const QPixmap wide = factory().merge(solid(8, 8, red), solid(12, 4, blue), PictureFactory::TopRight);
    EXPECT_EQ(pixel(wide, 0, 0), blue);
    EXPECT_EQ(pixel(wide, 7, 3), blue);
    EXPECT_EQ(pixel(wide, 7, 4), red);

    // A transparent base shows the overlay where it was painted.
    const QPixmap onClear = factory().merge(partly(32, 32, QRect(), red), overlay, PictureFactory::BottomRight);
    EXPECT_EQ(pixel(onClear, 20, 20), blue);
    EXPECT_EQ(pixel(onClear, 4, 4).alpha(), 0);
}

TEST_F(PictureFactoryTest, MergeSideBySide)
{
    const QPixmap first = solid(10, 20, red);
    const QPixmap second = solid(30, 5, blue);

    const QPixmap h = factory().merge(first, second, false);
    ASSERT_EQ(h.size(), QSize(40, 20));
    EXPECT_EQ(pixel(h, 0, 19), red);
    EXPECT_EQ(pixel(h, 9, 0), red);
    EXPECT_EQ(pixel(h, 10, 0), blue);
    EXPECT_EQ(pixel(h, 39, 4), blue);
    EXPECT_EQ(pixel(h, 10, 5).alpha(), 0) << "below the second pixmap nothing is visible";

    const QPixmap v = factory().merge(first, second, true);
    ASSERT_EQ(v.size(), QSize(30, 25));
    EXPECT_EQ(pixel(v, 0, 0), red);
    EXPECT_EQ(pixel(v, 0, 20), blue);
    EXPECT_EQ(pixel(v, 29, 24), blue);
    EXPECT_EQ(pixel(v, 10, 0).alpha(), 0);

    // Transparent parts of a masked pixmap stay transparent.
    const QPixmap m = factory().merge(partly(10, 10, QRect(0, 0, 5, 10), green), second, false);
    EXPECT_EQ(pixel(m, 0, 0), green);
    EXPECT_EQ(pixel(m, 7, 0).alpha(), 0);
}

TEST_F(PictureFactoryTest, ResizePlacesOnCanvas)
{
    const QPixmap small = solid(16, 16, blue);
    const QPixmap centred = factory().resize(24, 24, small, Qt::TransparentMode);
    ASSERT_EQ(centred.size(), QSize(24, 24));
    EXPECT_EQ(pixel(centred, 4, 4), blue);
    EXPECT_EQ(pixel(centred, 19, 19), blue);
    for (const QPoint q : {QPoint(3, 3), QPoint(20, 20), QPoint(12, 0)})
        EXPECT_EQ(pixel(centred, q.x(), q.y()).alpha(), 0);

    // A pixmap already at least that big is returned as it is.
    for (int side : {24, 30}) {
        const QPixmap big = solid(side, side, blue);
        EXPECT_EQ(factory().resize(24, 24, big, Qt::TransparentMode).cacheKey(), big.cacheKey());
    }

    // A masked source keeps its own transparency on the canvas.
    const QPixmap placed = factory().resize(16, 16, partly(8, 8, QRect(0, 0, 4, 4), red), Qt::TransparentMode);
    EXPECT_EQ(pixel(placed, 4, 4), red);
    EXPECT_EQ(pixel(placed, 9, 9).alpha(), 0);

    const QPixmap opaque = factory().resize(24, 24, small, Qt::OpaqueMode);
    ASSERT_EQ(opaque.size(), QSize(24, 24));
    EXPECT_EQ(pixel(opaque, 0, 0), blue);
    EXPECT_EQ(pixel(opaque, 16, 16), blue) << "the shadow copy at (1, 1)";
    EXPECT_EQ(pixel(opaque, 23, 23).rgb(),
              QApplication::palette().color(QPalette::Disabled, QPalette::Light).rgb());
    EXPECT_TRUE(factory().resize(24, 24, QPixmap(), Qt::OpaqueMode).isNull());
}

TEST_F(PictureFactoryTest, MaskToolsAndDisabledLook)
{
    const QPixmap opaque = solid(8, 8, red);
    EXPECT_EQ(factory().draw_smaller_icon(0, 0, 4, 4, opaque, Qt::TransparentMode).cacheKey(), opaque.cacheKey());

    // Red with a transparent bottom row, so that it carries a mask.
    const QPixmap masked = partly(8, 8, QRect(0, 0, 8, 7), red);
    ASSERT_FALSE(masked.mask().isNull());
    const QPixmap hidden = factory().draw_smaller_icon(0, 0, 4, 4, masked, Qt::TransparentMode);
    EXPECT_EQ(pixel(hidden, 1, 1).alpha(), 0);
    EXPECT_EQ(pixel(hidden, 5, 5), red);
    EXPECT_EQ(pixel(masked, 1, 1), red) << "the source must stay untouched";

    const QPixmap grey = factory().disabled(solid(16, 16, red));
    EXPECT_EQ(grey.size(), QSize(16, 16));
    EXPECT_NE(pixel(grey, 8, 8), red);
}

TEST_F(PictureFactoryTest, IconFromThemeFallsBackToFactory)
{
    factory().add_a_xpm("themeless_blue", blueXpm);
    const QIcon icon = factory().iconFromTheme("themeless_blue", QIcon());
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(pixel(icon.pixmap(2, 2), 0, 0), blue);
    const QIcon kept = factory().iconFromTheme("themeless_blue", QIcon(solid(4, 4, green)));
    EXPECT_EQ(pixel(kept.pixmap(4, 4), 0, 0), green);
}

TEST_F(PictureFactoryTest, SvgParseComplaintsStayOutOfReportOutput)
{
    QLoggingCategory::setFilterRules(QStringLiteral("qt.svg.warning=true"));
    QtMessageHandler previousHandler = qInstallMessageHandler(forwardToConsole);
    {
        ConsoleCapture report("ReportOutput");
        ConsoleCapture other("OtherObserver");
        // A fill that names a gradient nobody defined: Qt warns while parsing.
        factory().get_pixmap_from_svg(QByteArray("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"4\" height=\"4\">"
                                                 "<rect fill=\"url(#missing)\" width=\"4\" height=\"4\"/></svg>"),
                                      QSize(8, 8));
        EXPECT_TRUE(other.contains(ConsoleCapture::Level::Warning, "missing"));
        EXPECT_TRUE(report.lines().empty());

        const QPixmap broken = factory().get_pixmap_from_svg(QByteArray("<svg><rect"), QSize(8, 8));
        EXPECT_EQ(broken.size(), QSize(8, 8));
        EXPECT_TRUE(allTransparent(broken));
        EXPECT_TRUE(report.lines().empty());

        // Switched on again afterwards.
        Vexil::MsgConsoleSingleton::Instance().Warning("after\n");
        EXPECT_TRUE(report.contains(ConsoleCapture::Level::Warning, "after"));

        // A caller who switched the warnings off keeps them off.
        report.clear();
        Vexil::MsgConsoleSingleton::Instance().SetEnabledMsgType("ReportOutput", Vexil::MsgType_Wrn, false);
        factory().get_pixmap_from_svg(QByteArray("<svg/>"), QSize(4, 4));
        Vexil::MsgConsoleSingleton::Instance().Warning("still quiet\n");
        EXPECT_FALSE(report.contains(ConsoleCapture::Level::Warning, "still quiet"));
    }
    qInstallMessageHandler(previousHandler);
}

} // namespace
