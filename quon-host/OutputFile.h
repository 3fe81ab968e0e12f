// A file the tool writes without harming what is there: the bytes go to a new temporary file
// beside the target, which replaces the target by a rename only when all was written. A run
// that fails removes its temporary file and leaves the target as it was, and so does one ended
// by SIGINT, SIGTERM, SIGHUP or SIGQUIT (the tool has one such file at a time). "-" is standard
// output; a device or pipe is written in place. Symbolic links are followed (a dangling one makes
// the file it names; a loop is an error); a replaced file keeps its mode, and one the user may
// not write is refused.
#pragma once

#include <cstdio>
#include <string>

namespace quon_host {

class OutputFile {
public:
    // Creates the temporary file; throws std::runtime_error with the system's reason when it cannot.
    explicit OutputFile(std::string target);
    ~OutputFile();  // removes the temporary file unless Commit succeeded
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    std::FILE* File() const { return file; }
    bool IsStandardOutput() const { return target == "-"; }
    const std::string& Target() const { return target; }

    // Flushes and closes the file and renames it into place; throws std::runtime_error when any
    // of it fails (the target is then unchanged).
    void Commit();

private:
    std::string target;
    std::string temporary;  // empty when written in place, and once renamed
    std::string renameTo;   // the file the temporary one replaces (a link's target resolved)
    std::FILE* file = nullptr;
};

}  // namespace quon_host
