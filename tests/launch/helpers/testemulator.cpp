// A stand-in for the emulator's executable. It records how it was started into
// "<its own path>.record" (its process id, its working folder, then one argument
// per line), then waits to be killed. As a safety net it ends by itself after
// ten minutes, so that a test that died early leaves nothing running for long.
// An argument "--exit-after=<seconds>" makes it end by itself after that time,
// as an emulator the user quits. Asked to quit (SIGTERM) it ends at once, unless
// "--on-term-save=<ms>" makes it save first, as the emulator writes its memory
// cards on the way out: after that many milliseconds it writes
// "<its own path>.card" through buffered stdio and ends; "--ignore-term" makes it
// ignore the request, as an emulator that hangs.
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <unistd.h>

namespace {
volatile std::sig_atomic_t termRequested = 0;
void onTerm(int) {
    termRequested = 1;
}
} // namespace

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
    const std::string saveOnTerm = "--on-term-save=";
    int saveMs = -1;
    for (int i = 1; i < argc; ++i) {
        const std::string arg(argv[i]);
        if (arg.rfind(exitAfter, 0) == 0)
            lifetime = std::chrono::seconds(std::stoi(arg.substr(exitAfter.size())));
        else if (arg.rfind(saveOnTerm, 0) == 0)
            saveMs = std::stoi(arg.substr(saveOnTerm.size()));
        else if (arg == "--ignore-term")
            std::signal(SIGTERM, SIG_IGN);
    }
    if (saveMs >= 0)
        std::signal(SIGTERM, onTerm);
    const auto end = std::chrono::steady_clock::now() + lifetime;
    while (std::chrono::steady_clock::now() < end) {
        if (termRequested) {
            std::this_thread::sleep_for(std::chrono::milliseconds(saveMs));
            // 128 KiB, the size of a PS2 memory card's first blocks, in one buffered write.
            const std::string card = std::string(self, static_cast<size_t>(n)) + ".card";
            std::FILE* file = std::fopen(card.c_str(), "wb");
            if (!file)
                return 3;
            const std::string block(128 * 1024, 'M');
            std::fwrite(block.data(), 1, block.size(), file);
            std::fclose(file);
            return 0;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return 0;
}
