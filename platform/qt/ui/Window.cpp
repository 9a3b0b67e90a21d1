#include "QtConvert.h"
#include "ViewImpl.h"
#include "WebEngine.h"
#include "WindowRegistry.h"
#include "platform/Clock.h"
#include "platform/ui/Application.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"
#include <QPixmap>
#include <algorithm>
#include <cmath>
#include <vector>

namespace platform {

namespace {
constexpr float kStatusBarHeight = 20;

class WindowWidget final : public BaseWidget {
protected:
    void paintContent(QPainter& painter, const QRectF& r) override
    {
        painter.fillRect(r, Qt::black);
        if (Application::shared().isStatusBarHidden())
            return;
        QRectF bar(0, 0, r.width(), kStatusBarHeight);
        QLinearGradient g(bar.topLeft(), bar.bottomLeft());
        g.setColorAt(0, QColor(70, 70, 70));
        g.setColorAt(1, QColor(20, 20, 20));
        painter.fillRect(bar, g);
        painter.setPen(Qt::white);
        painter.setFont(qtui::toQFont(Font::boldSystemFont(12)));
        painter.drawText(bar.adjusted(6, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Tolvane"));
        double now = Clock::shared().now();
        long long local = (long long)std::floor(now) + Clock::shared().localOffsetSeconds(now);
        int secondsOfDay = int(((local % 86400) + 86400) % 86400);
        int h = secondsOfDay / 3600, m = secondsOfDay / 60 % 60;
        QString time = QStringLiteral("%1:%2 %3")
                           .arg(h % 12 == 0 ? 12 : h % 12)
                           .arg(m, 2, 10, QLatin1Char('0'))
                           .arg(h < 12 ? QStringLiteral("AM") : QStringLiteral("PM"));
        painter.drawText(bar, Qt::AlignCenter, time);
        // The battery.
        QRectF battery(bar.right() - 30, 5, 22, 10);
        painter.setPen(QPen(Qt::white, 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(battery);
        painter.fillRect(battery.adjusted(2, 2, -2, -2), Qt::white);
        painter.fillRect(QRectF(battery.right() + 1, 8, 2, 4), Qt::white);
    }
};

struct WindowImpl final : View::Impl {
    WindowImpl() : View::Impl(new WindowWidget) { topLevel = true; }
    ~WindowImpl() override { releaseWidget(); }
    ViewController* root = nullptr; // non-owning
};

WindowImpl& wimpl(const Window& w) { return static_cast<WindowImpl&>(w.impl()); }

// Non-owning; each window adds itself when made and removes itself when destroyed.
std::vector<Window*>& liveWindows()
{
    static std::vector<Window*> all;
    return all;
}
}

void windows::forgetRootController(ViewController* controller)
{
    for (Window* w : liveWindows())
        if (w->rootViewController() == controller)
            w->setRootViewController(nullptr);
}

Window::Window() : Window(Rect { 0, 0, 320, 480 }) { }

Window::Window(Rect frame) : View(std::make_unique<WindowImpl>())
{
    impl().widget->setWindowTitle(QStringLiteral("Tolvane"));
    setFrame(frame);
    liveWindows().push_back(this);
}

Window::~Window()
{
    auto& all = liveWindows();
    all.erase(std::remove(all.begin(), all.end(), this), all.end());
    if (Application::shared().keyWindow() == this)
        Application::shared().setKeyWindow(nullptr);
}

void Window::setRootViewController(ViewController* controller)
{
    auto& w = wimpl(*this);
    if (w.root == controller)
        return;
    if (w.root && w.root->isViewLoaded() && w.root->view().superview() == this)
        w.root->view().removeFromSuperview();
    w.root = controller;
    if (!controller)
        return;
    View& v = controller->view();
    Rect f = frame();
    v.setFrame({ 0, kStatusBarHeight, f.width, f.height - kStatusBarHeight });
    insertSubviewAtIndex(v, 0);
    if (w.topLevelShown) {
        controller->viewWillAppear(false);
        controller->viewDidAppear(false);
    }
}

ViewController* Window::rootViewController() const { return wimpl(*this).root; }

void Window::makeKeyAndVisible()
{
    auto& w = wimpl(*this);
    Application::shared().setKeyWindow(this);
    if (w.topLevelShown)
        return;
    w.topLevelShown = true;
    if (w.root)
        w.root->viewWillAppear(false);
    w.applyVisibility();
    if (w.root)
        w.root->viewDidAppear(false);
}

bool Window::isKeyWindow() const { return Application::shared().keyWindow() == this; }

bool Window::renderToPng(const std::string& path)
{
    QWidget* w = impl().widget;
    // A web page that has just finished loading is not drawn yet. A page that
    // never draws (its engine stalled) is grabbed as it is after two seconds.
    if (WebEngine::isStarted())
        WebEngine::waitForFrames(w, 2000);
    QPixmap pm = w->grab(QRect(QPoint(0, 0), w->size()));
    if (pm.isNull())
        return false;
    // One pixel per point, whatever the desktop's scale.
    if (pm.width() != w->width())
        pm = pm.scaled(w->size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return pm.save(QString::fromStdString(path), "PNG");
}

void Window::setTitle(const std::string& title) { impl().widget->setWindowTitle(qtui::toQString(title)); }

}
