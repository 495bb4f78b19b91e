#pragma once
// The program's own embedded resources, found by type and number, and the helper that writes one out.
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <span>

namespace qb {

// The splash animation clip, resource "AVI" 171.
inline constexpr int kSplashClipResource = 171;

// The bytes of resource (`type`, `id`); nothing when the program has no such resource.
std::optional<std::span<const uint8_t>> ProgramResource(int id, const QString& type);

// Shows a message to the user: title and text.
using WarningSink = std::function<void(const QString& title, const QString& text)>;

// Writes resource (`resType`, `resId`) to `fileName` (0600, through a temporary file and a rename, never
// through a symbolic link), replacing what the file held, and returns `fileName`. On any failure (no such
// resource, the file cannot be written, a link or anything but a regular file at `fileName`) calls `warn`
// once with the title "Warning" and "<errno>:Error in BuildFileFromResource.  Error Message:
// <description>", and returns an empty text, leaving `fileName` as it was. UI thread or any thread.
QString BuildFileFromResource(const QString& fileName, int resId, const QString& resType,
                              const WarningSink& warn);

} // namespace qb
