// The window's status bar `stat1`: the "COM Port:" panel, the port lamp (`img1` red for
// closed, `img2` green for open), the status text, the progress bar `pb1`, and the Stop
// button at its right end. The progress panel reaches to the Stop button whatever the
// window's width.
#pragma once

#include <QWidget>

#include <functional>

class QFrame;
class QLabel;
class QProgressBar;
class QPushButton;

namespace zc {

class StatusBar : public QWidget
{
    Q_OBJECT
public:
    explicit StatusBar(int width, QWidget *parent = nullptr);

    QLabel *portPanel() const { return m_panel0; }
    QLabel *statusText() const { return m_statusText; }
    QProgressBar *progressBar() const { return m_pb1; }
    QPushButton *stopButton() const { return m_btnStop; }

    // Made after the pages, so that it comes last in the window's Tab order.
    QPushButton *addStopButton();
    // Both lamps lie at one place; the one in front is seen.
    void showLamp(bool open);

    // After each layout: the width of the status text's own panel, and of the room it may
    // take from the progress panel (a saved file's path does).
    std::function<void(int own, int wide)> onPanelWidths;

protected:
    void resizeEvent(QResizeEvent *event) override;
    // The status text's panel follows the text's width: a long sentence takes the room of the
    // progress panel, whose edge then no longer runs through it.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void layOut();

    QLabel *m_panel0 = nullptr;
    QLabel *m_img1 = nullptr;
    QLabel *m_img2 = nullptr;
    QLabel *m_statusText = nullptr;
    QFrame *m_statusPanel = nullptr;
    QFrame *m_pbPanel = nullptr;
    QProgressBar *m_pb1 = nullptr;
    QPushButton *m_btnStop = nullptr;
};

} // namespace zc
