// A user who answers the OCR assistant's skipped-item question with "Skip This SubPicture" each time it comes up.
#pragma once

#include <QEvent>
#include <QObject>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWidget>

namespace glyfex::test {

// Installed on the assistant (Form15) as an event filter; notes whether the Subtitles window was out of
// the way meanwhile.
class SkipInAssistant : public QObject {
public:
    QWidget *subtitles = nullptr;
    int shown = 0;
    bool subtitlesVisible = true;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show) {
            ++shown;
            subtitlesVisible = subtitles && subtitles->isVisible();
            QTimer::singleShot(0, watched, [watched] {
                QTest::mouseClick(watched->findChild<QPushButton *>(QStringLiteral("ButtonSkipSubPict")), Qt::LeftButton);
            });
        }
        return false;
    }
};

} // namespace glyfex::test
