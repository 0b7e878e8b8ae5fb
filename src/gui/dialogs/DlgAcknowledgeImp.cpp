#include "DlgAcknowledgeImp.h"
#include "ui_DlgAcknowledge.h"

#include "dialogs/DlgAboutPelmoraImp.h"

#include <QApplication>
#include <QClipboard>
#include <QTextStream>

namespace Gui {

namespace {

struct Project
{
    const char* name;
    const char* address;
};

const Project projects[] = {
    {"Boost", "https://www.boost.org"},
    {"Bootstrap", "https://getbootstrap.com"},
    {"ceres-solver", "http://ceres-solver.org"},
    {"CGNS", "https://cgns.github.io"},
    {"Common Toolkit", "https://commontk.org"},
    {"CMake", "https://cmake.org"},
    {"code_aster", "https://www.code-aster.org"},
    {"Code::Blocks", "https://www.codeblocks.org"},
    {"curl", "https://curl.se"},
    {"DEAL.II", "https://www.dealii.org"},
    {"Eigen", "https://eigen.tuxfamily.org"},
    {"FEBio", "https://febio.org"},
    {"FreeType", "https://freetype.org"},
    {"FrontISTR", "https://www.frontistr.com"},
    {"GIMP", "https://www.gimp.org"},
    {"Git", "https://git-scm.com"},
    {"Gmsh", "https://gmsh.info"},
    {"Gzstream", "https://www.cs.unc.edu/Research/compgeom/gzstream"},
    {"HDF5", "https://www.hdfgroup.org"},
    {"Inkscape", "https://inkscape.org"},
    {"ITK", "https://itk.org"},
    {"JsonCpp", "https://github.com/open-source-parsers/jsoncpp"},
    {"libarchive", "https://www.libarchive.org"},
    {"libMesh", "https://libmesh.github.io"},
    {"lyx", "https://www.lyx.org"},
    {"mailio", "https://github.com/karastojko/mailio"},
    {"Material for MkDocs", "https://squidfunk.github.io/mkdocs-material"},
    {"Meld", "https://meldmerge.org"},
    {"Meteor", "https://www.meteor.com"},
    {"MFEM", "https://mfem.org"},
    {"MkDocs", "https://www.mkdocs.org"},
    {"MUMPS", "https://mumps-solver.org"},
    {"netCDF", "https://www.unidata.ucar.edu/software/netcdf"},
    {"Netgen/NGSolve", "https://ngsolve.org"},
    {"OBS Studio", "https://obsproject.com"},
    {"Open CASCADE", "https://www.opencascade.com"},
    {"OpenFOAM", "https://www.openfoam.com"},
    {"ParaView", "https://www.paraview.org"},
    {"PETSc", "https://petsc.org"},
    {"Pthreads", "https://sourceware.org/pthreads-win32"},
    {"QT", "https://www.qt.io"},
    {"RabbitVCS", "http://rabbitvcs.org"},
    {"Salome", "https://www.salome-platform.org"},
    {"SLEPc", "https://slepc.upv.es"},
    {"Subversion", "https://subversion.apache.org"},
    {"Teem", "https://teem.sourceforge.net"},
    {"TortoiseGit", "https://tortoisegit.org"},
    {"TortoiseSVN", "https://tortoisesvn.net"},
    {"VirtualBox", "https://www.virtualbox.org"},
    {"VisIt", "https://visit-dav.github.io/visit-website"},
    {"Visual Studio Code", "https://code.visualstudio.com"},
    {"VTK", "https://vtk.org"},
    {"WinMerge", "https://winmerge.org"},
    {"Xerces-C++", "https://xerces.apache.org/xerces-c"},
    {"zlib", "https://zlib.net"},
};

} // namespace

DlgAcknowledgeImp::DlgAcknowledgeImp(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::DlgAcknowledge>())
{
    ui->setupUi(this);
    setWindowIcon(QApplication::windowIcon());
    setWindowTitle(tr("Acknowledgement"));

    QFont small = ui->lbl_acknowledge->font();
    small.setPointSize(9);
    ui->lbl_acknowledge->setWordWrap(true);
    ui->lbl_acknowledge->setFont(small);
    ui->lbl_acknowledge->setText(QStringLiteral(
        "Pelmora acknowledges these but not limited to the following Open Source Projects. Not all of these "
        "libraries are used in our distribution, but we appreciate their inspirations and dedications."));

    QString list;
    QTextStream out(&list);
    for (const Project& project : projects) {
        const QString address = QString::fromLatin1(project.address);
        out << QString::fromLatin1(project.name) << '\r' << QStringLiteral("<a href=\"%1\">%1</a>").arg(address)
            << "<br>" << '\n';
    }
    out << "etc..." << '\n';
    out.flush();

    // Links go to the desktop's browser, never into the dialog itself.
    ui->txt_acknowledge->setOpenExternalLinks(true);
    ui->txt_acknowledge->setOpenLinks(true);
    ui->txt_acknowledge->setFont(small);
    ui->txt_acknowledge->setText(list);
    ui->btn_save->hide();
}

DlgAcknowledgeImp::~DlgAcknowledgeImp() = default;

void DlgAcknowledgeImp::on_btn_copy_clicked()
{
    QApplication::clipboard()->setText(ui->txt_acknowledge->toPlainText());
    showCopiedNote(this);
}

void DlgAcknowledgeImp::on_btn_save_clicked()
{
    QApplication::clipboard()->setText(ui->txt_acknowledge->toPlainText());
}

void DlgAcknowledgeImp::on_btn_ok_clicked()
{
    close();
}

} // namespace Gui
