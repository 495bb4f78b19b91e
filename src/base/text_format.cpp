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
