#include "platform/ui/SystemSound.h"

#include <QApplication>

namespace platform::SystemSound {

namespace {
std::vector<unsigned>& played()
{
    static std::vector<unsigned> all;
    return all;
}
}

// A page may ask for sounds without end; only the latest are kept.
constexpr size_t kKept = 64;

void play(unsigned soundID)
{
    auto& all = played();
    if (all.size() >= kKept)
        all.erase(all.begin());
    all.push_back(soundID);
    if (qobject_cast<QApplication*>(QCoreApplication::instance()))
        QApplication::beep();
}

const std::vector<unsigned>& history() { return played(); }

void clearHistory() { played().clear(); }

}
