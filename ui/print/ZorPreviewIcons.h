#pragma once

#include <QIcon>

// Pictures of the preview's tool bar, drawn rather than loaded: 0 first page,
// 1 previous, 2 next, 3 last, 4 printable area, 5 thumb tracking, 6 print.
QIcon PreviewToolIcon(int picture);
