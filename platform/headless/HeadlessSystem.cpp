#include "platform/headless/HeadlessSystem.h"

#include <sys/syscall.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

namespace plat {

namespace {

/// Reads the "Name: value kB" lines of /proc/meminfo into bytes.
uint64_t MemInfoBytes(const std::string& text, const char* name) {
    const std::string key = std::string(name) + ":";
    const size_t at = text.find(key);
    if (at == std::string::npos) {
        return 0;
    }
    std::istringstream in(text.substr(at + key.size()));
    uint64_t kb = 0;
    in >> kb;
    return kb * 1024;
}

} // namespace

std::string HeadlessSystem::WorkingFolder() {
    char buffer[4096];
    if (getcwd(buffer, sizeof buffer) == nullptr) {
        return ".";
    }
    return buffer;
}

std::string HeadlessSystem::CommandLine() {
    if (commandLine_) {
        return *commandLine_;
    }
    std::ifstream in("/proc/self/cmdline", std::ios::binary);
    std::string raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    while (!raw.empty() && raw.back() == '\0') {
        raw.pop_back();
    }
    for (char& c : raw) {
        if (c == '\0') {
            c = ' ';
        }
    }
    return raw;
}

unsigned HeadlessSystem::ProcessorCount() {
    if (processors_) {
        return *processors_;
    }
    const unsigned count = std::thread::hardware_concurrency();
    return count == 0 ? 1 : count;
}

MemoryStatus HeadlessSystem::Memory() {
    if (memory_) {
        return *memory_;
    }
    std::ifstream in("/proc/meminfo");
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    MemoryStatus status;
    status.totalPhys = MemInfoBytes(text, "MemTotal");
    status.availPhys = MemInfoBytes(text, "MemAvailable");
    // The page file stands for what a process may commit: physical memory, not swap.
    status.totalPageFile = status.totalPhys;
    status.availPageFile = status.availPhys;
    status.totalVirtual = uint64_t{1} << 47;
    status.availVirtual = status.totalVirtual;
    if (status.totalPhys > 0) {
        status.memoryLoad =
            static_cast<uint32_t>(100 - (status.availPhys * 100 / status.totalPhys));
    }
    return status;
}

uint32_t HeadlessSystem::CurrentThreadId() {
    return static_cast<uint32_t>(syscall(SYS_gettid));
}

} // namespace plat
