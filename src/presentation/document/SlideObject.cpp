#include "SlideObject.h"

#include <cmath>

bool SlideObject::hasFiniteNumbers() const
{
    return std::isfinite(x) && std::isfinite(y) && std::isfinite(width) && std::isfinite(height)
           && std::isfinite(fontSize);
}

SlideObject SlideObject::titlePlaceholder()
{
    SlideObject object;
    object.type = SlideObjectType::Title;
    object.x = 50;
    object.y = 100;
    object.width = 700;
    object.height = 80;
    object.colorHex = QStringLiteral("#000000");
    object.text = QStringLiteral("タイトルを入力してください");
    object.fontSize = 40;
    object.isBold = true;
    return object;
}

SlideObject SlideObject::bodyPlaceholder()
{
    SlideObject object;
    object.type = SlideObjectType::Body;
    object.x = 50;
    object.y = 220;
    object.width = 700;
    object.height = 250;
    object.colorHex = QStringLiteral("#333333");
    object.text = QStringLiteral("・ テキストを入力...");
    object.fontSize = 20;
    return object;
}

SlideObject SlideObject::inserted(SlideObjectType type)
{
    SlideObject object;
    object.type = type;
    object.x = 150;
    object.y = 150;
    object.fontSize = 18;
    if (type == SlideObjectType::TextBox) {
        object.width = 200;
        object.height = 80;
        object.colorHex = QStringLiteral("#333333");
        object.text = QStringLiteral("テキスト...");
    } else {
        object.width = 120;
        object.height = 120;
        object.colorHex = QStringLiteral("#007AFF");
    }
    return object;
}
