#pragma once

// The 68 message texts that every part of the program shows or builds labels from.
//
// Each text is a function named after it (`MsgConfirmQuit()`, `TxtRealSpeed()`, ...) that
// returns the text in the current language at the moment it is called: a label built before
// a language switch keeps its old language until it is rebuilt. Line breaks inside a text
// are "\r\n" as the files and the message box expect; use ForDisplay() for a label.
// `...In(language)` gives another language's text. The functions are safe on any thread:
// the tables are constant and the language is one atomic index.
//
// Adding a message: add its name to KESTRELON_MESSAGES below and its row (same place) to
// the table in messages.cpp; the table checks the order and the seven languages.

#include "shell/languages/languages.h"

#include <QString>

#include <string>

#define KESTRELON_MESSAGES(X)                                                                  \
    X(TxtReplayText)                                                                           \
    X(TxtResumeText)                                                                           \
    X(TxtHide)                                                                                 \
    X(TxtShow)                                                                                 \
    X(TxtLessonSetHint)                                                                        \
    X(TxtMemoryGame)                                                                           \
    X(TxtEqualOccurrence)                                                                      \
    X(TxtLesson)                                                                               \
    X(TxtLocal)                                                                                \
    X(TxtAudioDecoding)                                                                        \
    X(TxtAudioFilterHint)                                                                      \
    X(TxtAudioFilterKeysHint)                                                                  \
    X(MsgLessonTooLong)                                                                        \
    X(MsgTooManyLessons)                                                                       \
    X(MsgPleaseImportLessons)                                                                  \
    X(TxtRealSpeed)                                                                            \
    X(TxtWordLength)                                                                           \
    X(TxtRandomLength)                                                                         \
    X(TxtLeadingVs)                                                                            \
    X(TxtNoLeadingVs)                                                                          \
    X(TxtMixedCharacters)                                                                      \
    X(TxtNonMixedCharacters)                                                                   \
    X(TxtCallsigns)                                                                            \
    X(TxtCharacterSpacing)                                                                     \
    X(TxtCharactersRemaining)                                                                  \
    X(MsgFontNeedsScale100)                                                                    \
    X(MsgNotEnoughMemory)                                                                      \
    X(MsgCannotOpenSoundCard)                                                                  \
    X(MsgLocalCharactersFull)                                                                  \
    X(MsgNoCharactersToPlay)                                                                   \
    X(MsgStopRandomBeforeClearing)                                                             \
    X(MsgNothingToClear)                                                                       \
    X(MsgNothingToCopy)                                                                        \
    X(MsgTextFileTooLong)                                                                      \
    X(MsgStopRandomBeforeRecording)                                                            \
    X(MsgNothingToRecord)                                                                      \
    X(MsgCannotOpenFile)                                                                       \
    X(MsgWriteError)                                                                           \
    X(MsgFileError)                                                                            \
    X(MsgStopPlayingBeforeRecording)                                                           \
    X(MsgStopPlayingBeforeSoundCard)                                                           \
    X(MsgStartEndCharactersSame)                                                               \
    X(MsgConfirmQuit)                                                                          \
    X(MsgConfirmLocalOverBuiltin)                                                              \
    X(MsgConfirmShortcutOverBuiltin)                                                           \
    X(MsgCannotCreateSettings)                                                                 \
    X(MsgLptAddressCaution)                                                                    \
    X(MsgNewerRelease)                                                                         \
    X(MsgLatestRelease)                                                                        \
    X(MsgAudioDecodingUnavailable)                                                             \
    X(MsgEnterValidLptAddress)                                                                 \
    X(TxtDetectedLptPorts)                                                                     \
    X(MsgMouseKeyingHowTo)                                                                     \
    X(MsgCtrlSelectedForKeying)                                                                \
    X(MsgWebOrFileError)                                                                       \
    X(MsgPortDriverMissing)                                                                    \
    X(MsgConfirmResetLessons)                                                                  \
    X(TxtAnswerSpeed)                                                                          \
    X(TxtWpm)                                                                                  \
    X(TxtYes)                                                                                  \
    X(TxtNo)                                                                                   \
    X(TxtProsignWait)                                                                          \
    X(TxtProsignError)                                                                         \
    X(TxtProsignTransmit)                                                                      \
    X(TxtProsignEndOfWork)                                                                     \
    X(TxtProsignUnderstood)                                                                    \
    X(TxtProsignEndOfMessage)                                                                  \
    X(TxtProsignBreak)

enum class Msg : int {
#define KESTRELON_MESSAGE_ID(name) name,
    KESTRELON_MESSAGES(KESTRELON_MESSAGE_ID)
#undef KESTRELON_MESSAGE_ID
        Count
};
constexpr int MessageCount = static_cast<int>(Msg::Count);
static_assert(MessageCount == 68);

// The maker's web address that ends the newer-release message (the release check shares it).
inline constexpr char MakerWebAddress[] = "https://kestrelon.example/";

// The row of a message: its seven texts (UTF-8). `MsgNewerRelease`'s row lacks the web
// address, which Message() appends.
const Tr &MessageRow(Msg id);
const char *MessageName(Msg id);
QString Message(Msg id);
QString MessageIn(Msg id, Language language);

#define KESTRELON_MESSAGE_ACCESSOR(name)                                                       \
    inline QString name() { return Message(Msg::name); }                                       \
    inline QString name##In(Language language) { return MessageIn(Msg::name, language); }
KESTRELON_MESSAGES(KESTRELON_MESSAGE_ACCESSOR)
#undef KESTRELON_MESSAGE_ACCESSOR

// The word of a prosign code 1..7 (`ProsignCode`: AS, HH, KN, VA, SN, AR, BK) in the
// current language; empty for any other code. The Windows-1252 form is for engine texts
// and files.
QString ProsignWord(int code);
std::string ProsignWordCp1252(int code);
