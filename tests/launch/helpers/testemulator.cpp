// A stand-in for the emulator's executable. It records how it was started into
// "<its own path>.record" (its process id, its working folder, then one argument
// per line), then waits to be killed. As a safety net it ends by itself after
// ten minutes, so that a test that died early leaves nothing running for long.
// An argument "--exit-after=<seconds>" makes it end by itself after that time,
// as an emulator the user quits.
#include <chrono>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <unistd.h>

int main(int argc, char** argv) {
    char self[PATH_MAX] = {};
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0)
        return 2;
    const std::string record = std::string(self, static_cast<size_t>(n)) + ".record";
    const std::string partial = record + ".partial";
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        out << getpid() << '\n' << std::filesystem::current_path().string() << '\n';
        for (int i = 1; i < argc; ++i)
            out << argv[i] << '\n';
    }
    // Renamed into place, so a reader never sees half a record.
    std::rename(partial.c_str(), record.c_str());
    std::chrono::seconds lifetime = std::chrono::minutes(10);
    const std::string exitAfter = "--exit-after=";
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]).rfind(exitAfter, 0) == 0)
            lifetime = std::chrono::seconds(std::stoi(std::string(argv[i]).substr(exitAfter.size())));
    }
    std::this_thread::sleep_for(lifetime);
    return 0;
}
