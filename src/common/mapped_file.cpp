#include "common/mapped_file.h"

#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>

#include "common/file_error.h"
#include "common/regular_file.h"

namespace qvr {

namespace {

// The mappings the SIGBUS guard may mend, as [begin, end) addresses; a slot is free when its end is 0.
// Plain atomics, since the signal handler reads them.
struct Slot {
    std::atomic<std::uintptr_t> begin{0};
    std::atomic<std::uintptr_t> end{0};
};
constexpr int kSlots = 16;
Slot g_slots[kSlots];
struct sigaction g_former_bus {};
std::uintptr_t g_page = 4096;  // the system's page size, read once before the guard is installed

void on_bus_error(int signal, siginfo_t* info, void* context) {
    const auto at = reinterpret_cast<std::uintptr_t>(info->si_addr);
    for (Slot& s : g_slots) {
        if (at >= s.begin.load() && at < s.end.load()) {
            // The file shrank under its mapping: the page becomes zeros and the read is done again.
            void* wanted = reinterpret_cast<void*>(at & ~(g_page - 1));
            if (::mmap(wanted, g_page, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) == wanted)
                return;
        }
    }
    // Not ours: what would have happened without the guard.
    if (g_former_bus.sa_flags & SA_SIGINFO) {
        if (g_former_bus.sa_sigaction) return g_former_bus.sa_sigaction(signal, info, context);
    } else if (g_former_bus.sa_handler != SIG_DFL && g_former_bus.sa_handler != SIG_IGN) {
        return g_former_bus.sa_handler(signal);
    }
    ::signal(SIGBUS, SIG_DFL);
    ::raise(SIGBUS);
}

void guard_bus_errors() {
    static const bool installed = [] {
        g_page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
        struct sigaction act {};
        act.sa_sigaction = on_bus_error;
        act.sa_flags = SA_SIGINFO | SA_NODEFER;
        sigemptyset(&act.sa_mask);
        ::sigaction(SIGBUS, &act, &g_former_bus);
        return true;
    }();
    (void)installed;
}

// The file is mapped on: with no slot free it is unguarded, which only a program holding sixteen
// views at once would meet.
void watch(const char* data, std::size_t size) {
    for (Slot& s : g_slots) {
        std::uintptr_t free = 0;
        if (s.end.load() == 0 &&
            s.begin.compare_exchange_strong(free, reinterpret_cast<std::uintptr_t>(data))) {
            s.end.store(reinterpret_cast<std::uintptr_t>(data) + size);
            return;
        }
    }
}

void unwatch(const char* data) {
    for (Slot& s : g_slots)
        if (s.begin.load() == reinterpret_cast<std::uintptr_t>(data) && s.end.load() != 0) {
            s.end.store(0);
            s.begin.store(0);
            return;
        }
}

}  // namespace

MappedFile::MappedFile(const std::string& path) {
    struct stat st {};
    const int fd = open_regular_file(path, st);
    size_ = static_cast<std::size_t>(st.st_size);
    if (size_ == 0) {
        ::close(fd);
        return;
    }
    guard_bus_errors();
    void* at = ::mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, fd, 0);
    const int error = errno;
    ::close(fd);
    if (at == MAP_FAILED) {
        size_ = 0;
        throw_file_error("Cannot read file", path, error);
    }
    data_ = static_cast<const char*>(at);
    watch(data_, size_);
}

MappedFile::~MappedFile() {
    if (!data_) return;
    unwatch(data_);
    ::munmap(const_cast<char*>(data_), size_);
}

void MappedFile::release(std::size_t from, std::size_t to) const {
    // The pages are the file's and are read again when used, so a page only partly in the range goes too.
    const auto page = static_cast<std::size_t>(g_page);
    const std::size_t first = from / page * page;
    const std::size_t last = (std::min(to, size_) + page - 1) / page * page;
    if (data_ && last > first) ::madvise(const_cast<char*>(data_) + first, last - first, MADV_DONTNEED);
}

}  // namespace qvr
