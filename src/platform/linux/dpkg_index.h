#pragma once
// Which installed Debian package a file belongs to, and that package's version.
#include "platform/file_info_source.h"

#include <cstdint>
#include <future>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace qb::linux_os {

// Reads dpkg's file lists once (about 150 000 paths, some 30 ms) on a worker thread started by the first
// question or by Prefetch(); later questions are map look-ups. Paths are kept as 64-bit hashes to keep
// the index small. Thread-safe.
class DpkgIndex {
public:
    explicit DpkgIndex(std::string dpkgRoot = "/var/lib/dpkg");
    ~DpkgIndex();
    DpkgIndex(const DpkgIndex&) = delete;
    DpkgIndex& operator=(const DpkgIndex&) = delete;

    void Prefetch();
    // The version text of the package that installed `path` ("2.36-9+deb12u4"); nullopt when none did.
    std::optional<std::string> PackageVersion(const std::string& path);

private:
    struct Index {
        std::unordered_map<uint64_t, uint32_t> packageOfPath;
        std::vector<std::string> versions;
    };
    static Index Build(const std::string& root);
    const Index& Get();

    std::string m_root;
    std::once_flag m_started;
    std::shared_future<Index> m_index;
};

// The leading numbers of a Debian version, without its epoch, as a file version: "1:2.36.1-9" is
// 2.36.1.0. Each part is limited to 65535; nullopt when the version does not start with a digit.
std::optional<FileVersion> FileVersionFromDebianVersion(std::string_view version);

} // namespace qb::linux_os
