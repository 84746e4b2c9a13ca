#pragma once

// Recording a text as Morse in a WAV file: PCM at 22050 or 11025 Hz, mono or stereo, 8 or 16
// bits. Each character is rendered by the sending engine's own element renderer from the tone
// table, with the timing of the timing model and without noise, fading or drift, and written
// in large blocks. The header's sizes are those of the data really written (patched at the
// end), and a file is written under a temporary name and renamed only when complete, so a
// failed write never leaves a half file under the name asked for.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <sys/types.h>

class MorseCodeTable;
class Timing;
class ToneTables;

constexpr std::size_t WavHeaderBytes = 44;

struct WavFormat {
    int Divisor = 1; // 1: 22050 Hz, 2: 11025 Hz (every second frame of the tone table)
    int Channels = 2;
    int Bits = 16;

    int Rate() const { return 22050 / Divisor; }
    int BlockAlign() const { return Channels * Bits / 8; }
    int ByteRate() const { return Rate() * BlockAlign(); }
    // Out-of-range values become 22050 Hz, 2 channels, 16 bits.
    WavFormat Checked() const;
    friend bool operator==(const WavFormat &, const WavFormat &) = default;
};

// The 44 header bytes for `dataBytes` bytes of sound data. An odd data size is followed by a
// pad byte, which the RIFF size counts and the data size does not.
std::array<std::uint8_t, WavHeaderBytes> WavHeader(const WavFormat &format, std::uint32_t dataBytes);

// The bytes of sound data that recording the text takes: every character with a code its
// elements each followed by a gap, then the character space; every blank the word space;
// other characters nothing.
std::uint64_t WavDataBytes(std::string_view text, const MorseCodeTable &codes, const Timing &timing,
                           const WavFormat &format);

// Where a recording goes.
class WavSink {
public:
    virtual ~WavSink() = default;
    // Appends bytes; 0, or the error number of a failed write.
    virtual int write(const std::uint8_t *data, std::size_t size) = 0;
    // Overwrites bytes written before (the header's sizes); 0 or an error number.
    virtual int patch(std::uint64_t offset, const std::uint8_t *data, std::size_t size) = 0;
};

struct WavResult {
    int error = 0; // 0, or the error number of the write that failed
    std::uint64_t dataBytes = 0;
};

// Writes the header and the text's sound into the sink, then patches the header's sizes to
// the data written. A text too long for a WAV file's 32-bit sizes writes nothing (EFBIG).
WavResult RenderWav(WavSink &sink, std::string_view text, const MorseCodeTable &codes, const Timing &timing,
                    const ToneTables &tables, const WavFormat &format);

// A WAV file being written: a temporary file in the target's folder, renamed over the target
// by commit(). Destroyed without a commit, it removes the temporary file and leaves whatever
// was under the target's name untouched.
class WavFile : public WavSink {
public:
    explicit WavFile(std::string path);
    ~WavFile() override;
    WavFile(const WavFile &) = delete;
    WavFile &operator=(const WavFile &) = delete;

    // Creates the temporary file; 0 or an error number.
    int open();
    int write(const std::uint8_t *data, std::size_t size) override;
    int patch(std::uint64_t offset, const std::uint8_t *data, std::size_t size) override;
    // Closes the file and gives it the target's name; 0 or an error number (the temporary
    // file is then removed).
    int commit();
    // Closes and removes the temporary file (also done by the destructor).
    void abandon();

    const std::string &path() const { return path_; }
    const std::string &temporaryPath() const { return temporary_; }

protected:
    // One write at an offset, as pwrite(2) does it; tests put a failing one in its place (a
    // full disk).
    virtual ssize_t writeAt(int fd, const void *data, std::size_t size, off_t offset);

private:
    int writeAll(const std::uint8_t *data, std::size_t size, std::uint64_t offset);

    std::string path_;
    std::string temporary_;
    int fd_ = -1;
    std::uint64_t written_ = 0;
};

// Records the text into the file: open, render, commit. On any failure nothing is left under
// the file's temporary name and the target is as it was.
WavResult RecordWavFile(WavFile &file, std::string_view text, const MorseCodeTable &codes, const Timing &timing,
                        const ToneTables &tables, const WavFormat &format);
