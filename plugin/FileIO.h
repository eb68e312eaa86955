#pragma once

class ByteChunk;

// Writes size bytes to path so that path holds either its old content or all
// of the new one, never a part: the bytes go to a temporary file in the same
// folder, which is flushed to disk and renamed over path. On any failure the
// temporary file is removed and false returned. The new file's permissions
// follow the process umask, as a plain fopen would make them.
bool WriteFileAtomically(const char* path, const void* data, int size);

// Reads the whole regular file at path into pOut (cleared first). False when it
// cannot be opened or read, is not a regular file, or holds more than maxSize
// bytes; pOut is then empty.
bool ReadWholeFile(const char* path, ByteChunk* pOut, int maxSize);
