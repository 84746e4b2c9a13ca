#pragma once

#include <QStringList>

#include <optional>

// What the program's arguments choose for this run. Only the first three arguments count,
// each upper-cased (a to z only): "/E" "/D" "/F" "/I" "/P" "/S" "/M" choose a language
// (the letter is the one of the LANGUAGE= key); an argument longer than two characters whose
// second character is "=" gives the speed from the rest. Later arguments win.
struct CommandLineChoice {
    char language = 0;          // 0: none chosen
    std::optional<int> speed;   // not yet clamped
};

// arguments: the program's arguments without its name (QCoreApplication::arguments().mid(1)).
CommandLineChoice ReadCommandLineArguments(const QStringList &arguments);

// Applies the command-line arguments after the settings file: the language item is clicked,
// the speed goes where SPEED= goes, held to 5..70. Both are then what the file stores at exit.
// arguments: without the program's name.
void ApplyCommandLine(const QStringList &arguments);
