#include "engine/wavwriter.h"

#include "engine/morsecode.h"
#include "engine/timing.h"
#include "engine/tone.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <span>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::size_t BlockBytes = std::size_t(1) << 20; // written about a megabyte at a time
constexpr std::uint64_t MaxDataBytes = std::numeric_limits<std::uint32_t>::max() - WavHeaderBytes;

void putLE(std::uint8_t *at, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// Frames of an element or gap at the recording's rate.
struct Lengths {
    std::uint64_t dash, dot, gap;
    explicit Lengths(const Timing &timing, const WavFormat &format)
        : dash(std::uint64_t(timing.DashValues() / 2) / format.Divisor),
          dot(std::uint64_t(timing.DotValues() / 2) / format.Divisor),
          gap(std::uint64_t(timing.GapValues() / 2) / format.Divisor)
    {
    }
    std::uint64_t element(char sign) const { return sign == '-' ? dash : dot; }
};

// Frames of one character or blank; 0 for a character without a code.
std::uint64_t characterFrames(unsigned char c, const MorseCodeTable &codes, const Timing &timing,
                              const Lengths &lengths)
{
    if (c == ' ')
        return std::uint64_t(timing.BlankGapUnits()) * lengths.gap;
    const std::string_view code = codes[c];
    if (code.empty())
        return 0;
    std::uint64_t frames = std::uint64_t(timing.CharGapUnits()) * lengths.gap;
    for (char sign : code)
        frames += lengths.element(sign) + lengths.gap;
    return frames;
}

// Collects converted samples and hands them to the sink in large blocks, so the memory used
// stays the same however long the text is.
class BlockWriter {
public:
    BlockWriter(WavSink &sink, const WavFormat &format)
        : sink_(sink), format_(format), silenceByte_(format.Bits == 8 ? 0x80 : 0x00)
    {
        block_.reserve(BlockBytes + 4 * 2 * ToneTableFrames);
    }

    // An element rendered as stereo values: every frame (mono: its left value) converted.
    void element(std::span<const std::int16_t> stereo)
    {
        const std::size_t frames = stereo.size() / 2;
        if (format_.Bits == 16 && format_.Channels == 2 && std::endian::native == std::endian::little) {
            const auto *bytes = reinterpret_cast<const std::uint8_t *>(stereo.data());
            block_.insert(block_.end(), bytes, bytes + stereo.size() * 2);
        } else {
            const std::size_t step = format_.Channels == 2 ? 1 : 2;
            for (std::size_t i = 0; i < 2 * frames; i += step) {
                const std::int16_t v = stereo[i];
                if (format_.Bits == 16) {
                    block_.push_back(static_cast<std::uint8_t>(v & 0xFF));
                    block_.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
                } else {
                    block_.push_back(static_cast<std::uint8_t>((v >> 8) + 128));
                }
            }
        }
        flushIfFull();
    }

    void silence(std::uint64_t frames)
    {
        std::uint64_t bytes = frames * std::uint64_t(format_.BlockAlign());
        while (bytes > 0 && error_ == 0) {
            const std::size_t room = BlockBytes - std::min(BlockBytes, block_.size());
            const std::size_t part = static_cast<std::size_t>(std::min<std::uint64_t>(bytes, std::max<std::size_t>(room, 1)));
            block_.insert(block_.end(), part, silenceByte_);
            bytes -= part;
            flushIfFull();
        }
    }

    void raw(const std::uint8_t *data, std::size_t size)
    {
        block_.insert(block_.end(), data, data + size);
    }

    void flush()
    {
        if (!block_.empty() && error_ == 0)
            error_ = sink_.write(block_.data(), block_.size());
        written_ += block_.size();
        block_.clear();
    }

    int error() const { return error_; }
    std::uint64_t written() const { return written_ + block_.size(); }

private:
    void flushIfFull()
    {
        if (block_.size() >= BlockBytes)
            flush();
    }

    WavSink &sink_;
    const WavFormat format_;
    const std::uint8_t silenceByte_;
    std::vector<std::uint8_t> block_;
    std::uint64_t written_ = 0;
    int error_ = 0;
};

} // namespace

WavFormat WavFormat::Checked() const
{
    WavFormat f = *this;
    if (f.Divisor != 1 && f.Divisor != 2)
        f.Divisor = 1;
    if (f.Bits != 8 && f.Bits != 16)
        f.Bits = 16;
    if (f.Channels != 1 && f.Channels != 2)
        f.Channels = 2;
    return f;
}

std::array<std::uint8_t, WavHeaderBytes> WavHeader(const WavFormat &format, std::uint32_t dataBytes)
{
    const WavFormat f = format.Checked();
    std::array<std::uint8_t, WavHeaderBytes> h{};
    std::memcpy(h.data(), "RIFF", 4);
    putLE(h.data() + 4, dataBytes + 36 + (dataBytes % 2), 4);
    std::memcpy(h.data() + 8, "WAVEfmt ", 8);
    putLE(h.data() + 16, 16, 4);
    putLE(h.data() + 20, 1, 2); // PCM
    putLE(h.data() + 22, static_cast<std::uint32_t>(f.Channels), 2);
    putLE(h.data() + 24, static_cast<std::uint32_t>(f.Rate()), 4);
    putLE(h.data() + 28, static_cast<std::uint32_t>(f.ByteRate()), 4);
    putLE(h.data() + 32, static_cast<std::uint32_t>(f.BlockAlign()), 2);
    putLE(h.data() + 34, static_cast<std::uint32_t>(f.Bits), 2);
    std::memcpy(h.data() + 36, "data", 4);
    putLE(h.data() + 40, dataBytes, 4);
    return h;
}

std::uint64_t WavDataBytes(std::string_view text, const MorseCodeTable &codes, const Timing &timing,
                           const WavFormat &format)
{
    const WavFormat f = format.Checked();
    const Lengths lengths(timing, f);
    std::uint64_t frames = 0;
    for (char c : text)
        frames += characterFrames(static_cast<unsigned char>(c), codes, timing, lengths);
    return frames * std::uint64_t(f.BlockAlign());
}

WavResult RenderWav(WavSink &sink, std::string_view text, const MorseCodeTable &codes, const Timing &timing,
                    const ToneTables &tables, const WavFormat &format)
{
    const WavFormat f = format.Checked();
    WavResult result;
    const std::uint64_t expected = WavDataBytes(text, codes, timing, f);
    if (expected > MaxDataBytes) {
        result.error = EFBIG;
        return result;
    }

    BlockWriter out(sink, f);
    const auto placeholder = WavHeader(f, static_cast<std::uint32_t>(expected));
    out.raw(placeholder.data(), placeholder.size());

    const Lengths lengths(timing, f);
    // One element at a time, rendered by the engine's own renderer as stereo values.
    std::vector<std::int16_t> element(2 * std::max(lengths.dash, lengths.dot));
    const ElementEffects plain; // no noise, fading or drift
    for (char ch : text) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c == ' ') {
            out.silence(std::uint64_t(timing.BlankGapUnits()) * lengths.gap);
        } else if (const std::string_view code = codes[c]; !code.empty()) {
            for (char sign : code) {
                const std::size_t values = 2 * lengths.element(sign);
                const std::size_t end = RenderElement(tables, plain, std::span<std::int16_t>(element), 0, values,
                                                      static_cast<std::size_t>(f.Divisor));
                out.element(std::span<const std::int16_t>(element.data(), end));
                out.silence(lengths.gap);
            }
            out.silence(std::uint64_t(timing.CharGapUnits()) * lengths.gap);
        }
        if (out.error() != 0)
            break;
    }
    result.dataBytes = out.written() - WavHeaderBytes;
    if (result.dataBytes % 2 != 0) {
        const std::uint8_t pad = 0;
        out.raw(&pad, 1);
    }
    out.flush();
    result.error = out.error();
    if (result.error == 0) {
        const auto header = WavHeader(f, static_cast<std::uint32_t>(result.dataBytes));
        result.error = sink.patch(0, header.data(), header.size());
    }
    return result;
}

// ---- WavFile -----------------------------------------------------------------------------

WavFile::WavFile(std::string path)
    : path_(std::move(path))
{
}

WavFile::~WavFile()
{
    abandon();
}

void WavFile::abandon()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    if (!temporary_.empty())
        ::unlink(temporary_.c_str());
    temporary_.clear();
}

int WavFile::open()
{
    abandon();
    std::string name = path_ + ".XXXXXX";
    const int fd = ::mkstemp(name.data());
    if (fd < 0)
        return errno;
    fd_ = fd;
    temporary_ = name;
    written_ = 0;
    // As an ordinary new file would be: readable by whom the user's mask allows.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd_, 0666 & ~mask);
    return 0;
}

ssize_t WavFile::writeAt(int fd, const void *data, std::size_t size, off_t offset)
{
    return ::pwrite(fd, data, size, offset);
}

int WavFile::writeAll(const std::uint8_t *data, std::size_t size, std::uint64_t offset)
{
    if (fd_ < 0)
        return EBADF;
    while (size > 0) {
        const ssize_t n = writeAt(fd_, data, size, static_cast<off_t>(offset));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return ENOSPC;
        data += n;
        size -= static_cast<std::size_t>(n);
        offset += static_cast<std::uint64_t>(n);
    }
    return 0;
}

int WavFile::write(const std::uint8_t *data, std::size_t size)
{
    const int error = writeAll(data, size, written_);
    if (error == 0)
        written_ += size;
    return error;
}

int WavFile::patch(std::uint64_t offset, const std::uint8_t *data, std::size_t size)
{
    return writeAll(data, size, offset);
}

int WavFile::commit()
{
    if (fd_ < 0)
        return EBADF;
    // close() reports what a write left for later (a network or quota failure).
    const int closed = ::close(fd_);
    fd_ = -1;
    if (closed != 0) {
        const int error = errno;
        abandon();
        return error;
    }
    if (::rename(temporary_.c_str(), path_.c_str()) != 0) {
        const int error = errno;
        abandon();
        return error;
    }
    temporary_.clear();
    return 0;
}

WavResult RecordWavFile(WavFile &file, std::string_view text, const MorseCodeTable &codes, const Timing &timing,
                        const ToneTables &tables, const WavFormat &format)
{
    WavResult result;
    if ((result.error = file.open()) != 0)
        return result;
    result = RenderWav(file, text, codes, timing, tables, format);
    if (result.error == 0)
        result.error = file.commit();
    if (result.error != 0)
        file.abandon();
    return result;
}
