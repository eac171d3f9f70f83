#pragma once
// The program's one Sumtrix object: created on first use, kept for the life
// of the process.

#include "SumtrixLib/Sumtrix.hpp"

SumtrixLib::Sumtrix& sumtrix();
