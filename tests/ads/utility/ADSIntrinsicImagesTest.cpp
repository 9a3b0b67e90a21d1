// The built-in images decode from their text and show at half their pixel
// size; text that is no image gives none.
#include "Utility/ADSIntrinsicImages.h"
#include "platform/ui/Image.h"
#include <gtest/gtest.h>

TEST(ADSIntrinsicImages, EachDecodesAtScaleTwoToItsPointSize)
{
    struct { std::shared_ptr<const platform::Image> image; float points; } all[] = {
        { ADSIntrinsicImages::closeButton(), 25 },
        { ADSIntrinsicImages::browserBackButton(), 27 },
        { ADSIntrinsicImages::browserForwardButton(), 27 },
    };
    for (const auto& [image, points] : all) {
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->scale(), 2.0f);
        EXPECT_EQ(image->size(), (platform::Size { points, points }));
    }
    EXPECT_EQ(ADSIntrinsicImages::closeButton(), all[0].image) << "made once and kept";
    EXPECT_EQ(ADSIntrinsicImages::createImageFromEncoding("not base64!"), nullptr);
    EXPECT_EQ(ADSIntrinsicImages::createImageFromEncoding("aGVsbG8gd29ybGQ="), nullptr) << "base64, but no PNG";
}
