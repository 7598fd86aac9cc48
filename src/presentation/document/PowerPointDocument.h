#pragma once

#include "PresentationError.h"
#include "Slide.h"

#include <QList>
#include <QObject>

// The presentation being edited: an ordered list of slides and the index of
// the slide being edited. Every write of the slide list emits slidesChanged
// (even of an equal value) and marks the presentation's share of the
// application's unsaved state; a write of the index alone emits
// currentSlideIndexChanged and leaves the unsaved state alone. Operations given
// an index outside the list do nothing and emit nothing. A new document has
// one slide, index 0, and has not touched the unsaved state.
class PowerPointDocument : public QObject
{
    Q_OBJECT
public:
    explicit PowerPointDocument(QObject *parent = nullptr);

    const QList<Slide> &slides() const { return m_slides; }
    qsizetype slideCount() const { return m_slides.size(); }
    // Not clamped: after setSlides() it may lie outside the list.
    int currentSlideIndex() const { return m_currentSlideIndex; }
    bool isValidSlideIndex(qsizetype index) const { return index >= 0 && index < m_slides.size(); }
    // The slide at currentSlideIndex(), or nullptr when that lies outside the list.
    const Slide *currentSlide() const;

    // Any value is taken, also one outside the list.
    void setCurrentSlideIndex(int index);

    // Appends "スライド <count + 1>" with the two placeholders; the index stays.
    void addSlide();
    // Removes the slide unless it is the only one; an index then beyond the
    // list moves to the new last slide.
    void deleteSlide(int index);
    // Appends the object the toolbar inserts for `type` to the slide.
    void addObject(SlideObjectType type, int slideIndex);
    // Removes every object with this id from the slide; no object, no write.
    void deleteObject(const QUuid &objectId, int slideIndex);
    void setSlideTitle(int slideIndex, const QString &title);
    void setSlideBackground(int slideIndex, const QString &colorHex);
    // Writes the eleven editable fields of `edited` (all but id and type) into
    // the first object of the slide with edited.id; no such object, no write.
    // A non-finite number keeps the object's old value.
    void updateObject(int slideIndex, const SlideObject &edited);
    // Moves the slides at `sourceIndexes` (in their order in the list) to
    // before the slide that is at `destination` now (the count: to the end),
    // as one write. Indexes outside the list are ignored; the current index
    // stays. Nothing valid to move, no write.
    void moveSlides(const QList<int> &sourceIndexes, int destination);
    // Replaces every slide; the index stays. A list holding a non-finite
    // number is ignored and false returned.
    bool setSlides(const QList<Slide> &slides);

    // Writes the package to `path` (.pptx and .potx alike); the file there is
    // replaced only once the new package is complete. False and *error set
    // on failure; the document never changes.
    bool exportPPTX(const QString &path, PresentationError *error) const;
    // Reads the package at `path`; on success the slides become the slides
    // read and the index 0, both set before either signal fires. On failure
    // (no slide read included) the document is unchanged and *error is set.
    bool importPPTX(const QString &path, PresentationError *error);

signals:
    void slidesChanged();
    void currentSlideIndexChanged(int index);

private:
    void markUnsaved();

    QList<Slide> m_slides;
    int m_currentSlideIndex = 0;
};
