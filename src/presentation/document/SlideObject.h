#pragma once

#include "SlideAnimationType.h"
#include "SlideObjectType.h"

#include <QString>
#include <QUuid>

// One object on a slide. Geometry is in points on the 800 × 450 slide, with
// (x, y) the top-left corner. Every field is given when an object is made;
// only `id` defaults (to a new UUID).
struct SlideObject {
    QUuid id = QUuid::createUuid();
    SlideObjectType type = SlideObjectType::TextBox;
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;
    QString colorHex; // "#RRGGBB": the fill of shapes, the text colour of text kinds
    QString text;
    double fontSize = 0;
    bool isBold = false;
    bool isItalic = false;
    SlideAnimationType animationType = SlideAnimationType::None;
    qint64 animationOrder = 0; // slide-show step that shows it; 0 or less: shown from the start

    // All thirteen fields equal; doubles compare numerically.
    bool operator==(const SlideObject &other) const = default;

    // True when x, y, width, height and fontSize are all finite.
    bool hasFiniteNumbers() const;

    // The object a new slide starts with at the top, and the one below it.
    static SlideObject titlePlaceholder();
    static SlideObject bodyPlaceholder();
    // The object the toolbar inserts for `type`, at (150, 150).
    static SlideObject inserted(SlideObjectType type);
};
