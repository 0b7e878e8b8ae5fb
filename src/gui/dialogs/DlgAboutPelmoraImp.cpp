#include "DlgAboutPelmoraImp.h"
#include "ui_DlgAboutPelmora.h"

#include "dialogs/DlgAcknowledgeImp.h"
#include "dialogs/DlgSystemInfoImp.h"

#include <mrml/vtkSystemInformation.h>

#include <QApplication>
#include <QClipboard>
#include <QMessageBox>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QPixmap>
#include <QSysInfo>
#include <QWindow>

#include <vtkSmartPointer.h>
#include <vtkVersionMacros.h>

#include <boost/version.hpp>

#include <sys/sysinfo.h>

namespace Gui {

namespace {

QString yesNo(bool on)
{
    return on ? QStringLiteral("Yes") : QStringLiteral("No");
}

// Total physical memory and total of memory plus swap (the commit limit), in megabytes;
// false when the system does not say.
bool memoryStatus(long long& physical, long long& total)
{
    struct sysinfo info {};
    if (sysinfo(&info) != 0)
        return false;
    const unsigned long long unit = info.mem_unit ? info.mem_unit : 1;
    physical = static_cast<long long>((info.totalram * unit) >> 20);
    total = static_cast<long long>(((info.totalram + info.totalswap) * unit) >> 20);
    return true;
}

// The three OpenGL lines, or nothing when no context can be made current.
QString openGLLines()
{
    QWindow window;
    window.setSurfaceType(QSurface::OpenGLSurface);
    window.create();
    QOpenGLContext context;
    if (!context.create() || !context.makeCurrent(&window))
        return QString();
    QOpenGLFunctions functions(&context);
    const QSurfaceFormat format = context.format();
    QString lines = QStringLiteral("QOpenGL Version : %1.%2\n").arg(format.majorVersion()).arg(format.minorVersion());
    lines += QStringLiteral("Support Frame Buffer : %1\n").arg(yesNo(functions.hasOpenGLFeature(QOpenGLFunctions::Framebuffers)));
    lines += QStringLiteral("Support NPOT Textures : %1\n")
                 .arg(yesNo(functions.hasOpenGLFeature(QOpenGLFunctions::NPOTTextures)));
    context.doneCurrent();
    return lines;
}

QString detailsText(vtkSystemInformation* info)
{
    QString text;
    text += QStringLiteral("CPU Architecture : %1\n").arg(QSysInfo::currentCpuArchitecture());
    text += QStringLiteral("Vendor String: %1\n").arg(QString::fromLatin1(info->GetVendorString()));
    text += QStringLiteral("Clock Frequency: %1 MHz\n").arg(info->GetProcessorClockFrequency());
    text += QStringLiteral("Number of Cores: %1\n").arg(info->GetNumberOfPhysicalCPU());
    text += QStringLiteral("Number of Threads: %1\n").arg(info->GetNumberOfLogicalCPU());
    text += QStringLiteral("Support CPUID: %1\n").arg(yesNo(info->DoesCPUSupportCPUID()));
    text += QLatin1Char('\n');

    long long physical = 0;
    long long total = 0;
    if (!memoryStatus(physical, total)) {
        physical = info->GetTotalPhysicalMemory();
        total = info->GetTotalVirtualMemory();
    }
    text += QStringLiteral("Total Physical Memory: %1 MB\n").arg(physical);
    text += QStringLiteral("Total Virtual Memory: %1 MB\n").arg(total);
    text += QLatin1Char('\n');

    const QString host = QSysInfo::machineHostName();
    text += QStringLiteral("Machine Host Name : %1\n").arg(host);
    text += QStringLiteral("Operation System : %1, %2-bit\n").arg(QSysInfo::prettyProductName()).arg(64);
    text += QStringLiteral("Endianness : %1 Endian\n").arg(QStringLiteral("Little"));
    text += QStringLiteral("Machine Host Name : %1\n").arg(host);
    text += QStringLiteral("Build CPU Architecture : %1\n").arg(QSysInfo::buildCpuArchitecture());
    text += QStringLiteral("Kernel Type : %1\n").arg(QSysInfo::kernelType());
    text += QStringLiteral("Kernel Version : %1\n").arg(QSysInfo::kernelVersion());
    text += QLatin1Char('\n');

    text += QStringLiteral("QT Version : %1\n").arg(QString::fromLatin1(qVersion()));
#ifdef QT_DEBUG
    text += QStringLiteral("QT Build Type: %1\n").arg(QStringLiteral("Debug"));
#else
    text += QStringLiteral("QT Build Type: %1\n").arg(QStringLiteral("Release"));
#endif
    text += QLatin1Char('\n');

    text += openGLLines();
    text += QLatin1Char('\n');

    // The versions this program was built with.
    text += QStringLiteral("Boost version : %1\n").arg(QStringLiteral(BOOST_LIB_VERSION));
    text += QStringLiteral("VTK version : %1.%2.%3\n").arg(VTK_MAJOR_VERSION).arg(VTK_MINOR_VERSION).arg(VTK_BUILD_VERSION);
    text += QStringLiteral("VTK configuration : %1 rendering, %2 threading\n")
                .arg(QStringLiteral("OpenGL2"), QStringLiteral("Sequential"));
    return text;
}

} // namespace

void showCopiedNote(QWidget* parent)
{
    QMessageBox box(QMessageBox::Information, QObject::tr("Copied"),
                    QObject::tr("The content has been copied to clipboard."), QMessageBox::Ok, parent);
    box.setDefaultButton(QMessageBox::Ok);
    box.exec();
}

DlgAboutPelmoraImp::DlgAboutPelmoraImp(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::DlgAboutPelmora>())
{
    ui->setupUi(this);
    setWindowIcon(QApplication::windowIcon());
    setWindowTitle(tr("About PELMORA"));
    setMinimumSize(400, 300);

    const QPixmap logo(QStringLiteral(":/Icons/about_pelmora_logo.png"));
    if (!logo.isNull())
        ui->lbl_logo->setPixmap(
            logo.scaled(ui->lbl_logo->width(), ui->lbl_logo->height(), Qt::KeepAspectRatio, Qt::FastTransformation));

    vtkSmartPointer<vtkSystemInformation> info = vtkSmartPointer<vtkSystemInformation>::New();
    info->RunCPUCheck();
    info->RunOSCheck();
    info->RunMemoryCheck();

    QString version = QStringLiteral("PELMORA 2022\n");
    version += QStringLiteral("  Version: %1.%2.%3 %4\n").arg(2).arg(1).arg(6689).arg(QStringLiteral("Release"));
    version += QStringLiteral("  Build date: %1\n").arg(QStringLiteral("%1-%2-%3").arg(2022).arg(2).arg(8));
    version += QStringLiteral("  Copyright (C) 2022 Pelmora. All rights reserved.\n");
    version += QStringLiteral("  Use of this program is subject to the terms of its licence.");
    ui->lbl_copyright->setText(version);

    ui->txt_details->setPlainText(detailsText(info));

    ui->btn_system_info->hide();
    ui->btn_dxdiag->hide();
}

DlgAboutPelmoraImp::~DlgAboutPelmoraImp() = default;

void DlgAboutPelmoraImp::on_btn_copy_clicked()
{
    QApplication::clipboard()->setText(ui->lbl_copyright->text() + QLatin1Char('\n')
                                       + ui->txt_details->toPlainText());
    showCopiedNote(this);
}

void DlgAboutPelmoraImp::on_btn_system_info_clicked()
{
    DlgSystemInfoImp dlg(this);
    dlg.exec();
}

void DlgAboutPelmoraImp::on_btn_dxdiag_clicked() {}

void DlgAboutPelmoraImp::on_btn_ok_clicked()
{
    close();
}

void DlgAboutPelmoraImp::on_btn_acknowledge_clicked()
{
    DlgAcknowledgeImp dlg(this);
    dlg.exec();
}

} // namespace Gui
