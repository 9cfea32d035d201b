// Parsing the gadget program's command line. See gadget_options.h.
#include "sim/gadget/gadget_options.h"

#include <charconv>
#include <limits>

namespace ib::sim::gadget {
namespace {

// A whole decimal number, or hexadecimal after "0x"; nothing for anything else.
std::optional<std::uint32_t> readNumber(std::string_view text) {
    int base = 10;
    if (text.starts_with("0x") || text.starts_with("0X")) {
        text.remove_prefix(2);
        base = 16;
    }
    std::uint32_t value = 0;
    const auto [end, problem] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || problem != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

class ArgumentReader {
public:
    explicit ArgumentReader(std::span<const std::string> arguments) : m_arguments(arguments) {}
    bool done() const { return m_next >= m_arguments.size(); }
    const std::string& take() { return m_arguments[m_next++]; }
    // The value after an option; nothing, with the reason, when there is none.
    std::optional<std::string> valueOf(const std::string& option, std::string& error) {
        if (done()) {
            error = option + " needs a value";
            return std::nullopt;
        }
        return take();
    }

private:
    std::span<const std::string> m_arguments;
    std::size_t m_next = 0;
};

std::optional<MisbehaviourRule> readRule(Misbehaviour what, const std::string& option, ArgumentReader& reader,
                                         std::string& error) {
    const auto code = reader.valueOf(option, error);
    if (!code) return std::nullopt;
    const auto nth = reader.valueOf(option, error);
    if (!nth) return std::nullopt;
    const auto codeValue = readNumber(*code);
    const auto nthValue = readNumber(*nth);
    if (!codeValue || *codeValue > std::numeric_limits<std::uint8_t>::max()) {
        error = option + ": '" + *code + "' is no vendor command code";
        return std::nullopt;
    }
    if (!nthValue || *nthValue == 0) {
        error = option + ": '" + *nth + "' is no command count (1 is the first)";
        return std::nullopt;
    }
    return MisbehaviourRule{what, static_cast<std::uint8_t>(*codeValue), *nthValue, 0};
}

// A USB string descriptor holds at most 126 UTF-16 characters; a serial sticks to printable ASCII,
// as the host's instance IDs and port listings show it as it is.
constexpr std::size_t kLongestSerial = 126;

bool isSerialNumber(const std::string& text) {
    if (text.empty() || text.size() > kLongestSerial) return false;
    for (const char ch : text)
        if (ch <= ' ' || ch > '~') return false;
    return true;
}

bool isPlaceOption(const std::string& option) {
    return option == "--udc" || option == "--name" || option == "--configfs" || option == "--functionfs";
}

void setPlace(GadgetPlaces& places, const std::string& option, const std::string& value) {
    if (option == "--udc") places.controller = value;
    if (option == "--name") places.name = value;
    if (option == "--configfs") places.gadgetsRoot = value;
    if (option == "--functionfs") places.functionFsMount = value;
}

}  // namespace

std::optional<GadgetOptions> parseGadgetOptions(std::span<const std::string> arguments, std::string& error) {
    GadgetOptions options;
    ArgumentReader reader(arguments);
    while (!reader.done()) {
        const std::string& argument = reader.take();
        if (argument == "--stop-answering-at" || argument == "--unplug-at") {
            const auto what = argument == "--unplug-at" ? Misbehaviour::Unplug : Misbehaviour::StopAnswering;
            const auto rule = readRule(what, argument, reader, error);
            if (!rule) return std::nullopt;
            options.misbehaviours.push_back(*rule);
        } else if (argument == "--serial") {
            const auto value = reader.valueOf(argument, error);
            if (!value) return std::nullopt;
            if (!isSerialNumber(*value)) {
                error = "--serial: '" + *value + "' is no USB serial number (1 to 126 printable characters, no spaces)";
                return std::nullopt;
            }
            options.serialNumber = *value;
        } else if (isPlaceOption(argument)) {
            const auto value = reader.valueOf(argument, error);
            if (!value) return std::nullopt;
            setPlace(options.places, argument, *value);
        } else if (argument.starts_with("-")) {
            error = "unknown option " + argument;
            return std::nullopt;
        } else if (options.stateFolder.empty()) {
            options.stateFolder = argument;
        } else {
            error = "more than one state folder given";
            return std::nullopt;
        }
    }
    if (options.stateFolder.empty()) {
        error = "no state folder given";
        return std::nullopt;
    }
    return options;
}

std::string gadgetUsage() {
    return "usage: imageburner-sim-gadget STATE_DIR [--udc NAME] [--name NAME] [--configfs DIR]\n"
           "                              [--functionfs DIR] [--serial SERIAL]\n"
           "                              [--stop-answering-at CODE N] [--unplug-at CODE N]\n"
           "Presents the simulated recorder of STATE_DIR as a USB mass-storage device through\n"
           "configfs and FunctionFS (default UDC dummy_udc.0, gadget name recorder, serial\n"
           "SIM0001). CODE is a vendor command code (0x08 WriteSectors); N counts such\n"
           "commands from the start, 1 for the first.\n";
}

}  // namespace ib::sim::gadget
