#include "LogTestSupport.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace diagtest {

namespace {

std::string MakeTempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "quon-diag-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    return pattern;
}

// Set before main, so the process-wide manager, made on first use, roots itself here.
struct ProgramAppDataFolder {
    ProgramAppDataFolder() : path(MakeTempFolder()) { ::setenv("APPDATA", path.c_str(), 1); }
    ~ProgramAppDataFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    std::string path;
};

ProgramAppDataFolder& AppData() {
    static ProgramAppDataFolder folder;
    return folder;
}

[[maybe_unused]] const bool kAppDataReady = !AppData().path.empty();

}  // namespace

const std::string& ProgramAppData() {
    return AppData().path;
}

ScratchFolder::ScratchFolder() : path_(MakeTempFolder()) {}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

RedirectedLog::RedirectedLog(const std::string& logDirectory)
    : manager_(std::make_unique<zul::LogManager>(logDirectory)) {
    zul::LogManager::Local().SetForwardTarget(manager_.get());
}

RedirectedLog::~RedirectedLog() {
    zul::LogManager::Local().SetForwardTarget(nullptr);
}

std::vector<std::string> ReadLines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

}  // namespace diagtest
