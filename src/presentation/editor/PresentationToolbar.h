#pragma once

#include "presentation/document/SlideObjectType.h"

#include <QWidget>

class QAbstractButton;
class QPushButton;
class QToolButton;

// The editor's toolbar row: slide operations, the five object kinds, the
// slide show, the open button and "保存". It only reports which button was
// pressed; the screen acts. Inside a sideways scroll area, so at the
// window's minimum size it scrolls instead of widening the window.
class PresentationToolbar : public QWidget
{
    Q_OBJECT
public:
    explicit PresentationToolbar(QWidget *parent = nullptr);

    // "スライド削除" is enabled only while the deck has two slides or more.
    void setSlideCount(qsizetype count);

    QToolButton *addSlideButton() const { return m_addSlide; }
    QToolButton *deleteSlideButton() const { return m_deleteSlide; }
    QToolButton *insertButton(SlideObjectType type) const;
    QPushButton *slideShowButton() const { return m_slideShow; }
    QToolButton *openButton() const { return m_open; }
    QPushButton *saveButton() const { return m_save; }

signals:
    void addSlideRequested();
    void deleteSlideRequested();
    void insertRequested(SlideObjectType type);
    void slideShowRequested();
    void openRequested();
    void saveRequested();

private:
    QWidget *createRow();
    QToolButton *labelledButton(const QString &text, const QString &symbol, QWidget *parent);

    QToolButton *m_addSlide = nullptr;
    QToolButton *m_deleteSlide = nullptr;
    QList<QToolButton *> m_insertButtons;
    QPushButton *m_slideShow = nullptr;
    QToolButton *m_open = nullptr;
    QPushButton *m_save = nullptr;
};
