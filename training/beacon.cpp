#include "training/beacon.h"

#include "platform/userfile.h"

#include <cstdio>

namespace {

// Larger files are refused unread: they cannot fit the message.
constexpr std::size_t MaxFileBytes = 64 * 1024;

// Each line break (CR LF, LF or CR) as one blank.
std::string withBlanksForLineBreaks(std::string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            out += ' ';
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace

std::string ComposeBeaconMessage(const BeaconParts &parts)
{
    std::string message = parts.header;
    auto append = [&message](const std::string &part) {
        if (!part.empty())
            message += message.empty() ? part : " = " + part;
    };
    if (parts.time) {
        char clock[8];
        std::snprintf(clock, sizeof clock, "%02d:%02d", parts.time->hour(), parts.time->minute());
        message += message.empty() ? " QTR " : " = QTR ";
        message += clock;
        message += ' ';
    }
    for (const std::string &text : parts.messages)
        append(text);
    if (parts.fileText)
        append(withBlanksForLineBreaks(*parts.fileText));
    append(parts.end);
    return message;
}

BeaconFile ReadBeaconFile(const std::filesystem::path &path)
{
    if (path.empty())
        return {BeaconFileStatus::Missing, {}};
    const userfile::ReadResult file = userfile::ReadUserFile(path.string(), MaxFileBytes);
    switch (file.status) {
    case userfile::ReadStatus::Read:
        break;
    case userfile::ReadStatus::Missing:
        return {BeaconFileStatus::Missing, {}};
    case userfile::ReadStatus::TooLarge:
        return {BeaconFileStatus::TooLong, {}};
    case userfile::ReadStatus::NotAFile:
    case userfile::ReadStatus::Unreadable:
        return {BeaconFileStatus::Unreadable, {}};
    }
    const std::string &bytes = file.bytes;

    // The lines as a text box holds them: joined by CR LF, whatever ended them in the file.
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '\0')
            continue;
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
                ++i;
            if (i + 1 < bytes.size())
                text += "\r\n";
            continue;
        }
        text += c;
    }
    if (text.empty())
        return {BeaconFileStatus::Empty, {}};
    // The box's text has a line break after every line, the last one included: it counts.
    if (text.size() + 2 > BeaconMaxFileText)
        return {BeaconFileStatus::TooLong, {}};
    return {BeaconFileStatus::Ok, text};
}

int BeaconPeriodPosition(std::string_view minutes)
{
    for (std::size_t i = 0; i < BeaconPeriodMinutes.size(); ++i) {
        if (minutes == std::to_string(BeaconPeriodMinutes[i]))
            return static_cast<int>(i);
    }
    return BeaconDefaultPosition;
}
