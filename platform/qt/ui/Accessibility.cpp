#include "platform/ui/Accessibility.h"

#include "QtConvert.h"
#include "ViewImpl.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPointer>
#include <map>

namespace platform {

namespace {

bool recording = false;
std::vector<std::string>& recorded()
{
    static std::vector<std::string> lines;
    return lines;
}


const std::pair<const char*, QAccessible::Role> kRoles[] = {
    { "button", QAccessible::Button },
    { "label", QAccessible::StaticText },
    { "text", QAccessible::EditableText },
    { "switch", QAccessible::CheckBox },
    { "picker", QAccessible::List },
    { "wheel", QAccessible::SpinBox },
    { "image", QAccessible::Graphic },
    { "window", QAccessible::Window },
    { "busy", QAccessible::Animation },
    { "web", QAccessible::WebDocument },
    { "group", QAccessible::Grouping },
    { "view", QAccessible::Client },
};

QAccessible::Role roleOf(const std::string& name)
{
    for (const auto& [n, role] : kRoles)
        if (name == n)
            return role;
    return QAccessible::Client;
}

std::string roleName(QAccessible::Role role)
{
    for (const auto& [n, r] : kRoles)
        if (r == role)
            return n;
    return "other";
}

View::Impl* implOf(QWidget* widget)
{
    BaseWidget* base = BaseWidget::fromObject(widget);
    return base ? base->impl : nullptr;
}

class ViewAccessible;

// A part of a view that is no view of its own: one wheel of a picker.
class PartAccessible final : public QAccessibleInterface {
public:
    PartAccessible(ViewAccessible* owner, int part) : owner_(owner), part_(part) { }
    bool isValid() const override;
    QObject* object() const override { return nullptr; }
    QWindow* window() const override;
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override;
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text, const QString&) override { }
    QRect rect() const override;
    QAccessible::Role role() const override { return QAccessible::SpinBox; }
    QAccessible::State state() const override { return {}; }

private:
    ViewAccessible* owner_; // non-owning: it owns this
    int part_;
};

// Every view drawn by our own widget, as screen readers see it.
class ViewAccessible final : public QAccessibleWidget {
public:
    explicit ViewAccessible(QWidget* w) : QAccessibleWidget(w, QAccessible::Client) { }
    ~ViewAccessible() override
    {
        for (auto& [part, id] : parts_)
            QAccessible::deleteAccessibleInterface(id);
    }
    View::Impl* impl() const { return implOf(widget()); }

    QString text(QAccessible::Text t) const override
    {
        View::Impl* i = impl();
        if (!i)
            return QAccessibleWidget::text(t);
        switch (t) {
        case QAccessible::Name:
            // A view's own label wins; a name the toolkit was given for the
            // widget (a bar item wrapping the view) comes before its content.
            if (!i->accessibilityLabel.empty())
                return qtui::toQString(i->accessibilityLabel);
            if (!widget()->accessibleName().isEmpty())
                return widget()->accessibleName();
            return qtui::toQString(i->accessibleText());
        case QAccessible::Value:
            return qtui::toQString(i->accessibleValue());
        case QAccessible::Description:
            return qtui::toQString(announcement);
        default:
            return QAccessibleWidget::text(t);
        }
    }
    QAccessible::Role role() const override
    {
        View::Impl* i = impl();
        return i ? roleOf(i->accessibleRole()) : QAccessible::Client;
    }
    int childCount() const override { return QAccessibleWidget::childCount() + partCount(); }
    QAccessibleInterface* child(int index) const override
    {
        const int widgets = QAccessibleWidget::childCount();
        if (index < widgets)
            return QAccessibleWidget::child(index);
        const int part = index - widgets;
        if (part < 0 || part >= partCount())
            return nullptr;
        return QAccessible::accessibleInterface(partId(part));
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        for (const auto& [part, id] : parts_)
            if (QAccessible::accessibleInterface(id) == child)
                return QAccessibleWidget::childCount() + part;
        return QAccessibleWidget::indexOfChild(child);
    }

    int partCount() const
    {
        View::Impl* i = impl();
        return i ? i->accessiblePartCount() : 0;
    }
    QAccessible::Id partId(int part) const
    {
        auto it = parts_.find(part);
        if (it != parts_.end())
            return it->second;
        auto* iface = new PartAccessible(const_cast<ViewAccessible*>(this), part);
        return parts_[part] = QAccessible::registerAccessibleInterface(iface);
    }

    std::string announcement;

private:
    mutable std::map<int, QAccessible::Id> parts_;
};

bool PartAccessible::isValid() const { return owner_ && owner_->isValid() && part_ < owner_->partCount(); }
QWindow* PartAccessible::window() const { return owner_->window(); }
QAccessibleInterface* PartAccessible::parent() const { return owner_; }
QString PartAccessible::text(QAccessible::Text t) const
{
    View::Impl* i = owner_->impl();
    if (!i)
        return {};
    if (t == QAccessible::Name)
        return qtui::toQString(i->accessiblePartName(part_));
    if (t == QAccessible::Value)
        return qtui::toQString(i->accessiblePartValue(part_));
    return {};
}
QRect PartAccessible::rect() const
{
    View::Impl* i = owner_->impl();
    if (!i || !i->widget)
        return {};
    QRectF r = i->accessiblePartRect(part_);
    const double s = i->scale();
    return QRect(i->widget->mapToGlobal(QPoint(int(r.x() * s), int(r.y() * s))),
        QSize(int(r.width() * s), int(r.height() * s)));
}

QAccessibleInterface* factory(const QString& className, QObject* object)
{
    // Our widgets have no meta-object of their own, so they present as plain
    // QWidget; everything else (the web engine's items, toolkit controls)
    // keeps the toolkit's own interface and is never cast.
    if (className != QLatin1String("QWidget"))
        return nullptr;
    if (BaseWidget* base = BaseWidget::fromObject(object))
        return new ViewAccessible(base);
    return nullptr;
}

// Every event we send goes through here: to the toolkit's bridge (AT-SPI
// on Linux, when a screen reader listens) and to a test's recording.
void send(QAccessibleEvent& event)
{
    QAccessibleInterface* iface = event.accessibleInterface();
    if (recording && iface) {
        if (event.type() == QAccessible::NameChanged)
            recorded().push_back("name: " + qtui::toStdString(iface->text(QAccessible::Name)));
        else if (event.type() == QAccessible::DescriptionChanged)
            recorded().push_back("announce: " + qtui::toStdString(iface->text(QAccessible::Description)));
    }
    QAccessible::updateAccessibility(&event);
}

bool wanted() { return recording || QAccessible::isActive(); }

}

namespace qtui {

void installAccessibility()
{
    static bool installed = false;
    if (!installed) {
        QAccessible::installFactory(factory);
        installed = true;
    }
}

void accessibleNameChanged(QObject* widget, int part)
{
    if (!widget || !wanted())
        return;
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(widget);
    if (!iface)
        return;
    if (part >= 0) {
        auto* view = dynamic_cast<ViewAccessible*>(iface);
        if (!view || part >= view->partCount())
            return;
        QAccessibleEvent event(QAccessible::accessibleInterface(view->partId(part)), QAccessible::NameChanged);
        send(event);
        return;
    }
    QAccessibleEvent event(widget, QAccessible::NameChanged);
    send(event);
}

}

Accessibility::Node Accessibility::describe(const View& view)
{
    Node node;
    QAccessibleInterface* iface = view.impl().widget ? QAccessible::queryAccessibleInterface(view.impl().widget) : nullptr;
    if (!iface)
        return node;
    node.name = qtui::toStdString(iface->text(QAccessible::Name));
    node.role = roleName(iface->role());
    node.value = qtui::toStdString(iface->text(QAccessible::Value));
    for (int k = 0; k < iface->childCount(); ++k) {
        QAccessibleInterface* c = iface->child(k);
        if (c && !c->object())
            node.children.push_back({ qtui::toStdString(c->text(QAccessible::Name)), roleName(c->role()),
                qtui::toStdString(c->text(QAccessible::Value)), {} });
    }
    return node;
}

void Accessibility::announce(const View& source, const std::string& text)
{
    QWidget* widget = source.impl().widget;
    if (!widget || !wanted())
        return;
    auto* view = dynamic_cast<ViewAccessible*>(QAccessible::queryAccessibleInterface(widget));
    if (!view)
        return;
    // As a live region: the text becomes the source's description, and the
    // change of it is what screen readers speak.
    view->announcement = text;
    QAccessibleEvent event(widget, QAccessible::DescriptionChanged);
    send(event);
}

void Accessibility::setRecording(bool on)
{
    if (on == recording)
        return;
    recording = on;
    recorded().clear();
}

std::vector<std::string> Accessibility::takeRecorded()
{
    std::vector<std::string> out;
    out.swap(recorded());
    return out;
}

}
