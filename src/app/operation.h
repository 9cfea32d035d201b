// The operations a view can start, named in the controller's dispatch and in
// the port's report that one has finished.
#pragma once

namespace ib {

enum class Operation {
    FullUpdate,
    Sync,
    LowLevelFormat,
    CreateSdImage,
    ReadRegister,
    WriteRegister,
    ReadBootArea,
    ReadUserArea,
    ConfigureUserArea,
    RawWrite,
};

}  // namespace ib
