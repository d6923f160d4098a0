#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace busdesk::atomic_file {

// In the name of the temporary file a replacement writes beside its target (a crash may leave
// one behind; whoever owns the target removes such leftovers).
inline constexpr std::string_view kTemporaryMarker = ".busdesk-tmp-";

// The folder a path is in: "." for a bare name, "/" for a name at the root.
std::string parentOf(const std::string& path);

// Replaces the file at `path` by `data`, mode 0600: a temporary file in the same folder (made,
// mode 0700, when missing), fsync, rename over the target, fsync of the folder. A crash leaves
// the old or the new content, never a torn file. 0, or the errno of the step that failed.
int replace(const std::string& path, std::string_view data);

// Moves a damaged file out of the way as "<path>.corrupt-N", N one more than the highest copy
// already there (never over an existing file), and deletes the oldest copies beyond `keep`. The
// copy's path, or nothing with errno set when the file could not be moved.
std::optional<std::string> moveAside(const std::string& path, std::size_t keep);

}  // namespace busdesk::atomic_file
