// One recorder's volumes. See chosen_recorder_volumes.h.
#include "device/chosen_recorder_volumes.h"

namespace ib {

std::unique_ptr<VolumeHandle> ChosenRecorderVolumes::openVolume(char letter, std::string* whyNot) {
    if (m_port.empty()) return m_all.openVolume(letter, whyNot);
    const auto otherPort = [&](const std::string& port) {
        if (whyNot) *whyNot = "not the chosen recorder (port " + (port.empty() ? std::string("unknown") : port) + ")";
        return nullptr;
    };
    // Looked at before opening: opening another recorder's volume would take
    // it from the program that may be updating it.
    if (const std::string port = m_all.volumePort(letter); port != m_port) return otherPort(port);
    auto volume = m_all.openVolume(letter, whyNot);
    // Opening may take a fresh list of the volumes; a letter that moved to
    // another device in between is let go before anything is sent.
    if (const std::string port = m_all.volumePort(letter); volume && port != m_port) return otherPort(port);
    return volume;
}

}  // namespace ib
