#pragma once

// The registry of settings keys. Every key of the settings file has one row of SettingsKeys,
// in the order in which the writer emits it: the module that owns it, when the writer emits
// it, what a fresh start writes for it, and what its value may be. The owning module binds
// the key here when it is built: what reading a line does, and which values the writer
// emits for it. Keys that no module has bound yet are kept as they
// were read, held to the values the program could write for them (shell/settingsforms.h),
// and keys this program does not know at all are kept when they look like settings, one line
// each; both are written back, so a user's file loses nothing while the program grows.

#include "shell/settingsformat.h"
#include "shell/settingsforms.h"

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// When the writer emits a key's line.
enum class Written {
    Always,  // one line on every save
    IfOn,    // one line while the option is on, none while it is off
    IfSet,   // one line while its text (or address, or choice) is set, none otherwise
    Checked, // one line for the checked item of a choice, none while nothing is checked
    List,    // one line per entry
};

struct SettingsKey {
    std::string_view key;
    std::string_view owner; // the module that binds it
    Written written;
    // The value a fresh start writes (no file, no argument); nullptr where it writes no line,
    // or where the value depends on the screen (the main window's place and size).
    const char *fresh;
    settings::Form form; // what a kept value may be
};

// Every key, in the writer's order.
extern const std::array<SettingsKey, 138> SettingsKeys;

// The key's place in SettingsKeys, or -1 for a key this program does not know.
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

    // Binds the rows of one module. A key must be one of SettingsKeys; binding a key
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

    // The lines to write: for each key of SettingsKeys the bound row's values, or the lines
    // kept from the read; then kept lines of unknown keys in their file order.
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
    std::array<Binding, SettingsKeys.size()> bindings_;
    std::array<std::vector<std::string>, SettingsKeys.size()> kept_;
    std::vector<settings::Line> keptUnknown_;
    std::unordered_map<std::string, std::size_t> unknownIndex_; // key -> its place in keptUnknown_
    std::vector<Named> readStart_;
    std::vector<FixUp> fixUps_;
};

// The program's registry, which ReadSettingsFile and WriteSettingsFile use.
SettingsRegistry &Settings();
