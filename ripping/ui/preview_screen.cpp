// Painting the preview: a sunken 2-pixel frame, the background stretched inside it, the picture on top.
#include "ripping/ui/preview_screen.h"

#include <QPainter>
#include <QStyleOptionFrame>

namespace glyfex::ripping::ui {

PreviewScreen::PreviewScreen(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("BevelScreen"));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PreviewScreen::setBackground(const QImage &background)
{
    m_background = background;
    update();
}

void PreviewScreen::setPicture(const QImage &picture, const QRect &placed)
{
    m_picture = picture;
    m_placed = placed;
    update();
}

void PreviewScreen::clearPicture()
{
    m_picture = QImage();
    m_placed = QRect();
    update();
}

void PreviewScreen::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QRect inner = rect().adjusted(2, 2, -2, -2);
    p.fillRect(rect(), palette().color(QPalette::Dark));
    if (m_background.isNull())
        p.fillRect(inner, palette().color(QPalette::Mid));
    else
        p.drawImage(inner, m_background);
    if (!m_picture.isNull()) {
        // Subtitle pictures are few large flat areas: nearest-pixel scaling keeps their edges exact.
        p.setRenderHint(QPainter::SmoothPixmapTransform, false);
        p.setClipRect(inner);
        p.drawImage(m_placed, m_picture);
    }
    p.setClipping(false);
    QStyleOptionFrame frame;
    frame.initFrom(this);
    frame.rect = rect();
    frame.lineWidth = 2;
    frame.state |= QStyle::State_Sunken;
    style()->drawPrimitive(QStyle::PE_Frame, &frame, &p, this);
}

} // namespace glyfex::ripping::ui
