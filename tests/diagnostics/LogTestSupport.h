// Scratch folders and log redirection for the diagnostics tests. The test program points APPDATA
// at a scratch folder before its first test; each test forwards the log to a folder of its own.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <stdexcept>
#include <string>
#include <vector>

#include "diagnostics/LogManager.h"

namespace diagtest {

// A fresh temporary folder, removed with its contents at the end of its scope.
struct ScratchFolder {
    ScratchFolder() : path((std::filesystem::temp_directory_path() / "quon-diag-XXXXXX").string()) {
        if (::mkdtemp(path.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    const std::string& Path() const { return path; }
    std::string path;
};

// The scratch folder that APPDATA names for the whole test program, set before main.
struct ProgramFolder : ScratchFolder {
    ProgramFolder() { ::setenv("APPDATA", Path().c_str(), 1); }
};
inline const std::string& ProgramAppData() {
    static ProgramFolder folder;
    return folder.Path();
}
inline const bool kAppDataReady = !ProgramAppData().empty();

// A log manager rooted at the given folder that receives every record while it lives.
struct RedirectedLog {
    explicit RedirectedLog(const std::string& folder) : manager(folder) {
        zul::LogManager::Local().SetForwardTarget(&manager);
    }
    ~RedirectedLog() { zul::LogManager::Local().SetForwardTarget(nullptr); }
    zul::LogManager& Manager() { return manager; }
    std::string PathOf(const std::string& type) { return manager.GetLogger(type)->FilePath(); }
    zul::LogManager manager;
};

inline std::vector<std::string> ReadLines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

inline bool Matches(const std::string& text, const std::string& pattern) {
    return std::regex_match(text, std::regex(pattern));
}

}  // namespace diagtest
