#pragma once

#include <QString>

#include <optional>

// What the program tells the user in a message box: its title and its text, a
// refusal of a command, a question or a command done. The core decides and
// words every one; a window only shows it.
struct Refusal
{
    QString title;
    QString text;

    friend bool operator==(const Refusal&, const Refusal&) = default;
};

// Nothing to refuse, or the first refusal.
using Verdict = std::optional<Refusal>;
