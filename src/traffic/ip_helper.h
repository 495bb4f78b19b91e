#pragma once
// Snapshots of the machine's network interfaces, with received and sent totals over all of them.
#include "platform/interface_table_source.h"
#include "traffic/interfaces.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace qb {

// Every read of Interfaces() builds a new, independent snapshot and recomputes the totals; readers
// take the totals right after it. UI thread only.
class CIpHelper {
public:
    static constexpr const char* kNotSupportedText = "IP Helper is not supported by this system.";

    explicit CIpHelper(InterfaceTableSource& source);

    // Shows a message box; the main window fills it. Used once per run at most, when the system has no
    // interface table at all.
    std::function<void(const std::string& text)> ShowMessage;

    // A fresh snapshot of every interface, loopback included; empty (totals 0) when the table cannot be
    // read.
    std::shared_ptr<CInterfaces> Interfaces();
    void SetInterfaces(std::shared_ptr<CInterfaces> interfaces) { m_interfaces = std::move(interfaces); }

    // Totals of the last snapshot; a row whose addition would overflow is left out of the total.
    int64_t BytesReceived() const { return m_bytesReceived; }
    int64_t BytesSent() const { return m_bytesSent; }

private:
    InterfaceTableSource& m_source;
    std::shared_ptr<CInterfaces> m_interfaces = std::make_shared<CInterfaces>();
    int64_t m_bytesReceived = 0;
    int64_t m_bytesSent = 0;
    bool m_toldNotSupported = false;
};

} // namespace qb
