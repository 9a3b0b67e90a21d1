#include "ImageImpl.h"
#include "ViewImpl.h"
#include "platform/ui/Controls.h"

namespace platform {

namespace {
struct ImageViewImpl final : View::Impl {
    ImageViewImpl() : View::Impl(new BaseWidget, Pointer::PassedThrough) { }
    std::string accessibleRole() const override { return "image"; }
    ~ImageViewImpl() override { releaseWidget(); }

    std::shared_ptr<const Image> image;

    void paintContent(QPainter& painter, const QRectF& r) override
    {
        if (image)
            qtui::drawImage(painter, r, *image); // scaled to fill, as the platform's default
    }
};

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
