// The smallest Qt Widgets program that starts like ours does: an application
// object, one window with a few controls shown and laid out, one pass of
// the event loop, then out. The start benchmark's baseline. With
// --first-frame it stays until its window has been drawn once, as ours does
// before its launch ends; without, it leaves before the first paint.

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

#include <cstring>

namespace {

// Quits on the turn after the first paint of the widget it watches.
class FirstPaint final : public QObject {
protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint && !seen_) {
            seen_ = true;
            QTimer::singleShot(0, qApp, &QApplication::quit);
        }
        return false;
    }

private:
    bool seen_ = false;
};

}

int main(int argc, char** argv)
{
    const bool firstFrame = argc > 1 && std::strcmp(argv[1], "--first-frame") == 0;
    QApplication app(argc, argv);
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(new QLabel("20"));
    layout->addWidget(new QPushButton("+1"));
    window.resize(320, 480);
    FirstPaint watcher;
    if (firstFrame)
        window.installEventFilter(&watcher);
    window.show();
    if (!firstFrame)
        QTimer::singleShot(0, &app, &QApplication::quit);
    return app.exec();
}
