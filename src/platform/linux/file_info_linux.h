#pragma once
// File facts from stat(); versions from the Debian package that installed the file.
#include "platform/file_info_source.h"
#include "platform/linux/dpkg_index.h"

namespace qb::linux_os {

// Thread-safe.
class LinuxFileInfo final : public FileInfoSource {
public:
    explicit LinuxFileInfo(std::string dpkgRoot = "/var/lib/dpkg");
    std::optional<FileFacts> Stat(const std::string& path) override;
    std::optional<FileVersion> Version(const std::string& path) override;
    void Prefetch() { m_dpkg.Prefetch(); }

private:
    DpkgIndex m_dpkg;
};

} // namespace qb::linux_os
