#pragma once

// Keying by hand: the electronic keyer of a pair of paddles, and the rules that map each key
// source (mouse buttons, joystick buttons, serial status lines) onto a paddle or a straight
// key, the two serial-line choices that never name the same line, and the keyer supply mask.
//
// The keyer sends one element at a time through the sending engine: "t" (one dash) or "e"
// (one dot), each a buffer of the element and the keyer's gap. Its state lives in the engine
// state (the two paddle flags and the last-element memory) because the playback cycle asks it
// for the next element when a buffer ends. A paddle pressed while an element sounds only sets
// its flag; that is the paddle memory, read when the element's buffer ends:
//
//                  dash pressed, queue empty             dot pressed, queue empty
//        +---------------------------------- IDLE ----------------------------------+
//        |                                    ^                                     |
//        v                                    | neither paddle held:                v
//     IN DASH  (dash + gap sound)             | memory cleared, queue           IN DOT
//        |                                    | runs empty                          |
//        | buffer done                        |                       buffer done   |
//        v                                    |                                     v
//    AFTER DASH -- dash held alone --> IN DASH      IN DOT <-- dot held alone -- AFTER DOT
//        |                                                                          |
//        +-- dot held, alone or with dash --> IN DOT    IN DASH <-- dash held, alone or
//                                                                   with dot -------+
//
// Both paddles held therefore alternate: the element of the paddle pressed first, then the
// other's, and so on for as long as both stay down.

#include "engine/enginestate.h"

#include <bitset>
#include <cstdint>
#include <optional>

enum class Paddle { Dash, Dot };

// What the keyer queues: nothing, "t" or "e".
enum class KeyerElement : char { None = 0, Dash = 't', Dot = 'e' };

// The queue character of an element and its sign on the element line ("-" or ".").
constexpr char QueueCharacter(KeyerElement element)
{
    return static_cast<char>(element);
}
constexpr const char *ElementSign(KeyerElement element)
{
    return element == KeyerElement::Dash ? "-" : element == KeyerElement::Dot ? "." : "";
}

// The four key types of the monitor (none: audio decoding or nothing chosen).
enum class KeyType { None, Straight, KeyerNormal, KeyerReversed, Ctrl };

constexpr bool IsPaddleKeyer(KeyType type)
{
    return type == KeyType::KeyerNormal || type == KeyType::KeyerReversed;
}

// The keyer's decisions on the engine state's paddle flags and memory.
class PaddleKeyer {
public:
    explicit PaddleKeyer(EngineState &state) : s_(state) {}

    // A paddle goes down (mouse, serial line): its flag is set; only when the queue is empty
    // the memory becomes this paddle and its element is returned, to be queued and started.
    KeyerElement Press(Paddle paddle);
    // A joystick button: its own flag set and the other cleared, so the two are never held
    // together; the memory is left alone.
    KeyerElement PressAlone(Paddle paddle);
    // The on-screen buttons: the element is always queued behind what the queue holds; the
    // own flag set, the other cleared, no memory.
    KeyerElement ScreenButtonPress(Paddle paddle);
    void Release(Paddle paddle);
    // Both flags and the memory cleared (the mouse left the key picture, the queue ran empty).
    void ReleaseAll();
    // An element's buffer has ended: the next element by the paddles held, with the memory
    // set to it; with neither held the memory is cleared and nothing follows.
    KeyerElement ElementDone();
    // What ElementDone() would return now, changing nothing.
    KeyerElement NextElement() const;

private:
    void remember(KeyerElement element);
    EngineState &s_;
};

// ---- Key sources ---------------------------------------------------------------------------

// The joystick was captured at start-up (set by the joystick component; false without one).
extern bool JoystickPresent;

enum class MouseButton { Left, Right, Middle };

// The paddle of a mouse button on the key picture: normal, left = dash and right or middle =
// dot; reversed, right = dash and left or middle = dot. Nothing for other key types.
std::optional<Paddle> MousePaddle(KeyType type, MouseButton button);

// The paddle of joystick button 1 or 2: normal 1 = dash, 2 = dot; reversed the other way.
std::optional<Paddle> JoystickPaddle(KeyType type, int button);

// The serial status lines, in the order of the line choices' items.
enum class KeyerLine { DSR = 0, CTS = 1, CD = 2 };

// The paddle a changed line stands for: the Dash line is the dash paddle of a normal keyer
// and the dot paddle of a reversed one, the DOT line the other way round.
std::optional<Paddle> SerialPaddle(KeyType type, KeyerLine changed, KeyerLine dotLine, KeyerLine dashLine);

// The two line choices never name the same line: after the DOT choice, the Dash line (moved
// when they collide: DSR -> CTS, CTS -> DSR, CD -> CTS); after the Dash choice, the DOT line
// (DSR -> CTS, CTS -> DSR, CD -> DSR).
KeyerLine DashLineAfterDotChoice(KeyerLine dot, KeyerLine dash);
KeyerLine DotLineAfterDashChoice(KeyerLine dot, KeyerLine dash);

// The keyer supply boxes after a click on one of them: unchecking the last one checks the
// other, so at least one line stays chosen. The mask has bit 0 for DTR, bit 1 for RTS.
struct SupplyChoice {
    bool dtr;
    bool rts;
    std::uint8_t mask;
};
SupplyChoice SupplyAfterClick(bool clickedDtr, bool dtrChecked, bool rtsChecked);

// ---- Edges ---------------------------------------------------------------------------------

enum class KeySource {
    MouseLeft, MouseRight, MouseMiddle, ButtonTrait, ButtonPoint, Joystick1, Joystick2,
    LineDSR, LineCTS, LineCD, CtrlKey, Count
};

// The last level each source delivered: a second down while down, or up while up, from the
// same source is no edge and is ignored.
class KeyEdges {
public:
    // True when `down` is a change of the source's level (and records it).
    bool Accept(KeySource source, bool down);
    bool Down(KeySource source) const { return levels_.test(static_cast<std::size_t>(source)); }
    // The source counts as up again without an edge (its release went elsewhere).
    void Forget(KeySource source) { levels_.reset(static_cast<std::size_t>(source)); }

private:
    std::bitset<static_cast<std::size_t>(KeySource::Count)> levels_;
};
