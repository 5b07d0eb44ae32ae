#include "pictures.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>

#include <QPainter>
#include <QPainterPath>

#include "app/bundled_files.h"
#include "app/main_dialog.h"

namespace gui {

namespace {
constexpr int kSize = kPictureSize;
const QColor kBark(110, 72, 40);
const QColor kNeedles(34, 110, 52);
const QColor kPaper(250, 248, 236);

void Tree(QPainter& p, double x, double base, double h) {
    p.setPen(Qt::NoPen);
    p.setBrush(kBark);
    p.drawRect(QRectF(x - h * 0.05, base - h * 0.2, h * 0.1, h * 0.2));
    p.setBrush(kNeedles);
    QPolygonF crown;
    crown << QPointF(x, base - h) << QPointF(x + h * 0.28, base - h * 0.18)
          << QPointF(x - h * 0.28, base - h * 0.18);
    p.drawPolygon(crown);
}

void Sheet(QPainter& p) {
    p.setPen(QPen(Qt::darkGray, 1.2));
    p.setBrush(kPaper);
    p.drawRect(QRectF(7, 3, 24, 32));
    p.setPen(QPen(Qt::gray, 1));
    for (int y = 10; y < 32; y += 5) p.drawLine(11, y, 27, y);
}

void DrawOpen(QPainter& p) {  // a folder with a tree in it
    p.setPen(QPen(QColor(150, 110, 20), 1.2));
    p.setBrush(QColor(240, 200, 90));
    p.drawRect(QRectF(3, 12, 34, 22));
    p.drawRect(QRectF(3, 8, 13, 5));
    Tree(p, 20, 31, 18);
}

void DrawCreate(QPainter& p) {  // a new sheet with a star
    Sheet(p);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(230, 170, 0));
    QPolygonF star;
    for (int i = 0; i < 10; ++i) {
        double r = i % 2 ? 4.0 : 9.0, a = i * 3.14159265 / 5 - 3.14159265 / 2;
        star << QPointF(30 + r * std::cos(a), 30 + r * std::sin(a));
    }
    p.drawPolygon(star);
}

void DrawStrata(QPainter& p) {  // three stands of trees in bands
    const QColor bands[] = {QColor(214, 234, 200), QColor(190, 220, 170), QColor(165, 205, 145)};
    for (int i = 0; i < 3; ++i) {
        p.fillRect(QRectF(2, 2 + i * 12, 36, 12), bands[i]);
        Tree(p, 10 + i * 10, 13 + i * 12, 11);
    }
}

void DrawCosts(QPainter& p) {  // a coin
    p.setPen(QPen(QColor(150, 110, 20), 2));
    p.setBrush(QColor(245, 205, 70));
    p.drawEllipse(QRectF(5, 5, 30, 30));
    QFont f = p.font();
    f.setBold(true);
    f.setPixelSize(20);
    p.setFont(f);
    p.setPen(QColor(120, 85, 10));
    p.drawText(QRectF(5, 5, 30, 30), Qt::AlignCenter, "$");
}

void DrawDesign(QPainter& p) {  // a bell curve over a sheet
    Sheet(p);
    QPainterPath curve;
    curve.moveTo(8, 32);
    for (int x = 8; x <= 30; ++x) {
        double t = (x - 19) / 5.0;
        curve.lineTo(x, 32 - 22 * std::exp(-t * t / 2));
    }
    p.setPen(QPen(QColor(30, 80, 170), 2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(curve);
}

using Painter = void (*)(QPainter&);

Painter PainterFor(int control_id) {
    switch (control_id) {
        case app::kIdOpen:
            return DrawOpen;
        case app::kIdCreate:
            return DrawCreate;
        case app::kIdStrata:
            return DrawStrata;
        case app::kIdCosts:
            return DrawCosts;
        case app::kIdDesign:
            return DrawDesign;
        default:
            return nullptr;
    }
}
}  // namespace

QPixmap ButtonPicture(int control_id, qreal dpr) {
    Painter paint = PainterFor(control_id);
    if (!paint) return {};
    const int side = qRound(kSize * dpr);
    QPixmap pix(side, side);
    pix.setDevicePixelRatio(dpr);
    pix.fill(Qt::transparent);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    paint(p);
    return pix;
}

PictureWidget::PictureWidget(int control_id, QWidget* parent) : QWidget(parent), id_(control_id) {
    setFixedSize(kSize, kSize);
}

void PictureWidget::paintEvent(QPaintEvent*) {
    Painter paint = PainterFor(id_);
    if (!paint) return;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    paint(p);
}

QIcon AppIcon() {
    // The installed icon, as the desktop shows it; a drawn tree where it is missing.
    QIcon icon;
    const std::filesystem::path dir = app::DataDir() / "icons";
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        const std::filesystem::path png = dir / ("strovan-" + std::to_string(size) + ".png");
        if (!app::DataDir().empty() && std::filesystem::exists(png)) icon.addFile(QString::fromStdString(png.string()));
    }
    if (!icon.isNull()) return icon;
    for (int size : {16, 24, 32, 48, 64, 96, 128, 256}) {
        QPixmap pix(size, size);
        pix.fill(Qt::transparent);
        QPainter p(&pix);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 40.0, size / 40.0);
        Tree(p, 20, 38, 36);
        icon.addPixmap(pix);
    }
    return icon;
}

QFontMetrics BeginChart(QPainter& p, const QWidget& chart) {
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(chart.rect(), chart.palette().base());
    QFont f = chart.font();
    f.setPointSizeF(std::max(6.5, f.pointSizeF() - 1));
    p.setFont(f);
    return QFontMetrics(f);
}

}  // namespace gui
