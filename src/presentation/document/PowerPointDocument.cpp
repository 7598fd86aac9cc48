#include "PowerPointDocument.h"

#include "PptxReader.h"
#include "PptxWriter.h"
#include "platform/AppState.h"

#include <algorithm>
#include <cmath>

PowerPointDocument::PowerPointDocument(QObject *parent) : QObject(parent)
{
    addSlide();
    // Connected only now, so the first slide leaves the unsaved state alone.
    connect(this, &PowerPointDocument::slidesChanged, this, &PowerPointDocument::markUnsaved);
}

const Slide *PowerPointDocument::currentSlide() const
{
    return isValidSlideIndex(m_currentSlideIndex) ? &m_slides[m_currentSlideIndex] : nullptr;
}

void PowerPointDocument::setCurrentSlideIndex(int index)
{
    m_currentSlideIndex = index;
    emit currentSlideIndexChanged(m_currentSlideIndex);
}

void PowerPointDocument::addSlide()
{
    m_slides.append(Slide::withPlaceholders(m_slides.size() + 1));
    emit slidesChanged();
}

void PowerPointDocument::deleteSlide(int index)
{
    if (m_slides.size() < 2 || !isValidSlideIndex(index))
        return;
    m_slides.removeAt(index);
    const bool clamped = m_currentSlideIndex >= m_slides.size();
    if (clamped)
        m_currentSlideIndex = int(m_slides.size()) - 1;
    emit slidesChanged();
    if (clamped)
        emit currentSlideIndexChanged(m_currentSlideIndex);
}

void PowerPointDocument::addObject(SlideObjectType type, int slideIndex)
{
    if (!isValidSlideIndex(slideIndex))
        return;
    m_slides[slideIndex].objects.append(SlideObject::inserted(type));
    emit slidesChanged();
}

void PowerPointDocument::deleteObject(const QUuid &objectId, int slideIndex)
{
    if (!isValidSlideIndex(slideIndex) || m_slides[slideIndex].indexOfObject(objectId) < 0)
        return;
    m_slides[slideIndex].objects.removeIf([&](const SlideObject &object) { return object.id == objectId; });
    emit slidesChanged();
}

void PowerPointDocument::setSlideTitle(int slideIndex, const QString &title)
{
    if (!isValidSlideIndex(slideIndex))
        return;
    m_slides[slideIndex].title = title;
    emit slidesChanged();
}

void PowerPointDocument::setSlideBackground(int slideIndex, const QString &colorHex)
{
    if (!isValidSlideIndex(slideIndex))
        return;
    m_slides[slideIndex].bgColorHex = colorHex;
    emit slidesChanged();
}

void PowerPointDocument::updateObject(int slideIndex, const SlideObject &edited)
{
    if (!isValidSlideIndex(slideIndex))
        return;
    const qsizetype at = m_slides[slideIndex].indexOfObject(edited.id);
    if (at < 0)
        return;
    SlideObject &object = m_slides[slideIndex].objects[at];
    const auto assignFinite = [](double &field, double value) {
        if (std::isfinite(value))
            field = value;
    };
    assignFinite(object.x, edited.x);
    assignFinite(object.y, edited.y);
    assignFinite(object.width, edited.width);
    assignFinite(object.height, edited.height);
    object.colorHex = edited.colorHex;
    object.text = edited.text;
    assignFinite(object.fontSize, edited.fontSize);
    object.isBold = edited.isBold;
    object.isItalic = edited.isItalic;
    object.animationType = edited.animationType;
    object.animationOrder = edited.animationOrder;
    emit slidesChanged();
}

void PowerPointDocument::moveSlides(const QList<int> &sourceIndexes, int destination)
{
    QList<int> sources;
    for (const int index : sourceIndexes) {
        if (isValidSlideIndex(index))
            sources.append(index);
    }
    std::sort(sources.begin(), sources.end());
    sources.erase(std::unique(sources.begin(), sources.end()), sources.end());
    if (sources.isEmpty())
        return;
    destination = std::clamp(destination, 0, int(m_slides.size()));

    QList<Slide> moved;
    QList<Slide> rest;
    qsizetype next = 0;
    for (qsizetype i = 0; i < m_slides.size(); ++i) {
        if (next < sources.size() && sources[next] == i) {
            moved.append(std::move(m_slides[i]));
            ++next;
        } else {
            rest.append(std::move(m_slides[i]));
        }
    }
    const qsizetype movedBefore =
        std::lower_bound(sources.cbegin(), sources.cend(), destination) - sources.cbegin();
    const qsizetype insertAt = destination - movedBefore;
    for (qsizetype i = 0; i < moved.size(); ++i)
        rest.insert(insertAt + i, std::move(moved[i]));
    m_slides = std::move(rest);
    emit slidesChanged();
}

bool PowerPointDocument::setSlides(const QList<Slide> &slides)
{
    if (!std::all_of(slides.cbegin(), slides.cend(), [](const Slide &slide) { return slide.hasFiniteNumbers(); }))
        return false;
    m_slides = slides;
    emit slidesChanged();
    return true;
}

bool PowerPointDocument::exportPPTX(const QString &path, PresentationError *error) const
{
    return PptxWriter(m_slides).write(path, error);
}

bool PowerPointDocument::importPPTX(const QString &path, PresentationError *error)
{
    std::optional<QList<Slide>> slides = PptxReader::read(path, error);
    if (!slides)
        return false;
    m_slides = std::move(*slides);
    m_currentSlideIndex = 0;
    emit slidesChanged();
    emit currentSlideIndexChanged(m_currentSlideIndex);
    return true;
}

void PowerPointDocument::markUnsaved()
{
    AppState::shared().setHasUnsavedChanges(AppState::Editor::Presentation, true);
}
