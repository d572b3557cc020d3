// Shared start-up and display helpers of the pages: path test, title, skin, system colours, twips.
#pragma once
#include <QColor>
#include <QFont>
#include <QRect>
#include <QSize>
#include <filesystem>
#include <string>

class QWidget;

namespace vts {

inline constexpr const char* kProductName = "Verdalith Table Studio";

// True when a file or folder exists at path; every error (empty path included) gives false.
bool PathExists(const std::string& path);

// The product name cut before its last blank until it is at most 40 characters (at least once).
std::string SetAppTitle(const std::string& productName = kProductName);

// The system face colour: the palette's button colour, following the user's scheme.
QColor systemFaceColor();

// Gives the window, and its frames, labels, option buttons and check boxes, the face colour.
void ApplySystemColors(QWidget* window);

// When appFolder/x/o.cjs exists: applies it as the style sheet and the face colour to form1.
// Returns whether a skin was applied.
bool ApplySkin(QWidget* form1, const std::filesystem::path& appFolder);

// A page with a fixed single border: the given client size, a minimize and a close button, and
// no maximize button (window managers add one unless the flags are given in full).
void makeFixedPage(QWidget* window, QSize clientSize);

// A white page background (the pages' design colour under the system face colour).
void paintWhite(QWidget* window);

// Twips (15 to a pixel at 96 DPI) to logical pixels; Qt scales those by the device pixel ratio.
int twips(int value);
QRect twipsRect(int left, int top, int width, int height);

// The pages' typeface (Arial, or its metric twin Liberation Sans) at a size in points.
QFont arial(double points, bool bold);

}  // namespace vts
