#include "engine/parallelkeying.h"

#include <cstdio>

std::string Hex4(std::uint16_t address)
{
    char text[8];
    std::snprintf(text, sizeof text, "%04X", address);
    return text;
}

std::string BracketedLptAddress(std::uint16_t address)
{
    return "[" + Hex4(address) + "h]";
}

std::optional<std::uint16_t> ParseHexAddress(const std::string &text)
{
    if (text.empty() || text.size() > 4)
        return std::nullopt;
    unsigned value = 0;
    for (char c : text) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return std::nullopt;
        value = value * 16 + static_cast<unsigned>(digit);
    }
    return static_cast<std::uint16_t>(value);
}

std::optional<std::uint16_t> ParseBracketedLptAddress(const std::string &text)
{
    if (text.size() != 7 || text.front() != '[' || text.compare(5, 2, "h]") != 0)
        return std::nullopt;
    return ParseHexAddress(text.substr(1, 4));
}

ParallelKeying::ParallelKeying(std::unique_ptr<TParallelPortAccess> access) : access_(std::move(access))
{
    if (!access_)
        access_ = std::make_unique<TParallelPortAccess>();
}

void ParallelKeying::DetectLptPorts()
{
    PortDriverInstalled = access_->DriverReady() ? 1 : 0;
    // One source: the ports the kernel's parport driver owns, parportN as LPT(N+1).
    for (int n = 1; n <= 3; ++n) {
        const std::uint16_t address = access_->GetLPTPortAddress(n);
        DetectedLptAddresses[n] = address;
        DetectedLptTexts[n] = address ? Hex4(address) : "0000";
        DetectedLptNames[n] = address ? "LPT" + std::to_string(n) : "";
    }
    LptAddresses = DetectedLptAddresses;
}

void ParallelKeying::EnableAccess()
{
    if (DriverMissing())
        return;
    if (LptEnabledAddress != 0 && LptEnabledAddress != LptBase)
        access_->DisablePorts(LptEnabledAddress, LptEnabledAddress);
    if (LptBase == 0) {
        LptEnabledAddress = 0;
        return;
    }
    if (LptEnabledAddress != LptBase || access_->EnabledAddress() != LptBase) {
        access_->EnablePorts(LptBase, LptBase);
        LptEnabledAddress = LptBase;
    }
}

void ParallelKeying::DisableAccess()
{
    if (!DriverMissing() && LptEnabledAddress != 0) {
        access_->DisablePorts(LptEnabledAddress, LptEnabledAddress);
        LptEnabledAddress = 0;
    }
    LptBase = 0;
}

std::uint8_t ParallelKeying::KeyUpControl(LptPin pin) const
{
    const auto value = LptKeyLevel(LptControl, pin.index, pin.negativeLogic, false);
    return static_cast<std::uint8_t>(value.value_or(LptControl) & 0x0F);
}

bool ParallelKeying::ApplyIdleLevel(LptPin pin, LptPin previous)
{
    LptControl = access_->Inport(static_cast<std::uint16_t>(LptBase + 2));
    // A pin chosen before may have been keyed down a moment ago: the shadow never keeps that.
    if (previous.chosen() && previous.index != pin.index)
        LptControl = KeyUpControl(previous);
    LptControl = KeyUpControl(pin);
    access_->Outport(static_cast<std::uint16_t>(LptBase + 2), static_cast<std::uint8_t>(LptControl));
    access_->SetKeyUpControl(static_cast<std::uint8_t>(LptControl));
    std::string why;
    return access_->GetLastState(why) == 0;
}

void ParallelKeying::WriteKeyUp(LptPin pin)
{
    if (!pin.chosen() || LptBase == 0)
        return;
    access_->Outport(static_cast<std::uint16_t>(LptBase + 2), KeyUpControl(pin));
}

void ParallelKeying::LeavePort(LptPin pin)
{
    // Only a port this program has claimed can hold its pin down; a claim now would itself
    // change the register.
    if (pin.chosen() && access_->Claimed() && access_->EnabledAddress() != 0)
        access_->Outport(static_cast<std::uint16_t>(access_->EnabledAddress() + 2), KeyUpControl(pin));
}

std::string ParallelKeying::DetectedPortsList() const
{
    std::string list;
    for (int n = 1; n <= 3; ++n) {
        if (!DetectedLptNames[n].empty())
            list += DetectedLptNames[n] + " : " + DetectedLptTexts[n] + " / ";
    }
    return list.empty() ? " NONE" : list;
}
