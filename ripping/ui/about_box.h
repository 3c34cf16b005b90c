// The About box: the program's picture, version, authors and contributors with their links, and the credits.
#pragma once

#include <QDialog>
#include <QPoint>

class QLabel;

namespace glyfex::ripping::ui {

// A frameless box that a click or any key closes and that moves when dragged. Labels tagged 1 are
// links: the hover underlines them, a click opens the mail address or web page in their tool tip, or
// the credits file.
class AboutBox : public QDialog {
    Q_OBJECT
public:
    // version: the program's version text; creditsFile: the file "full credits" opens.
    AboutBox(const QString &version, const QString &creditsFile, QWidget *parent = nullptr);

    static constexpr int ClientWidth = 280;
    static constexpr int ClientHeight = 266;

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLabel *addLabel(const char *name, const QString &text, int x, int y, int tag = 0, const QString &hint = {});
    void linkClicked(QLabel *label);
    bool dragEvent(QEvent *event);

    QString m_version;
    QString m_creditsFile;
    QPoint m_pressedAt;
    bool m_pressed = false;
    bool m_dragged = false; // the drag flag: a release after a move does not close the box
};

} // namespace glyfex::ripping::ui
