// Everything an operation works with: the recorder's command object, the
// reporter, the services of its surroundings and the settings snapshot.
// Operations take it by const reference; what it refers to outlives the
// operation (the controller builds one per operation).
#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "device/general_storage_cmd.h"
#include "operation/operation_reporter.h"
#include "operation/operation_settings.h"
#include "operation/stop_request.h"
#include "seams/clock.h"
#include "seams/process_runner.h"
#include "seams/profile_store.h"

namespace ib {

// Finds a helper tool by name: the working folder's own first, else the installed one.
using ToolLocator = std::function<std::filesystem::path(const std::string& name)>;

struct OperationServices {
    Clock& clock;
    ProfileStore& profile;
    ProcessRunner& processes;
    const ToolLocator& locateTool;
    const std::filesystem::path& temporaryDirectory;
    // Where a folder's image is packed before it is copied when the session shares
    // its working folder with others running at once; empty: where the plan names it.
    const std::filesystem::path& packingFolder;
    // Asked for from outside: waits end early, and no command is sent after it.
    StopRequest stop;
};

struct OperationContext {
    GeneralStorageCmd& cmd;
    OperationReporter& report;
    OperationServices services;
    const OperationSettings& settings;

    // The same context with other settings; `other` must outlive the copy.
    OperationContext withSettings(const OperationSettings& other) const { return {cmd, report, services, other}; }
};

}  // namespace ib
