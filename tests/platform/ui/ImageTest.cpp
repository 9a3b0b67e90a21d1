#include "platform/Paths.h"
#include "platform/ui/Image.h"
#include <gtest/gtest.h>

using namespace platform;

TEST(Image, NamedPrefersTheDoubleResolutionVariant)
{
    auto plain = Image::fromFile(Paths::pathForResource("whiteButton.png"));
    auto named = Image::named("whiteButton.png");
    auto noExtension = Image::named("whiteButton");
    ASSERT_TRUE(plain && named && noExtension);
    EXPECT_EQ(plain->scale(), 1);
    EXPECT_EQ(named->scale(), 2);
    EXPECT_EQ(noExtension->scale(), 2);
    // Sizes are in points: the two variants describe the same picture.
    EXPECT_EQ(named->size(), plain->size());
    EXPECT_GT(named->size().width, 0);

    auto hi = Image::fromFile(Paths::pathForResource("whiteButton@2x.png"));
    ASSERT_TRUE(hi);
    EXPECT_EQ(hi->scale(), 2);
    EXPECT_EQ(hi->size(), plain->size());
}

TEST(Image, MissingOrDamagedResourcesGiveNull)
{
    EXPECT_EQ(Image::named("no-such-image.png"), nullptr);
    EXPECT_EQ(Image::named(""), nullptr);
    EXPECT_EQ(Image::fromFile("/nonexistent/file.png"), nullptr);
    std::string damaged = ::testing::TempDir() + "damaged.png";
    {
        FILE* f = std::fopen(damaged.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fputs("\x89PNG\r\n\x1a\nthis is not image data", f);
        std::fclose(f);
    }
    EXPECT_EQ(Image::fromFile(damaged), nullptr);
}

TEST(Image, StretchableCopiesKeepTheOriginalUntouched)
{
    auto img = Image::named("blueButton.png");
    ASSERT_TRUE(img);
    auto s = img->stretchable(12, 0);
    EXPECT_EQ(s->leftCapWidth(), 12);
    EXPECT_EQ(s->topCapHeight(), 0);
    EXPECT_EQ(s->size(), img->size());
    EXPECT_EQ(s->scale(), img->scale());
    EXPECT_EQ(img->leftCapWidth(), 0);
    // Caps beyond the picture are limited to it.
    auto big = img->stretchable(100000, -5);
    EXPECT_LE(big->leftCapWidth(), int(img->size().width));
    EXPECT_EQ(big->topCapHeight(), 0);
}
