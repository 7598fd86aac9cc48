#pragma once

#include <QList>
#include <QString>
#include <optional>

// What a slide object is drawn as. The string value is what the package
// stores and what the inspector shows.
enum class SlideObjectType { Title, Body, Rectangle, Circle, TextBox };

namespace SlideObjectTypes {

// Every case, in menu order.
const QList<SlideObjectType> &all();
QString stringValue(SlideObjectType type);
// The case whose string value is exactly `text` (case-sensitive), or nullopt.
std::optional<SlideObjectType> fromStringValue(const QString &text);
// Title, body and text box draw text; rectangle and circle draw a shape.
bool isTextKind(SlideObjectType type);

} // namespace SlideObjectTypes
