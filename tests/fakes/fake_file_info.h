#pragma once
#include "platform/file_info_source.h"

#include <map>
#include <string>

namespace qb::test {

class FakeFileInfo final : public FileInfoSource {
public:
    std::map<std::string, FileFacts> files;
    std::map<std::string, FileVersion> versions;

    std::optional<FileFacts> Stat(const std::string& path) override
    {
        const auto it = files.find(path);
        if (it == files.end())
            return std::nullopt;
        return it->second;
    }
    std::optional<FileVersion> Version(const std::string& path) override
    {
        const auto it = versions.find(path);
        if (it == versions.end())
            return std::nullopt;
        return it->second;
    }
};

} // namespace qb::test
