#include "TolvaneViewController.h"

#include <algorithm>
#include <cstdlib>
#include <unordered_map>

namespace {
long faces(int diceFaceType)
{
    // A die needs at least one face.
    return std::max(1, diceFaceType);
}

long throwDie(long f)
{
    return random() % f;
}
}

void TolvaneViewController::doThrowDiceOnBtn()
{
    if (!buttonDice)
        return;
    const long f = faces(diceFaceType);
    if (!isThrow2Dices) {
        const long v = throwDie(f);
        buttonDice->setTitle(std::to_string(v + 1));
        if (buttonDec5Hp0)
            buttonDice->setFont(buttonDec5Hp0->font().withSize(30));
    } else if (isDiceRepeat || f < 2) {
        // With a single face two different values do not exist, so the throw
        // allows repeats instead of drawing for ever.
        const long a = throwDie(f);
        const long b = throwDie(f);
        buttonDice->setTitle(std::to_string(a + 1) + ", " + std::to_string(b + 1));
        SetButtonFontSize(16, *buttonDice);
    } else {
        const long a = throwDie(f);
        long b = throwDie(f);
        while (b == a)
            b = throwDie(f);
        buttonDice->setTitle(std::to_string(a + 1) + ", " + std::to_string(b + 1));
        const platform::Button* fontSource = isPortrait() ? buttonReset.get() : buttonDec5Hp0.get();
        if (fontSource)
            buttonDice->setFont(fontSource->font().withSize(16));
    }
    buttonDice->setTitleColor(platform::Color::red_());
}

void TolvaneViewController::doThrowDice()
{
    const long f = faces(diceFaceType);
    const long n = long(ar_lblRandom.size());
    auto show = [this](long player, long value) {
        platform::Label& label = *ar_lblRandom[player];
        label.setText(std::to_string(value + 1));
        label.setTextColor(platform::Color::red_());
    };

    // Distinct values for more players than faces do not exist; such a throw
    // allows repeats.
    if (isDiceRepeat || f < n) {
        for (long i = 0; i < n; ++i)
            show(i, throwDie(f));
        return;
    }

    // A draw without replacement from the faces 0 .. F - 1: each step takes a
    // uniform index among the faces not yet drawn and swaps the last undrawn
    // face into its place. Only the changed places are remembered, so a die
    // with two billion faces costs no more than a six-sided one.
    std::unordered_map<long, long> moved;
    auto faceAt = [&moved](long index) {
        auto it = moved.find(index);
        return it == moved.end() ? index : it->second;
    };
    for (long i = 0; i < n; ++i) {
        const long last = f - 1 - i;
        const long j = random() % (f - i);
        const long v = faceAt(j);
        // The drawn face would go to `last`, which no later step reads.
        moved[j] = faceAt(last);
        show(i, v);
    }
}
