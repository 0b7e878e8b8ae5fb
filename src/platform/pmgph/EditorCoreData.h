#pragma once
// The tabular data that a project object hands to the table and chart: the names of its
// columns and its rows of numbers.  The first column is the argument of the others.

#include <string>
#include <vector>

namespace pmGph {

struct EditorCoreData
{
    // One name per column, with its unit where it has one.
    std::vector<std::string> list;
    // The rows, each with one number per column.
    std::vector<std::vector<double>> values;
};

} // namespace pmGph
