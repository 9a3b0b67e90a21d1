#include "platform/desktop/DesktopShell.h"

#include "platform/RunLoop.h"
#include "platform/ui/Application.h"
#include "platform/ui/Window.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScreen>
#include <QCloseEvent>
#include <QEvent>
#include <QKeySequence>
#include <QPointer>
#include <QSocketNotifier>
#include <QWidget>

#include <algorithm>
#include <cerrno>
#include <map>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

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

// The one spelling of a key with its modifiers that bindings and presses are
// compared in: Qt's portable key-sequence text ("Ctrl+Shift+Z", "Shift+Up",
// "?"). A symbol typed with Shift on one keyboard and without on another
// ("?", "+") counts without it; the keypad counts as the main keys.
QString keyText(int key, Qt::KeyboardModifiers modifiers)
{
    modifiers &= Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier | Qt::MetaModifier;
    const bool symbol = key > 0x20 && key < 0x7f && !(key >= 'A' && key <= 'Z') && !(key >= '0' && key <= '9');
    if (symbol)
        modifiers &= ~Qt::ShiftModifier;
    return QKeySequence(QKeyCombination(modifiers, Qt::Key(key))).toString(QKeySequence::PortableText);
}

// A binding's keys in that spelling; empty when the text names no single key.
QString normalizedKeys(const std::string& keys)
{
    const QKeySequence seq = QKeySequence::fromString(QString::fromStdString(keys), QKeySequence::PortableText);
    if (seq.count() != 1 || seq[0].key() == Qt::Key_unknown)
        return {};
    return keyText(seq[0].key(), seq[0].keyboardModifiers());
}

// What a key types, for the key events sent for a key sequence.
// The keys of a sequence text ("Shift+R, Ctrl+,, Return"), however many; none
// when any of them is no key. Keys are parted by a comma, with or without a
// blank after it; a comma that ends the text or stands before another comma
// is the comma key itself.
std::vector<QKeyCombination> singleKeys(QString text)
{
    std::vector<QKeyCombination> keys;
    while (!text.isEmpty()) {
        qsizetype cut = text.indexOf(u',');
        qsizetype next = text.size();
        if (cut == text.size() - 1) {
            cut = -1;
        } else if (cut >= 0) {
            if (text.at(cut + 1) == u',')
                ++cut;
            next = cut + 1;
            if (next < text.size() && text.at(next) == u' ')
                ++next;
        }
        const QKeySequence one = QKeySequence::fromString(cut < 0 ? text : text.left(cut), QKeySequence::PortableText);
        if (one.count() != 1 || one[0].key() == Qt::Key_unknown)
            return {};
        keys.push_back(one[0]);
        text = text.mid(next);
    }
    return keys;
}

QString typedText(int key, Qt::KeyboardModifiers modifiers)
{
    if (modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return {};
    if (key >= 'A' && key <= 'Z')
        return QString(QChar(modifiers & Qt::ShiftModifier ? key : key - 'A' + 'a'));
    if (key >= 0x20 && key < 0x7f)
        return QString(QChar(key));
    if (key == Qt::Key_Return || key == Qt::Key_Enter)
        return QStringLiteral("\r");
    if (key == Qt::Key_Escape)
        return QString(QChar(0x1b));
    return {};
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
    bool watchingKeys = false;
    struct Binding {
        std::function<void()> fn;
        bool repeats = false;
        // While it does not hold the key is not bound.
        std::function<bool()> when;
    };
    std::map<QString, Binding> bindings; // by keyText
    QSocketNotifier* notifier = nullptr; // owned; deleted with the signal handlers

    void detach()
    {
        if (watchingKeys && qApp)
            qApp->removeEventFilter(this);
        watchingKeys = false;
        bindings.clear();
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

    // A context menu entry; its keys, when it has any, are shown beside it
    // and bound like any other key.
    void addAction(const std::string& text, const std::string& keys, std::function<void()> fn)
    {
        QString label = QString::fromStdString(text);
        if (!keys.empty())
            label += QLatin1Char('\t') + QKeySequence::fromString(QString::fromStdString(keys), QKeySequence::PortableText)
                                            .toString(QKeySequence::NativeText);
        auto* action = new QAction(label, widget);
        action->setData(QString::fromStdString(keys));
        QObject::connect(action, &QAction::triggered, action, [fn] { fn(); });
        widget->addAction(action);
        actions.emplace_back(action);
        if (!keys.empty())
            bind(keys, std::move(fn), false);
    }

    bool bind(const std::string& keys, std::function<void()> fn, bool repeats, std::function<bool()> when = {})
    {
        const QString k = normalizedKeys(keys);
        if (k.isEmpty() || !fn)
            return false;
        bindings[k] = Binding { std::move(fn), repeats, std::move(when) };
        return true;
    }

    // Whether a key typed into `target` belongs to a text being edited: it
    // keeps every key, even one it ignores and passes up to its parents (Up,
    // Down, Escape), which would otherwise reach the bindings from there.
    static bool editing(QWidget* target)
    {
        QWidget* focus = QApplication::focusWidget();
        for (QWidget* w : { focus, target }) {
            if (qobject_cast<QLineEdit*>(w))
                return true;
            if (auto* text = qobject_cast<QPlainTextEdit*>(w); text && !text->isReadOnly())
                return true;
        }
        return false;
    }

    // Keys pressed anywhere in the window, before the control with the
    // focus sees them; a name being typed keeps its keys.
    bool keyPress(QWidget* target, QKeyEvent* e)
    {
        if (!widget || !target || target->window() != widget.data())
            return false;
        if (editing(target))
            return false;
        auto it = bindings.find(keyText(e->key(), e->modifiers()));
        if (it == bindings.end())
            return false;
        if (it->second.when && !it->second.when())
            return false;
        e->accept();
        if (e->isAutoRepeat() && !it->second.repeats)
            return true;
        auto fn = it->second.fn; // the binding may be replaced by its own action
        fn();
        return true;
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
        if (event->type() == QEvent::KeyPress && watched->isWidgetType())
            return keyPress(static_cast<QWidget*>(watched), static_cast<QKeyEvent*>(event));
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
    // One filter on the application sees both the window's own events and
    // the keys pressed in any of its controls.
    found->setContextMenuPolicy(Qt::ActionsContextMenu);
    qApp->installEventFilter(impl_.get());
    impl_->watchingKeys = true;
    impl_->addAction("Rotate left", "Ctrl+Left", [this] { rotateLeft(); });
    impl_->addAction("Rotate right", "Ctrl+Right", [this] { rotateRight(); });
    impl_->addAction("Full screen", "F11", [this] { toggleFullScreen(); });
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
    auto it = impl_->bindings.find(normalizedKeys(keys));
    if (it == impl_->bindings.end())
        return false;
    auto fn = it->second.fn;
    fn();
    return true;
}

std::vector<std::string> DesktopShell::menuEntries() const
{
    std::vector<std::string> out;
    for (auto& action : impl_->actions)
        if (action && !action->isSeparator())
            out.push_back(action->text().section(QLatin1Char('\t'), 0, 0).toStdString());
    return out;
}

bool DesktopShell::triggerMenuEntry(const std::string& text)
{
    for (auto& action : impl_->actions)
        if (action && !action->isSeparator() && action->text().section(QLatin1Char('\t'), 0, 0).toStdString() == text) {
            action->trigger();
            return true;
        }
    return false;
}

void DesktopShell::addMenuEntry(const std::string& text, const std::string& keys, std::function<void()> fn)
{
    if (!impl_->widget)
        return;
    // Before the separator that sets Quit apart, which stays last.
    impl_->addAction(text, keys, std::move(fn));
    auto& actions = impl_->actions;
    if (actions.size() >= 3) {
        QAction* added = actions.back();
        QAction* before = actions[actions.size() - 3];
        impl_->widget->removeAction(added);
        impl_->widget->insertAction(before, added);
        std::rotate(actions.end() - 3, actions.end() - 1, actions.end());
    }
}

bool DesktopShell::bindKey(const std::string& keys, std::function<void()> fn, bool repeats)
{
    return impl_->widget && impl_->bind(keys, std::move(fn), repeats);
}

bool DesktopShell::bindKey(const std::string& keys, std::function<bool()> when, std::function<void()> fn, bool repeats)
{
    return impl_->widget && impl_->bind(keys, std::move(fn), repeats, std::move(when));
}

bool DesktopShell::sendKeys(const std::string& sequence)
{
    QWidget* window = impl_->widget.data();
    if (!window)
        return false;
    // QKeySequence holds at most four keys and drops the rest without a word,
    // so the text is split here and each key read on its own.
    const std::vector<QKeyCombination> seq = singleKeys(QString::fromStdString(sequence));
    if (seq.empty())
        return false;
    for (size_t i = 0; i < seq.size(); ++i) {
        // Each key goes where a typed one would: to the control with the
        // focus when it is in this window, else to the window.
        QWidget* target = QApplication::focusWidget();
        if (!target || target->window() != window)
            target = window;
        const int key = seq[i].key();
        const Qt::KeyboardModifiers modifiers = seq[i].keyboardModifiers();
        const QString text = typedText(key, modifiers);
        QPointer<QWidget> alive(target);
        QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
        QApplication::sendEvent(target, &press);
        if (alive) {
            QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
            QApplication::sendEvent(target, &release);
        }
        if (!impl_->widget)
            break; // the keys closed the window
    }
    return true;
}

void DesktopShell::toggleFullScreen()
{
    if (QWidget* w = impl_->widget.data())
        w->setWindowState(w->windowState() ^ Qt::WindowFullScreen);
}

bool DesktopShell::fitsScreen() const
{
    QWidget* w = impl_->widget.data();
    QScreen* screen = w ? w->screen() : nullptr;
    if (!screen)
        return false;
    const QRect room = screen->availableGeometry();
    return w->width() <= room.width() && w->height() <= room.height();
}

bool DesktopShell::isFullScreen() const
{
    QWidget* w = impl_->widget.data();
    return w && (w->windowState() & Qt::WindowFullScreen);
}

void DesktopShell::fitToScreen()
{
    QWidget* w = impl_->widget.data();
    QScreen* screen = w ? w->screen() : nullptr;
    if (!screen)
        return;
    // The whole phone screen in view, whatever the desktop's scale factor:
    // a window larger than the screen would leave controls out of reach.
    const QRect room = screen->availableGeometry();
    const QSize now = w->size();
    const double s = std::min({ 1.0, 0.92 * room.width() / std::max(1, now.width()),
        0.92 * room.height() / std::max(1, now.height()) });
    if (s < 1)
        w->resize(std::max(1, int(now.width() * s)), std::max(1, int(now.height() * s)));
}

}
