#include "ImageImpl.h"
#include "platform/Paths.h"
#include <QFileInfo>
#include <QImageReader>
#include <algorithm>
#include <cstdint>

namespace platform {

Image::Image(std::string name, Size size, float scale, std::shared_ptr<const Impl> impl)
    : name_(std::move(name)), size_(size), scale_(scale > 0 ? scale : 1), impl_(std::move(impl))
{
}

namespace {
// PNG, the format of every resource, is the toolkit's own. Read as such it
// spares loading every image-format plugin installed, which the toolkit does
// to ask each one first whenever it may guess the format; a file with the
// suffix and other contents is still recognised by its contents.
bool read(const QString& file, QImage& image)
{
    if (file.endsWith(QLatin1String(".png"), Qt::CaseInsensitive)) {
        QImageReader reader(file, "png");
        reader.setAutoDetectImageFormat(false);
        if (reader.read(&image))
            return true;
    }
    return image.load(file);
}

std::shared_ptr<const Image> load(const std::string& path, const std::string& name, float scale)
{
    auto impl = std::make_shared<Image::Impl>();
    if (path.empty() || !read(QString::fromStdString(path), impl->pixels) || impl->pixels.isNull())
        return nullptr;
    impl->pixels = impl->pixels.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    Size size { float(impl->pixels.width()) / scale, float(impl->pixels.height()) / scale };
    return std::make_shared<const Image>(name, size, scale, std::move(impl));
}
}

std::shared_ptr<const Image> Image::named(const std::string& name)
{
    if (name.empty())
        return nullptr;
    std::string base = name, ext = ".png";
    auto dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0 && name.find('/', dot) == std::string::npos) {
        base = name.substr(0, dot);
        ext = name.substr(dot);
    }
    // The double-resolution variant wins when it is shipped.
    if (base.size() < 3 || base.compare(base.size() - 3, 3, "@2x") != 0) {
        std::string hi = Paths::pathForResource(base + "@2x" + ext);
        if (!hi.empty())
            if (auto img = load(hi, name, 2))
                return img;
    }
    return load(Paths::pathForResource(base + ext), name, 1);
}

std::shared_ptr<const Image> Image::fromFile(const std::string& path)
{
    QFileInfo info(QString::fromStdString(path));
    float scale = info.completeBaseName().endsWith(QLatin1String("@2x")) ? 2 : 1;
    return load(path, info.fileName().toStdString(), scale);
}

std::shared_ptr<const Image> Image::fromData(const std::vector<uint8_t>& data, float scale)
{
    if (data.empty() || data.size() > size_t(INT32_MAX) || !(scale > 0))
        return nullptr;
    auto impl = std::make_shared<Image::Impl>();
    if (!impl->pixels.loadFromData(data.data(), int(data.size())) || impl->pixels.isNull())
        return nullptr;
    impl->pixels = impl->pixels.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    Size size { float(impl->pixels.width()) / scale, float(impl->pixels.height()) / scale };
    return std::make_shared<const Image>(std::string(), size, scale, std::move(impl));
}

std::shared_ptr<const Image> Image::stretchable(int leftCap, int topCap) const
{
    auto copy = std::make_shared<Image>(name_, size_, scale_, impl_);
    copy->leftCap_ = std::clamp(leftCap, 0, std::max(0, int(size_.width)));
    copy->topCap_ = std::clamp(topCap, 0, std::max(0, int(size_.height)));
    return copy;
}

namespace qtui {

void drawImage(QPainter& painter, const QRectF& target, const Image& image)
{
    const QImage& px = image.impl().pixels;
    if (px.isNull() || target.width() <= 0 || target.height() <= 0)
        return;
    double s = image.scale();
    int L = image.leftCapWidth(), T = image.topCapHeight();
    if (L == 0 && T == 0) {
        painter.drawImage(target, px);
        return;
    }
    // The stretchable middle is one point wide; the right and bottom caps are
    // what lies beyond it. A cap of 0 stretches that whole axis.
    auto slices = [](double total, int cap, double dest, double out[4], double dst[4]) {
        if (cap == 0 || cap + 1 > total) {
            out[0] = 0; out[1] = 0; out[2] = total; out[3] = total;
            dst[0] = 0; dst[1] = 0; dst[2] = dest; dst[3] = dest;
            return;
        }
        double a = cap, b = std::min(total, double(cap) + 1);
        double tail = total - b;
        double da = std::min(a, dest), dtail = std::min(tail, std::max(0.0, dest - da));
        out[0] = 0; out[1] = a; out[2] = b; out[3] = total;
        dst[0] = 0; dst[1] = da; dst[2] = dest - dtail; dst[3] = dest;
    };
    double sx[4], dx[4], sy[4], dy[4];
    slices(image.size().width, L, target.width(), sx, dx);
    slices(image.size().height, T, target.height(), sy, dy);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            QRectF src(sx[i] * s, sy[j] * s, (sx[i + 1] - sx[i]) * s, (sy[j + 1] - sy[j]) * s);
            QRectF dst(target.x() + dx[i], target.y() + dy[j], dx[i + 1] - dx[i], dy[j + 1] - dy[j]);
            if (src.width() > 0 && src.height() > 0 && dst.width() > 0 && dst.height() > 0)
                painter.drawImage(dst, px, src);
        }
}

}

}

namespace platform {

Color Image::pixelColor(int x, int y) const
{
    const QImage& px = impl_->pixels;
    if (x < 0 || y < 0 || x >= px.width() || y >= px.height())
        return Color::clear();
    QColor c = px.pixelColor(x, y);
    return { float(c.redF()), float(c.greenF()), float(c.blueF()), float(c.alphaF()) };
}

int Image::pixelWidth() const { return impl_->pixels.width(); }
int Image::pixelHeight() const { return impl_->pixels.height(); }

}
