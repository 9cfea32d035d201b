// The drive letters as one chosen recorder's operations see them: only the
// volumes on the chosen USB port open, the others are skipped, so the scan
// for the recorder keeps its order and its checks and never sends a command
// to another recorder. The recorder's return after its updater starts is on
// the same port, so the operation follows it there. Until a port is chosen
// every volume opens.
#pragma once

#include <string>

#include "seams/pass_through.h"

namespace ib {

class ChosenRecorderVolumes final : public VolumeProvider {
public:
    explicit ChosenRecorderVolumes(VolumeProvider& all) : m_all(all) {}

    // Chooses the recorder by its port path before an operation starts; "" lets every volume open.
    void choose(std::string portPath) { m_port = std::move(portPath); }
    const std::string& chosenPort() const { return m_port; }

    std::unique_ptr<VolumeHandle> openVolume(char letter, std::string* whyNot = nullptr) override;
    std::string volumeName(char letter) const override { return m_all.volumeName(letter); }
    std::string volumePort(char letter) const override { return m_all.volumePort(letter); }

private:
    VolumeProvider& m_all;
    std::string m_port;
};

}  // namespace ib
