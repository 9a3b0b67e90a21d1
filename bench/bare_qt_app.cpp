// The smallest Qt Widgets program that starts like ours does: an application
// object, one window with a few controls shown and laid out, one pass of
// the event loop, then out. The start benchmark's baseline.

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(new QLabel("20"));
    layout->addWidget(new QPushButton("+1"));
    window.resize(320, 480);
    window.show();
    QTimer::singleShot(0, &app, &QApplication::quit);
    return app.exec();
}
