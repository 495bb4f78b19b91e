#include "traffic/ip_helper.h"

namespace qb {
namespace {

void AddUnlessOverflow(int64_t& total, int64_t value)
{
    int64_t sum = 0;
    if (!__builtin_add_overflow(total, value, &sum))
        total = sum;
}

} // namespace

CIpHelper::CIpHelper(InterfaceTableSource& source) : m_source(source) {}

std::shared_ptr<CInterfaces> CIpHelper::Interfaces()
{
    m_interfaces = std::make_shared<CInterfaces>();
    m_bytesReceived = 0;
    m_bytesSent = 0;
    const InterfaceTable table = m_source.Fetch();
    if (table.status == InterfaceTable::Status::NotSupported) {
        // Every 100 ms tick reads the table: one box, not ten a second.
        if (!m_toldNotSupported && ShowMessage) {
            m_toldNotSupported = true;
            ShowMessage(kNotSupportedText);
        }
        return m_interfaces;
    }
    if (table.status != InterfaceTable::Status::Ok)
        return m_interfaces;
    for (const InterfaceRow& row : table.rows) {
        auto item = std::make_shared<CInterface>(CInterface::FromRow(row));
        AddUnlessOverflow(m_bytesReceived, item->OctetsReceived);
        AddUnlessOverflow(m_bytesSent, item->OctetsSent);
        m_interfaces->Add(std::move(item));
    }
    return m_interfaces;
}

} // namespace qb
