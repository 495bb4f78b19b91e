#pragma once
// One connection of the kernel's table, kept in the form the table delivers it.
#include <cstdint>
#include <string>

namespace qb {

// Ports and addresses stay in network byte order as delivered; they are converted only for display
// (PortNumber, FormatIPv4). State is the MIB-II code as decimal text ("5"; "2" is listening).
struct ConnectionRecord {
    std::string Path; // the owner's executable; empty until owner resolution finds it
    uint32_t PID = 0;
    uint32_t LocalPort = 0;
    uint32_t RemotePort = 0;
    uint32_t LocalAddr = 0;
    uint32_t RemoteAddr = 0;
    std::string State;
};

} // namespace qb
