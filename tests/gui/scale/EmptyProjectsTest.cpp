// The host started on project files holding many empty projects, measured from outside:
// what each project adds to the peak memory while its view waits in a hidden tab; and a
// file naming more projects than one file may open, refused with a message.

#include <support/ChildProcessCost.h>
#include <support/TestEnvironment.h>

#include <obj/Application.h>
#include <obj/ProjectFileLimits.h>

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

// A project file of `count` empty projects, written by the logic.
void writeEmptyProjects(const std::string& file, int count)
{
    PelmoraTest::ScopedLogic logic;
    Obj::Application& app = logic.app();
    for (int i = 0; i < count; ++i)
        app.create_project("Empty", "Empty");
    ASSERT_TRUE(app.save_as_file(1, file.c_str())) << app.last_file_error();
}

std::string hex8(std::uint32_t value)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (int shift = 28; shift >= 0; shift -= 4)
        out += digits[(value >> shift) & 0xFu];
    return out;
}

std::uint32_t crc32(const std::string& bytes)
{
    std::uint32_t c = 0xFFFFFFFFu;
    for (const char b : bytes) {
        c ^= static_cast<unsigned char>(b);
        for (int k = 0; k < 8; ++k)
            c = (c & 1u) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    }
    return c ^ 0xFFFFFFFFu;
}

PelmoraTest::ChildProcessCost runHidden(const std::string& file)
{
    return PelmoraTest::runChildProcess({PELMORA_HOST, "--hidden", file});
}

} // namespace

TEST(EmptyProjects, EachCostsLittleWhileItsViewIsNotShown)
{
    QTemporaryDir dir;
    const std::string one = QFile::encodeName(dir.filePath(QStringLiteral("one.pmdb"))).toStdString();
    const std::string many = QFile::encodeName(dir.filePath(QStringLiteral("many.pmdb"))).toStdString();
    writeEmptyProjects(one, 1);
    writeEmptyProjects(many, 1001);
    const PelmoraTest::ChildProcessCost base = runHidden(one);
    const PelmoraTest::ChildProcessCost cost = runHidden(many);
    ASSERT_EQ(base.exitCode, 0);
    ASSERT_EQ(cost.exitCode, 0);
    const double perProjectKiB = (cost.peakMiB - base.peakMiB) * 1024.0 / 1000.0;
    // About 220 KiB each while every project built its viewer, its document window a
    // system menu and its scene a copy of every node prototype; about 95 now.
    EXPECT_LT(perProjectKiB, 140.0) << base.peakMiB << " MiB with one project, " << cost.peakMiB
                                    << " MiB with 1,001";
}

TEST(EmptyProjects, AFileNamingTooManyProjectsIsRefusedWithAMessage)
{
    QTemporaryDir dir;
    const std::string file = QFile::encodeName(dir.filePath(QStringLiteral("too many.pmdb"))).toStdString();
    // Written as the logic writes its files, with one project more than the limit.
    std::string body = "PELMORA PROJECT FILE\nversion\t1\n";
    for (std::size_t i = 0; i <= Obj::ProjectFileLimits::MaxProjects; ++i)
        body += "project\tP" + std::to_string(i) + "\t1\tFemGui::ViewFeederProjectFem\n";
    const std::string bytes = body + "end\t" + hex8(crc32(body)) + "\n";
    QFile out(QString::fromStdString(file));
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    ASSERT_EQ(out.write(bytes.data(), static_cast<qint64>(bytes.size())), static_cast<qint64>(bytes.size()));
    out.close();

    PelmoraTest::ScopedLogic logic;
    Obj::Application& app = logic.app();
    EXPECT_FALSE(app.resume_from_file(1, file.c_str()));
    EXPECT_NE(app.last_file_error().find("holds more than " + std::to_string(Obj::ProjectFileLimits::MaxProjects)
                                         + " projects"),
              std::string::npos)
        << app.last_file_error();
    EXPECT_TRUE(app.get_projects().empty()) << "refused before any project was made";

    // One project fewer opens.
    const std::size_t cut = body.rfind("project\t");
    const std::string within = body.substr(0, cut);
    const std::string smaller = within + "end\t" + hex8(crc32(within)) + "\n";
    ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
    out.write(smaller.data(), static_cast<qint64>(smaller.size()));
    out.close();
    EXPECT_TRUE(app.check_project_file(1, file.c_str())) << app.last_file_error();
}
