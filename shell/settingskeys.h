#pragma once

// The registry of settings keys. Every key of the settings file has its place in one fixed
// order (SettingsKeyOrder), the order in which the writer emits it. A module that owns
// settings binds its keys here, one row per key: the key, what reading a line does, and
// which values the writer emits for it. Keys that no module has bound yet are kept as they
// were read, held to the values the program could write for them (shell/settingsforms.h),
// and keys this program does not know at all are kept when they look like settings, one line
// each; both are written back, so a user's file loses nothing while the program grows.

#include "shell/settingsformat.h"

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// Every key, in the writer's order.
extern const std::array<std::string_view, 138> SettingsKeyOrder;

// The key's place in SettingsKeyOrder, or -1 for a key this program does not know.
int SettingsKeyIndex(std::string_view key);

class SettingsRegistry {
public:
    // Applies one line's value; called once per line of the key, in file order.
    using ReadFn = std::function<void(const std::string &value)>;
    // Appends the values to write for the key, one line each (none, one, or a list).
    using WriteFn = std::function<void(std::vector<std::string> &values)>;
    using Step = std::function<void()>;

    struct Row {
        std::string_view key;
        ReadFn read;
        WriteFn write;
    };

    // Binds the rows of one module. A key must be one of SettingsKeyOrder; binding a key
    // again replaces its row.
    void bind(const std::vector<Row> &rows);
    void bind(std::string_view key, ReadFn read, WriteFn write);
    bool isBound(std::string_view key) const;

    // Runs before the first line of a read (resets list counters and the like). A step
    // added again under the same name replaces the earlier one, so binding twice is harmless.
    void addReadStart(std::string_view name, Step step);
    // Runs after the last line of a read, also when there was no file; fix-ups run by their
    // number, then in the order they were added. Named like the read-start steps.
    void addFixUp(int number, std::string_view name, Step step);

    // Applies the lines: bound keys through their rows, every other line kept for writing.
    // A row or fix-up that throws is passed over like a bad value; the rest still applies.
    void read(const std::vector<settings::Line> &lines);

    // Applies one value after the read as if a line of the key had come last in the file
    // (the command line does this): through the bound row, or, for a key no module has
    // bound yet, in place of the lines kept for it.
    void applyValue(std::string_view key, const std::string &value);

    // The lines to write: for each key in SettingsKeyOrder the bound row's values, or the
    // lines kept from the read; then kept lines of unknown keys in their file order.
    std::vector<settings::Line> write() const;

    void clear();

private:
    void keep(int index, const std::string &value);
    void keepUnknown(const settings::Line &line);

    struct Binding {
        ReadFn read;
        WriteFn write;
    };
    struct Named {
        std::string name;
        Step step;
    };
    struct FixUp {
        int number;
        std::string name;
        Step step;
    };
    std::array<Binding, SettingsKeyOrder.size()> bindings_;
    std::array<std::vector<std::string>, SettingsKeyOrder.size()> kept_;
    std::vector<settings::Line> keptUnknown_;
    std::unordered_map<std::string, std::size_t> unknownIndex_; // key -> its place in keptUnknown_
    std::vector<Named> readStart_;
    std::vector<FixUp> fixUps_;
};

// The program's registry, which ReadSettingsFile and WriteSettingsFile use.
SettingsRegistry &Settings();
