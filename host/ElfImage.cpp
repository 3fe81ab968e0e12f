#include "host/ElfImage.h"

#include <dlfcn.h>
#include <elf.h>
#include <link.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace quon_host {

namespace {

// `count` records of T at `offset`, all inside the image (the count is divided, not multiplied,
// so that no product wraps).
template <class T>
const T* At(const std::vector<char>& image, std::uint64_t offset, std::uint64_t count = 1) {
    if (offset > image.size() || count > (image.size() - offset) / sizeof(T))
        throw std::runtime_error("ELF file truncated");
    // The image starts on malloc's alignment; a record at an odd offset would be read misaligned.
    if (offset % alignof(T) != 0) throw std::runtime_error("ELF file with a misaligned table");
    return reinterpret_cast<const T*>(image.data() + offset);
}

void CheckHeader(const std::vector<char>& image, const std::string& what) {
    if (image.size() < sizeof(Elf64_Ehdr) || std::memcmp(image.data(), ELFMAG, SELFMAG) != 0 ||
        image[EI_CLASS] != ELFCLASS64)
        throw std::runtime_error("not a 64-bit ELF file: " + what);
    const auto* header = At<Elf64_Ehdr>(image, 0);
    if ((header->e_shnum != 0 && header->e_shentsize != sizeof(Elf64_Shdr)) ||
        (header->e_phnum != 0 && header->e_phentsize != sizeof(Elf64_Phdr)))
        throw std::runtime_error("ELF file with tables of another entry size: " + what);
}

}  // namespace

ElfImage::ElfImage(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) throw std::runtime_error("cannot read " + path);
    image.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    CheckHeader(image, path);
}

ElfImage::ElfImage(std::vector<char> bytes) : image(std::move(bytes)) {
    CheckHeader(image, "the bytes given");
}

template <class Visit>
void ElfImage::ForEachSymbol(std::uint32_t tableType, Visit visit) const {
    const auto* header = At<Elf64_Ehdr>(image, 0);
    const auto* sections = At<Elf64_Shdr>(image, header->e_shoff, header->e_shnum);
    for (int i = 0; i < header->e_shnum; ++i) {
        if (sections[i].sh_type != tableType) continue;
        if (sections[i].sh_link >= header->e_shnum)
            throw std::runtime_error("ELF file: a symbol table names a string table it does not have");
        const Elf64_Shdr& strings = sections[sections[i].sh_link];
        const char* names = At<char>(image, strings.sh_offset, strings.sh_size);
        const std::size_t count = sections[i].sh_size / sizeof(Elf64_Sym);
        const auto* symbols = At<Elf64_Sym>(image, sections[i].sh_offset, count);
        for (std::size_t k = 1; k < count; ++k) {
            // A name runs to its zero byte, which must lie inside the string table.
            const std::uint64_t start = symbols[k].st_name;
            if (start >= strings.sh_size) continue;
            const void* end = std::memchr(names + start, '\0', strings.sh_size - start);
            if (end == nullptr) throw std::runtime_error("ELF file: a symbol name runs past its string table");
            visit(names + start, symbols[k]);
        }
    }
}

std::set<std::string> ElfImage::DefinedDynamicSymbols() const {
    std::set<std::string> result;
    ForEachSymbol(SHT_DYNSYM, [&](const char* name, const Elf64_Sym& symbol) {
        if (symbol.st_shndx != SHN_UNDEF) result.insert(name);
    });
    return result;
}

std::set<std::string> ElfImage::ImportedThreadLocals() const {
    std::set<std::string> result;
    ForEachSymbol(SHT_DYNSYM, [&](const char* name, const Elf64_Sym& symbol) {
        if (symbol.st_shndx == SHN_UNDEF && ELF64_ST_TYPE(symbol.st_info) == STT_TLS) result.insert(name);
    });
    return result;
}

std::optional<std::uint64_t> ElfImage::SymbolAddress(const std::string& name) const {
    std::optional<std::uint64_t> address;
    ForEachSymbol(SHT_SYMTAB, [&](const char* symbolName, const Elf64_Sym& symbol) {
        if (!address && symbol.st_shndx != SHN_UNDEF && name == symbolName) address = symbol.st_value;
    });
    return address;
}

std::uint64_t ElfImage::ThreadLocalSegmentSize() const {
    const auto* header = At<Elf64_Ehdr>(image, 0);
    const auto* segments = At<Elf64_Phdr>(image, header->e_phoff, header->e_phnum);
    for (int i = 0; i < header->e_phnum; ++i)
        if (segments[i].p_type == PT_TLS) return segments[i].p_memsz;
    return 0;
}

void* LoadedSymbolAddress(void* moduleHandle, const ElfImage& image, const std::string& name) {
    const std::optional<std::uint64_t> address = image.SymbolAddress(name);
    link_map* map = nullptr;
    if (!address || dlinfo(moduleHandle, RTLD_DI_LINKMAP, &map) != 0 || map == nullptr) return nullptr;
    return reinterpret_cast<void*>(map->l_addr + *address);
}

}  // namespace quon_host
