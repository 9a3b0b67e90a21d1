#include "ImageImpl.h"
#include "ViewImpl.h"
#include "platform/ui/Controls.h"

namespace platform {

namespace {
struct ImageViewImpl;

class ImageViewWidget final : public BaseWidget {
public:
    ImageViewImpl* view = nullptr; // non-owning; cleared before the Impl goes away

protected:
    void paintContent(QPainter& painter, const QRectF& r) override;
};

struct ImageViewImpl final : View::Impl {
    ImageViewImpl() : View::Impl(new ImageViewWidget)
    {
        static_cast<ImageViewWidget*>(widget)->view = this;
        widget->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    ~ImageViewImpl() override
    {
        if (widget)
            static_cast<ImageViewWidget*>(widget)->view = nullptr;
        releaseWidget();
    }
    std::shared_ptr<const Image> image;
};

void ImageViewWidget::paintContent(QPainter& painter, const QRectF& r)
{
    if (view && view->image)
        qtui::drawImage(painter, r, *view->image); // scaled to fill, as the platform's default
}

ImageViewImpl& iimpl(const ImageView& v) { return static_cast<ImageViewImpl&>(v.impl()); }
}

ImageView::ImageView() : ImageView(Rect {}) { }
ImageView::ImageView(Rect frame) : View(std::make_unique<ImageViewImpl>())
{
    impl().interaction = false;
    setFrame(frame);
}
ImageView::ImageView(std::shared_ptr<const Image> image) : ImageView(Rect {})
{
    if (image)
        setFrame({ 0, 0, image->size().width, image->size().height });
    setImage(std::move(image));
}

void ImageView::setImage(std::shared_ptr<const Image> image)
{
    iimpl(*this).image = std::move(image);
    impl().widget->update();
}

std::shared_ptr<const Image> ImageView::image() const { return iimpl(*this).image; }

}
