#include "platform/desktop/DesktopShell.h"

#include "platform/RunLoop.h"
#include "platform/ui/Application.h"
#include "platform/ui/Window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QEvent>
#include <QKeySequence>
#include <QPointer>
#include <QSocketNotifier>
#include <QWidget>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

namespace {

const int kSignals[] = { SIGTERM, SIGINT, SIGHUP };
constexpr int kSignalCount = sizeof kSignals / sizeof kSignals[0];

// The self-pipe: the handler writes the signal number, the run loop reads it.
int gSignalPipe[2] = { -1, -1 };
DesktopShell* gSignalOwner = nullptr; // non-owning
struct sigaction gPreviousActions[kSignalCount];

extern "C" void onTerminationSignal(int signalNumber)
{
    // Only async-signal-safe calls here: one write, errno kept.
    int savedErrno = errno;
    unsigned char byte = static_cast<unsigned char>(signalNumber);
    if (gSignalPipe[1] >= 0) {
        ssize_t written = ::write(gSignalPipe[1], &byte, 1);
        (void)written; // a full pipe already holds a pending request
    }
    errno = savedErrno;
}

int quarterTurn(int orientation, bool left)
{
    // Counter-clockwise order of the four orientations.
    static const int leftOrder[4] = { 1, 3, 2, 4 };
    int index = 0;
    for (int k = 0; k < 4; ++k)
        if (leftOrder[k] == orientation)
            index = k;
    return leftOrder[(index + (left ? 1 : 3)) % 4];
}

}

struct DesktopShell::Impl : public QObject {
    explicit Impl(DesktopShell& owner) : owner(owner) { }
    ~Impl() override { detach(); }

    DesktopShell& owner;
    QPointer<QWidget> widget;
    std::vector<QPointer<QAction>> actions;
    Qt::ContextMenuPolicy previousPolicy = Qt::DefaultContextMenu;
    bool minimized = false;
    bool hidden = false;
    QSocketNotifier* notifier = nullptr; // owned; deleted with the signal handlers

    void detach()
    {
        if (widget) {
            widget->removeEventFilter(this);
            for (auto& action : actions)
                if (action) {
                    widget->removeAction(action);
                    delete action.data();
                }
            widget->setContextMenuPolicy(previousPolicy);
        }
        actions.clear();
        widget = nullptr;
    }

    void addAction(const char* text, const char* keys, std::function<void()> fn)
    {
        auto* action = new QAction(QString::fromUtf8(text), widget);
        if (keys)
            action->setShortcut(QKeySequence(QString::fromLatin1(keys)));
        action->setShortcutContext(Qt::WindowShortcut);
        QObject::connect(action, &QAction::triggered, action, [fn = std::move(fn)] { fn(); });
        widget->addAction(action);
        actions.emplace_back(action);
    }

    void addSeparator()
    {
        auto* action = new QAction(widget);
        action->setSeparator(true);
        widget->addAction(action);
        actions.emplace_back(action);
    }

    // The application is in the background exactly while its window is
    // minimised or hidden; each change of that sends one transition.
    void updateBackground()
    {
        if (owner.terminated_ || QCoreApplication::closingDown())
            return;
        auto& app = Application::shared();
        bool away = minimized || hidden;
        if (away && app.state() != ApplicationState::Background)
            app.enterBackground();
        else if (!away && app.state() == ApplicationState::Background)
            app.enterForeground();
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != widget.data())
            return false;
        switch (event->type()) {
        case QEvent::WindowStateChange:
            minimized = widget->isMinimized();
            updateBackground();
            break;
        case QEvent::Hide:
            if (event->spontaneous()) {
                hidden = true;
                updateBackground();
            }
            break;
        case QEvent::Show:
            if (event->spontaneous()) {
                hidden = false;
                minimized = widget->isMinimized();
                updateBackground();
            }
            break;
        case QEvent::Close:
            // Closing the window ends the session; the game is saved by the
            // termination, so nothing is lost.
            event->accept();
            owner.quit();
            break;
        default:
            break;
        }
        return false;
    }
};

DesktopShell::DesktopShell()
    : impl_(std::make_unique<Impl>(*this))
{
    onQuit = [] { RunLoop::main().quit(0); };
}

DesktopShell::~DesktopShell()
{
    detach();
    if (gSignalOwner == this) {
        for (int k = 0; k < kSignalCount; ++k)
            sigaction(kSignals[k], &gPreviousActions[k], nullptr);
        gSignalOwner = nullptr;
        delete impl_->notifier;
        impl_->notifier = nullptr;
        ::close(gSignalPipe[0]);
        ::close(gSignalPipe[1]);
        gSignalPipe[0] = gSignalPipe[1] = -1;
    }
}

bool DesktopShell::attach(Window& window)
{
    detach();
    if (window.objectName().empty())
        window.setObjectName("tolvaneWindow");
    const QString name = QString::fromStdString(window.objectName());
    QWidget* found = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == name) {
            found = w;
            break;
        }
    if (!found)
        return false;

    impl_->widget = found;
    impl_->minimized = found->isMinimized();
    impl_->hidden = false;
    impl_->previousPolicy = found->contextMenuPolicy();
    found->installEventFilter(impl_.get());
    found->setContextMenuPolicy(Qt::ActionsContextMenu);
    impl_->addAction("Rotate left", "Ctrl+Left", [this] { rotateLeft(); });
    impl_->addAction("Rotate right", "Ctrl+Right", [this] { rotateRight(); });
    impl_->addSeparator();
    impl_->addAction("Quit", "Ctrl+Q", [this] { quit(); });
    return true;
}

void DesktopShell::detach() { impl_->detach(); }

bool DesktopShell::isAttached() const { return !impl_->widget.isNull(); }

bool DesktopShell::installSignalHandlers()
{
    if (gSignalOwner == this)
        return true;
    if (gSignalOwner)
        return false;
    if (::pipe2(gSignalPipe, O_NONBLOCK | O_CLOEXEC) != 0)
        return false;
    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int k = 0; k < kSignalCount; ++k)
        sigaction(kSignals[k], &action, &gPreviousActions[k]);
    gSignalOwner = this;
    impl_->notifier = new QSocketNotifier(gSignalPipe[0], QSocketNotifier::Read);
    QObject::connect(impl_->notifier, &QSocketNotifier::activated, impl_->notifier, [this] {
        unsigned char buffer[64];
        bool any = false;
        while (::read(gSignalPipe[0], buffer, sizeof buffer) > 0)
            any = true;
        if (any)
            quit();
    });
    return true;
}

void DesktopShell::quit()
{
    if (!terminated_) {
        terminated_ = true;
        Application::shared().terminate();
    }
    if (onQuit)
        onQuit();
}

int DesktopShell::orientationAfterTurningLeft(int orientation) { return quarterTurn(orientation, true); }

int DesktopShell::orientationAfterTurningRight(int orientation) { return quarterTurn(orientation, false); }

bool DesktopShell::rotateLeft()
{
    auto& app = Application::shared();
    return app.setDeviceOrientation(orientationAfterTurningLeft(app.deviceOrientation()));
}

bool DesktopShell::rotateRight()
{
    auto& app = Application::shared();
    return app.setDeviceOrientation(orientationAfterTurningRight(app.deviceOrientation()));
}

bool DesktopShell::simulateWindowEvent(const std::string& what)
{
    QWidget* w = impl_->widget.data();
    if (!w)
        return false;
    if (what == "minimize") {
        w->setWindowState(w->windowState() | Qt::WindowMinimized);
    } else if (what == "restore") {
        w->setWindowState(w->windowState() & ~Qt::WindowMinimized);
    } else if (what == "hide" || what == "show") {
        // The window system's hide and show cannot be produced from inside
        // the program; the shell's answer to them is run directly.
        impl_->hidden = what == "hide";
        impl_->updateBackground();
    } else if (what == "close") {
        w->close();
    } else {
        return false;
    }
    return true;
}

bool DesktopShell::triggerShortcut(const std::string& keys)
{
    const QKeySequence wanted(QString::fromStdString(keys));
    for (auto& action : impl_->actions)
        if (action && !action->isSeparator() && action->shortcut() == wanted) {
            action->trigger();
            return true;
        }
    return false;
}

std::vector<std::string> DesktopShell::menuEntries() const
{
    std::vector<std::string> out;
    for (auto& action : impl_->actions)
        if (action && !action->isSeparator())
            out.push_back(action->text().toStdString());
    return out;
}

}
