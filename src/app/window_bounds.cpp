#include "app/window_bounds.h"

#include <algorithm>

namespace strovex {
namespace {

// Height of the strip along the top that the title bar takes, or close to it.
constexpr int kTitleBarHeight = 32;

QSize clampedTo(const QSize &size, const QRect &area)
{
    const QSize maximum = area.size().expandedTo(QSize(1, 1));
    return size.expandedTo(kMinimumWindowSize).boundedTo(maximum);
}

// Moves `bounds` the least distance that puts it inside `area`.
QRect movedInto(QRect bounds, const QRect &area)
{
    bounds.moveLeft(std::clamp(bounds.left(), area.left(), std::max(area.left(), area.right() - bounds.width() + 1)));
    bounds.moveTop(std::clamp(bounds.top(), area.top(), std::max(area.top(), area.bottom() - bounds.height() + 1)));
    return bounds;
}

} // namespace

QRect fitWindowBounds(const QRect &stored, const QList<QRect> &screens)
{
    if (screens.isEmpty())
        return stored;
    const bool positioned = stored.left() != -1 && stored.top() != -1;
    if (positioned) {
        // The screen that shows most of the title bar, if any does.
        const QRect titleBar(stored.topLeft(), QSize(std::max(stored.width(), kMinimumWindowSize.width()), kTitleBarHeight));
        const QRect *best = nullptr;
        long long bestArea = 0;
        for (const QRect &screen : screens) {
            const QRect shown = screen.intersected(titleBar);
            const long long area = shown.isEmpty() ? 0 : 1LL * shown.width() * shown.height();
            if (area > bestArea) {
                bestArea = area;
                best = &screen;
            }
        }
        if (best)
            return movedInto(QRect(stored.topLeft(), clampedTo(stored.size(), *best)), *best);
    }
    const QRect &primary = screens.front();
    QRect centred(QPoint(), clampedTo(stored.size(), primary));
    centred.moveCenter(primary.center());
    return movedInto(centred, primary);
}

} // namespace strovex
