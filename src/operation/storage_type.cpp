// Storage types by name. See storage_type.h.
#include "operation/storage_type.h"

#include <iterator>

namespace ib {

std::optional<StorageType> storageTypeNamed(std::string_view name) {
    for (std::size_t code = 0; code < std::size(kStorageNames); ++code)
        if (name == kStorageNames[code]) return static_cast<StorageType>(code);
    return std::nullopt;
}

}  // namespace ib
