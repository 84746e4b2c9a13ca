// Any bytes as a news page: the parse ends, never reads out of bounds, and every sentence it
// gives is " " + text + "." in Windows-1252. Built and run by scripts/fuzz.sh.

#include "training/filetextcore.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view page(reinterpret_cast<const char *>(data), size);
    const filetext::NewsSentences parsed = filetext::ParseNewsPage(page);
    if (parsed.code == filetext::NewsOk) {
        for (const std::string &sentence : parsed.sentences) {
            if (sentence.size() < 3 || sentence.front() != ' ' || sentence.back() != '.')
                __builtin_trap();
        }
    } else if (!parsed.sentences.empty()) {
        __builtin_trap();
    }
    (void)filetext::DecodeEntities(page);
    (void)filetext::Utf8ToAnsi(page);
    return 0;
}
