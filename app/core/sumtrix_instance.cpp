#include "core/sumtrix_instance.hpp"

SumtrixLib::Sumtrix& sumtrix()
{
    static SumtrixLib::Sumtrix instance;
    return instance;
}
