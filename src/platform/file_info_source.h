#pragma once
// Facts about files: existence, kind, size, and the four-part version number where one exists.
#include <cstdint>
#include <optional>
#include <string>

namespace qb {

struct FileFacts {
    bool isDirectory = false;
    uint64_t size = 0;
};

// The file version as two 32-bit halves: major << 16 | minor, build << 16 | revision.
struct FileVersion {
    uint32_t mostSignificant = 0;
    uint32_t leastSignificant = 0;
};

// Thread-safe: may be called from any thread.
class FileInfoSource {
public:
    virtual ~FileInfoSource() = default;
    // nullopt when nothing exists at `path` or it cannot be examined.
    [[nodiscard]] virtual std::optional<FileFacts> Stat(const std::string& path) = 0;
    // nullopt when the file has no version.
    [[nodiscard]] virtual std::optional<FileVersion> Version(const std::string& path) = 0;
};

} // namespace qb
