// Reading and writing single register bytes. See register_access.h.
#include "preparation/register_access.h"

#include "device/parse_number.h"
#include "device/text_format.h"
#include "operation/recorder_opening.h"
#include "operation/status_colours.h"
#include "operation/status_texts.h"

namespace ib {
namespace {

// A register field's number; nullopt after the "invalid number" message.
std::optional<std::uint64_t> registerNumber(const OperationContext& ctx, const std::string& text) {
    const auto number = ParseNumber(text);
    if (!number) ctx.report.messageBox("Error : invalid number " + text);
    return number;
}

// "ŁĄCZENIE...", Open, the view copied in, the start message. Registers are
// reached in whatever mode the recorder runs: no storage type, no download.
std::optional<RegisterTexts> openForRegisterAccess(const OperationContext& ctx, const char* startMessage) {
    ctx.report.setProgress(text::kConnecting, 0, kGrey, kGrey);
    if (!ctx.cmd.Open()) {
        showOpenFailure(ctx);
        return std::nullopt;
    }
    RegisterTexts texts = ctx.report.copyViewIn();
    ctx.report.showStepMessage(startMessage);
    return texts;
}

}  // namespace

std::uint32_t ReadRegisterCommand(const OperationContext& ctx) {
    const auto texts = openForRegisterAccess(ctx, "Start to read register .....");
    if (!texts) return 0;
    const auto address = registerNumber(ctx, texts->readAddress);
    if (!address) return 0;
    std::uint8_t value = 0;
    if (!ctx.cmd.ReadRegister(static_cast<std::uint32_t>(*address), value)) {
        ctx.report.messageBoxThenPresence("Error 0x010: Read register fail!");
        return 0;
    }
    ctx.report.showReadRegisterValue(formatText("0x%x", static_cast<unsigned>(value)));
    ctx.report.showStepMessage("Read register done .....");
    return 1;
}

std::uint32_t WriteRegisterCommand(const OperationContext& ctx) {
    const auto texts = openForRegisterAccess(ctx, "Start to write register .....");
    if (!texts) return 0;
    const auto address = registerNumber(ctx, texts->writeAddress);
    if (!address) return 0;
    const auto value = registerNumber(ctx, texts->writeValue);
    if (!value) return 0;
    const auto byte = static_cast<std::uint8_t>(*value);
    if (!ctx.cmd.WriteRegister(static_cast<std::uint32_t>(*address), byte)) {
        ctx.report.messageBoxThenPresence("Error 0x011: Write register fail!");
        return 0;
    }
    ctx.report.showStepMessage("Write register done .....");
    return 1;
}

}  // namespace ib
