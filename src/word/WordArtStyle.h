#pragma once

#include <QList>
#include <QString>
#include <QTextCharFormat>

// The five decorative looks of the WordArt menu, in the menu's order.
enum class WordArtStyle { RetroGold, NeonPink, CyberBlue, ClassicPop, UltraShadow };

namespace WordArt {

QList<WordArtStyle> allStyles();
// The menu's Japanese name, e.g. "レトロゴールド".
QString displayName(WordArtStyle style);
// The style named `name` exactly, or nothing.
std::optional<WordArtStyle> fromDisplayName(const QString &name);

// The properties a style sets: a 28-pixel bold system font of the style's
// weight, the fill colour, the shadow, and the outline only for styles that
// have one (a style without leaves an existing outline alone).
QTextCharFormat format(WordArtStyle style);

} // namespace WordArt
