#include "shell/modes.h"

#include "shell/sidewindows.h"

#include <QPointer>

#include <array>
#include <cstring>
#include <vector>

namespace {

std::vector<ProgramModule> &modules()
{
    static std::vector<ProgramModule> list;
    return list;
}

struct NamedStep
{
    const char *name;
    std::function<void()> step;
};

std::array<std::vector<NamedStep>, static_cast<std::size_t>(ModuleStep::Count)> &steps()
{
    static std::array<std::vector<NamedStep>, static_cast<std::size_t>(ModuleStep::Count)> places;
    return places;
}

struct SideWindowMaker
{
    std::function<TSideForm *()> make;
    std::function<void()> forget;
    QPointer<TSideForm> made;
};

std::array<SideWindowMaker, static_cast<std::size_t>(SideWindowPlace::Count)> &sideWindowMakers()
{
    static std::array<SideWindowMaker, static_cast<std::size_t>(SideWindowPlace::Count)> makers;
    return makers;
}

SideWindowMaker &makerAt(SideWindowPlace place)
{
    return sideWindowMakers()[static_cast<std::size_t>(place)];
}

} // namespace

void RegisterModule(ProgramModule module)
{
    for (ProgramModule &known : modules()) {
        if (std::strcmp(known.name, module.name) == 0) {
            known = std::move(module);
            return;
        }
    }
    modules().push_back(std::move(module));
}

void BuildRegisteredModules(TForm1 &form)
{
    // A module's build may register nothing further; copy so a late registration can't
    // invalidate the loop.
    const std::vector<ProgramModule> list = modules();
    for (const ProgramModule &module : list) {
        if (module.build)
            module.build(form);
    }
}

ModeHooks &Hooks()
{
    static ModeHooks hooks;
    return hooks;
}

void AddModuleStep(ModuleStep place, const char *name, std::function<void()> step)
{
    auto &list = steps()[static_cast<std::size_t>(place)];
    for (NamedStep &known : list) {
        if (std::strcmp(known.name, name) == 0) {
            known.step = std::move(step);
            return;
        }
    }
    list.push_back({name, std::move(step)});
}

void RunModuleSteps(ModuleStep place)
{
    // A step may add steps elsewhere; run a copy of this place's list.
    const std::vector<NamedStep> list = steps()[static_cast<std::size_t>(place)];
    for (const NamedStep &step : list) {
        if (step.step)
            step.step();
    }
}

void RegisterSideWindow(SideWindowPlace place, std::function<TSideForm *()> make, std::function<void()> forget)
{
    SideWindowMaker &maker = makerAt(place);
    maker.make = std::move(make);
    maker.forget = std::move(forget);
}

TSideForm *MakeSideWindow(SideWindowPlace place)
{
    SideWindowMaker &maker = makerAt(place);
    maker.made = maker.make ? maker.make() : nullptr;
    return maker.made;
}

TSideForm *SideWindowAt(SideWindowPlace place)
{
    return makerAt(place).made;
}

bool SideWindowVisible(SideWindowPlace place)
{
    const TSideForm *form = SideWindowAt(place);
    return form && form->isVisible();
}

void HideSideWindow(SideWindowPlace place)
{
    if (TSideForm *form = SideWindowAt(place))
        form->hide();
}

void ForgetSideWindows()
{
    for (SideWindowMaker &maker : sideWindowMakers()) {
        maker.made = nullptr;
        if (maker.forget)
            maker.forget();
    }
}
