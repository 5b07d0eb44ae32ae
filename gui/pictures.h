#pragma once
// The program's pictures, drawn rather than shipped: one beside each step button of
// the main window, and the application icon. They are vector drawings, so they are
// sharp at any screen scale.
#include <QFontMetrics>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QWidget>

namespace gui {

// Logical size of a button picture.
inline constexpr int kPictureSize = 40;

// The picture beside a main-window button (by control id) at the given device pixel
// ratio; a null pixmap for other ids.
QPixmap ButtonPicture(int control_id, qreal device_pixel_ratio = 1.0);
QIcon AppIcon();

// Begins a chart's painting: smoothed, on the base colour, with the axes' labels a
// point smaller than the window's text. The metrics are those of that font.
QFontMetrics BeginChart(QPainter& p, const QWidget& chart);

// A button picture as a widget: drawn on every paint at the screen's own resolution.
class PictureWidget : public QWidget {
public:
    explicit PictureWidget(int control_id, QWidget* parent = nullptr);
    int ControlId() const { return id_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int id_;
};

}  // namespace gui
