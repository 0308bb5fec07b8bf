// Starts a program on a virtual display and times it to its first frame on screen, by watching the
// display's framebuffer file: the X server updates it in place, so the frame is there once any
// pixel of the top rows (where the window opens, on an otherwise black screen) is not black.
// Watching from here rather than from a shell keeps the poll cheap (no process per look) and fine
// (a look every half millisecond), so the figure is the program's and not the watcher's.
//
// Usage: first_frame FRAMEBUFFER ROWS PROGRAM [ARGUMENTS...]
// Prints "first frame: N ms" and, two seconds later, "resident: N KiB"; then ends the program and
// waits for the screen to be black again.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <signal.h>
#include <string>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

[[noreturn]] void fail(const std::string& problem)
{
    std::fprintf(stderr, "first_frame: %s\n", problem.c_str());
    std::exit(1);
}

// One big-endian 32-bit field of the framebuffer's XWD header.
std::uint32_t headerField(const unsigned char* file, std::size_t at)
{
    return std::uint32_t(file[at]) << 24 | std::uint32_t(file[at + 1]) << 16 | std::uint32_t(file[at + 2]) << 8 |
           file[at + 3];
}

// Read afresh at every call: the mapping is shared with the X server, which writes it.
bool black(const unsigned char* pixels, std::size_t bytes)
{
    unsigned char lit = 0;
    for (std::size_t i = 0; i < bytes; ++i) lit |= pixels[i];
    return lit == 0;
}

long residentKiB(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return -1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 4) fail("usage: first_frame FRAMEBUFFER ROWS PROGRAM [ARGUMENTS...]");
    const int fd = open(argv[1], O_RDONLY);
    struct stat info {};
    if (fd < 0 || fstat(fd, &info) != 0) fail(std::string("cannot open ") + argv[1]);
    const auto size = static_cast<std::size_t>(info.st_size);
    void* mapped = mmap(nullptr, size, PROT_READ, MAP_SHARED, fd, 0);
    if (mapped == MAP_FAILED || size < 100) fail(std::string("cannot map ") + argv[1]);
    const auto* file = static_cast<const unsigned char*>(mapped);
    // Pixels follow the header and its colour table (12 bytes an entry); rows are bytes_per_line long.
    const std::size_t pixelsAt = headerField(file, 0) + std::size_t(headerField(file, 76)) * 12;
    const std::size_t bytes = std::size_t(std::atoi(argv[2])) * headerField(file, 48);
    if (pixelsAt + bytes > size) fail("the framebuffer is smaller than its header says");
    const unsigned char* pixels = file + pixelsAt;
    if (!black(pixels, bytes)) fail("the screen is not black before the start");

    const Clock::time_point start = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        execv(argv[3], argv + 3);
        _exit(127);
    }
    if (pid < 0) fail("cannot start the program");
    constexpr auto kPoll = std::chrono::microseconds(500);
    while (black(pixels, bytes)) {
        if (waitpid(pid, nullptr, WNOHANG) == pid) fail("the program ended before its first frame");
        std::this_thread::sleep_for(kPoll);
    }
    const std::chrono::duration<double, std::milli> elapsed = Clock::now() - start;
    std::printf("first frame: %.1f ms\n", elapsed.count());
    std::fflush(stdout);

    std::this_thread::sleep_for(std::chrono::seconds(2));
    std::printf("resident: %ld KiB\n", residentKiB(pid));
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    // The program's window is gone once the screen is black again.
    while (!black(pixels, bytes)) std::this_thread::sleep_for(kPoll);
    return 0;
}
