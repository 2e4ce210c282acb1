#include "platform/mci_player.h"

namespace linesaver {

// Not built yet: every command fails with an empty reply.
struct MciPlayer::Impl {};

MciPlayer::MciPlayer(const DosFiles&) : impl_(std::make_unique<Impl>()) {}
MciPlayer::~MciPlayer() = default;

long MciPlayer::Send(const std::string&, char* reply, int replyLength) {
    if (reply && replyLength > 0) reply[0] = '\0';
    return 1;
}

} // namespace linesaver
