#pragma once
#include "platform/file_info_source.h"

#include <map>

namespace qb::test {

struct FakeFileInfo final : FileInfoSource {
    std::map<std::string, FileFacts> files;
    std::map<std::string, FileVersion> versions;

    std::optional<FileFacts> Stat(const std::string& path) override
    {
        return files.contains(path) ? std::optional(files.at(path)) : std::nullopt;
    }
    std::optional<FileVersion> Version(const std::string& path) override
    {
        return versions.contains(path) ? std::optional(versions.at(path)) : std::nullopt;
    }
};

} // namespace qb::test
