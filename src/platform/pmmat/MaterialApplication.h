#pragma once
// The material application: the material library's object that announces when the
// tabular data of a material property changed, so that the table and chart follow.
// It exists only while a material module made it.

#include <boost/signals2/signal.hpp>

namespace pmMat {

// How a material property's data is laid out; NoData means there is none to show.
enum SeparatorVariantType : int {
    SEPARATOR_CONSTANT = 0,
    SEPARATOR_TABLE = 1,
    SEPARATOR_NO_DATA = 7
};

// Which kind of material property; 0 stands for an object's own tabular data.
enum MatPropertyType : int {
    MAT_PROPERTY_NONE = 0,
    MAT_PROPERTY_ELASTIC = 1,
    MAT_PROPERTY_THERMAL = 2
};

} // namespace pmMat

namespace matApp {

class Application
{
public:
    // Null until create() and after destruct().
    static Application* instance();
    static Application& create();
    static void destruct();

    // Object id, layout, property kind and property name of the data that changed.
    boost::signals2::signal<void(unsigned int, pmMat::SeparatorVariantType, pmMat::MatPropertyType, const char*)>
        signal_update_table_chart;

private:
    Application() = default;
};

} // namespace matApp
