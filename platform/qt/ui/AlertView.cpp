#include "QtConvert.h"
#include "ViewImpl.h"
#include "WindowRegistry.h"
#include "platform/Lifetime.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/Application.h"
#include "platform/ui/Window.h"
#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace platform {

namespace {
// Alerts on screen, oldest first; non-owning. Each removes itself when it goes.
std::vector<AlertView*>& shownAlerts()
{
    static std::vector<AlertView*> alerts;
    return alerts;
}
// Set while a toolkit button of an alert is delivering its click: the overlay
// holding that button must then be deleted later, not under its feet.
int clicksInProgress = 0;

// Dims the window under the alert and keeps covering it when the window
// turns, with the alert's box kept in the middle.
class Dimmer final : public QWidget {
public:
    explicit Dimmer(QWidget* host) : QWidget(host)
    {
        setProperty(kStaysOnTopProperty, true);
        if (host)
            host->installEventFilter(this);
    }
    QWidget* box = nullptr; // non-owning; a child of this

    void cover(QSize size)
    {
        setGeometry(0, 0, size.width(), size.height());
        if (box) {
            // The box and its text follow the window's scale, as the rest of
            // the screen does.
            Window* window = windows::windowOfWidget(parentWidget());
            // (Worked out from the size: the window may not have relaid out yet.)
            double s = 1.0;
            if (window && window->frame().width > 0 && window->frame().height > 0)
                s = std::min(size.width() / double(window->frame().width), size.height() / double(window->frame().height));
            for (QWidget* part : box->findChildren<QWidget*>()) {
                const QVariant points = part->property("points");
                if (points.isValid()) {
                    QFont f = part->font();
                    f.setPixelSize(std::max(1, int(points.toDouble() * s + 0.5)));
                    part->setFont(f);
                }
            }
            box->setFixedWidth(std::max(100, std::min(int(284 * s), size.width() - int(20 * s))));
            box->adjustSize();
            box->move((size.width() - box->width()) / 2, (size.height() - box->height()) / 2);
        }
    }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (watched == parentWidget() && e->type() == QEvent::Resize)
            cover(parentWidget()->size());
        return false;
    }
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), QColor(0, 0, 0, 110));
    }
};
}

struct AlertView::Impl {
    QPointer<QWidget> overlay;
    Lifetime lifetime;
    // Draws the alert inside `host`, the window it is modal over.
    void build(AlertView& alert, QWidget* host);
};

AlertView::AlertView(std::string title, std::string message, std::string cancelButtonTitle,
    std::vector<std::string> otherButtonTitles)
    : title_(std::move(title)), message_(std::move(message)), impl_(std::make_unique<Impl>())
{
    buttons_.push_back(std::move(cancelButtonTitle));
    for (auto& t : otherButtonTitles)
        buttons_.push_back(std::move(t));
}

AlertView::~AlertView()
{
    impl_->lifetime.end();
    dismiss();
}

void AlertView::show()
{
    if (visible_)
        return;
    visible_ = true;
    shownAlerts().push_back(this);
    // An alert raised while the application starts, before its window is
    // key (a reset question from the start-up), waits for that window
    // rather than opening a window of its own: see adoptPendingAlerts.
    Window* key = Application::shared().keyWindow();
    if (key && key->impl().widget)
        impl_->build(*this, key->impl().widget);
}

void AlertView::adoptPendingAlerts(Window& window)
{
    if (!window.impl().widget)
        return;
    for (AlertView* alert : std::vector<AlertView*>(shownAlerts()))
        if (alert->visible_ && !alert->impl_->overlay)
            alert->impl_->build(*alert, window.impl().widget);
}

Window* AlertView::hostWindow() const
{
    QWidget* overlay = impl_->overlay;
    return overlay ? windows::windowOfWidget(overlay->parentWidget()) : nullptr;
}

void AlertView::Impl::build(AlertView& alert, QWidget* host)
{
    const auto& buttons_ = alert.buttons_;
    auto* overlay = new Dimmer(host);
    this->overlay = overlay;
    QSize size = host->size();

    auto* box = new QFrame(overlay);
    overlay->box = box;
    box->setAutoFillBackground(true);
    QPalette pal = box->palette();
    pal.setColor(QPalette::Window, QColor(28, 48, 98));
    pal.setColor(QPalette::WindowText, Qt::white);
    box->setPalette(pal);
    box->setFrameShape(QFrame::StyledPanel);
    auto* layout = new QVBoxLayout(box);
    auto addText = [&](const std::string& text, bool bold) {
        if (text.empty())
            return;
        auto* l = new QLabel(qtui::toQString(text), box);
        l->setWordWrap(true);
        l->setAlignment(Qt::AlignCenter);
        l->setFont(qtui::toQFont(bold ? Font::boldSystemFont(17) : Font::systemFont(15)));
        l->setProperty("points", bold ? 17.0 : 15.0);
        l->setPalette(pal);
        layout->addWidget(l);
    };
    addText(alert.title_, true);
    addText(alert.message_, false);
    // Two buttons side by side, more stacked, the cancel button last, as the
    // phone shows them.
    std::vector<int> order;
    for (int i = 1; i < int(buttons_.size()); ++i)
        order.push_back(i);
    if (buttons_.size() > 2)
        order.push_back(0);
    else
        order.insert(order.begin(), 0);
    QBoxLayout* row = buttons_.size() > 2 ? static_cast<QBoxLayout*>(new QVBoxLayout)
                                          : static_cast<QBoxLayout*>(new QHBoxLayout);
    layout->addLayout(row);
    for (int i : order) {
        if (buttons_[size_t(i)].empty())
            continue;
        auto* b = new QPushButton(qtui::toQString(buttons_[size_t(i)]), box);
        b->setObjectName(QStringLiteral("alertButton%1").arg(i));
        b->setFont(qtui::toQFont(Font::systemFont(15)));
        b->setProperty("points", 15.0);
        QObject::connect(b, &QPushButton::clicked, b, [a = &alert, i] {
            ++clicksInProgress;
            a->simulateButtonPress(i);
            --clicksInProgress;
        });
        row->addWidget(b);
    }
    overlay->cover(size);
    overlay->show();
    overlay->raise();
}

void AlertView::dismiss()
{
    if (!visible_)
        return;
    visible_ = false;
    auto& v = shownAlerts();
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
    if (QWidget* o = impl_->overlay) {
        impl_->overlay = nullptr;
        o->hide();
        if (clicksInProgress > 0)
            o->deleteLater();
        else
            delete o;
    }
}

void AlertView::simulateButtonPress(int index)
{
    if (!visible_ || index < 0 || index >= int(buttons_.size()))
        return;
    const auto alive = impl_->lifetime.watch();
    if (onClickedButton) {
        auto handler = onClickedButton;
        handler(*this, index);
    }
    // The delegate may have destroyed the alert; then it is already gone.
    if (alive)
        dismiss();
}

AlertView* AlertView::current()
{
    auto& v = shownAlerts();
    return v.empty() ? nullptr : v.back();
}

}
