#pragma once

// The sidebar's selection: which editor the window shows. The values are the
// links' tags; None means nothing is chosen and the placeholder shows.
enum class EditorTab { None = 0, Word = 1, Spreadsheet = 2, Presentation = 3 };
