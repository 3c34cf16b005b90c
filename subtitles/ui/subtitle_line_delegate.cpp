// Painting the Subtitles window's lines. The text is drawn as the QString it is, so every script shows.
#include "subtitles/ui/subtitle_line_delegate.h"

#include "subtitles/style_runs.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QPalette>

namespace glyfex::subtitles::ui {

SubtitleLineDelegate::SubtitleLineDelegate(std::function<bool()> formatted, QObject *parent)
    : QStyledItemDelegate(parent), m_formatted(std::move(formatted))
{
}

int SubtitleLineDelegate::lineHeight(const QFont &font)
{
    const int h = QFontMetrics(font).height();
    return h + h / 3 + 1;
}

QSize SubtitleLineDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const QString text = index.data(Qt::DisplayRole).toString();
    return QSize(QFontMetrics(option.font).horizontalAdvance(text) + 4, lineHeight(option.font));
}

void SubtitleLineDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const bool selected = option.state & QStyle::State_Selected;
    const QPalette &palette = option.palette;
    const QColor background = selected ? palette.color(QPalette::Highlight) : QColor(Qt::black);
    const QColor plainText = selected ? palette.color(QPalette::HighlightedText) : QColor(Qt::white);
    painter->save();
    painter->fillRect(option.rect, background);
    const QString text = index.data(Qt::DisplayRole).toString();
    QRect area = option.rect.adjusted(2, 0, 0, 0);
    if (!m_formatted || !m_formatted()) {
        painter->setPen(plainText);
        painter->setFont(option.font);
        painter->drawText(area, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
        painter->restore();
        return;
    }
    int x = area.left();
    for (const StyleRun &run : parseStyleRuns(text)) {
        QFont font = option.font;
        font.setBold(run.bold);
        font.setItalic(run.italic);
        font.setUnderline(run.underline);
        painter->setFont(font);
        painter->setPen(run.colour == kListTextColour ? plainText
                                                      : QColor(int((run.colour >> 16) & 0xFF),
                                                               int((run.colour >> 8) & 0xFF), int(run.colour & 0xFF)));
        const QRect runArea(x, area.top(), std::max(0, option.rect.right() - x), area.height());
        painter->drawText(runArea, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, run.text);
        x += QFontMetrics(font).horizontalAdvance(run.text);
        // Slanted and heavy letters lean into the next run: keep them apart as the list always did.
        if (run.bold || run.italic)
            x += 2;
        if (x > option.rect.right())
            break;
    }
    painter->restore();
}

} // namespace glyfex::subtitles::ui
