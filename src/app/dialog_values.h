// The values a view (dialog or command line) holds for the controls bound to
// the controller: texts, check states and combo-box texts, exactly as typed.
// The controller copies them in with validation and back out.
#pragma once

#include <string>

#include "operation/storage_type.h"

namespace ib {

struct DialogValues {
    std::string readRegAddr = "0x80008C00";   // edit 1006
    std::string readRegValue = "0x00";        // edit 1007
    std::string writeRegAddr = "0x80008C00";  // edit 1009
    std::string writeRegValue = "0x00";       // edit 1010
    int configBootArea = 0;                   // check 1013
    int changeBootSize = 0;                   // check 1015
    std::string bootSize = "4";               // edit 1016, 4 MB units
    std::string storageName = "moviNAND";     // combo 1014
    int configUserArea = 0;                   // check 1021
    std::string firmwareNumber = "1";         // combo 1022
    std::string bootReadAddr = "0";           // edit 1019
    std::string bootReadSize = "1";           // edit 1023
    std::string userReadAddr = "0";           // edit 1026
    std::string userReadSize = "1";           // edit 1027
    std::string rawPath;                      // edit 1040
    std::string binPath;                      // edit 1046

    bool operator==(const DialogValues&) const = default;
};

// The list entries start-up selects in the two combo boxes; -1 selects none
// (the box stays empty). Apart from the texts, as the firmware number box has
// an empty entry of its own.
struct ListSelections {
    int storage = -1;
    int firmwareNumber = -1;
};

// The entries of the firmware number box, in list order (the storage box's are kStorageNames).
inline constexpr const char* kFirmwareNumbers[] = {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", ""};

}  // namespace ib
