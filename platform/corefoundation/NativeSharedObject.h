// Whether a file can be handed to the dynamic loader without harm.
#ifndef ORVANTA_PLATFORM_COREFOUNDATION_NATIVESHAREDOBJECT_H
#define ORVANTA_PLATFORM_COREFOUNDATION_NATIVESHAREDOBJECT_H

#include <string>

namespace cf {

// True when `path` is a regular file holding a complete shared object of this
// process's kind: ELF magic, class, byte order, version and machine of this
// process, type shared object, and every segment, the program header table
// and the section header table lying inside the file. The loader maps
// segments without looking at the file's length, so a truncated executable
// would otherwise fault (SIGBUS) when its missing pages are first touched.
// Bundle loading asks this before the loader sees a file.
// Any thread; reads the file's headers, allocates a little.
bool IsCompleteNativeSharedObject(const std::string& path);

}  // namespace cf

#endif  // ORVANTA_PLATFORM_COREFOUNDATION_NATIVESHAREDOBJECT_H
