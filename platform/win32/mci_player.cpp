#include "platform/win32/mci_player.h"

#include "platform/platform.h"
#include "platform/win32/dos_paths.h"
#include "platform/win32/wide_text.h"

#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <array>

namespace linesaver {
namespace {

// MCI's error for a device it does not know.
constexpr long kUnknownDevice = MCIERR_INVALID_DEVICE_NAME;

} // namespace

std::string MciCommand(std::string_view command, std::string_view driveC) {
    const auto verbEnd = command.find(' ');
    if (verbEnd == std::string_view::npos || verbEnd == 0) return {};
    const auto deviceStart = verbEnd + 1;
    const auto deviceEnd = std::min(command.find(' ', deviceStart), command.size());
    const std::string_view device = command.substr(deviceStart, deviceEnd - deviceStart);
    // Only the saver's own drive: an extended path or another drive would
    // let a command reach files the saver never copied.
    if (device.starts_with(kExtendedPrefix)) return {};
    const std::string real = RealPath(device, driveC);
    if (real.empty() || real.find('"') != std::string::npos) return {};
    return std::string(command.substr(0, deviceStart)) + '"' + real + '"' + std::string(command.substr(deviceEnd));
}

long MciPlayer::Send(const std::string& command, char* reply, int replyLength) {
    std::array<wchar_t, kReplyLength + 1> answer{};
    const std::string mapped = MciCommand(command, driveC_);
    const long error = mapped.empty() ? kUnknownDevice
                                      : static_cast<long>(::mciSendStringW(Widen(mapped).c_str(), answer.data(),
                                                                           static_cast<UINT>(answer.size()), nullptr));
    if (!reply || replyLength <= 0) return error;
    // MCI's replies are short and plain ("playing"); a longer one is cut.
    const std::string text = Narrow(answer.data());
    const std::size_t length = std::min(text.size(), static_cast<std::size_t>(replyLength - 1));
    text.copy(reply, length);
    reply[length] = '\0';
    return error;
}

} // namespace linesaver
