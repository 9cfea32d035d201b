// The steps that open and close the device operations: the storage type
// check, "ŁĄCZENIE..." and Open at the start, the user area selected again at
// the end.
#pragma once

#include "operation/operation_context.h"

namespace ib {

// How an operation's opening differs from the others'.
struct Opening {
    bool reenableButtonsOnUiError = true;
    const char* uiErrorText = "Error 0x01: UI parameter error !";
};

// Says why an Open found no recorder, then shows the presence: the recorder
// another program has (or the rights the program lacks) when that is why,
// else "Error 0x02: No QUB device !".
void showOpenFailure(const OperationContext& ctx);

// false after showing why: no known storage type, or no recorder to open.
[[nodiscard]] bool openRecorder(const OperationContext& ctx, const Opening& how);

// Selects the user area of the snapshot's storage again, result ignored, so
// that the recorder is left as its file system expects.
void reselectUserArea(const OperationContext& ctx);

}  // namespace ib
