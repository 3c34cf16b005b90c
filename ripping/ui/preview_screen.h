// The preview screen: a scaled 720-pixel-wide frame with its background bars or image and the current picture.
#pragma once

#include <QImage>
#include <QRect>
#include <QWidget>

namespace glyfex::ripping::ui {

class PreviewScreen : public QWidget {
    Q_OBJECT
public:
    explicit PreviewScreen(QWidget *parent = nullptr);

    // The frame background (720 x frame height, or a loaded image); a null image shows none.
    void setBackground(const QImage &background);
    // The picture and its rectangle relative to the screen's outer corner.
    void setPicture(const QImage &picture, const QRect &placed);
    void clearPicture();
    const QImage &picture() const { return m_picture; }
    QRect pictureRect() const { return m_placed; }
    bool hasBackground() const { return !m_background.isNull(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_background;
    QImage m_picture;
    QRect m_placed;
};

} // namespace glyfex::ripping::ui
