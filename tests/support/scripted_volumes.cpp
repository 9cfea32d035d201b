// Scripted pass-through volumes for command-layer tests. See scripted_volumes.h.
#include "support/scripted_volumes.h"

#include <algorithm>

namespace ib::test {
namespace {

class ScriptedHandle final : public VolumeHandle {
public:
    ScriptedHandle(ScriptedVolumes& owner, char letter) : m_owner(owner), m_letter(letter) {
        ++m_owner.liveHandles;
    }
    ~ScriptedHandle() override { --m_owner.liveHandles; }

    ScsiOutcome send(const ScsiRequest& request) override {
        SentCommand record{m_letter, {request.cdb.begin(), request.cdb.end()}, request.direction, {},
                           request.data.size(), request.timeoutSeconds, request.kind};
        if (request.direction == DataDirection::Out) record.dataOut.assign(request.data.begin(), request.data.end());
        m_owner.sent.push_back(std::move(record));
        return m_owner.volumes.at(m_letter).answer(request);
    }
    StorageWrites prepareStorageWrites(std::string& whyNot) override {
        ++m_owner.storageWritePreparations;
        const ScriptedVolume& volume = m_owner.volumes.at(m_letter);
        whyNot = volume.storageInUse;
        if (whyNot.empty()) return StorageWrites::Ready;
        return volume.storageMounted ? StorageWrites::Mounted : StorageWrites::Refused;
    }
    bool unmountStorage(std::string& whyNot) override {
        ++m_owner.unmounts;
        ScriptedVolume& volume = m_owner.volumes.at(m_letter);
        whyNot = volume.unmountFails;
        if (whyNot.empty()) volume.storageInUse.clear();
        return whyNot.empty();
    }
    std::shared_ptr<const void> recorderClaim() const override {
        const auto it = m_owner.claims.find(m_letter);
        return it == m_owner.claims.end() ? nullptr : it->second;
    }

private:
    ScriptedVolumes& m_owner;
    char m_letter;
};

}  // namespace

std::unique_ptr<VolumeHandle> ScriptedVolumes::openVolume(char letter, std::string* whyNot) {
    auto it = volumes.find(letter);
    if (it == volumes.end() || !it->second.opens) {
        if (const auto refusal = refusals.find(letter); refusal != refusals.end() && whyNot) *whyNot = refusal->second;
        return nullptr;
    }
    opened.push_back(letter);
    return std::make_unique<ScriptedHandle>(*this, letter);
}

std::vector<std::vector<std::uint8_t>> ScriptedVolumes::vendorBlocks() const {
    std::vector<std::vector<std::uint8_t>> blocks;
    for (const auto& c : sent)
        if (c.cdb.size() == 16) blocks.push_back(c.cdb);
    return blocks;
}

ScriptedVolume recorderVolume(std::uint8_t inquiryFormat, std::vector<std::uint8_t> identify, bool identifyOk,
                              std::vector<std::uint8_t> otherReply) {
    ScriptedVolume v;
    v.answer = [=](const ScsiRequest& r) {
        ScsiOutcome out;
        out.completed = true;
        if (r.cdb.size() == 6 && r.cdb[0] == 0x12) {
            std::fill(r.data.begin(), r.data.end(), std::uint8_t{0});
            if (r.data.size() > 3) r.data[3] = inquiryFormat;
        } else if (r.cdb.size() == 16 && r.cdb[3] == 0x01) {
            std::copy_n(identify.begin(), std::min(identify.size(), r.data.size()), r.data.begin());
            out.completed = identifyOk;
        } else if (r.direction == DataDirection::In && !otherReply.empty()) {
            for (std::size_t i = 0; i < r.data.size(); ++i) r.data[i] = otherReply[i % otherReply.size()];
        }
        out.transferred = r.data.size();
        return out;
    };
    return v;
}

std::vector<std::uint8_t> bootRomIdentify() {
    std::vector<std::uint8_t> id(16, 0);
    id[0] = 0xAA;
    id[1] = 0x55;
    return id;
}

std::vector<std::uint8_t> updaterIdentify() {
    std::vector<std::uint8_t> id(16, 0);
    id[9] = 'Q';
    id[10] = 'U';
    id[11] = 'B';
    return id;
}

}  // namespace ib::test
