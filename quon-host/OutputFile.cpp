#include "quon-host/OutputFile.h"

#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace quon_host {

namespace {

std::runtime_error WriteError(const std::string& name) {
    return std::runtime_error("cannot write " + name + ": " + std::strerror(errno));
}

// The file `target` names once every symbolic link on the way is followed, existing or not: the
// target itself when it is no link. A loop of links is an error (ELOOP).
std::string FinalPath(const std::string& target) {
    if (char* resolved = ::realpath(target.c_str(), nullptr)) {
        std::string path = resolved;
        std::free(resolved);
        return path;
    }
    if (errno == ELOOP) throw WriteError(target);
    // A dangling link: its destination, followed link by link (40 at most, as the kernel does).
    std::string path = target;
    for (int hops = 0;; ++hops) {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
        if (hops == 40) {
            errno = ELOOP;
            throw WriteError(target);
        }
        std::string destination(static_cast<std::size_t>(info.st_size) + 1, '\0');
        const ssize_t length = ::readlink(path.c_str(), destination.data(), destination.size());
        if (length < 0) throw WriteError(target);
        destination.resize(static_cast<std::size_t>(length));
        const std::size_t slash = path.rfind('/');
        path = destination.front() == '/' || slash == std::string::npos ? destination
                                                                         : path.substr(0, slash + 1) + destination;
    }
}

// A render stopped by Ctrl-C, a kill or a closed terminal must not leave its temporary file
// behind: while one exists, these signals remove it (unlink is safe in a handler) and then end
// the tool as they would have. The tool writes one file at a time.
constexpr std::array<int, 4> kEndingSignals = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
std::array<char, 4096> removedOnSignal{};
volatile std::sig_atomic_t removalArmed = 0;
std::array<struct sigaction, kEndingSignals.size()> previousActions{};
std::array<bool, kEndingSignals.size()> handled{};

extern "C" void RemoveTemporaryAndEnd(int signal) {
    if (removalArmed != 0) ::unlink(removedOnSignal.data());
    ::signal(signal, SIG_DFL);
    ::raise(signal);  // delivered once the handler returns, with the default action
}

sigset_t EndingSignals() {
    sigset_t set;
    sigemptyset(&set);
    for (int signal : kEndingSignals) sigaddset(&set, signal);
    return set;
}

// Called with the ending signals blocked, so that none comes between the file and its removal.
void ArmRemoval(const std::string& path) {
    if (path.size() >= removedOnSignal.size()) return;  // removed on the ordinary ways out only
    std::memcpy(removedOnSignal.data(), path.c_str(), path.size() + 1);
    removalArmed = 1;
    for (std::size_t i = 0; i < kEndingSignals.size(); ++i) {
        struct sigaction action {};
        action.sa_handler = RemoveTemporaryAndEnd;
        sigemptyset(&action.sa_mask);
        handled[i] = ::sigaction(kEndingSignals[i], nullptr, &previousActions[i]) == 0 &&
                     previousActions[i].sa_handler == SIG_DFL &&  // an ignored signal stays ignored
                     ::sigaction(kEndingSignals[i], &action, nullptr) == 0;
    }
}

void DisarmRemoval() {
    if (removalArmed == 0) return;
    removalArmed = 0;
    for (std::size_t i = 0; i < kEndingSignals.size(); ++i)
        if (handled[i]) ::sigaction(kEndingSignals[i], &previousActions[i], nullptr);
}

}  // namespace

OutputFile::OutputFile(std::string target) : target(std::move(target)) {
    if (IsStandardOutput()) {
        file = stdout;
        return;
    }
    // A device or pipe is written in place: a rename would put a file where it stands.
    struct stat info {};
    if (::stat(this->target.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        if (S_ISDIR(info.st_mode)) {
            errno = EISDIR;
            throw WriteError(this->target);
        }
        file = std::fopen(this->target.c_str(), "wb");
        if (file == nullptr) throw WriteError(this->target);
        return;
    }
    // Through a symbolic link the file it names is replaced, not the link; a link to a file that
    // does not exist yet makes that file.
    const std::string path = FinalPath(this->target);
    struct stat existing {};
    const bool exists = ::stat(path.c_str(), &existing) == 0;
    // What the user could not write is not replaced (the folder would let a rename do it).
    if (exists && ::access(path.c_str(), W_OK) != 0) throw WriteError(this->target);
    // A hidden name in the target's folder, so that the rename stays within one file system.
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    renameTo = path;
    std::string pattern = folder + "." + name + ".XXXXXX";
    const sigset_t ending = EndingSignals();
    sigset_t mask;
    ::pthread_sigmask(SIG_BLOCK, &ending, &mask);
    const int descriptor = ::mkstemp(pattern.data());
    const int error = errno;
    if (descriptor >= 0) ArmRemoval(pattern);
    ::pthread_sigmask(SIG_SETMASK, &mask, nullptr);
    errno = error;
    if (descriptor < 0) throw WriteError(this->target);
    temporary = pattern;
    // A replaced file keeps its mode; a new one gets the usual mode under the umask.
    ::fchmod(descriptor, exists ? existing.st_mode & 07777 : 0666 & ~[] {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        return mask;
    }());
    file = ::fdopen(descriptor, "wb");
    if (file == nullptr) {
        const int reason = errno;
        ::close(descriptor);
        ::unlink(temporary.c_str());
        DisarmRemoval();
        errno = reason;
        throw WriteError(this->target);
    }
}

OutputFile::~OutputFile() {
    if (file != nullptr && file != stdout) std::fclose(file);
    if (!temporary.empty()) ::unlink(temporary.c_str());
    DisarmRemoval();
}

void OutputFile::Commit() {
    if (IsStandardOutput()) {
        if (std::fflush(file) != 0 || std::ferror(file)) throw WriteError("standard output");
        return;
    }
    std::FILE* closing = file;
    file = nullptr;
    bool written = std::fflush(closing) == 0 && !std::ferror(closing);
    if (written && !temporary.empty()) written = ::fsync(::fileno(closing)) == 0;
    const int error = errno;
    if (std::fclose(closing) != 0 || !written) {
        if (!written) errno = error;
        throw WriteError(target);
    }
    if (temporary.empty()) return;
    if (::rename(temporary.c_str(), renameTo.c_str()) != 0) throw WriteError(target);
    temporary.clear();
    DisarmRemoval();
}

}  // namespace quon_host
