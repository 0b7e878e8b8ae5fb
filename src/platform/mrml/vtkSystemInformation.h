#pragma once
// Facts about the machine: processor, operating system and memory, gathered by the
// three Run...Check calls and read afterwards.  Memory figures are in megabytes.

#include <vtkObject.h>

#include <memory>

class vtkSystemInformation : public vtkObject
{
public:
    static vtkSystemInformation* New();
    vtkTypeMacro(vtkSystemInformation, vtkObject);
    void PrintSelf(ostream& os, vtkIndent indent) override;

    void RunCPUCheck();
    void RunOSCheck();
    void RunMemoryCheck();

    // Empty until the processor check ran, or when the processor names no vendor.
    const char* GetVendorString() const;
    double GetProcessorClockFrequency() const;
    unsigned int GetNumberOfPhysicalCPU() const;
    unsigned int GetNumberOfLogicalCPU() const;
    bool DoesCPUSupportCPUID() const;
    long long GetTotalPhysicalMemory() const;
    long long GetTotalVirtualMemory() const;
    const char* GetOSName() const;

protected:
    vtkSystemInformation();
    ~vtkSystemInformation() override;

private:
    vtkSystemInformation(const vtkSystemInformation&) = delete;
    void operator=(const vtkSystemInformation&) = delete;
    struct Private;
    std::unique_ptr<Private> d;
};
