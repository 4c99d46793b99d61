#pragma once
// Where the main window opens, from the bounds stored at the last exit and the
// screens there are now. Stored values may come from another screen layout or
// be damaged; the window must still open usable and fully reachable.

#include <QList>
#include <QRect>
#include <QSize>

namespace strovex {

// The smallest outer size the window opens with: menus and a page stay usable.
inline constexpr QSize kMinimumWindowSize{320, 240};

// `stored` is the outer bounds as saved (left and top -1 when none is stored);
// `screens` the available area of each screen, the primary one first. The size
// is clamped between kMinimumWindowSize and the screen the window lands on.
// A stored position whose title bar still meets a screen is kept, moved just
// enough to bring the whole window onto that screen; otherwise the window is
// centred on the primary screen. Without screens the stored bounds come back.
QRect fitWindowBounds(const QRect &stored, const QList<QRect> &screens);

} // namespace strovex
