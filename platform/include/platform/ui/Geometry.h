#pragma once
// Geometry, colours and fonts as plain values. Frames are (x, y, width, height)
// in points, 32-bit floats, relative to the parent view.

#include <string>

namespace platform {

struct Point { float x = 0, y = 0; bool operator==(const Point&) const = default; };
struct Size { float width = 0, height = 0; bool operator==(const Size&) const = default; };
struct Rect {
    float x = 0, y = 0, width = 0, height = 0;
    bool operator==(const Rect&) const = default;
};

struct Color {
    float red = 0, green = 0, blue = 0, alpha = 1;
    bool operator==(const Color&) const = default;
    static Color black() { return { 0, 0, 0, 1 }; }
    static Color white() { return { 1, 1, 1, 1 }; }
    static Color red_() { return { 1, 0, 0, 1 }; }
    static Color clear() { return { 0, 0, 0, 0 }; }
    static Color darkText() { return { 0, 0, 0, 1 }; }
    static Color buttonTitle() { return { 0.196f, 0.310f, 0.522f, 1 }; } // the rounded-rect button's blue
};

struct Font {
    std::string name = "Helvetica"; // family name; "Helvetica-Bold" style names mark bold
    float size = 17;
    bool bold = false;
    bool operator==(const Font&) const = default;
    static Font systemFont(float size) { return { "Helvetica", size, false }; }
    static Font boldSystemFont(float size) { return { "Helvetica-Bold", size, true }; }
    // The same font at another size (fontWithName:size:).
    Font withSize(float s) const { Font f = *this; f.size = s; return f; }
};

enum class TextAlignment { Left, Center, Right };

// Interface orientations as the platform numbers them.
enum InterfaceOrientation : int {
    OrientationPortrait = 1,
    OrientationPortraitUpsideDown = 2,
    OrientationLandscapeRight = 3, // home button on the right
    OrientationLandscapeLeft = 4,
};
inline bool isPortraitOrientation(int o) { return o == 1 || o == 2; }
inline bool isLandscapeOrientation(int o) { return o == 3 || o == 4; }

}
