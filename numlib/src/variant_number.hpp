#pragma once
// A Variant read as a number, as the methods that take a variant argument
// read it: empty is 0, True is -1, a whole number or a double as it is, a
// text that is a number written with "." (blanks around allowed); any other
// text is a type mismatch (error 13).

#include <string>

#include "SumtrixLib/Sumtrix.hpp"

namespace SumtrixLib {

double textToDouble(const std::string& text);
double variantToDouble(const Variant& v);

} // namespace SumtrixLib
