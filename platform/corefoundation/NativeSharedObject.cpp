#include "corefoundation/NativeSharedObject.h"

#include <elf.h>
#include <fcntl.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <vector>

namespace cf {

namespace {

#if __ELF_NATIVE_CLASS == 64
constexpr unsigned char kClass = ELFCLASS64;
#else
constexpr unsigned char kClass = ELFCLASS32;
#endif

#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
constexpr unsigned char kByteOrder = ELFDATA2LSB;
#else
constexpr unsigned char kByteOrder = ELFDATA2MSB;
#endif

// EM_NONE: a machine this check does not know; the loader's own test of the
// machine field then stands alone.
#if defined(__x86_64__)
constexpr unsigned kMachine = EM_X86_64;
#elif defined(__aarch64__)
constexpr unsigned kMachine = EM_AARCH64;
#elif defined(__i386__)
constexpr unsigned kMachine = EM_386;
#elif defined(__arm__)
constexpr unsigned kMachine = EM_ARM;
#elif defined(__riscv)
constexpr unsigned kMachine = EM_RISCV;
#else
constexpr unsigned kMachine = EM_NONE;
#endif

// [offset, offset + count * size) inside a file of `fileSize` bytes, without
// the arithmetic overflowing.
bool Inside(uint64_t offset, uint64_t count, uint64_t size, uint64_t fileSize) {
    if (offset > fileSize) {
        return false;
    }
    uint64_t room = fileSize - offset;
    return size == 0 || count <= room / size;
}

bool ReadAt(int fd, void* out, size_t size, uint64_t offset) {
    auto* bytes = static_cast<unsigned char*>(out);
    while (size > 0) {
        ssize_t got = pread(fd, bytes, size, static_cast<off_t>(offset));
        if (got <= 0) {
            return false;
        }
        bytes += got;
        size -= static_cast<size_t>(got);
        offset += static_cast<uint64_t>(got);
    }
    return true;
}

bool CheckHeader(const ElfW(Ehdr) & header, uint64_t fileSize) {
    const unsigned char* id = header.e_ident;
    if (id[EI_MAG0] != ELFMAG0 || id[EI_MAG1] != ELFMAG1 || id[EI_MAG2] != ELFMAG2 || id[EI_MAG3] != ELFMAG3 ||
        id[EI_CLASS] != kClass || id[EI_DATA] != kByteOrder || id[EI_VERSION] != EV_CURRENT ||
        header.e_version != EV_CURRENT || header.e_type != ET_DYN) {
        return false;
    }
    if (kMachine != EM_NONE && header.e_machine != kMachine) {
        return false;
    }
    // PN_XNUM would move the segment count into the first section header,
    // which no loadable library of this kind needs.
    if (header.e_ehsize < sizeof(ElfW(Ehdr)) || header.e_phentsize != sizeof(ElfW(Phdr)) || header.e_phnum == 0 ||
        header.e_phnum >= PN_XNUM || !Inside(header.e_phoff, header.e_phnum, sizeof(ElfW(Phdr)), fileSize)) {
        return false;
    }
    if (header.e_shnum != 0 &&
        (header.e_shentsize != sizeof(ElfW(Shdr)) ||
         !Inside(header.e_shoff, header.e_shnum, sizeof(ElfW(Shdr)), fileSize))) {
        return false;
    }
    return true;
}

bool CheckSegments(const std::vector<ElfW(Phdr)>& segments, uint64_t fileSize) {
    bool loadable = false;
    for (const ElfW(Phdr) & segment : segments) {
        if (segment.p_filesz != 0 && !Inside(segment.p_offset, 1, segment.p_filesz, fileSize)) {
            return false;
        }
        if (segment.p_type == PT_LOAD) {
            if (segment.p_filesz > segment.p_memsz) {
                return false;
            }
            loadable = true;
        }
    }
    return loadable;
}

}  // namespace

bool IsCompleteNativeSharedObject(const std::string& path) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    bool ok = false;
    struct stat info;
    ElfW(Ehdr) header;
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size >= static_cast<off_t>(sizeof header) &&
        ReadAt(fd, &header, sizeof header, 0)) {
        const uint64_t fileSize = static_cast<uint64_t>(info.st_size);
        if (CheckHeader(header, fileSize)) {
            std::vector<ElfW(Phdr)> segments(header.e_phnum);
            ok = ReadAt(fd, segments.data(), segments.size() * sizeof(ElfW(Phdr)), header.e_phoff) &&
                 CheckSegments(segments, fileSize);
        }
    }
    close(fd);
    return ok;
}

}  // namespace cf
