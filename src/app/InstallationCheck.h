#pragma once

#include <QString>

// What --check-installation answers: the data folder in use and whether the hook script, its module
// and the bundled skins with all their videos are there. Packagers and the install test run it.
namespace InstallationCheck {
struct Result
{
    QString report; // one line per piece, ends with a newline
    bool complete = false;
};

// temporaryDirectory holds the empty custom-skins folder the skin manager wants, so a check never
// writes into the user's data.
Result run(const QString& dataDirectory, const QString& temporaryDirectory);
} // namespace InstallationCheck
