#pragma once
// Growing a window's pixel design as a whole until its texts show whole at
// the platform's default font.

#include <QFont>
#include <QString>
#include <functional>

namespace app {

// A design length at `scale`, in whole pixels.
int Scaled(int designPixels, double scale);

// Whether `text`, wrapped at `width`, fits within `width` x `height` in `font`.
bool TextFits(const QFont& font, const QString& text, int width, int height);

// The first scale from `from` upward, in steps of `step` and below 4, at which
// `fitsAt` holds; `otherwise` when none does.
double SmallestScale(double from, double step, const std::function<bool(double)>& fitsAt, double otherwise);

}  // namespace app
