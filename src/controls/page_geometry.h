#pragma once
// Where the main window puts its parts, in pixels. Every page of the content area is a widget of
// exactly kPageSize placed at kPageOrigin; its banner (a UserControl2) fills it, and the page's own
// controls start at kPageContentTop, below the banner's picture and rules.
#include <QPoint>
#include <QSize>

namespace qb {

inline constexpr QSize kMainWindowSize{760, 520};
inline constexpr int kToolbarHeight = 40;
inline constexpr QPoint kNavigationOrigin{0, kToolbarHeight};
inline constexpr QSize kNavigationSize{176, kMainWindowSize.height() - kToolbarHeight};
inline constexpr QPoint kPageOrigin{kNavigationSize.width(), kToolbarHeight};
inline constexpr QSize kPageSize{kMainWindowSize.width() - kNavigationSize.width(),
                                 kMainWindowSize.height() - kToolbarHeight};
inline constexpr int kPageContentTop = 64;
inline constexpr int kPageMargin = 12;

} // namespace qb
