// The "Browse..." choosers. See path_choosers.h.
#include "operation/path_choosers.h"

#include "seams/profile_store.h"

namespace ib {

std::optional<std::string> browseForPath(const OperationContext& ctx, RememberedPath which) {
    const bool save = which == RememberedPath::SdImage;
    FileChooserRequest request;
    request.save = save;
    request.title = save ? "Save Bin File" : "Open RAW File";
    request.filter = save ? "Bin Files (*.bin)|*.bin||" : "RAW Files (*.bin)|*.bin|All Files (*.*)|*.*||";
    request.overwritePrompt = true;
    const auto chosen = ctx.report.chooseFile(request);
    if (!chosen) return std::nullopt;
    if (!ctx.services.profile.write(kProfileSection, save ? "bin_path" : "raw_path", *chosen))
        ctx.report.messageBox("Cannot remember the path in the user profile.", MessageBoxKind::Application);
    ctx.report.rememberChosenPath(which, *chosen);
    return chosen;
}

}  // namespace ib
