#include "vtkSystemInformation.h"

#include <vtkObjectFactory.h>
#include <vtksys/SystemInformation.hxx>

#include <string>

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#endif

vtkStandardNewMacro(vtkSystemInformation);

namespace {

// vtksys answers this only where the compiler offers the Windows intrinsic; elsewhere it
// says no even on processors that have the instruction, so the processor is asked itself.
bool processorAnswersCPUID()
{
#if defined(__i386__) || defined(__x86_64__)
    unsigned int eax = 0, ebx = 0, ecx = 0, edx = 0;
    return __get_cpuid(0, &eax, &ebx, &ecx, &edx) != 0;
#else
    return false;
#endif
}

} // namespace

struct vtkSystemInformation::Private
{
    vtksys::SystemInformation info;
    bool cpu = false;
    bool os = false;
    bool memory = false;
    bool cpuid = false;
    // Copies, so that the returned pointers stay valid while the object lives.
    std::string vendor;
    std::string osName;
};

vtkSystemInformation::vtkSystemInformation() : d(std::make_unique<Private>()) {}
vtkSystemInformation::~vtkSystemInformation() = default;

void vtkSystemInformation::RunCPUCheck()
{
    d->info.RunCPUCheck();
    d->vendor = d->info.GetVendorString();
    d->cpuid = processorAnswersCPUID();
    d->cpu = true;
}

void vtkSystemInformation::RunOSCheck()
{
    d->info.RunOSCheck();
    d->osName = d->info.GetOSName();
    d->os = true;
}

void vtkSystemInformation::RunMemoryCheck()
{
    d->info.RunMemoryCheck();
    d->memory = true;
}

const char* vtkSystemInformation::GetVendorString() const { return d->vendor.c_str(); }
double vtkSystemInformation::GetProcessorClockFrequency() const
{
    return d->cpu ? static_cast<double>(d->info.GetProcessorClockFrequency()) : 0.0;
}
unsigned int vtkSystemInformation::GetNumberOfPhysicalCPU() const
{
    return d->cpu ? d->info.GetNumberOfPhysicalCPU() : 0u;
}
unsigned int vtkSystemInformation::GetNumberOfLogicalCPU() const
{
    return d->cpu ? d->info.GetNumberOfLogicalCPU() : 0u;
}
bool vtkSystemInformation::DoesCPUSupportCPUID() const { return d->cpu && d->cpuid; }
long long vtkSystemInformation::GetTotalPhysicalMemory() const
{
    return d->memory ? static_cast<long long>(d->info.GetTotalPhysicalMemory()) : 0;
}
long long vtkSystemInformation::GetTotalVirtualMemory() const
{
    return d->memory ? static_cast<long long>(d->info.GetTotalVirtualMemory()) : 0;
}
const char* vtkSystemInformation::GetOSName() const { return d->osName.c_str(); }

void vtkSystemInformation::PrintSelf(ostream& os, vtkIndent indent)
{
    Superclass::PrintSelf(os, indent);
    os << indent << "Vendor: " << GetVendorString() << "\n";
    os << indent << "Logical CPUs: " << GetNumberOfLogicalCPU() << "\n";
    os << indent << "Total physical memory (MB): " << GetTotalPhysicalMemory() << "\n";
}
