// The configfs gadget usb_gadget/<name> with one configuration holding FunctionFS
// function ffs.<name>, its mount, and binding to a device controller. Unbinding,
// a new identity and binding again is how the recorder leaves and returns.
//
//   auto gadget = ConfigfsGadget::create(places, identity, error);
//   ... open FunctionFS at gadget->functionFsMount(), write descriptors ...
//   gadget->bind();  ...  gadget->unbind(); gadget->setIdentity(next); gadget->bind();
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "sim/gadget/usb_identity.h"

namespace ib::sim::gadget {

struct GadgetPlaces {
    std::filesystem::path gadgetsRoot = "/sys/kernel/config/usb_gadget";
    std::string name = "recorder";           // gadget folder and FunctionFS instance
    std::filesystem::path functionFsMount;   // default: /dev/ffs-<name>
    std::string controller = "dummy_udc.0";  // the UDC to bind to
};

class ConfigfsGadget {
public:
    // Null with the reason in `error` when configfs or the mount refuse; what
    // was made before the failure is taken apart again.
    static std::unique_ptr<ConfigfsGadget> create(const GadgetPlaces& places, const UsbIdentity& identity,
                                                  std::string& error);
    // Unbinds, unmounts FunctionFS and removes the configfs folders. The
    // FunctionFS files must be closed by then.
    ~ConfigfsGadget();
    ConfigfsGadget(const ConfigfsGadget&) = delete;
    ConfigfsGadget& operator=(const ConfigfsGadget&) = delete;

    const std::filesystem::path& functionFsMount() const { return m_mount; }
    // Takes effect at the next bind.
    bool setIdentity(const UsbIdentity& identity);
    // Attaches the gadget to the controller: the host sees a device arrive.
    bool bind();
    // Detaches it: the host sees the device leave. Idempotent.
    bool unbind();
    bool bound() const { return m_bound; }
    const std::string& lastError() const { return m_error; }

private:
    ConfigfsGadget(const GadgetPlaces& places);
    bool build(const UsbIdentity& identity);
    bool writeAttribute(const std::filesystem::path& file, const std::string& value);
    bool makeFolder(const std::filesystem::path& folder);
    void takeApart();

    std::filesystem::path m_root;  // usb_gadget/<name>
    std::filesystem::path m_mount;
    std::string m_functionInstance;  // <name>
    std::string m_controller;
    std::vector<std::filesystem::path> m_made;  // folders and the link, in the order made
    bool m_mounted = false;
    bool m_bound = false;
    std::string m_error;
};

}  // namespace ib::sim::gadget
