#include "framework/pluginloader.h"

#include <QFile>

#include <dlfcn.h>
#include <elf.h>
#include <fcntl.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

// The ELF header of the program itself, placed by the linker: what this build is (class, byte
// order, machine), so a library for any other build is told apart.
extern "C" const ElfW(Ehdr) __ehdr_start;

namespace fw {

namespace {

bool preadAll(int fd, void* out, std::size_t size, std::uint64_t offset) {
    auto* p = static_cast<unsigned char*>(out);
    while (size > 0) {
        if (offset > std::uint64_t(std::numeric_limits<off_t>::max())) return false;
        const ssize_t r = ::pread(fd, p, size, off_t(offset));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return false;
        p += r;
        size -= std::size_t(r);
        offset += std::uint64_t(r);
    }
    return true;
}

// Whether [offset, offset + size) lies inside a file of fileSize bytes.
bool inside(std::uint64_t offset, std::uint64_t size, std::uint64_t fileSize) {
    return offset <= fileSize && size <= fileSize - offset;
}

// Whether the open file is a shared library of this build whose headers the file holds whole. The
// loader maps every loadable segment straight from the file: a segment that runs past the end of
// a cut file (an interrupted copy or upgrade) is a fault (SIGBUS) the first time the loader
// touches it, not an error it can report. A cut file loses its tail first, where the section
// headers lie, so those are asked to be there as well.
bool wholeLibraryOfThisBuild(int fd, std::uint64_t fileSize) {
    ElfW(Ehdr) h{};
    if (!preadAll(fd, &h, sizeof h, 0)) return false;
    const ElfW(Ehdr)& own = __ehdr_start;
    if (std::memcmp(h.e_ident, ELFMAG, SELFMAG) != 0) return false;
    if (h.e_ident[EI_CLASS] != own.e_ident[EI_CLASS] || h.e_ident[EI_DATA] != own.e_ident[EI_DATA]) return false;
    if (h.e_ident[EI_VERSION] != EV_CURRENT || h.e_type != ET_DYN || h.e_machine != own.e_machine) return false;
    if (h.e_phentsize != sizeof(ElfW(Phdr)) || h.e_phnum == 0 || h.e_phnum == PN_XNUM) return false;
    const std::uint64_t headers = std::uint64_t(h.e_phnum) * sizeof(ElfW(Phdr));
    if (!inside(h.e_phoff, headers, fileSize)) return false;
    if (h.e_shoff != 0 && !inside(h.e_shoff, std::uint64_t(h.e_shnum) * h.e_shentsize, fileSize)) return false;
    std::vector<ElfW(Phdr)> segments(h.e_phnum);
    if (!preadAll(fd, segments.data(), std::size_t(headers), h.e_phoff)) return false;
    bool loads = false;
    for (const ElfW(Phdr)& p : segments) {
        if (p.p_type != PT_LOAD) continue;
        if (!inside(p.p_offset, p.p_filesz, fileSize)) return false;
        loads = true;
    }
    return loads;
}

// A descriptor of the library file at path, or -1 when there is none to load: nothing there, not
// a regular file (a FIFO, a device, a folder), closed to us, or not a whole library of this build.
// A link is followed: a library installed as a link to its versioned file is as good as any, and
// what gets checked and loaded is the file the link leads to, through this one descriptor.
int openLibrary(const char* path) {
    // Without O_NONBLOCK, opening a FIFO nobody writes to would wait for ever.
    int fd;
    do fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size <= 0 ||
        !wholeLibraryOfThisBuild(fd, std::uint64_t(st.st_size))) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Whether the loader holds the library under that name, i.e. this call loaded it.
bool loadedUnder(void* library, const std::string& name) {
    link_map* map = nullptr;
    return ::dlinfo(library, RTLD_DI_LINKMAP, &map) == 0 && map && map->l_name && name == map->l_name;
}
}  // namespace

PluginMainFn LoadPluginLibrary(const QString& path) {
    const QByteArray file = QFile::encodeName(path);
    const int fd = openLibrary(file.constData());
    if (fd < 0) return nullptr;
    // The loader reads the very file that was checked, through its descriptor, so nothing put at
    // the path meanwhile is loaded instead. Without /proc there is no such name: the path it is.
    const std::string byDescriptor = "/proc/self/fd/" + std::to_string(fd);
    struct stat st {};
    const bool viaDescriptor = ::stat(byDescriptor.c_str(), &st) == 0;
    void* library = ::dlopen(viaDescriptor ? byDescriptor.c_str() : file.constData(), RTLD_NOW | RTLD_LOCAL);
    // The loader knows a library by the name it was loaded under: while the library is loaded,
    // its descriptor stays open, so that name never comes to mean another file. A library that
    // was loaded already (under another name) needs no descriptor of this call.
    if (!library || !viaDescriptor || !loadedUnder(library, byDescriptor)) ::close(fd);
    if (!library) return nullptr;
    // The library stays loaded for the rest of the run: its records and routines are in use.
    return reinterpret_cast<PluginMainFn>(::dlsym(library, QUORRIL_PLUGIN_ENTRY));
}

}  // namespace fw
