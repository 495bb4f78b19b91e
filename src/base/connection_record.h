#pragma once
// One connection of the kernel's table, kept in the form the table delivers it.
#include "platform/tcp_table_source.h"

#include <cstdint>
#include <string>

namespace qb {

// Ports stay in network byte order as delivered and addresses as the kernel's bytes; they are converted
// only for display (PortNumber, FormatAddress). State is the MIB-II code as decimal text ("5"; "2" is
// listening). Protocol, InterfaceIndex and Cookie complete what names the socket to the kernel.
struct ConnectionRecord {
    std::string Path; // the owner's executable; empty until owner resolution finds it
    uint32_t PID = 0;
    uint32_t LocalPort = 0;
    uint32_t RemotePort = 0;
    IpAddress LocalAddr;
    IpAddress RemoteAddr;
    std::string State;
    Transport Protocol = Transport::Tcp;
    uint32_t InterfaceIndex = 0;
    uint64_t Cookie = 0;

    TcpEndpoints Endpoints() const
    {
        return {Protocol, LocalAddr, LocalPort, RemoteAddr, RemotePort, InterfaceIndex, Cookie};
    }
};

} // namespace qb
