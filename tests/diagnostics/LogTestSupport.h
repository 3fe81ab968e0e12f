// Scratch folders and log redirection for the diagnostics tests. Nothing here writes into the
// user's real application-data folder: the test program points APPDATA at a scratch folder
// before its first test, and each test forwards the process-wide log manager to its own.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "diagnostics/LogManager.h"

namespace diagtest {

// A fresh temporary folder, removed with everything in it at the end of its scope.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// A log manager rooted at the given folder that receives every record while it lives.
class RedirectedLog {
public:
    explicit RedirectedLog(const std::string& logDirectory);
    ~RedirectedLog();
    zul::LogManager& Manager() { return *manager_; }
    std::string PathOf(const std::string& type) { return manager_->GetLogger(type)->FilePath(); }

private:
    std::unique_ptr<zul::LogManager> manager_;
};

std::vector<std::string> ReadLines(const std::string& path);

// The scratch folder that APPDATA names for the whole test program.
const std::string& ProgramAppData();

}  // namespace diagtest
