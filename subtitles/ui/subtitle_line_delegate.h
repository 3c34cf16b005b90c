// Draws one line of the Subtitles window's list: white on black, or in the .gxt styles and colours its tags give.
#pragma once

#include <QStyledItemDelegate>

#include <functional>

namespace glyfex::subtitles::ui {

class SubtitleLineDelegate : public QStyledItemDelegate {
public:
    // formatted tells, at each paint, whether the tags are drawn as styles (the F box with .gxt).
    explicit SubtitleLineDelegate(std::function<bool()> formatted, QObject *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    // Height of a line: the font's height in pixels + a third of it + 1.
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    static int lineHeight(const QFont &font);

private:
    std::function<bool()> m_formatted;
};

} // namespace glyfex::subtitles::ui
