// Values derived from the settings snapshot. See operation_settings.h.
#include "operation/operation_settings.h"

#include <cstdlib>

namespace ib {

std::uint32_t OperationSettings::firmwareCount() const {
    return static_cast<std::uint8_t>(std::atoi(firmwareNumber.c_str()));
}

}  // namespace ib
