#include "platform/idle/program_name.h"

#include <fstream>

namespace linesaver::idle {

std::string ProgramName(std::string_view given, std::string_view process, pid_t pid) {
    if (pid <= 0 || process.empty()) return std::string(given);
    const std::string where = "pid " + std::to_string(pid);
    if (given.empty() || given == process) return std::string(process) + " (" + where + ")";
    return std::string(given) + " (" + std::string(process) + ", " + where + ")";
}

std::string ProcessName(pid_t pid) {
    std::ifstream file("/proc/" + std::to_string(pid) + "/comm");
    std::string name;
    std::getline(file, name);
    return Printable(name, 64);
}

std::string Printable(std::string_view text, std::size_t limit) {
    std::string shown;
    std::size_t end = text.size();
    if (end > limit) {
        end = limit;
        // Back to the first byte of a character, not one of its later bytes.
        while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xc0) == 0x80) --end;
    }
    for (std::size_t i = 0; i < end; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        shown += c < 0x20 || c == 0x7f ? ' ' : text[i];
    }
    return end < text.size() ? shown + "..." : shown;
}

} // namespace linesaver::idle
