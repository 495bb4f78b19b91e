#pragma once
// Texts the monitor, details pane and traffic meter show: program names, addresses, sizes, versions.
#include "platform/file_info_source.h"
#include "platform/tcp_table_source.h"

#include <cstdint>
#include <string>

namespace qb {

// The part of `path` after its last "/"; the whole path when it has none.
std::string ProgramName(const std::string& path);
// The four bytes of a stored address in memory (network) order, dotted: "10.0.0.138".
std::string FormatIPv4(uint32_t addr);
// An address as RFC 5952 writes it: IPv4 dotted; IPv6 in lower-case hex without leading zeros, the
// longest run of two or more zero groups (the first of equal runs) as "::", an IPv4-mapped address as
// "::ffff:a.b.c.d", and a link-local address's scope after "%": "fe80::1%2".
std::string FormatAddress(const IpAddress& address);
// An address with a port after it as PortText writes it: "10.0.0.1:443", "[2001:db8::1]:443",
// "10.0.0.1:53/UDP".
std::string FormatEndpoint(const IpAddress& address, int32_t port, Transport protocol = Transport::Tcp);
// A port number as the lists show it: "443" for TCP, "443/UDP" for UDP.
std::string PortText(int32_t port, Transport protocol);
// Bytes, KB, MB or GB by powers of 1024, cut (not rounded) to two decimals: "1.46 KB", "2 KB", "0 Bytes".
std::string FormatSize(const double& bytes);
// `text` up to `digits` characters after its first "."; unchanged without one.
std::string TrimDecimals(const std::string& text, uint8_t digits);
std::string FileSizeText(uint64_t size);
// "5.01.2600.2180", "6.00.0000"; empty when the file has no version. May block briefly the first
// time (the version index is built once); any thread.
std::string FileVersionText(FileInfoSource& files, const std::string& path);
uint16_t HiWord(uint32_t value);
uint16_t LoWord(uint32_t value);
// `text` up to its first NUL character.
std::string TrimNull(const std::string& text);

} // namespace qb
