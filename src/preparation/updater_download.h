// Loading the updater into a recorder that still runs its boot ROM, and the
// "Sync. Device" operation built on it.
#pragma once

#include <cstdint>

#include "operation/operation_context.h"

namespace ib {

// Downloads "updater.bin" (or the file the user picks), starts it and waits
// for the recorder to answer from its updater, trying to reopen it up to
// `retries` times. 1 when it does.
std::uint32_t DownloadUpdater(const OperationContext& ctx, int retries);

// After a failed DownloadUpdater: the download error and the recorder's
// presence, or the presence alone when a stop request ended the download,
// which the end of the operation reports as a stop.
void reportUpdaterFailure(const OperationContext& ctx);

// Loads the updater when the recorder runs its boot ROM; false after the download error.
bool syncIfInBootRom(const OperationContext& ctx);

// "Sync. Device": open the recorder and load the updater when needed.
std::uint32_t SyncDevice(const OperationContext& ctx);

}  // namespace ib
