#include "Utility/ADSIntrinsicImages.h"

#include "encoding/ADSStringEncoding.h"
#include "platform/ui/Image.h"

namespace {

// Drawn by tools/make_ad_images.py, which prints these literals: PNG files
// (8-bit RGBA) at twice their size in points.
// 50 x 50 pixels
constexpr const char* kCloseButton =
    "iVBORw0KGgoAAAANSUhEUgAAADIAAAAyCAYAAAAeP4ixAAACwElEQVR42u2av47aQBDG78l4ACR0ld+Azg0tup6Kkg65gAeA"
    "AhoqKpKCikghUg6lihIpocgpCeKPCNlftBvtrezFXszdaXQrjWTZOzPf552dnV375ua1CW2n06mqJFbSUpIoGSiZKJlqmeh7"
    "ie5D3+pLItAA3PF4fLPb7dannI2+6GhijeckcKdkVAS8jxS2sPmUBAiJwX6/f8gCtl6v96vV6vdisfg5n88fEK65x7MsPW2T"
    "8IuvTaK93W7vXQCHw+HPcrn8NR6Pv3c6nc/NZvNTvV7/GEXRh1qt9h7hmns8ow990UHXtad9tK9B4FZJXznd2A43m81xNpv9"
    "ABggVde3RQQddLGBLefl4KuP77JIRHq4HzVCBRC86aIEXMEGtrCZEnH4jsoYiYE7CoRFHMf3lxJwBZvYdkdHY7i9hEjfncS9"
    "Xu8rMV82CSPYxkdKUugHT2x7TmC42+1+uRYBV/Blk9FY2oVTrJ2dGGre0lORMIJPO8w0prgIkUfzgri9Zjj5wgzf7nzJvWLb"
    "ix2ZxDexK5XKOyQU7Dl9fNvZTGO7y0NkZIcUaTHLyXA4/Gb6cl2URF59MDiZbHS2ALRrJxaqrHWCt+gm/CJkbBKmZY0MGMDi"
    "1GYNH5HELjt8o5FGJC+ZNBI+ImZUnHImydxP6LL6X6MOOld2ZAHykQnRMeUMmEx/jbWamnLtsCJbhIZIFrBQEkbsDKaxxmlE"
    "WrZxX1iFALyUhAkvR73lnR+sqJTboRnIBVoGCQRMTumSeBdBNkAhZXkW4DJImHkCNu/iqA8H/i+CoeV5HjIhJEwadkr9SRqR"
    "qXnK1vSSksRHJpSEKVnAZpmbiiYiJrTETHYx6VfMgiimRJFRNIop40VtrMRsdUUdPog5DhJ1QCfmyFTUIbaozwpiPvSI+vQm"
    "6mOouM/Ton4YEPcLh7ifal5bye0vrVX8fwJgdUYAAAAASUVORK5CYII=";

// 54 x 54 pixels
constexpr const char* kBrowserBackButton =
    "iVBORw0KGgoAAAANSUhEUgAAADYAAAA2CAYAAACMRWrdAAAA50lEQVR42u3YsQ2CQBSHcXrDII7ACsxAHMGGWWhYwhkoHMBV"
    "LDihwfdPrgIjsTF5j+9LXqPX/HKQ3FEURERERIdoWZbO5pmnC4Ga5/m2rEop9a5R0zRtUMqwKRxK2X8vW3IOhVLDMNxtWRUK"
    "9bBsWetqx35ANRFRF5sSFChQoECB+mfjOPbhUPn6kcKhdK7TiXwH5g6lKp3Ivz2Kev88Xq90Em+1MxFxTVRcmd8jcODAgQMH"
    "7tA43RRC4rx+u9/Fuf12v4dz+e3+E04Q7ZImo1qvO7bBraYpAnSyqW2ueer8GxER0eF7A5ezW/ufc0zBAAAAAElFTkSuQmCC";

// 54 x 54 pixels
constexpr const char* kBrowserForwardButton =
    "iVBORw0KGgoAAAANSUhEUgAAADYAAAA2CAYAAACMRWrdAAAA7UlEQVR42u3YsQ3CMBCFYfeIQTICK2SGKCPQZJY0WYIZUjAA"
    "q1DEJM1xDx0SQomlNEh3vF+6Jt0nO5LtlBhjjDHGXCYivc7dpg+ByjkP8tWyLBf3MEVkWWmeZ9e4SgEP2cgz7jSO41UKecVV"
    "Ot1Ni4hrouKOOi1xxBFHHHHE/TtumqYhJA43BY9HrxeuBMNNwc6fvsJ/VNqKuCngxhAKhZXEVnW1YjtQTURUa/8hUUQRRRRR"
    "RP0snMjDodDW271rVCq83XtGodW3e++oZCfxDjisHMauHq5R7xqDfI57FDro1Dpnm9q+McYYY2xnT4RBW/uVK0RzAAAAAElF"
    "TkSuQmCC";

}

std::shared_ptr<const platform::Image> ADSIntrinsicImages::createImageFromEncoding(std::string_view base64)
{
    std::optional<platform::Bytes> png = ADSStringEncoding::rfc4648Base64StringEncoding().decode(base64);
    if (!png)
        return nullptr;
    // Pixels at scale 2: the image shows at half its pixel size in points.
    return platform::Image::fromData(*png, 2.0f);
}

std::shared_ptr<const platform::Image> ADSIntrinsicImages::closeButton()
{
    static const std::shared_ptr<const platform::Image> image = createImageFromEncoding(kCloseButton);
    return image;
}

std::shared_ptr<const platform::Image> ADSIntrinsicImages::browserBackButton()
{
    static const std::shared_ptr<const platform::Image> image = createImageFromEncoding(kBrowserBackButton);
    return image;
}

std::shared_ptr<const platform::Image> ADSIntrinsicImages::browserForwardButton()
{
    static const std::shared_ptr<const platform::Image> image = createImageFromEncoding(kBrowserForwardButton);
    return image;
}
