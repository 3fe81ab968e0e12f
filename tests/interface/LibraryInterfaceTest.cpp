// The library as the host sees it: its exported symbols, and the descriptor read through the
// dlopen'ed library at the byte offsets the host uses.
#include <elf.h>
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/ElfImage.h"
#include "host/HostContext.h"
#include "host/LibraryLoader.h"
#include "strings/tBaseString.h"

namespace {

quon_host::LoadedLibrary& Library() {
    static quon_host::LoadedLibrary library(QUON_LIBRARY_PATH);
    return library;
}

template <class T>
T At(const void* base, std::size_t offset) {
    T value;
    std::memcpy(&value, static_cast<const char*>(base) + offset, sizeof value);
    return value;
}

const std::string& TextAt(const void* base, std::size_t offset) {
    return *reinterpret_cast<const std::string*>(static_cast<const char*>(base) + offset);
}

// Loaded with initial-exec thread-locals, the library's thread-local segment must fit the small
// static reserve the C library keeps for dlopen'ed modules.
TEST(LibraryExports, ExactlyTheEntryPointsAndStringAllocatorAreExported) {
    const quon_host::ElfImage image(QUON_LIBRARY_PATH);
    const std::set<std::string> expected = {
        "BindToParentContext",
        "LibraryData",
        "ReleaseLibrary",
        "_ZN3zul12zulStdString11tBaseString10allocFnImpEv",
        "_ZN3zul12zulStdString11tBaseString9freeFnImpEPv",
        "_ZN3zul12zulStdString11tBaseString16isUsingZulStringEv",
        "_ZN3zul12zulStdString11tBaseString20setZulStringAllocAPIEPvS2_",
    };
    EXPECT_EQ(image.DefinedDynamicSymbols(), expected) << "defined dynamic symbols of the library";
    for (const std::string& name : image.ImportedThreadLocals())
        EXPECT_EQ(name, "quonHostThreadWords")
            << "the only thread-local the library may take from its host";
    EXPECT_LE(image.ThreadLocalSegmentSize(), 128u) << "bytes of thread-local storage per thread";
    EXPECT_NE(reinterpret_cast<void*>(Library().Strings().allocFnImp),
              reinterpret_cast<void*>(&zul::zulStdString::tBaseString::allocFnImp))
        << "the library allocates bodies with its own copy of the runtime";
}

// The ELF reader trusts nothing of a file: damaged copies of the library give an error or an
// answer, never a read outside the bytes (ASan watches this test).
TEST(LibraryExports, ADamagedFileIsAnErrorNotAWrongRead) {
    std::ifstream file(QUON_LIBRARY_PATH, std::ios::binary);
    const std::vector<char> good((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    ASSERT_GT(good.size(), sizeof(Elf64_Ehdr));
    Elf64_Ehdr header;
    std::memcpy(&header, good.data(), sizeof header);
    const auto section = [&](std::vector<char>& bytes, int i) {
        return reinterpret_cast<Elf64_Shdr*>(bytes.data() + header.e_shoff + i * sizeof(Elf64_Shdr));
    };
    const auto answers = [](std::vector<char> bytes) {
        try {
            const quon_host::ElfImage image(std::move(bytes));
            (void)image.DefinedDynamicSymbols();
            (void)image.SymbolAddress("LibraryData");
            (void)image.ThreadLocalSegmentSize();
            return std::string("answers");
        } catch (const std::runtime_error& error) {
            return std::string(error.what());
        }
    };
    EXPECT_EQ(answers(good), "answers");
    EXPECT_EQ(answers(std::vector<char>(good.begin(), good.begin() + good.size() / 2)), "ELF file truncated");
    for (int i = 0; i < header.e_shnum; ++i) {
        std::vector<char> linked = good;
        if (section(linked, i)->sh_type != SHT_DYNSYM) continue;
        section(linked, i)->sh_link = 0xFFFF;
        EXPECT_EQ(answers(linked), "ELF file: a symbol table names a string table it does not have");
        std::vector<char> unterminated = good;
        const Elf64_Shdr& strings = *section(unterminated, section(unterminated, i)->sh_link);
        std::memset(unterminated.data() + strings.sh_offset, 'x', strings.sh_size);
        EXPECT_EQ(answers(unterminated), "ELF file: a symbol name runs past its string table");
    }
    std::vector<char> counted = good;
    reinterpret_cast<Elf64_Ehdr*>(counted.data())->e_phoff = ~0ull - 8;
    EXPECT_EQ(answers(counted), "ELF file truncated");
}

TEST(LibraryDescriptor, HostReadsAndBindsTheDescriptorAtItsFixedOffsets) {
    auto& library = Library();
    const void* descriptor = library.Data();
    ASSERT_NE(descriptor, nullptr);
    EXPECT_EQ(At<std::uint64_t>(descriptor, 0x000), 400u) << "interfaceVersion";
    EXPECT_STREQ(At<const char*>(descriptor, 0x008), "TestExternalLibrary") << "libraryName";
    EXPECT_EQ(At<std::uint64_t>(descriptor, 0x030), 8u) << "pointerSize";
    EXPECT_STREQ(At<const char*>(descriptor, 0x038), "RELEASE") << "buildConfiguration";
    EXPECT_EQ(At<std::uint32_t>(descriptor, 0x040 + 4), 6u) << "libraryVersion.minor";
    EXPECT_EQ(At<std::uint32_t>(descriptor, 0x040 + 8), 5u) << "libraryVersion.patch";
    EXPECT_EQ(TextAt(descriptor, 0x040 + 16), "abc") << "libraryVersion.tweak";
    EXPECT_EQ(TextAt(descriptor, 0x040 + 48), "0.6.5") << "libraryVersion.publicString";
    EXPECT_EQ(TextAt(descriptor, 0x040 + 80), "0.6.5 (abc)") << "libraryVersion.fullString";
    EXPECT_EQ(TextAt(descriptor, 0x0B0 + 80), "0.6.12 (26072)") << "frameworkVersion.fullString";
    EXPECT_EQ(TextAt(descriptor, 0x120 + 48), "0.6.12") << "frameworkMinVersion.publicString";
    EXPECT_EQ(TextAt(descriptor, 0x120 + 80), "0.6.12 (26000)") << "frameworkMinVersion.fullString";
    EXPECT_EQ(At<bool>(descriptor, 0x198), true) << "built flag after LibraryData";

    const auto functionCount = At<std::uint64_t>(descriptor, 0x020);
    const auto customTypeCount = At<std::uint64_t>(descriptor, 0x010);
    EXPECT_EQ(library.Data(), descriptor) << "LibraryData is idempotent";
    EXPECT_EQ(At<std::uint64_t>(descriptor, 0x020), functionCount) << "a later call appends no rows";
    EXPECT_EQ(At<std::uint64_t>(descriptor, 0x010), customTypeCount) << "a later call registers no types";

    ParentContext other{};
    library.Bind(&other);
    EXPECT_EQ(At<ParentContext*>(descriptor, 0x190), &other) << "parentContext replaced without checks";
    library.Bind(quon_host::HostContext());
    EXPECT_EQ(At<ParentContext*>(descriptor, 0x190), quon_host::HostContext()) << "bound again";

    const auto* owned = At<const char*>(descriptor, 0x1A0);
    ASSERT_NE(owned, nullptr) << "ownedString body exists from load";
    EXPECT_EQ(TextAt(owned, 8), "") << "ownedString is empty";
    library.Release();
    EXPECT_EQ(library.Data(), descriptor) << "ReleaseLibrary changes nothing";
}

TEST(VersionInfo, TextsFollowTheNumbersAndTheTweak) {
    EXPECT_EQ(zul::VersionInfo(1, 22, 333, nullptr).fullString, "1.22.333") << "null tweak counts as empty";
    EXPECT_EQ(zul::VersionInfo(1, 22, 333, "").fullString, "1.22.333") << "empty tweak";
}

}  // namespace
