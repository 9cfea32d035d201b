// The configfs gadget and its FunctionFS mount. See configfs_gadget.h.
#include "sim/gadget/configfs_gadget.h"

#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace ib::sim::gadget {
namespace {

constexpr const char* kLanguage = "0x409";
constexpr const char* kConfiguration = "c.1";

std::string hex16(std::uint16_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%04x", unsigned{value});
    return text;
}

}  // namespace

ConfigfsGadget::ConfigfsGadget(const GadgetPlaces& places)
    : m_root(places.gadgetsRoot / places.name),
      m_mount(places.functionFsMount.empty() ? std::filesystem::path("/dev/ffs-" + places.name)
                                             : places.functionFsMount),
      m_functionInstance(places.name),
      m_controller(places.controller) {}

std::unique_ptr<ConfigfsGadget> ConfigfsGadget::create(const GadgetPlaces& places,
                                                       const UsbIdentity& identity, std::string& error) {
    std::unique_ptr<ConfigfsGadget> gadget(new ConfigfsGadget(places));
    if (!gadget->build(identity)) {
        error = gadget->m_error;
        return nullptr;  // the destructor takes apart what was made
    }
    return gadget;
}

ConfigfsGadget::~ConfigfsGadget() { takeApart(); }

bool ConfigfsGadget::build(const UsbIdentity& identity) {
    const auto function = m_root / "functions" / ("ffs." + m_functionInstance);
    const auto configuration = m_root / "configs" / kConfiguration;
    if (!makeFolder(m_root) || !writeAttribute(m_root / "bcdUSB", "0x0200") ||
        !writeAttribute(m_root / "bcdDevice", "0x0100") || !makeFolder(m_root / "strings" / kLanguage) ||
        !setIdentity(identity) || !makeFolder(configuration) ||
        !makeFolder(configuration / "strings" / kLanguage) ||
        !writeAttribute(configuration / "strings" / kLanguage / "configuration", "Mass Storage") ||
        !makeFolder(function)) {
        return false;
    }
    const auto link = configuration / ("ffs." + m_functionInstance);
    if (::symlink(function.c_str(), link.c_str()) != 0) {
        m_error = "cannot link " + link.string() + ": " + std::strerror(errno);
        return false;
    }
    m_made.push_back(link);
    std::error_code ignored;
    if (!std::filesystem::exists(m_mount, ignored)) {
        if (!makeFolder(m_mount)) return false;
    }
    if (::mount(m_functionInstance.c_str(), m_mount.c_str(), "functionfs", 0, nullptr) != 0) {
        m_error = "cannot mount FunctionFS at " + m_mount.string() + ": " + std::strerror(errno);
        return false;
    }
    m_mounted = true;
    return true;
}

bool ConfigfsGadget::setIdentity(const UsbIdentity& identity) {
    const auto strings = m_root / "strings" / kLanguage;
    return writeAttribute(m_root / "idVendor", hex16(identity.vendorId)) &&
           writeAttribute(m_root / "idProduct", hex16(identity.productId)) &&
           writeAttribute(strings / "manufacturer", identity.manufacturer) &&
           writeAttribute(strings / "product", identity.product) &&
           writeAttribute(strings / "serialnumber", identity.serialNumber);
}

bool ConfigfsGadget::bind() {
    if (m_bound) return true;
    m_bound = writeAttribute(m_root / "UDC", m_controller);
    return m_bound;
}

bool ConfigfsGadget::unbind() {
    if (!m_bound) return true;
    // An empty name detaches the gadget from its controller.
    if (!writeAttribute(m_root / "UDC", "\n")) return false;
    m_bound = false;
    return true;
}

bool ConfigfsGadget::writeAttribute(const std::filesystem::path& file, const std::string& value) {
    // configfs reports a refused value from write() itself, so the result is checked there.
    const int descriptor = ::open(file.c_str(), O_WRONLY | O_CLOEXEC);
    bool written = descriptor >= 0 &&
                   ::write(descriptor, value.data(), value.size()) == static_cast<ssize_t>(value.size());
    if (!written) m_error = "cannot write '" + value + "' to " + file.string() + ": " + std::strerror(errno);
    if (descriptor >= 0) ::close(descriptor);
    return written;
}

bool ConfigfsGadget::makeFolder(const std::filesystem::path& folder) {
    std::error_code error;
    // Only the last component is made: the others are configfs default groups or already made.
    if (!std::filesystem::create_directory(folder, error)) {
        m_error = "cannot make " + folder.string() + ": " + (error ? error.message() : "it exists already");
        return false;
    }
    m_made.push_back(folder);
    return true;
}

void ConfigfsGadget::takeApart() {
    unbind();
    if (m_mounted && ::umount2(m_mount.c_str(), 0) == 0) m_mounted = false;
    for (auto it = m_made.rbegin(); it != m_made.rend(); ++it) {
        std::error_code ignored;
        std::filesystem::remove(*it, ignored);
    }
    m_made.clear();
}

}  // namespace ib::sim::gadget
