#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// The break that ends a paragraph, read by the DOCX writer on the paragraph's
// terminator character. `Wrap` is an ordinary paragraph end.
enum class BreakType { Wrap, Page, Column };

// "wrap", "page" or "column".
QString breakTypeText(BreakType type);
// The type named exactly (case-sensitive) by one of the three texts; nothing
// for any other text.
std::optional<BreakType> breakTypeFromText(QStringView text);
