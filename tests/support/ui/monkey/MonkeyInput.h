#pragma once

#include "support/ui/monkey/MonkeyTargets.h"

#include <QRandomGenerator>
#include <QStringList>

// The inputs the monkey gives: clicks, double clicks, keys and typed text, chosen at random or
// read back from a replay file, and carried out as the user's mouse and keyboard would.
namespace tovin::test::monkey {

// Texts that have broken programs before: empty, very long, quotes, markup, SQL, numbers out of
// range or in the wrong notation, an impossible date, right-to-left and emoji text.
const QStringList& hostileTexts();

struct Input {
    QString action; // click, dblclick, key, type, trigger
    QString value;
};

// A random input suited to the target.
Input chooseInput(const Target& target, QRandomGenerator& random);

// Carries out the input on the target; false when the input does not apply to it.
bool perform(const Target& target, const Input& input);

// Whether typing into this widget changes text (for the checks' excuses).
bool takesText(const QWidget* widget);

} // namespace tovin::test::monkey
