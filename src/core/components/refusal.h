#pragma once

#include <QString>

#include <optional>

// What the program tells the user when it refuses a command: the text and the
// title of an information box. The core decides; a window only shows it.
struct Refusal
{
    QString title;
    QString text;

    friend bool operator==(const Refusal&, const Refusal&) = default;
};

// Nothing to refuse, or the first refusal.
using Verdict = std::optional<Refusal>;
