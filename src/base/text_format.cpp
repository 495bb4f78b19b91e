#include "base/text_format.h"

#include <charconv>
#include <cstdio>
#include <cstring>

namespace qb {
namespace {

// The shortest text of a number with up to 15 significant digits, as the size texts show it. Not
// printf: Qt sets the C library's locale from the environment, and a German one writes "1,46".
std::string NumberText(double value)
{
    char buffer[64];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15).ptr;
    std::string text(buffer, end);
    if (const auto e = text.find('e'); e != std::string::npos)
        text[e] = 'E';
    return text;
}

std::string TwoDigits(uint16_t value)
{
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%02u", static_cast<unsigned>(value));
    return buffer;
}

} // namespace

std::string ProgramName(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FormatIPv4(uint32_t addr)
{
    unsigned char bytes[4];
    std::memcpy(bytes, &addr, 4);
    return std::to_string(bytes[0]) + "." + std::to_string(bytes[1]) + "." + std::to_string(bytes[2]) + "." +
           std::to_string(bytes[3]);
}

std::string FormatAddress(const IpAddress& address)
{
    if (!address.IsIPv6())
        return FormatIPv4(address.IPv4());
    uint16_t groups[8];
    for (int i = 0; i < 8; ++i)
        groups[i] = static_cast<uint16_t>(address.bytes[2 * i] << 8 | address.bytes[2 * i + 1]);
    if (groups[0] == 0 && groups[1] == 0 && groups[2] == 0 && groups[3] == 0 && groups[4] == 0 &&
        groups[5] == 0xffff) {
        uint32_t mapped = 0;
        std::memcpy(&mapped, address.bytes.data() + 12, 4);
        return "::ffff:" + FormatIPv4(mapped);
    }
    int bestStart = -1;
    int bestLength = 1; // a single zero group is written out, never as "::"
    for (int i = 0; i < 8;) {
        int end = i;
        while (end < 8 && groups[end] == 0)
            ++end;
        if (end - i > bestLength) {
            bestStart = i;
            bestLength = end - i;
        }
        i = end == i ? i + 1 : end;
    }
    std::string text;
    char hex[8];
    for (int i = 0; i < 8; ++i) {
        if (i == bestStart) {
            text += "::";
            i += bestLength - 1;
            continue;
        }
        if (!text.empty() && text.back() != ':')
            text += ':';
        std::snprintf(hex, sizeof hex, "%x", static_cast<unsigned>(groups[i]));
        text += hex;
    }
    if (address.scopeId != 0)
        text += "%" + std::to_string(address.scopeId);
    return text;
}

std::string FormatEndpoint(const IpAddress& address, int32_t port, Transport protocol)
{
    const std::string text = FormatAddress(address);
    return (address.IsIPv6() ? "[" + text + "]" : text) + ":" + PortText(port, protocol);
}

std::string PortText(int32_t port, Transport protocol)
{
    return std::to_string(port) + (protocol == Transport::Udp ? "/UDP" : "");
}

std::string FormatSize(const double& bytes)
{
    constexpr double kKilo = 1024.0;
    constexpr double kMega = 1048576.0;
    constexpr double kGiga = 1073741824.0;
    if (bytes < kKilo)
        return NumberText(bytes) + " Bytes";
    if (bytes < kMega)
        return TrimDecimals(NumberText(bytes / kKilo), 2) + " KB";
    if (bytes < kGiga)
        return TrimDecimals(NumberText(bytes / kMega), 2) + " MB";
    return TrimDecimals(NumberText(bytes / kGiga), 2) + " GB";
}

std::string TrimDecimals(const std::string& text, uint8_t digits)
{
    const auto point = text.find('.');
    if (point == std::string::npos)
        return text;
    return text.substr(0, point + 1 + digits);
}

std::string FileSizeText(uint64_t size)
{
    return FormatSize(static_cast<double>(size));
}

std::string FileVersionText(FileInfoSource& files, const std::string& path)
{
    const auto version = files.Version(path);
    if (!version)
        return {};
    const uint32_t ms = version->mostSignificant;
    const uint32_t ls = version->leastSignificant;
    std::string text = std::to_string(HiWord(ms)) + "." + TwoDigits(LoWord(ms)) + ".";
    if (ls == 0)
        return text + "0000";
    return text + TwoDigits(HiWord(ls)) + "." + TwoDigits(LoWord(ls));
}

uint16_t HiWord(uint32_t value)
{
    return static_cast<uint16_t>(value >> 16);
}
uint16_t LoWord(uint32_t value)
{
    return static_cast<uint16_t>(value & 0xFFFF);
}

std::string TrimNull(const std::string& text)
{
    const auto nul = text.find('\0');
    return nul == std::string::npos ? text : text.substr(0, nul);
}

} // namespace qb
