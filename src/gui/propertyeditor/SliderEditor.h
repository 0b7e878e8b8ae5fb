#pragma once
// The editor of a range-slider row: a label with the value and a horizontal slider that
// writes every movement straight into the bound properties.

#include "PelmoraGuiExport.h"

#include <counted/CountedSteps.h>

#include <QWidget>

#include <cstdint>
#include <vector>

QT_BEGIN_NAMESPACE
class QLabel;
class QSlider;
QT_END_NAMESPACE

namespace Obj { class PropertyRangeSlider; }

namespace Gui {
namespace PropertyOperator {

class PELMORAGUI_EXPORT SliderEditor : public QWidget
{
    Q_OBJECT
public:
    // The count propertiesVisited() reads: every property reached in a slider's list.
    static std::uint64_t& propertySteps();
    // The properties a slider writes, each counted as it is reached.
    using Properties = Counted::Vector<Obj::PropertyRangeSlider*, &SliderEditor::propertySteps>;

    explicit SliderEditor(QWidget* parent = nullptr);
    ~SliderEditor() override;

    using QWidget::setProperty;
    // The property whose range and value the slider shows.  The same one again changes
    // nothing.
    void setProperty(Obj::PropertyRangeSlider* prop);
    // The first property drives range and value; the slider writes every writable one,
    // so that all selected objects follow it.
    void setProperties(const std::vector<Obj::PropertyRangeSlider*>& props);
    Obj::PropertyRangeSlider* getProperty() const { return properties.empty() ? nullptr : properties.front(); }

    int get_value() const;
    void set_value(int v);

    // Sets `value` on every writable one of `props`.  A write may set off the removal of
    // other objects (or the closing of their project): their properties are skipped,
    // never read.
    static void writeEvery(const Properties& props, long value);
    // How many properties the sliders of this thread have stepped over (written, compared,
    // taken on) since it started: a plain count of the work, the same on every run, by
    // which a test sees that a step costs one write per selected object.
    static std::uint64_t propertiesVisited() { return propertySteps(); }
    // True while a movement is being written: the rows' refreshes need not rebind it.
    bool isWriting() const { return writing; }

    QLabel* label() const { return valueLabel; }
    QSlider* slider() const { return valueSlider; }

Q_SIGNALS:
    void valueChanged(int value);

public Q_SLOTS:
    void onValueChanged(int value);

private:
    QLabel* valueLabel;
    QSlider* valueSlider;
    Properties properties;
    bool writing = false;
};

} // namespace PropertyOperator
} // namespace Gui
