#pragma once

#include "presentation/document/SlideShowState.h"

#include <QWidget>

class QLabel;
class QPushButton;
class QToolButton;
class SlideShowStage;

// The slide show: a black layer over the whole screen with the stage and,
// under it, the back button, "スライド n / m", the forward button and
// "閉じる". Every click on the layer advances, the second click of a
// double-click included; past the last step of the last slide the show
// ends. It plays a copy of the slides and never changes the document; it
// ends by emitting finished() (once), and the screen removes it. With no
// slide to show it reads "表示するスライドがありません。" and a click ends it.
class PowerPointSlideShowView : public QWidget
{
    Q_OBJECT
public:
    PowerPointSlideShowView(QList<Slide> slides, int startIndex, QWidget *parent);

    const SlideShowState &state() const { return m_state; }
    void advance();
    void goBack();
    void endShow();

    SlideShowStage *stage() const { return m_stage; }
    QToolButton *backButton() const { return m_back; }
    QToolButton *forwardButton() const { return m_forward; }
    QPushButton *closeButton() const { return m_close; }
    QLabel *positionLabel() const { return m_position; }
    QLabel *emptyLabel() const { return m_empty; }

signals:
    void finished();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QWidget *createControlBar();
    void present(SlideShowMove move);
    void layOut();

    SlideShowState m_state;
    SlideShowStage *m_stage;
    QWidget *m_controlBar = nullptr;
    QToolButton *m_back = nullptr;
    QToolButton *m_forward = nullptr;
    QPushButton *m_close = nullptr;
    QLabel *m_position = nullptr;
    QLabel *m_empty;
    bool m_pressed = false;
    bool m_finished = false;
};
