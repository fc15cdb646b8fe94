// The recording fake of the platform seam: in-memory files, a simulated clock and a log of every call.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace fake {

// Forgets every file and recorded call; each test fixture starts from here.
void reset();

// The bytes of `text` as a keymap file holds them: UTF-16LE, no byte-order mark.
std::string utf16le(std::u16string_view text);

// Makes `path` readable with the given bytes. Paths not added are read from the real file system.
void addFile(const std::u16string& path, const std::string& bytes);
// Makes `path` open but fail to read.
void addUnreadableFile(const std::u16string& path);

// How often the out-of-memory box was shown.
int outOfMemoryShown();
// Files opened and not yet closed.
int openFiles();

} // namespace fake
