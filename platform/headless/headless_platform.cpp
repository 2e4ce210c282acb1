#include "platform/headless/headless_platform.h"

#include "platform/raster/pixel_canvas.h"

#include <cstdarg>

namespace linesaver {

std::uint64_t HeadlessPlatform::ClockSeed() {
    if (fixedSeed_) return seed_;
    // The splitmix64 finaliser over the seed and the call count.
    std::uint64_t z = seed_ + ++seedsGiven_ * 0x9E3779B97F4A7C15ULL;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

// There is no player: every command fails and the reply is empty.
long HeadlessPlatform::SendPlayerCommand(const std::string&, char* reply, int replyLength) {
    if (reply != nullptr && replyLength > 0) reply[0] = '\0';
    return 1;
}

namespace {
// Large enough that a long trace reaches the file in few writes.
constexpr std::size_t kBlock = 1 << 16;
constexpr std::size_t kLongestLine = 256;
} // namespace

TraceWriter::TraceWriter(std::FILE* out) : file_(out), text_(&own_) { own_.reserve(kBlock + kLongestLine); }

TraceWriter::TraceWriter(std::string& out) : text_(&out) {}

TraceWriter::~TraceWriter() { Flush(); }

void TraceWriter::Printf(const char* format, ...) {
    // Format straight into the buffer; only a line longer than usual (huge
    // values from the command line) needs a second pass.
    const std::size_t start = text_->size();
    text_->resize(start + kLongestLine);
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    int n = std::vsnprintf(text_->data() + start, kLongestLine, format, args);
    if (n >= static_cast<int>(kLongestLine)) {
        text_->resize(start + static_cast<std::size_t>(n) + 1);
        n = std::vsnprintf(text_->data() + start, static_cast<std::size_t>(n) + 1, format, again);
    }
    va_end(again);
    va_end(args);
    text_->resize(start + static_cast<std::size_t>(n > 0 ? n : 0));
    if (file_ != nullptr && text_->size() >= kBlock) Flush();
}

bool TraceWriter::Flush() {
    if (file_ == nullptr) return true;
    if (!text_->empty() && std::fwrite(text_->data(), 1, text_->size(), file_) != text_->size()) failed_ = true;
    text_->clear();
    if (std::fflush(file_) != 0) failed_ = true;
    return !failed_;
}

void TraceWriter::Tick(long n) { Printf("tick %ld\n", n); }

void TraceWriter::Clear() { Printf("cls\n"); }

void TraceWriter::Line(float x1, float y1, float x2, float y2, Colour c) {
    Printf("line %.3f %.3f %.3f %.3f %d\n", static_cast<double>(x1), static_cast<double>(y1), static_cast<double>(x2),
           static_cast<double>(y2), static_cast<int>(c));
}

void TraceWriter::Circle(float x, float y, float r, Colour c) {
    Printf("circle %.3f %.3f %.3f %d\n", static_cast<double>(x), static_cast<double>(y), static_cast<double>(r),
           static_cast<int>(c));
}

void CanvasSink::Clear() {
    if (!holdClears_) canvas_->Clear();
}

void CanvasSink::Line(float x1, float y1, float x2, float y2, Colour c) { canvas_->Line(x1, y1, x2, y2, c); }

void CanvasSink::Circle(float x, float y, float r, Colour c) { canvas_->Circle(x, y, r, c); }

} // namespace linesaver
