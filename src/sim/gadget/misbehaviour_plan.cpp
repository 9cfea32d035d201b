// Counting commands against the gadget's misbehaviours. See misbehaviour_plan.h.
#include "sim/gadget/misbehaviour_plan.h"

#include <algorithm>
#include <cstdio>

#include "device/vendor_command.h"

namespace ib::sim::gadget {

std::optional<MisbehaviourRule> MisbehaviourPlan::decide(std::span<const std::uint8_t> cdb) {
    if (!hasVendorSignature(cdb)) return std::nullopt;
    std::optional<MisbehaviourRule> decided;
    for (MisbehaviourRule& rule : m_rules) {
        if (rule.code != cdb[3]) continue;
        ++rule.seen;
        if (rule.seen == rule.nth && !decided) decided = rule;
    }
    std::erase_if(m_rules, [](const MisbehaviourRule& r) { return r.seen >= r.nth; });
    return decided;
}

std::string describe(const MisbehaviourRule& rule) {
    char code[8];
    std::snprintf(code, sizeof code, "0x%02x", unsigned{rule.code});
    const char* name = vendorCommandName(rule.code);
    const std::string command =
        (name ? name : std::string("command ") + code) + " #" + std::to_string(rule.nth);
    switch (rule.what) {
    case Misbehaviour::StopAnswering: return "stops answering at " + command;
    case Misbehaviour::Unplug: return "is unplugged at " + command;
    case Misbehaviour::None: break;
    }
    return "answers " + command;
}

}  // namespace ib::sim::gadget
