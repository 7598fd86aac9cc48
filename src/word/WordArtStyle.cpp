#include "WordArtStyle.h"

#include "word/layout/TextFormatProperty.h"

#include <QFontDatabase>

namespace WordArt {

namespace {

struct StyleValues
{
    const char *name;
    QFont::Weight weight;
    QColor fill;
    QColor stroke; // invalid: no outline
    double strokeWidth;
    QColor shadow;
    QPointF shadowOffset;
    double shadowBlur;
};

StyleValues values(WordArtStyle style)
{
    switch (style) {
    case WordArtStyle::RetroGold:
        return {"レトロゴールド", QFont::Black, QColor::fromRgbF(0.9f, 0.75f, 0.15f), Qt::black, -3,
                QColor::fromRgbF(0, 0, 0, 0.6f), {3, -3}, 3};
    case WordArtStyle::NeonPink:
        return {"ネオンピンク", QFont::Bold, Qt::white, QColor(), 0, QColor::fromRgbF(1, 0, 0.6f),
                {0, 0}, 10};
    case WordArtStyle::CyberBlue:
        return {"サイバーブルー", QFont::Bold, Qt::cyan, Qt::blue, -4,
                QColor::fromRgbF(0, 1, 1, 0.8f), {2, -2}, 5};
    case WordArtStyle::ClassicPop:
        return {"クラシックポップ", QFont::ExtraBold, Qt::red, Qt::white, -4, Qt::black, {4, -4}, 0};
    case WordArtStyle::UltraShadow:
        return {"ウルトラシャドウ", QFont::Black, Qt::black, Qt::white, -3,
                QColor::fromRgbF(0, 0, 0, 0.8f), {6, -6}, 2};
    }
    return values(WordArtStyle::RetroGold);
}

} // namespace

QList<WordArtStyle> allStyles()
{
    return {WordArtStyle::RetroGold, WordArtStyle::NeonPink, WordArtStyle::CyberBlue,
            WordArtStyle::ClassicPop, WordArtStyle::UltraShadow};
}

QString displayName(WordArtStyle style)
{
    return QString::fromUtf8(values(style).name);
}

std::optional<WordArtStyle> fromDisplayName(const QString &name)
{
    for (WordArtStyle style : allStyles()) {
        if (displayName(style) == name)
            return style;
    }
    return std::nullopt;
}

QTextCharFormat format(WordArtStyle style)
{
    const StyleValues v = values(style);
    QTextCharFormat format;
    const QFont system = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    format.setFontFamilies(system.families().isEmpty() ? QStringList{system.family()} : system.families());
    format.setProperty(QTextFormat::FontPixelSize, 28);
    format.clearProperty(QTextFormat::FontPointSize);
    // The bold trait on top of the style's weight: a lighter weight becomes
    // bold, a heavier one stays.
    format.setFontWeight(qMax<int>(v.weight, QFont::Bold));
    format.setForeground(v.fill);
    if (v.strokeWidth != 0) {
        format.setProperty(TextFormatProperty::StrokeWidth, v.strokeWidth);
        format.setProperty(TextFormatProperty::StrokeColor, v.stroke);
    }
    format.setProperty(TextFormatProperty::ShadowColor, v.shadow);
    format.setProperty(TextFormatProperty::ShadowOffset, v.shadowOffset);
    format.setProperty(TextFormatProperty::ShadowBlurRadius, v.shadowBlur);
    return format;
}

} // namespace WordArt
