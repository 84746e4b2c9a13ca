#include "engine/sendingengine.h"

#include "engine/morsecode.h"
#include "engine/timing.h"
#include "engine/tone.h"

#include <algorithm>
#include <string>

namespace {

constexpr unsigned char CarriageReturn = 13;

} // namespace

SendingEngine::SendingEngine(EngineState &state, EngineHost &host, AudioOutput &output,
                             Timing &timing, ToneGenerator &tone, const EffectSwitches &effects)
    : m_state(state), m_host(host), m_output(output), m_timing(timing), m_tone(tone),
      m_effects(effects)
{
}

bool SendingEngine::noiseActive() const
{
    return ActiveEffectsFor(m_effects, m_state.RandomPlaying, m_state.TextPlaying).Noise;
}

// The head-selection loop: file-text and replay bookkeeping, masked text, shortcut expansion
// and characters without a code. Returns false when the queue ran empty.
bool SendingEngine::selectHead(unsigned char &c)
{
    EngineState &s = m_state;
    for (;;) {
        if (s.PlayQueue.empty())
            return false;
        if (!s.DashPaddleDown && !s.DotPaddleDown)
            m_host.showStopButton();
        if (s.TextPlaying && !s.LeadingSpaceDone) {
            ++s.FileTextIndex;
            s.FileTextPos = s.FileTextIndex;
            m_host.fileTextShowSent();
        }
        if (s.ReplayingTypedText && !s.LeadingSpaceDone) {
            if (s.TypedLeft > 0)
                --s.TypedLeft;
            else
                ++s.TypedTextIndex;
            m_host.typedTextShowSent();
        }
        c = static_cast<unsigned char>(s.PlayQueue.front());
        if (s.TextPlaying) {
            s.CurrentFileChar = m_host.fileSelectionLastChar().value_or(c);
            if (c != s.CurrentFileChar) {
                if (c != CarriageReturn) {
                    --s.FileTextIndex;
                    ++s.FileTextStart;
                    m_host.fileTextShowSent();
                    s.FileTextPos = s.FileTextIndex;
                } else if (m_host.lineEndAsWordSpace()) {
                    c = ' ';
                }
            }
        } else {
            s.CurrentFileChar = c;
        }
        // Only a file text is masked: a start marker typed or sent by another mode must not
        // leave the next file text masked from its first character.
        if (s.TextPlaying && s.MaskStartChar != 0 && c == s.MaskStartChar && !s.MaskActive)
            s.MaskActive = true;
        if (s.MaskActive && s.TextPlaying) {
            if (c == s.MaskEndChar)
                s.MaskActive = false;
            RemoveQueueHead(s);
            continue;
        }
        if (c == ' ' || !MorseCodes[c].empty())
            return true;
        // A shortcut character is replaced by its text, but never inside a text that came from
        // a shortcut: a shortcut met there is dropped like any character without a code, so
        // a shortcut naming itself, or two naming each other, cannot expand for ever.
        const bool fromExpansion = s.ExpandedLeft > 0;
        RemoveQueueHead(s);
        if (!fromExpansion) {
            if (const auto text = m_host.shortcutText(c)) {
                s.PlayQueue.insert(0, *text);
                s.ExpandedLeft = text->size();
                s.TypedLeft = static_cast<int>(text->size());
            }
        }
    }
}

SendingEngine::StartResult SendingEngine::startNext()
{
    EngineState &s = m_state;
    if (!s.PlaybackDone)
        return StartResult::Busy;

    m_host.freezeFileEdit();
    unsigned char c = 0;
    if (!selectHead(c)) {
        m_host.releaseFileEdit();
        s.EngineCalledDirectly = true;
        return StartResult::QueueEmpty;
    }
    const unsigned char head = static_cast<unsigned char>(s.PlayQueue.front());
    s.CurrentCode = std::string(MorseCodes[c]);

    if (s.QuickSeries) {
        // Nothing sounds: the character counts as sent at once, so its done removes it even
        // when a leading space was the last buffer (else the series would repeat it for ever).
        s.LeadingSpaceDone = false;
        s.HeadInFlight = true;
        s.InFlightChar = head;
        m_host.releaseFileEdit();
        return StartResult::QuickSeries;
    }

    m_host.zoomShowCharacter(c, s.CurrentCode);

    const bool paddleKeyer = m_host.paddleKeyerWithMonitor();
    // A paddle held as the element starts shortens its gap and drops the character space.
    const bool keyerKeys = paddleKeyer && (s.DashPaddleDown || s.DotPaddleDown);
    const int gap = keyerKeys ? m_timing.KeyerGapValues(m_host.keyCalibration())
                              : m_timing.GapValues();
    const bool keying = m_host.keyingOutputConfigured();
    s.CWDashMs = keying ? m_timing.CWDashMs() : 0;
    s.CWDotMs = keying ? m_timing.CWDotMs() : 0;
    s.CWGapMs = keying ? m_timing.CWGapMs() : 0;
    // The key decoder's letter gap at the end of a keyer's queue: two plain gaps, whether or
    // not an output is keyed (the keying lengths above are 0 without one), and whether or not
    // a paddle is still down: an element queued behind others often starts after its paddle
    // was let go, and its letter must end all the same.
    s.CWElementTable[0] = paddleKeyer ? 2 * m_timing.CWGapMs() : 0;

    // Which buffer the head gets: a blank, the leading space before a character, the start
    // silence of a new transmission, or the character itself.
    BufferKind kind = BufferKind::Character;
    if (c == ' ') {
        kind = BufferKind::Blank;
    } else if (m_timing.LeadingSpace() > 0 && !s.LeadingSpaceDone && !s.QuizSeriesPlaying) {
        kind = BufferKind::LeadingSpace;
    } else {
        s.LeadingSpaceDone = false;
        if (s.NewTransmission && m_timing.StartSilence() > 0)
            kind = BufferKind::StartSilence;
    }

    m_driftStepped = false;
    std::vector<std::int16_t> buffer;
    switch (kind) {
    case BufferKind::Blank:
        buffer = takeBuffer(static_cast<std::size_t>(m_timing.BlankGapUnits()) * gap);
        renderSilence(buffer);
        // The blank is the head's own buffer, so its done report removes it, even when a
        // leading space for a character that Backspace has taken away was the last buffer.
        s.LeadingSpaceDone = false;
        break;
    case BufferKind::LeadingSpace:
        buffer = takeBuffer(static_cast<std::size_t>(m_timing.LeadingSpaceGapUnits(false)) * gap);
        renderSilence(buffer);
        s.LeadingSpaceDone = true;
        s.NewTransmission = false;
        break;
    case BufferKind::StartSilence:
        buffer = takeBuffer(static_cast<std::size_t>(m_timing.StartSilenceGapUnits(true)) * gap);
        renderSilence(buffer);
        s.NewTransmission = false;
        s.LeadingSpaceDone = true;
        break;
    case BufferKind::Character: {
        s.LeadingSpaceDone = false;
        s.NewTransmission = false;
        // Marked when the unit was queued: by now the group may have been counted as ended.
        const bool groupEnds = s.HeadEndsGroup && !s.ReplayRandom && m_host.randomModeChecked()
            && !s.ReplayingTypedText;
        s.HeadEndsGroup = false;
        const int spaceUnits
            = m_timing.CharacterSpaceGapUnits(s.QuizSeriesPlaying, groupEnds, keyerKeys);
        buffer = takeBuffer(static_cast<std::size_t>(
            m_timing.CharacterValues(s.CurrentCode, spaceUnits, gap)));
        renderCharacter(buffer, gap, spaceUnits);
        break;
    }
    }
    if (kind == BufferKind::Blank || kind == BufferKind::Character) {
        s.HeadInFlight = true;
        s.InFlightChar = head;
        s.CharacterUnheard = false;
    }

    if (m_host.waveInputOpen())
        reopenOutputForInput();

    handOver(std::move(buffer), kind);

    if (m_driftStepped)
        buildToneTables();
    m_host.releaseFileEdit();
    m_host.updateDemoCaret();
    return StartResult::Handed;
}

// The character's elements with their table entries and gaps, then the character space.
// Returns the values written, which is exactly the buffer's size.
std::size_t SendingEngine::renderCharacter(std::vector<std::int16_t> &buffer, int gapValues,
                                           int characterSpaceUnits)
{
    EngineState &s = m_state;
    const ActiveEffects active = ActiveEffectsFor(m_effects, s.RandomPlaying, s.TextPlaying);
    const ToneGenerator::CharacterStart start = m_tone.BeginCharacter(active, m_timing.Speed());
    m_driftStepped = start.driftStepped;

    const std::span<std::int16_t> out(buffer);
    std::size_t pos = 0;
    std::size_t entry = 1;
    for (char sign : s.CurrentCode) {
        pos = RenderElement(m_tone.Tables, start.effects, out, pos,
                            static_cast<std::size_t>(m_timing.ElementValues(sign)));
        if (entry + 1 < s.CWElementTable.size()) {
            s.CWElementTable[entry] = sign == '-' ? s.CWDashMs : s.CWDotMs;
            s.CWElementTable[entry + 1] = -s.CWGapMs;
            entry += 2;
        }
        pos = RenderSilence(m_tone.Tables, active.Noise, out, pos,
                            static_cast<std::size_t>(gapValues), true);
    }
    // The end mark replaces the gap after the last element.
    s.CWElementTable[entry > 1 ? entry - 1 : 1] = 0;
    return RenderSilence(m_tone.Tables, active.Noise, out, pos,
                         static_cast<std::size_t>(characterSpaceUnits) * gapValues, false);
}

void SendingEngine::renderSilence(std::vector<std::int16_t> &buffer)
{
    RenderSilence(m_tone.Tables, noiseActive(), std::span<std::int16_t>(buffer), 0, buffer.size(),
                  false);
}

std::vector<std::int16_t> SendingEngine::takeBuffer(std::size_t values)
{
    std::vector<std::int16_t> buffer;
    if (!m_free.empty()) {
        buffer = std::move(m_free.back());
        m_free.pop_back();
    }
    buffer.resize(values);
    return buffer;
}

void SendingEngine::releaseBuffer(AudioOutput::Tag tag)
{
    auto it = m_inUse.find(tag);
    if (it == m_inUse.end())
        return;
    // Keep a few buffers' memory for the next characters; large ones are given back.
    if (m_free.size() < 4 && it->second.capacity() <= 1'000'000)
        m_free.push_back(std::move(it->second));
    m_inUse.erase(it);
}

void SendingEngine::reopenOutputForInput()
{
    m_host.closeWaveInput();
    if (m_state.NoSoundCard)
        return;
    // The output stream shares no device with the input here: it stays open and running, so
    // the first keying after the decoder is heard whole, with no fresh stream's start.
    if (const int reset = m_output.reset(); reset != 0)
        reportWaveError(reset, "WaveOutReset");
}

void SendingEngine::handOver(std::vector<std::int16_t> buffer, BufferKind kind)
{
    EngineState &s = m_state;
    const std::size_t values = buffer.size();
    const int soundingMs = static_cast<int>(values * 1000 / ValuesPerSecond);
    s.PlaybackDone = false;

    if (!s.NoSoundCard) {
        // Cuts the noise tail of the previous character.
        if (const int error = m_output.reset(); error != 0)
            reportWaveError(error, "WaveOutReset");
    }
    if (kind == BufferKind::Character && m_host.keyingOutputConfigured())
        m_host.keyFirstElement(s.CWElementTable);

    const AudioOutput::Tag tag = m_nextTag++;
    m_characterTag = tag;
    if (s.NoSoundCard) {
        // A device lost while the program runs is coming back: meanwhile the text keeps the
        // pace it would have had with sound.
        m_host.startTimer1(s.OutputLost ? std::max(1, soundingMs) : std::max(MinTimerMs, soundingMs));
        m_free.push_back(std::move(buffer));
        return;
    }
    // Keyed lines follow the text's time through a stall of the sound; without them the
    // sound is what the learner follows.
    m_output.setKeepTime(m_host.keyingOutputConfigured());
    auto &held = m_inUse[tag] = std::move(buffer);
    if (const int error = m_output.write(tag, held.data(), held.size()); error != 0) {
        // Not queued, so never reported done: the timer ends the character instead, as long
        // as it would have sounded, so the queue goes on and Stop still works.
        m_inUse.erase(tag);
        m_host.startTimer1(std::max(MinTimerMs, soundingMs));
        reportWaveError(error, "Ecriture Carte Son StartClick");
        return;
    }
    if (noiseActive()) {
        // The whole noise table sounds behind the character until the next one starts; it is
        // copied because a drift step rebuilds the table while it still plays.
        const AudioOutput::Tag tailTag = m_nextTag++;
        const auto noise = m_tone.Tables.NoiseBuffer();
        std::vector<std::int16_t> tail = takeBuffer(noise.size());
        std::copy(noise.begin(), noise.end(), tail.begin());
        auto &tailHeld = m_inUse[tailTag] = std::move(tail);
        if (const int error = m_output.write(tailTag, tailHeld.data(), tailHeld.size());
            error != 0) {
            m_inUse.erase(tailTag);
            reportWaveError(error, "Ecriture Carte Son StartClick");
        }
    }
}

void SendingEngine::reportWaveError(int error, const char *place)
{
    m_state.LastWaveError = error;
    m_host.showProgramMessage(WaveErrorText(error, place));
}

void SendingEngine::restoreBasePitch()
{
    if (m_tone.drift.SwitchOff(m_tone.Tables))
        m_tone.Tables.BuildToneTables();
}

void SendingEngine::buildToneTables()
{
    m_tone.Tables.BuildToneTables();
}
