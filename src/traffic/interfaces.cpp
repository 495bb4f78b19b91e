#include "traffic/interfaces.h"

#include <algorithm>
#include <cstdio>

namespace qb {

std::string AdapterAddressText(const std::vector<uint8_t>& bytes)
{
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        char part[4];
        std::snprintf(part, sizeof part, bytes[i] == 0 ? "00" : "%X", static_cast<unsigned>(bytes[i]));
        if (i > 0)
            text += '-';
        text += part;
    }
    return text;
}

CInterface CInterface::FromRow(const InterfaceRow& row)
{
    constexpr std::size_t kDescriptionBytes = 256;
    constexpr std::size_t kAddressBytes = 8;
    const auto bits = [](uint64_t value) { return static_cast<int64_t>(value); };
    CInterface item;
    item.InterfaceName = row.name;
    item.InterfaceDescription = row.description.substr(0, kDescriptionBytes);
    item.InterfaceIndex = static_cast<int32_t>(row.index);
    item.InterfaceType = static_cast<int32_t>(row.type);
    item.MaximumTransmissionUnit = static_cast<int32_t>(row.mtu);
    item.Speed = static_cast<int32_t>(row.speed);
    const std::size_t addressLength = std::min(row.physicalAddress.size(), kAddressBytes);
    item.AdapterAddress = AdapterAddressText(std::vector<uint8_t>(
        row.physicalAddress.begin(), row.physicalAddress.begin() + static_cast<long>(addressLength)));
    item.AdminStatus = static_cast<int32_t>(row.adminStatus);
    item.OperationalStatus = static_cast<int32_t>(row.operationalStatus);
    item.LastChange = 0;
    item.OctetsReceived = bits(row.octetsReceived);
    item.UnicastPacketsReceived = bits(row.unicastPacketsReceived);
    item.NonunicastPacketsReceived = bits(row.nonunicastPacketsReceived);
    item.DiscardedIncomingPackets = bits(row.discardedIncomingPackets);
    item.IncomingErrors = bits(row.incomingErrors);
    item.UnknownProtocolPackets = bits(row.unknownProtocolPackets);
    item.OctetsSent = bits(row.octetsSent);
    item.UnicastPacketsSent = bits(row.unicastPacketsSent);
    item.NonunicastPacketsSent = bits(row.nonunicastPacketsSent);
    item.DiscardedOutgoingPackets = bits(row.discardedOutgoingPackets);
    item.OutgoingErrors = bits(row.outgoingErrors);
    item.OutputQueueLength = bits(row.outputQueueLength);
    return item;
}

std::shared_ptr<CInterface> CInterfaces::Add(std::shared_ptr<CInterface> objInterface)
{
    m_items.push_back(objInterface);
    return objInterface;
}

std::shared_ptr<CInterface> CInterfaces::Item(int index) const
{
    if (index < 1 || index > Count())
        return nullptr;
    return m_items[static_cast<std::size_t>(index - 1)];
}

void CInterfaces::Remove(int index)
{
    if (index >= 1 && index <= Count())
        m_items.erase(m_items.begin() + (index - 1));
}

} // namespace qb
