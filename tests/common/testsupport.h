#pragma once

#include <QString>
#include <functional>

namespace testsupport {

// Processes events until the condition holds or the time-out passes; returns the condition.
bool waitFor(const std::function<bool()> &condition, int timeoutMs = 5000);

// The source folder and the built program, as ctest passes them.
QString sourceDir();
QString programPath();

} // namespace testsupport
