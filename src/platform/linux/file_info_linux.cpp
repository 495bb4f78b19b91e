#include "platform/linux/file_info_linux.h"

#include <sys/stat.h>

namespace qb::linux_os {

LinuxFileInfo::LinuxFileInfo(std::string dpkgRoot) : m_dpkg(std::move(dpkgRoot)) {}

std::optional<FileFacts> LinuxFileInfo::Stat(const std::string& path)
{
    struct stat info;
    if (path.empty() || ::stat(path.c_str(), &info) != 0)
        return std::nullopt;
    return FileFacts{S_ISDIR(info.st_mode), static_cast<uint64_t>(info.st_size)};
}

std::optional<FileVersion> LinuxFileInfo::Version(const std::string& path)
{
    const auto version = m_dpkg.PackageVersion(path);
    if (!version)
        return std::nullopt;
    return FileVersionFromDebianVersion(*version);
}

} // namespace qb::linux_os
