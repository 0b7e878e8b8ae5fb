#pragma once
// Counts the clicks of an annotation placement under way.

#include "PelmoraAnnotationsExport.h"

#include <vtkObject.h>

class PELMORAANNOTATIONS_EXPORT vtkMRMLAnnotationClickCounter : public vtkObject
{
public:
    static vtkMRMLAnnotationClickCounter* New();
    vtkTypeMacro(vtkMRMLAnnotationClickCounter, vtkObject);

    // Adds one; the new count.
    int Click() { return ++Count; }
    // Adds one; true (and back to 0) when the count reaches `clicks`.
    bool HasEnoughClicks(int clicks)
    {
        if (++Count != clicks)
            return false;
        Count = 0;
        return true;
    }
    void Reset() { Count = 0; }
    int GetCount() const { return Count; }

protected:
    vtkMRMLAnnotationClickCounter() = default;
    ~vtkMRMLAnnotationClickCounter() override = default;
    vtkMRMLAnnotationClickCounter(const vtkMRMLAnnotationClickCounter&) = delete;
    void operator=(const vtkMRMLAnnotationClickCounter&) = delete;

private:
    int Count = 0;
};
