#pragma once

#include "SlideObject.h"

#include <QList>
#include <QString>
#include <QUuid>

// One slide: its title, background colour and objects. The list order of
// `objects` is the drawing order (later ones on top) and the order in which
// the package writes them.
struct Slide {
    QUuid id = QUuid::createUuid();
    QString title = QStringLiteral("新しいスライド");
    QString bgColorHex = QStringLiteral("#FFFFFF");
    QList<SlideObject> objects;

    bool operator==(const Slide &other) const = default;

    // Index of the first object with this id, or -1.
    qsizetype indexOfObject(const QUuid &objectId) const;
    // True when every object has finite numbers.
    bool hasFiniteNumbers() const;

    // The slide "スライド <number>" with the title and body placeholders.
    static Slide withPlaceholders(qsizetype number);
};
