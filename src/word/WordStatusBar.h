#pragma once

#include "TextCounts.h"

#include "platform/widgets/TranslucentPanel.h"

class QLabel;
class QSlider;
class QToolButton;

// The row under the page: character and word counts on the left, the zoom
// controls and percentage on the right. It shows values and reports the
// user's zoom requests; the screen decides the zoom.
class WordStatusBar : public TranslucentPanel
{
    Q_OBJECT
public:
    explicit WordStatusBar(QWidget *parent = nullptr);

    void setCounts(TextCounts counts);
    // Loads `zoom` into the slider and the percentage; emits nothing.
    void setZoom(double zoom);

    QLabel *charactersLabel() const { return m_characters; }
    QLabel *wordsLabel() const { return m_words; }
    QLabel *percentLabel() const { return m_percent; }
    QSlider *zoomSlider() const { return m_slider; }
    QToolButton *zoomOutButton() const { return m_zoomOut; }
    QToolButton *zoomInButton() const { return m_zoomIn; }

signals:
    void zoomOutRequested();
    void zoomInRequested();
    void zoomChosen(double zoom);

private:
    QLabel *m_characters;
    QLabel *m_words;
    QToolButton *m_zoomOut;
    QSlider *m_slider;
    QToolButton *m_zoomIn;
    QLabel *m_percent;
};
