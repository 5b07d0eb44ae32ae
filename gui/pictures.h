#pragma once
// The program's pictures, drawn rather than shipped: one beside each step button of
// the main window, and the application icon.
#include <QIcon>
#include <QPixmap>

namespace gui {

// The picture beside a main-window button (by control id); a null pixmap for others.
QPixmap ButtonPicture(int control_id);
QIcon AppIcon();

}  // namespace gui
