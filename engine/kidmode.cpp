#include "engine/kidmode.h"

#include <string>

namespace {

char asciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool skipped(char c)
{
    return c == ' ' || c == '\r' || c == '\n';
}

} // namespace

KidCheckResult KidCheck(std::string_view memoText, std::string_view target)
{
    const std::size_t n = target.size();
    if (n == 0 || memoText.empty())
        return KidCheckResult::Unchanged;
    if (memoText.back() == ' ')
        return KidCheckResult::Stop;
    if (memoText.size() < n)
        return KidCheckResult::Unchanged;
    std::string collected;
    for (std::size_t k = memoText.size(); k-- > 0 && collected.size() < n;) {
        if (!skipped(memoText[k]))
            collected.insert(collected.begin(), asciiLower(memoText[k]));
    }
    if (collected.size() < n)
        return KidCheckResult::Unchanged;
    return collected == target ? KidCheckResult::Start : KidCheckResult::Stop;
}

KidSize KidSizeAtZoom(KidSize base, int zoomPercent)
{
    return {static_cast<int>(static_cast<long long>(base.width) * zoomPercent / 100),
            static_cast<int>(static_cast<long long>(base.height) * zoomPercent / 100)};
}

KidSize KidSizeAtHundred(KidSize window, int zoomPercent)
{
    if (zoomPercent <= 0)
        return window;
    return {static_cast<int>(static_cast<long long>(window.width) * 100 / zoomPercent),
            static_cast<int>(static_cast<long long>(window.height) * 100 / zoomPercent)};
}
