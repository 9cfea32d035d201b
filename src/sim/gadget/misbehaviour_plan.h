// How the gadget lets the host down at a chosen command, beyond the model's own
// faults: it stops answering (the host times out and resets it) or leaves the bus.
// Like fail_command, the n-th vendor command with a code fires once.
//
//   MisbehaviourPlan plan;
//   plan.add({Misbehaviour::StopAnswering, 0x08, 3});  // the third WriteSectors
//   if (const auto rule = plan.decide(cbw.cdb())) ... rule->what ...
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace ib::sim::gadget {

enum class Misbehaviour { None, StopAnswering, Unplug };

struct MisbehaviourRule {
    Misbehaviour what = Misbehaviour::None;
    std::uint8_t code = 0;  // vendor command code (byte 3 of an FA 55 66 block)
    std::uint32_t nth = 1;
    std::uint32_t seen = 0;
};

class MisbehaviourPlan {
public:
    void add(const MisbehaviourRule& rule) { m_rules.push_back(rule); }
    bool empty() const { return m_rules.empty(); }
    // Counts the command against the rules: the rule that fires at it, or
    // nothing when it is to be answered.
    std::optional<MisbehaviourRule> decide(std::span<const std::uint8_t> cdb);

private:
    std::vector<MisbehaviourRule> m_rules;
};

// "stops answering at WriteSectors #3", for the gadget's log.
std::string describe(const MisbehaviourRule& rule);

}  // namespace ib::sim::gadget
