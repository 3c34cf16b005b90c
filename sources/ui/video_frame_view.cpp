// The video viewer's frame view: drawing the frame and the region's rectangle, and passing the mouse on to the viewer.
#include "sources/ui/video_frame_view.h"

#include "sources/frame_analysis.h"
#include "sources/ui/video_viewer.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>

#include <cstring>

namespace glyfex::sources::ui {

QImage maskImage(const picture::CodeImage &mask)
{
    QImage image(mask.width, mask.height, QImage::Format_Indexed8);
    if (image.isNull())
        return image;
    QList<QRgb> table(256, qRgb(0, 0, 0));
    table[kMaskText] = qRgb(255, 255, 255);
    table[kMaskBorder] = qRgb(255, 0, 0);
    table[kMaskUnexamined] = qRgb(0, 0, 255);
    table[kMaskMeasuring] = QApplication::palette().color(QPalette::Button).rgb();
    table[5] = qRgb(0, 255, 0);   // recognition's marks
    table[6] = qRgb(255, 255, 0);
    table[kMaskOpen] = qRgb(0, 128, 128);
    table[kMaskLarge] = qRgb(128, 128, 128);
    table[kMaskSmall] = qRgb(255, 0, 255);
    image.setColorTable(table);
    for (int y = 0; y < mask.height; ++y)
        std::memcpy(image.scanLine(y), mask.row(y), size_t(mask.width));
    return image;
}

FrameView::FrameView(VideoViewer &viewer, QWidget *parent) : QWidget(parent), m_viewer(viewer)
{
    setObjectName(QStringLiteral("ImageVideo"));
    setMouseTracking(true);
    setToolTip(QStringLiteral("Left click on text to set color, right click and drag to set region"));
}

void FrameView::setFrame(const BgrFrame &frame)
{
    if (frame.width <= 0 || frame.height <= 0) {
        m_image = QImage();
    } else {
        m_image = QImage(frame.bytes.data(), frame.width, frame.height, frame.width * 3, QImage::Format_BGR888)
                      .convertToFormat(QImage::Format_RGB32);
    }
    setFixedSize(m_image.size());
    update();
}

void FrameView::setFocusRect(const picture::Rect &r)
{
    m_focus = r;
    update();
}

void FrameView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    if (m_image.isNull())
        return;
    p.drawImage(0, 0, m_image);
    // Inverted dots show on any picture.
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    QPen pen(Qt::white, 1, Qt::DotLine);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRect(QPoint(m_focus.left - 1, m_focus.top - 1), QPoint(m_focus.right + 1, m_focus.bottom + 1)));
}

void FrameView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        m_viewer.regionPressed(int(event->position().x()), int(event->position().y()));
}

void FrameView::mouseMoveEvent(QMouseEvent *event)
{
    m_viewer.regionMoved(int(event->position().x()), int(event->position().y()));
}

void FrameView::mouseReleaseEvent(QMouseEvent *event)
{
    const int x = int(event->position().x());
    const int y = int(event->position().y());
    if (event->button() == Qt::LeftButton)
        m_viewer.clickFrame(x, y);
    else
        m_viewer.regionReleased(x, y);
}

} // namespace glyfex::sources::ui
