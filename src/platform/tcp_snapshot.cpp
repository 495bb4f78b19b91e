#include "platform/tcp_table_source.h"

#include <algorithm>
#include <cstring>

namespace qb {

TcpSnapshot TcpSnapshot::FromRows(const std::vector<TcpRow>& rows)
{
    TcpSnapshot snapshot;
    snapshot.m_bytes.resize(4 + rows.size() * kRowBytes);
    const auto count = static_cast<uint32_t>(rows.size());
    std::memcpy(snapshot.m_bytes.data(), &count, 4);
    std::byte* out = snapshot.m_bytes.data() + 4;
    for (const TcpRow& row : rows) {
        const uint32_t fields[6] = {row.state,      row.localAddr,  row.localPort,
                                    row.remoteAddr, row.remotePort, row.pid};
        std::memcpy(out, fields, kRowBytes);
        out += kRowBytes;
    }
    return snapshot;
}

TcpSnapshot TcpSnapshot::FromBytes(std::vector<std::byte> bytes)
{
    TcpSnapshot snapshot;
    snapshot.m_bytes = std::move(bytes);
    return snapshot;
}

uint32_t TcpSnapshot::StoredCount() const
{
    uint32_t count = 0;
    if (m_bytes.size() >= 4)
        std::memcpy(&count, m_bytes.data(), 4);
    return count;
}

uint32_t TcpSnapshot::AvailableRows() const
{
    if (m_bytes.size() < 4)
        return 0;
    const auto fit = static_cast<uint32_t>(std::min<std::size_t>((m_bytes.size() - 4) / kRowBytes, UINT32_MAX));
    return std::min(StoredCount(), fit);
}

TcpRow TcpSnapshot::Row(uint32_t index) const
{
    uint32_t fields[6];
    std::memcpy(fields, m_bytes.data() + 4 + std::size_t{index} * kRowBytes, kRowBytes);
    return TcpRow{fields[0], fields[1], fields[2], fields[3], fields[4], fields[5]};
}

} // namespace qb
