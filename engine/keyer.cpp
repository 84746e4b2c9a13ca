#include "engine/keyer.h"

bool JoystickPresent = false;

// ---- The paddle keyer ----------------------------------------------------------------------

namespace {

KeyerElement elementOf(Paddle paddle)
{
    return paddle == Paddle::Dash ? KeyerElement::Dash : KeyerElement::Dot;
}

} // namespace

void PaddleKeyer::remember(KeyerElement element)
{
    s_.LastElementDash = element == KeyerElement::Dash;
    s_.LastElementDot = element == KeyerElement::Dot;
}

KeyerElement PaddleKeyer::Press(Paddle paddle)
{
    (paddle == Paddle::Dash ? s_.DashPaddleDown : s_.DotPaddleDown) = true;
    // An element is sounding: the engine reads the flag when it ends.
    if (!s_.PlayQueue.empty())
        return KeyerElement::None;
    remember(elementOf(paddle));
    return elementOf(paddle);
}

KeyerElement PaddleKeyer::PressAlone(Paddle paddle)
{
    s_.DashPaddleDown = paddle == Paddle::Dash;
    s_.DotPaddleDown = paddle == Paddle::Dot;
    return s_.PlayQueue.empty() ? elementOf(paddle) : KeyerElement::None;
}

KeyerElement PaddleKeyer::ScreenButtonPress(Paddle paddle)
{
    s_.DashPaddleDown = paddle == Paddle::Dash;
    s_.DotPaddleDown = paddle == Paddle::Dot;
    return elementOf(paddle);
}

void PaddleKeyer::Release(Paddle paddle)
{
    (paddle == Paddle::Dash ? s_.DashPaddleDown : s_.DotPaddleDown) = false;
}

void PaddleKeyer::ReleaseAll()
{
    s_.DashPaddleDown = false;
    s_.DotPaddleDown = false;
    s_.LastElementDash = false;
    s_.LastElementDot = false;
}

KeyerElement PaddleKeyer::NextElement() const
{
    if (s_.DashPaddleDown && !s_.DotPaddleDown)
        return KeyerElement::Dash;
    if (s_.DotPaddleDown && !s_.DashPaddleDown)
        return KeyerElement::Dot;
    if (s_.DashPaddleDown && s_.DotPaddleDown)
        return s_.LastElementDot ? KeyerElement::Dash : s_.LastElementDash ? KeyerElement::Dot : KeyerElement::None;
    return KeyerElement::None;
}

KeyerElement PaddleKeyer::ElementDone()
{
    const KeyerElement next = NextElement();
    if (next != KeyerElement::None || (!s_.DashPaddleDown && !s_.DotPaddleDown))
        remember(next);
    return next;
}

// ---- Key sources ---------------------------------------------------------------------------

std::optional<Paddle> MousePaddle(KeyType type, MouseButton button)
{
    if (!IsPaddleKeyer(type))
        return std::nullopt;
    const MouseButton dashButton = type == KeyType::KeyerNormal ? MouseButton::Left : MouseButton::Right;
    return button == dashButton ? Paddle::Dash : Paddle::Dot;
}

std::optional<Paddle> JoystickPaddle(KeyType type, int button)
{
    if (!IsPaddleKeyer(type) || (button != 1 && button != 2))
        return std::nullopt;
    const bool first = button == 1;
    return (type == KeyType::KeyerNormal) == first ? Paddle::Dash : Paddle::Dot;
}

std::optional<Paddle> SerialPaddle(KeyType type, KeyerLine changed, KeyerLine dotLine, KeyerLine dashLine)
{
    if (!IsPaddleKeyer(type))
        return std::nullopt;
    const bool normal = type == KeyType::KeyerNormal;
    if (changed == dashLine)
        return normal ? Paddle::Dash : Paddle::Dot;
    if (changed == dotLine)
        return normal ? Paddle::Dot : Paddle::Dash;
    return std::nullopt;
}

KeyerLine DashLineAfterDotChoice(KeyerLine dot, KeyerLine dash)
{
    if (dot != dash)
        return dash;
    return dot == KeyerLine::CTS ? KeyerLine::DSR : KeyerLine::CTS;
}

KeyerLine DotLineAfterDashChoice(KeyerLine dot, KeyerLine dash)
{
    if (dot != dash)
        return dot;
    return dash == KeyerLine::DSR ? KeyerLine::CTS : KeyerLine::DSR;
}

SupplyChoice SupplyAfterClick(bool clickedDtr, bool dtrChecked, bool rtsChecked)
{
    if (clickedDtr && !dtrChecked)
        rtsChecked = true;
    if (!clickedDtr && !rtsChecked)
        dtrChecked = true;
    return {dtrChecked, rtsChecked,
            static_cast<std::uint8_t>((dtrChecked ? 1 : 0) | (rtsChecked ? 2 : 0))};
}

// ---- Edges ---------------------------------------------------------------------------------

bool KeyEdges::Accept(KeySource source, bool down)
{
    const auto bit = static_cast<std::size_t>(source);
    if (levels_.test(bit) == down)
        return false;
    levels_.set(bit, down);
    return true;
}
