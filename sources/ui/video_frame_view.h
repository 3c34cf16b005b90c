// The video viewer's frame view: the frame at 1:1 with the dotted rectangle around the region, and the mask's colours.
#pragma once

#include "picture/code_image.h"
#include "picture/rect.h"
#include "sources/avi_player.h"

#include <QImage>
#include <QWidget>

namespace glyfex::sources::ui {

class VideoViewer;

// The mask codes in the colours the main window's preview shows them in (text white, border red, ...).
QImage maskImage(const picture::CodeImage &mask);

// The frame at 1:1 with the focus rectangle around the region; the mouse sets the region and colour.
class FrameView : public QWidget {
public:
    FrameView(VideoViewer &viewer, QWidget *parent);

    void setFrame(const BgrFrame &frame);
    // The focus rectangle goes around this rectangle (frame pixels, inclusive).
    void setFocusRect(const picture::Rect &r);
    const QImage &image() const { return m_image; }

protected:
    void paintEvent(QPaintEvent *) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    VideoViewer &m_viewer;
    QImage m_image;
    picture::Rect m_focus{-10, -10, -10, -10};
};

} // namespace glyfex::sources::ui
