#pragma once
// Text helpers of the annotation nodes and their list files: numbers written so they read
// back exactly and parsed without regard to the process locale, texts escaped so that a
// "|" or a line break inside one cannot split a row.

#include <string>
#include <string_view>
#include <vector>

namespace annotationtext {

// Shortest text that reads back to the same double: six significant digits (the form
// older files carry) whenever they are exact, more only where they are needed.
std::string formatDouble(double value);
void appendDouble(std::string& out, double value);

// The leading number of the text, as atof would read it but in the C locale; 0 when the
// text does not begin with one (blanks before it are skipped).
double parseDouble(std::string_view text);
// As atoi, in the C locale, with values beyond the int range clamped to it.
int parseInt(std::string_view text);
// How a field holds the number parseDouble or parseInt reads from it: as all of it but
// blanks around it, as its start only (other text follows), beyond the range of an int
// (parseInt only), or not at all.
enum class NumberFit { Whole, Leading, OutOfRange, None };
NumberFit doubleFit(std::string_view text);
NumberFit intFit(std::string_view text);
// Both at once, from one parse: the number parseDouble (parseInt) reads, and how the text
// holds it.
NumberFit readDouble(std::string_view text, double& value);
NumberFit readInt(std::string_view text, int& value);
// A whole-number id from a floating-point field; -1 when the field is no finite number
// or lies outside the int range.
// Whether the digits before any exponent hold one other than 0: a number whose text says
// it is not zero.
bool nonzeroDigits(std::string_view text);
int parseId(std::string_view text);

// Backslash escapes for "\", "|", line feed and carriage return; nothing else changes, so
// texts without those characters are written as they are.
std::string escape(std::string_view text);
std::string unescape(std::string_view text);
// Splits at every "|" that is not escaped; pieces stay escaped. Empty pieces are kept.
std::vector<std::string_view> splitEscaped(std::string_view text);

} // namespace annotationtext
