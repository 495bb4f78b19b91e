#include "platform/linux/dpkg_index.h"

#include <dirent.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <memory>

namespace qb::linux_os {
namespace {

uint64_t HashPath(std::string_view path)
{
    return std::hash<std::string_view>{}(path);
}

// Package name (with ":arch" where dpkg qualifies it) to its version, from the status file.
std::unordered_map<std::string, std::string> ReadVersions(const std::string& root)
{
    std::unordered_map<std::string, std::string> versions;
    std::ifstream status(root + "/status");
    std::string line, package, architecture, version, multiArch;
    auto flush = [&] {
        if (!package.empty() && !version.empty()) {
            versions[package] = version;
            if (!architecture.empty())
                versions[package + ":" + architecture] = version;
        }
        package.clear();
        architecture.clear();
        version.clear();
    };
    while (std::getline(status, line)) {
        if (line.empty())
            flush();
        else if (line.starts_with("Package: "))
            package = line.substr(9);
        else if (line.starts_with("Architecture: "))
            architecture = line.substr(14);
        else if (line.starts_with("Version: "))
            version = line.substr(9);
    }
    flush();
    return versions;
}

} // namespace

DpkgIndex::DpkgIndex(std::string dpkgRoot) : m_root(std::move(dpkgRoot)) {}

DpkgIndex::~DpkgIndex()
{
    if (m_index.valid())
        m_index.wait();
}

void DpkgIndex::Prefetch()
{
    std::call_once(m_started, [this] { m_index = std::async(std::launch::async, Build, m_root).share(); });
}

const DpkgIndex::Index& DpkgIndex::Get()
{
    Prefetch();
    return m_index.get();
}

DpkgIndex::Index DpkgIndex::Build(const std::string& root)
{
    Index index;
    const auto versions = ReadVersions(root);
    const std::string infoDir = root + "/info";
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(infoDir.c_str()), ::closedir);
    if (!dir)
        return index;
    std::string line;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string_view name = entry->d_name;
        if (!name.ends_with(".list"))
            continue;
        const auto version = versions.find(std::string(name.substr(0, name.size() - 5)));
        if (version == versions.end())
            continue;
        const auto id = static_cast<uint32_t>(index.versions.size());
        index.versions.push_back(version->second);
        std::ifstream list(infoDir + "/" + std::string(name));
        while (std::getline(list, line))
            index.packageOfPath.emplace(HashPath(line), id);
    }
    return index;
}

std::optional<std::string> DpkgIndex::PackageVersion(const std::string& path)
{
    const Index& index = Get();
    // Since the /usr merge a file may be listed under /bin while it runs as /usr/bin, or the other way.
    std::string candidates[2] = {path, path.starts_with("/usr/") ? path.substr(4) : "/usr" + path};
    for (const std::string& candidate : candidates) {
        if (const auto it = index.packageOfPath.find(HashPath(candidate)); it != index.packageOfPath.end())
            return index.versions[it->second];
    }
    return std::nullopt;
}

std::optional<FileVersion> FileVersionFromDebianVersion(std::string_view version)
{
    if (const auto colon = version.find(':');
        colon != std::string_view::npos && std::all_of(version.begin(), version.begin() + colon, ::isdigit))
        version.remove_prefix(colon + 1);
    if (version.empty() || !std::isdigit(static_cast<unsigned char>(version[0])))
        return std::nullopt;
    uint32_t parts[4] = {0, 0, 0, 0};
    std::size_t pos = 0;
    for (int part = 0;
         part < 4 && pos < version.size() && std::isdigit(static_cast<unsigned char>(version[pos])); ++part) {
        uint32_t value = 0;
        while (pos < version.size() && std::isdigit(static_cast<unsigned char>(version[pos]))) {
            value = std::min<uint32_t>(value * 10 + static_cast<uint32_t>(version[pos] - '0'), 65535);
            ++pos;
        }
        parts[part] = value;
        if (pos >= version.size() || version[pos] != '.')
            break;
        ++pos;
    }
    return FileVersion{parts[0] << 16 | parts[1], parts[2] << 16 | parts[3]};
}

} // namespace qb::linux_os
